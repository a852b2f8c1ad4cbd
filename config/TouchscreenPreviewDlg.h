// CTouchscreenPreviewDlg: the touchscreen areas drawn over the real booth screen they act on,
// full screen, where the mouse and the arrow keys move, resize, add and delete them. The
// editing itself is TouchscreenPreviewEditor's; this window draws it and feeds it input.
#pragma once

#include "config/TouchscreenPreviewEditor.h"
#include "platform/mfc/dialog.h"
#include "platform/mfc/stdctrls.h"
#include "support/PipSession.h"

#define IDD_TOUCHSCREEN_PREVIEW 226
#define IDR_TOUCHSCREEN_PREVIEW_KEYS 254
#define IDC_TOUCHSCREEN_MOVE_CURSOR 246

#define ID_TS_PREVIEW_SHOW_ALL 32946
#define ID_TS_PREVIEW_SHARE 32947
#define ID_TS_PREVIEW_DELETE_ACTION 32948
#define ID_TS_PREVIEW_ADD_ACTION 32949
#define ID_TS_PREVIEW_READY 32950
#define ID_TS_PREVIEW_PRINT_CONFIRM 32951
#define ID_TS_PREVIEW_VIDEO_READY 32952
#define ID_TS_PREVIEW_VIDEO_CONFIRM 32953
#define ID_TS_PREVIEW_VIDEO_CAPTURE 32954
#define ID_TS_PREVIEW_STANDBY 32955

class CTouchscreenPreviewDlg : public CDialog {
 public:
  /// `labels` (the table editor's first action list) turns codes into labels; it may be NULL.
  CTouchscreenPreviewDlg(CWnd* parent, CComboBox* labels, const CString& imagesFolder);
  ~CTouchscreenPreviewDlg() override;

  /// The working and untouched areas (the opener fills both), the screen, selection and drag.
  TouchscreenPreviewEditor m_editor;
  CString m_strImagesFolder;
  /// The screen image shown; empty in "show all" mode.
  CString m_strImagePath;
  POINT m_rightClickPoint{0, 0};
  bool m_bContextMenu = false;

  /// The label of a code as the action list shows it; "<undefined>" for an unknown code.
  CString LabelOf(int code) const;
  /// Switches to the screen with that bit after the overlap check of the current one; FALSE
  /// when overlaps keep the current screen. Bit 0 shows all areas without the check.
  BOOL SwitchScreen(int screenBit);
  /// Draws the editor into the memory bitmap and copies it to the window.
  void Redraw();
  /// The memory bitmap's pixel (0x00RRGGBB), for tests.
  COLORREF CanvasPixel(int x, int y) const;

 protected:
  BOOL OnInitDialog() override;
  void OnCancel() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  BOOL PreTranslateMessage(MSG* msg) override;

 private:
  void BuildCanvas();
  void DrawAreas(HDC dc);
  void FreeBitmaps();
  void ShowCursorKind(TouchCursor kind);
  void OnRightClick(POINT point);
  void OnAddAction();
  std::string OverlapReport() const;

  CComboBox* m_pLabels;
  PipSession* m_pImage = nullptr;
  HDC m_hCanvasDC = nullptr;
  HBITMAP m_hCanvas = nullptr;
  HGDIOBJ m_hCanvasOld = nullptr;
  HDC m_hMemDC = nullptr;
  HBITMAP m_hMemBitmap = nullptr;
  HGDIOBJ m_hMemOld = nullptr;
  HFONT m_hFont = nullptr;
  HACCEL m_hAccelerators = nullptr;
  HCURSOR m_hMoveCursor = nullptr;
  HCURSOR m_hSizeCursor = nullptr;
  HCURSOR m_hArrowCursor = nullptr;
  HCURSOR m_hCursor = nullptr;
};
