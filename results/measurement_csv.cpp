#include "results/measurement_csv.h"

#include "common/csv_text.h"
#include "results/measurement_statistics.h"
#include "results/fields_statistics.h"

namespace tesra {

namespace {

void AddFigures(CsvText& csv, const LengthFigures& f, bool calibrated)
{
    auto real = [&](const std::optional<long double>& v) { return calibrated ? v : std::nullopt; };
    csv.number(f.length)
        .number(f.secondPhase)
        .number(f.count)
        .number(f.effective)
        .number(f.grainSize)
        .number(real(f.calibratedLength))
        .number(real(f.calibratedGrainSize))
        .number(f.secondPhasePercent);
}

}  // namespace

std::string SheetCsv(const Measurement& measurement, bool calibrated, LengthUnit unit)
{
    const std::string u = LengthUnitText(unit);
    const MeasurementStatistics statistics = ComputeStatistics(measurement);
    std::string text = "line,circle,length_px,second_phase_px,intercepts,effective_length_px,grain_size_px,"
                       "calibrated_length_" + u + ",grain_size_" + u + ",second_phase_percent,outlier,"
                       "few_intercepts,mean_intercept_px,mean_intercept_" + u + ",G\n";
    CsvText csv;
    for (std::size_t i = 0; i < statistics.lines.size(); ++i) {
        const LineFigures& line = statistics.lines[i];
        csv.row(std::to_string(i + 1)).integer(measurement.lines()[i].isCircle ? 1 : 0);
        AddFigures(csv, line, calibrated);
        csv.integer(line.outlier ? 1 : 0).integer(line.fewIntercepts ? 1 : 0).text("").text("").text("");
    }
    const FieldNumbers field = MeasureField("", measurement, calibrated, unit);
    csv.row("total").text("");
    AddFigures(csv, statistics.total, calibrated);
    csv.text("").text("").number(field.meanInterceptPx).number(field.meanIntercept).number(FieldGrainSizeNumber(field));
    return text + csv.str();
}

std::string InterceptCsv(const Measurement& measurement)
{
    CsvText csv;
    for (const Intercept& x : measurement.intercepts())
        csv.row(std::to_string(x.line)).integer(x.x).integer(x.y).integer(x.type).number(x.position);
    return "line,x,y,type,position\n" + csv.str();
}

}  // namespace tesra
