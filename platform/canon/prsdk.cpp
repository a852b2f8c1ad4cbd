// PRSDK functions answered by the simulated camera (the dispatcher in backend.cpp calls them).
#include "platform/canon/prsdk.h"

#include <cstring>

#include "platform/canon/backend.h"
#include "platform/canon/prsdk_answers.h"
#include "platform/canon/simulator_p.h"

using namespace tavsim_p;
using tavsim::kSimPr;

namespace {

using Lock = std::unique_lock<std::mutex>;

#define PR_ENTER(...)                                                    \
  State& s = Sim();                                                      \
  Lock lock(s.mutex);                                                    \
  if (prResponse fault = Enter(s, __func__ __VA_OPT__(, ) __VA_ARGS__)) return fault; \
  if (!s.prStarted) return prNOT_STARTED

#define PR_CAMERA(handle)                    \
  Camera* c = CameraByPrObject(s, handle);   \
  if (!c) return prINVALID_HANDLE

#define PR_CONNECTED(handle) \
  PR_CAMERA(handle);         \
  if (!c->prConnected) return prINVALID_FN_CALL

prResponse CopyOut(const std::vector<BYTE>& bytes, prUInt32* bufferSize, prVoid* buffer) {
  if (!bufferSize) return prINVALID_PARAMETER;
  if (!buffer || *bufferSize < bytes.size()) {
    *bufferSize = static_cast<prUInt32>(bytes.size());
    return prINSUFFICIENT_BUFFER;
  }
  std::memcpy(buffer, bytes.data(), bytes.size());
  *bufferSize = static_cast<prUInt32>(bytes.size());
  return prOK;
}

}  // namespace

