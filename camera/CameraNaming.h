// Folder and file naming of downloaded photos: the path rules live here and nowhere else.
// Paths are POSIX: folders are joined with '/', and a folder handed out ends with one '/'.
// Every function reads the time through the naming clock, which tests may fix.
#pragma once

#include <ctime>

#include "camera/CameraViewSettings.h"
#include "platform/mfc/collections.h"
#include "platform/mfc/cstring.h"

/// The clock naming reads; NULL restores the system clock.
typedef time_t (*CameraClock)();
void SetCameraClock(CameraClock clock);
time_t CameraNow();

/// Kinds of numbered file.
enum { NUMBERED_CRW = 0, NUMBERED_JPG = 1, NUMBERED_THM = 2 };

/// `time` in local time with a strftime format; "" when the format yields nothing.
CString FormatCameraTime(const char* format, time_t time);
/// The base with one '/' at its end, plus today's year, month and day folders (joined with
/// dashes when flattened), ending in exactly one '/'.
CString MakeDatedDirectory(const CString& base, BOOL year, BOOL month, BOOL day, BOOL flatten);
/// The same for the day of `now`.
CString MakeDatedDirectory(const CString& base, BOOL year, BOOL month, BOOL day, BOOL flatten, time_t now);
/// The dated image folder of the settings, ending in '/'.
CString GetImageDirectory(const CameraViewSettings& settings);
/// The file-name prefix: the cleaned comment before "FilenamePrefix" when asked, "{uid}" expanded.
CString MakeFilenamePrefix(const CameraViewSettings& settings);
/// Eight characters: two random letters, then the time in tens of seconds interleaved with random digits.
CString MakeUniqueCode();
/// Creates an absolute folder and its missing parents; false when a part cannot be made or is a file.
bool CreateDirectoryPath(const char* path);
/// The number at the end of a file's name (one final lower-case letter ignored); 0 when none or too long.
int GetImageNumberFromFileName(const char* name);
/// "+hhmm" or "-hhmm" of the local zone at that time; "+0000" when the zone is unknown.
CString GetTimeZoneSuffix(time_t time);
/// The camera-model tokens ("%V", "%T", "%T1".."%T6", "%v") derived from an Exif model text.
void AddModelTokens(const CString& model, CMapStringToString& map);
/// Replaces the map's keys in one pass, the longest key first at each place, never inside a
/// replacement; then evaluates the template functions.
void ExpandFileNameTokens(const CMapStringToString& map, CString& text);
