// Colour management of the displayed picture: camera profile to monitor profile with lcms2.
#include <lcms2.h>

#include "platform/win32/codepage.h"
#include "support/JpegDisplay.h"
#include "support/ProgramGlobals.h"

DisplayColourProfiles CurrentDisplayColourProfiles() {
  DisplayColourProfiles profiles;
  profiles.enabled = g_bEnableColourManagement != FALSE;
  profiles.camera = g_strCameraProfile;
  profiles.monitor = g_strMonitorProfile;
  return profiles;
}

void ApplyDisplayColourManagement(BYTE* pixels, size_t pixelCount) {
  // The program-wide values, so that a change in the colour dialog shows at the next render.
  ApplyDisplayColourManagement(pixels, pixelCount, CurrentDisplayColourProfiles());
}

void ApplyDisplayColourManagement(BYTE* pixels, size_t pixelCount, const DisplayColourProfiles& profiles) {
  if (!pixels || pixelCount == 0) return;
  if (!profiles.enabled || profiles.camera.IsEmpty() || profiles.monitor.IsEmpty()) return;
  cmsHPROFILE camera = cmsOpenProfileFromFile(NativePath(profiles.camera).c_str(), "r");
  cmsHPROFILE monitor = cmsOpenProfileFromFile(NativePath(profiles.monitor).c_str(), "r");
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