namespace tavsim_pr {

prResponse PR_StartSDK() {
  State& s = Sim();
  Lock lock(s.mutex);
  if (prResponse fault = Enter(s, __func__)) return fault;
  s.prStarted = true;
  return prOK;
}

prResponse PR_GetDeviceList(prUInt32* bufferSize, prDeviceList* list) {
  PR_ENTER(0, bufferSize ? *bufferSize : 0);
  if (!bufferSize) return prINVALID_PARAMETER;
  std::vector<Camera*> devices;
  for (auto& c : s.cameras)
    if (c->profile.sdks & kSimPr) devices.push_back(c.get());
  std::vector<tavcam::ListedCamera> listed;
  for (Camera* c : devices)
    listed.push_back({Wide(c->profile.internalName), Wide(c->profile.model), static_cast<prUInt32>(c->index + 1)});
  return tavcam::AnswerDeviceList(bufferSize, list, listed);
}

prResponse PR_CreateCameraObject(const prDeviceInfoTable* device, prHCamera* camera) {
  PR_ENTER(device ? device->ModelID : 0);
  if (!device || !camera || device->ModelID == 0 || device->ModelID > s.cameras.size()) return prINVALID_PARAMETER;
  Camera& c = *s.cameras[device->ModelID - 1];
  if (!(c.profile.sdks & kSimPr)) return prINVALID_PARAMETER;
  if (c.prObject) return prDEVICE_BUSY;
  c.prObject = *camera = s.nextHandle++;
  return prOK;
}

namespace {

void Disconnect(State& s, Camera& c, std::vector<std::thread>& join) {
  StopViewfinder(s, c, join);
  StopWorker(s, c, join);
  c.prConnected = false;
  c.prReleaseControl = false;
  c.prObjects.clear();
}

}  // namespace

prResponse PR_DestroyCameraObject(prHCamera camera) {
  std::vector<std::thread> join;
  {
    PR_ENTER();
    PR_CAMERA(camera);
    Disconnect(s, *c, join);
    c->prEvent = nullptr;
    c->prObject = 0;
  }
  JoinThreads(join);
  return prOK;
}

prResponse PR_SetEventCallBack(prHCamera camera, prContext context, prSetEventCB callback) {
  PR_ENTER();
  PR_CAMERA(camera);
  if (!callback) return prINVALID_PARAMETER;
  c->prEvent = callback;
  c->prEventContext = context;
  return prOK;
}

prResponse PR_ClearEventCallBack(prHCamera camera) {
  PR_ENTER();
  PR_CAMERA(camera);
  c->prEvent = nullptr;
  c->prEventContext = 0;
  return prOK;
}

prResponse PR_ConnectCamera(prHCamera camera) {
  PR_ENTER();
  PR_CAMERA(camera);
  if (c->prConnected || c->cdSource) return prDEVICE_BUSY;
  c->prConnected = true;
  StartWorker(s, *c);
  return prOK;
}

prResponse PR_DisconnectCamera(prHCamera camera) {
  std::vector<std::thread> join;
  {
    PR_ENTER();
    PR_CONNECTED(camera);
    Disconnect(s, *c, join);
  }
  JoinThreads(join);
  return prOK;
}

prResponse PR_InitiateReleaseControl(prHCamera camera) {
  PR_ENTER();
  PR_CONNECTED(camera);
  c->prReleaseControl = true;
  return prOK;
}

prResponse PR_TerminateReleaseControl(prHCamera camera) {
  PR_ENTER();
  PR_CONNECTED(camera);
  if (!c->prReleaseControl) return prINVALID_FN_CALL;
  c->prReleaseControl = false;
  c->prObjects.clear();
  return prOK;
}

prResponse PR_GetDeviceInfo(prHCamera camera, prUInt32* bufferSize, prVoid* buffer) {
  PR_ENTER(0, bufferSize ? *bufferSize : 0);
  PR_CONNECTED(camera);
  return CopyOut(DeviceInfo(*c), bufferSize, buffer);
}

prResponse PR_GetDevicePropDesc(prHCamera camera, prUInt16 code, prUInt32* bufferSize, prVoid* buffer) {
  PR_ENTER(code, bufferSize ? *bufferSize : 0);
  PR_CONNECTED(camera);
  auto it = c->pr.find(code);
  if (it == c->pr.end()) return prPROPERTY_NOT_FOUND;
  return CopyOut(Describe(code, it->second), bufferSize, buffer);
}

prResponse PR_GetDevicePropValue(prHCamera camera, prUInt16 code, prUInt32* bufferSize, prVoid* buffer) {
  PR_ENTER(code, bufferSize ? *bufferSize : 0);
  PR_CONNECTED(camera);
  auto it = c->pr.find(code);
  if (it == c->pr.end()) return prPROPERTY_NOT_FOUND;
  if (!Answers(*c, it->second, false)) return prNOT_SUPPORTED;
  DWORD width = WidthOf(it->second.dataType);
  if (!bufferSize || !buffer || *bufferSize < width) return prINVALID_PARAMETER;
  WriteLe(buffer, width, it->second.value);
  *bufferSize = width;
  return prOK;
}

prResponse PR_SetDevicePropValue(prHCamera camera, prUInt16 code, prUInt32 size, const prVoid* data) {
  PR_ENTER(code, size, data ? ReadLe(data, size) : 0);
  PR_CONNECTED(camera);
  auto it = c->pr.find(code);
  if (it == c->pr.end()) return prPROPERTY_NOT_FOUND;
  if (!data || size != WidthOf(it->second.dataType)) return prINVALID_PARAMETER;
  return StoreValue(it->second, ReadLe(data, size)) ? prOK : prINVALID_PROPERTY_VALUE;
}

prResponse PR_RC_Release(prHCamera camera) {
  Deferred now;
  {
    PR_ENTER();
    PR_CONNECTED(camera);
    if (!c->prReleaseControl) return prINVALID_FN_CALL;
    for (ReleasedItem& item : Shoot(*c, false, c->pr[0xD029].value)) {
      PostPrEvent(s, *c, item.eventCode, item.object, now);
      c->prObjects[item.object] = std::move(item);
    }
    // Handles grow with each release, so the first is the oldest.
    while (c->prObjects.size() > kMaxHeldItems) c->prObjects.erase(c->prObjects.begin());
  }
  RunDeferred(now);
  return prOK;
}

prResponse PR_RC_GetReleasedData(prHCamera camera, prObjectHandle object, prUInt16 eventCode,
                                 prUInt32 transferSize, prContext context, prGetFileDataCB callback) {
  ReleasedItem item;
  {
    State& s = Sim();
    Lock lock(s.mutex);
    if (prResponse fault = Enter(s, __func__, object, transferSize, eventCode)) {
      // A transfer that failed loses its item: nothing asks for it again.
      if (Camera* c = CameraByPrObject(s, camera)) c->prObjects.erase(object);
      return fault;
    }
    if (!s.prStarted) return prNOT_STARTED;
    PR_CONNECTED(camera);
    if (!callback || transferSize == 0) return prINVALID_PARAMETER;
    auto it = c->prObjects.find(object);
    if (it == c->prObjects.end() || it->second.eventCode != eventCode) return prINVALID_PARAMETER;
    item = std::move(it->second);
    c->prObjects.erase(it);
  }
  return tavcam::StreamInBlocks(camera, context, callback, item.bytes.data(), static_cast<prUInt32>(item.bytes.size()),
                                transferSize);
}

prResponse PR_RC_StartViewFinder(prHCamera camera, prContext context, prViewFinderCB callback) {
  PR_ENTER();
  PR_CONNECTED(camera);
  if (!callback) return prINVALID_PARAMETER;
  if (!c->profile.viewfinder) return prNOT_SUPPORTED;
  if (c->viewfinder) return prINVALID_FN_CALL;
  StartViewfinder(s, *c, [callback, context, camera](const std::vector<BYTE>& frame) {
    callback(camera, context, static_cast<prUInt32>(frame.size()), const_cast<BYTE*>(frame.data()));
    return TRUE;
  });
  return prOK;
}

prResponse PR_RC_TermViewFinder(prHCamera camera) {
  std::vector<std::thread> join;
  {
    PR_ENTER();
    PR_CONNECTED(camera);
    if (!c->viewfinder) return prINVALID_FN_CALL;
    StopViewfinder(s, *c, join);
  }
  JoinThreads(join);
  return prOK;
}

prResponse PR_RC_DoAeAfAwb(prHCamera camera, prUInt32 functions) {
  PR_ENTER(0, 0, functions);
  PR_CONNECTED(camera);
  return prOK;
}

prResponse PR_RC_FocusLock(prHCamera camera) {
  PR_ENTER();
  PR_CONNECTED(camera);
  return c->profile.focusLock ? prOK : prNOT_SUPPORTED;
}

prResponse PR_RC_FocusUnlock(prHCamera camera) {
  PR_ENTER();
  PR_CONNECTED(camera);
  return c->profile.focusLock ? prOK : prNOT_SUPPORTED;
}

}  // namespace tavsim_pr
