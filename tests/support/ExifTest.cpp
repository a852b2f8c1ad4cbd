#include "support/Exif.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/canon/cdsdk.h"
#include "platform/canon/simulator.h"
#include "tests/support/ExifFixtures.h"

namespace {

typedef std::vector<BYTE> Bytes;

// One IFD entry as the test writes it; data of 4 bytes or less goes into the value field.
struct Tag {
  unsigned tag, type;
  DWORD count;
  Bytes data;
  bool rawValue = false;  // data is the value field itself, even when it holds an offset
};

class TiffBuilder {
 public:
  explicit TiffBuilder(bool little) : m_little(little) {}

  Bytes U16(unsigned v) const { return m_little ? Bytes{BYTE(v), BYTE(v >> 8)} : Bytes{BYTE(v >> 8), BYTE(v)}; }
  Bytes U32(DWORD v) const {
    return m_little ? Bytes{BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)}
                    : Bytes{BYTE(v >> 24), BYTE(v >> 16), BYTE(v >> 8), BYTE(v)};
  }
  Tag Ascii(unsigned tag, const std::string& text) const {
    Bytes data(text.begin(), text.end());
    data.push_back(0);
    return {tag, 2, DWORD(data.size()), data};
  }
  Tag Short(unsigned tag, unsigned value) const {
    Bytes data = U16(value);
    data.resize(4, 0);
    return {tag, 3, 1, data};
  }
  Tag Long(unsigned tag, DWORD value) const { return {tag, 4, 1, U32(value)}; }
  Tag Rational(unsigned tag, DWORD numerator, DWORD denominator, unsigned type = 5) const {
    Bytes data = U32(numerator);
    Bytes d = U32(denominator);
    data.insert(data.end(), d.begin(), d.end());
    return {tag, type, 1, data};
  }
  Tag Comment(DWORD count, const std::string& text) const {
    Bytes data = {'A', 'S', 'C', 'I', 'I', 0, 0, 0};
    data.insert(data.end(), text.begin(), text.end());
    data.resize(count > 4 ? count : 8, 0);
    return {0x9286, 7, count, data};
  }

  /// The TIFF data: header, IFD0 (with a link to the Exif IFD when there is one), Exif IFD, data area.
  Bytes Build(std::vector<Tag> ifd0, const std::vector<Tag>& exifIfd, DWORD nextIfd = 0) const {
    if (!exifIfd.empty()) ifd0.push_back({0x8769, 4, 1, {}, false});
    size_t ifd0Size = 2 + ifd0.size() * 12 + 4;
    size_t exifOffset = 8 + ifd0Size;
    size_t dataOffset = exifOffset + (exifIfd.empty() ? 0 : 2 + exifIfd.size() * 12 + 4);
    Bytes out = {BYTE(m_little ? 'I' : 'M'), BYTE(m_little ? 'I' : 'M')};
    Append(out, U16(42));
    Append(out, U32(8));
    Bytes area;
    auto writeIfd = [&](const std::vector<Tag>& tags, DWORD next) {
      Append(out, U16(unsigned(tags.size())));
      for (const Tag& tag : tags) {
        Append(out, U16(tag.tag));
        Append(out, U16(tag.type));
        Append(out, U32(tag.count));
        if (tag.tag == 0x8769 && tag.data.empty()) {
          Append(out, U32(DWORD(exifOffset)));
        } else if (tag.rawValue || tag.data.size() <= 4) {
          Bytes field = tag.data;
          field.resize(4, 0);
          Append(out, field);
        } else {
          Append(out, U32(DWORD(dataOffset + area.size())));
          Append(area, tag.data);
        }
      }
      Append(out, U32(next));
    };
    writeIfd(ifd0, nextIfd);
    if (!exifIfd.empty()) writeIfd(exifIfd, 0);
    Append(out, area);
    return out;
  }

  static void Append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }

 private:
  bool m_little;
};

