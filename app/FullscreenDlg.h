// The photobooth's full-screen window, as the view drives it. The booth screens themselves
// belong to the photobooth session; until it provides them, every operation here does nothing.
#pragma once

#include "platform/mfc/afxwin.h"

class CMyQuilletView;

class CFullscreenDlg : public CDialog {
 public:
  /// mode 1: started by the photobooth start command; 0: the view's Full Screen command.
  CFullscreenDlg(CMyQuilletView* view, int mode) : m_pView(view), m_nMode(mode) {}

  /// Shows a booth screen image (a text in its place when the file is missing).
  virtual void ShowScreen(const char* /*path*/, int /*flag*/) {}
  /// Centred overlay text; an empty text clears it.
  virtual void SetCountdownText(const char* /*text*/) {}
  /// Milliseconds left of the screen's movie; 0 at its end, -1 without a movie.
  virtual int GetMovieTimeRemaining() { return -1; }
  virtual bool IsThumbnailEnabled() { return false; }
  /// One live-view frame on the SDK's viewfinder thread; the data stays the caller's.
  virtual void OnLiveViewFrame(const BYTE* /*jpeg*/, DWORD /*size*/, int /*rotation*/) {}
  virtual void UpdateStatus() {}
  virtual void DrawCopiesText() {}
  virtual void ToggleWelcomeReady() {}
  virtual bool IsWelcomeScreen() { return false; }

  CMyQuilletView* m_pView;
  int m_nMode;
  CString m_strReadyScreen;
  bool m_bLiveView = false;
  /// Set while the window shows a booth screen.
  bool m_bShowingScreen = false;
  /// Set while the booth wants photos uncropped by the live view's crop rectangle.
  bool m_bNoViewfinderCrop = false;
};
