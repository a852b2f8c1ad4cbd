// The pieces of the download road that need no camera: raw-file walk, auto levels, crop.
#include <gtest/gtest.h>

#include <vector>

#include "camera/CameraCiff.h"
#include "camera/CameraPostProcess.h"

namespace {

void Put16(std::vector<BYTE>& b, size_t at, DWORD v) {
  b[at] = BYTE(v), b[at + 1] = BYTE(v >> 8);
}
void Put32(std::vector<BYTE>& b, size_t at, DWORD v) { Put16(b, at, v & 0xFFFF), Put16(b, at + 2, v >> 16); }

// A heap at 26 holding two JPEG records and one other, then the directory.
std::vector<BYTE> MakeCiff() {
  std::vector<BYTE> b(26 + 40 + 2 + 3 * 10 + 4, 0);
  b[0] = 'I', b[1] = 'I';
  Put32(b, 2, 26);
  Put16(b, 66, 3);
  DWORD records[3][3] = {{0x2007, 10, 0}, {0x1234, 5, 10}, {0x2007, 20, 20}};
  for (int i = 0; i < 3; ++i) {
    Put16(b, 68 + i * 10, records[i][0]);
    Put32(b, 70 + i * 10, records[i][1]);
    Put32(b, 74 + i * 10, records[i][2]);
  }
  Put32(b, b.size() - 4, 40);
  for (size_t jpeg : {26, 46}) b[jpeg] = 0xFF, b[jpeg + 1] = 0xD8;
  return b;
}

}  // namespace

TEST(CameraDownloadPartsTest, CiffWalkFindsEveryJpegRecord) {
  std::vector<BYTE> ciff = MakeCiff();
  std::vector<CiffJpeg> found = FindCiffJpegs(ciff.data(), static_cast<DWORD>(ciff.size()));
  ASSERT_EQ(2u, found.size());
  EXPECT_EQ(26u, found[0].offset);
  EXPECT_EQ(10u, found[0].size);
  EXPECT_EQ(46u, found[1].offset);
  EXPECT_EQ(20u, found[1].size);
}

TEST(CameraDownloadPartsTest, CiffRecordThatIsNoJpegIsNotShown) {
  std::vector<BYTE> ciff = MakeCiff();
  ciff[47] = 0x00;  // the second record no longer starts with FF D8
  std::vector<CiffJpeg> found = FindCiffJpegs(ciff.data(), static_cast<DWORD>(ciff.size()));
  ASSERT_EQ(1u, found.size());
  EXPECT_EQ(26u, found[0].offset);
}

TEST(CameraDownloadPartsTest, CiffWalkStopsAtDataOutsideTheFile) {
  struct Row {
    const char* name;
    size_t at;
    DWORD value;
    bool wide;
    size_t expected;
  } rows[] = {
      {"directory past the end", 0, 0xFFFFFF00, true, 0},
      {"count past the end", 66, 0xFFFF, false, 2},
      {"second JPEG past the end", 94, 0xFFFFFFF0, true, 1},
      {"record size wraps", 90, 0xFFFFFFFF, true, 1},
      {"header length huge", 2, 0xFFFFFFFF, true, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<BYTE> ciff = MakeCiff();
    size_t at = row.at ? row.at : ciff.size() - 4;
    if (row.wide) Put32(ciff, at, row.value);
    else Put16(ciff, at, row.value);
    EXPECT_EQ(row.expected, FindCiffJpegs(ciff.data(), static_cast<DWORD>(ciff.size())).size());
  }
  EXPECT_TRUE(FindCiffJpegs(nullptr, 0).empty());
  BYTE tiny[9] = {};
  EXPECT_TRUE(FindCiffJpegs(tiny, sizeof tiny).empty());
}

TEST(CameraDownloadPartsTest, AutoLevels) {
  struct Row {
    const char* name;
    std::vector<std::pair<int, DWORD>> counts;
    double black, white;
    int expectedBlack, expectedMiddle, expectedWhite;
  } rows[] = {
      {"nothing clipped", {{0, 50}, {255, 50}}, 0, 0, 0, 127, 255},
      {"1% each way", {{10, 1}, {20, 98}, {240, 1}}, 1, 1, 9, 125, 241},
      {"black capped at 127", {{200, 100}}, 50, 0, 127, 191, 255},
      {"white alone at 255", {{0, 90}, {255, 10}}, 0, 5, 0, 127, 255},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    DWORD counts[256] = {};
    unsigned long long pixels = 0;
    for (auto [level, n] : row.counts) counts[level] += n, pixels += n;
    int black = -1, middle = -1, white = -1;
    ComputeAutoLevels(counts, pixels, row.black, row.white, black, middle, white);
    EXPECT_EQ(row.expectedBlack, black);
    EXPECT_EQ(row.expectedMiddle, middle);
    EXPECT_EQ(row.expectedWhite, white);
  }
}

TEST(CameraDownloadPartsTest, ViewfinderCropScalesToThePhoto) {
  RECT r = MapViewfinderCrop(RECT{80, 60, 239, 179}, 640, 480);
  EXPECT_EQ(160, r.left);
  EXPECT_EQ(120, r.top);
  EXPECT_EQ(479, r.right);
  EXPECT_EQ(359, r.bottom);
  r = MapViewfinderCrop(RECT{0, 0, 319, 239}, 4000, 3000);
  EXPECT_EQ(0, r.left);
  EXPECT_EQ(3999, r.right);
  EXPECT_EQ(2999, r.bottom);
}
