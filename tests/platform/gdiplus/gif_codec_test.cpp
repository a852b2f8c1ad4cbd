// Multi-frame GIF: frames, delays and loop count written with SaveAdd and read back.
#include <sys/resource.h>

#include <optional>

#include "tests/platform/gdiplus/gdiplus_test_support.h"

namespace {

constexpr int kSize = 4;

// Writes frames (pattern bitmaps with salts 0..n-1) as one animated GIF.
Status WriteAnimation(const std::string& path, const std::vector<ULONG>& delays, std::optional<USHORT> loop,
                      int frames) {
  std::vector<std::unique_ptr<Bitmap>> images;
  for (int i = 0; i < frames; ++i) images.push_back(PatternBitmap(kSize, kSize, PixelFormat24bppRGB, i * 50));
  PropertyItem item{};
  item.id = PropertyTagFrameDelay;
  item.type = PropertyTagTypeLong;
  item.length = ULONG(delays.size() * sizeof(ULONG));
  item.value = const_cast<ULONG*>(delays.data());
  EXPECT_EQ(images[0]->SetPropertyItem(&item), Ok);
  USHORT loopValue = loop.value_or(0);
  if (loop) {
    PropertyItem loopItem{PropertyTagLoopCount, sizeof(USHORT), PropertyTagTypeShort, &loopValue};
    EXPECT_EQ(images[0]->SetPropertyItem(&loopItem), Ok);
  }
  CLSID gif = EncoderFor(u"image/gif");
  std::u16string wide = Wide(path);
  OneParameter multi(EncoderSaveFlag, EncoderValueMultiFrame), time(EncoderSaveFlag, EncoderValueFrameDimensionTime),
      flush(EncoderSaveFlag, EncoderValueFlush);
  Status status = images[0]->Save(wide.c_str(), &gif, &multi.params);
  for (int i = 1; i < frames && status == Ok; ++i) status = images[0]->SaveAdd(images[i].get(), &time.params);
  if (status == Ok) status = images[0]->SaveAdd(&flush.params);
  return status;
}

std::vector<ULONG> ReadLongs(Image& image, PROPID id, WORD* type) {
  UINT size = image.GetPropertyItemSize(id);
  if (size < sizeof(PropertyItem)) return {};
  std::vector<unsigned char> buffer(size);
  auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
  EXPECT_EQ(image.GetPropertyItem(id, size, item), Ok);
  *type = item->type;
  std::vector<ULONG> values;
  if (item->type == PropertyTagTypeLong)
    values.assign(static_cast<ULONG*>(item->value), static_cast<ULONG*>(item->value) + item->length / 4);
  else if (item->type == PropertyTagTypeShort)
    values.assign(static_cast<USHORT*>(item->value), static_cast<USHORT*>(item->value) + item->length / 2);
  return values;
}

TEST(GifCodecTest, ThreeFramesRoundTripWithDelaysAndLoopCount) {
  TempDir dir;
  std::string path = dir.file("session.gif");
  ASSERT_EQ(WriteAnimation(path, {10, 20, 30}, USHORT(0), 3), Ok);

  std::u16string wide = Wide(path);
  Bitmap image(wide.c_str());
  ASSERT_EQ(image.GetLastStatus(), Ok);
  EXPECT_EQ(image.GetWidth(), UINT(kSize));
  EXPECT_EQ(image.GetHeight(), UINT(kSize));
  ASSERT_EQ(image.GetFrameDimensionsCount(), 1u);
  GUID dimension{};
  ASSERT_EQ(image.GetFrameDimensionsList(&dimension, 1), Ok);
  EXPECT_TRUE(dimension == FrameDimensionTime);
  ASSERT_EQ(image.GetFrameCount(&dimension), 3u);
  EXPECT_EQ(image.GetFrameCount(&FrameDimensionPage), 0u);

  for (UINT frame = 0; frame < 3; ++frame) {
    SCOPED_TRACE(frame);
    ASSERT_EQ(image.SelectActiveFrame(&dimension, frame), Ok);
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        Color c;
        ASSERT_EQ(image.GetPixel(x, y, &c), Ok);
        // Sixteen colours per frame fit the palette: they come back exact.
        EXPECT_EQ(c.GetValue(), PatternColor(x, y, int(frame) * 50)) << x << "," << y;
      }
  }
  EXPECT_EQ(image.SelectActiveFrame(&dimension, 3), InvalidParameter);

  WORD type = 0;
  EXPECT_EQ(ReadLongs(image, PropertyTagFrameDelay, &type), (std::vector<ULONG>{10, 20, 30}));
  EXPECT_EQ(type, PropertyTagTypeLong);
  EXPECT_EQ(image.GetPropertyItemSize(PropertyTagLoopCount), sizeof(PropertyItem) + 2);
  EXPECT_EQ(ReadLongs(image, PropertyTagLoopCount, &type), (std::vector<ULONG>{0}));
  EXPECT_EQ(type, PropertyTagTypeShort);
}

