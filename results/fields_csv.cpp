#include "results/fields_csv.h"

#include <cmath>
#include <optional>

#include "common/csv_text.h"
#include "common/decimal_input.h"
#include "common/user_text.h"

namespace tesra {

namespace {

constexpr const char* kNotASpecimenTable =
    QT_TRANSLATE_NOOP("Core", "The file does not start with the header of a specimen table.");

enum Column { cField, cLines, cTestLength, cIntercepts, cMeanPx, cMean, cUnit, cG, cCi, cRa, cColumns };

std::optional<long double> OptionalNumber(const std::string& text, int row, const char* column)
{
    if (text.empty())
        return std::nullopt;
    long double value = 0.0L;
    if (!ParseStrictDecimal(text, value) || !std::isfinite(value))
        throw SpecimenFileError(
            FillIn(UserText(QT_TRANSLATE_NOOP("Core", "Row %1: \"%2\" in column %3 is not a number.")),
                   {std::to_string(row), text, column}));
    return value;
}

long double Number(const std::string& text, int row, const char* column)
{
    const std::optional<long double> value = OptionalNumber(text, row, column);
    if (!value)
        throw SpecimenFileError(FillIn(UserText(QT_TRANSLATE_NOOP("Core", "Row %1: column %2 is empty.")),
                                       {std::to_string(row), column}));
    return *value;
}

}  // namespace

std::string SpecimenCsv(std::span<const FieldNumbers> fields)
{
    CsvText rows;
    for (const FieldNumbers& field : fields) {
        rows.row(field.name)
            .integer(field.lines)
            .number(field.testLengthPx)
            .number(field.intercepts)
            .number(field.meanInterceptPx)
            .number(field.meanIntercept)
            .text(field.meanIntercept ? LengthUnitText(field.unit) : "")
            .number(FieldGrainSizeNumber(field))
            .text("")
            .text("");
    }
    const SpecimenSummary summary = SummariseSpecimen(fields);
    rows.row(kSpecimenRowName)
        .integer(summary.lines)
        .number(summary.testLengthPx)
        .number(summary.intercepts)
        .number(summary.meanInterceptPx)
        .number(summary.mean)
        .text(summary.mean ? LengthUnitText(summary.unit) : "")
        .number(summary.grainSizeNumber)
        .number(summary.ci95)
        .number(summary.raPercent);
    // The header's names are written as they stand (its commas are separators).
    return std::string(kSpecimenCsvHeader) + "\n" + rows.str();
}

std::vector<FieldNumbers> ReadSpecimenCsv(std::string_view text)
{
    // A byte-order mark, as some editors add when they save, is not part of the header.
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    const std::vector<std::vector<std::string>> rows = ParseCsv(text);
    if (rows.empty() || rows[0].size() != cColumns)
        throw SpecimenFileError(UserText(kNotASpecimenTable));
    std::string header;
    for (const std::string& name : rows[0])
        header += (header.empty() ? "" : ",") + name;
    if (header != kSpecimenCsvHeader)
        throw SpecimenFileError(UserText(kNotASpecimenTable));

    std::vector<FieldNumbers> fields;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const std::vector<std::string>& cells = rows[r];
        const int row = static_cast<int>(r) + 1;
        if (cells.size() == 1 && cells[0].empty())
            continue;  // an empty line
        if (cells.size() != cColumns)
            throw SpecimenFileError(
                FillIn(UserText(QT_TRANSLATE_NOOP("Core", "Row %1 has %2 fields instead of %3.")),
                       {std::to_string(row), std::to_string(cells.size()), std::to_string(cColumns)}));
        if (r + 1 == rows.size() && cells[cField] == kSpecimenRowName)
            break;
        FieldNumbers field;
        field.name = cells[cField];
        const long double lines = Number(cells[cLines], row, "lines");
        if (lines < 0 || lines > kMaxLines || lines != std::floor(lines))
            throw SpecimenFileError(
                FillIn(UserText(QT_TRANSLATE_NOOP("Core", "Row %1: %2 is not a number of lines.")),
                       {std::to_string(row), cells[cLines]}));
        field.lines = static_cast<int>(lines);
        field.testLengthPx = Number(cells[cTestLength], row, "test_length_px");
        field.intercepts = Number(cells[cIntercepts], row, "intercepts");
        field.meanInterceptPx = OptionalNumber(cells[cMeanPx], row, "mean_intercept_px");
        field.meanIntercept = OptionalNumber(cells[cMean], row, "mean_intercept");
        if (field.meanIntercept) {
            const std::optional<LengthUnit> unit = ParseLengthUnit(cells[cUnit]);
            if (!unit)
                throw SpecimenFileError(FillIn(
                    UserText(QT_TRANSLATE_NOOP("Core", "Row %1: \"%2\" is not a unit (µm, nm or mm).")),
                    {std::to_string(row), cells[cUnit]}));
            field.unit = *unit;
        }
        fields.push_back(std::move(field));
    }
    return fields;
}

}  // namespace tesra
