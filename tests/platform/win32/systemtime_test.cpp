#include "platform/win32/systemtime.h"

#include <gtest/gtest.h>
#include <time.h>

#include <cstdlib>
#include <string>

#include "platform/win32/error.h"

namespace {

ULONGLONG Ticks(const FILETIME& ft) { return (ULONGLONG(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

// Sets TZ for one scope.
class ZoneScope {
 public:
  explicit ZoneScope(const char* zone) {
    const char* old = getenv("TZ");
    had_ = old != nullptr;
    if (old) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ZoneScope() {
    if (had_) setenv("TZ", old_.c_str(), 1); else unsetenv("TZ");
    tzset();
  }

 private:
  bool had_ = false;
  std::string old_;
};

}  // namespace

TEST(SystemTimeTest, KnownDatesConvertBothWays) {
  struct Row {
    SYSTEMTIME time;
    ULONGLONG ticks;
  } rows[] = {
      {{1601, 1, 1, 1, 0, 0, 0, 0}, 0},
      {{1970, 1, 4, 1, 0, 0, 0, 0}, 116444736000000000ull},
      {{2000, 2, 2, 29, 12, 30, 15, 250}, 125963010152500000ull},
      {{2016, 12, 3, 21, 23, 59, 59, 999}, 131268383999990000ull},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.time.wYear);
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&row.time, &ft));
    EXPECT_EQ(Ticks(ft), row.ticks);
    SYSTEMTIME back;
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
    EXPECT_EQ(back.wYear, row.time.wYear);
    EXPECT_EQ(back.wMonth, row.time.wMonth);
    EXPECT_EQ(back.wDay, row.time.wDay);
    EXPECT_EQ(back.wDayOfWeek, row.time.wDayOfWeek);
    EXPECT_EQ(back.wHour, row.time.wHour);
    EXPECT_EQ(back.wMinute, row.time.wMinute);
    EXPECT_EQ(back.wSecond, row.time.wSecond);
    EXPECT_EQ(back.wMilliseconds, row.time.wMilliseconds);
  }
  EXPECT_EQ(Ticks(FileTimeFromUnixTime(0, 0)), 116444736000000000ull);
}

TEST(SystemTimeTest, InvalidFieldsAreRefused) {
  SYSTEMTIME bad[] = {{1600, 12, 0, 31, 0, 0, 0, 0}, {2021, 2, 0, 29, 0, 0, 0, 0}, {2020, 13, 0, 1, 0, 0, 0, 0},
                      {2020, 1, 0, 0, 0, 0, 0, 0},    {2020, 1, 0, 1, 24, 0, 0, 0}, {2020, 1, 0, 1, 0, 0, 60, 0},
                      {2020, 1, 0, 1, 0, 0, 0, 1000}};
  for (const SYSTEMTIME& time : bad) {
    SCOPED_TRACE(testing::Message() << time.wYear << "-" << time.wMonth << "-" << time.wDay);
    FILETIME ft;
    SetLastError(0);
    EXPECT_FALSE(SystemTimeToFileTime(&time, &ft));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  FILETIME top = {0, 0x80000000u};
  SYSTEMTIME out;
  EXPECT_FALSE(FileTimeToSystemTime(&top, &out));
}

TEST(SystemTimeTest, ClockReadingsAgree) {
  SYSTEMTIME utc;
  FILETIME before, after, fromSystem;
  GetSystemTimeAsFileTime(&before);
  GetSystemTime(&utc);
  GetSystemTimeAsFileTime(&after);
  ASSERT_TRUE(SystemTimeToFileTime(&utc, &fromSystem));
  EXPECT_GE(Ticks(fromSystem) + 10000, Ticks(before));  // SYSTEMTIME keeps milliseconds only
  EXPECT_LE(Ticks(fromSystem), Ticks(after));
  ZoneScope zone("UTC0");
  SYSTEMTIME local;
  GetLocalTime(&local);
  EXPECT_EQ(local.wYear, utc.wYear);
}

TEST(SystemTimeTest, TimeZoneBiasesAndLocalFileTime) {
  {
    ZoneScope zone("CET-1CEST,M3.5.0,M10.5.0/3");
    TIME_ZONE_INFORMATION info;
    DWORD id = GetTimeZoneInformation(&info);
    EXPECT_TRUE(id == TIME_ZONE_ID_STANDARD || id == TIME_ZONE_ID_DAYLIGHT);
    EXPECT_EQ(info.Bias, -60);
    EXPECT_EQ(info.DaylightBias, -60);
    EXPECT_EQ(info.StandardName[0], u'C');
    // 2016-07-01 12:00 UTC is 14:00 in summer, 2016-01-01 12:00 UTC is 13:00 in winter.
    SYSTEMTIME summer = {2016, 7, 0, 1, 12, 0, 0, 0}, winter = {2016, 1, 0, 1, 12, 0, 0, 0}, out;
    FILETIME ft, local;
    SystemTimeToFileTime(&summer, &ft);
    ASSERT_TRUE(FileTimeToLocalFileTime(&ft, &local));
    FileTimeToSystemTime(&local, &out);
    EXPECT_EQ(out.wHour, 14);
    SystemTimeToFileTime(&winter, &ft);
    FileTimeToLocalFileTime(&ft, &local);
    FileTimeToSystemTime(&local, &out);
    EXPECT_EQ(out.wHour, 13);
  }
  {
    ZoneScope zone("EST5EDT,M3.2.0,M11.1.0");
    TIME_ZONE_INFORMATION info;
    GetTimeZoneInformation(&info);
    EXPECT_EQ(info.Bias, 300);
    EXPECT_EQ(info.DaylightBias, -60);
  }
  {
    ZoneScope zone("IST-5:30");
    TIME_ZONE_INFORMATION info;
    EXPECT_EQ(GetTimeZoneInformation(&info), TIME_ZONE_ID_UNKNOWN);
    EXPECT_EQ(info.Bias, -330);
    EXPECT_EQ(info.DaylightBias, 0);
  }
  EXPECT_EQ(GetTimeZoneInformation(nullptr), TIME_ZONE_ID_INVALID);
}
