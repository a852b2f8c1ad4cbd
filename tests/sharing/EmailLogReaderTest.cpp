#include "sharing/EmailLogReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>

#include "sharing/EmailTransport.h"
#include "sharing/MmsTransport.h"
#include "sharing/ShareLogField.h"
#include "sharing/Uploader.h"

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

TEST(EmailLogReaderTest, LogFieldsReadBackAsWrittenAndNeverSplit) {
  const char* texts[] = {"plain@example.com", "/photos/a,b.jpg", "line\r\nbreak", "Ann %d %s", "100%",
                         "%2C literal", "%25", "%%2C", "%0", "%", "", "a,%0A,\n"};
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    const CString field = EscapeLogField(text);
    EXPECT_EQ(field.Find(','), -1);
    EXPECT_EQ(field.Find('\r'), -1);
    EXPECT_EQ(field.Find('\n'), -1);
    EXPECT_EQ(UnescapeLogField(field.GetString()), text);
  }
  EXPECT_STREQ(EscapeLogField("Ann %d, 100%"), "Ann %d%2C 100%") << "other text is written as typed";
  EXPECT_EQ(UnescapeLogField("/old/log/100%.jpg"), "/old/log/100%.jpg") << "old logs read as before";
}

TEST(EmailLogReaderTest, WhatAGuestTypesCannotForgeOrHideALoggedEmail) {
  const std::time_t when = 1800000000;
  EmailShareInput victim;
  victim.recipient = "victim@example.com";
  victim.photoPath = "/photos/victim.jpg";
  EmailShareInput guest;
  guest.photoPath = "/photos/guest,1.jpg";
  guest.recipient = "me@evil.com,0,/etc/passwd";
  // A line break in a user field that writes the victim's e-mail as sent.
  guest.userData[1] = "hi\r\n20261210,120000,victim@example.com,1,/photos/victim.jpg";
  std::string log = ShareLogLine(when, victim, false).str();
  const std::string forged = ShareLogLine(when, guest, false).str();
  EXPECT_EQ(forged.find('\n'), forged.size() - 1) << "one e-mail, one line";
  log += forged;
  for (const CString& line : {MmsLogLine(when, "+1555\n20261210", false, "/p/x,1.jpg"),
                              UploaderLogLine(when, false, "ann\r\n,1,", true, "/p/y.jpg")}) {
    EXPECT_EQ(line.Find('\n'), line.GetLength() - 1) << line.GetString();
    EXPECT_EQ(line.Find('\r'), -1) << line.GetString();
  }

  std::vector<LoggedEmail> unsent = FindUnsentEmails(log);
  ASSERT_EQ(unsent.size(), 2u);
  EXPECT_STREQ(unsent[0].address, "victim@example.com") << "still waiting to be resent";
  EXPECT_STREQ(unsent[0].photo, "/photos/victim.jpg");
  EXPECT_STREQ(unsent[1].address, "me@evil.com,0,/etc/passwd");
  EXPECT_STREQ(unsent[1].photo, "/photos/guest,1.jpg") << "a resend attaches only the line's own photo";
}
