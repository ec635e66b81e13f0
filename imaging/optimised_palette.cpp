#include "imaging/optimised_palette.h"

#include <algorithm>
#include <array>

#include "imaging/palettes.h"

namespace tesra {

namespace {

// ---- Median cut over cells of 5 bits red, 6 bits green and 5 bits blue ----

constexpr int kCellsR = 32, kCellsG = 64, kCellsB = 32;

std::size_t cellIndex(int r, int g, int b) { return (static_cast<std::size_t>(r) * kCellsG + g) * kCellsB + b; }

struct Box {
    int r0, r1, g0, g1, b0, b1;  // inclusive cell bounds
    std::int64_t volume() const
    {
        const std::int64_t dr = 16 * (r1 - r0), dg = 12 * (g1 - g0), db = 16 * (b1 - b0);
        return dr * dr + dg * dg + db * db;
    }
    std::int64_t size() const
    {
        return static_cast<std::int64_t>(r1 - r0 + 1) * (g1 - g0 + 1) * (b1 - b0 + 1);
    }
};

class MedianCut {
public:
    explicit MedianCut(const std::vector<std::uint16_t>& histogram) : m_h(histogram) {}

    std::vector<std::uint32_t> run(int n)
    {
        Box whole{0, kCellsR - 1, 0, kCellsG - 1, 0, kCellsB - 1};
        if (!shrink(whole) || n < 1)
            return {};
        std::vector<Box> boxes{whole};
        while (static_cast<int>(boxes.size()) < n) {
            const int chosen = choose(boxes, n);
            if (chosen < 0)
                break;
            boxes.push_back(split(boxes[static_cast<std::size_t>(chosen)]));
        }
        std::vector<std::uint32_t> palette;
        palette.reserve(boxes.size());
        for (const Box& b : boxes)
            palette.push_back(mean(b));
        return palette;
    }

private:
    bool occupied(int r, int g, int b) const { return m_h[cellIndex(r, g, b)] != 0; }

    bool planeOccupied(const Box& b, int axis, int at) const
    {
        for (int r = (axis == 0 ? at : b.r0); r <= (axis == 0 ? at : b.r1); ++r)
            for (int g = (axis == 1 ? at : b.g0); g <= (axis == 1 ? at : b.g1); ++g)
                for (int bl = (axis == 2 ? at : b.b0); bl <= (axis == 2 ? at : b.b1); ++bl)
                    if (occupied(r, g, bl))
                        return true;
        return false;
    }

    // Moves each bound inward to the first occupied cell; false when the box holds none.
    bool shrink(Box& b) const
    {
        while (b.r0 <= b.r1 && !planeOccupied(b, 0, b.r0))
            ++b.r0;
        if (b.r0 > b.r1)
            return false;
        while (!planeOccupied(b, 0, b.r1))
            --b.r1;
        while (!planeOccupied(b, 1, b.g0))
            ++b.g0;
        while (!planeOccupied(b, 1, b.g1))
            --b.g1;
        while (!planeOccupied(b, 2, b.b0))
            ++b.b0;
        while (!planeOccupied(b, 2, b.b1))
            --b.b1;
        return true;
    }

    // While few boxes are left to make, the widest spread in colour is split; otherwise the box
    // spanning most cells. A box of one cell cannot be split and never qualifies.
    static int choose(const std::vector<Box>& boxes, int n)
    {
        const bool byVolume = n < 2 * static_cast<int>(boxes.size());
        int best = -1;
        std::int64_t bestValue = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const std::int64_t volume = boxes[i].volume();
            if (volume <= 0)
                continue;
            const std::int64_t value = byVolume ? volume : boxes[i].size();
            if (best < 0 || value > bestValue) {
                best = static_cast<int>(i);
                bestValue = value;
            }
        }
        return best;
    }

    Box split(Box& old) const
    {
        const int dr = 16 * (old.r1 - old.r0), dg = 12 * (old.g1 - old.g0), db = 16 * (old.b1 - old.b0);
        Box fresh = old;
        if (db > dg && db > dr) {
            const int m = (old.b0 + old.b1) / 2;
            old.b1 = m;
            fresh.b0 = m + 1;
        } else if (dg < dr) {
            const int m = (old.r0 + old.r1) / 2;
            old.r1 = m;
            fresh.r0 = m + 1;
        } else {
            const int m = (old.g0 + old.g1) / 2;
            old.g1 = m;
            fresh.g0 = m + 1;
        }
        shrink(old);
        shrink(fresh);
        return fresh;
    }

