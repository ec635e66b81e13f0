#include "app/fields_mode.h"

#include <ostream>

#include "app/storage/measurement_file.h"
#include "results/fields_csv.h"

namespace tesra {

FieldNumbers ReadField(const std::string& fileName, std::string& warning)
{
    std::uint64_t fileSize = 0;
    const std::vector<std::uint8_t> tail = ReadFileTail(fileName, fileSize);
    const ParsedTrailer parsed = ParseTrailer(tail, fileSize);
    if (parsed.status == TrailerStatus::TooSmall || parsed.status == TrailerStatus::Absent)
        throw FieldError(fileName + ": no measurement is stored in this file.");

    // The same steps as opening the image, on a document of its own.
    MeasuringDocument document;
    EditState state;
    document.resetForImage(0, 0);
    const TrailerReadResult read = ApplyTrailer(parsed, document, state);
    if (read.status == TrailerStatus::Damaged)
        throw FieldError(fileName + ": " + kDamagedTrailerMessage);
    warning = read.message.empty() ? std::string() : fileName + ": " + read.message;
    const bool calibrated = !document.calibrationTexts().kalWarning();
    const LengthUnit unit = parsed.content.calibration.unit.value_or(kDefaultLengthUnit);
    return MeasureField(fileName, document.measurement(), calibrated, unit);
}

int PrintFields(const std::vector<std::string>& files, std::ostream& out, std::ostream& err)
{
    std::vector<FieldNumbers> fields;
    fields.reserve(files.size());
    int status = 0;
    for (const std::string& file : files) {
        try {
            std::string warning;
            fields.push_back(ReadField(file, warning));
            if (!warning.empty())
                err << warning << '\n';
        } catch (const std::exception& e) {
            // StorageError already names the file; FieldError too.
            err << e.what() << '\n';
            status = 1;
        }
    }
    out << SpecimenCsv(fields);
    out.flush();
    return status;
}

}  // namespace tesra
