// CCamera: the download thread. Each pending release is fetched into the download stream,
// named, saved with its comment and orientation, and reported to the view in the order
// WM_EXIF, WM_SAVED_FILE, WM_DISPLAY_JPEG (a raw file's previews after its WM_SAVED_FILE).
#include <cstring>
#include <new>

#include "camera/Camera.h"
#include "camera/CameraCiff.h"
#include "camera/CameraNaming.h"
#include "camera/CameraPostProcess.h"
#include "camera/CameraTrampolines.h"
#include "platform/polyimage/polyimage.h"
#include "platform/win32/error.h"
#include "platform/win32/files.h"
#include "platform/win32/sync.h"
#include "platform/win32/thread.h"
#include "platform/win32/trace.h"
#include "support/Exif.h"

namespace {

// Degrees to turn the photo by, or -1 to keep the camera's own orientation.
int OrientationAngle(int setting) {
  switch (setting) {
    case 1:
      return 270;
    case 2:
      return 90;
    case 3:
      return 180;
    case 4:
      return -1;
    default:
      return 0;
  }
}

BYTE* CopyBytes(const BYTE* data, DWORD size) {
  BYTE* copy = new (std::nothrow) BYTE[size ? size : 1];
  if (copy && size) std::memcpy(copy, data, size);
  return copy;
}

// PRSDK reports every picture as JPEG; a raw file is known by its CIFF header.
bool LooksRaw(const BYTE* data, DWORD size) {
  return size >= 14 && data[0] == 'I' && data[1] == 'I' && std::memcmp(data + 6, "HEAPCCDR", 8) == 0;
}

// A save cut short by a crash leaves its temporary file; the next save into the folder clears
// those whose process is gone.
void SweepFolderOf(const CString& path) {
  int slash = path.ReverseFind('/');
  if (slash > 0) RemoveStaleReplacingTemps(path.Left(slash), 300);
}

// "Error saving image" and, where the system said why, the reason, for the status bar and
// the remote client.
CString SaveErrorText(DWORD error) {
  const char* reason = nullptr;
  switch (error) {
    case ERROR_FILENAME_EXCED_RANGE: reason = "file name too long"; break;
    case ERROR_DISK_FULL: reason = "disk full"; break;
    case ERROR_ACCESS_DENIED: reason = "access denied"; break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: reason = "folder not found"; break;
    case ERROR_DIRECTORY: reason = "a folder has that name"; break;
    case ERROR_WRITE_FAULT: reason = "write fault"; break;
    default: break;
  }
  CString text = STATUS_ERROR_SAVING_IMAGE;
  if (reason) text += CString(": ") + reason;
  return text;
}

}  // namespace

void CCamera::ReleaseThread() {
  for (;;) {
    ResetEvent(m_hReleaseEvent);
    // Checked after the reset: a stop or a release signalled just before it is seen here
    // rather than lost with the signal.
    if (!m_running) break;
    if (GetPendingReleases() <= 0) WaitForSingleObject(m_hReleaseEvent, INFINITE);
    if (!m_running) break;
    while (m_running && GetPendingReleases() > 0) {
      DecrementPendingReleases();
      DownloadOneItem();
    }
  }
}

void CCamera::DownloadOneItem() {
  CameraViewSettings settings = GetViewSettings();
  DWORD dataType = 0;
  BYTE format = 0;
  DWORD error = 0;
  if (m_hCamera) {
    prEventRecord record{};
    bool announced = false;
    EnterCriticalSection(&m_cs);
    if (!m_prReleased.empty()) {
      record = m_prReleased.front();
      m_prReleased.pop_front();
      announced = true;
    }
    LeaveCriticalSection(&m_cs);
    if (!announced) return;
    dataType = record.Code == prPTP_EVENT_FULL_VIEW_RELEASED ? cdDATA_TYPE_PICTURE : cdDATA_TYPE_THUMBNAIL;
    format = cdFORMAT_JPEG;
    error = PR_RC_GetReleasedData(m_hCamera, record.Parameter[0], record.Code, prMAX_TRANSFER_SIZE,
                                  reinterpret_cast<prContext>(this), PrDownloadProgressTrampoline);
    if (!error && dataType == cdDATA_TYPE_PICTURE && LooksRaw(m_stream.GetData(), m_stream.GetSize()))
      format = cdFORMAT_RAW;
  } else if (m_hSource) {
    cdReleaseImageInfo info{};
    cdStgMedium medium{cdMEMTYPE_STREAM, m_stream.GetStream()};
    error = CDGetReleasedData(m_hSource, CdDownloadProgressTrampoline, reinterpret_cast<cdContext>(this), 3, &info,
                              &medium);
    dataType = info.DataType;
    format = info.Format;
  } else {
    return;
  }
  if (error) {
    TRACE("CCamera::ReleaseThread() - download failed, error=0x%x\n", static_cast<unsigned>(error));
    if (dataType == cdDATA_TYPE_PICTURE) m_previewPending = 0;
    PostSavedFile(STATUS_ERROR_SAVING_IMAGE);
    return;
  }
  ProcessDownloadedItem(dataType, format, settings);
}

