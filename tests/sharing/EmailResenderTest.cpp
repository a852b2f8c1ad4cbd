#include "sharing/EmailResender.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/polyimage/polyimage.h"
#include "sharing/EmailLogReader.h"
#include "support/PasswordScrambler.h"
#include "support/PipSession.h"
#include "tests/http/LoopbackHttpServer.h"
#include "tests/platform/csmail/SmtpTestServer.h"

namespace {

class SharingPhotoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProxyEnvironment();
    char pattern[] = "/tmp/tavorin-resend-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  CString MakePhoto(const char* name, int width, int height) {
    CString path = (dir_ + "/" + name).c_str();
    PipSession image;
    EXPECT_TRUE(cNewImage(image.m_hSession, width, height, RGB(255, 128, 0)));
    EXPECT_TRUE(cSave(image.m_hSession, path, PIP_FORMAT_JPEG, 0, 0, 0));
    return path;
  }
  static void SizeOf(const CString& path, DWORD& width, DWORD& height) {
    width = height = 0;
    cGetImageFileInfo(path, 0, &width, &height, nullptr, nullptr);
  }

  std::string dir_;
};

}  // namespace

TEST_F(SharingPhotoTest, CropOfTwentyOrLessReachesTheEdgeAndNeverEmptiesThePhoto) {
  CString photo = MakePhoto("p.jpg", 1200, 800);
  struct Row {
    int x, y, w, h, maxW, maxH, rotation;
    DWORD width, height;
  } rows[] = {
      {0, 0, 0, 0, 0, 0, 0, 1200, 800},          // ticked but never sized
      {100, 50, 20, 500, 0, 0, 0, 1100, 500},    // to the right edge, 500 down
      {100, 50, 300, 200, 0, 0, 0, 300, 200},    // exactly
      {0, 0, 0, 0, 500, 500, 0, 500, 333},       // fitted, aspect kept
      {0, 0, 0, 0, 0, 0, 90, 800, 1200},
      {0, 0, 0, 0, 0, 0, 45, 1200, 800},         // not a quarter turn: none
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.x << "," << row.w << "," << row.maxW << "," << row.rotation);
    SharedPhotoSettings settings;
    settings.cropEnable = true;
    settings.cropX = row.x;
    settings.cropY = row.y;
    settings.cropWidth = row.w;
    settings.cropHeight = row.h;
    settings.maxWidth = row.maxW;
    settings.maxHeight = row.maxH;
    settings.rotation = row.rotation;
    CString copy = MakeTemporaryCopyPath(photo, 0);
    ASSERT_STREQ(PrepareSharedPhoto(photo, settings, copy), "");
    DWORD width, height;
    SizeOf(copy, width, height);
    EXPECT_EQ(width, row.width);
    EXPECT_NEAR(static_cast<double>(height), row.height, 1.0);
    ::unlink(copy);
  }
  EXPECT_STREQ(PrepareSharedPhoto((dir_ + "/missing.jpg").c_str(), {}, (dir_ + "/x.jpg").c_str()),
               ("Error reading image file:\n" + dir_ + "/missing.jpg").c_str());
}

TEST_F(SharingPhotoTest, ResendLogsEachSuccessAndCancelStopsAfterTheCurrentOne) {
  SmtpTestServerOptions options;
  options.user = "booth";
  options.password = "pw";
  SmtpTestServer server(options);
  ASSERT_TRUE(server.ok());
  EmailResendJob job;
  job.server.host = "127.0.0.1";
  job.server.port = server.port();
  job.server.user = "booth";
  job.server.password = ScramblePassword("pw");
  job.server.subject = "Your photo %e";
  job.server.html = "<img src=\"{image}\"> for {user1_data}";
  job.server.logPath = (dir_ + "/email.csv").c_str();
  job.photo.maxWidth = 500;
  job.photo.maxHeight = 500;
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
    job.addresses.push_back("guest@example.com");
    job.photos.push_back(MakePhoto(name, 1200, 800));
  }
  EmailResender resender(job);
  resender.onLinesChanged = [&] {
    std::vector<CString> lines = resender.Lines();
    if (std::string(lines.back()).find("message sent.") != std::string::npos) resender.Cancel();
  };
  ASSERT_TRUE(resender.CheckSettings());
  resender.Run();
  std::vector<CString> lines = resender.Lines();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_STREQ(lines[0], job.photos[0]);
  EXPECT_STREQ(lines[1], "Sending to: guest@example.com... message sent.");
  EXPECT_STREQ(lines[2], "Aborting...");
  EXPECT_STREQ(lines.back(), "***** ERROR: 1 of 3 emails sent *****");
  EXPECT_EQ(server.count(), 1);
  std::string summary = server.summary(1);
  EXPECT_NE(summary.find("subject: Your photo .jpg\n"), std::string::npos) << summary;
  EXPECT_NE(summary.find(" for guest@example.com"), std::string::npos) << summary;
  EXPECT_NE(summary.find("image/jpeg cid=<"), std::string::npos) << summary;

  std::string log = ReadWholeFile(job.server.logPath.str());
  EXPECT_NE(log.find(",guest@example.com,1," + std::string(job.photos[0]) + "\n"), std::string::npos) << log;
  std::vector<LoggedEmail> unsent = FindUnsentEmails(log);
  EXPECT_TRUE(unsent.empty());
}

TEST_F(SharingPhotoTest, ALoggedGifIsResentAsTheGifItself) {
  SmtpTestServerOptions options;
  options.user = "booth";
  options.password = "pw";
  SmtpTestServer server(options);
  ASSERT_TRUE(server.ok());
  const std::string gif = dir_ + "/session.gif";
  // A 1 x 1 GIF.
  const std::string bytes = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, '\x80', 0, 0, 0, 0, 0, '\xff', '\xff', '\xff',
                             ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 'D', 1, 0, ';'};
  std::ofstream(gif, std::ios::binary) << bytes;
  EmailResendJob job;
  job.server.host = "127.0.0.1";
  job.server.port = server.port();
  job.server.user = "booth";
  job.server.password = ScramblePassword("pw");
  job.server.text = "Your clip";
  job.server.logPath = (dir_ + "/email.csv").c_str();
  job.photo.maxWidth = job.photo.maxHeight = 20;  // would shrink a photo; never a GIF
  job.addresses.push_back("guest@example.com");
  job.photos.push_back(gif.c_str());
  EmailResender resender(job);
  resender.Run();
  ASSERT_EQ(resender.SentCount(), 1);
  const std::string summary = server.summary(1);
  EXPECT_NE(summary.find("image/gif"), std::string::npos) << summary;
  EXPECT_NE(summary.find(" bytes=" + std::to_string(bytes.size())), std::string::npos) << summary;
  EXPECT_EQ(summary.find(" jpeg"), std::string::npos) << summary;
  EXPECT_EQ(ReadWholeFile(gif), bytes) << "the session's GIF stays";
}

TEST_F(SharingPhotoTest, ResendChecksTheSettingsFirst) {
  EmailResendJob job;
  job.server.user = "booth";
  EmailResender resender(job);
  EXPECT_FALSE(resender.CheckSettings());
  ASSERT_EQ(resender.Lines().size(), 1u);
  EXPECT_STREQ(resender.Lines()[0], "Error: email host password missing");
}
