// Clock, calendar conversions between SYSTEMTIME and FILETIME, and the time zone. FILETIME
// counts 100 ns intervals since 1601-01-01 UTC, as stored and compared by callers.
#pragma once

#include <cstdint>

#include "platform/win32/windef.h"

#define TIME_ZONE_ID_INVALID 0xFFFFFFFFu
#define TIME_ZONE_ID_UNKNOWN 0u
#define TIME_ZONE_ID_STANDARD 1u
#define TIME_ZONE_ID_DAYLIGHT 2u

struct TIME_ZONE_INFORMATION {
  LONG Bias;  // minutes to add to local time to get UTC
  WCHAR StandardName[32];
  SYSTEMTIME StandardDate;
  LONG StandardBias;
  WCHAR DaylightName[32];
  SYSTEMTIME DaylightDate;
  LONG DaylightBias;
};
typedef TIME_ZONE_INFORMATION* LPTIME_ZONE_INFORMATION;

void GetLocalTime(LPSYSTEMTIME time);
void GetSystemTime(LPSYSTEMTIME time);
void GetSystemTimeAsFileTime(LPFILETIME time);
/// FALSE (ERROR_INVALID_PARAMETER) for a field out of range or a year before 1601.
BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, LPFILETIME fileTime);
/// FALSE (ERROR_INVALID_PARAMETER) for a time past the year 30827.
BOOL FileTimeToSystemTime(const FILETIME* fileTime, LPSYSTEMTIME systemTime);
/// Converts with the zone offset in force at that moment, daylight saving included.
BOOL FileTimeToLocalFileTime(const FILETIME* fileTime, LPFILETIME localFileTime);
/// Bias and daylight bias of the local zone (dates are left zero). Returns
/// TIME_ZONE_ID_DAYLIGHT or _STANDARD by the current time, _UNKNOWN when the zone has no
/// daylight saving.
DWORD GetTimeZoneInformation(LPTIME_ZONE_INFORMATION info);

/// A POSIX time (seconds and nanoseconds since 1970 UTC) as a FILETIME.
FILETIME FileTimeFromUnixTime(int64_t seconds, long nanoseconds);
