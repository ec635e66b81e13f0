// Line-set files: hand-built files loaded onto images of a given size, and saved sets.
#include "app/storage/line_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

#include "tests/app/storage/test_document.h"
#include "tests/test_support.h"

namespace tesra {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

struct Document : test::TestDocument {
    explicit Document(int w = 640, int h = 480) : TestDocument(w, h) {}
};

struct Line {
    int x1, y1, x2, y2;
    std::uint8_t active;
    std::uint8_t circle;
};

void putI32(Bytes& b, std::int32_t v)
{
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
}

// A line-set file built byte by byte: header, count, records whose weightedCount and
// secondPhaseLength hold 7.0 (to be discarded) and whose length is 100.0.
Bytes lineSetFile(const std::vector<Line>& lines, int count = -1, const std::string& header = "Morvanteklisar1.Linien1")
{
    Bytes b(256, 0xEE);
    b[0] = static_cast<std::uint8_t>(header.size());
    std::copy(header.begin(), header.begin() + std::min<std::size_t>(header.size(), 255), b.begin() + 1);
    const int n = count < 0 ? static_cast<int>(lines.size()) : count;
    b.push_back(static_cast<std::uint8_t>(n));
    b.push_back(static_cast<std::uint8_t>(n >> 8));
    const Bytes seven = {0, 0, 0, 0, 0, 0, 0, 0xE0, 0x01, 0x40};
    const Bytes hundred = {0, 0, 0, 0, 0, 0, 0, 0xC8, 0x05, 0x40};
    for (const Line& l : lines) {
        putI32(b, l.x1);
        putI32(b, l.y1);
        putI32(b, l.x2);
        putI32(b, l.y2);
        b.insert(b.end(), {l.active, 0x11});
        b.insert(b.end(), seven.begin(), seven.end());
        b.insert(b.end(), seven.begin(), seven.end());
        b.insert(b.end(), hundred.begin(), hundred.end());
        b.insert(b.end(), {l.circle, 0x11, 0x11, 0x11});
    }
    return b;
}

TEST(LineSet, EmptySetIs258Bytes)
{
    const std::string dir = test::makeTempDir("lineset-empty");
    const std::string name = dir + "/empty.lin";
    SaveLineSet(name, Measurement{});
    const Bytes file = test::readFile(name);
    ASSERT_EQ(file.size(), 258u);
    EXPECT_EQ(file[0], 23);
    EXPECT_EQ(std::string(file.begin() + 1, file.begin() + 24), "Morvanteklisar1.Linien1");
    EXPECT_EQ(file[256], 0);
    EXPECT_EQ(file[257], 0);
    fs::remove_all(dir);
}

TEST(LineSet, LinesOutsideTheImageAreDropped)
{
    Document d(640, 480);
    d.state.currentType = itTriplePoint;
    const Bytes file = lineSetFile({
        {10, 10, 640, 480, 1, 0},   // second point on the image's width and height: accepted
        {10, 10, 641, 100, 1, 0},   // x2 beyond the width
        {10, 10, 100, 481, 1, 0},   // y2 beyond the height
        {0, 0, 40, 40, 0, 1},       // circle, not ticked
        {700, 900, 20, 20, 1, 0},   // the first point is not tested
    });
    const LineSetLoadResult r = LoadLineSet(file, 640, 480, d.measurement);
    EXPECT_TRUE(r.headerMatched);
    EXPECT_EQ(r.added, 3);
    EXPECT_EQ(r.dropped, 2);
    EXPECT_EQ(r.message, "2 linies droped (partially outside image)");
    EXPECT_TRUE(r.typeReset);

    const Measurement& m = d.measurement;
    ASSERT_EQ(m.lineCount(), 3);
    EXPECT_EQ(m.line(1).x2, 640);
    EXPECT_EQ(m.line(3).x1, 700);
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(m.line(n).weightedCount, 0.0L) << n;  // only the type-V ends count, weight 0
        EXPECT_EQ(m.line(n).secondPhaseLength, 0.0L) << n;
        EXPECT_EQ(m.line(n).length, 100.0L) << n;       // kept as stored
    }
    EXPECT_TRUE(m.line(2).isCircle);
    EXPECT_FALSE(m.line(2).active);
    // Two end intercepts of type V for each straight line, none for the circle.
    ASSERT_EQ(m.interceptCount(), 4);
    EXPECT_EQ(m.intercept(1).line, 1);
    EXPECT_EQ(m.intercept(1).x, 10);
    EXPECT_EQ(m.intercept(2).x, 640);
    EXPECT_EQ(m.intercept(3).line, 3);
    EXPECT_EQ(m.intercept(4).y, 20);
    for (int k = 1; k <= 4; ++k)
        EXPECT_EQ(m.intercept(k).type, itStartEndInGrain);