/// SOI, the APP1 around the TIFF data, and a little more so the buffer reader takes the segment.
Bytes Jpeg(const Bytes& tiff) {
  size_t length = tiff.size() + 8;
  Bytes out = {0xFF, 0xD8, 0xFF, 0xE1, BYTE(length >> 8), BYTE(length), 'E', 'x', 'i', 'f', 0, 0};
  TiffBuilder::Append(out, tiff);
  TiffBuilder::Append(out, {0xFF, 0xDB, 0x00, 0x04, 0x00, 0x00, 0xFF, 0xD9});
  return out;
}

Exif FromBuffer(const Bytes& bytes) { return Exif(bytes.data(), DWORD(bytes.size())); }

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = ::testing::TempDir() + "tavorin-exif-XXXXXX";
    m_path = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempFolder() {
    std::string command = "chmod -R u+w '" + m_path + "'; rm -rf '" + m_path + "'";
    if (!m_path.empty()) (void)std::system(command.c_str());
  }
  std::string Write(const char* name, const Bytes& content) const {
    std::string path = m_path + "/" + name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(content.data()), content.size());
    return path;
  }
  std::string Path(const char* name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes CameraLikeJpeg(bool little) {
  TiffBuilder b(little);
  return Jpeg(b.Build({b.Ascii(0x0110, "PowerShot G7"), b.Short(0x0112, 6), b.Ascii(0x0132, "2024:05:06 07:08:09")},
                      {b.Rational(0x829A, 1, 250), b.Rational(0x829D, 28, 10), b.Short(0x8827, 200),
                       b.Comment(264, "hello")}));
}

}  // namespace

TEST(ExifTest, ReadsTheFieldsInBothByteOrders) {
  for (bool little : {true, false}) {
    SCOPED_TRACE(little ? "II" : "MM");
    Exif exif = FromBuffer(CameraLikeJpeg(little));
    EXPECT_EQ(exif.m_byteOrder, little ? 1 : 0);
    EXPECT_EQ(exif.GetModel(), "PowerShot G7");
    EXPECT_EQ(exif.GetRotation(), 90);
    EXPECT_EQ(exif.GetExposure(), "1/250");
    EXPECT_EQ(exif.GetAperture(), "2.8");
    EXPECT_EQ(exif.GetIso(), "200");
    EXPECT_EQ(exif.m_comment, "hello");
    EXPECT_EQ(exif.GetDateTimeText(), "2024:05:06 07:08:09");
    struct tm expected = {};
    expected.tm_year = 124, expected.tm_mon = 4, expected.tm_mday = 6;
    expected.tm_hour = 7, expected.tm_min = 8, expected.tm_sec = 9, expected.tm_isdst = -1;
    EXPECT_EQ(exif.GetTime(), static_cast<LONGLONG>(std::mktime(&expected)));
    EXPECT_EQ(exif.GetFileName(), "");
    EXPECT_EQ(exif.GetOwnerName(), "");
    EXPECT_EQ(exif.m_firmware, "");
    EXPECT_EQ(exif.m_serialNumber, "");
  }
}

TEST(ExifTest, OrientationValues) {
  const struct {
    unsigned value;
    int degrees;
  } rows[] = {{1, 0}, {3, 180}, {6, 90}, {8, 270}, {2, 0}, {0, 0}};
  for (bool little : {true, false}) {
    for (const auto& row : rows) {
      SCOPED_TRACE(row.value);
      TiffBuilder b(little);
      EXPECT_EQ(FromBuffer(Jpeg(b.Build({b.Short(0x0112, row.value)}, {}))).GetRotation(), row.degrees);
    }
  }
}

