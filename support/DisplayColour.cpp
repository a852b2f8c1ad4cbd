// Colour management of the displayed picture: camera profile to monitor profile with lcms2.
#include <lcms2.h>

#include "platform/win32/codepage.h"
#include "support/JpegDisplay.h"
#include "support/ProgramGlobals.h"

void ApplyDisplayColourManagement(BYTE* pixels, size_t pixelCount) {
  if (!pixels || pixelCount == 0) return;
  // The program-wide values, so that a change in the colour dialog shows at the next render.
  CString cameraPath = g_strCameraProfile, monitorPath = g_strMonitorProfile;
  if (!g_bEnableColourManagement || cameraPath.IsEmpty() || monitorPath.IsEmpty()) return;
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