    // Sheet rows with marks, recomputed.
    EXPECT_EQ(d.sheet().rowCount(), 4);
    EXPECT_EQ(d.sheet().cell(2, 3), "3");
    EXPECT_TRUE(d.sheet().rowMarked(1));
    EXPECT_FALSE(d.sheet().rowMarked(2));
    EXPECT_EQ(d.sheet().cell(3, 2), "100,000");
    EXPECT_EQ(d.sheet().sumCell(1, 1), "300,000");
}

TEST(LineSet, LinesWithALengthThatIsNoNumberAreDropped)
{
    Document d(640, 480);
    Bytes file = lineSetFile({{0, 0, 30, 40, 1, 0}, {0, 0, 30, 40, 1, 0}, {0, 0, 30, 40, 1, 0}, {5, 5, 50, 50, 1, 1}});
    // Lengths (bytes 38..47 of each record): quiet NaN, +infinity, -infinity.
    const Bytes nan = {0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x7F};
    const Bytes inf = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F};
    const Bytes minusInf = {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xFF};
    std::copy(nan.begin(), nan.end(), file.begin() + 258 + 38);
    std::copy(inf.begin(), inf.end(), file.begin() + 258 + 52 + 38);
    std::copy(minusInf.begin(), minusInf.end(), file.begin() + 258 + 3 * 52 + 38);
    const LineSetLoadResult r = LoadLineSet(file, 640, 480, d.measurement);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.dropped, 3);
    EXPECT_EQ(r.message, "3 linies droped (partially outside image)");
    ASSERT_EQ(d.measurement.lineCount(), 1);
    EXPECT_EQ(d.measurement.line(1).length, 100.0L);
    EXPECT_EQ(d.sheet().cell(3, 1), "100,000");
}

// A folder or a FIFO chosen as a line set or an image is refused at once, never waited on.
TEST(LineSet, OnlyRegularFilesAreRead)
{
    const std::string dir = test::makeTempDir("lineset-kinds");
    fs::create_directory(dir + "/d.lin");
    ASSERT_EQ(::mkfifo((dir + "/f.lin").c_str(), 0600), 0);
    for (const std::string& name : {dir + "/d.lin", dir + "/f.lin"}) {
        Document d;
        const bool folder = name.back() == 'n' && name[name.size() - 5] == 'd';
        const std::string message = name + (folder ? ": Is a directory" : ": Not a regular file");
        try {
            LoadLineSet(name, 640, 480, d.measurement);
            ADD_FAILURE() << name;
        } catch (const StorageError& e) {
            EXPECT_EQ(e.what(), message);
        }
        try {
            ReadTrailer(name, d.doc, d.state);
            ADD_FAILURE() << name;
        } catch (const StorageError& e) {
            EXPECT_EQ(e.what(), message);
        }
        EXPECT_EQ(d.measurement.lineCount(), 0);
    }
    fs::remove_all(dir);
}

