// CEditCaptionDlg ("Edit Captions"): the twelve print captions of a layout, one at a time. The
// opener copies the twelve records in, sets the current caption, the page size in printer
// pixels and the printer's resolution, and copies the records back after IDOK. The controls
// edit a working copy of the current caption; switching captions stores it first.
#pragma once

#include "platform/mfc/dialog.h"
#include "printlayout/PhotoboothCaption.h"
#include "printlayout/PhotoboothCustomLayoutBox.h"

#define IDD_EDIT_CAPTION 241
#define IDC_EC_ALIGNMENT 1065
#define IDC_EC_FONT_DESCRIPTION 1110
#define IDC_EC_FONT 1111
#define IDC_EC_COLOUR_SWATCH 1112
#define IDC_EC_COLOUR 1113
#define IDC_EC_TEXT 1118
#define IDC_EC_ENABLE 1119
#define IDC_EC_TOP 1122
#define IDC_EC_LEFT 1124
#define IDC_EC_MAX_LINES 1125
#define IDC_EC_WRAP_WIDTH 1126
#define IDC_EC_ANGLE 1127
#define IDC_EC_CAPTIONS 1347
#define IDC_EC_MOVE_TO_CENTER 1348

class CEditCaptionDlg : public CDialog {
 public:
  explicit CEditCaptionDlg(CWnd* parent = nullptr);
  ~CEditCaptionDlg() override;

  /// Shows the working caption in the controls again, for an opener that changed it while the
  /// dialog is up (the layout editor moves captions with the mouse).
  void RefreshControls();

  PhotoboothCaption m_captions[kLayoutCaptionCount];
  /// What the controls show and edit.
  PhotoboothCaption m_caption;
  int m_nCurrentCaption = 0;
  int m_nPageWidth = 0;
  int m_nPageHeight = 0;
  int m_nDpiX = 300;
  int m_nDpiY = 300;
  BOOL m_bHideMoveToCenter = FALSE;
  /// Set by "Move to center" (the dialog stays open); cleared when the dialog opens.
  BOOL m_bMoveToCenter = FALSE;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  void OnOK() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void ShowCaption();
  void ApplyDefaultsIfEmpty();
  void EnableControls();
  void UpdateFontDescription();
  void OnSelchangeCaptions();
  void ReadControlsQuietly();
  void OnNumberChanged(int id);
  void OnFont();
  void OnColour();

  HBITMAP m_hSwatch = nullptr;
  bool m_bShowing = false;  // controls being filled: their change notices are ours
};
