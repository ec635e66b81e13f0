#include "analysis/boundary_proposals.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "tests/synthetic_micrograph.h"

namespace tesra {
namespace {

using test::MicrographLook;
using test::TrueCrossing;

// One kind of micrograph: how it looks, how fine its grains are, and the setting that fits it.
struct Kind {
    const char* name;
    int grains;  // on 1000 x 800 pixels
    MicrographLook look;
    bool bright = false;
};

const Kind kKinds[] = {
    {"clean", 300, {}},
    {"noisy", 300, {.noise = 25}},
    {"blurred", 300, {.blur = 1.5, .noise = 3}},
    {"low contrast", 300, {.grainGreyLow = 150, .grainGreyHigh = 185, .boundaryGrey = 120, .noise = 4}},
    {"JPEG", 300, {.noise = 8, .jpegQuality = 40}},
    {"fine grains", 1500, {.blur = 0.7, .noise = 6}},
    {"coarse grains", 40, {.noise = 10}},
    {"bright boundaries", 300, {.grainGreyLow = 60, .grainGreyHigh = 130, .boundaryGrey = 220, .noise = 8}, true},
};

void PrintTo(const Kind& kind, std::ostream* os)
{
    *os << kind.name;
}

constexpr int kWidth = 1000;
constexpr int kHeight = 800;
constexpr double kTolerance = 2.0;

struct Tally {
    int trueCrossings = 0;
    int found = 0;
    int proposals = 0;
    int falseOnes = 0;
    int junctions = 0;       // groups of true crossings closer than the junction distance
    int junctionsTyped = 0;  // of those, proposed as one type-III crossing
};

// Compares the proposals of one line with its true crossings. Crossings closer than the
// junction distance are one triple junction, expected as one proposal at their middle; a
// crossing counts as found when a proposal lies within the tolerance of it or of the middle
// of its junction. Crossings next to a straight line's ends are left to the end marks.
void tally(const std::vector<TrueCrossing>& truth, const std::vector<Proposal>& proposals, double length,
           bool circle, Tally& t)
{
    struct Target {
        double x, y;
        int group;
    };
    std::vector<Target> targets;  // crossings and junction middles
    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t i = 0; i < truth.size(); ++i) {
        if (!groups.empty() && truth[i].along - truth[groups.back().back()].along < kJunctionDistance)
            groups.back().push_back(i);
        else
            groups.push_back({i});
    }
    auto nearEnd = [&](double along) { return !circle && (along < kEndMargin || along > length - kEndMargin); };
    std::vector<bool> counted(groups.size());
    for (std::size_t g = 0; g < groups.size(); ++g) {
        const TrueCrossing& a = truth[groups[g].front()];
        const TrueCrossing& b = truth[groups[g].back()];
        counted[g] = !nearEnd(a.along) && !nearEnd(b.along);
        for (std::size_t i : groups[g])
            targets.push_back({truth[i].x, truth[i].y, int(g)});
        if (groups[g].size() > 1)
            targets.push_back({(a.x + b.x) / 2, (a.y + b.y) / 2, int(g)});
    }
    std::vector<bool> hit(groups.size());
    std::vector<bool> typed(groups.size());
    for (const Proposal& p : proposals) {
        int group = -1;
        for (const Target& target : targets)
            if (std::hypot(p.x - target.x, p.y - target.y) <= kTolerance)
                group = target.group;
        if (group >= 0 && !counted[std::size_t(group)])
            continue;  // a crossing at the end: neither found nor false
        ++t.proposals;
        if (group < 0) {
            ++t.falseOnes;
            continue;
        }
        hit[std::size_t(group)] = true;
        typed[std::size_t(group)] = typed[std::size_t(group)] || p.type == itTriplePoint;
    }
    for (std::size_t g = 0; g < groups.size(); ++g) {
        if (!counted[g])
            continue;
        const int n = static_cast<int>(groups[g].size());
        t.trueCrossings += n;
        if (hit[g])
            t.found += n;
        if (n > 1) {
            ++t.junctions;
            t.junctionsTyped += typed[g];
        }
    }
}

TestLine straight(int x1, int y1, int x2, int y2)
{
    return TestLine{.x1 = x1, .y1 = y1, .x2 = x2, .y2 = y2};
}

TestLine circle(int cx, int cy, int r)
{
    TestLine l = straight(cx - r, cy - r, cx + r, cy + r);
    l.isCircle = true;
    return l;
}

// Straight lines in every direction and circles of several sizes, placed at random (fixed
// seed) inside the picture.
std::vector<TestLine> testLines(std::uint32_t seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> cx(300, kWidth - 300), cy(250, kHeight - 250), len(300, 560);
    std::vector<TestLine> lines;
    for (int i = 0; i < 24; ++i) {
        const double angle = i * std::numbers::pi / 24 + 0.01;
        const double half = len(rng) / 2, x = cx(rng), y = cy(rng);
        lines.push_back(straight(int(std::lround(x - half * std::cos(angle))), int(std::lround(y - half * std::sin(angle))),
                                 int(std::lround(x + half * std::cos(angle))), int(std::lround(y + half * std::sin(angle)))));
    }
    for (int r : {60, 110, 160, 230}) {
        const int x = int(cx(rng)), y = int(cy(rng));
        lines.push_back(circle(x, y, r));
    }
    return lines;
}

// The proposals of the test lines on two micrographs of a kind (fixed seeds), tallied.
Tally measure(const Kind& kind, int sensitivity)
{
    // Each micrograph is made once for all the tests that measure its kind.
    static std::map<std::pair<std::string, std::uint32_t>, test::SyntheticMicrograph> made;
    Tally t;
    for (std::uint32_t seed : {11u, 12u}) {
        auto [at, isNew] = made.try_emplace({kind.name, seed});
        if (isNew)
            at->second = test::MakeGrainMicrograph(kWidth, kHeight, kind.grains, seed, kind.look);
        const test::SyntheticMicrograph& m = at->second;
        ProposalSettings settings;
        settings.darkBoundaries = !kind.bright;
        settings.sensitivity = sensitivity;
        int index = 0;
        for (TestLine& line : testLines(seed)) {
            ++index;
            std::vector<TrueCrossing> truth;
            double length = 0;
            if (line.isCircle) {
                const double r = (line.x2 - line.x1) / 2.0;
                truth = test::CircleLineCrossings(m, line.x1 + r, line.y1 + r, r);
                length = 2 * std::numbers::pi * r;
            } else {
                truth = test::StraightLineCrossings(m, line.x1, line.y1, line.x2, line.y2);
                length = std::hypot(line.x2 - line.x1, line.y2 - line.y1);
            }
            const std::vector<Proposal> proposals = ProposeAlongLine(m.image, line, index, settings);
            for (const Proposal& p : proposals)
                EXPECT_EQ(p.line, index);
            tally(truth, proposals, length, line.isCircle, t);
        }
    }
    return t;
}

double foundShare(const Tally& t)
{
    return t.trueCrossings ? double(t.found) / t.trueCrossings : 0;
}

double falseShare(const Tally& t)
{
    return t.proposals ? double(t.falseOnes) / t.proposals : 0;
}

class ProposalQuality : public ::testing::TestWithParam<Kind> {};

// The promise to the user: nearly every boundary the line crosses is proposed, close to its
// middle, and hardly any proposal is a false one.
TEST_P(ProposalQuality, FindsTheCrossingsAndFewFalseOnes)
{
    const Kind& kind = GetParam();
    const Tally t = measure(kind, ProposalSettings{}.sensitivity);
    const double found = foundShare(t), falseOnes = falseShare(t);
    std::printf("%-18s crossings %5d  found %5.1f %%  proposals %5d  false %4.1f %%  junctions %3d typed III %3d\n",
                kind.name, t.trueCrossings, 100 * found, t.proposals, 100 * falseOnes, t.junctions, t.junctionsTyped);
    RecordProperty("found_percent", std::to_string(100 * found));
    RecordProperty("false_percent", std::to_string(100 * falseOnes));
    EXPECT_GT(t.trueCrossings, 200);
    EXPECT_GE(found, 0.95);
    EXPECT_LE(falseOnes, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ProposalQuality, ::testing::ValuesIn(kKinds), [](const auto& info) {
    std::string name;
    for (const char* c = info.param.name; *c; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c)))
            name += *c;
    return name;
});

