// Palette refinement for the GIF quantizer: the distinct colours of a frame with their counts,
// Lloyd (k-means) passes that move each palette entry to the mean of the colours nearest to
// it, and the mapping of every pixel to its nearest entry. Never dithers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class PaletteRefiner {
 public:
  /// Counts the distinct colours of `height` rows of `width` pixels (bytes B, G, R).
  /// Throws std::bad_alloc.
  PaletteRefiner(const uint8_t* rows, ptrdiff_t stride, int width, int height);

  size_t DistinctColours() const { return m_colours.size(); }
  /// A palette index per distinct colour (in the order of Colours()) that seeds the search.
  void SetFirstGuess(const std::vector<uint8_t>& firstGuess) { m_assigned = firstGuess; }
  const std::vector<uint32_t>& Colours() const { return m_colours; }

  /// Moves every used entry (0xRRGGBB, at most 256) to the mean of its nearest colours, at
  /// most `passes` times; stops early once no colour changes its entry.
  void Refine(std::vector<uint32_t>& palette, int passes);
  /// Writes the nearest entry of every pixel; entries no pixel uses are dropped from the
  /// palette and the others keep their order.
  void Map(std::vector<uint32_t>& palette, uint8_t* out, ptrdiff_t outStride);

 private:
  /// Assigns every colour its nearest entry; true when any assignment changed.
  bool AssignNearest(const std::vector<uint32_t>& palette);

  int m_width, m_height;
  std::vector<uint32_t> m_colours;   // distinct colours, 0xRRGGBB
  std::vector<uint32_t> m_counts;    // pixels of each distinct colour
  std::vector<uint32_t> m_pixels;    // per pixel, its distinct colour's index
  std::vector<uint8_t> m_assigned;   // per distinct colour, its palette entry
};
