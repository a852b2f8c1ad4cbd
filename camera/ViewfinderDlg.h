// CViewfinderDlg: the modeless live-view window ("Viewfinder Display"). Every JPEG frame of the
// camera's viewfinder is decoded, keyed, blended with a kept onion-skin frame, shaded outside
// the crop rectangle, turned, scaled 1-4 times or to the full screen and drawn with the grid.
//
// Threads: ViewfinderCB runs on the SDK's viewfinder thread and never waits for the UI thread:
// it draws through a window DC into the back buffer and posts the relayout to the window, so
// the UI thread may stop the viewfinder while a frame is drawn. Frames, crop rectangle,
// background cache and the motion frame share ViewfinderLock().
#pragma once

#include <atomic>
#include <vector>

#include "camera/ViewfinderOwner.h"
#include "platform/mfc/dialog.h"
#include "platform/mfc/stdctrls.h"

#define IDD_VIEWFINDER 158
#define IDR_VIEWFINDER_ACCEL 8
#define IDC_VIEWFINDER_PICTURE 1067
#define IDC_VIEWFINDER_AEAF 1003
#define IDC_STAY_ON_TOP 1076
#define IDC_ONION_SKIN 1077
#define IDC_VIEWFINDER_CROP 1179
#define IDC_MOVEMENT_THRESHOLD 1085
#define ID_VIEWFINDER_KEEP_ONION 32795
#define ID_VIEWFINDER_TAKE_PICTURE 32793
#define ID_VIEWFINDER_TAKE_PREVIEW 32792
#define ID_VIEWFINDER_UNUSED_CTRL_F 132

class CViewfinderDlg : public CDialog {
 public:
  /// Creates the window hidden, owned by `view`; `owner` (the same view) serves its commands.
  CViewfinderDlg(CWnd* view, ViewfinderOwner* owner);
  ~CViewfinderDlg() override;

  /// Shows it (check boxes from the members, topmost as the stay-on-top flag says, not
  /// activated) or hides it. Loads accelerator table 8 the first time.
  void ShowViewfinder(bool show);
  /// Copies the current frame into the onion-skin frame (when both exist).
  void KeepOnionSkinFrame();
  /// Draws one frame (SDK thread); returns 1. A frame that does not decode is skipped.
  int ViewfinderCB(const BYTE* jpeg, DWORD size, int angle);

  /// The crop rectangle in 320 x 240 viewfinder pixels, inclusive.
  RECT GetCropRect() const;
  void SetCropRect(const RECT& crop);
  bool IsCropOn() const;
  /// Scale 1-4, 5 = fill the screen; the next frame lays the window out for it.
  void SetScale(int scale);
  int GetScale() const { return m_nScale; }
  /// Frames drawn so far (tests wait on it).
  int GetFramesDrawn() const { return m_nFramesDrawn; }

  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL PreTranslateMessage(MSG* msg) override;
  void OnOK() override {}
  /// Close box, Escape: live view off through the view.
  void OnCancel() override;

  // Exchanged with check boxes 1076, 1077, 1179 (under ViewfinderLock).
  BOOL m_bStayOnTop = TRUE;
  BOOL m_bOnionSkin = FALSE;
  BOOL m_bCrop = FALSE;

 protected:
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnMouseMove(UINT flags, CPoint point) override;
  void OnLButtonUp(UINT flags, CPoint point) override;

 private:
  struct Layout {
    int width = 0, height = 0;  // destination of the picture
    POINT offset{0, 0};
    int scale = 1;
  };
  void ApplyTopmost();
  void ApplyLayout(const Layout& layout);
  /// Reads the check boxes into the members.
  void ReadChecks();
  bool CropEditing() const;
  POINT PointerToFrame(CPoint point) const;

  CWnd* m_pView;
  ViewfinderOwner* m_pOwner;
  std::atomic<int> m_nScale{1};
  std::atomic<int> m_nAngle{0};
  std::atomic<int> m_nFramesDrawn{0};

  // Guarded by ViewfinderLock().
  std::vector<BYTE> m_currentFrame;
  std::vector<BYTE> m_keptFrame;
  int m_nFrameWidth = 0;
  int m_nFrameHeight = 0;
  RECT m_crop{0, 0, 319, 239};
  Layout m_pendingLayout;

  // SDK thread only.
  int m_nLastWidth = 0;
  int m_nLastScale = 10;
  bool m_bRelayoutPending = false;
  std::vector<BYTE> m_decoded, m_turned, m_padded;

  // Crop drag (UI thread).
  bool m_bDragging = false;
  int m_nDragMode = 0;
  POINT m_dragOffset{0, 0};
};