// The sensitivity is worth turning over its whole range: on faint boundaries each step up
// finds more of them, and on no kind of micrograph do the false proposals run away (a line
// that crosses few boundaries must not take the noise for its typical boundary).
TEST(ProposalSensitivity, HigherFindsMoreFaintBoundariesWithoutRunningAway)
{
    const Kind faint = {"faint", 300, {.grainGreyLow = 150, .grainGreyHigh = 185, .boundaryGrey = 140, .noise = 6}};
    const int levels[] = {0, 25, 50, 75, 100};
    double before = 0;
    for (int level : levels) {
        SCOPED_TRACE("sensitivity " + std::to_string(level));
        const Tally t = measure(faint, level);
        EXPECT_GT(foundShare(t), before + 0.02);
        EXPECT_LE(falseShare(t), 0.10);
        before = foundShare(t);
    }
    for (const Kind& kind : {kKinds[1], kKinds[5], kKinds[6]}) {  // noisy, fine, coarse
        SCOPED_TRACE(kind.name);
        EXPECT_LE(falseShare(measure(kind, 75)), 0.06);
        EXPECT_LE(falseShare(measure(kind, kMaxSensitivity)), 0.10);
    }
}

// ---- Drawn cases: one situation each, on a plain grain of grey 180 ----

struct Drawing {
    const char* name;
    std::vector<std::array<int, 4>> darkRects;  // x0, y0, x1, y1 inclusive, grey 40
    TestLine line;
    int expected;  // proposals
    double x = -1;  // where the first one lies (x), when checked
    InterceptType type = itNormal;
};

