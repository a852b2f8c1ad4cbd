// CCamera: the shutter release, its short thread, download progress and the posts to the view.
#include <condition_variable>
#include <memory>
#include <mutex>

#include "camera/Camera.h"
#include "camera/CameraTrampolines.h"
#include "platform/win32/handle.h"
#include "platform/win32/thread.h"
#include "platform/win32/trace.h"
#include "support/Exif.h"

// What a release thread shares with its camera: the camera until its destructor begins. A
// release that outlives its camera (it shut down meanwhile) then touches nothing of it.
struct CCamera::ReleaseLine {
  std::mutex lock;
  CCamera* camera = nullptr;
};

struct CCamera::ReleaseJob {
  std::shared_ptr<ReleaseLine> line;
  bool preview;
};

namespace {

// Release threads still running, those whose camera is gone too.
std::mutex g_releaseThreadsLock;
std::condition_variable g_releaseThreadsEnded;
int g_releaseThreads = 0;

void EndReleaseThread() {
  {
    std::lock_guard<std::mutex> guard(g_releaseThreadsLock);
    --g_releaseThreads;
  }
  g_releaseThreadsEnded.notify_all();
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

DWORD CCamera::BeginRelease(bool preview, BYTE& wasPending) {
  WORD kind = preview ? WORD(cdREL_KIND_PICT_TO_PC) : m_releaseDataKind.load();
  // A refused selection releases nothing, but whoever waits for this shot must hear of it.
  DWORD error = SelectKind(m_hSource, m_hCamera, kind);
  wasPending = m_previewPending;
  // Set before the camera can deliver: the download thread may fetch the picture at once.
  if (error == 0) m_previewPending = preview ? 1 : 0;
  return error;
}

DWORD CCamera::ReleaseWith(cdHSource source, prHCamera camera) {
  if (source) {
    cdUInt32 count = 0;
    return CDRelease(source, FALSE, nullptr, 0, 0, &count);
  }
  return PR_RC_Release(camera);
}

void CCamera::EndRelease(bool preview, DWORD error, BYTE wasPending) {
  if (error == 0) {
    if (CameraMessageSink* sink = m_pSink) sink->OnReleaseStarted();
  } else {
    m_previewPending = wasPending;
    TRACE("CCamera::Release() - failed, error=0x%x\n", static_cast<unsigned>(error));
    PostIfAlive(WM_RELEASE_ERROR, error, 0);
  }
  if (preview) SelectReleaseDataKind(m_releaseDataKind);
}

void CCamera::Release(bool preview) {
  BYTE wasPending = 0;
  DWORD error = BeginRelease(preview, wasPending);
  if (error == 0) error = ReleaseWith(m_hSource, m_hCamera);
  EndRelease(preview, error, wasPending);
}

DWORD WINAPI CCamera::ReleaseThreadMain(LPVOID parameter) {
  {
    std::unique_ptr<ReleaseJob> job(static_cast<ReleaseJob*>(parameter));
    RunRelease(*job->line, job->preview);
  }
  EndReleaseThread();
  return 0;
}

void CCamera::RunRelease(ReleaseLine& line, bool preview) {
  cdHSource source = 0;
  prHCamera camera = 0;
  BYTE wasPending = 0;
  DWORD error = 0;
  {
    std::lock_guard<std::mutex> guard(line.lock);
    CCamera* self = line.camera;
    if (!self) return;
    error = self->BeginRelease(preview, wasPending);
    source = self->m_hSource;
    camera = self->m_hCamera;
  }
  // The release itself can take long, so the camera may go meanwhile: it is made with the
  // handles alone (a closed handle is refused), and its outcome reaches only a camera still there.
  if (error == 0) error = ReleaseWith(source, camera);
  std::lock_guard<std::mutex> guard(line.lock);
  if (CCamera* self = line.camera) self->EndRelease(preview, error, wasPending);
}

void CCamera::StartReleaseOnThread(bool preview) {
  if (!IsConnected()) return;
  auto* job = new ReleaseJob{m_releaseLine, preview};
  {
    std::lock_guard<std::mutex> guard(g_releaseThreadsLock);
    ++g_releaseThreads;
  }
  HANDLE thread = CreateThread(nullptr, 0, ReleaseThreadMain, job, 0, nullptr);
  if (thread) {
    CloseHandle(thread);
  } else {
    delete job;
    EndReleaseThread();
  }
}

void CCamera::StartReleaseThread() { StartReleaseOnThread(false); }

void CCamera::StartPreviewReleaseThread() { StartReleaseOnThread(true); }

void CCamera::WaitForReleaseThreads() {
  std::unique_lock<std::mutex> guard(g_releaseThreadsLock);
  g_releaseThreadsEnded.wait(guard, [] { return g_releaseThreads == 0; });
}

std::shared_ptr<CCamera::ReleaseLine> CCamera::MakeReleaseLine() {
  auto line = std::make_shared<ReleaseLine>();
  line->camera = this;
  return line;
}

void CCamera::DetachReleaseThreads() {
  // Waits only while a release thread is inside this object, never for the camera's answer.
  std::lock_guard<std::mutex> guard(m_releaseLine->lock);
  m_releaseLine->camera = nullptr;
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
