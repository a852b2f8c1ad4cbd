#include "support/PhotoboothPixels.h"

#include <algorithm>
#include <thread>
#include <vector>

namespace {

// The weights in millionths: the luma is N / 10^6 for N = 715160 G + 212671 R + 72169 B.
unsigned ExtendedLuma(BYTE blue, BYTE green, BYTE red) {
  long double luma = 0.71516L * green + 0.212671L * red + 0.072169L * blue;
  return static_cast<unsigned>(luma);
}

inline unsigned FastLuma(unsigned blue, unsigned green, unsigned red) {
  const unsigned n = 715160u * green + 212671u * red + 72169u * blue;
  const unsigned q = n / 1000000u;
  // Away from a whole number the integer result is the extended one; on it, rounding decides.
  if (q * 1000000u == n) return ExtendedLuma(BYTE(blue), BYTE(green), BYTE(red));
  return q;
}

void KeyAndToneRows(BYTE* photo, const BYTE* background, size_t pixels, const GreenScreenKey* key,
                    const BYTE (*toning)[3]) {
  if (key && toning) {
    for (size_t i = 0; i < pixels; ++i, photo += 3, background += 3) {
      const BYTE* source = IsKeyedPixel(photo, *key) ? background : photo;
      const BYTE* entry = toning[FastLuma(source[0], source[1], source[2]) & 255];
      photo[0] = entry[2], photo[1] = entry[1], photo[2] = entry[0];
    }
  } else if (key) {
    for (size_t i = 0; i < pixels; ++i, photo += 3, background += 3) {
      if (IsKeyedPixel(photo, *key)) photo[0] = background[0], photo[1] = background[1], photo[2] = background[2];
    }
  } else if (toning) {
    for (size_t i = 0; i < pixels; ++i, photo += 3) {
      const BYTE* entry = toning[FastLuma(photo[0], photo[1], photo[2]) & 255];
      photo[0] = entry[2], photo[1] = entry[1], photo[2] = entry[0];
    }
  }
}

}  // namespace

unsigned ToningLuma(BYTE blue, BYTE green, BYTE red) { return FastLuma(blue, green, red) & 255; }

BOOL KeyAndTonePixels(BYTE* photo, size_t photoBytes, int width, int height, const GreenScreenKey* key,
                      const BYTE* background, size_t backgroundBytes, const BYTE (*toning)[3]) {
  if (!photo || width <= 0 || height <= 0) return FALSE;
  const size_t pixels = size_t(width) * size_t(height);
  if (photoBytes != pixels * 3) return FALSE;
  if (key && (!background || backgroundBytes != pixels * 3)) return FALSE;
  if (!key && !toning) return TRUE;
  // Bands of rows on the cores there are: a guest waits for every photo.
  const size_t bands = std::min<size_t>({std::max(1u, std::thread::hardware_concurrency()), 8, size_t(height)});
  const size_t rowsPerBand = (size_t(height) + bands - 1) / bands;
  const size_t stride = size_t(width) * 3;
  std::vector<std::thread> workers;
  for (size_t band = 1; band < bands; ++band) {
    size_t first = band * rowsPerBand;
    if (first >= size_t(height)) break;
    size_t rows = std::min(rowsPerBand, size_t(height) - first);
    BYTE* bandPhoto = photo + first * stride;
    const BYTE* bandBackground = background ? background + first * stride : nullptr;
    try {
      workers.emplace_back(KeyAndToneRows, bandPhoto, bandBackground, rows * width, key, toning);
    } catch (...) {
      KeyAndToneRows(bandPhoto, bandBackground, rows * width, key, toning);  // no thread to spare
    }
  }
  KeyAndToneRows(photo, background, std::min(rowsPerBand, size_t(height)) * width, key, toning);
  for (std::thread& worker : workers) worker.join();
  return TRUE;
}