TEST(ExifTest, ExposureTexts) {
  TiffBuilder b(true);
  const struct {
    Tag tag;
    const char* text;
  } rows[] = {
      {b.Rational(0x829A, 1, 250), "1/250"},  {b.Rational(0x829A, 1, 2), "0.5"},
      {b.Rational(0x829A, 3, 10), "0.3"},     {b.Rational(0x829A, 29, 100), "1/3"},
      {b.Rational(0x829A, 10, 2500), "1/250"}, {b.Rational(0x829A, 15, 1), "15"},
      {b.Rational(0x829A, 1, 60), "1/60"},    {b.Rational(0x829A, 15385, 1000000), "1/65"},
      {b.Rational(0x829A, 0, 1), ""},
      {b.Rational(0x829A, 1, 0), ""},         {b.Rational(0x829A, DWORD(-1), 250, 10), ""},
      {b.Rational(0x829A, 1, 4000000000u), "1/2147483647"}, {b.Long(0x829A, 5), ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(FromBuffer(Jpeg(b.Build({}, {row.tag}))).GetExposure(), row.text);
  }
}

TEST(ExifTest, DateTimes) {
  TiffBuilder b(true);
  Exif colons = FromBuffer(Jpeg(b.Build({b.Ascii(0x0132, "2020:01:02 03:04:05")}, {})));
  Exif dots = FromBuffer(Jpeg(b.Build({b.Ascii(0x0132, "2020.01.02 03:04:05")}, {})));
  EXPECT_EQ(dots.GetTime(), colons.GetTime());
  EXPECT_EQ(dots.GetDateTimeText(), "2020.01.02 03:04:05");
  for (const char* text : {"1969:12:31 23:59:59", "2038:01:01 00:00:00", "2020:13:01 00:00:00", "2020:01:32 00:00:00",
                           "not a date", "2020:01:02"}) {
    SCOPED_TRACE(text);
    LONGLONG before = std::time(nullptr);
    Exif exif = FromBuffer(Jpeg(b.Build({b.Ascii(0x0132, text)}, {})));
    EXPECT_GE(exif.GetTime(), before);
    EXPECT_LE(exif.GetTime(), static_cast<LONGLONG>(std::time(nullptr)));
  }
  // The Exif IFD's date follows IFD0's.
  Exif both =
      FromBuffer(Jpeg(b.Build({b.Ascii(0x0132, "2019:01:01 00:00:00")}, {b.Ascii(0x0132, "2020:01:02 03:04:05")})));
  EXPECT_EQ(both.GetTime(), colons.GetTime());
}

TEST(ExifTest, UserCommentLengths) {
  TiffBuilder b(false);
  std::string longText(300, 'c');
  const struct {
    Tag tag;
    size_t length;
  } rows[] = {{b.Comment(264, longText), 256}, {b.Comment(20, longText), 12}, {b.Comment(20, "hi"), 2},
              {b.Comment(9, longText), 1},     {b.Comment(8, longText), 0},   {b.Comment(5, longText), 0},
              {b.Comment(0, longText), 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.tag.count);
    EXPECT_EQ(size_t(FromBuffer(Jpeg(b.Build({}, {row.tag}))).m_comment.GetLength()), row.length);
  }
}

TEST(ExifTest, ShortTextsSitInTheValueField) {
  TiffBuilder b(true);
  Exif exif = FromBuffer(Jpeg(b.Build({b.Ascii(0x0110, "G7")}, {})));
  EXPECT_EQ(exif.GetModel(), "G7");
  Tag notText = b.Long(0x0110, 0x41414141);
  EXPECT_EQ(FromBuffer(Jpeg(b.Build({notText}, {}))).GetModel(), "");
}

TEST(ExifTest, DamagedBlocksYieldNoMetadataAndNeverReadPastTheData) {
  TiffBuilder b(true);
  Bytes good = CameraLikeJpeg(true);
  Bytes zeroCount = Jpeg(b.Build({}, {}));
  Bytes countPastEnd = Jpeg(b.Build({b.Ascii(0x0110, "PowerShot")}, {}));
  countPastEnd[12 + 8] = 0xFF;  // IFD0 count
  Bytes ifd0PastEnd = good;
  ifd0PastEnd[12 + 4] = 0xF0;
  Bytes exifIfdPastEnd = Jpeg(b.Build({b.Ascii(0x0110, "Model"), {0x8769, 4, 1, b.U32(0x7FFFFFF0), true}}, {}));
  Bytes exifIfdLoops = Jpeg(b.Build({b.Ascii(0x0110, "Model"), {0x8769, 4, 1, b.U32(8), true}}, {}));
  Bytes textPastEnd = Jpeg(b.Build({{0x0110, 2, 0xFFFFFFF0u, b.U32(100), true}}, {}));
  Bytes rationalPastEnd = Jpeg(b.Build({}, {{0x829D, 5, 1, b.U32(0xFFFFFFFCu), true}}));
  Bytes commentPastEnd = Jpeg(b.Build({}, {{0x9286, 7, 0xFFFFFFFFu, b.U32(40), true}}));
  Bytes badMagic = good;
  badMagic[12 + 2] = 43;
  Bytes badOrder = good;
  badOrder[12] = 'X';
  Bytes notExif = good;
  notExif[6] = 'J';
  Bytes app1Short = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x01, 0xFF, 0xD9, 0, 0, 0, 0};
  Bytes app1Length7 = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x07, 'E', 'x', 'i', 'f', 0, 0, 0, 0, 0, 0};
  Bytes noMarker = {0x00, 0xD8, 0xFF, 0xE1};
  const struct {
    const char* name;
    const Bytes* bytes;
    const char* model;
  } rows[] = {
      {"IFD0 count 0", &zeroCount, ""},           {"IFD0 count past the data", &countPastEnd, ""},
      {"IFD0 offset past the data", &ifd0PastEnd, ""}, {"Exif IFD past the data", &exifIfdPastEnd, "Model"},
      {"Exif IFD is IFD0", &exifIfdLoops, "Model"}, {"text past the data", &textPastEnd, ""},
      {"rational past the data", &rationalPastEnd, ""}, {"comment past the data", &commentPastEnd, ""},
      {"magic not 42", &badMagic, ""},             {"unknown byte order", &badOrder, ""},
      {"not Exif", &notExif, ""},                  {"APP1 length 1", &app1Short, ""},
      {"APP1 length 7", &app1Length7, ""},         {"no marker", &noMarker, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Bytes exact(*row.bytes);
    exact.shrink_to_fit();
    Exif exif = FromBuffer(exact);
    EXPECT_EQ(exif.GetModel(), row.model);
    EXPECT_EQ(exif.GetRotation(), 0);
    EXPECT_EQ(exif.GetExposure(), "");
    EXPECT_EQ(exif.m_comment, "");
  }
  EXPECT_EQ(Exif(static_cast<const BYTE*>(nullptr), 100).GetModel(), "");
}

