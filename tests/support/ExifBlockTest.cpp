#include "support/ExifBlock.h"

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "JpegTestImages.h"
#include "tests/support/ExifFixtures.h"
#include "platform/canon/simulator.h"
#include "platform/polyimage/polyimage.h"
#include "support/Exif.h"

using jpegtest::Bytes;
using jpegtest::Rgb;

namespace {

class TempDir {
 public:
  TempDir() {
    std::string pattern = ::testing::TempDir() + "tavorin-exifblock-XXXXXX";
    m_path = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
  }
  std::string File(const char* name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

// The APP1 segment (marker included) of a JPEG; empty when none.
Bytes App1(const Bytes& jpeg) {
  size_t pos = 2;
  while (pos + 4 <= jpeg.size() && jpeg[pos] == 0xFF) {
    size_t n = size_t(jpeg[pos + 2]) << 8 | jpeg[pos + 3];
    if (jpeg[pos + 1] == 0xE1) return Bytes(jpeg.begin() + pos, jpeg.begin() + std::min(jpeg.size(), pos + 2 + n));
    pos += 2 + n;
  }
  return {};
}

// The thumbnail bytes named by IFD1 of a little-endian camera APP1.
Bytes Thumbnail(const Bytes& app1) {
  const BYTE* tiff = app1.data() + 10;
  size_t size = app1.size() - 10;
  DWORD ifd = ReadExifUInt32(tiff + 4, TRUE);
  for (int guard = 0; ifd && ifd + 2 <= size && guard < 4; ++guard) {
    unsigned count = ReadExifUInt16(tiff + ifd, TRUE);
    DWORD offset = 0, length = 0;
    for (unsigned i = 0; i < count; ++i) {
      const BYTE* e = tiff + ifd + 2 + 12 * i;
      if (ReadExifUInt16(e, TRUE) == 0x0201) offset = ReadExifUInt32(e + 8, TRUE);
      if (ReadExifUInt16(e, TRUE) == 0x0202) length = ReadExifUInt32(e + 8, TRUE);
    }
    if (offset && length && offset + length <= size) return Bytes(tiff + offset, tiff + offset + length);
    ifd = ReadExifUInt32(tiff + ifd + 2 + 12 * count, TRUE);
  }
  return {};
}

// Mean colour of a JPEG (decoded through the imaging library).
Rgb MeanColour(const Bytes& jpeg) {
  int s = cNewSession();
  Rgb mean = {-1, -1, -1};
  PolyArray pixels;
  if (cLoadData(s, jpeg.data(), DWORD(jpeg.size()), 0, 0, 0) && cGetImage16(s, &pixels) && pixels.Size() >= 3) {
    long long sum[3] = {};
    for (size_t i = 0; i < pixels.Size(); i += 3)
      for (int c = 0; c < 3; ++c) sum[c] += pixels.Data()[i + c];
    long long n = pixels.Size() / 3;
    mean = Rgb{int(sum[2] / n), int(sum[1] / n), int(sum[0] / n)};
  }
  cDestroySession(s);
  return mean;
}

// A session holding a solid picture, saved as a JPEG (with the library's own Exif block) at path.
int SaveProcessed(const std::string& path, Rgb colour) {
  int s = cNewSession();
  cNewImage(s, 640, 480, RGB(colour.r, colour.g, colour.b));
  EXPECT_TRUE(cSave(s, path.c_str(), PIP_FORMAT_JPEG, 0, 0, 0));
  return s;
}

// A little-endian APP1 whose IFD0 names a JPEG thumbnail of `thumbLength` bytes of 0xAA,
// built from the given entry count and next-IFD link so tests can damage them.
Bytes CameraJpegWithThumbnail(DWORD thumbLength, WORD entries = 3, DWORD next = 0, DWORD offset = 8 + 2 + 36 + 4) {
  Bytes tiff = {'I', 'I', 42, 0, 8, 0, 0, 0};
  auto u16 = [&](unsigned v) { tiff.push_back(BYTE(v)), tiff.push_back(BYTE(v >> 8)); };
  auto u32 = [&](DWORD v) { u16(v & 0xFFFF), u16(v >> 16); };
  u16(entries);
  u16(0x0103), u16(3), u32(1), u32(6);
  u16(0x0201), u16(4), u32(1), u32(offset);
  u16(0x0202), u16(4), u32(1), u32(thumbLength);
  u32(next);
  tiff.resize(tiff.size() + thumbLength, 0xAA);
  size_t length = tiff.size() + 8;
  Bytes out = {0xFF, 0xD8, 0xFF, 0xE1, BYTE(length >> 8), BYTE(length), 'E', 'x', 'i', 'f', 0, 0};
  out.insert(out.end(), tiff.begin(), tiff.end());
  Bytes body = jpegtest::Encode(64, 48, [](int, int) { return Rgb{1, 2, 3}; });
  out.insert(out.end(), body.begin() + 2, body.end());
  return out;
}

}  // namespace

TEST(ExifBlockTest, PutsTheCameraBlockBackWithANewThumbnail) {
  TempDir dir;
  std::string path = dir.File("photo.jpg");
  Bytes camera = tavsim::SimMakePhoto(640, 480, 5, "Canon PowerShot G9");
  Bytes cameraApp1 = App1(camera);
  ASSERT_FALSE(cameraApp1.empty());
  int session = SaveProcessed(path, {250, 0, 0});
  Bytes before = jpegtest::ReadAll(path);

  RestoreExifBlock(session, camera.data(), DWORD(camera.size()), path.c_str());

  Bytes after = jpegtest::ReadAll(path);
  Bytes app1 = App1(after);
  ASSERT_EQ(app1.size(), cameraApp1.size());
  EXPECT_EQ(Exif(path.c_str()).GetModel(), "Canon PowerShot G9");
  // The thumbnail now shows the processed (red) picture, padded with zeros to the old length.
  Bytes thumb = Thumbnail(app1);
  ASSERT_EQ(thumb.size(), Thumbnail(cameraApp1).size());
  EXPECT_NE(thumb, Thumbnail(cameraApp1));
  EXPECT_EQ(thumb.back(), 0);
  Rgb mean = MeanColour(thumb);
  EXPECT_GT(mean.r, 200);
  EXPECT_LT(mean.g, 40);
  // Everything after the block is the saved file's own, and the caller's picture kept its size.
  Bytes savedApp1 = App1(before);
  EXPECT_EQ(after.size(), before.size() - savedApp1.size() + app1.size());
  EXPECT_TRUE(std::equal(after.end() - 1000, after.end(), before.end() - 1000));
  DWORD width = 0;
  cGetImageInfo(session, &width, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(width, 640u);
  cDestroySession(session);
}

TEST(ExifBlockTest, KeepsTheCameraThumbnailWithoutAPicture) {
  TempDir dir;
  std::string path = dir.File("photo.jpg");
  int session = SaveProcessed(path, {0, 0, 250});
  Bytes camera = CameraJpegWithThumbnail(4000);
  RestoreExifBlock(0, camera.data(), DWORD(camera.size()), path.c_str());
  EXPECT_EQ(App1(jpegtest::ReadAll(path)), App1(camera));
  cDestroySession(session);
}

TEST(ExifBlockTest, ThumbnailThatDoesNotFitGrowsTheBlockOrGoes) {
  // The old thumbnail must never stay: it shows the picture before it was turned or processed.
  const struct {
    const char* name;
    bool atEnd;
  } rows[] = {{"old thumbnail ends the block: the new one takes its place, longer", true},
              {"data after the old thumbnail: it is emptied", false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    std::string path = dir.File("photo.jpg");
    int session = SaveProcessed(path, {0, 0, 250});
    Bytes camera = CameraJpegWithThumbnail(40);
    if (!row.atEnd) {
      size_t end = 4 + (size_t(camera[4]) << 8 | camera[5]);
      camera.insert(camera.begin() + end, {0, 0});
      size_t length = (size_t(camera[4]) << 8 | camera[5]) + 2;
      camera[4] = BYTE(length >> 8), camera[5] = BYTE(length);
    }
    RestoreExifBlock(session, camera.data(), DWORD(camera.size()), path.c_str());
    Bytes app1 = App1(jpegtest::ReadAll(path));
    Bytes thumb = Thumbnail(app1);
    if (row.atEnd) {
      ASSERT_GT(thumb.size(), 40u);
      EXPECT_GT(MeanColour(thumb).b, 200);
    } else {
      EXPECT_TRUE(thumb.empty());
      EXPECT_EQ(app1.size(), App1(camera).size());
    }
    EXPECT_EQ(Exif(path.c_str()).GetRotation(), 0);
    cDestroySession(session);
  }
}

TEST(ExifBlockTest, KeepsTheCamerasIccProfile) {
  TempDir dir;
  std::string path = dir.File("photo.jpg");
  int session = SaveProcessed(path, {0, 250, 0});
  Bytes profile(300);
  for (size_t i = 0; i < profile.size(); ++i) profile[i] = BYTE(i * 7);
  exiftest::Options options;
  options.iccProfile = profile;
  Bytes camera = exiftest::MakeCameraJpeg(64, 48, [](int, int) { return Rgb{0, 250, 0}; }, options);
  RestoreExifBlock(session, camera.data(), DWORD(camera.size()), path.c_str());
  Bytes after = jpegtest::ReadAll(path);
  std::string marker = std::string("ICC_PROFILE") + '\0';
  auto at = std::search(after.begin(), after.end(), marker.begin(), marker.end());
  ASSERT_NE(at, after.end());
  EXPECT_EQ(at[-4], 0xFF);
  EXPECT_EQ(at[-3], 0xE2);
  EXPECT_TRUE(std::equal(profile.begin(), profile.end(), at + 14));
  // Done twice, the profile is not doubled.
  RestoreExifBlock(session, camera.data(), DWORD(camera.size()), path.c_str());
  Bytes again = jpegtest::ReadAll(path);
  EXPECT_EQ(again.size(), after.size());
  cDestroySession(session);
}

TEST(ExifBlockTest, DamagedOrMissingInputLeavesTheFileAlone) {
  Bytes noExif = jpegtest::Encode(64, 48, [](int, int) { return Rgb{9, 9, 9}; });
  Bytes badOrder = CameraJpegWithThumbnail(100);
  badOrder[12] = 'X';
  Bytes truncated = CameraJpegWithThumbnail(100);
  truncated.resize(40);
  const struct {
    const char* name;
    Bytes camera;
    bool replaced;  // the camera's block goes in, its thumbnail untouched
  } rows[] = {
      {"no Exif", noExif, false},
      {"unknown byte order", badOrder, false},
      {"truncated segment", truncated, false},
      {"IFD without offset linking to itself", CameraJpegWithThumbnail(100, 3, 8, 0), true},
      {"too many entries", CameraJpegWithThumbnail(100, 71), true},
      {"no entries", CameraJpegWithThumbnail(100, 0), true},
      {"thumbnail past the block", CameraJpegWithThumbnail(100, 3, 0, 60000), true},
      {"entries past the block", CameraJpegWithThumbnail(0, 60000), true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    std::string path = dir.File("photo.jpg");
    int session = SaveProcessed(path, {0, 250, 0});
    Bytes before = jpegtest::ReadAll(path);
    RestoreExifBlock(session, row.camera.data(), DWORD(row.camera.size()), path.c_str());
    Bytes after = jpegtest::ReadAll(path);
    if (row.replaced) EXPECT_EQ(App1(after), App1(row.camera));
    else EXPECT_EQ(after, before);
    cDestroySession(session);
  }
  TempDir dir;
  Bytes camera = tavsim::SimMakePhoto(160, 120, 1, "Canon PowerShot G9");
  RestoreExifBlock(0, camera.data(), DWORD(camera.size()), dir.File("missing.jpg").c_str());
  EXPECT_FALSE(std::filesystem::exists(dir.File("missing.jpg")));
}

TEST(ExifBlockTest, FindJpegStartAndByteReaders) {
  const struct {
    Bytes data;
    DWORD skipped;
  } rows[] = {
      {{0xFF, 0xD8, 0xFF, 0xE0, 1}, 0},
      {{0, 0, 0xFF, 0xD8, 0xFF, 0xDB, 1}, 2},
      {{0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xD8, 0xFF, 0xE0}, 4},  // an Exif start does not count
      {{0xFF, 0xD8, 0xFF}, 0},                                 // none: unchanged
      {{}, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.data.size());
    const BYTE* p = row.data.data();
    DWORD n = DWORD(row.data.size());
    FindJpegStart(p, n);
    EXPECT_EQ(p, row.data.data() + row.skipped);
    EXPECT_EQ(n, row.data.size() - row.skipped);
  }
  const BYTE b[] = {0x12, 0x34, 0x56, 0x78};
  EXPECT_EQ(ReadExifUInt32(b, TRUE), 0x78563412u);
  EXPECT_EQ(ReadExifUInt32(b, FALSE), 0x12345678u);
  EXPECT_EQ(ReadExifUInt16(b, TRUE), 0x3412);
  EXPECT_EQ(ReadExifUInt16(b, FALSE), 0x1234);
}
