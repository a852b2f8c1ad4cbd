#include <gtest/gtest.h>

#include <string>

#include "http/HttpClientException.h"
#include "tests/http/HttpTestSupport.h"

using namespace Vonar;

TEST(HttpClientExceptionTest, CodesTakeTheTextOfTheirRange) {
  struct Row {
    DWORD code;
    const char* text;
  } rows[] = {
      {99, "Not specified"},
      {100, "Unexpected error occurred."},
      {113, "An interger divide by zero exception has been occurred."},
      {115, "undefined normal error"},
      {200, ""},
      {207, "undefined normal Win32 error"},
      {406, "::HttpSendRequest failed."},
      {410, "::InternetSetOption failed."},
      {411, "undefined WinInet error"},
      {600, "::WideCharToMultiByte failed."},
      {607, "undefined Win32 API error"},
      {1000, "user-defined error message"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.code);
    CaughtHttpError caught = CatchHttpError([&] { ThrowHttpException(row.code); });
    EXPECT_TRUE(caught.thrown);
    EXPECT_EQ(caught.message, row.text);
    EXPECT_EQ(caught.code, row.code);
    EXPECT_EQ(caught.lastError, 0u);
  }
}

TEST(HttpClientExceptionTest, FormattedTextsCarryTheirArgumentAndLastError) {
  CaughtHttpError caught = CatchHttpError([] { ThrowHttpException(603, 2, "/photos/a b.jpg"); });
  EXPECT_EQ(caught.message, "OpenFile (::CreateFile) failed (\"/photos/a b.jpg\").");
  EXPECT_EQ(caught.code, 603u);
  EXPECT_EQ(caught.lastError, 2u);

  caught = CatchHttpError([] { ThrowHttpException(114, 0, "x.jpg"); });
  EXPECT_EQ(caught.message, "The file (x.jpg) aleady exists.");

  // A text without a place for the argument stays as it is.
  caught = CatchHttpError([] { ThrowHttpException(406, 12029, "ignored"); });
  EXPECT_EQ(caught.message, "::HttpSendRequest failed.");
  EXPECT_EQ(caught.lastError, 12029u);

  std::string longPath(600, 'p');
  caught = CatchHttpError([&] { ThrowHttpException(605, 5, longPath.c_str()); });
  EXPECT_EQ(caught.message.size(), 511u);
  EXPECT_EQ(caught.message.rfind("::GetFileSize failed (\"ppp", 0), 0u);
}

TEST(HttpClientExceptionTest, MessagesAreCopiedCutAndNullAnswersNull) {
  httpclientexceptionA none;
  EXPECT_STREQ(none.errmsg(), "NULL");
  EXPECT_STREQ(none.what(), "NULL");
  EXPECT_EQ(none.ErrorCode(), 0u);

  std::string text = "checked message";
  httpclientexceptionA e(text.c_str(), 0, 0);
  text[0] = 'X';
  httpclientexceptionA copy(e);
  EXPECT_STREQ(copy.errmsg(), "checked message");
  copy.seterrmsg(nullptr);
  EXPECT_STREQ(copy.errmsg(), "NULL");
  EXPECT_STREQ(e.errmsg(), "checked message");

  std::string longText(700, 'a');
  varerrmsg_exceptionA formatted("%s!", longText.c_str());
  EXPECT_EQ(std::string(formatted.errmsg()).size(), 511u);
  formatted.seterrmsgf("%d-%s", 7, "x");
  EXPECT_STREQ(formatted.errmsg(), "7-x");
  formatted.seterrmsgf(nullptr);
  EXPECT_STREQ(formatted.errmsg(), "NULL");
}
