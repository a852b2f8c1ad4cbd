// Folder and file naming with a fixed clock and zone.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

#include "camera/Camera.h"
#include "camera/CameraNaming.h"
#include "support/Exif.h"

namespace {

// 2024-03-05 14:07:09 UTC, a Tuesday.
const time_t kFixedTime = 1709647629;
time_t FixedClock() { return kFixedTime; }

class CameraNamingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    SetCameraClock(FixedClock);
    char pattern[] = "/tmp/tavorin-naming-XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(pattern));
    m_dir = pattern;
  }
  void TearDown() override {
    SetCameraClock(nullptr);
    std::string command = "rm -rf '" + m_dir + "'";
    ASSERT_EQ(0, std::system(command.c_str()));
  }
  void Touch(const std::string& name) { std::ofstream(m_dir + "/" + name) << "x"; }

  std::string m_dir;
};

Exif MakeExif(const char* model, int rotation, time_t time) {
  Exif exif(static_cast<const BYTE*>(nullptr), 0);
  exif.m_model = model;
  exif.m_rotation = rotation;
  exif.m_time = time;
  exif.m_iso = "200";
  exif.m_path = "/cards/DCIM/IMG_0042.JPG";
  return exif;
}

}  // namespace

TEST_F(CameraNamingTest, ImageNumberFromFileName) {
  struct Row {
    const char* name;
    int expected;
  } rows[] = {
      {"IMG_0042.JPG", 42},          {"/a/b/IMG_0042.JPG", 42},  {"IMG_0042a.JPG", 42},
      {"IMG_0042A.JPG", 0},          {"IMG_0042ab.JPG", 0},      {"noext0007", 7},
      {"IMG_.JPG", 0},               {"", 0},                    {"/dir.1/name", 0},
      {"IMG_000000000012.JPG", 12},  {"IMG_1234567890.JPG", 0},  {"IMG_999999999.JPG", 999999999},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.expected, GetImageNumberFromFileName(row.name));
  }
}

TEST_F(CameraNamingTest, DatedDirectory) {
  struct Row {
    const char* base;
    BOOL year, month, day, flatten;
    const char* expected;
  } rows[] = {
      {"/photos", FALSE, FALSE, FALSE, FALSE, "/photos/"},
      {"/photos///", FALSE, FALSE, FALSE, TRUE, "/photos/"},
      {"/photos", TRUE, FALSE, FALSE, FALSE, "/photos/2024/"},
      {"/photos", TRUE, TRUE, FALSE, FALSE, "/photos/2024/03/"},
      {"/photos", TRUE, TRUE, FALSE, TRUE, "/photos/2024-03/"},
      {"/photos/", TRUE, TRUE, TRUE, TRUE, "/photos/2024-03-05/"},
      {"/photos", FALSE, TRUE, TRUE, FALSE, "/photos/03/05/"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.expected);
    EXPECT_EQ(CString(row.expected), MakeDatedDirectory(row.base, row.year, row.month, row.day, row.flatten));
  }
}

TEST_F(CameraNamingTest, FilenamePrefix) {
  struct Row {
    const char* prefix;
    BOOL withComment;
    const char* comment;
    const char* expected;
  } rows[] = {
      {"IMG_", FALSE, "ignored", "IMG_"},
      {"IMG_", TRUE, "  Party: 2024", "Party_ 2024IMG_"},
      {"x", TRUE, "a\\b/c*d?e<f>g|h\"i", "a_b_c_d_e_f_g_h'ix"},
      {"", TRUE, "a::b", "a_b"},
      {"{uid}", FALSE, "", "AB123456_"},
      {"{uid}_", FALSE, "", "AB123456_"},
      {"{uid}", TRUE, "c", "c{uid}"},
      {"pre{uid}", FALSE, "", "pre{uid}"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.expected);
    CameraViewSettings s;
    s.filenamePrefix = row.prefix;
    s.prefixWithComment = row.withComment;
    s.comment = row.comment;
    s.uniqueId = "AB123456";
    EXPECT_EQ(CString(row.expected), MakeFilenamePrefix(s));
  }
  CameraViewSettings s;
  s.prefixWithComment = TRUE;
  s.comment = CString('c', 300);
  EXPECT_EQ(200, MakeFilenamePrefix(s).GetLength());
}

TEST_F(CameraNamingTest, UniqueCodeCarriesTheClock) {
  // t = 170964762: letter (t / 1000) % 26, digits (t / 100) % 10, (t / 10) % 10 and t % 10.
  CString code = MakeUniqueCode();
  ASSERT_EQ(8, code.GetLength());
  EXPECT_TRUE(code[0] >= 'A' && code[0] <= 'Z');
  EXPECT_TRUE(code[1] >= 'A' && code[1] <= 'Z');
  EXPECT_EQ('A' + (170964762 / 1000) % 26, code[2]);
  EXPECT_EQ('7', code[3]);
  EXPECT_EQ('6', code[4]);
  EXPECT_TRUE(code[5] >= '0' && code[5] <= '9');
  EXPECT_EQ('2', code[6]);
  EXPECT_TRUE(code[7] >= '0' && code[7] <= '9');
}