void CCamera::ProcessDownloadedItem(DWORD dataType, BYTE format) {
  ProcessDownloadedItem(dataType, format, GetViewSettings());
}

void CCamera::ProcessDownloadedItem(DWORD dataType, BYTE format, const CameraViewSettings& s) {
  const BYTE* data = m_stream.GetData();
  DWORD size = static_cast<DWORD>(m_stream.GetSize());
  bool picture = dataType == cdDATA_TYPE_PICTURE;
  // A download that did not fit the stream is incomplete: it is reported, never saved.
  if (m_stream.IsOverflowed() || size == 0 || !data ||
      (!picture && dataType != cdDATA_TYPE_THUMBNAIL) || (picture && format != cdFORMAT_JPEG && format != cdFORMAT_RAW)) {
    TRACE("CCamera::ReleaseThread() - incomplete or unknown item skipped\n");
    if (picture) m_previewPending = 0;
    PostSavedFile(STATUS_ERROR_SAVING_IMAGE);
    return;
  }
  int angle = OrientationAngle(s.orientationSetting);
  bool toComputer = (m_releaseDataKind & cdREL_KIND_PICT_TO_PC) != 0;

  if (picture && format == cdFORMAT_JPEG) {
    TRACE("CCamera::ReleaseThread() - cdDATA_TYPE_PICTURE\n");
    TRACE("CCamera::ReleaseThread() - JPEG\n");
    // The file is written from the download itself: the view's copy is made once it is in place.
    BYTE* buffer = nullptr;
    DWORD bufferSize = 0;
    Exif* exif = new Exif(data, size);
    CString saved;
    if (m_previewPending) {
      PostExif(exif);
      m_previewPending = 0;
      SelectReleaseDataKind(m_releaseDataKind);
      PostSavedFile(STATUS_IMAGE_DOWNLOADED);
    } else if (toComputer) {
      CString path = MakeNumberedFileName(NUMBERED_JPG, exif, s);
      PostExif(exif);
      SweepFolderOf(path);
      SetLastError(ERROR_SUCCESS);
      if (SaveJpeg(path, data, size, buffer, bufferSize, angle, s)) saved = path;
      if (!saved.IsEmpty()) PostSavedFile(saved);
      else PostSavedFile(SaveErrorText(GetLastError()));
    } else {
      PostExif(exif);
      PostSavedFile(STATUS_IMAGE_SAVED_TO_CARD);
    }
    if (!buffer) {
      buffer = CopyBytes(data, size);
      bufferSize = size;
    }
    if (buffer) PostJpeg(buffer, bufferSize);
    // The photo is whole under its name already; the disk flush runs while the view shows it.
    if (!saved.IsEmpty()) FlushSavedFile(saved);
    return;
  }

  if (picture) {
    TRACE("CCamera::ReleaseThread() - RAW\n");
    if (m_previewPending) {
      // A preview is only shown, whatever the camera's format.
      m_previewPending = 0;
      SelectReleaseDataKind(m_releaseDataKind);
      PostSavedFile(STATUS_IMAGE_DOWNLOADED);
    } else if (!toComputer) {
      PostSavedFile(STATUS_IMAGE_SAVED_TO_CARD);
      return;
    } else {
      Exif naming(data, size);
      CString path = MakeNumberedFileName(NUMBERED_CRW, &naming, s);
      SweepFolderOf(path);
      SetLastError(ERROR_SUCCESS);
      if (!WriteFileReplacingUnflushed(path, data, size) || !PathFileExistsA(path)) {
        PostSavedFile(SaveErrorText(GetLastError()));
      } else {
        BYTE* none = nullptr;
        DWORD noSize = 0;
        FinishSavedFile(path, false, none, noSize, angle, s);
        PostSavedFile(path);
        FlushSavedFile(path);
      }
    }
    for (const CiffJpeg& jpeg : FindCiffJpegs(data, size)) {
      if (BYTE* preview = CopyBytes(data + jpeg.offset, jpeg.size)) PostJpeg(preview, jpeg.size);
    }
    return;
  }

  TRACE("CCamera::ReleaseThread() - cdDATA_TYPE_THUMBNAIL\n");
  BYTE* buffer = CopyBytes(data, size);
  if (!buffer) return;
  if (!toComputer) {
    PostExif(new Exif(buffer, size));
    PostSavedFile(STATUS_IMAGE_STORED_ON_CARD);
  } else {
    Exif naming(buffer, size);
    CString path = MakeNumberedFileName(NUMBERED_THM, &naming, s);
    SweepFolderOf(path);
    if (WriteFileReplacingUnflushed(path, buffer, size) && PathFileExistsA(path)) {
      BYTE* none = nullptr;
      DWORD noSize = 0;
      FinishSavedFile(path, false, none, noSize, angle, s);
      PostExif(new Exif(path));
      PostJpeg(buffer, size);
      FlushSavedFile(path);
      return;
    }
  }
  PostJpeg(buffer, size);
}

