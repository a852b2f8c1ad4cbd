// Lossless quarter turns of JPEG files and the Exif orientation on load.
#include "polyimage_test_util.h"

using namespace pip_test;

namespace {

// Four flat quadrants: red top-left, green top-right, blue bottom-left, white bottom-right.
Pixel Quadrants(int x, int y, int w, int h) {
  bool right = x >= w / 2, bottom = y >= h / 2;
  if (!right && !bottom) return {255, 0, 0};
  if (right && !bottom) return {0, 255, 0};
  if (!right) return {0, 0, 255};
  return {255, 255, 255};
}

// Which quadrant colour sits at a point: 'R', 'G', 'B', 'W' or '?'.
char ColourAt(int session, int x, int y) {
  Pixel p = At(session, x, y);
  auto high = [](int v) { return v > 180; };
  auto low = [](int v) { return v < 75; };
  if (high(p.r) && low(p.g) && low(p.b)) return 'R';
  if (low(p.r) && high(p.g) && low(p.b)) return 'G';
  if (low(p.r) && low(p.g) && high(p.b)) return 'B';
  if (high(p.r) && high(p.g) && high(p.b)) return 'W';
  return '?';
}

// Corners clockwise from top-left.
std::string Corners(int session) {
  auto [w, h] = Size(session);
  return {ColourAt(session, 2, 2), ColourAt(session, w - 3, 2), ColourAt(session, w - 3, h - 3),
          ColourAt(session, 2, h - 3)};
}

}  // namespace

TEST(PolyImageJpegTransformTest, QuarterTurnsMoveCornersAndResetOrientation) {
  struct Row {
    int code;
    const char* corners;  // original corners clockwise: R G W B
  } rows[] = {{0, "BRGW"}, {1, "GWBR"}, {2, "WBRG"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.code);
    TempDir dir;
    Session s;
    MakeImage(s, 64, 32, [](int x, int y) { return Quadrants(x, y, 64, 32); });
    std::string path = dir.File("turn.jpg");
    WriteAll(path, WithOrientation(EncodeJpeg(s), 6));
    ASSERT_TRUE(cRotateImageFileEx(path.c_str(), nullptr, row.code, 0));
    std::vector<BYTE> turned = ReadAll(path);
    EXPECT_EQ(OrientationOf(turned), 1) << "the display must not turn it again";
    Session back;
    cSetAutoRotate(back, 0);
    ASSERT_TRUE(cLoadImage(back, path.c_str(), 0, 0, 0));
    EXPECT_EQ(Size(back), row.code == 2 ? std::make_pair(64, 32) : std::make_pair(32, 64));
    EXPECT_EQ(Corners(back), row.corners);
  }
}

TEST(PolyImageJpegTransformTest, TurnIsLossless) {
  // Turning four times by 90 gives back the very same coefficients, hence the same pixels.
  TempDir dir;
  Session s;
  MakeImage(s, 48, 32, Gradient);
  std::string path = dir.File("four.jpg");
  WriteAll(path, EncodeJpeg(s));
  Session before;
  ASSERT_TRUE(cLoadImage(before, path.c_str(), 0, 0, 0));
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(cRotateImageFileEx(path.c_str(), nullptr, 0, 0));
  Session after;
  ASSERT_TRUE(cLoadImage(after, path.c_str(), 0, 0, 0));
  EXPECT_EQ(MaxDifference(before, after), 0);
}

TEST(PolyImageJpegTransformTest, PartialEdgeBlocksAreTrimmed) {
  TempDir dir;
  Session s;
  MakeImage(s, 50, 37, Gradient);  // 4:2:0, MCU 16 x 16: 37 rows keep 32
  std::string path = dir.File("odd.jpg"), out = dir.File("odd-turned.jpg");
  WriteAll(path, EncodeJpeg(s));
  ASSERT_TRUE(cRotateImageFileEx(path.c_str(), out.c_str(), 0, 0));
  Session back;
  ASSERT_TRUE(cLoadImage(back, out.c_str(), 0, 0, 0));
  EXPECT_EQ(Size(back), std::make_pair(32, 50));
}

TEST(PolyImageJpegTransformTest, RejectsWhatItCannotTurn) {
  TempDir dir;
  Session s;
  ASSERT_TRUE(cNewImage(s, 16, 16, 0));
  std::string png = dir.File("x.png"), jpg = dir.File("x.jpg");
  ASSERT_TRUE(cSave(s, png.c_str(), PIP_FORMAT_PNG, 0, 0, 0));
  ASSERT_TRUE(cSave(s, jpg.c_str(), PIP_FORMAT_JPEG, 0, 0, 0));
  EXPECT_FALSE(cRotateImageFileEx(png.c_str(), nullptr, 0, 0));
  EXPECT_FALSE(cRotateImageFileEx(jpg.c_str(), nullptr, 3, 0));
  EXPECT_FALSE(cRotateImageFileEx(dir.File("none.jpg").c_str(), nullptr, 0, 0));
  std::vector<BYTE> bytes = ReadAll(jpg);
  bytes.resize(bytes.size() / 2);
  WriteAll(jpg, bytes);
  EXPECT_FALSE(cRotateImageFileEx(jpg.c_str(), nullptr, 0, 0));
  EXPECT_EQ(ReadAll(jpg).size(), bytes.size()) << "a failed turn leaves the file alone";
}

TEST(PolyImageJpegTransformTest, AutoRotateFollowsExifOrientation) {
  struct Row {
    int orientation;
    const char* corners;
  } rows[] = {{1, "RGWB"}, {3, "WBRG"}, {6, "BRGW"}, {8, "GWBR"}, {2, "GRBW"}};
  Session s;
  MakeImage(s, 64, 32, [](int x, int y) { return Quadrants(x, y, 64, 32); });
  std::vector<BYTE> plain = EncodeJpeg(s);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.orientation);
    std::vector<BYTE> jpeg = WithOrientation(plain, row.orientation);
    Session on, off;
    ASSERT_TRUE(cLoadData(on, jpeg.data(), DWORD(jpeg.size()), 0, 0, 0));
    EXPECT_EQ(Corners(on), row.corners);
    cSetAutoRotate(off, 0);
    ASSERT_TRUE(cLoadData(off, jpeg.data(), DWORD(jpeg.size()), 0, 0, 0));
    EXPECT_EQ(Corners(off), "RGWB");
    DWORD orientation = 0;
    cGetImageInfo(off, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &orientation, nullptr);
    EXPECT_EQ(orientation, DWORD(row.orientation));
  }
}

TEST(PolyImageJpegTransformTest, TurnedFileMatchesTurnedPixels) {
  for (int code : {0, 1, 2}) {
    SCOPED_TRACE(code);
    TempDir dir;
    Session s;
    MakeImage(s, 64, 48, [](int x, int y) { return Pixel{x * 4, y * 5, (x * y) & 255}; });
    std::string path = dir.File("p.jpg");
    WriteAll(path, EncodeJpeg(s));
    Session expected;
    ASSERT_TRUE(cLoadImage(expected, path.c_str(), 0, 0, 0));
    ASSERT_TRUE(cOpRotateFine(expected, code == 0 ? 90 : code == 1 ? 270 : 180));
    ASSERT_TRUE(cRotateImageFileEx(path.c_str(), nullptr, code, 0));
    Session turned;
    ASSERT_TRUE(cLoadImage(turned, path.c_str(), 0, 0, 0));
    // Chroma upsampling sees different neighbours after the turn: small differences only.
    EXPECT_LE(MaxDifference(turned, expected), 12);
  }
}
