// The trailer's byte layout, built by hand here byte for byte, and the reader's refusal of
// every inconsistent trailer.
#include "app/storage/trailer_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace tesra {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Hand-made 80-bit extended values: mantissa with explicit integer bit, then sign|exponent.
Bytes ext(std::uint64_t mantissa, std::uint16_t signExp)
{
    Bytes b;
    for (int i = 0; i < 8; ++i)
        b.push_back(static_cast<std::uint8_t>(mantissa >> (8 * i)));
    b.push_back(static_cast<std::uint8_t>(signExp & 0xFF));
    b.push_back(static_cast<std::uint8_t>(signExp >> 8));
    return b;
}
const Bytes kOne = ext(0x8000000000000000ULL, 0x3FFF);       // 1.0
const Bytes kMinusOne = ext(0x8000000000000000ULL, 0xBFFF);  // -1.0
const Bytes kOneAndHalf = ext(0xC000000000000000ULL, 0x3FFF); // 1.5
const Bytes kHundred = ext(0xC800000000000000ULL, 0x4005);   // 100.0
const Bytes kTwentyFive = ext(0xC800000000000000ULL, 0x4003); // 25.0
const Bytes kZero = ext(0, 0);

struct Builder {
    Bytes b;
    Builder& raw(const Bytes& x)
    {
        b.insert(b.end(), x.begin(), x.end());
        return *this;
    }
    Builder& fill(std::size_t n, std::uint8_t v)
    {
        b.insert(b.end(), n, v);
        return *this;
    }
    Builder& u16(unsigned v) { return raw({static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)}); }
    Builder& i32(std::int64_t v)
    {
        const auto u = static_cast<std::uint32_t>(v);
        return raw({static_cast<std::uint8_t>(u), static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u >> 16),
                    static_cast<std::uint8_t>(u >> 24)});
    }
    // A text block whose unused bytes hold junk, which the reader must not look at.
    Builder& text(const std::string& s)
    {
        b.push_back(static_cast<std::uint8_t>(s.size()));
        b.insert(b.end(), s.begin(), s.end());
        return fill(255 - s.size(), 0xCD);
    }
    // Line record: x1, y1, x2, y2, active, pad, weightedCount, secondPhaseLength, length, isCircle, pad.
    Builder& line(int x1, int y1, int x2, int y2, std::uint8_t active, const Bytes& count, const Bytes& phase,
                  const Bytes& length, std::uint8_t circle)
    {
        i32(x1).i32(y1).i32(x2).i32(y2).raw({active, 0x77}).raw(count).raw(phase).raw(length);
        return raw({circle, 0x77, 0x77, 0x77});
    }
    // Intercept record: x, y, type, pad, line, position, pad.
    Builder& intercept(int x, int y, std::uint8_t type, unsigned lineIndex, const Bytes& position)
    {
        i32(x).i32(y).raw({type, 0x77}).u16(lineIndex).raw(position);
        return raw({0x77, 0x77});
    }
    Builder& segment(unsigned first, unsigned second, unsigned lineIndex, const Bytes& length)
    {
        return u16(first).u16(second).u16(lineIndex).raw(length);
    }
};

const std::size_t kImageSize = 300;

// Image data, one line (0,0)-(100,0) with two intercepts and one segment between them.
Builder smallBody()
{
    Builder t;
    t.fill(kImageSize, 0xAA);
    t.u16(1).line(0, 0, 100, 0, 1, kOne, kTwentyFive, kHundred, 0);
    t.u16(2).intercept(0, 0, 5, 1, kZero).intercept(100, 0, 2, 1, kOne);
    t.u16(1).segment(1, 2, 1, kTwentyFive);
    return t;
}

Bytes finish(Builder t, const std::string& tag = "Tesra1", std::int64_t start = kImageSize)
{
    t.i32(start).text(tag);
    return t.b;
}

Bytes smallTrailer()
{
    Builder t = smallBody();
    t.text("Nicht Kalibtiert").raw(kMinusOne).text("PropFaktor").raw(kOneAndHalf);
    return finish(t);
}