TEST_F(CameraNamingTest, CreateDirectoryPath) {
  std::string nested = m_dir + "/a/b//c/";
  EXPECT_TRUE(CreateDirectoryPath(nested.c_str()));
  struct stat st;
  ASSERT_EQ(0, stat((m_dir + "/a/b/c").c_str(), &st));
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_TRUE(CreateDirectoryPath(nested.c_str())) << "an existing folder";
  Touch("file");
  EXPECT_FALSE(CreateDirectoryPath((m_dir + "/file").c_str())) << "a file is not a folder";
  EXPECT_FALSE(CreateDirectoryPath((m_dir + "/file/sub").c_str()));
  EXPECT_FALSE(CreateDirectoryPath("relative/path"));
  EXPECT_FALSE(CreateDirectoryPath("/"));
  EXPECT_FALSE(CreateDirectoryPath(""));
  EXPECT_FALSE(CreateDirectoryPath(nullptr));
}

TEST_F(CameraNamingTest, TimeZoneSuffix) {
  struct Row {
    const char* zone;
    const char* expected;
  } rows[] = {{"UTC", "+0000"}, {"UTC-2", "+0200"}, {"EST5", "-0500"}, {"IST-5:30", "+0530"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.zone);
    setenv("TZ", row.zone, 1);
    tzset();
    EXPECT_EQ(CString(row.expected), GetTimeZoneSuffix(kFixedTime));
  }
}

TEST_F(CameraNamingTest, ModelTokens) {
  struct Row {
    const char* model;
    const char *v, *t, *t1, *t3, *t4, *t5, *t6;
  } rows[] = {
      {"Canon PowerShot G9", "Canon PowerShot G9", "G9", "G9", "G9", "G9", "G9", "G9"},
      {"Canon PowerShot SX110 IS", "Canon PowerShot SX110 IS", "SX110 IS", "SX110 IS", "SX110", "SX110", "SX110",
       "SX110"},
      {" Canon  PowerShot__A640 ", "Canon PowerShot_A640", "PowerShot_A640", "PowerShot_A640", "PowerShot_A640",
       "PowerShot_A640", "PowerShot_A640", "PowerShot_A640"},
      {"Canon EOS-1D Mark II", "Canon EOS-1D Mark II", "EOS-1D Mark II", "1D Mark II", "EOS-1D", "1D", "EOS-1D",
       "1D"},
      {"Canon DIGITAL IXUS", "Canon DIGITAL IXUS", "Canon DIGITAL IXUS", "Canon DIGITAL IXUS", "Canon", "Canon",
       "Canon", "Canon"},
      {"9 Lives", "9 Lives", "9 Lives", "9 Lives", "9", "9", "9", "9"},
      {"", "", "", "", "", "", "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.model);
    CMapStringToString map;
    AddModelTokens(row.model, map);
    CString value;
    const char* keys[] = {"%V", "%T2", "%T", "%T1", "%v", "%T3", "%T4", "%T5", "%T6"};
    const char* expected[] = {row.v, row.v, row.t, row.t1, row.t1, row.t3, row.t4, row.t5, row.t6};
    for (int i = 0; i < 9; ++i) {
      SCOPED_TRACE(keys[i]);
      ASSERT_TRUE(map.Lookup(keys[i], value));
      EXPECT_EQ(CString(expected[i]), value);
    }
  }
}

TEST_F(CameraNamingTest, TokensOfAnImage) {
  CCamera camera(nullptr);
  CameraViewSettings s;
  s.comment = "Wedding";
  s.photoboothDir = "/booth/Event 7/ ";
  camera.SetViewSettings(s);
  Exif exif = MakeExif("Canon PowerShot SX110 IS", 270, kFixedTime - 86400);
  struct Row {
    const char* pattern;
    const char* expected;
  } rows[] = {
      {"%T2-%T", "Canon PowerShot SX110 IS-SX110 IS"},
      {"%T3_%T4_%T5_%T6_%v", "SX110_SX110_SX110_SX110_SX110 IS"},
      {"%d_%t", "240304_140709"},
      {"%Y-%m-%D %H%M%S", "2024-03-04 140709"},
      {"%y %j %a %A %b %B", "24 064 Mon Monday Mar March"},
      {"%Z", "+0000"},
      {"%L", "Monday, March 4, 2024"},
      {"%l", "Monday, March 4, 2024 14:07:09"},
      {"{yearNow}{monthNow}{dayNow}_{timeNow}", "20240305_140709"},
      {"{yearLess8h}{monthLess8h}{dayLess8h}", "20240305"},
      {"{orientation}{orientationAngle}", "P270"},
      {"%e|%o|%i|%O|", ".JPG|IMG_0042|200||"},
      {"{comment}@comment@", "WeddingWedding"},
      {"{photoboothSubdir}|{photoboothNumImages}", "Event 7|{photoboothNumImages}"},
      {"100%%T", "100%SX110 IS"},
  };
  CMapStringToString map;
  camera.BuildFileNameTokens(&exif, map);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.pattern);
    CString text = row.pattern;
    ExpandFileNameTokens(map, text);
    EXPECT_EQ(CString(row.expected), text);
  }
}