TEST(LineSet, LoadingAppendsAndStopsAt300Lines)
{
    Document d;
    d.measurement.AddTestLine(1, 1, 5, 5, false);
        const Bytes file = lineSetFile({{1, 2, 3, 4, 1, 0}, {0, 0, 8, 8, 1, 1}});
    LoadLineSet(file, 640, 480, d.measurement);
    LoadLineSet(file, 640, 480, d.measurement);
    ASSERT_EQ(d.measurement.lineCount(), 5);
    EXPECT_EQ(d.measurement.line(4).x1, 1);
    EXPECT_EQ(d.measurement.interceptCount(), 6);  // 2 for the drawn line, 2 per loaded straight line
    EXPECT_EQ(d.sheet().rowCount(), 6);
    EXPECT_EQ(d.sheet().cell(2, 5), "5");

    // At 299 lines only one more fits; the others count as dropped.
    Document full;
    std::vector<TestLine> lines(299);
    full.measurement.setRecords(lines, {}, {});
    const LineSetLoadResult r = LoadLineSet(lineSetFile({{0, 0, 1, 1, 1, 1}, {0, 0, 2, 2, 1, 1}, {0, 0, 3, 3, 1, 1}}),
                                            640, 480, full.measurement);
    EXPECT_EQ(r.added, 1);
    EXPECT_EQ(r.dropped, 2);
    EXPECT_EQ(r.message, "2 linies droped (partially outside image)");
    EXPECT_EQ(full.measurement.lineCount(), 300);
    EXPECT_EQ(full.measurement.line(300).x2, 1);
    EXPECT_EQ(full.sheet().rowCount(), 301);
    EXPECT_FALSE(r.typeReset);  // circles only
}

TEST(LineSet, WrongHeaderIsIgnoredAndShortFileIsRefusedWhole)
{
    Document d;
    d.state.currentType = itTangent;
    const std::vector<Line> two = {{1, 1, 2, 2, 1, 0}, {3, 3, 4, 4, 1, 0}};
    for (const Bytes& notASet : {lineSetFile(two, -1, "Morvanteklisar1.Linien2"), lineSetFile(two, -1, "Morvanteklisar1.Linien"),
                                 Bytes{}, Bytes{23, 'M'}}) {
        const LineSetLoadResult r = LoadLineSet(notASet, 640, 480, d.measurement);
        EXPECT_FALSE(r.headerMatched);
        EXPECT_EQ(r.added, 0);
    }
    EXPECT_EQ(d.measurement.lineCount(), 0);
    EXPECT_EQ(d.state.currentType, itTangent);

    Bytes shortFile = lineSetFile(two, 3);
    EXPECT_THROW(LoadLineSet(shortFile, 640, 480, d.measurement), StorageError);
    shortFile = lineSetFile(two);
    shortFile.pop_back();
    try {
        LoadLineSet(shortFile, 640, 480, d.measurement);
        FAIL();
    } catch (const StorageError& e) {
        EXPECT_NE(std::string(e.what()).find("ends before its 2 lines"), std::string::npos) << e.what();
    }
    Bytes noCount = lineSetFile({});
    noCount.pop_back();
    EXPECT_THROW(LoadLineSet(noCount, 640, 480, d.measurement), StorageError);
    EXPECT_EQ(d.measurement.lineCount(), 0);
    EXPECT_EQ(d.measurement.interceptCount(), 0);
    EXPECT_EQ(d.sheet().rowCount(), 2);
}

TEST(LineSet, SavedSetLoadsOntoAnotherImage)
{
    const std::string dir = test::makeTempDir("lineset-file");
    const std::string name = dir + "/pattern.lin";
    Document from(1000, 800);
    from.measurement.AddTestLine(10, 700, 900, 100, false);  // stored from (10,700) to (900,100)
    from.measurement.AddTestLine(100, 100, 200, 160, true);  // circle box 60 × 60
    from.measurement.AddTestLine(5, 5, 600, 470, false);
    SaveLineSet(name, from.measurement);
    EXPECT_EQ(fs::file_size(name), 258u + 3 * 52);

    Document onto(640, 480);
    const LineSetLoadResult r = LoadLineSet(name, 640, 480, onto.measurement);
    EXPECT_EQ(r.added, 2);
    EXPECT_EQ(r.dropped, 1);
    ASSERT_EQ(onto.measurement.lineCount(), 2);
    EXPECT_EQ(onto.measurement.line(1).x2, 160);
    EXPECT_TRUE(onto.measurement.line(1).isCircle);
    EXPECT_EQ(onto.measurement.line(1).length, from.measurement.line(2).length);
    EXPECT_EQ(onto.measurement.line(2).y2, 470);

    try {
        LoadLineSet(dir + "/missing.lin", 640, 480, onto.measurement);
        FAIL();
    } catch (const StorageError& e) {
        EXPECT_NE(std::string(e.what()).find(std::strerror(ENOENT)), std::string::npos) << e.what();
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace tesra
