// CCamera: the shutter release, its short thread, download progress and the posts to the view.
#include "camera/Camera.h"
#include "camera/CameraTrampolines.h"
#include "platform/win32/handle.h"
#include "platform/win32/thread.h"
#include "platform/win32/trace.h"
#include "support/Exif.h"

namespace {

DWORD WINAPI ReleaseEntry(LPVOID parameter) {
  static_cast<CCamera*>(parameter)->Release(false);
  return 0;
}

DWORD WINAPI PreviewReleaseEntry(LPVOID parameter) {
  static_cast<CCamera*>(parameter)->Release(true);
  return 0;
}

// The data-kind selection with the SDK's own code, for the error report.
DWORD SelectKind(cdHSource source, prHCamera camera, WORD kind) {
  if (source) return CDSelectReleaseDataKind(source, kind);
  if (camera) {
    BYTE value[2] = {BYTE(kind), BYTE(kind >> 8)};
    return PR_SetDevicePropValue(camera, 0xD029, 2, value);
  }
  return cdINVALID_HANDLE;
}

}  // namespace

cdUInt32 CdDownloadProgressTrampoline(cdUInt32 percent, cdUInt32 status, cdContext context) {
  return context ? reinterpret_cast<CCamera*>(context)->OnCdDownloadProgress(percent, status) : 0;
}

prResponse PrDownloadProgressTrampoline(prHCamera, prContext context, prProgress* progress) {
  return context && progress ? reinterpret_cast<CCamera*>(context)->OnPrDownloadProgress(progress) : 0;
}

void CCamera::Release(bool preview) {
  WORD kind = preview ? WORD(cdREL_KIND_PICT_TO_PC) : m_releaseDataKind.load();
  // A refused selection releases nothing, but whoever waits for this shot must hear of it.
  DWORD error = SelectKind(m_hSource, m_hCamera, kind);
  BYTE wasPending = m_previewPending;
  if (error == 0) {
    // Set before the camera can deliver: the download thread may fetch the picture at once.
    m_previewPending = preview ? 1 : 0;
    if (m_hSource) {
      cdUInt32 count = 0;
      error = CDRelease(m_hSource, FALSE, nullptr, 0, 0, &count);
    } else {
      error = PR_RC_Release(m_hCamera);
    }
  }
  if (error == 0) {
    if (CameraMessageSink* sink = m_pSink) sink->OnReleaseStarted();
  } else {
    m_previewPending = wasPending;
    TRACE("CCamera::Release() - failed, error=0x%x\n", static_cast<unsigned>(error));
    PostIfAlive(WM_RELEASE_ERROR, error, 0);
  }
  if (preview) SelectReleaseDataKind(m_releaseDataKind);
}

void CCamera::StartReleaseThread() {
  if (!IsConnected()) return;
  HANDLE thread = CreateThread(nullptr, 0, ReleaseEntry, this, 0, nullptr);
  if (thread) CloseHandle(thread);
}

void CCamera::StartPreviewReleaseThread() {
  if (!IsConnected()) return;
  HANDLE thread = CreateThread(nullptr, 0, PreviewReleaseEntry, this, 0, nullptr);
  if (thread) CloseHandle(thread);
}

DWORD CCamera::OnCdDownloadProgress(DWORD percent, DWORD) {
  PostIfAlive(WM_DOWNLOAD_PROGRESS, percent, GetPendingReleases());
  return 0;
}

DWORD CCamera::OnPrDownloadProgress(const prProgress* progress) {
  cdContext stream = reinterpret_cast<cdContext>(&m_stream);
  cdError error = 0;
  if (progress->Message == prMSG_DATA_HEADER) {
    MyCanonMemStream::Open(stream, cdSTREAM_OPEN_WRITE, &error);
  } else if (progress->Message == prMSG_DATA) {
    MyCanonMemStream::Seek(stream, cdSTREAM_SEEK_SET, static_cast<cdInt32>(progress->Offset), &error);
    // A block that does not follow on cannot be placed; the download is then incomplete.
    if (error && static_cast<LONG>(progress->Offset) != m_stream.GetSize()) return prINVALID_PARAMETER;
    error = 0;
    if (progress->Data && progress->Length) MyCanonMemStream::Write(stream, progress->Data, progress->Length, &error);
    PostIfAlive(WM_DOWNLOAD_PROGRESS, progress->PercentComplete, 1);
    if (error) return prINSUFFICIENT_BUFFER;
  }
  return 0;
}

BOOL CCamera::Post(UINT message, WPARAM wParam, LPARAM lParam) {
  CameraMessageSink* sink = m_pSink;
  return sink && sink->Post(message, wParam, lParam);
}

BOOL CCamera::PostIfAlive(UINT message, WPARAM wParam, LPARAM lParam) {
  CameraMessageSink* sink = m_pSink;
  return sink && sink->IsAlive() && sink->Post(message, wParam, lParam);
}

void CCamera::PostExif(Exif* exif) {
  if (!Post(WM_EXIF, 0, reinterpret_cast<LPARAM>(exif))) delete exif;
}

void CCamera::PostSavedFile(const char* text) {
  CString* copy = new CString(text);
  if (!Post(WM_SAVED_FILE, 0, reinterpret_cast<LPARAM>(copy))) delete copy;
}

void CCamera::PostJpeg(BYTE* buffer, DWORD size) {
  if (!Post(WM_DISPLAY_JPEG, size, reinterpret_cast<LPARAM>(buffer))) delete[] buffer;
}