TEST(ExifTest, EveryTruncationOfAPhotoIsSafe) {
  TempFolder folder;
  for (bool little : {true, false}) {
    Bytes good = CameraLikeJpeg(little);
    for (size_t length = 0; length <= good.size(); ++length) {
      Bytes prefix(good.begin(), good.begin() + length);
      prefix.shrink_to_fit();
      Exif fromBuffer = FromBuffer(prefix);
      Exif fromFile(folder.Write("cut.jpg", prefix).c_str());
      EXPECT_EQ(fromFile.GetFileName(), CString(folder.Path("cut.jpg")));
      if (length == good.size()) {
        EXPECT_EQ(fromBuffer.GetModel(), "PowerShot G7");
        EXPECT_EQ(fromFile.GetIso(), "200");
      }
    }
  }
}

TEST(ExifTest, FilesAreReadReadOnlyAndByExtension) {
  TempFolder folder;
  Bytes photo = CameraLikeJpeg(false);
  std::string jpg = folder.Write("IMG_0001.JPG", photo);
  chmod(jpg.c_str(), 0444);
  EXPECT_EQ(Exif(jpg.c_str()).GetModel(), "PowerShot G7");
  folder.Write("CRW_0002.thm", photo);
  std::string crw = folder.Write("CRW_0002.CRW", {1, 2, 3});
  Exif raw(CString(crw.c_str()));
  EXPECT_EQ(raw.GetModel(), "PowerShot G7");
  EXPECT_EQ(raw.GetFileName(), CString(crw));
  EXPECT_EQ(Exif(folder.Write("photo.png", photo).c_str()).GetModel(), "");
  EXPECT_EQ(Exif(folder.Path("missing.jpg").c_str()).GetModel(), "");
  Bytes lengthZero = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x00, 0xFF, 0xE1};
  EXPECT_EQ(Exif(folder.Write("zero.jpg", lengthZero).c_str()).GetModel(), "");
}

