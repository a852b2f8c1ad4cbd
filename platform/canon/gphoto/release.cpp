// Remote mode, release and download through libgphoto2.
#include "platform/canon/gphoto/libgphoto2_p.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "platform/canon/backend.h"
#include "platform/canon/gphoto/registry.h"
#include "platform/canon/gphoto/transfer.h"
#include "platform/canon/prsdk_answers.h"
#include "platform/win32/trace.h"

namespace tavgp {

namespace {

// Released items that were never fetched are dropped oldest first.
constexpr size_t kMaxHeldItems = 8;

// Sets a libgphoto2 toggle of the camera ("capture": its remote mode); absent counts as done.
int SetToggle(Handle& h, const char* name, int on) {
  CameraWidget* widget = nullptr;
  if (gp_camera_get_single_config(h.camera, name, &widget, h.context) < GP_OK) return GP_OK;
  int result = gp_widget_set_value(widget, &on);
  if (result >= GP_OK) result = gp_camera_set_single_config(h.camera, name, widget, h.context);
  gp_widget_free(widget);
  return result;
}

// An I/O failure means the camera went away: the program hears of it once. Other failures
// are refusals; a camera that stopped answering is found by the event thread too.
prResponse Failed(Session& s, int result) {
  if (result == GP_ERROR_IO || (result <= GP_ERROR_IO_INIT && result >= GP_ERROR_IO_USB_CLAIM) ||
      result == GP_ERROR_TIMEOUT) {
    std::lock_guard<std::mutex> guard(s.lock);
    MarkGone(s);
  }
  return FromGp(result);
}

prResponse RemoteMode(prHCamera camera, bool on) {
  prResponse error;
  auto s = FindConnectedSession(camera, error);
  if (!s) return error;
  std::unique_lock<std::timed_mutex> io(s->io, std::defer_lock);
  if (!io.try_lock_for(kReleaseWait)) return prDEVICE_BUSY;
  int result = SetToggle(s->handle, "capture", on ? 1 : 0);
  if (result < GP_OK) return Failed(*s, result);
  // The camera lists other settings in remote mode (its flash, for one).
  LearnCamera(*s);
  std::lock_guard<std::mutex> guard(s->lock);
  s->releaseControl = on;
  return prOK;
}

}  // namespace

prResponse PR_InitiateReleaseControl(prHCamera camera) { return RemoteMode(camera, true); }

prResponse PR_TerminateReleaseControl(prHCamera camera) { return RemoteMode(camera, false); }

prResponse PR_RC_Release(prHCamera camera) {
  prResponse error;
  auto s = FindConnectedSession(camera, error);
  if (!s) return error;
  Photo photo;
  bool keepOnCamera = false;
  {
    std::lock_guard<std::mutex> guard(s->lock);
    if (!s->releaseControl) return prINVALID_FN_CALL;
    keepOnCamera = (s->releaseDataKind & kPictureToCamera) != 0;
    // A shot the camera's own button took is what this release delivers.
    if (!s->buttonShots.empty()) {
      photo = std::move(s->buttonShots.front());
      s->buttonShots.pop_front();
    }
  }
  if (photo.empty()) {
    std::unique_lock<std::timed_mutex> io(s->io, std::defer_lock);
    if (!io.try_lock_for(kReleaseWait)) return prDEVICE_BUSY;
    CameraFilePath path;
    std::memset(&path, 0, sizeof path);
    auto start = std::chrono::steady_clock::now();
    int result = gp_camera_capture(s->handle.camera, GP_CAPTURE_IMAGE, &path, s->handle.context);
    auto captured = std::chrono::steady_clock::now();
    if (result >= GP_OK) result = Download(s->handle, path.folder, path.name, photo, keepOnCamera);
    TRACE("tavgp - capture %d ms, download %d ms\n", int((captured - start) / std::chrono::milliseconds(1)),
          int((std::chrono::steady_clock::now() - captured) / std::chrono::milliseconds(1)));
    if (result < GP_OK) {
      TRACE("tavgp - release failed: %s (%d)\n", gp_result_as_string(result), result);
      return Failed(*s, result);
    }
  }
  std::lock_guard<std::mutex> guard(s->lock);
  DWORD object = s->nextObject++;
  s->items[object] = Item{prPTP_EVENT_FULL_VIEW_RELEASED, std::move(photo)};
  while (s->items.size() > kMaxHeldItems) s->items.erase(s->items.begin());
  QueueEvent(*s, prPTP_EVENT_FULL_VIEW_RELEASED, object);
  return prOK;
}

prResponse PR_RC_GetReleasedData(prHCamera camera, prObjectHandle object, prUInt16 eventCode, prUInt32 transferSize,
                                 prContext context, prGetFileDataCB callback) {
  auto s = FindSession(camera);
  if (!s) return prINVALID_HANDLE;
  if (!callback || transferSize == 0) return prINVALID_PARAMETER;
  Item item;
  {
    std::lock_guard<std::mutex> guard(s->lock);
    if (!s->connected) return prINVALID_FN_CALL;
    auto it = s->items.find(object);
    if (it == s->items.end() || it->second.eventCode != eventCode) return prINVALID_PARAMETER;
    item = std::move(it->second);
    s->items.erase(it);
  }
  // The photo goes to the program as the camera sent it, in blocks.
  return tavcam::StreamInBlocks(camera, context, callback, item.photo.data(), static_cast<prUInt32>(item.photo.size()),
                                transferSize);
}

prResponse PR_RC_DoAeAfAwb(prHCamera camera, prUInt32) {
  prResponse error;
  auto s = FindConnectedSession(camera, error);
  // The camera meters and focuses as it shoots; libgphoto2 offers no separate call for it.
  return s ? prNOT_SUPPORTED : error;
}

namespace {

prResponse FocusLock(prHCamera camera, int on) {
  prResponse error;
  auto s = FindConnectedSession(camera, error);
  if (!s) return error;
  std::unique_lock<std::timed_mutex> io(s->io, std::defer_lock);
  if (!io.try_lock_for(kSettingWait)) return prDEVICE_BUSY;
  CameraWidget* widget = nullptr;
  if (gp_camera_get_single_config(s->handle.camera, "focuslock", &widget, s->handle.context) < GP_OK)
    return prNOT_SUPPORTED;
  int result = gp_widget_set_value(widget, &on);
  if (result >= GP_OK) result = gp_camera_set_single_config(s->handle.camera, "focuslock", widget, s->handle.context);
  gp_widget_free(widget);
  return result < GP_OK ? Failed(*s, result) : prOK;
}

}  // namespace

prResponse PR_RC_FocusLock(prHCamera camera) { return FocusLock(camera, 1); }

prResponse PR_RC_FocusUnlock(prHCamera camera) { return FocusLock(camera, 0); }

}  // namespace tavgp
