// CCamera: the token map of an image, the expanded image folder and the next numbered file.
#include <cstring>

#include "camera/Camera.h"
#include "camera/CameraNaming.h"
#include "platform/win32/find.h"
#include "platform/win32/handle.h"
#include "support/Exif.h"

namespace {

// Text from the camera goes into paths: it must not add or climb folders.
CString PathSafe(CString text) {
  text.Replace('/', '_');
  while (text.Find("..") >= 0) text.Replace("..", "_");
  return text;
}

CString Extension(const CString& path) {
  int slash = path.ReverseFind('/');
  int dot = path.ReverseFind('.');
  return dot > slash ? path.Mid(dot) : CString();
}

CString TitleOf(const CString& path) {
  int slash = path.ReverseFind('/');
  CString name = path.Mid(slash + 1);
  int dot = name.ReverseFind('.');
  return dot >= 0 ? name.Left(dot) : name;
}

// The highest image number among files of the folder matching the pattern; 0 when none.
int HighestNumber(const CString& pattern) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern, &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int highest = 0;
  do {
    int n = GetImageNumberFromFileName(data.cFileName);
    if (n > highest) highest = n;
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return highest;
}

void AddTimeTokens(const char* const* codes, size_t count, time_t time, CMapStringToString& map) {
  for (size_t i = 0; i < count; ++i) map.SetAt(codes[i], FormatCameraTime(codes[i], time));
}

}  // namespace

void CCamera::SetViewSettings(const CameraViewSettings& settings) {
  EnterCriticalSection(&m_settingsCs);
  m_settings = settings;
  LeaveCriticalSection(&m_settingsCs);
}

CameraViewSettings CCamera::GetViewSettings() {
  EnterCriticalSection(&m_settingsCs);
  CameraViewSettings copy = m_settings;
  LeaveCriticalSection(&m_settingsCs);
  return copy;
}

void CCamera::BuildFileNameTokens(const Exif* exif, CMapStringToString& map) {
  BuildFileNameTokens(exif, GetViewSettings(), map);
}

void CCamera::BuildFileNameTokens(const Exif* exif, const CameraViewSettings& s, CMapStringToString& map) {
  CString path = exif ? exif->GetFileName() : CString();
  map.SetAt("%e", Extension(path));
  map.SetAt("%o", PathSafe(TitleOf(path)));
  map.SetAt("%O", PathSafe(exif ? exif->GetOwnerName() : CString()));
  map.SetAt("%i", PathSafe(exif ? exif->GetIso() : CString()));
  AddModelTokens(PathSafe(exif ? exif->GetModel() : CString()), map);

  time_t taken = exif ? static_cast<time_t>(exif->GetTime()) : CameraNow();
  static const char* const kCodes[] = {"%Y", "%y", "%m", "%b", "%B", "%a", "%A", "%W", "%I",
                                       "%j", "%p", "%x", "%X", "%z", "%H", "%M", "%S"};
  AddTimeTokens(kCodes, sizeof kCodes / sizeof kCodes[0], taken, map);
  map.SetAt("%d", FormatCameraTime("%y%m%d", taken));
  map.SetAt("%D", FormatCameraTime("%d", taken));
  map.SetAt("%t", FormatCameraTime("%H%M%S", taken));
  map.SetAt("%Z", GetTimeZoneSuffix(taken));
  // The long date forms without leading zeros, as the "#" flag gives them elsewhere.
  map.SetAt("%l", FormatCameraTime("%A, %B %-d, %Y %H:%M:%S", taken));
  map.SetAt("%L", FormatCameraTime("%A, %B %-d, %Y", taken));

  time_t now = CameraNow();
  map.SetAt("{yearNow}", FormatCameraTime("%Y", now));
  map.SetAt("{monthNow}", FormatCameraTime("%m", now));
  map.SetAt("{dayNow}", FormatCameraTime("%d", now));
  map.SetAt("{timeNow}", FormatCameraTime("%H%M%S", now));
  time_t earlier = now - 28800;
  map.SetAt("{yearLess8h}", FormatCameraTime("%Y", earlier));
  map.SetAt("{monthLess8h}", FormatCameraTime("%m", earlier));
  map.SetAt("{dayLess8h}", FormatCameraTime("%d", earlier));

  int rotation = exif ? exif->GetRotation() : 0;
  CString angle;
  angle.Format("%d", rotation);
  map.SetAt("{orientationAngle}", angle);
  map.SetAt("{orientation}", rotation == 90 || rotation == 270 ? "P" : "L");

  map.SetAt("{comment}", s.comment);
  map.SetAt("@comment@", s.comment);
  map.SetAt("{photoboothDir}", s.photoboothDir);
  CString subdir = s.photoboothDir;
  subdir.TrimRight("/ ");
  map.SetAt("{photoboothSubdir}", subdir.Mid(subdir.ReverseFind('/') + 1));

  if (!s.viewWindowExists) return;
  CString text;
  text.Format("%d", s.photoboothNumImages);
  map.SetAt("{photoboothNumImages}", text);
  text.Empty();
  if (s.photoboothNumImages > 0 && s.photoboothShotsToTake > 0)
    text.Format("%d", s.photoboothNumImages - s.photoboothShotsToTake + 1);
  map.SetAt("{photoboothImage}", text);

  time_t session = taken;
  int listSize = static_cast<int>(s.imageList.size());
  if (s.photoboothShotsToTake >= 0 && s.photoboothNumImages > 0 && s.photoboothShotsToTake < s.photoboothNumImages) {
    int first = s.photoboothShotsToTake + listSize - s.photoboothNumImages;
    if (first >= 0 && first < listSize) session = static_cast<time_t>(Exif(s.imageList[first]).GetTime());
  }
  map.SetAt("{photoboothDateTime}", FormatCameraTime("%Y%m%d_%H%M%S", session));
  map.SetAt("{photoboothDate}", FormatCameraTime("%Y%m%d", session));
  map.SetAt("{photoboothTime}", FormatCameraTime("%H%M%S", session));
  map.SetAt("{photoboothHour}", FormatCameraTime("%H", session));
  map.SetAt("{photoboothMinute}", FormatCameraTime("%M", session));
  map.SetAt("{photoboothSecond}", FormatCameraTime("%S", session));
}

