#include "support/OctreeQuantizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <set>
#include <vector>

#include "tests/support/GifTestFiles.h"

using namespace Gdiplus;

namespace {

// Writes 24-bit pixels (red, green, blue per entry) row by row into a new bitmap.
std::unique_ptr<Bitmap> BitmapOf(int width, int height, const std::vector<uint32_t>& rgb) {
  auto bitmap = std::make_unique<Bitmap>(width, height, PixelFormat24bppRGB);
  BitmapData data{};
  EXPECT_EQ(bitmap->LockBits(nullptr, ImageLockModeWrite, PixelFormat24bppRGB, &data), Ok);
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<BYTE*>(data.Scan0) + y * data.Stride;
    for (int x = 0; x < width; ++x) {
      uint32_t c = rgb[size_t(y) * width + x];
      row[x * 3] = BYTE(c), row[x * 3 + 1] = BYTE(c >> 8), row[x * 3 + 2] = BYTE(c >> 16);
    }
  }
  bitmap->UnlockBits(&data);
  return bitmap;
}

struct Indexed {
  std::vector<BYTE> indexes;
  std::vector<ARGB> palette;
};

Indexed Read(Bitmap& bitmap) {
  Indexed out;
  EXPECT_EQ(bitmap.GetPixelFormat(), PixelFormat8bppIndexed);
  INT size = bitmap.GetPaletteSize();
  std::vector<BYTE> bytes(static_cast<size_t>(size));
  auto* palette = reinterpret_cast<ColorPalette*>(bytes.data());
  EXPECT_EQ(bitmap.GetPalette(palette, size), Ok);
  out.palette.assign(palette->Entries, palette->Entries + palette->Count);
  BitmapData data{};
  EXPECT_EQ(bitmap.LockBits(nullptr, ImageLockModeRead, PixelFormat8bppIndexed, &data), Ok);
  for (UINT y = 0; y < data.Height; ++y) {
    auto* row = static_cast<const BYTE*>(data.Scan0) + y * data.Stride;
    out.indexes.insert(out.indexes.end(), row, row + data.Width);
  }
  bitmap.UnlockBits(&data);
  return out;
}

uint32_t Rgb(ARGB entry) { return entry & 0xffffffu; }

struct DitherOff {
  DitherOff() { g_bDitherGIFs = FALSE; }
  ~DitherOff() { g_bDitherGIFs = FALSE; }
};

}  // namespace

TEST(OctreeQuantizerTest, KeepsUpTo256ColoursExactlyAndMergesLowestBitNeighbours) {
  DitherOff guard;
  // 256 distinct colours (even channel values), each followed by its lowest-bit neighbour.
  std::vector<uint32_t> pixels;
  std::mt19937 random(7);
  std::set<uint32_t> distinct;
  while (distinct.size() < 256) distinct.insert(random() & 0xfefefeu);
  for (uint32_t c : distinct) pixels.push_back(c), pixels.push_back(c | 0x010101u);
  auto source = BitmapOf(32, 16, pixels);
  std::unique_ptr<Bitmap> result(QuantizeToIndexedBitmap(source.get()));
  ASSERT_TRUE(result);
  Indexed indexed = Read(*result);
  ASSERT_EQ(indexed.indexes.size(), pixels.size());
  std::set<BYTE> used(indexed.indexes.begin(), indexed.indexes.end());
  EXPECT_EQ(used.size(), 256u);
  for (size_t i = 0; i < pixels.size(); i += 2) {
    SCOPED_TRACE(i);
    EXPECT_EQ(indexed.indexes[i], indexed.indexes[i + 1]);  // neighbours share an entry
    uint32_t entry = Rgb(indexed.palette[indexed.indexes[i]]);
    for (int shift : {0, 8, 16}) {  // the average of c and c+1 rounds up to c+1
      int want = int((pixels[i] >> shift) & 0xff) + 1, got = int((entry >> shift) & 0xff);
      EXPECT_EQ(got, want);
    }
  }
}

