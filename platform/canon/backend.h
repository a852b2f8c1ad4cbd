// The two back ends behind the PRSDK calls: real cameras through libgphoto2 (the default) and
// the simulated camera, chosen by TAVORIN_CAMERA_SIM (a scenario file, or "default").
#pragma once

#include "platform/canon/prsdk.h"

namespace tavcam {
/// True when the simulated camera answers: TAVORIN_CAMERA_SIM is set, or a test reset the
/// simulator to a scenario of its own.
bool SimulatorChosen();
}  // namespace tavcam

namespace tavsim_pr {
prResponse PR_StartSDK();
prResponse PR_GetDeviceList(prUInt32* bufferSize, prDeviceList* list);
prResponse PR_CreateCameraObject(const prDeviceInfoTable* device, prHCamera* camera);
prResponse PR_DestroyCameraObject(prHCamera camera);
prResponse PR_SetEventCallBack(prHCamera camera, prContext context, prSetEventCB callback);
prResponse PR_ClearEventCallBack(prHCamera camera);
prResponse PR_ConnectCamera(prHCamera camera);
prResponse PR_DisconnectCamera(prHCamera camera);
prResponse PR_InitiateReleaseControl(prHCamera camera);
prResponse PR_TerminateReleaseControl(prHCamera camera);
prResponse PR_GetDeviceInfo(prHCamera camera, prUInt32* bufferSize, prVoid* buffer);
prResponse PR_GetDevicePropDesc(prHCamera camera, prUInt16 code, prUInt32* bufferSize, prVoid* buffer);
prResponse PR_GetDevicePropValue(prHCamera camera, prUInt16 code, prUInt32* bufferSize, prVoid* buffer);
prResponse PR_SetDevicePropValue(prHCamera camera, prUInt16 code, prUInt32 size, const prVoid* data);
prResponse PR_RC_Release(prHCamera camera);
prResponse PR_RC_GetReleasedData(prHCamera camera, prObjectHandle object, prUInt16 eventCode, prUInt32 transferSize, prContext context, prGetFileDataCB callback);
prResponse PR_RC_StartViewFinder(prHCamera camera, prContext context, prViewFinderCB callback);
prResponse PR_RC_TermViewFinder(prHCamera camera);
prResponse PR_RC_DoAeAfAwb(prHCamera camera, prUInt32 functions);
prResponse PR_RC_FocusLock(prHCamera camera);
prResponse PR_RC_FocusUnlock(prHCamera camera);
}  // namespace tavsim_pr

namespace tavgp {
prResponse PR_StartSDK();
prResponse PR_GetDeviceList(prUInt32* bufferSize, prDeviceList* list);
prResponse PR_CreateCameraObject(const prDeviceInfoTable* device, prHCamera* camera);
prResponse PR_DestroyCameraObject(prHCamera camera);
prResponse PR_SetEventCallBack(prHCamera camera, prContext context, prSetEventCB callback);
prResponse PR_ClearEventCallBack(prHCamera camera);
prResponse PR_ConnectCamera(prHCamera camera);
prResponse PR_DisconnectCamera(prHCamera camera);
prResponse PR_InitiateReleaseControl(prHCamera camera);
prResponse PR_TerminateReleaseControl(prHCamera camera);
prResponse PR_GetDeviceInfo(prHCamera camera, prUInt32* bufferSize, prVoid* buffer);
prResponse PR_GetDevicePropDesc(prHCamera camera, prUInt16 code, prUInt32* bufferSize, prVoid* buffer);
prResponse PR_GetDevicePropValue(prHCamera camera, prUInt16 code, prUInt32* bufferSize, prVoid* buffer);
prResponse PR_SetDevicePropValue(prHCamera camera, prUInt16 code, prUInt32 size, const prVoid* data);
prResponse PR_RC_Release(prHCamera camera);
prResponse PR_RC_GetReleasedData(prHCamera camera, prObjectHandle object, prUInt16 eventCode, prUInt32 transferSize, prContext context, prGetFileDataCB callback);
prResponse PR_RC_StartViewFinder(prHCamera camera, prContext context, prViewFinderCB callback);
prResponse PR_RC_TermViewFinder(prHCamera camera);
prResponse PR_RC_DoAeAfAwb(prHCamera camera, prUInt32 functions);
prResponse PR_RC_FocusLock(prHCamera camera);
prResponse PR_RC_FocusUnlock(prHCamera camera);
}  // namespace tavgp
