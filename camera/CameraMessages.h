// What the camera layer tells the view: window messages (WM_USER + 1000 + n) posted through a
// sink, and the status texts of WM_SAVED_FILE. The receiver owns every object passed in lParam:
// WM_EXIF an Exif (delete), WM_SAVED_FILE a CString (delete), WM_DISPLAY_JPEG a BYTE buffer
// of wParam bytes (delete[]).
#pragma once

#include "platform/win32/windef.h"

#define WM_DOWNLOAD_PROGRESS 2024
#define WM_DISPLAY_JPEG 2025
#define WM_EXIF 2026
#define WM_CAMERA_EVENT 2027
#define WM_RELEASE_ERROR 2028
#define WM_SAVED_FILE 2030
#define WM_CAMERA_SHUTTER_PRESSED 2032
/// The camera's release settings changed: the view refills its release-setting combo boxes.
#define WM_CAMERA_SETTINGS_CHANGED 2033
#define WM_CAMERA_ROTATION 2034

#define STATUS_IMAGE_DOWNLOADED "Image downloaded"
#define STATUS_IMAGE_SAVED_TO_CARD "Image saved to memory card"
#define STATUS_IMAGE_STORED_ON_CARD "Image stored on memory card"
#define STATUS_ERROR_SAVING_IMAGE "Error saving image"

/// Where the camera posts its messages; called from SDK threads and the download thread.
class CameraMessageSink {
 public:
  virtual ~CameraMessageSink() = default;
  /// Queues a message for the view; FALSE when it cannot, and the caller still owns lParam's object.
  virtual BOOL Post(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  /// TRUE while the view's window exists.
  virtual BOOL IsAlive() = 0;
  /// A release started: the view marks its release in progress.
  virtual void OnReleaseStarted() {}
};

/// Posts to a window with PostMessage, testing IsWindow first; the window is not owned.
/// A started release sets the window's release-in-progress flag, when it has one.
class WindowMessageSink : public CameraMessageSink {
 public:
  explicit WindowMessageSink(HWND window, bool* releasePending = nullptr)
      : m_hWnd(window), m_pReleasePending(releasePending) {}
  BOOL Post(UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL IsAlive() override;
  void OnReleaseStarted() override;
  HWND m_hWnd;
  bool* m_pReleasePending;
};