TEST(TrailerLayout, SizesOfEmptyTrailers)
{
    TrailerContent empty;
    EXPECT_EQ(TrailerSize(empty), 798u);
    const Bytes bytes = EncodeTrailer(empty, 1234);
    ASSERT_EQ(bytes.size(), 798u);
    // Three zero counts, then the "Nicht Kalibtiert" block.
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 6), Bytes(6, 0));
    EXPECT_EQ(bytes[6], 16);
    EXPECT_EQ(std::string(bytes.begin() + 7, bytes.begin() + 23), "Nicht Kalibtiert");
    // S = 1234 at size - 260, tag "Tesra1" in the last 256 bytes.
    const std::size_t s = bytes.size() - 260;
    EXPECT_EQ(Bytes(bytes.begin() + s, bytes.begin() + s + 4), (Bytes{0xD2, 0x04, 0, 0}));
    EXPECT_EQ(bytes[s + 4], 6);
    EXPECT_EQ(std::string(bytes.begin() + s + 5, bytes.begin() + s + 11), "Tesra1");

    TrailerContent calibrated;
    calibrated.calibration.form = StoredCalibrationForm::Calibrated;
    EXPECT_EQ(TrailerSize(calibrated), 1074u);
    EXPECT_EQ(EncodeTrailer(calibrated, 0).size(), 1074u);
}

TEST(TrailerLayout, WriterMatchesHandBuiltBytes)
{
    TrailerContent c;
    TestLine line;
    line.x1 = 0;
    line.x2 = 100;
    line.weightedCount = 1;
    line.secondPhaseLength = 25;
    line.length = 100;
    c.lines = {line};
    c.intercepts = {Intercept{0, 0, itStartEndInGrain, 1, 0}, Intercept{100, 0, itSecondPhase, 1, 1}};
    c.segments = {PhaseSegment{1, 2, 1, 25}};
    c.calibration.form = StoredCalibrationForm::Calibrated;
    c.calibration.pixelLength = 100;
    c.calibration.realLength = 25;
    c.calibration.remark = "\xE4\xF6\xFC \xB5m";  // "äöü µm" in Windows-1252
    c.secondPhasePercent = -1;
    c.conversionFactor = 1.5;

    Builder expected;
    expected.u16(1).line(0, 0, 100, 0, 1, kOne, kTwentyFive, kHundred, 0);
    expected.u16(2).intercept(0, 0, 5, 1, kZero).intercept(100, 0, 2, 1, kOne);
    expected.u16(1).segment(1, 2, 1, kTwentyFive);
    expected.text("Kalibtiert").raw(kHundred).raw(kTwentyFive).text("\xE4\xF6\xFC \xB5m");
    expected.raw(kMinusOne).text("PropFaktor").raw(kOneAndHalf).i32(kImageSize).text("Tesra1");
    Bytes want = expected.b;

    Bytes got = EncodeTrailer(c, kImageSize);
    ASSERT_EQ(got.size(), want.size());
    // Padding and the unused part of text blocks carry no meaning: compare them as zero.
    auto blank = [](Bytes& b, std::size_t at, std::size_t n) { std::memset(b.data() + at, 0, n); };
    for (Bytes* b : {&want, &got}) {
        blank(*b, 2 + 17, 1);        // line padding
        blank(*b, 2 + 49, 3);
        for (std::size_t k = 0; k < 2; ++k) {
            blank(*b, 56 + 24 * k + 9, 1);   // intercept padding
            blank(*b, 56 + 24 * k + 22, 2);
        }
        for (const std::size_t block : std::vector<std::size_t>{122, 398, 664, want.size() - 256}) {
            const std::size_t used = 1 + (*b)[block];
            blank(*b, block + used, 256 - used);
        }
    }
    EXPECT_EQ(got, want);
}