void CCamera::FlushSavedFile(const CString& path) {
  if (!FlushFileToDisk(path)) TRACE("CCamera::ReleaseThread() - cannot flush %s to disk\n", path.GetString());
}

bool CCamera::SaveJpeg(const CString& path, const BYTE* data, DWORD dataSize, BYTE*& buffer, DWORD& size, int& angle,
                       const CameraViewSettings& s) {
  bool processed = false;
  if (WantsPostProcessing(s)) {
    processed = PostProcessJpeg(data, dataSize, path, angle, s);
    if (processed) {
      angle = 0;  // turned in pixels; the file says upright
      std::vector<BYTE> saved;
      if (ReadWholeFile(path, saved) && !saved.empty()) {
        if (BYTE* copy = CopyBytes(saved.data(), static_cast<DWORD>(saved.size()))) {
          delete[] buffer;
          buffer = copy;
          size = static_cast<DWORD>(saved.size());
        }
      }
    }
  }
  // Flushed to disk once, after the comment and orientation are in (FlushSavedFile).
  if (!processed && !WriteFileReplacingUnflushed(path, data, dataSize)) {
    TRACE("CCamera::ReleaseThread() - cannot write %s\n", path.GetString());
    return false;
  }
  if (!PathFileExistsA(path)) return false;
  FinishSavedFile(path, true, buffer, size, angle, s);
  return true;
}

void CCamera::FinishSavedFile(const CString& path, bool jpeg, BYTE*& buffer, DWORD& size, int angle,
                              const CameraViewSettings& s) {
  // The view tells the user when the comment is not in the file; the trace says why here.
  if (!s.comment.IsEmpty() && !Exif(path).SetComment(s.comment))
    TRACE("CCamera::ReleaseThread() - comment not stored in %s\n", path.GetString());
  if (angle >= 0) Exif(path).SetOrientation(angle);
  if (!jpeg || !s.losslessAutoRotate) return;
  int rotation = Exif(path).GetRotation();
  if (rotation <= 0) return;
  int code = rotation == 90 ? 0 : rotation == 180 ? 2 : 1;
  if (!cRotateImageFileEx(path, nullptr, code, 0)) return;
  std::vector<BYTE> turned;
  if (!ReadWholeFile(path, turned) || turned.empty()) return;
  BYTE* copy = CopyBytes(turned.data(), static_cast<DWORD>(turned.size()));
  if (!copy) return;
  delete[] buffer;
  buffer = copy;
  size = static_cast<DWORD>(turned.size());
  int session = cNewSession();
  if (!session) return;
  if (cLoadData(session, buffer, size, 0, 0, 0)) RestoreCameraExifBlock(session, buffer, size, path);
  cDestroySession(session);
}
