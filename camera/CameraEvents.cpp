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
    case prPTP_EVENT_FULL_VIEW_RELEASED:
    case prPTP_EVENT_THUMBNAIL_RELEASED:
      // Only the last record is kept: the download thread asks for the item it names.
      m_lastPrEvent[0] = event->Length;
      m_lastPrEvent[1] = DWORD(event->Type) | DWORD(event->Code) << 16;
      m_lastPrEvent[2] = event->TransactionId;
      m_lastPrEvent[3] = event->Parameter[0];
      AddPendingReleases(1);
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
  if ((event & cdEVENT_CLASS_MASK) == cdEVENT_CLASS_WARNING && (event & 0xFFFF) == 5) return 140;
  return 0;
}

DWORD CCamera::ReleaseEventNotification(DWORD event, const void* data, DWORD size) {
  TRACE("CCamera::ReleaseEventNotification(%d, 0x%08x, %d)\n", static_cast<int>(event),
        static_cast<unsigned>(event), static_cast<int>(size));
  if (event == cdRELEASE_EVENT_RELEASE_COMPLETE && data && size >= 4) {
    DWORD count;
    std::memcpy(&count, data, 4);
    AddPendingReleases(count <= 100 ? static_cast<LONG>(count) : 1);
  }
  return 0;
}