TEST_F(CameraNamingTest, PhotoboothTokensNeedTheViewWindow) {
  CCamera camera(nullptr);
  CameraViewSettings s;
  s.viewWindowExists = TRUE;
  s.photoboothNumImages = 4;
  s.photoboothShotsToTake = 3;
  camera.SetViewSettings(s);
  Exif exif = MakeExif("Canon PowerShot G9", 180, kFixedTime);
  CMapStringToString map;
  camera.BuildFileNameTokens(&exif, map);
  CString text = "{photoboothImage}of{photoboothNumImages}_{photoboothDateTime}_{orientation}";
  ExpandFileNameTokens(map, text);
  EXPECT_EQ(CString("2of4_20240305_140709_L"), text);
}

TEST_F(CameraNamingTest, CameraTextCannotLeaveTheFolder) {
  CCamera camera(nullptr);
  CameraViewSettings s;
  s.directory = (m_dir + "/%V").c_str();
  s.filenamePrefix = "%T_";
  camera.SetViewSettings(s);
  Exif exif = MakeExif("../../etc/x 1", 0, kFixedTime);
  CString path = camera.MakeNumberedFileName(NUMBERED_JPG, &exif);
  EXPECT_EQ(0, path.Find(m_dir.c_str()));
  EXPECT_EQ(-1, path.Find("..")) << path.GetString();
  // One folder for "%V", then the file.
  EXPECT_EQ(2, std::count(path.GetString() + m_dir.size(), path.GetString() + path.GetLength(), '/'))
      << path.GetString();
}

TEST_F(CameraNamingTest, NumberedFileNames) {
  CCamera camera(nullptr);
  CameraViewSettings s;
  s.directory = (m_dir + "/new/{yearNow}").c_str();
  s.filenamePrefix = "IMG_";
  camera.SetViewSettings(s);
  Exif exif = MakeExif("Canon PowerShot G9", 0, kFixedTime);
  // An empty (and missing) folder starts at 1, and the folder is made.
  EXPECT_EQ(CString((m_dir + "/new/2024/IMG_0001.JPG").c_str()), camera.MakeNumberedFileName(NUMBERED_JPG, &exif));
  struct stat st;
  EXPECT_EQ(0, stat((m_dir + "/new/2024").c_str(), &st));

  s.directory = m_dir.c_str();
  camera.SetViewSettings(s);
  Touch("IMG_0009.JPG");
  Touch("IMG_0012.crw");
  Touch("OTHER_0050.JPG");
  Touch("IMG_77.JPG");  // fewer than four digits: not ours
  EXPECT_EQ(CString((m_dir + "/IMG_0013.JPG").c_str()), camera.MakeNumberedFileName(NUMBERED_JPG, &exif));
  Touch("IMG_0014.THM");
  EXPECT_EQ(CString((m_dir + "/IMG_0014.CRW").c_str()), camera.MakeNumberedFileName(NUMBERED_CRW, &exif));
  EXPECT_EQ(CString((m_dir + "/IMG_0015.THM").c_str()), camera.MakeNumberedFileName(NUMBERED_THM, &exif));
  EXPECT_EQ(CString((m_dir + "/IMG_0013.JPG").c_str()), camera.MakeNumberedFileName(NUMBERED_JPG, &exif));

  // An auto-bracket series keeps the first shot's number and adds letters.
  s.appendLetterDuringAEB = TRUE;
  s.aebRunning = TRUE;
  const char* expected[] = {"IMG_0013a.JPG", "IMG_0013b.JPG", "IMG_0013c.JPG"};
  for (int step = 1; step <= 3; ++step) {
    SCOPED_TRACE(step);
    s.aebStep = step;
    camera.SetViewSettings(s);
    CString path = camera.MakeNumberedFileName(NUMBERED_JPG, &exif);
    EXPECT_EQ(CString((m_dir + "/" + expected[step - 1]).c_str()), path);
    Touch(expected[step - 1]);
  }
}

TEST_F(CameraNamingTest, ExpandFileNameGivesTheImageFolder) {
  CCamera camera(nullptr);
  CameraViewSettings s;
  s.directory = "/photos/%T/{orientation}";
  s.year = TRUE;
  camera.SetViewSettings(s);
  Exif exif = MakeExif("Canon PowerShot G9", 90, kFixedTime);
  EXPECT_EQ(CString("/photos/G9/P/2024/"), camera.ExpandFileName(&exif));
}