    // The box's cell centres weighted by their counts, rounded to nearest.
    std::uint32_t mean(const Box& b) const
    {
        std::uint64_t s = 0, sr = 0, sg = 0, sb = 0;
        for (int r = b.r0; r <= b.r1; ++r)
            for (int g = b.g0; g <= b.g1; ++g)
                for (int bl = b.b0; bl <= b.b1; ++bl) {
                    const std::uint64_t n = m_h[cellIndex(r, g, bl)];
                    s += n;
                    sr += n * static_cast<std::uint64_t>(8 * r + 4);
                    sg += n * static_cast<std::uint64_t>(4 * g + 2);
                    sb += n * static_cast<std::uint64_t>(8 * bl + 4);
                }
        return rgb(static_cast<int>((sr + s / 2) / s), static_cast<int>((sg + s / 2) / s),
                   static_cast<int>((sb + s / 2) / s));
    }

    const std::vector<std::uint16_t>& m_h;
};

// ---- Octree over palette colours ----

class Octree {
public:
    explicit Octree(int n) : m_n(n)
    {
        m_nodes.push_back(Node{});
    }

    void add(std::uint32_t colour, std::uint64_t weight)
    {
        const int r = redOf(colour), g = greenOf(colour), b = blueOf(colour);
        int node = 0;
        for (int level = 0;; ++level) {
            Node& nd = m_nodes[static_cast<std::size_t>(node)];
            nd.weight += weight;
            nd.sumR += weight * static_cast<std::uint64_t>(r);
            nd.sumG += weight * static_cast<std::uint64_t>(g);
            nd.sumB += weight * static_cast<std::uint64_t>(b);
            if (nd.leaf)
                break;
            const int bit = 7 - level;
            const int k = 4 * ((r >> bit) & 1) + 2 * ((g >> bit) & 1) + ((b >> bit) & 1);
            if (nd.child[k] < 0) {
                Node child;
                child.level = level + 1;
                // Nodes at the depth in force (or below it, on paths made before it shrank)
                // end the path.
                child.leaf = child.level >= m_maxDepth;
                if (child.leaf)
                    ++m_leaves;
                const int id = static_cast<int>(m_nodes.size());
                m_nodes[static_cast<std::size_t>(node)].child[k] = id;
                m_nodes.push_back(child);
                Node& parent = m_nodes[static_cast<std::size_t>(node)];
                if (++parent.childCount == 2)
                    m_reducible[static_cast<std::size_t>(level)].push_back(node);
            }
            node = m_nodes[static_cast<std::size_t>(node)].child[k];
        }
        if (m_leaves > m_n)
            reduce();
    }

    std::vector<std::uint32_t> palette() const
    {
        std::vector<std::uint32_t> out;
        collect(0, out);
        return out;
    }

private:
    struct Node {
        std::uint64_t weight = 0, sumR = 0, sumG = 0, sumB = 0;
        std::array<int, 8> child{-1, -1, -1, -1, -1, -1, -1, -1};
        int childCount = 0;
        int level = 0;
        bool leaf = false;
    };

    void reduce()
    {
        int level = 7;
        while (level >= 0 && m_reducible[static_cast<std::size_t>(level)].empty())
            --level;
        if (level < 0)
            return;
        std::vector<int>& list = m_reducible[static_cast<std::size_t>(level)];
        std::size_t pick = 0;
        std::uint64_t pickKey = 0;
        for (std::size_t i = 0; i < list.size(); ++i) {
            const Node& nd = m_nodes[static_cast<std::size_t>(list[i])];
            const std::uint64_t key = 2 * nd.sumR + 3 * nd.sumG + nd.sumB;
            if (i == 0 || key < pickKey) {
                pick = i;
                pickKey = key;
            }
        }
        const int node = list[pick];
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(pick));
        m_leaves -= dropChildren(node);
        Node& nd = m_nodes[static_cast<std::size_t>(node)];
        nd.leaf = true;
        ++m_leaves;
        if (level < m_maxDepth - 1)
            m_maxDepth = level + 1;
    }