TEST(TrailerLayout, ReadsHandBuiltTrailer)
{
    const ParsedTrailer p = ParseTrailer(smallTrailer());
    ASSERT_EQ(p.status, TrailerStatus::Found) << p.problem;
    EXPECT_EQ(p.start, kImageSize);
    const TrailerContent& c = p.content;
    ASSERT_EQ(c.lines.size(), 1u);
    EXPECT_EQ(c.lines[0].x2, 100);
    EXPECT_TRUE(c.lines[0].active);
    EXPECT_FALSE(c.lines[0].isCircle);
    EXPECT_EQ(c.lines[0].weightedCount, 1.0L);
    EXPECT_EQ(c.lines[0].secondPhaseLength, 25.0L);
    EXPECT_EQ(c.lines[0].length, 100.0L);
    ASSERT_EQ(c.intercepts.size(), 2u);
    EXPECT_EQ(c.intercepts[1].type, itSecondPhase);
    EXPECT_EQ(c.intercepts[1].position, 1.0L);
    ASSERT_EQ(c.segments.size(), 1u);
    EXPECT_EQ(c.segments[0].second, 2);
    EXPECT_EQ(c.segments[0].length, 25.0L);
    EXPECT_EQ(c.calibration.form, StoredCalibrationForm::NotCalibrated);
    EXPECT_EQ(c.secondPhasePercent, -1.0L);
    EXPECT_TRUE(c.hasConversionFactor);
    EXPECT_EQ(c.conversionFactor, 1.5L);
    EXPECT_FALSE(c.oldTag);
}

TEST(TrailerLayout, ThreeCalibrationFormsAndOldTag)
{
    {
        Builder t = smallBody();
        t.text("Kalibtiert").raw(kHundred).raw(kTwentyFive).text("\xE4\xF6\xFC \xB5m");
        t.raw(kTwentyFive).text("PropFaktor").raw(kOne);
        const ParsedTrailer p = ParseTrailer(finish(t, "Morvanteklisar2"));
        ASSERT_EQ(p.status, TrailerStatus::Found) << p.problem;
        EXPECT_TRUE(p.content.oldTag);
        EXPECT_EQ(p.content.calibration.form, StoredCalibrationForm::Calibrated);
        EXPECT_EQ(p.content.calibration.pixelLength, 100.0L);
        EXPECT_EQ(p.content.calibration.realLength, 25.0L);
        EXPECT_EQ(p.content.calibration.remark, "\xE4\xF6\xFC \xB5m");
        EXPECT_EQ(p.content.secondPhasePercent, 25.0L);
        EXPECT_EQ(p.content.conversionFactor, 1.0L);
    }
    {
        Builder t = smallBody();
        t.text("abc").text("25.5").text("probe 7").raw(kMinusOne).text("PropFaktor").raw(kOne);
        const ParsedTrailer p = ParseTrailer(finish(t));
        ASSERT_EQ(p.status, TrailerStatus::Found) << p.problem;
        EXPECT_EQ(p.content.calibration.form, StoredCalibrationForm::Texts);
        EXPECT_EQ(p.content.calibration.pixelText, "abc");
        EXPECT_EQ(p.content.calibration.realText, "25.5");
        EXPECT_EQ(p.content.calibration.remark, "probe 7");
    }
    {
        // Written without the key: S follows the second-phase fraction directly.
        Builder t = smallBody();
        t.text("Nicht Kalibtiert").raw(kMinusOne);
        const ParsedTrailer p = ParseTrailer(finish(t));
        ASSERT_EQ(p.status, TrailerStatus::Found) << p.problem;
        EXPECT_FALSE(p.content.hasConversionFactor);
        EXPECT_EQ(p.content.conversionFactor, 1.56L);
    }
    {
        // Another block in place of "PropFaktor", ending the trailer: no value is read.
        Builder t = smallBody();
        t.text("Nicht Kalibtiert").raw(kMinusOne).text("PropFactor");
        const ParsedTrailer p = ParseTrailer(finish(t));
        ASSERT_EQ(p.status, TrailerStatus::Found) << p.problem;
        EXPECT_FALSE(p.content.hasConversionFactor);
        EXPECT_EQ(p.content.conversionFactor, 1.56L);
    }
    {
        // ... but followed by a value it is a damaged key, not a missing one.
        Builder t = smallBody();
        t.text("Nicht Kalibtiert").raw(kMinusOne).text("PropFactor").raw(kOne);
        EXPECT_EQ(ParseTrailer(finish(t)).status, TrailerStatus::Damaged);
    }
}

