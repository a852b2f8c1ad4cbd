#include "platform/win32/systemtime.h"

#include <time.h>

#include <cstring>
#include <initializer_list>

#include "platform/win32/error.h"

namespace {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kEpochDifference = 11644473600;  // seconds from 1601 to 1970
constexpr int64_t kMaxTicks = INT64_MAX;           // the top bit is never set in a FILETIME

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(int y, unsigned m) {
  static const unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

int64_t TicksOf(const FILETIME& ft) {
  return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

FILETIME FileTimeOfTicks(int64_t ticks) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
  return ft;
}

void SystemTimeFromTm(const struct tm& tm, long nanoseconds, SYSTEMTIME* out) {
  out->wYear = static_cast<WORD>(tm.tm_year + 1900);
  out->wMonth = static_cast<WORD>(tm.tm_mon + 1);
  out->wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  out->wDay = static_cast<WORD>(tm.tm_mday);
  out->wHour = static_cast<WORD>(tm.tm_hour);
  out->wMinute = static_cast<WORD>(tm.tm_min);
  out->wSecond = static_cast<WORD>(tm.tm_sec > 59 ? 59 : tm.tm_sec);  // no leap second
  out->wMilliseconds = static_cast<WORD>(nanoseconds / 1000000);
}

void CopyZoneName(WCHAR* dest, const char* name) {
  size_t i = 0;
  for (; name && name[i] && i < 31; ++i) dest[i] = static_cast<unsigned char>(name[i]);
  dest[i] = 0;
}

}  // namespace

FILETIME FileTimeFromUnixTime(int64_t seconds, long nanoseconds) {
  int64_t ticks = (seconds + kEpochDifference) * kTicksPerSecond + nanoseconds / 100;
  return FileTimeOfTicks(ticks < 0 ? 0 : ticks);
}

void GetSystemTimeAsFileTime(LPFILETIME time) {
  if (!time) return;
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  *time = FileTimeFromUnixTime(now.tv_sec, now.tv_nsec);
}

void GetSystemTime(LPSYSTEMTIME time) {
  if (!time) return;
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  struct tm tm;
  gmtime_r(&now.tv_sec, &tm);
  SystemTimeFromTm(tm, now.tv_nsec, time);
}

void GetLocalTime(LPSYSTEMTIME time) {
  if (!time) return;
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  struct tm tm;
  localtime_r(&now.tv_sec, &tm);
  SystemTimeFromTm(tm, now.tv_nsec, time);
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* st, LPFILETIME ft) {
  if (!st || !ft || st->wYear < 1601 || st->wYear > 30827 || st->wMonth < 1 || st->wMonth > 12 ||
      st->wDay < 1 || st->wDay > DaysInMonth(st->wYear, st->wMonth) || st->wHour > 23 || st->wMinute > 59 ||
      st->wSecond > 59 || st->wMilliseconds > 999) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  int64_t seconds = DaysFromCivil(st->wYear, st->wMonth, st->wDay) * 86400 + st->wHour * 3600 +
                    st->wMinute * 60 + st->wSecond;
  *ft = FileTimeOfTicks((seconds + kEpochDifference) * kTicksPerSecond + st->wMilliseconds * 10000);
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* ft, LPSYSTEMTIME st) {
  if (!ft || !st || (ft->dwHighDateTime & 0x80000000u)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  int64_t ticks = TicksOf(*ft);
  int64_t seconds = ticks / kTicksPerSecond - kEpochDifference;
  int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
  int64_t secondOfDay = seconds - days * 86400;
  int64_t year;
  unsigned month, day;
  CivilFromDays(days, year, month, day);
  if (year > 30827) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  st->wYear = static_cast<WORD>(year);
  st->wMonth = static_cast<WORD>(month);
  st->wDay = static_cast<WORD>(day);
  st->wDayOfWeek = static_cast<WORD>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  st->wHour = static_cast<WORD>(secondOfDay / 3600);
  st->wMinute = static_cast<WORD>(secondOfDay / 60 % 60);
  st->wSecond = static_cast<WORD>(secondOfDay % 60);
  st->wMilliseconds = static_cast<WORD>(ticks % kTicksPerSecond / 10000);
  return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* ft, LPFILETIME local) {
  if (!ft || !local || (ft->dwHighDateTime & 0x80000000u)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  int64_t ticks = TicksOf(*ft);
  time_t seconds = static_cast<time_t>(ticks / kTicksPerSecond - kEpochDifference);
  struct tm tm;
  if (!localtime_r(&seconds, &tm)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  int64_t shifted = ticks + static_cast<int64_t>(tm.tm_gmtoff) * kTicksPerSecond;
  if (shifted < 0 || shifted > kMaxTicks) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *local = FileTimeOfTicks(shifted);
  return TRUE;
}

DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION info) {
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return TIME_ZONE_ID_INVALID;
  }
  std::memset(info, 0, sizeof(*info));
  tzset();
  time_t now = time(nullptr);
  struct tm current;
  if (!localtime_r(&now, &current)) {
    SetLastError(ERROR_INVALID_DATA);
    return TIME_ZONE_ID_INVALID;
  }
  // Look at mid-January and mid-July of this year to find the standard and daylight offsets,
  // whichever hemisphere the zone is in.
  long standardOffset = current.tm_isdst > 0 ? 0 : current.tm_gmtoff;
  long daylightOffset = current.tm_isdst > 0 ? current.tm_gmtoff : 0;
  bool hasStandard = current.tm_isdst <= 0, hasDaylight = current.tm_isdst > 0;
  for (int month : {0, 6}) {
    struct tm probe = {};
    probe.tm_year = current.tm_year;
    probe.tm_mon = month;
    probe.tm_mday = 15;
    probe.tm_hour = 12;
    probe.tm_isdst = -1;
    time_t at = mktime(&probe);
    struct tm seen;
    if (at == static_cast<time_t>(-1) || !localtime_r(&at, &seen)) continue;
    if (seen.tm_isdst > 0 && !hasDaylight) {
      daylightOffset = seen.tm_gmtoff;
      hasDaylight = true;
    } else if (seen.tm_isdst == 0 && !hasStandard) {
      standardOffset = seen.tm_gmtoff;
      hasStandard = true;
    }
  }
  if (!hasStandard) standardOffset = daylightOffset - 3600;
  info->Bias = static_cast<LONG>(-standardOffset / 60);
  info->DaylightBias = hasDaylight ? static_cast<LONG>(-(daylightOffset - standardOffset) / 60) : 0;
  CopyZoneName(info->StandardName, tzname[0]);
  CopyZoneName(info->DaylightName, tzname[1]);
  if (!hasDaylight) return TIME_ZONE_ID_UNKNOWN;
  return current.tm_isdst > 0 ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}