TPixelGraphic drawn(const Drawing& d, bool bright)
{
    TPixelGraphic image(200, 120, TPixelFormat::pf24Bit);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 200; ++x)
            image.SetPixel(x, y, bright ? rgb(60, 60, 60) : rgb(180, 180, 180));
    for (const auto& r : d.darkRects)
        for (int y = r[1]; y <= r[3]; ++y)
            for (int x = r[0]; x <= r[2]; ++x)
                image.SetPixel(x, y, bright ? rgb(230, 230, 230) : rgb(40, 40, 40));
    return image;
}

const Drawing kDrawings[] = {
    {"boundary across the line", {{100, 0, 101, 119}}, straight(20, 60, 180, 60), 1, 100.5},
    {"slanted boundary", {}, straight(20, 60, 180, 60), 1, 100.5},  // drawn below
    {"boundary beside the line", {{20, 63, 180, 64}}, straight(20, 60, 180, 60), 0},
    {"boundary along the line", {{60, 59, 120, 60}}, straight(20, 60, 180, 60), 0},
    {"boundary ending next to the line", {{100, 0, 101, 58}}, straight(20, 60, 180, 60), 0},
    {"triple junction on the line", {{98, 0, 99, 119}, {102, 0, 103, 119}}, straight(20, 60, 180, 60), 1, 100.5,
     itTriplePoint},
    {"boundary at the line's end", {{22, 0, 23, 119}}, straight(20, 60, 180, 60), 0},
    {"circle over a boundary", {{100, 0, 101, 119}}, circle(100, 60, 40), 2},
    {"line of length 0", {{100, 0, 101, 119}}, straight(100, 60, 100, 60), 0},
    {"line outside the image", {{100, 0, 101, 119}}, straight(20, -5, 180, -5), 0},
};

TEST(ProposalDrawings, EachSituationGivesWhatAUserExpects)
{
    for (bool bright : {false, true}) {
        for (const Drawing& d : kDrawings) {
            SCOPED_TRACE(std::string(d.name) + (bright ? ", bright" : ", dark"));
            TPixelGraphic image = drawn(d, bright);
            if (std::string(d.name) == "slanted boundary")
                for (int y = 0; y < 120; ++y)  // 30 degrees from the line's normal
                    for (int w = 0; w < 2; ++w)
                        image.SetPixel(static_cast<int>(std::lround(100 + (y - 60) * 0.577)) + w, y,
                                       bright ? rgb(230, 230, 230) : rgb(40, 40, 40));
            ProposalSettings settings;
            settings.darkBoundaries = !bright;
            const std::vector<Proposal> found = ProposeAlongLine(image, d.line, 4, settings);
            ASSERT_EQ(static_cast<int>(found.size()), d.expected);
            if (d.x >= 0) {
                EXPECT_NEAR(found[0].x, d.x, 0.6);
                EXPECT_NEAR(found[0].y, 60, 0.6);
                EXPECT_EQ(found[0].type, d.type);
                EXPECT_EQ(found[0].line, 4);
            }
        }
    }
    // The wrong kind of boundary is no boundary: dark lines with the bright setting.
    ProposalSettings brightOnes;
    brightOnes.darkBoundaries = false;
    EXPECT_TRUE(ProposeAlongLine(drawn(kDrawings[0], false), kDrawings[0].line, 1, brightOnes).empty());
}

// A boundary 2 pixels wide of grey 40 between grains of greys left and right, blurred (standard
// deviation in pixels) or sharp (0): each pixel from its distance to the boundary's middle line,
// so that the true crossing is known exactly.
template <class Distance>
TPixelGraphic drawnBoundary(Distance distance, double blur, double left = 180, double right = 180)
{
    const auto below = [blur](double z) {  // share of the blurred picture below z
        return blur > 0 ? 0.5 * std::erfc(-z / (blur * std::numbers::sqrt2)) : z > 0 ? 1.0 : 0.0;
    };
    TPixelGraphic image(200, 120, TPixelFormat::pf24Bit);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 200; ++x) {
            const double d = distance(x, y);
            const double v = left * below(-1 - d) + 40 * (below(1 - d) - below(-1 - d)) + right * (1 - below(1 - d));
            const int g = static_cast<int>(std::lround(v));
            image.SetPixel(x, y, rgb(g, g, g));
        }
    return image;
}