TEST(ExifTest, ReadsTheSimulatedCamerasPhoto) {
  Bytes photo = tavsim::SimMakePhoto(320, 240, 7, "Canon PowerShot S80");
  Exif exif = FromBuffer(photo);
  EXPECT_EQ(exif.GetModel(), "Canon PowerShot S80");
  EXPECT_EQ(exif.GetExposure(), "1/125");
  EXPECT_EQ(exif.GetAperture(), "4.0");
  EXPECT_EQ(exif.GetIso(), "100");
  EXPECT_EQ(exif.GetRotation(), 0);
}

TEST(ExifTest, Summary) {
  TiffBuilder b(true);
  const struct {
    std::vector<Tag> exifIfd;
    const char* summary;
  } rows[] = {
      {{b.Short(0x8827, 100)}, "ISO 100"},
      {{b.Rational(0x829D, 56, 10)}, "F5.6"},
      {{b.Rational(0x829A, 1, 250), b.Short(0x8827, 100)}, "1/250sec, ISO 100"},
      {{b.Rational(0x829A, 1, 250), b.Rational(0x829D, 28, 10), b.Short(0x8827, 400), b.Comment(20, "a\nb\rc")},
       "1/250sec @ F2.8, ISO 400 'a\\nb\\rc'"},
      {{b.Comment(20, "only")}, " 'only'"},
      {{}, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.summary);
    Exif exif = FromBuffer(Jpeg(b.Build({}, row.exifIfd)));
    EXPECT_EQ(exif.GetSummary(), row.summary);
  }
}

TEST(ExifTest, SetOrientationRewritesTheJpegInPlace) {
  TempFolder folder;
  const struct {
    bool little;
    int degrees;
    unsigned value;
  } rows[] = {{false, 180, 3}, {false, 90, 6}, {true, 270, 8}, {true, 45, 1}, {true, 0, 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.degrees);
    std::string path = folder.Write("rotate.jpg", CameraLikeJpeg(row.little));
    Bytes before = ReadAll(path);
    Exif exif(path.c_str());
    exif.SetOrientation(row.degrees);
    EXPECT_EQ(exif.GetRotation(), 90);  // the record keeps its own rotation
    Bytes after = ReadAll(path);
    ASSERT_EQ(after.size(), before.size());
    size_t changed = 0, first = 0;
    for (size_t i = 0; i < after.size(); ++i)
      if (after[i] != before[i] && !changed++) first = i;
    EXPECT_LE(changed, 2u);
    int expected = row.value == 6 ? 90 : row.value == 3 ? 180 : row.value == 8 ? 270 : 0;
    EXPECT_EQ(Exif(path.c_str()).GetRotation(), expected);
    if (!row.little && changed) {
      // Big-endian SHORT: the value sits in the first two bytes of the field.
      EXPECT_EQ(after[first - 1], 0);
      EXPECT_EQ(after[first], row.value);
      EXPECT_EQ(after[first + 1], 0);
      EXPECT_EQ(after[first + 2], 0);
    }
  }
}

TEST(ExifTest, ReaderAndWriterFindTheExifBlockAfterAnXmpBlock) {
  TempFolder folder;
  exiftest::Options options;
  options.orientation = 6;
  options.xmpFirst = true;
  Bytes photo = exiftest::MakeCameraJpeg(64, 48, [](int x, int y) { return exiftest::Quadrants(x, y, 64, 48); },
                                         options);
  std::string path = folder.Write("xmp-before-exif.jpg", photo);
  EXPECT_EQ(Exif(path.c_str()).GetRotation(), 90);
  EXPECT_EQ(Exif(path.c_str()).GetModel(), "Canon PowerShot G9");
  EXPECT_EQ(FromBuffer(photo).GetRotation(), 90);
  EXPECT_EQ(FromBuffer(photo).GetExposure(), "1/125");
  Exif(path.c_str()).SetOrientation(180);
  EXPECT_EQ(Exif(path.c_str()).GetRotation(), 180);
  EXPECT_EQ(ReadAll(path).size(), photo.size());
}

