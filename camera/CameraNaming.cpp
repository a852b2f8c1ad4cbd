// Folder and file naming: clock, dated folders, prefix, unique code, folder creation, numbers,
// time zone, model tokens and the token expander.
#include "camera/CameraNaming.h"

#include <sys/stat.h>

#include <cstring>
#include <random>

#include "platform/win32/files.h"
#include "platform/win32/systemtime.h"
#include "support/TextTemplate.h"

namespace {

CameraClock g_clock = nullptr;

int RandomBelow(int n) {
  thread_local std::mt19937 engine{std::random_device{}()};
  return std::uniform_int_distribution<int>(0, n - 1)(engine);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int FirstDigit(const CString& text) {
  for (int i = 0; i < text.GetLength(); ++i)
    if (IsDigit(text[i])) return i;
  return -1;
}

int LastDigit(const CString& text) {
  for (int i = text.GetLength() - 1; i >= 0; --i)
    if (IsDigit(text[i])) return i;
  return -1;
}

// Start of the space-separated word holding position `at`.
int WordStart(const CString& text, int at) {
  while (at > 0 && text[at - 1] != ' ') --at;
  return at;
}

// The last dash before position `before`, or -1.
int DashBefore(const CString& text, int before) {
  for (int i = before - 1; i >= 0; --i)
    if (text[i] == '-') return i;
  return -1;
}

// Status of one path: 0 missing, 1 folder, 2 something else.
int PathKind(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 2;
}

}  // namespace

void SetCameraClock(CameraClock clock) { g_clock = clock; }

time_t CameraNow() { return g_clock ? g_clock() : std::time(nullptr); }

CString FormatCameraTime(const char* format, time_t time) {
  struct tm local = {};
  if (!localtime_r(&time, &local)) return CString();
  char text[256];
  size_t n = std::strftime(text, sizeof text, format, &local);
  return CString(text, static_cast<int>(n));
}

CString MakeDatedDirectory(const CString& base, BOOL year, BOOL month, BOOL day, BOOL flatten) {
  return MakeDatedDirectory(base, year, month, day, flatten, CameraNow());
}

CString MakeDatedDirectory(const CString& base, BOOL year, BOOL month, BOOL day, BOOL flatten, time_t now) {
  CString folder = base;
  folder.TrimRight('/');
  folder += '/';
  CString dated;
  if (year) dated += FormatCameraTime("%Y/", now);
  if (month) dated += FormatCameraTime("%m/", now);
  if (day) dated += FormatCameraTime("%d/", now);
  dated.TrimRight('/');
  if (flatten) dated.Replace('/', '-');
  CString result = folder + dated;
  result.TrimRight('/');
  return result + '/';
}

CString GetImageDirectory(const CameraViewSettings& s) {
  return MakeDatedDirectory(s.directory, s.year, s.month, s.day, s.flattenDate);
}

CString MakeFilenamePrefix(const CameraViewSettings& s) {
  CString prefix = s.filenamePrefix;
  if (s.prefixWithComment) {
    CString comment = s.comment;
    comment.TrimLeft(' ');
    for (char c : {'\\', '/', ':', '*', '?', '<', '>', '|'}) comment.Replace(c, '_');
    comment.Replace('"', '\'');
    while (comment.Find("__") >= 0) comment.Replace("__", "_");
    prefix = comment.Left(200) + prefix;
  }
  if (prefix.Find("{uid}") == 0) {
    prefix.Replace("{uid}", s.uniqueId);
    if (prefix.IsEmpty() || prefix[prefix.GetLength() - 1] != '_') prefix += '_';
  }
  return prefix;
}

CString MakeUniqueCode() {
  long long t = static_cast<long long>(CameraNow()) / 10;
  CString code;
  code.Format("%c%c%c%d%d%d%d%d", 'A' + RandomBelow(26), 'A' + RandomBelow(26), static_cast<int>('A' + (t / 1000) % 26),
              static_cast<int>((t / 100) % 10), static_cast<int>((t / 10) % 10), RandomBelow(10),
              static_cast<int>(t % 10), RandomBelow(10));
  return code;
}

bool CreateDirectoryPath(const char* path) {
  if (!path) return false;
  // Only absolute paths below the root: the root alone and relative paths are refused.
  CString trimmed = path;
  trimmed.TrimRight('/');
  if (trimmed.IsEmpty() || trimmed[0] != '/') return false;
  int kind = PathKind(trimmed);
  if (kind) return kind == 1;
  bool failed = false;
  for (int at = trimmed.Find('/', 1); at > 0 && !failed; at = trimmed.Find('/', at + 1)) {
    CString part = trimmed.Left(at);
    if (part[part.GetLength() - 1] == '/') continue;  // doubled slash
    int partKind = PathKind(part);
    if (partKind == 0) failed = _mkdir(part) != 0 && PathKind(part) != 1;
    else failed = partKind != 1;
  }
  if (!failed) {
    int last = PathKind(trimmed);
    if (last == 0) failed = _mkdir(trimmed) != 0 && PathKind(trimmed) != 1;
    else failed = last != 1;
  }
  return !failed;
}

int GetImageNumberFromFileName(const char* name) {
  if (!name) return 0;
  CString title = name;
  int slash = title.ReverseFind('/');
  if (slash >= 0) title = title.Mid(slash + 1);
  int dot = title.ReverseFind('.');
  if (dot >= 0) title = title.Left(dot);
  int end = title.GetLength();
  if (end > 0 && title[end - 1] >= 'a' && title[end - 1] <= 'z') --end;
  int start = end;
  while (start > 0 && IsDigit(title[start - 1])) --start;
  while (start < end && title[start] == '0') ++start;
  // A number of more than nine digits is none of ours, and the next one would not fit.
  if (end - start > 9) return 0;
  int n = 0;
  for (int i = start; i < end; ++i) n = n * 10 + (title[i] - '0');
  return n;
}

CString GetTimeZoneSuffix(time_t time) {
  TIME_ZONE_INFORMATION zone = {};
  if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return "+0000";
  LONG bias = zone.Bias;
  struct tm local = {};
  if (localtime_r(&time, &local) && local.tm_isdst > 0) bias += zone.DaylightBias;
  char sign = '+';
  if (bias > 0) sign = '-';
  else bias = -bias;
  CString suffix;
  suffix.Format("%c%02d%02d", sign, static_cast<int>(bias / 60), static_cast<int>(bias % 60));
  return suffix;
}

void AddModelTokens(const CString& exifModel, CMapStringToString& map) {
  CString model = exifModel;
  while (model.Find("__") >= 0) model.Replace("__", "_");
  while (model.Find("  ") >= 0) model.Replace("  ", " ");
  model.Trim(' ');
  map.SetAt("%V", model);
  map.SetAt("%T2", model);

  CString t = model;
  int first = FirstDigit(model);
  if (first >= 0) t = model.Mid(WordStart(model, first));
  map.SetAt("%T", t);

  int space = t.Find(' ');
  CString t3 = space > 0 ? t.Left(space) : t;
  map.SetAt("%T3", t3);

  int dash = t.Find('-', 1);
  map.SetAt("%T4", dash > 0 ? t3.Mid(dash + 1) : t3);

  int last = LastDigit(t);
  CString t5 = t;
  if (last >= 0) t5 = t.Mid(WordStart(t, last));
  if (space > 0) t5 = t5.Left(space);
  map.SetAt("%T5", t5);

  int lastDash = last >= 0 ? DashBefore(t, last) : -1;
  map.SetAt("%T6", lastDash >= 0 ? t5.Mid(lastDash + 1) : t5);

  int firstInT = FirstDigit(t);
  int firstDash = firstInT >= 0 ? DashBefore(t, firstInT) : -1;
  CString t1 = firstDash >= 0 ? t.Mid(firstDash + 1) : t;
  map.SetAt("%v", t1);
  map.SetAt("%T1", t1);
}

void ExpandFileNameTokens(const CMapStringToString& map, CString& text) {
  CString result;
  int length = text.GetLength();
  for (int at = 0; at < length;) {
    CString bestKey, bestValue;
    for (POSITION p = map.GetStartPosition(); p;) {
      CString key, value;
      map.GetNextAssoc(p, key, value);
      int n = key.GetLength();
      if (n > bestKey.GetLength() && n <= length - at && std::memcmp(text.GetString() + at, key.GetString(), n) == 0) {
        bestKey = key;
        bestValue = value;
      }
    }
    if (bestKey.IsEmpty()) {
      result += text[at];
      ++at;
    } else {
      result += bestValue;
      at += bestKey.GetLength();
    }
  }
  text = result;
  ExpandTemplateFunctions(text);
}
