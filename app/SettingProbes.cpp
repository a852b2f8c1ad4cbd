#include "app/SettingProbes.h"

namespace {

// Set, then read back: some cameras accept a value and store a neighbour.
bool SetAndReadBack(CCamera* camera, DWORD value, bool (CCamera::*set)(DWORD), bool (CCamera::*get)(DWORD&)) {
  DWORD read = 0;
  return (camera->*set)(value) && (camera->*get)(read) && read == value;
}

}  // namespace

bool ProbeShootingMode(CCamera* camera, DWORD value) {
  if (camera->IsPrsdk()) return camera->IsShootingModeSupported(value);
  return SetAndReadBack(camera, value, &CCamera::SetShootingMode, &CCamera::GetShootingMode);
}
bool ProbeTv(CCamera* camera, DWORD value) { return SetAndReadBack(camera, value, &CCamera::SetTv, &CCamera::GetTv); }
bool ProbeAv(CCamera* camera, DWORD value) { return SetAndReadBack(camera, value, &CCamera::SetAv, &CCamera::GetAv); }
bool ProbeIso(CCamera* camera, DWORD value) { return SetAndReadBack(camera, value, &CCamera::SetIso, &CCamera::GetIso); }
bool ProbeImageFormat(CCamera* camera, DWORD value) { return camera->SetImageFormat(value >> 16, value & 0xFFFF); }
bool ProbeWhiteBalance(CCamera* camera, DWORD value) {
  return SetAndReadBack(camera, value, &CCamera::SetWhiteBalance, &CCamera::GetWhiteBalance);
}
bool ProbeMeteringMode(CCamera* camera, DWORD value) {
  return SetAndReadBack(camera, value, &CCamera::SetMeteringMode, &CCamera::GetMeteringMode);
}
bool ProbeFlashMode(CCamera* camera, DWORD value) {
  return SetAndReadBack(camera, value, &CCamera::SetFlashMode, &CCamera::GetFlashMode);
}
bool ProbeFocusPoint(CCamera* camera, DWORD value) { return camera->SetFocusPoint(value); }
bool ProbeAfDistance(CCamera* camera, DWORD value) { return camera->SetAFDistance(value); }
bool ProbeExposureComp(CCamera* camera, DWORD value) { return camera->SetExposureComp(value); }
bool ProbeFlashComp(CCamera* camera, DWORD value) { return camera->SetFlashComp(value); }
bool ProbePhotoEffect(CCamera* camera, DWORD value) {
  return SetAndReadBack(camera, value, &CCamera::SetPhotoEffect, &CCamera::GetPhotoEffect);
}