// A blurred boundary that crosses the line too flat for the slanted band still is one crossing
// where it passes under the line; one that comes down onto the line and turns back crosses
// nothing. (Distances measured upright, close enough for such flat boundaries.)
TEST(ProposalDrawings, FlatBoundariesCountOnlyWhereTheyPassUnderTheLine)
{
    const TestLine line = straight(20, 60, 180, 60);
    for (double degrees : {8.0, -11.0}) {
        const double slope = std::tan(degrees * std::numbers::pi / 180);
        const auto crossing = [slope](int x, int y) { return y - 60 - (x - 100) * slope; };
        const std::vector<Proposal> found = ProposeAlongLine(drawnBoundary(crossing, 1.5), line, 1, {});
        ASSERT_EQ(found.size(), 1u);
        EXPECT_NEAR(found[0].x, 100, kTolerance);
        EXPECT_EQ(found[0].type, itNormal);
    }
    const auto turnsBack = [](int x, int y) { return y - 59 + std::fabs(x - 100) * std::tan(8 * std::numbers::pi / 180); };
    EXPECT_TRUE(ProposeAlongLine(drawnBoundary(turnsBack, 0), line, 1, {}).empty());
}

// A blurred boundary between a dark and a bright grain is proposed at its middle, not pulled
// towards the darker grain, also where the line crosses it at a slant.
TEST(ProposalDrawings, BlurredBoundaryBetweenUnequalGrainsAtItsMiddle)
{
    for (double degrees : {90.0, 60.0, 45.0, 35.0, 28.0, 22.0}) {
        for (const auto& [left, right] : {std::pair{120.0, 220.0}, std::pair{220.0, 120.0}}) {
            SCOPED_TRACE(std::to_string(degrees) + " degrees, grains " + std::to_string(left) + " | " + std::to_string(right));
            const double a = degrees * std::numbers::pi / 180;
            const auto across = [a](int x, int y) { return (x - 100) * std::sin(a) - (y - 60) * std::cos(a); };
            const std::vector<Proposal> found =
                ProposeAlongLine(drawnBoundary(across, 1.5, left, right), straight(20, 60, 180, 60), 1, {});
            ASSERT_EQ(found.size(), 1u);
            EXPECT_NEAR(found[0].x, 100, kTolerance);
        }
    }
}

TEST(ProposalDrawings, PaletteAndGreyImagesReadTheirGreys)
{
    TPixelGraphic grey(200, 120, TPixelFormat::pf8Bit);
    std::vector<std::uint32_t> palette(256);
    for (int i = 0; i < 256; ++i)
        palette[std::size_t(i)] = rgb(i, i, i);
    grey.SetPalette(palette);
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 200; ++x)
            grey.SetPixel(x, y, (x == 100 || x == 101) ? 40 : 180);
    const std::vector<Proposal> found = ProposeAlongLine(grey, straight(20, 60, 180, 60), 1, {});
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NEAR(found[0].x, 100.5, 0.6);
    // An empty image and a damaged line far beyond any image give nothing, quickly.
    EXPECT_TRUE(ProposeAlongLine(TPixelGraphic(), straight(0, 0, 100, 0), 1, {}).empty());
    EXPECT_TRUE(ProposeAlongLine(grey, straight(-2000000000, 5, 2000000000, 7), 1, {}).empty());
}

TEST(ProposalDrawings, LinesOfAMeasurementSkipMarkedPlacesAndReportProgress)
{
    const TPixelGraphic image = drawn(kDrawings[0], false);
    Measurement m;
    m.AddTestLine(20, 60, 180, 60, false);
    m.AddTestLine(20, 30, 180, 30, false);
    m.AddIntercept({101, 30}, 2, itNormal);  // already marked by hand
    struct Counter : ProgressSink {
        int last = -1;
        void step(int percent) override { last = percent; }
    } progress;
    const std::vector<Proposal> found = ProposeForLines(image, m, {1, 2, 3, 0}, {}, &progress);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].line, 1);
    EXPECT_EQ(progress.last, 100);
}

TEST(ProposalSettingsTest, OutOfRangeSettingsAreClamped)
{
    ProposalSettings s;
    s.sensitivity = 500;
    s.minimumSpacing = std::nan("");
    const ProposalSettings c = ClampedSettings(s);
    EXPECT_EQ(c.sensitivity, kMaxSensitivity);
    EXPECT_EQ(c.minimumSpacing, ProposalSettings{}.minimumSpacing);
    s.sensitivity = -3;
    s.minimumSpacing = 1e9;
    EXPECT_EQ(ClampedSettings(s).sensitivity, kMinSensitivity);
    EXPECT_EQ(ClampedSettings(s).minimumSpacing, kMaxSpacingLimit);
}

}  // namespace
}  // namespace tesra
