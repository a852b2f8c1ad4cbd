// The PRSDK calls go to the back end chosen for this process.
#include "platform/canon/backend.h"

#include <cstdlib>

#include "platform/canon/simulator.h"

namespace tavcam {

bool SimulatorChosen() {
  const char* scenario = std::getenv("TAVORIN_CAMERA_SIM");
  return (scenario && *scenario) || tavsim::SimWasReset();
}

}  // namespace tavcam

prResponse PR_StartSDK() {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_StartSDK() : tavgp::PR_StartSDK();
}

prResponse PR_GetDeviceList(prUInt32* bufferSize, prDeviceList* list) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_GetDeviceList(bufferSize, list) : tavgp::PR_GetDeviceList(bufferSize, list);
}

prResponse PR_CreateCameraObject(const prDeviceInfoTable* device, prHCamera* camera) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_CreateCameraObject(device, camera) : tavgp::PR_CreateCameraObject(device, camera);
}

prResponse PR_DestroyCameraObject(prHCamera camera) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_DestroyCameraObject(camera) : tavgp::PR_DestroyCameraObject(camera);
}

prResponse PR_SetEventCallBack(prHCamera camera, prContext context, prSetEventCB callback) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_SetEventCallBack(camera, context, callback) : tavgp::PR_SetEventCallBack(camera, context, callback);
}

prResponse PR_ClearEventCallBack(prHCamera camera) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_ClearEventCallBack(camera) : tavgp::PR_ClearEventCallBack(camera);
}

prResponse PR_ConnectCamera(prHCamera camera) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_ConnectCamera(camera) : tavgp::PR_ConnectCamera(camera);
}

prResponse PR_DisconnectCamera(prHCamera camera) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_DisconnectCamera(camera) : tavgp::PR_DisconnectCamera(camera);
}

prResponse PR_InitiateReleaseControl(prHCamera camera) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_InitiateReleaseControl(camera) : tavgp::PR_InitiateReleaseControl(camera);
}

prResponse PR_TerminateReleaseControl(prHCamera camera) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_TerminateReleaseControl(camera) : tavgp::PR_TerminateReleaseControl(camera);
}

prResponse PR_GetDeviceInfo(prHCamera camera, prUInt32* bufferSize, prVoid* buffer) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_GetDeviceInfo(camera, bufferSize, buffer) : tavgp::PR_GetDeviceInfo(camera, bufferSize, buffer);
}

prResponse PR_GetDevicePropDesc(prHCamera camera, prUInt16 code, prUInt32* bufferSize, prVoid* buffer) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_GetDevicePropDesc(camera, code, bufferSize, buffer) : tavgp::PR_GetDevicePropDesc(camera, code, bufferSize, buffer);
}

prResponse PR_GetDevicePropValue(prHCamera camera, prUInt16 code, prUInt32* bufferSize, prVoid* buffer) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_GetDevicePropValue(camera, code, bufferSize, buffer) : tavgp::PR_GetDevicePropValue(camera, code, bufferSize, buffer);
}

prResponse PR_SetDevicePropValue(prHCamera camera, prUInt16 code, prUInt32 size, const prVoid* data) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_SetDevicePropValue(camera, code, size, data) : tavgp::PR_SetDevicePropValue(camera, code, size, data);
}

prResponse PR_RC_Release(prHCamera camera) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_RC_Release(camera) : tavgp::PR_RC_Release(camera);
}

prResponse PR_RC_GetReleasedData(prHCamera camera, prObjectHandle object, prUInt16 eventCode, prUInt32 transferSize, prContext context, prGetFileDataCB callback) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_RC_GetReleasedData(camera, object, eventCode, transferSize, context, callback) : tavgp::PR_RC_GetReleasedData(camera, object, eventCode, transferSize, context, callback);
}

prResponse PR_RC_StartViewFinder(prHCamera camera, prContext context, prViewFinderCB callback) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_RC_StartViewFinder(camera, context, callback) : tavgp::PR_RC_StartViewFinder(camera, context, callback);
}

prResponse PR_RC_TermViewFinder(prHCamera camera) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_RC_TermViewFinder(camera) : tavgp::PR_RC_TermViewFinder(camera);
}

prResponse PR_RC_DoAeAfAwb(prHCamera camera, prUInt32 functions) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_RC_DoAeAfAwb(camera, functions) : tavgp::PR_RC_DoAeAfAwb(camera, functions);
}

prResponse PR_RC_FocusLock(prHCamera camera) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_RC_FocusLock(camera) : tavgp::PR_RC_FocusLock(camera);
}

prResponse PR_RC_FocusUnlock(prHCamera camera) {
  return tavcam::SimulatorChosen() ? tavsim_pr::PR_RC_FocusUnlock(camera) : tavgp::PR_RC_FocusUnlock(camera);
}
