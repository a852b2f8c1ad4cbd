#include "sharing/EmailLogReader.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(EmailLogReaderTest, WhichLinesAreLoggedEmails) {
  struct Row {
    const char* line;
    bool logged;
  } rows[] = {
      {"20261210,090507,a@b.com,0,/p/1.jpg", true},
      {" 20261210 , 090507 , a@b.com , 1 , /p/1.jpg ,user2_data=x\r", true},
      {"2026121,090507,a@b.com,0,/p/1.jpg", false},   // 7-character date
      {"20261210,09050,a@b.com,0,/p/1.jpg", false},   // 5-character time
      {"20261210,090507,a@bcom,0,/p/1.jpg", false},   // no dot in the domain
      {"20261210,090507,a@b.com,0", false},           // 4 fields
      {"", false},
      {",,,,", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    LoggedEmail email;
    EXPECT_EQ(ParseEmailLogLine(row.line, std::strlen(row.line), email), row.logged);
  }
  LoggedEmail email;
  const char* line = " 20261210 , 090507 , a@b.com , 1 , /p/1.jpg ,user2_data=x";
  ASSERT_TRUE(ParseEmailLogLine(line, std::strlen(line), email));
  EXPECT_TRUE(email.sent);
  EXPECT_STREQ(email.photo, "/p/1.jpg");
  EXPECT_STREQ(FormatLoggedDateTime(email), "2026/12/10 09:05:07");
}

TEST(EmailLogReaderTest, EachUnsentPairOnceAtItsFirstLine) {
  std::string log =
      "20261201,100000,a@b.com,0,/p/1.jpg\n"
      "20261201,100100,c@d.com,0,/p/2.jpg\n"
      "20261201,100200,a@b.com,0,/p/1.jpg\n"
      "20261202,110000,c@d.com,0,/p/2.jpg\n"
      "20261202,110500,a@b.com,1,/p/1.jpg\n"   // sent later: never listed
      "20261203,120000,c@d.com,0,/p/3.jpg\n"
      "garbage line\n"
      "20261203,120000,e@f.com,0,/p/4.jpg";    // no final line break
  std::vector<LoggedEmail> unsent = FindUnsentEmails(log);
  ASSERT_EQ(unsent.size(), 3u);
  EXPECT_STREQ(unsent[0].address, "c@d.com");
  EXPECT_STREQ(unsent[0].time, "100100");
  EXPECT_STREQ(unsent[1].photo, "/p/3.jpg");
  EXPECT_STREQ(unsent[2].address, "e@f.com");
  EXPECT_TRUE(ReadUnsentEmails("/nonexistent/email.csv").empty());
}
