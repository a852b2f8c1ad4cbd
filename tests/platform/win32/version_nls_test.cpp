#include <gtest/gtest.h>

#include <cstring>

#include "platform/win32/error.h"
#include "platform/win32/nls.h"
#include "platform/win32/version.h"

TEST(VersionTest, NeverReportsWindows60) {
  OSVERSIONINFO info;
  std::memset(&info, 0xAB, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionEx(&info));
  EXPECT_FALSE(info.dwMajorVersion == 6 && info.dwMinorVersion == 0);
  EXPECT_EQ(info.dwMajorVersion, 10u);
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  EXPECT_EQ(info.szCSDVersion[0], '\0');
  info.dwOSVersionInfoSize = 4;
  EXPECT_FALSE(GetVersionEx(&info));
  EXPECT_FALSE(GetVersionEx(nullptr));
}

TEST(LocaleTest, DecimalSeparatorFromTheUsersLocale) {
  char separator[8] = {};
  int needed = GetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, nullptr, 0);
  ASSERT_GE(needed, 2);
  EXPECT_EQ(GetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator), needed);
  EXPECT_EQ(static_cast<int>(std::strlen(separator)) + 1, needed);
  SetLastError(0);
  EXPECT_EQ(GetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(GetLocaleInfo(LOCALE_USER_DEFAULT, 0x7777, separator, sizeof separator), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

TEST(LocaleTest, DecimalSeparatorIsAPointInTheCLocale) {
  const char* saved = getenv("LC_ALL");
  std::string old = saved ? saved : "";
  setenv("LC_ALL", "C", 1);
  char separator[8] = {};
  EXPECT_EQ(GetLocaleInfo(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, sizeof separator), 2);
  EXPECT_STREQ(separator, ".");
  if (saved) setenv("LC_ALL", old.c_str(), 1); else unsetenv("LC_ALL");
}

TEST(LocaleTest, StrftimeAnsiFitsOrFailsCleanly) {
  struct tm time = {};
  time.tm_year = 116;
  time.tm_mon = 11;
  time.tm_mday = 21;
  time.tm_hour = 9;
  char buffer[32];
  EXPECT_EQ(StrftimeAnsi(buffer, sizeof buffer, "%Y%m%d-%H", &time), 11u);
  EXPECT_STREQ(buffer, "20161221-09");
  EXPECT_EQ(StrftimeAnsi(buffer, 5, "%Y%m%d", &time), 0u);
  EXPECT_STREQ(buffer, "") << "a result that does not fit leaves an empty buffer";
  EXPECT_EQ(StrftimeAnsi(buffer, sizeof buffer, "caf\xE9 %Y", &time), 9u) << "1252 text in the format stays 1252";
  EXPECT_STREQ(buffer, "caf\xE9 2016");
  EXPECT_EQ(StrftimeAnsi(buffer, sizeof buffer, nullptr, &time), 0u);
}
