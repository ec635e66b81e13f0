#include "analysis/boundary_proposals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "tests/synthetic_micrograph.h"
#include "imaging/formats/image_format.h"
#include <cstdlib>

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
    {"fine grains", 2500, {.blur = 0.7, .noise = 6}},
    {"coarse grains", 40, {.noise = 10}},
    {"bright boundaries", 300, {.grainGreyLow = 60, .grainGreyHigh = 130, .boundaryGrey = 220, .noise = 8}, true},
};

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
        TestLine l;
        l.x1 = int(std::lround(x - half * std::cos(angle)));
        l.y1 = int(std::lround(y - half * std::sin(angle)));
        l.x2 = int(std::lround(x + half * std::cos(angle)));
        l.y2 = int(std::lround(y + half * std::sin(angle)));
        lines.push_back(l);
    }
    for (int r : {60, 110, 160, 230}) {
        TestLine c;
        c.isCircle = true;
        const int x = int(cx(rng)), y = int(cy(rng));
        c.x1 = x - r;
        c.y1 = y - r;
        c.x2 = x + r;
        c.y2 = y + r;
        lines.push_back(c);
    }
    return lines;
}

class ProposalQuality : public ::testing::TestWithParam<Kind> {};

// The promise to the user: nearly every boundary the line crosses is proposed, close to its
// middle, and hardly any proposal is a false one.
TEST_P(ProposalQuality, FindsTheCrossingsAndFewFalseOnes)
{
    const Kind& kind = GetParam();
    Tally t;
    for (std::uint32_t seed : {11u, 12u}) {
        const test::SyntheticMicrograph m = test::MakeGrainMicrograph(kWidth, kHeight, kind.grains, seed, kind.look);
        ProposalSettings settings;
        settings.darkBoundaries = !kind.bright;
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
    const double found = double(t.found) / t.trueCrossings;
    const double falseShare = t.proposals ? double(t.falseOnes) / t.proposals : 0;
    std::printf("%-18s crossings %5d  found %5.1f %%  proposals %5d  false %4.1f %%  junctions %3d typed III %3d\n",
                kind.name, t.trueCrossings, 100 * found, t.proposals, 100 * falseShare, t.junctions, t.junctionsTyped);
    RecordProperty("found_percent", std::to_string(100 * found));
    RecordProperty("false_percent", std::to_string(100 * falseShare));
    EXPECT_GT(t.trueCrossings, 300);
    EXPECT_GE(found, 0.95);
    EXPECT_LE(falseShare, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ProposalQuality, ::testing::ValuesIn(kKinds), [](const auto& info) {
    std::string name;
    for (const char* c = info.param.name; *c; ++c)
        if (std::isalnum(static_cast<unsigned char>(*c)))
            name += *c;
    return name;
});

}  // namespace
}  // namespace tesra
namespace tesra {
TEST(ProposalDebug, Dump)
{
    const char* which = std::getenv("KIND");
    if (!which) GTEST_SKIP();
    for (const Kind& kind : kKinds) {
        if (std::string(kind.name) != which) continue;
        const test::SyntheticMicrograph m = test::MakeGrainMicrograph(kWidth, kHeight, kind.grains, 11, kind.look);
        ProposalSettings settings; settings.darkBoundaries = !kind.bright;
        int index = 0;
        for (TestLine& line : testLines(11)) {
            ++index;
            std::vector<TrueCrossing> truth;
            if (line.isCircle) { const double r = (line.x2 - line.x1) / 2.0; truth = test::CircleLineCrossings(m, line.x1 + r, line.y1 + r, r); }
            else truth = test::StraightLineCrossings(m, line.x1, line.y1, line.x2, line.y2);
            auto ps = ProposeAlongLine(m.image, line, index, settings);
            std::printf("line %d (%d,%d)-(%d,%d)%s\n", index, line.x1, line.y1, line.x2, line.y2, line.isCircle ? " circle" : "");
            std::size_t a = 0, b = 0;
            while (a < truth.size() || b < ps.size()) {
                if (b >= ps.size() || (a < truth.size() && truth[a].along < ps[b].along)) { std::printf("   T %7.1f (%6.1f,%6.1f)\n", truth[a].along, truth[a].x, truth[a].y); ++a; }
                else { std::printf("           P %7.1f (%6.1f,%6.1f) %s s=%.0f\n", ps[b].along, ps[b].x, ps[b].y, ps[b].type == 3 ? "III" : "", ps[b].strength); ++b; }
            }
        }
        if (const char* at = std::getenv("AT")) {
            int cx = 0, cy = 0;
            std::sscanf(at, "%d,%d", &cx, &cy);
            for (int y = cy - 8; y <= cy + 8; ++y) {
                for (int x = cx - 12; x <= cx + 12; ++x)
                    std::printf("%4d", m.image.greyValue(x, y));
                std::printf("\n");
            }
        }
    }
}
}