TEST(TrailerLayout, PlainAndTinyFiles)
{
    EXPECT_EQ(ParseTrailer(Bytes(256, 0)).status, TrailerStatus::TooSmall);
    EXPECT_EQ(ParseTrailer(Bytes()).status, TrailerStatus::TooSmall);
    EXPECT_EQ(ParseTrailer(Bytes(5000, 0)).status, TrailerStatus::Absent);
    // "Tesra1" followed by text: the block is not the tag.
    Builder longer;
    longer.fill(1000, 0).text("Tesra12");
    EXPECT_EQ(ParseTrailer(longer.b).status, TrailerStatus::Absent);
    // A tag in a file too short to hold S.
    Builder tiny;
    tiny.fill(2, 0).text("Tesra1");
    EXPECT_EQ(ParseTrailer(tiny.b).status, TrailerStatus::Damaged);
    // Only the end of a file at hand: what lies before it is never looked at.
    const Bytes good = smallTrailer();
    const std::span<const std::uint8_t> all(good);
    EXPECT_EQ(ParseTrailer(all.last(258), good.size()).status, TrailerStatus::Damaged);
    EXPECT_EQ(ParseTrailer(all.last(good.size() - kImageSize), good.size()).status, TrailerStatus::Found);
    EXPECT_EQ(ParseTrailer(all.last(good.size() - kImageSize - 1), good.size()).status, TrailerStatus::Damaged);
}

struct DamageCase {
    const char* name;
    Bytes bytes;
};