TEST(ExifTest, SetOrientationFollowsTheIfdChainWithoutLooping) {
  TempFolder folder;
  TiffBuilder b(true);
  // IFD0 has no orientation and links back to itself.
  std::string loop = folder.Write("loop.jpg", Jpeg(b.Build({b.Ascii(0x0110, "Model")}, {}, 8)));
  Bytes before = ReadAll(loop);
  Exif(loop.c_str()).SetOrientation(90);
  EXPECT_EQ(ReadAll(loop), before);
  std::string far = folder.Write("far.jpg", Jpeg(b.Build({b.Ascii(0x0110, "Model")}, {}, 0x7FFFFFFF)));
  before = ReadAll(far);
  Exif(far.c_str()).SetOrientation(90);
  EXPECT_EQ(ReadAll(far), before);
}

TEST(ExifTest, CommentAndRotationThroughTheCameraSdk) {
  cdVersionInfo version{};
  version.Size = sizeof version;
  version.MajorVersion = 7;
  ASSERT_EQ(cdOK, CDStartSDK(&version, 0));
  TempFolder folder;
  std::string thm = folder.Write("CRW_0003.THM", tavsim::SimMakePhoto(160, 120, 3, "Canon PowerShot G7"));
  std::string crw = folder.Write("CRW_0003.CRW", {0});
  Exif exif(crw.c_str());
  exif.SetComment("party\nnight");
  EXPECT_EQ(exif.GetComment(), "party\nnight");
  EXPECT_EQ(Exif(thm.c_str()).m_comment, "party\nnight");
  exif.SetOrientation(270);
  EXPECT_EQ(exif.GetRotation(), 270);
  EXPECT_EQ(Exif(crw.c_str()).GetRotation(), 270);
  std::string longComment(400, 'x');
  exif.SetComment(longComment.c_str());
  EXPECT_EQ(exif.GetComment(), CString(std::string(255, 'x')));
  CDFinishSDK();
}

TEST(ExifTest, ACommentThatDoesNotFitGetsRoomOrIsReportedAsNotStored) {
  cdVersionInfo version{};
  version.Size = sizeof version;
  version.MajorVersion = 7;
  ASSERT_EQ(cdOK, CDStartSDK(&version, 0));
  TempFolder folder;
  const std::string comment = "a wedding in the garden, second table, with the whole family";
  auto picture = [](int x, int y) { return exiftest::Quadrants(x, y, 64, 48); };
  const struct {
    const char* name;
    size_t slot;  // 0: no UserComment entry
    bool exif;
    BOOL stored;
  } rows[] = {{"camera's 264-byte slot", 264, true, TRUE},
              {"35-byte slot", 35, true, TRUE},
              {"no UserComment slot", 0, true, TRUE},
              {"no Exif block at all", 0, false, FALSE}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    exiftest::Options options;
    options.commentSlot = row.slot;
    options.orientation = 6;
    Bytes photo = row.exif ? exiftest::MakeCameraJpeg(64, 48, picture, options) : jpegtest::Encode(64, 48, picture);
    std::string path = folder.Write("comment.jpg", photo);
    Exif exif(path.c_str());
    EXPECT_EQ(row.stored, exif.SetComment(comment.c_str()));
    Exif after(path.c_str());
    EXPECT_EQ(after.m_comment, row.stored ? CString(comment.c_str()) : CString());
    Bytes written = ReadAll(path);
    if (!row.stored) {
      EXPECT_EQ(written, photo) << "a comment not stored leaves the file as it was";
      continue;
    }
    EXPECT_EQ(after.GetRotation(), 90);
    EXPECT_EQ(after.GetExposure(), "1/125");
    EXPECT_EQ(after.GetModel(), "Canon PowerShot G9");
    if (row.slot == 264) { EXPECT_EQ(written.size(), photo.size()) << "written in place"; }
    // The pixels after the Exif block are untouched.
    EXPECT_TRUE(std::equal(photo.end() - 300, photo.end(), written.end() - 300));
  }
  CDFinishSDK();
}

