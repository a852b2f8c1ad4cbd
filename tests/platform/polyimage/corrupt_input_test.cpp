// Damaged and hostile files fail cleanly: result 0, an empty session, no crash.
#include <random>

#include "polyimage_test_util.h"

using namespace pip_test;

namespace {

std::vector<BYTE> Encoded(int format) {
  Session s;
  MakeImage(s, 40, 30, Gradient);
  PolyArray out;
  EXPECT_TRUE(cSaveToMemory(s, format, &out, 0, 0));
  return std::vector<BYTE>(out.Data(), out.Data() + out.Size());
}

size_t Find(const std::vector<BYTE>& bytes, std::initializer_list<BYTE> pattern) {
  auto at = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end());
  return at == bytes.end() ? bytes.size() : size_t(at - bytes.begin());
}

bool Loads(const std::vector<BYTE>& bytes) {
  Session s;
  bool ok = cLoadData(s, bytes.data(), DWORD(bytes.size()), 0, 0, 0) != 0;
  if (!ok) {
    EXPECT_EQ(Size(s), std::make_pair(0, 0)) << "a failed load leaves no image";
  }
  return ok;
}

}  // namespace

TEST(PolyImageCorruptInputTest, TruncatedJpegFails) {
  std::vector<BYTE> jpeg = Encoded(PIP_FORMAT_JPEG);
  size_t sos = Find(jpeg, {0xFF, 0xDA});
  ASSERT_LT(sos, jpeg.size());
  struct Row {
    const char* name;
    size_t keep;
  } rows[] = {{"soi only", 2}, {"inside the headers", sos / 2}, {"right after sos", sos + 14},
              {"half the scan", (sos + jpeg.size()) / 2}, {"all but the last scan bytes", jpeg.size() - 40}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_FALSE(Loads(std::vector<BYTE>(jpeg.begin(), jpeg.begin() + long(row.keep))));
  }
  EXPECT_TRUE(Loads(jpeg));
}

TEST(PolyImageCorruptInputTest, TruncatedJpegFixtureFails) {
  std::vector<BYTE> bytes = ReadAll(TAVORIN_FIXTURES_DIR "/jpeg-truncated-after-sos.jpg");
  ASSERT_GT(bytes.size(), 100u);
  EXPECT_FALSE(Loads(bytes));
  TempDir dir;
  std::string path = dir.File("cut.jpg");
  WriteAll(path, bytes);
  Session s;
  EXPECT_FALSE(cLoadImage(s, path.c_str(), 0, 0, 0));
  EXPECT_FALSE(cLoadThumbnail(s, path.c_str(), 200, 200));
}

TEST(PolyImageCorruptInputTest, TruncatedPngFails) {
  std::vector<BYTE> png = Encoded(PIP_FORMAT_PNG);
  size_t idat = Find(png, {'I', 'D', 'A', 'T'});
  for (size_t keep : {size_t(8), size_t(20), idat + 10, png.size() - 13}) {
    SCOPED_TRACE(keep);
    EXPECT_FALSE(Loads(std::vector<BYTE>(png.begin(), png.begin() + long(keep))));
  }
  std::vector<BYTE> badCrc = png;
  badCrc[29] ^= 0xFF;  // IHDR's CRC
  EXPECT_FALSE(Loads(badCrc));
}

TEST(PolyImageCorruptInputTest, HostileBmpHeadersFail) {
  std::vector<BYTE> bmp(54 + 16, 0);
  bmp[0] = 'B', bmp[1] = 'M', bmp[10] = 54, bmp[14] = 40, bmp[18] = 2, bmp[22] = 2, bmp[26] = 1, bmp[28] = 24;
  ASSERT_TRUE(Loads(bmp));
  struct Row {
    const char* name;
    size_t offset;
    BYTE value;
  } rows[] = {{"huge width", 21, 0x7F}, {"pixels past the end", 11, 0xFF}, {"8-bit palette past the end", 28, 8},
              {"rle", 30, 1}, {"odd depth", 28, 13}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<BYTE> bad = bmp;
    bad[row.offset] = row.value;
    if (row.value == 8) bad.resize(60);
    EXPECT_FALSE(Loads(bad));
  }
}

TEST(PolyImageCorruptInputTest, TruncatedGifAndTiffFail) {
  const BYTE gif[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0,
                      0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, 0x3B};
  ASSERT_TRUE(Loads(std::vector<BYTE>(gif, gif + sizeof gif)));
  for (size_t keep : {size_t(6), size_t(13), size_t(22)}) {
    SCOPED_TRACE(keep);
    EXPECT_FALSE(Loads(std::vector<BYTE>(gif, gif + keep)));
  }
  const BYTE tiff[] = {'I', 'I', 42, 0, 8, 0, 0, 0, 200, 0};  // IFD claims 200 entries
  EXPECT_FALSE(Loads(std::vector<BYTE>(tiff, tiff + sizeof tiff)));
}

TEST(PolyImageCorruptInputTest, GarbageAndEmptyInputsFail) {
  EXPECT_FALSE(Loads({}));
  EXPECT_FALSE(Loads({0xFF, 0xD8}));
  EXPECT_FALSE(Loads(std::vector<BYTE>(1000, 0x5A)));
  Session s;
  EXPECT_FALSE(cLoadData(s, nullptr, 10, 0, 0, 0));
}

TEST(PolyImageCorruptInputTest, FlippedBytesNeverCrash) {
  // Whatever the damage, the decoders either fail or deliver an image of sane size.
  for (int format : {PIP_FORMAT_JPEG, PIP_FORMAT_PNG}) {
    std::vector<BYTE> good = Encoded(format);
    std::mt19937 random(1234);
    for (int round = 0; round < 150; ++round) {
      std::vector<BYTE> bad = good;
      for (int k = 0; k < 4; ++k) bad[random() % bad.size()] ^= BYTE(1 + random() % 255);
      Session s;
      if (cLoadData(s, bad.data(), DWORD(bad.size()), 0, 0, 0)) {
        auto [w, h] = Size(s);
        EXPECT_GT(w, 0);
        EXPECT_LE(int64_t(w) * h, int64_t(1) << 28);
      }
    }
  }
}
