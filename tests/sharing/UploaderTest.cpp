#include "sharing/Uploader.h"

#include <gtest/gtest.h>

#include <cerrno>

TEST(UploaderTest, ArgumentsAreExactAndSkipEmptyValues) {
  UploaderLaunch launch;
  launch.program = "/opt/tavorin/Albapost";
  launch.user = "ann@example.com";
  launch.file = "/tmp/p 1.jpg";
  launch.firstText = "My \"album\" \\";
  launch.message = "ends in a backslash\\";
  launch.left = 0, launch.top = 5, launch.width = 690, launch.height = 480;
  std::vector<std::string> expected{"/opt/tavorin/Albapost", "-uann@example.com", "-f/tmp/p 1.jpg",
                                    "-aMy \"album\" \\", "-bends in a backslash\\", "-x10", "-y15", "-w690", "-h480"};
  EXPECT_EQ(BuildUploaderArguments(launch), expected) << "an empty password gives no -p";
}

TEST(UploaderTest, TwitterCommentIsCutTo120CharactersNeverInsideASequence) {
  UploaderLaunch launch;
  launch.facebook = false;
  launch.program = "Ciripost";
  launch.message = "not for twitter";
  struct Row {
    std::string comment;
    std::string cut;
  };
  std::string accents;
  for (int i = 0; i < 150; ++i) accents += "\xc3\xa9";  // UTF-8 e acute
  const Row rows[] = {
      {std::string(150, 'c'), std::string(120, 'c')},
      {std::string(100, '"') + std::string(50, 'q'), std::string(100, '"') + std::string(20, 'q')},
      {accents, accents.substr(0, 240)},
      {std::string(150, '\xe9'), std::string(120, '\xe9')},  // one byte per character
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.cut.size());
    launch.firstText = row.comment.c_str();
    std::vector<std::string> arguments = BuildUploaderArguments(launch);
    ASSERT_EQ(arguments.size(), 6u);
    EXPECT_EQ(arguments[1], "-c" + row.cut);
  }
}

TEST(UploaderTest, LaunchErrorListsTheCommandWithThePasswordHidden) {
  std::vector<std::string> arguments{"/x/Albapost", "-uann", "-psecret", "-x10"};
  EXPECT_STREQ(UploaderLaunchError(ENOENT, arguments),
               "Error trying to run command:\nENOENT: File or path not found\ncmd: /x/Albapost\n"
               "arg 0: /x/Albapost\narg 1: -uann\narg 2: -p<password>\narg 3: -x10\n");
  EXPECT_STREQ(UploaderLaunchError(EPERM, {"a"}), "Error trying to run command:\ncmd: a\narg 0: a\n");
}

TEST(UploaderTest, TitleWords) {
  struct Row {
    const char* title;
    bool facebook;
    UploaderTitleWord word;
    const char* error;
  };
  const Row rows[] = {
      {"Morvane Systems Twitter Uploader (Upload OK)", false, UploaderTitleWord::Success, ""},
      {"(upload ok) at the start does not count", true, UploaderTitleWord::None, ""},
      {"X (upload photo) 45%", true, UploaderTitleWord::Uploading, ""},
      {"X (upload media)", true, UploaderTitleWord::None, ""},
      {"X (upload media)", false, UploaderTitleWord::Uploading, ""},
      {"X (Logging In)", true, UploaderTitleWord::LoggingIn, ""},
      {"X Login Cancelled", true, UploaderTitleWord::None, ""},
      {"X login cancelled", false, UploaderTitleWord::Cancelled, ""},
      {"X access denied", false, UploaderTitleWord::LoginFailed, ""},
      {"X (Error: Bad token) more", true, UploaderTitleWord::Error, "Error: Bad token"},
      {"X (error: no end", false, UploaderTitleWord::Error, "error: no end"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.title);
    CString error;
    EXPECT_EQ(ReadUploaderTitle(row.title, row.facebook, &error), row.word);
    EXPECT_STREQ(error, row.error);
  }
}
