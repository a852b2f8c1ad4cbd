// Colour management of the displayed picture: camera profile to monitor profile with lcms2.
#include <lcms2.h>

#include "platform/registry/registry.h"
#include "platform/win32/codepage.h"
#include "support/JpegDisplay.h"
#include "support/ProgramGlobals.h"

namespace {

DWORD ReadDword(HKEY key, const char* name) {
  DWORD value = 0, type = 0, size = sizeof(value);
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD)
    return 0;
  return value;
}

CString ReadText(HKEY key, const char* name) {
  char text[1024] = {};
  DWORD type = 0, size = sizeof(text) - 1;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return CString();
  return CString(text);
}

}  // namespace

void ApplyDisplayColourManagement(BYTE* pixels, size_t pixelCount) {
  if (!pixels || pixelCount == 0) return;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  bool enabled = ReadDword(key, "EnableColourManagement") != 0;
  CString cameraPath = ReadText(key, "CameraProfile");
  CString monitorPath = ReadText(key, "MonitorProfile");
  RegCloseKey(key);
  if (!enabled || cameraPath.IsEmpty() || monitorPath.IsEmpty()) return;
  cmsHPROFILE camera = cmsOpenProfileFromFile(NativePath(cameraPath).c_str(), "r");
  cmsHPROFILE monitor = cmsOpenProfileFromFile(NativePath(monitorPath).c_str(), "r");
  if (camera && monitor && cmsGetColorSpace(camera) == cmsSigRgbData) {
    cmsHTRANSFORM transform = cmsCreateTransform(camera, TYPE_BGR_8, monitor, TYPE_BGR_8, INTENT_PERCEPTUAL, 0);
    if (transform) {
      cmsDoTransform(transform, pixels, pixels, cmsUInt32Number(pixelCount));
      cmsDeleteTransform(transform);
    }
  }
  if (camera) cmsCloseProfile(camera);
  if (monitor) cmsCloseProfile(monitor);
}
