#include "app/propose_command.h"

#include <charconv>
#include <exception>
#include <ostream>
#include <vector>

#include "analysis/boundary_proposals.h"
#include "common/user_text.h"
#include "app/main_window_rules.h"
#include "app/storage/line_set.h"
#include "app/storage/measurement_file.h"
#include "imaging/formats/image_format.h"
#include "imaging/pixel_graphic.h"

namespace tesra {

namespace {

// A coordinate with two decimals and a decimal point whatever the locale, as CSV readers
// expect.
std::string coordinate(double v)
{
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 2);
    if (ec != std::errc())
        return "0";
    return std::string(buffer, end);
}

}  // namespace

int RunProposeCommand(const ProposeRequest& request, std::ostream& out, std::ostream& err)
{
    TPixelGraphic image;
    try {
        loadImage(request.image, image);
    } catch (const std::exception& e) {
        err << FileErrorMessage(e.what(), request.image) << '\n';
        return 1;
    }

    MeasuringDocument document;
    EditState state;
    document.resetForImage(image.Width(), image.Height());
    Measurement& measurement = document.measurementForLoading();
    try {
        if (request.lineSet.empty()) {
            const TrailerReadResult read = ReadTrailer(request.image, document, state);
            if (read.status == TrailerStatus::Damaged)
                err << request.image << ": " << read.message << '\n';
        } else {
            const LineSetLoadResult read = LoadLineSet(request.lineSet, image.Width(), image.Height(), measurement);
            if (!read.headerMatched) {
                err << request.lineSet << ": " << UserText(QT_TRANSLATE_NOOP("Core", "not a line-set file")) << '\n';
                return 1;
            }
            if (!read.message.empty())
                err << request.lineSet << ": " << read.message << '\n';
        }
    } catch (const std::exception& e) {
        err << FileErrorMessage(e.what(), request.lineSet.empty() ? request.image : request.lineSet) << '\n';
        return 1;
    }
    if (measurement.lineCount() == 0)
        err << request.image << ": " << UserText(QT_TRANSLATE_NOOP("Core", "no test lines")) << '\n';

    ProposalSettings settings;
    settings.darkBoundaries = !request.brightBoundaries;
    std::vector<int> lines;
    for (int i = 1; i <= measurement.lineCount(); ++i)
        lines.push_back(i);
    out << "line,x,y,type\n";
    for (const Proposal& p : ProposeForLines(image, measurement, lines, settings))
        out << p.line << ',' << coordinate(p.x) << ',' << coordinate(p.y) << ',' << int(p.type) << '\n';
    out.flush();
    return 0;
}

}  // namespace tesra
