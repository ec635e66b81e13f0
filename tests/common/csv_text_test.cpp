// CSV for spreadsheets: the same bytes whatever the program's or the process's locale, read
// back by a reader of its own here.
#include "common/csv_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <locale>
#include <sstream>

#include "common/number_format.h"
#include "results/fields_csv.h"

namespace tesra {
namespace {

TEST(CsvText, QuotesOnlyWhatNeedsItAndParsesItBack)
{
    CsvText csv;
    csv.row("plain").text("a,b").text("say \"hi\"").text("two\nlines").number(1234567.5L);
    csv.row("").number(std::optional<long double>()).number(0.000125L).number(2.5e-7L).integer(-3);
    const std::string text = csv.str();
    EXPECT_EQ(text, "plain,\"a,b\",\"say \"\"hi\"\"\",\"two\nlines\",1234567.5\n,,0.000125,2.5E-7,-3\n");
    const auto rows = ParseCsv(text);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"plain", "a,b", "say \"hi\"", "two\nlines", "1234567.5"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"", "", "0.000125", "2.5E-7", "-3"}));
    EXPECT_EQ(ParseCsv("a,b\r\nc"), (std::vector<std::vector<std::string>>{{"a", "b"}, {"c"}}));
    EXPECT_EQ(CsvNumber(1.0L / 3.0L), "0.3333333333");
    EXPECT_EQ(CsvNumber(1.0e12L), "1E12");
}

// German numbers: a comma for the decimals, points between the thousands.
struct GermanPunctuation : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return '.'; }
    std::string do_grouping() const override { return "\3"; }
};

// A reader as a script would write it: split at commas outside quotes, numbers in the
// classic ("C") locale, whatever locale the process runs in.
std::vector<std::vector<double>> ReadNumbers(const std::string& text)
{
    std::vector<std::vector<double>> rows;
    std::istringstream lines(text);
    std::string line;
    std::getline(lines, line);  // header
    while (std::getline(lines, line)) {
        std::vector<double> row;
        std::istringstream fields(line);
        std::string field;
        std::getline(fields, field, ',');  // the name
        while (std::getline(fields, field, ',')) {
            std::istringstream number(field);
            number.imbue(std::locale::classic());
            double v = 0;
            const bool whole = (number >> v) && number.eof();
            row.push_back(whole ? v : std::nan(""));
        }
        rows.push_back(row);
    }
    return rows;
}

TEST(CsvText, SpecimenTableIsTheSameInGermanAndEnglish)
{
    FieldNumbers a;
    a.name = "Probe, Feld 1.tif";
    a.lines = 12;
    a.testLengthPx = 12345.678L;
    a.intercepts = 234.5L;
    a.meanInterceptPx = 52.6468L;
    a.meanIntercept = 1052.936L;
    a.unit = LengthUnit::Nanometre;
    FieldNumbers b = a;
    b.name = "Feld 2.tif";
    b.meanIntercept = 2.5L;
    b.unit = LengthUnit::Micrometre;
    const std::vector<FieldNumbers> fields{a, b};

    const std::string english = SpecimenCsv(fields);
    const std::locale before = std::locale::global(std::locale(std::locale::classic(), new GermanPunctuation));
    const std::string german = SpecimenCsv(fields);
    std::locale::global(before);
    EXPECT_EQ(german, english);

    const auto rows = ReadNumbers(english);
    ASSERT_EQ(rows.size(), 3u);
    // Row 0 holds a quoted comma that this simple reader splits; rows 1 and 2 are read whole.
    EXPECT_DOUBLE_EQ(rows[1][0], 12);
    EXPECT_DOUBLE_EQ(rows[1][1], 12345.678);
    EXPECT_DOUBLE_EQ(rows[1][2], 234.5);
    EXPECT_DOUBLE_EQ(rows[1][4], 2.5);
    EXPECT_DOUBLE_EQ(rows[2][0], 24);
    EXPECT_DOUBLE_EQ(rows[2][1], 24691.356);
    // The specimen's mean is in the first field's unit: (1052.936 + 2500) / 2 nm.
    EXPECT_DOUBLE_EQ(rows[2][4], 1776.468);
}

}  // namespace
}  // namespace tesra
