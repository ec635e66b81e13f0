// The sheet and the intercept list as CSV: read back by a CSV reader, every figure in its
// named column, worked out by hand; the same bytes whichever locale the process runs in.
#include "results/measurement_csv.h"

#include <gtest/gtest.h>

#include <locale>
#include <map>

#include "common/csv_text.h"
#include "app/document/measuring_document.h"

namespace tesra {
namespace {

struct GermanPunctuation : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

// Rows by their first field, cells by column name.
std::map<std::string, std::map<std::string, std::string>> ReadTable(const std::string& text)
{
    const auto rows = ParseCsv(text);
    std::map<std::string, std::map<std::string, std::string>> table;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        EXPECT_EQ(rows[r].size(), rows[0].size()) << "row " << r;
        for (std::size_t c = 0; c < rows[r].size() && c < rows[0].size(); ++c)
            table[rows[r][0]][rows[0][c]] = rows[r][c];
    }
    return table;
}

// Line 1: 1000 px with 4 intercepts, line 2: 500 px with 2; 200 px = 50 µm.
void Measure(MeasuringDocument& document, bool calibrate)
{
    document.resetForImage(1200, 400);
    document.AddTestLine(0, 100, 1000, 100, false);
    for (int x : {100, 300, 600, 900})
        document.AddIntercept({x, 100}, 1, itNormal);
    document.AddTestLine(0, 300, 500, 300, false);
    for (int x : {250, 400})
        document.AddIntercept({x, 300}, 2, itNormal);
    if (!calibrate)
        return;
    document.calibrationTexts().fields().tPixel = "200";
    document.calibrationTexts().fields().tEcht = "50";
    ASSERT_EQ(document.AcceptCalibration(LengthUnit::Micrometre), CalibrationFailure::None);
}

TEST(MeasurementCsv, SheetAndInterceptsReadBackInEveryLocale)
{
    MeasuringDocument document;
    ASSERT_NO_FATAL_FAILURE(Measure(document, true));
    const Measurement& m = document.measurement();
    const std::string sheet = SheetCsv(m, true, LengthUnit::Micrometre);
    const std::string intercepts = InterceptCsv(m);
    const std::locale before = std::locale::global(std::locale(std::locale::classic(), new GermanPunctuation));
    EXPECT_EQ(SheetCsv(m, true, LengthUnit::Micrometre), sheet);
    EXPECT_EQ(InterceptCsv(m), intercepts);
    std::locale::global(before);

    auto table = ReadTable(sheet);
    const std::string um = "\xC2\xB5m";
    struct Cell {
        const char* row;
        std::string column;
        const char* value;
    };
    // Grain size = length / intercepts × 1.56; ℓ̄ = 1500 / 6 px = 62.5 µm;
    // G = −6.643856 · log10(0.0625) − 3.288 = 4.712.
    const Cell cells[] = {
        {"1", "length_px", "1000"},       {"1", "intercepts", "4"},
        {"1", "grain_size_px", "390"},    {"1", "calibrated_length_" + um, "250"},
        {"1", "grain_size_" + um, "97.5"}, {"1", "circle", "0"},
        {"2", "length_px", "500"},        {"2", "intercepts", "2"},
        {"2", "calibrated_length_" + um, "125"}, {"2", "G", ""},
        {"total", "length_px", "1500"},   {"total", "intercepts", "6"},
        {"total", "calibrated_length_" + um, "375"}, {"total", "mean_intercept_px", "250"},
        {"total", "mean_intercept_" + um, "62.5"},   {"total", "G", "4.712"},
    };
    for (const Cell& c : cells) {
        ASSERT_TRUE(table.count(c.row)) << c.row;
        ASSERT_TRUE(table[c.row].count(c.column)) << c.column;
        const std::string& got = table[c.row][c.column];
        if (c.column == "G" && *c.value)
            EXPECT_NEAR(std::stod(got), std::stod(c.value), 5e-4) << c.row;
        else
            EXPECT_EQ(got, c.value) << c.row << " " << c.column;
    }

    const auto list = ParseCsv(intercepts);
    // Each line's two ends are intercepts of type 5, ahead of the crossings clicked on it.
    ASSERT_EQ(list.size(), 11u);
    EXPECT_EQ(list[0], (std::vector<std::string>{"line", "x", "y", "type", "position"}));
    EXPECT_EQ(list[2], (std::vector<std::string>{"1", "1000", "100", "5", "1"}));
    EXPECT_EQ(list[3], (std::vector<std::string>{"1", "100", "100", "1", "0.1"}));
    EXPECT_EQ(list[10], (std::vector<std::string>{"2", "400", "300", "1", "0.8"}));

    // Without a calibration the real lengths and G stay empty.
    MeasuringDocument plain;
    ASSERT_NO_FATAL_FAILURE(Measure(plain, false));
    table = ReadTable(SheetCsv(plain.measurement(), false, LengthUnit::Micrometre));
    EXPECT_EQ(table["total"]["grain_size_px"], "390");
    EXPECT_EQ(table["total"]["grain_size_" + um], "");
    EXPECT_EQ(table["total"]["mean_intercept_" + um], "");
    EXPECT_EQ(table["total"]["G"], "");
}

}  // namespace
}  // namespace tesra