TEST(GifCodecTest, LoopCountIsWrittenOnlyWhenSet) {
  struct Row {
    std::optional<USHORT> loop;
  } rows[] = {{std::nullopt}, {USHORT(0)}, {USHORT(1)}, {USHORT(7)}, {USHORT(65535)}};
  TempDir dir;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.loop ? int(*row.loop) : -1);
    std::string path = dir.file("loop.gif");
    ASSERT_EQ(WriteAnimation(path, {5, 5}, row.loop, 2), Ok);
    std::u16string wide = Wide(path);
    Image image(wide.c_str());
    ASSERT_EQ(image.GetLastStatus(), Ok);
    if (!row.loop) {
      EXPECT_EQ(image.GetPropertyItemSize(PropertyTagLoopCount), 0u);
      EXPECT_EQ(image.GetLastStatus(), PropertyNotFound);
      continue;
    }
    WORD type = 0;
    EXPECT_EQ(ReadLongs(image, PropertyTagLoopCount, &type), (std::vector<ULONG>{*row.loop}));
  }
}

TEST(GifCodecTest, FileAppearsOnlyAtFlushAndReplacesTheOldOne) {
  TempDir dir;
  std::string path = dir.file("flush.gif");
  WriteBytes(path, {'o', 'l', 'd'});
  auto first = PatternBitmap(kSize, kSize, PixelFormat32bppARGB);
  auto second = PatternBitmap(kSize, kSize, PixelFormat32bppARGB, 9);
  CLSID gif = EncoderFor(u"image/gif");
  std::u16string wide = Wide(path);
  OneParameter multi(EncoderSaveFlag, EncoderValueMultiFrame), time(EncoderSaveFlag, EncoderValueFrameDimensionTime),
      flush(EncoderSaveFlag, EncoderValueFlush);
  ASSERT_EQ(first->Save(wide.c_str(), &gif, &multi.params), Ok);
  ASSERT_EQ(first->SaveAdd(second.get(), &time.params), Ok);
  EXPECT_EQ(ReadBytes(path).size(), 3u);  // still the old file
  ASSERT_EQ(first->SaveAdd(&flush.params), Ok);
  EXPECT_EQ(first->SaveAdd(&flush.params), WrongState);  // nothing left to flush
  EXPECT_EQ(first->SaveAdd(second.get(), &time.params), WrongState);

  Image image(wide.c_str());
  EXPECT_EQ(image.GetFrameCount(&FrameDimensionTime), 2u);
}

TEST(GifCodecTest, DestroyingTheFirstImageWritesAPendingAnimation) {
  TempDir dir;
  std::string path = dir.file("closed.gif");
  std::u16string wide = Wide(path);
  {
    auto first = PatternBitmap(kSize, kSize, PixelFormat24bppRGB);
    auto second = PatternBitmap(kSize, kSize, PixelFormat24bppRGB, 3);
    CLSID gif = EncoderFor(u"image/gif");
    OneParameter multi(EncoderSaveFlag, EncoderValueMultiFrame), time(EncoderSaveFlag, EncoderValueFrameDimensionTime);
    ASSERT_EQ(first->Save(wide.c_str(), &gif, &multi.params), Ok);
    ASSERT_EQ(first->SaveAdd(second.get(), &time.params), Ok);
  }
  Image image(wide.c_str());
  ASSERT_EQ(image.GetLastStatus(), Ok);
  EXPECT_EQ(image.GetFrameCount(&FrameDimensionTime), 2u);
}

TEST(GifCodecTest, TransparentPixelsSurviveAndFramesAreComposedWhole) {
  TempDir dir;
  std::string path = dir.file("alpha.gif");
  std::u16string wide = Wide(path);
  Bitmap first(2, 1, PixelFormat32bppARGB), second(2, 1, PixelFormat32bppARGB);
  first.SetPixel(0, 0, Color(255, 255, 0, 0));
  first.SetPixel(1, 0, Color(0, 0, 0, 0));
  second.SetPixel(0, 0, Color(0, 0, 0, 0));
  second.SetPixel(1, 0, Color(255, 0, 0, 255));
  CLSID gif = EncoderFor(u"image/gif");
  OneParameter multi(EncoderSaveFlag, EncoderValueMultiFrame), time(EncoderSaveFlag, EncoderValueFrameDimensionTime),
      flush(EncoderSaveFlag, EncoderValueFlush);
  ASSERT_EQ(first.Save(wide.c_str(), &gif, &multi.params), Ok);
  ASSERT_EQ(first.SaveAdd(&second, &time.params), Ok);
  ASSERT_EQ(first.SaveAdd(&flush.params), Ok);

  Bitmap image(wide.c_str());
  ASSERT_EQ(image.GetLastStatus(), Ok);
  Color c;
  image.GetPixel(0, 0, &c);
  EXPECT_EQ(c.GetValue(), 0xFFFF0000u);
  image.GetPixel(1, 0, &c);
  EXPECT_EQ(c.GetA(), 0);
  ASSERT_EQ(image.SelectActiveFrame(&FrameDimensionTime, 1), Ok);
  // The second frame's hole shows no trace of the first frame's red.
  image.GetPixel(0, 0, &c);
  EXPECT_EQ(c.GetA(), 0);
  image.GetPixel(1, 0, &c);
  EXPECT_EQ(c.GetValue(), 0xFF0000FFu);
}