CString CCamera::ExpandFileName(const Exif* exif) {
  CameraViewSettings settings = GetViewSettings();
  CString folder = GetImageDirectory(settings);
  CMapStringToString map;
  BuildFileNameTokens(exif, settings, map);
  ExpandFileNameTokens(map, folder);
  return folder;
}

CString CCamera::MakeNumberedFileName(int kind, const Exif* exif) {
  return MakeNumberedFileName(kind, exif, GetViewSettings());
}

CString CCamera::MakeNumberedFileName(int kind, const Exif* exif, const CameraViewSettings& s) {
  CString folder = GetImageDirectory(s);
  CString prefix = MakeFilenamePrefix(s);
  if (exif) {
    CMapStringToString map;
    BuildFileNameTokens(exif, s, map);
    ExpandFileNameTokens(map, folder);
    ExpandFileNameTokens(map, prefix);
  }
  CreateDirectoryPath(folder);
  folder.TrimRight('/');
  CString base = folder + "/" + prefix;

  int thm = HighestNumber(base + "????*.thm");
  int crw = HighestNumber(base + "????*.crw");
  int jpg = HighestNumber(base + "????*.jpg");
  int m = crw > jpg ? crw : jpg;
  int n;
  const char* extension;
  if (kind == NUMBERED_JPG) {
    n = m + 1;
    extension = "JPG";
  } else if (kind == NUMBERED_THM) {
    n = (m > thm ? m : thm) + 1;
    extension = "THM";
  } else {
    // A raw file takes the number of the thumbnail saved just before it.
    n = thm > m ? thm : m + 1;
    extension = "CRW";
  }
  CString path;
  path.Format("%s%04d.%s", base.GetString(), n, extension);

  if (s.aebRunning && s.aebStep >= 1 && s.appendLetterDuringAEB) {
    EnterCriticalSection(&m_settingsCs);
    if (s.aebStep == 1) m_aebBaseName = TitleOf(path);
    CString title = m_aebBaseName;
    LeaveCriticalSection(&m_settingsCs);
    path.Format("%s/%s%c.%s", folder.GetString(), title.GetString(), static_cast<char>('a' - 1 + s.aebStep), extension);
  }
  return path;
}
