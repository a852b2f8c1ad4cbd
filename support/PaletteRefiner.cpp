#include "support/PaletteRefiner.h"

#include <algorithm>
#include <array>

namespace {

inline int Red(uint32_t c) { return int(c >> 16) & 0xff; }
inline int Green(uint32_t c) { return int(c >> 8) & 0xff; }
inline int Blue(uint32_t c) { return int(c) & 0xff; }

inline int Distance(uint32_t a, uint32_t b) {
  int dr = Red(a) - Red(b), dg = Green(a) - Green(b), db = Blue(a) - Blue(b);
  return dr * dr + dg * dg + db * db;
}

// Nearest-entry search over the palette sorted by green: the scan stops on each side once the
// green difference alone exceeds the best distance found.
class NearestSearch {
 public:
  explicit NearestSearch(const std::vector<uint32_t>& palette) : m_palette(palette) {
    m_order.resize(palette.size());
    for (size_t i = 0; i < palette.size(); ++i) m_order[i] = uint8_t(i);
    std::stable_sort(m_order.begin(), m_order.end(),
                     [&](uint8_t a, uint8_t b) { return Green(palette[a]) < Green(palette[b]); });
    for (size_t i = 0; i < m_order.size(); ++i) {
      uint32_t c = palette[m_order[i]];
      m_sorted.push_back({Red(c), Green(c), Blue(c)});
    }
    size_t at = 0;
    for (int g = 0; g <= 256; ++g) {
      while (at < m_sorted.size() && m_sorted[at][1] < g) ++at;
      m_firstAtOrAbove[size_t(g)] = int(at);
    }
  }

  uint8_t Nearest(uint32_t colour, uint8_t guess) const {
    const int r = Red(colour), g = Green(colour), b = Blue(colour);
    int best = guess < m_palette.size() ? Distance(colour, m_palette[guess]) : 1 << 30;
    uint8_t found = guess < m_palette.size() ? guess : 0;
    const int n = int(m_sorted.size());
    int up = m_firstAtOrAbove[size_t(g)], down = up - 1;
    auto consider = [&](int i) {
      const std::array<int, 3>& e = m_sorted[size_t(i)];
      int dg = e[1] - g;
      if (dg * dg >= best) return false;
      int dr = e[0] - r, db = e[2] - b;
      int d = dr * dr + dg * dg + db * db;
      if (d < best) best = d, found = m_order[size_t(i)];
      return true;
    };
    while (up < n || down >= 0) {
      if (up < n && !consider(up++)) up = n;
      if (down >= 0 && !consider(down--)) down = -1;
    }
    return found;
  }

 private:
  const std::vector<uint32_t>& m_palette;
  std::vector<uint8_t> m_order;
  std::vector<std::array<int, 3>> m_sorted;
  std::array<int, 257> m_firstAtOrAbove{};
};

}  // namespace

PaletteRefiner::PaletteRefiner(const uint8_t* rows, ptrdiff_t stride, int width, int height)
    : m_width(width), m_height(height) {
  const size_t pixels = size_t(width) * size_t(height);
  size_t capacity = 1024;
  int bits = 10;
  while (capacity < pixels * 2) capacity *= 2, ++bits;
  // Open addressing keyed by colour + 1 (0 marks a free slot).
  std::vector<uint32_t> keys(capacity, 0), slots(capacity);
  const size_t mask = capacity - 1;
  m_pixels.resize(pixels);
  size_t p = 0;
  for (int y = 0; y < height; ++y) {
    const uint8_t* q = rows + ptrdiff_t(y) * stride;
    for (int x = 0; x < width; ++x, q += 3, ++p) {
      uint32_t colour = uint32_t(q[2]) << 16 | uint32_t(q[1]) << 8 | q[0];
      size_t h = size_t((uint64_t(colour) * 0x9E3779B97F4A7C15ull) >> (64 - bits));
      while (keys[h] && keys[h] != colour + 1) h = (h + 1) & mask;
      if (!keys[h]) {
        keys[h] = colour + 1;
        slots[h] = uint32_t(m_colours.size());
        m_colours.push_back(colour);
        m_counts.push_back(0);
      }
      ++m_counts[slots[h]];
      m_pixels[p] = slots[h];
    }
  }
  m_assigned.assign(m_colours.size(), 0);
}

bool PaletteRefiner::AssignNearest(const std::vector<uint32_t>& palette) {
  NearestSearch search(palette);
  bool changed = false;
  for (size_t i = 0; i < m_colours.size(); ++i) {
    uint8_t entry = search.Nearest(m_colours[i], m_assigned[i]);
    changed |= entry != m_assigned[i];
    m_assigned[i] = entry;
  }
  return changed;
}

void PaletteRefiner::Refine(std::vector<uint32_t>& palette, int passes) {
  if (palette.empty() || palette.size() > 256) return;
  for (int pass = 0; pass < passes; ++pass) {
    if (!AssignNearest(palette) && pass > 0) break;
    std::array<uint64_t, 256> red{}, green{}, blue{}, count{};
    for (size_t i = 0; i < m_colours.size(); ++i) {
      uint8_t e = m_assigned[i];
      uint64_t n = m_counts[i];
      red[e] += n * uint64_t(Red(m_colours[i]));
      green[e] += n * uint64_t(Green(m_colours[i]));
      blue[e] += n * uint64_t(Blue(m_colours[i]));
      count[e] += n;
    }
    for (size_t e = 0; e < palette.size(); ++e) {
      if (!count[e]) continue;  // an entry nobody is nearest to keeps its colour
      auto mean = [&](uint64_t sum) { return uint32_t((sum + count[e] / 2) / count[e]); };
      palette[e] = mean(red[e]) << 16 | mean(green[e]) << 8 | mean(blue[e]);
    }
  }
}

void PaletteRefiner::Map(std::vector<uint32_t>& palette, uint8_t* out, ptrdiff_t outStride) {
  if (palette.empty() || palette.size() > 256) return;
  AssignNearest(palette);
  std::array<bool, 256> used{};
  for (uint8_t e : m_assigned) used[e] = true;
  std::array<uint8_t, 256> renumbered{};
  std::vector<uint32_t> kept;
  for (size_t e = 0; e < palette.size(); ++e)
    if (used[e]) renumbered[e] = uint8_t(kept.size()), kept.push_back(palette[e]);
  palette.swap(kept);
  for (uint8_t& e : m_assigned) e = renumbered[e];
  size_t p = 0;
  for (int y = 0; y < m_height; ++y) {
    uint8_t* q = out + ptrdiff_t(y) * outStride;
    for (int x = 0; x < m_width; ++x, ++p) q[x] = m_assigned[m_pixels[p]];
  }
}