std::vector<DamageCase> damageCases()
{
    auto trailerWith = [](auto&& body) {
        Builder t;
        t.fill(kImageSize, 0xAA);
        body(t);
        t.text("Nicht Kalibtiert").raw(kMinusOne).text("PropFaktor").raw(kOne);
        return finish(t);
    };
    std::vector<DamageCase> cases;
    const Bytes good = smallTrailer();
    auto withStart = [&](std::int64_t s) {
        Bytes b = good;
        const std::size_t at = b.size() - 260;
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(s) >> (8 * i));
        return b;
    };
    cases.push_back({"S negative", withStart(-1)});
    cases.push_back({"S past the tag", withStart(static_cast<std::int64_t>(good.size()))});
    cases.push_back({"S at the tag", withStart(static_cast<std::int64_t>(good.size() - 256))});
    cases.push_back({"S leaves no room for the body", withStart(static_cast<std::int64_t>(good.size() - 300))});
    cases.push_back({"301 lines", trailerWith([](Builder& t) {
                         t.u16(301);
                         for (int i = 0; i < 301; ++i)
                             t.line(0, 0, 10, 0, 1, kZero, kZero, kOne, 0);
                         t.u16(0).u16(0);
                     })});
    cases.push_back({"5001 intercepts", trailerWith([](Builder& t) {
                         t.u16(1).line(0, 0, 10, 0, 1, kZero, kZero, kOne, 0).u16(5001);
                         for (int i = 0; i < 5001; ++i)
                             t.intercept(0, 0, 1, 1, kZero);
                         t.u16(0);
                     })});
    cases.push_back({"5001 segments", trailerWith([](Builder& t) {
                         t.u16(1).line(0, 0, 10, 0, 1, kZero, kZero, kOne, 0).u16(2);
                         t.intercept(0, 0, 1, 1, kZero).intercept(1, 0, 1, 1, kZero).u16(5001);
                         for (int i = 0; i < 5001; ++i)
                             t.segment(1, 2, 1, kZero);
                     })});
    cases.push_back({"line count beyond the end", trailerWith([](Builder& t) {
                         t.u16(250).line(0, 0, 10, 0, 1, kZero, kZero, kOne, 0).u16(0).u16(0);
                     })});
    cases.push_back({"intercept on line 0", trailerWith([](Builder& t) {
                         t.u16(1).line(0, 0, 10, 0, 1, kZero, kZero, kOne, 0).u16(1).intercept(0, 0, 1, 0, kZero).u16(0);
                     })});
    cases.push_back({"intercept on line 2 of 1", trailerWith([](Builder& t) {
                         t.u16(1).line(0, 0, 10, 0, 1, kZero, kZero, kOne, 0).u16(1).intercept(0, 0, 1, 2, kZero).u16(0);
                     })});
    cases.push_back({"intercept of type 0", trailerWith([](Builder& t) {
                         t.u16(1).line(0, 0, 10, 0, 1, kZero, kZero, kOne, 0).u16(1).intercept(0, 0, 0, 1, kZero).u16(0);
                     })});
    cases.push_back({"intercept of type 7", trailerWith([](Builder& t) {
                         t.u16(1).line(0, 0, 10, 0, 1, kZero, kZero, kOne, 0).u16(1).intercept(0, 0, 7, 1, kZero).u16(0);
                     })});
    auto twoLines = [](Builder& t) {
        t.u16(2).line(0, 0, 10, 0, 1, kZero, kZero, kOne, 0).line(0, 5, 10, 5, 1, kZero, kZero, kOne, 0);
        t.u16(3).intercept(0, 0, 1, 1, kZero).intercept(5, 0, 1, 1, kZero).intercept(5, 5, 1, 2, kZero);
    };
    cases.push_back({"segment to intercept 0", trailerWith([&](Builder& t) { twoLines(t); t.u16(1).segment(0, 1, 1, kOne); })});
    cases.push_back({"segment to missing intercept", trailerWith([&](Builder& t) { twoLines(t); t.u16(1).segment(1, 4, 1, kOne); })});
    cases.push_back({"segment across lines", trailerWith([&](Builder& t) { twoLines(t); t.u16(1).segment(2, 3, 1, kOne); })});
    cases.push_back({"segment naming the wrong line", trailerWith([&](Builder& t) { twoLines(t); t.u16(1).segment(1, 2, 2, kOne); })});
    {
        Builder t;
        t.fill(kImageSize, 0xAA).u16(0).u16(0).u16(0).text("Kalibtiert").raw(kOne);  // values cut short
        cases.push_back({"calibration values cut short", finish(t)});
    }
    {
        Builder t;
        t.fill(kImageSize, 0xAA).u16(0).u16(0).u16(0).text("abc").text("1");  // remark block missing
        cases.push_back({"calibration texts cut short", finish(t)});
    }
    {
        Builder t;
        t.fill(kImageSize, 0xAA).u16(0).u16(0).u16(0).text("Nicht Kalibtiert").raw(kMinusOne).text("PropFaktor");
        cases.push_back({"key without its value", finish(t)});
    }
    {
        // One changed byte in the key: the factor must not silently fall back to 1.56.
        Builder t;
        t.fill(kImageSize, 0xAA).u16(0).u16(0).u16(0).text("Nicht Kalibtiert").raw(kMinusOne).text("PropFaktoR");
        cases.push_back({"changed byte in the key", finish(t.raw(kOneAndHalf))});
    }
    {
        Builder t;
        t.fill(kImageSize, 0xAA).u16(0).u16(0).u16(0).text("Nicht Kalibtiert").raw(kMinusOne).text("PropFaktor");
        cases.push_back({"bytes between the factor and S", finish(t.raw(kOneAndHalf).fill(3, 0))});
    }
    return cases;
}

TEST(TrailerLayout, DamagedTrailersCarryNothing)
{
    for (const DamageCase& c : damageCases()) {
        const ParsedTrailer p = ParseTrailer(c.bytes);
        EXPECT_EQ(p.status, TrailerStatus::Damaged) << c.name;
        EXPECT_FALSE(p.problem.empty()) << c.name;
        EXPECT_TRUE(p.content.lines.empty() && p.content.intercepts.empty() && p.content.segments.empty()) << c.name;
    }
}

// A found trailer must satisfy every rule the measurement relies on.
void expectConsistent(const TrailerContent& c, const std::string& label)
{
    ASSERT_LE(c.lines.size(), 300u) << label;
    ASSERT_LE(c.intercepts.size(), 5000u) << label;
    ASSERT_LE(c.segments.size(), 5000u) << label;
    for (const Intercept& i : c.intercepts) {
        ASSERT_GE(i.line, 1) << label;
        ASSERT_LE(i.line, c.lines.size()) << label;
    }
    for (const PhaseSegment& s : c.segments) {
        ASSERT_GE(s.first, 1) << label;
        ASSERT_GE(s.second, 1) << label;
        ASSERT_LE(s.first, c.intercepts.size()) << label;
        ASSERT_LE(s.second, c.intercepts.size()) << label;
        ASSERT_EQ(c.intercepts[s.first - 1].line, s.line) << label;
        ASSERT_EQ(c.intercepts[s.second - 1].line, s.line) << label;
    }
}

