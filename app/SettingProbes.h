// The probes of capability learning: each tells whether the camera accepts one value of a setting.
#pragma once

#include "camera/Camera.h"

/// True when the camera accepts the value; the camera is left holding it when it does.
typedef bool (*SettingProbe)(CCamera* camera, DWORD value);

bool ProbeShootingMode(CCamera* camera, DWORD value);
bool ProbeTv(CCamera* camera, DWORD value);
bool ProbeAv(CCamera* camera, DWORD value);
bool ProbeIso(CCamera* camera, DWORD value);
bool ProbeImageFormat(CCamera* camera, DWORD value);
bool ProbeWhiteBalance(CCamera* camera, DWORD value);
bool ProbeMeteringMode(CCamera* camera, DWORD value);
bool ProbeFlashMode(CCamera* camera, DWORD value);
bool ProbeFocusPoint(CCamera* camera, DWORD value);
bool ProbeAfDistance(CCamera* camera, DWORD value);
bool ProbeExposureComp(CCamera* camera, DWORD value);
bool ProbeFlashComp(CCamera* camera, DWORD value);
bool ProbePhotoEffect(CCamera* camera, DWORD value);
