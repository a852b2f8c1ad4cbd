// CCamera: what the SDKs report on their own threads (events, release events, frames).
#include <cstring>

#include "camera/Camera.h"
#include "camera/CameraTrampolines.h"
#include "platform/win32/trace.h"

prResponse PrEventTrampoline(prHCamera, prContext context, prVoid* eventData) {
  if (context && eventData)
    reinterpret_cast<CCamera*>(context)->NewEventNotification(static_cast<const prEventRecord*>(eventData));
  return 0;
}

cdUInt32 CdEventTrampoline(cdUInt32 event, const void* data, cdUInt32 size, cdContext context) {
  return context ? reinterpret_cast<CCamera*>(context)->EventNotification(event, data, size) : 0;
}

cdUInt32 CdReleaseEventTrampoline(cdUInt32 event, const void* data, cdUInt32 size, cdContext context) {
  return context ? reinterpret_cast<CCamera*>(context)->ReleaseEventNotification(event, data, size) : 0;
}

cdUInt32 CdViewfinderTrampoline(void* buffer, cdUInt32 size, cdUInt32, cdContext context) {
  if (!context) return FALSE;
  CCamera* camera = reinterpret_cast<CCamera*>(context);
  if (!camera->m_viewfinderCallback) return TRUE;
  return camera->m_viewfinderCallback(static_cast<BYTE*>(buffer), size, camera->m_viewfinderContext);
}

prResponse PrViewfinderTrampoline(prHCamera, prContext context, prUInt32 size, prVoid* data) {
  if (!context) return FALSE;
  CCamera* camera = reinterpret_cast<CCamera*>(context);
  if (!camera->m_viewfinderCallback) return TRUE;
  return camera->m_viewfinderCallback(static_cast<BYTE*>(data), size, camera->m_viewfinderContext);
}

DWORD CCamera::NewEventNotification(const prEventRecord* event) {
  TRACE("CCamera::NewEventNotification(), code=0x%04x\n", event->Code);
  switch (event->Code) {
    case prPTP_EVENT_DEVICE_PROP_CHANGED:
    case prPTP_EVENT_CHANGE_BATTERY_STATUS:
    case prPTP_EVENT_CHANGED_BY_CAM_UI:
      // The combos belong to the UI thread: the view refills them when this message arrives.
      if (m_running) PostIfAlive(WM_CAMERA_SETTINGS_CHANGED, 0, 0);
      break;
    case prPTP_EVENT_SHUTDOWN_CF_GATE_OPENED:
      Post(WM_CAMERA_EVENT, 3, 0);
      break;
    case prPTP_EVENT_FULL_VIEW_RELEASED:
    case prPTP_EVENT_THUMBNAIL_RELEASED:
      // The thumbnail and the picture are announced back to back: every record is queued, so
      // the download thread fetches each item it was told about.
      EnterCriticalSection(&m_cs);
      m_lastPrEvent[0] = event->Length;
      m_lastPrEvent[1] = DWORD(event->Type) | DWORD(event->Code) << 16;
      m_lastPrEvent[2] = event->TransactionId;
      m_lastPrEvent[3] = event->Parameter[0];
      m_prReleased.push_back(*event);
      LeaveCriticalSection(&m_cs);
      AddPendingReleases(1);
      break;
    case prPTP_EVENT_CAMERA_RELEASE_ON:
      PostIfAlive(WM_CAMERA_SHUTTER_PRESSED, 0, 0);
      break;
    case prPTP_EVENT_ROTATION_ANGLE_CHANGED: {
      DWORD code = event->Parameter[0];
      int angle = code == 1 ? 90 : code == 3 ? 270 : 0;
      TRACE("prPTP_RC_ROTATION_ANGLE_CHANGED, angle=%d\n", angle);
      PostIfAlive(WM_CAMERA_ROTATION, static_cast<WPARAM>(angle), 0);
      break;
    }
    case prPTP_EVENT_SHUTDOWN:
      Post(WM_CAMERA_EVENT, 0, 0);
      break;
    default:
      break;
  }
  return 0;
}

DWORD CCamera::EventNotification(DWORD event, const void*, DWORD size) {
  TRACE("CCamera::EventNotification(%d, 0x%08x, %d)\n", static_cast<int>(event), static_cast<unsigned>(event),
        static_cast<int>(size));
  if (event & cdEVENT_UNKNOWN_COMMAND_BIT) return 0;
  DWORD eventClass = event & cdEVENT_CLASS_MASK;
  if (eventClass == cdEVENT_CLASS_WARNING && (event & 0xFFFF) == 5) return 140;
  if (eventClass == cdEVENT_CLASS_SHUTDOWN) Post(WM_CAMERA_EVENT, event & 0xFFFF, 0);
  return 0;
}

DWORD CCamera::ReleaseEventNotification(DWORD event, const void* data, DWORD size) {
  TRACE("CCamera::ReleaseEventNotification(%d, 0x%08x, %d)\n", static_cast<int>(event),
        static_cast<unsigned>(event), static_cast<int>(size));
  DWORD value = 0;
  bool hasValue = data && size >= 4;
  if (hasValue) std::memcpy(&value, data, 4);
  switch (event) {
    case cdRELEASE_EVENT_RESET_HW_ERROR:
      if (hasValue) {
        TRACE("cdRELEASE_EVENT_RESET_HW_ERROR, error=%d\n", static_cast<int>(value));
        PostIfAlive(WM_RELEASE_ERROR, value, 0);
        m_previewPending = 0;
      }
      break;
    case cdRELEASE_EVENT_CHANGED_BY_UI:
      PostIfAlive(WM_CAMERA_SETTINGS_CHANGED, 0, 0);
      break;
    case cdRELEASE_EVENT_RELEASE_START:
      TRACE("cdRELEASE_EVENT_RELEASE_START\n");
      break;
    case cdRELEASE_EVENT_RELEASE_COMPLETE:
      TRACE("cdRESEASE_EVENT_RELEASE_COMPLETE\n");
      if (hasValue) AddPendingReleases(value <= 100 ? static_cast<LONG>(value) : 1);
      break;
    case cdRELEASE_EVENT_CAM_RELEASE_ON:
      PostIfAlive(WM_CAMERA_SHUTTER_PRESSED, 0, 0);
      break;
    case cdRELEASE_EVENT_ROTATION_ANGLE_CHANGED:
      if (hasValue) {
        int angle = GetRotationAngle();
        TRACE("cdRELEASE_EVENT_ROTATION_ANGLE_CHANGED, angle=%d\n", angle);
        PostIfAlive(WM_CAMERA_ROTATION, static_cast<WPARAM>(angle), 0);
      }
      break;
    default:
      break;
  }
  return 0;
}