    // Unlinks the subtree below node; returns the number of leaves it held.
    int dropChildren(int node)
    {
        int leaves = 0;
        for (int& c : m_nodes[static_cast<std::size_t>(node)].child) {
            if (c < 0)
                continue;
            const int child = c;
            c = -1;
            leaves += m_nodes[static_cast<std::size_t>(child)].leaf ? 1 : dropChildren(child);
        }
        m_nodes[static_cast<std::size_t>(node)].childCount = 0;
        return leaves;
    }

    void collect(int node, std::vector<std::uint32_t>& out) const
    {
        const Node& nd = m_nodes[static_cast<std::size_t>(node)];
        if (nd.leaf) {
            if (nd.weight > 0)
                out.push_back(rgb(static_cast<int>(nd.sumR / nd.weight), static_cast<int>(nd.sumG / nd.weight),
                                  static_cast<int>(nd.sumB / nd.weight)));
            return;
        }
        for (int c : nd.child)
            if (c >= 0)
                collect(c, out);
    }

    int m_n;
    int m_maxDepth = 8;
    int m_leaves = 0;
    std::vector<Node> m_nodes;
    std::array<std::vector<int>, 8> m_reducible;
};

std::vector<std::uint16_t> histogramOf(const TPixelGraphic& source)
{
    std::vector<std::uint16_t> h(static_cast<std::size_t>(kCellsR) * kCellsG * kCellsB, 0);
    for (int y = 0; y < source.Height(); ++y) {
        const std::uint8_t* p = source.rowData(y);
        for (int x = 0; x < source.Width(); ++x, p += 3) {
            std::uint16_t& n = h[cellIndex(p[2] >> 3, p[1] >> 2, p[0] >> 3)];
            if (n != 0xFFFF)  // the counters stop at their top
                ++n;
        }
    }
    return h;
}

std::vector<WeightedColor> usedPaletteColours(const TPixelGraphic& source)
{
    std::array<std::uint64_t, 256> counts{};
    for (int y = 0; y < source.Height(); ++y)
        for (int x = 0; x < source.Width(); ++x)
            ++counts[source.GetPixel(x, y)];
    std::vector<WeightedColor> colours;
    for (int i = 0; i < 256; ++i)
        if (counts[static_cast<std::size_t>(i)] > 0)
            colours.push_back({source.PaletteColor(i), counts[static_cast<std::size_t>(i)]});
    return colours;
}

}  // namespace

std::vector<std::uint32_t> medianCutPalette(const std::vector<std::uint16_t>& histogram, int n)
{
    if (histogram.size() != static_cast<std::size_t>(kCellsR) * kCellsG * kCellsB)
        return {};
    return MedianCut(histogram).run(n);
}

std::vector<std::uint32_t> medianCutPalette(const TPixelGraphic& source, int n)
{
    if (source.PixelFormat() != TPixelFormat::pf24Bit || source.isEmpty())
        return {};
    return medianCutPalette(histogramOf(source), n);
}

std::vector<std::uint32_t> octreePalette(const std::vector<WeightedColor>& colours, int n)
{
    if (n < 1)
        return {};
    Octree tree(n);
    for (const WeightedColor& c : colours)
        if (c.weight > 0)
            tree.add(c.color, c.weight);
    return tree.palette();
}

void OptimisedPalette(TPixelGraphic& target, const TPixelGraphic& source, int n, bool withSystemColours)
{
    n = std::clamp(n, 0, 256);
    const int fromImage = withSystemColours ? n - 16 : n;
    std::vector<std::uint32_t> palette;
    if (source.isEmpty() || fromImage < 1) {
        palette.assign(systemColors(), systemColors() + std::min(n, 16));
        target.SetPalette(palette, pUnknown);
        return;
    }
    if (source.PixelFormat() == TPixelFormat::pf24Bit)
        palette = medianCutPalette(source, fromImage);
    else
        palette = octreePalette(usedPaletteColours(source), fromImage);
    if (withSystemColours)
        for (int i = 0; i < 16 && static_cast<int>(palette.size()) < n; ++i)
            palette.push_back(systemColors()[i]);
    target.SetPalette(palette, pUnknown);
}

}  // namespace tesra