TEST(OctreeQuantizerTest, EveryPixelOfAPhotoMapsToASetEntryNearItsColour) {
  DitherOff guard;
  const int w = 120, h = 80;
  std::vector<uint32_t> pixels;
  std::mt19937 random(11);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {  // smooth gradients with noise, many more than 256 colours
      uint32_t r = (x * 255 / w + random() % 9) & 0xff, g = (y * 255 / h) & 0xff, b = ((x + y) % 256);
      pixels.push_back(r << 16 | g << 8 | b);
    }
  auto source = BitmapOf(w, h, pixels);
  std::unique_ptr<Bitmap> result(QuantizeToIndexedBitmap(source.get()));
  ASSERT_TRUE(result);
  EXPECT_EQ(result->GetWidth(), UINT(w));
  EXPECT_EQ(result->GetHeight(), UINT(h));
  Indexed indexed = Read(*result);
  BYTE highest = *std::max_element(indexed.indexes.begin(), indexed.indexes.end());
  std::set<BYTE> used(indexed.indexes.begin(), indexed.indexes.end());
  EXPECT_EQ(used.size(), size_t(highest) + 1);  // entries 0..n-1, no holes
  EXPECT_GT(used.size(), 200u);
  double error = 0;
  for (size_t i = 0; i < pixels.size(); ++i) {
    uint32_t entry = Rgb(indexed.palette[indexed.indexes[i]]);
    for (int shift : {0, 8, 16}) error += std::abs(int((pixels[i] >> shift) & 0xff) - int((entry >> shift) & 0xff));
  }
  EXPECT_LT(error / (pixels.size() * 3), 8.0);
}

TEST(OctreeQuantizerTest, DeclinesWithDitheringOnAndForNothing) {
  DitherOff guard;
  auto source = SolidBitmap(8, 8, 0xff204060u);
  g_bDitherGIFs = TRUE;
  EXPECT_EQ(QuantizeToIndexedBitmap(source.get()), nullptr);
  g_bDitherGIFs = FALSE;
  EXPECT_EQ(QuantizeToIndexedBitmap(nullptr), nullptr);
  std::unique_ptr<Bitmap> one(QuantizeToIndexedBitmap(source.get()));
  ASSERT_TRUE(one);
  Indexed indexed = Read(*one);
  EXPECT_EQ(Rgb(indexed.palette[indexed.indexes[0]]), 0x204060u);
}

TEST(OctreeQuantizerTest, EachPixelTakesItsNearestEntryAndEveryEntryIsUsed) {
  DitherOff guard;
  const int w = 160, h = 120;
  std::vector<uint32_t> pixels;
  std::mt19937 random(5);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {  // three smooth ramps and noise: far more than 256 colours
      uint32_t r = (x * 255 / w + random() % 13) & 0xff, g = (255 - y * 255 / h + random() % 5) & 0xff,
               b = (x * y / 80 + random() % 7) & 0xff;
      pixels.push_back(r << 16 | g << 8 | b);
    }
  auto source = BitmapOf(w, h, pixels);
  std::unique_ptr<Bitmap> result(QuantizeToIndexedBitmap(source.get()));
  ASSERT_TRUE(result);
  Indexed indexed = Read(*result);
  std::set<BYTE> used(indexed.indexes.begin(), indexed.indexes.end());
  ASSERT_LE(used.size(), 256u);
  auto distance = [](uint32_t a, uint32_t b) {
    int total = 0;
    for (int shift : {0, 8, 16}) {
      int d = int((a >> shift) & 0xff) - int((b >> shift) & 0xff);
      total += d * d;
    }
    return total;
  };
  size_t notNearest = 0;
  double squared = 0;
  for (size_t i = 0; i < pixels.size(); ++i) {
    int mine = distance(pixels[i], Rgb(indexed.palette[indexed.indexes[i]]));
    squared += mine;
    for (BYTE e : used)
      if (distance(pixels[i], Rgb(indexed.palette[e])) < mine) {
        ++notNearest;
        break;
      }
  }
  EXPECT_EQ(notNearest, 0u);
  double psnr = 10 * std::log10(255.0 * 255.0 / (squared / (pixels.size() * 3.0)));
  EXPECT_GT(psnr, 34.0);  // the leaves alone give 32.5 dB here
}