TEST(GifCodecTest, FramesWithMoreThan256ColoursAreReducedKeepingTransparency) {
  TempDir dir;
  constexpr int kSide = 24;  // 576 distinct colours
  for (bool hole : {false, true}) {
    SCOPED_TRACE(hole ? "with a transparent pixel" : "opaque");
    Bitmap frame(kSide, kSide, PixelFormat32bppARGB);
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x) frame.SetPixel(x, y, Color(BYTE(x * 10), BYTE(y * 10), BYTE(128 + x - y)));
    if (hole) frame.SetPixel(5, 5, Color(0, 0, 0, 0));
    CLSID gif = EncoderFor(u"image/gif");
    std::u16string wide = Wide(dir.file("many.gif"));
    ASSERT_EQ(frame.Save(wide.c_str(), &gif), Ok);

    Bitmap back(wide.c_str());
    ASSERT_EQ(back.GetLastStatus(), Ok);
    Color c;
    back.GetPixel(5, 5, &c);
    EXPECT_EQ(c.GetA(), hole ? 0 : 255);
    long error = 0;
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x) {
        if (x == 5 && y == 5) continue;
        Color original;
        frame.GetPixel(x, y, &original);
        back.GetPixel(x, y, &c);
        EXPECT_EQ(c.GetA(), 255);
        error += std::abs(c.GetR() - original.GetR()) + std::abs(c.GetG() - original.GetG()) +
                 std::abs(c.GetB() - original.GetB());
      }
    // Fewer colours cost a small average error, not a wrong picture.
    EXPECT_LT(error / (kSide * kSide * 3), 24);
  }
}

TEST(GifCodecTest, CorruptOrTruncatedFilesFailWithoutCrashing) {
  TempDir dir;
  std::string good = dir.file("good.gif");
  ASSERT_EQ(WriteAnimation(good, {10}, std::nullopt, 1), Ok);
  std::vector<char> bytes = ReadBytes(good);
  ASSERT_GT(bytes.size(), 40u);

  struct Row {
    const char* name;
    std::vector<char> data;
  } rows[] = {
      {"header only", {'G', 'I', 'F', '8', '9', 'a'}},
      {"cut inside the first frame", std::vector<char>(bytes.begin(), bytes.end() - 12)},
      {"cut after the screen", std::vector<char>(bytes.begin(), bytes.begin() + 13)},
      {"zero screen", [&] {
         auto v = bytes;
         v[6] = v[7] = 0;
         return v;
       }()},
      {"garbage after the signature", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, char(0xF7), 0, 0, '!', char(0xF9), 9}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::string path = dir.file("bad.gif");
    WriteBytes(path, row.data);
    std::u16string wide = Wide(path);
    Bitmap image(wide.c_str());
    EXPECT_NE(image.GetLastStatus(), Ok);
    EXPECT_EQ(image.GetWidth(), 0u);
    EXPECT_EQ(image.GetFrameCount(&FrameDimensionTime), 0u);
    Color c;
    EXPECT_NE(image.GetPixel(0, 0, &c), Ok);
  }
}

// Fuzz findings: a frame descriptor claiming 65535 x 65535 pixels on a 16 x 16 screen once cost
// 4 GB; it is refused as damaged, at no more memory than the screen.
TEST(GifCodecTest, AFrameLargerThanTheScreenIsRefused) {
  // And an 18-byte file claiming a screen of 18000 x 14600 pixels and holding no frame.
  for (const char* name : {"frame-larger-than-screen.gif", "huge-screen-no-frame.gif"}) {
    SCOPED_TRACE(name);
    std::string path = std::string(TAVORIN_SOURCE_DIR) + "/tests/fuzz/corpus/gif_fuzz/" + name;
    ASSERT_LT(ReadBytes(path).size(), 64u);
    std::u16string wide = Wide(path);
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    Bitmap image(wide.c_str());
    getrusage(RUSAGE_SELF, &after);
    EXPECT_NE(image.GetLastStatus(), Ok);
    EXPECT_EQ(image.GetFrameCount(&FrameDimensionTime), 0u);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64 * 1024) << "peak memory grew by kB";
  }
}

TEST(GifCodecTest, FileCutInALaterFrameKeepsTheWholeFrames) {
  TempDir dir;
  std::string path = dir.file("cut.gif");
  ASSERT_EQ(WriteAnimation(path, {10, 20}, USHORT(0), 2), Ok);
  std::vector<char> bytes = ReadBytes(path);
  bytes.resize(bytes.size() - 10);
  WriteBytes(path, bytes);
  std::u16string wide = Wide(path);
  Image image(wide.c_str());
  ASSERT_EQ(image.GetLastStatus(), Ok);
  EXPECT_EQ(image.GetFrameCount(&FrameDimensionTime), 1u);
}

}  // namespace
