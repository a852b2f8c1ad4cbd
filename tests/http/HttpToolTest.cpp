#include <gtest/gtest.h>

#include <string>

#include "http/HttpTool.h"
#include "platform/win32/fileio.h"
#include "platform/win32/handle.h"
#include "tests/http/HttpTestSupport.h"

using namespace Vonar;

TEST(HttpToolTest, MimeTypeOfAShortFileIsSniffedAndTheFileRewound) {
  HttpTempDir dir;
  const std::string png = std::string("\x89PNG\r\n\x1A\n", 8) + "tiny";
  HttpTempDir::Write(dir / "a.png", png);
  HANDLE file = CHttpToolA::OpenFile((dir / "a.png").c_str());
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  LPSTR mime = CHttpToolA::GetMimeType(file);
  EXPECT_STREQ(mime, "image/png");
  delete[] mime;
  char buffer[64];
  DWORD read = 0;
  ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
  EXPECT_EQ(std::string(buffer, read), png);
  EXPECT_EQ(CHttpToolA::GetFileSize(file, "a.png"), png.size());
  CloseHandle(file);

  mime = CHttpToolA::GetMimeType(INVALID_HANDLE_VALUE);
  EXPECT_STREQ(mime, "application/octet-stream");
  delete[] mime;
  EXPECT_EQ(CatchHttpError([] { CHttpToolA::GetMimeType(nullptr); }).message,
            "CHttpToolA::GetMimeType: hFile can not be NULL.");
  EXPECT_EQ(CatchHttpError([] { CHttpToolA::InternetWriteFile(reinterpret_cast<HINTERNET>(1), nullptr, 1); }).message,
            "CHttpToolA::InternetWriteFile: pbyBuff can not be NULL.");
  EXPECT_EQ(CatchHttpError([] { CHttpToolA::OpenRequest(reinterpret_cast<HINTERNET>(1), "GET", "", 0); }).message,
            "CHttpToolA::OpenRequest: szObjectName can not be an empty string.");
}