TEST(ExifTest, RenameMovesCompanions) {
  TempFolder folder;
  std::string crw = folder.Write("CRW_0001.crw", {1});
  folder.Write("CRW_0001.thm", {2});
  folder.Write("CRW_0001.JPG", {3});
  Exif exif(crw.c_str());
  EXPECT_EQ(exif.RenameImage(folder.Path("party_0001.crw").c_str()), "");
  EXPECT_EQ(exif.GetFileName(), CString(folder.Path("party_0001.crw")));
  EXPECT_EQ(ReadAll(folder.Path("party_0001.crw")), Bytes{1});
  EXPECT_EQ(ReadAll(folder.Path("party_0001.thm")), Bytes{2});
  EXPECT_EQ(ReadAll(folder.Path("party_0001.JPG")), Bytes{3});
  Exif missing(folder.Path("gone.jpg").c_str());
  EXPECT_EQ(missing.Rename(CString(folder.Path("other.jpg"))), "Error renaming image");
  EXPECT_EQ(missing.GetFileName(), CString(folder.Path("gone.jpg")));
}

TEST(ExifTest, ReadJpegBytes) {
  TempFolder folder;
  Bytes jpeg = CameraLikeJpeg(true);
  DWORD size = 0;
  std::unique_ptr<BYTE[]> bytes(Exif(folder.Write("a.jpg", jpeg).c_str()).ReadJpegBytes(size));
  ASSERT_TRUE(bytes);
  EXPECT_EQ(Bytes(bytes.get(), bytes.get() + size), jpeg);

  // A CIFF heap: "II", header length 26, records at the directory, directory offset last.
  auto ciff = [](const Bytes& payload, unsigned type, DWORD recordSize, DWORD recordOffset, unsigned count,
                 DWORD directory) {
    Bytes out = {'I', 'I', 26, 0, 0, 0, 'H', 'E', 'A', 'P', 'C', 'C', 'D', 'R'};
    out.resize(26, 0);
    TiffBuilder::Append(out, payload);
    TiffBuilder le(true);
    TiffBuilder::Append(out, le.U16(count));
    TiffBuilder::Append(out, le.U16(0x300A));
    TiffBuilder::Append(out, le.U32(4));
    TiffBuilder::Append(out, le.U32(0));
    TiffBuilder::Append(out, le.U16(type));
    TiffBuilder::Append(out, le.U32(recordSize));
    TiffBuilder::Append(out, le.U32(recordOffset));
    TiffBuilder::Append(out, le.U32(directory));
    return out;
  };
  DWORD directory = DWORD(jpeg.size());
  const struct {
    const char* name;
    Bytes file;
    bool found;
  } rows[] = {
      {"good", ciff(jpeg, 0x2007, DWORD(jpeg.size()), 0, 2, directory), true},
      {"no JPEG record", ciff(jpeg, 0x2008, DWORD(jpeg.size()), 0, 2, directory), false},
      {"JPEG past the end", ciff(jpeg, 0x2007, 0xFFFFFFF0u, 0, 2, directory), false},
      {"offset past the end", ciff(jpeg, 0x2007, 10, 0xFFFFFFF0u, 2, directory), false},
      {"directory past the end", ciff(jpeg, 0x2007, 10, 0, 2, 0xFFFFFF00u), false},
      {"record count past the end", ciff(jpeg, 0x2009, 10, 0, 0xFFFF, directory), false},
      {"too short", {'I', 'I', 0}, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::string path = folder.Write("raw.crw", row.file);
    size = 0;
    std::unique_ptr<BYTE[]> read(Exif(path.c_str()).ReadJpegBytes(size));
    EXPECT_EQ(static_cast<bool>(read), row.found);
    if (read) {
      EXPECT_EQ(Bytes(read.get(), read.get() + size), jpeg);
    }
  }
  EXPECT_EQ(Exif(folder.Path("none.jpg").c_str()).ReadJpegBytes(size), nullptr);
  EXPECT_EQ(Exif(folder.Write("a.png", jpeg).c_str()).ReadJpegBytes(size), nullptr);
}
