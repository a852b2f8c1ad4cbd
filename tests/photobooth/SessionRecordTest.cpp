#include "photobooth/SessionRecord.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/photobooth/PhotoboothTestFiles.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

LONGLONG LocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = year - 1900, tm.tm_mon = month - 1, tm.tm_mday = day;
  tm.tm_hour = hour, tm.tm_min = minute, tm.tm_sec = second, tm.tm_isdst = -1;
  return LONGLONG(std::mktime(&tm));
}

PhotoboothSessionRecord Session(const std::string& folder) {
  PhotoboothSessionRecord record;
  for (const char* name : {"IMG_0001.JPG", "IMG_0002.JPG", "IMG_0003.JPG"})
    record.photoPaths.Add((folder + "/" + name).c_str());
  record.captureTime = LocalTime(2024, 1, 1, 12, 0, 5);
  record.copies = 2;
  record.imagesFolder = "/home/booth/PhotoboothImages";
  record.outputName = "20240101_120006.jpg";
  return record;
}


}  // namespace

TEST(SessionRecordTest, GoldenFilesOfTheFourEdgeCases) {
  TempFolder folder;
  struct Row {
    const char* golden;
    void (*setUp)(PhotoboothSessionRecord&);
  } rows[] = {
      {"record-keyboard-message.xml",
       [](PhotoboothSessionRecord& r) {
         r.secondForm = true, r.printed = true, r.outputMode = 1;
         r.keyboardTexts[0] = "Anna & Bo";
         r.keyboardTexts[2] = "anna@example.com";
         r.checkBoxes = {TRUE, FALSE};
         r.userMessage = "Happy <birthday>!";
       }},
      {"record-cancelled.xml",
       [](PhotoboothSessionRecord& r) {
         r.secondForm = true, r.printed = false, r.outputMode = 1;
       }},
      {"record-output-none.xml",
       [](PhotoboothSessionRecord& r) {
         r.secondForm = false, r.outputMode = 3, r.copies = 4;
       }},
      {"record-toned.xml",
       [](PhotoboothSessionRecord& r) {
         r.secondForm = true, r.printed = true, r.outputMode = 2;
         r.bwMode = 2, r.toningHue = 30, r.toningSaturation = 45;
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.golden);
    PhotoboothSessionRecord record = Session(folder.Path());
    row.setUp(record);
    CString path;
    ASSERT_TRUE(WriteSessionRecord(record, path));
    EXPECT_EQ(std::string(path.GetString()), folder.Path() + "/IMG_0001.xml");
    std::string expected = ReadFile(std::string(TAVORIN_FIXTURES_DIR) + "/photobooth/" + row.golden);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ReadFile(path.GetString()), expected);
  }
}

TEST(SessionRecordTest, ColourModeHasNoToningAttributes) {
  PhotoboothSessionRecord record = Session("/photos");
  std::string text = BuildSessionRecordText(record).GetString();
  EXPECT_NE(text.find("<bw_mode>0</bw_mode>"), std::string::npos);
  EXPECT_NE(text.find("<prints>2</prints>"), std::string::npos);
  EXPECT_EQ(text.find("<output>"), std::string::npos);
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\" ?>\n", 0), 0u);
}

TEST(SessionRecordTest, AnUnwritableRecordFailsAndLeavesNothing) {
  TempFolder folder;
  std::string blocker = folder.Path() + "/file";
  std::ofstream(blocker) << "x";
  PhotoboothSessionRecord record = Session(blocker);  // the photos' "folder" is a file
  CString path;
  EXPECT_FALSE(WriteSessionRecord(record, path));
  EXPECT_EQ(std::string(path.GetString()), blocker + "/IMG_0001.xml");
  // An old record is replaced whole or not at all.
  PhotoboothSessionRecord good = Session(folder.Path());
  ASSERT_TRUE(WriteSessionRecord(good, path));
  std::string before = ReadFile(path.GetString());
  good.photoPaths.RemoveAll();
  EXPECT_FALSE(WriteSessionRecord(good, path));
  EXPECT_EQ(ReadFile((folder.Path() + "/IMG_0001.xml")), before);
  int entries = 0;
  for (auto& entry : std::filesystem::directory_iterator(folder.Path())) entries += entry.is_regular_file();
  EXPECT_EQ(entries, 2);  // the blocker and the record, no temporary left behind
}
