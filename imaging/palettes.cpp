#include "imaging/palettes.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace tesra {

namespace {

constexpr std::uint32_t grey(int v) { return rgb(v, v, v); }

constexpr std::array<std::uint32_t, 16> kSystem = {
    rgb(0, 0, 0),       rgb(128, 0, 0),   rgb(0, 128, 0),   rgb(128, 128, 0), rgb(0, 0, 128),   rgb(128, 0, 128),
    rgb(0, 128, 128),   rgb(192, 192, 192), rgb(128, 128, 128), rgb(255, 0, 0), rgb(0, 255, 0), rgb(255, 255, 0),
    rgb(0, 0, 255),     rgb(255, 0, 255), rgb(0, 255, 255), rgb(255, 255, 255),
};

constexpr std::array<std::uint32_t, 2> kBlackWhite = {grey(0), grey(255)};
constexpr std::array<std::uint32_t, 4> kSysGray4 = {grey(0), grey(128), grey(192), grey(255)};

template <int N>
constexpr std::array<std::uint32_t, N> greyRamp()
{
    // Entry i is grey R(i·255 / (N − 1)). For N = 4 and N = 16 the division is exact or
    // truncating as the palette rows say (i·255 div 3, i·17); for 236 it rounds, and since
    // i·255 / 235 never ends in exactly one half, "nearest" needs no tie rule here.
    std::array<std::uint32_t, N> a{};
    for (int i = 0; i < N; ++i) {
        const int num = i * 255, den = N - 1;
        const int v = (N == 236) ? (2 * num + den) / (2 * den) : num / den;
        a[i] = grey(v);
    }
    return a;
}

constexpr std::array<std::uint32_t, 125> special125()
{
    std::array<std::uint32_t, 125> a{};
    for (int r = 0; r < 5; ++r)
        for (int g = 0; g < 5; ++g)
            for (int b = 0; b < 5; ++b)
                a[25 * r + 5 * g + b] = rgb((r * 255 + 3) / 4, (g * 255 + 3) / 4, (b * 255 + 3) / 4);
    return a;
}

constexpr std::array<std::uint32_t, 216> special216()
{
    std::array<std::uint32_t, 216> a{};
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                a[36 * r + 6 * g + b] = rgb((r * 255 + 4) / 5, (g * 255 + 4) / 5, (b * 255 + 4) / 5);
    return a;
}

// The library's 252 colours: the sixteen system colours, then the 6 × 6 × 6 cube of levels
// 0, 51, ..., 255 without the eight corners that are already system colours (208 colours), then
// 28 greys R(k·255 / 29), k = 1..28, which fill the grey axis between the cube's and the
// system colours' greys without repeating any of them.
constexpr std::array<std::uint32_t, 252> special252()
{
    std::array<std::uint32_t, 252> a{};
    int n = 0;
    for (std::uint32_t c : kSystem)
        a[n++] = c;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) {
                const bool corner = (r == 0 || r == 5) && (g == 0 || g == 5) && (b == 0 || b == 5);
                if (!corner)
                    a[n++] = rgb(r * 51, g * 51, b * 51);
            }
    for (int k = 1; k <= 28; ++k)
        a[n++] = grey((2 * k * 255 + 29) / 58);
    return a;
}

constexpr auto kGray4 = greyRamp<4>();
constexpr auto kGray16 = greyRamp<16>();
constexpr auto kGray236 = greyRamp<236>();
constexpr auto kGray256 = greyRamp<256>();
constexpr auto kSpecial125 = special125();
constexpr auto kSpecial216 = special216();
constexpr auto kSpecial252 = special252();

template <std::size_t N>
constexpr FixedPalette of(const std::array<std::uint32_t, N>& a)
{
    return FixedPalette{a.data(), static_cast<int>(N)};
}

}  // namespace

