// Thumbnails: bounded size, fast reduced decode, and the first JPEG inside another file.
#include "polyimage_test_util.h"

using namespace pip_test;

TEST(PolyImageThumbnailTest, FitsInsideTheBoxKeepingAspect) {
  TempDir dir;
  struct Row {
    int w, h, boxW, boxH, wantW, wantH;
  } rows[] = {{800, 600, 200, 200, 200, 150}, {600, 800, 200, 200, 150, 200}, {120, 90, 200, 200, 120, 90},
              {1000, 100, 200, 200, 200, 20}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.w) + "x" + std::to_string(row.h));
    Session s;
    MakeImage(s, row.w, row.h, Gradient);
    std::string path = dir.File("t.jpg");
    ASSERT_TRUE(cSave(s, path.c_str(), PIP_FORMAT_JPEG, 0, 0, 0));
    Session t;
    ASSERT_TRUE(cLoadThumbnail(t, path.c_str(), row.boxW, row.boxH));
    EXPECT_EQ(Size(t), std::make_pair(row.wantW, row.wantH));
    BYTE* bits = nullptr;
    EXPECT_TRUE(cGetBitsPtr(t, &bits));
    EXPECT_NE(bits, nullptr);
  }
}

TEST(PolyImageThumbnailTest, FindsTheFirstJpegInsideALayoutFile) {
  TempDir dir;
  Session red, blue;
  MakeImage(red, 400, 300, [](int, int) { return Pixel{230, 20, 20}; });
  MakeImage(blue, 100, 100, [](int, int) { return Pixel{20, 20, 230}; });
  std::vector<BYTE> file;
  std::string header = "<?xml version=\"1.0\"?><layout><thumbnail size=\"12345\">";
  file.insert(file.end(), header.begin(), header.end());
  for (const auto& part : {EncodeJpeg(red), EncodeJpeg(blue)}) file.insert(file.end(), part.begin(), part.end());
  std::string tail = "</thumbnail></layout>";
  file.insert(file.end(), tail.begin(), tail.end());
  std::string path = dir.File("layout.pblt");
  WriteAll(path, file);

  Session t;
  ASSERT_TRUE(cLoadThumbnail(t, path.c_str(), 200, 200));
  EXPECT_EQ(Size(t), std::make_pair(200, 150));
  Pixel p = At(t, 100, 75);
  EXPECT_GT(p.r, 180) << "the first JPEG, not the second";
  EXPECT_LT(p.b, 80);

  Session plain;
  EXPECT_FALSE(cLoadImage(plain, path.c_str(), 0, 0, 0)) << "only the thumbnail loader digs inside";
}

TEST(PolyImageThumbnailTest, FileWithoutPictureFails) {
  TempDir dir;
  std::string path = dir.File("empty.pblt");
  WriteAll(path, std::vector<BYTE>{'<', 'x', '/', '>', 0xFF, 0xD8});
  Session t;
  EXPECT_FALSE(cLoadThumbnail(t, path.c_str(), 200, 200));
  EXPECT_FALSE(cLoadThumbnail(t, dir.File("missing.pblt").c_str(), 200, 200));
}

TEST(PolyImageThumbnailTest, TurnsByOrientationBeforeFitting) {
  TempDir dir;
  Session s;
  MakeImage(s, 800, 400, Gradient);
  std::string path = dir.File("turned.jpg");
  WriteAll(path, WithOrientation(EncodeJpeg(s), 6));
  Session t;
  ASSERT_TRUE(cLoadThumbnail(t, path.c_str(), 200, 200));
  EXPECT_EQ(Size(t), std::make_pair(100, 200));
}

TEST(PolyImageThumbnailTest, PngAndGreyJpegComeOutAs24Bit) {
  TempDir dir;
  for (int format : {PIP_FORMAT_PNG, PIP_FORMAT_JPEG}) {
    SCOPED_TRACE(format);
    Session s;
    MakeImage(s, 300, 300, Gradient);
    cOpGrayScale(s);
    std::string path = dir.File("g.img");
    ASSERT_TRUE(cSave(s, path.c_str(), format, 0, 0, 0));
    Session t;
    ASSERT_TRUE(cLoadThumbnail(t, path.c_str(), 200, 200));
    BYTE bits = 0;
    cGetImageInfo(t, nullptr, nullptr, &bits, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(bits, 24);
    EXPECT_EQ(Size(t), std::make_pair(200, 200));
  }
}
