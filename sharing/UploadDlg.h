// CUploadDlg: the full-screen sharing screen. Built by the confirm screen with a ShareKind and a
// filled ShareSettings, run modally: it asks the guest on the touch keyboard, prepares a copy
// of the photo and runs the kind's transport on a worker thread (or prints the photo), shows a
// status picture per stage and closes itself.
//
// Threads: the window and its status picture belong to the UI thread. The load thread only
// stores the preview (under m_lock) and posts; the share worker reaches DrawStatus through a
// sent message and arms the close timer through a posted one.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/mfc/afxwin.h"
#include "sharing/ShareSettings.h"

class PipSession;

#define IDD_UPLOAD 233
/// Posted by the load thread when the preview is ready.
#define WM_UPLOAD_PREVIEW_READY 2029
/// Start the share (posted by the screen to itself).
#define IDC_UPLOAD_SHARE 1003
/// The close timer; with an uploader running, also its watch.
#define TIMER_UPLOAD_CLOSE 3

class CUploadDlg : public CDialog {
 public:
  CUploadDlg(CWnd* parent, int shareKind);
  ~CUploadDlg() override;

  /// Shows a status picture, from any thread (other threads wait for the UI thread to do it).
  void DrawStatus(const char* path, bool playSound);
  /// The text drawn in place of a missing status picture: by its key, else the whole path.
  static CString StatusCaption(const CString& path);

  CString StatusPath() const;
  CString MessageText() const;
  void SetMessageText(const CString& text);
  bool HasPreview() const;
  bool IsBusy() const { return m_bBusy; }
  /// The close timer's last delay in ms as asked (before m_timeScale); 0 while none was armed.
  UINT ArmedCloseMs() const { return m_nArmedCloseMs; }

  BOOL OnInitDialog() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  const int m_nShareKind;
  ShareSettings m_share;
  /// Multiplies every close-timer delay; tests shorten the display times with it.
  double m_timeScale = 1.0;
  /// Milliseconds of the clock the print's display time counts in (a seam for tests).
  static ULONGLONG (*s_pfnTickCount)();
  /// Seconds of the clock the uploader watch counts in (a seam for tests).
  static LONGLONG (*s_pfnNowSeconds)();
  /// Where the uploader programs are; empty: the program's own folder.
  CString m_strProgramFolder;

  // Uploader watch (set by the worker before it arms the timer, then read on the UI thread).
  std::atomic<bool> m_bFacebookRunning{false};
  std::atomic<bool> m_bTwitterRunning{false};
  CString m_strLastWindowTitle;
  LONGLONG m_nTitleTime = 0;
  /// The uploader this share started: only its windows are watched.
  DWORD m_nUploaderProcessId = 0;

 protected:
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
  void OnTimer(UINT_PTR id) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void OnShare();
  void StartLoadThread();
  void LoadPreviewImage(int clientWidth, int clientHeight);
  void ShareWorker();
  void PrintPhoto();
  void SendEmail(const CString& file);
  void ShareToUploader(bool facebook, const CString& file);
  void SendMms(const CString& file);
  void WatchUploader();
  /// From any thread: arms the close timer on the UI thread.
  void ArmCloseTimer(UINT ms);
  void DoDrawStatus(const CString& path, bool playSound);
  void PaintScreen(CDC* dc);
  void EndWhenIdle(int result);
  void StartWorker(void (CUploadDlg::*job)());
  CString ImagePath(const char* name) const;

  mutable std::mutex m_lock;  // guards the four below
  CString m_strStatusPath;
  CString m_strMessage;
  std::unique_ptr<CBitmap> m_pStatusImage;
  bool m_bStatusFromFile = false;
  std::unique_ptr<PipSession> m_pPreview;

  std::atomic<bool> m_bBusy{false};
  bool m_bPaintHold = false;
  std::atomic<UINT> m_nArmedCloseMs{0};
  CString m_strTemporaryCopy;
  HCURSOR m_hCursor = nullptr;
  std::thread m_loadThread;
  std::thread m_worker;
  std::atomic<bool> m_bWorkerRunning{false};
};