FixedPalette fixedPalette(TPaletteIdent kind)
{
    switch (kind) {
    case pBlackWhite:
        return of(kBlackWhite);
    case pSysGray4:
        return of(kSysGray4);
    case pSys16:
        return of(kSystem);
    case pGray4:
        return of(kGray4);
    case pGray16:
        return of(kGray16);
    case pGray236:
        return of(kGray236);
    case pGray256:
        return of(kGray256);
    case pSpecial125:
        return of(kSpecial125);
    case pSpecial216:
        return of(kSpecial216);
    case pSpecial252:
        return of(kSpecial252);
    case pNone:
    case pTrueColor:
    case pUnknown:
    case pOptimized252Sys16:
    case pSource:
        break;
    }
    return {};
}

const std::uint32_t* systemColors() { return kSpecial252.data(); }

bool isGreyPalette(const std::uint32_t* entries, int count)
{
    for (int i = 0; i < count; ++i) {
        const std::uint32_t c = entries[i];
        if (redOf(c) != greenOf(c) || greenOf(c) != blueOf(c))
            return false;
    }
    return true;
}

int nearestEntry(const std::uint32_t* entries, int count, std::uint32_t c)
{
    const int r = redOf(c), g = greenOf(c), b = blueOf(c);
    int best = -1;
    int bestDistance = 0;
    for (int i = 0; i < count; ++i) {
        const int dr = redOf(entries[i]) - r, dg = greenOf(entries[i]) - g, db = blueOf(entries[i]) - b;
        const int d = dr * dr + dg * dg + db * db;
        if (best < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

NearestColorTable::NearestColorTable(const std::uint32_t* entries, int count, bool buildAll)
    : m_count(std::clamp(count, 0, 256)), m_cellStart(32768, 0), m_cellCount(32768, kUnfilled)
{
    for (int i = 0; i < m_count; ++i) {
        m_r.push_back(redOf(entries[i]));
        m_g.push_back(greenOf(entries[i]));
        m_b.push_back(blueOf(entries[i]));
    }
    if (!buildAll)
        return;
    for (std::size_t cell = 0; cell < 32768; ++cell)
        fillCell(cell);
}

void NearestColorTable::fillCell(std::size_t cell) const
{
    const int lo[3] = {static_cast<int>(cell >> 10) * 8, static_cast<int>((cell >> 5) & 31) * 8,
                       static_cast<int>(cell & 31) * 8};
    std::array<int, 256> least{};
    int minOfGreatest = 1 << 30;
    for (int i = 0; i < m_count; ++i) {
        const int v[3] = {m_r[static_cast<std::size_t>(i)], m_g[static_cast<std::size_t>(i)],
                          m_b[static_cast<std::size_t>(i)]};
        int nearSum = 0, farSum = 0;
        for (int a = 0; a < 3; ++a) {
            const int hi = lo[a] + 7;
            const int nearD = v[a] < lo[a] ? lo[a] - v[a] : v[a] > hi ? v[a] - hi : 0;
            const int farD = std::max(std::abs(v[a] - lo[a]), std::abs(v[a] - hi));
            nearSum += nearD * nearD;
            farSum += farD * farD;
        }
        least[static_cast<std::size_t>(i)] = nearSum;
        minOfGreatest = std::min(minOfGreatest, farSum);
    }
    const std::size_t start = m_pool.size();
    for (int i = 0; i < m_count; ++i)
        if (least[static_cast<std::size_t>(i)] <= minOfGreatest)
            m_pool.push_back(static_cast<std::uint32_t>(least[static_cast<std::size_t>(i)]) << 8 |
                             static_cast<std::uint32_t>(i));
    std::sort(m_pool.begin() + static_cast<std::ptrdiff_t>(start), m_pool.end());
    m_cellStart[cell] = static_cast<std::uint32_t>(start);
    m_cellCount[cell] = static_cast<std::uint16_t>(m_pool.size() - start);
}

const NearestColorTable* fixedNearestTable(TPaletteIdent kind)
{
    switch (kind) {
    case pSys16: {
        static const NearestColorTable table(kSystem.data(), 16, true);
        return &table;
    }
    case pGray236: {
        static const NearestColorTable table(kGray236.data(), 236, true);
        return &table;
    }
    case pSpecial252: {
        static const NearestColorTable table(kSpecial252.data(), 252, true);
        return &table;
    }
    default:
        return nullptr;
    }
}

}  // namespace tesra