TEST(TrailerLayout, TruncationsNeverLoadPartly)
{
    const Bytes good = smallTrailer();
    const std::size_t trailerStart = kImageSize;
    const std::size_t bodyEnd = good.size() - 260;
    for (std::size_t len = 0; len < good.size(); ++len) {
        // The file cut at len: the tag is gone, or (when the cut leaves a tag-like block) the
        // reader still never loads a part.
        const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(len));
        const ParsedTrailer p = ParseTrailer(cut);
        EXPECT_NE(p.status, TrailerStatus::Found) << "file cut at " << len;
        EXPECT_TRUE(p.content.lines.empty()) << len;
    }
    for (std::size_t len = trailerStart; len < bodyEnd; ++len) {
        // The body cut at len with S and the tag kept.
        Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(len));
        cut.insert(cut.end(), good.end() - 260, good.end());
        const ParsedTrailer p = ParseTrailer(cut);
        const std::size_t keyEnd = bodyEnd - 256 - 10;  // where an old trailer without the key ends
        if (len == keyEnd) {
            // Exactly the key and its value cut away: a trailer of the form without the key.
            EXPECT_EQ(p.status, TrailerStatus::Found);
            EXPECT_FALSE(p.content.hasConversionFactor);
            EXPECT_EQ(p.content.lines.size(), 1u);
            EXPECT_EQ(p.content.segments.size(), 1u);
            continue;
        }
        EXPECT_EQ(p.status, TrailerStatus::Damaged) << "body cut at " << len;
        EXPECT_TRUE(p.content.lines.empty() && p.content.intercepts.empty()) << len;
    }
}

TEST(TrailerLayout, RandomFlipsInCountsAndStart)
{
    const Bytes good = smallTrailer();
    const std::size_t lineCountAt = kImageSize;
    const std::size_t interceptCountAt = lineCountAt + 2 + 52;
    const std::size_t segmentCountAt = interceptCountAt + 2 + 48;
    const std::size_t startAt = good.size() - 260;
    const std::size_t fields[] = {lineCountAt, lineCountAt + 1, interceptCountAt, interceptCountAt + 1,
                                  segmentCountAt, segmentCountAt + 1, startAt, startAt + 1, startAt + 2, startAt + 3};
    std::mt19937 random(20240611u);
    int found = 0;
    int damaged = 0;
    for (int round = 0; round < 5000; ++round) {
        Bytes b = good;
        const int flips = 1 + static_cast<int>(random() % 3);
        for (int f = 0; f < flips; ++f)
            b[fields[random() % std::size(fields)]] ^= static_cast<std::uint8_t>(1u << (random() % 8));
        const ParsedTrailer p = ParseTrailer(b);
        if (p.status == TrailerStatus::Found) {
            ++found;
            expectConsistent(p.content, "round " + std::to_string(round));
        } else {
            ++damaged;
            EXPECT_EQ(p.status, TrailerStatus::Damaged) << round;
            EXPECT_TRUE(p.content.lines.empty() && p.content.intercepts.empty() && p.content.segments.empty());
        }
    }
    EXPECT_GT(damaged, 4000);
}

TEST(TrailerLayout, WriterRefusesWhatCannotBeRead)
{
    TrailerContent tooMany;
    tooMany.lines.resize(301);
    EXPECT_THROW(EncodeTrailer(tooMany, 0), TrailerError);
    EXPECT_THROW(EncodeTrailer(TrailerContent{}, 0x80000000ULL), TrailerError);
    EXPECT_NO_THROW(EncodeTrailer(TrailerContent{}, 0x7FFFFFFFULL));
}

}  // namespace
}  // namespace tesra
