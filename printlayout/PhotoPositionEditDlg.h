// Exact position, size and angle of one photo box, typed; the layout editor follows the typing
// on its timer and performs the "Move to center" request.
#pragma once

#include "platform/mfc/dialog.h"
#include "printlayout/PhotoboothCustomLayoutBox.h"

#define IDD_PHOTO_POSITION 245
#define IDC_POSITION_LEFT 1198
#define IDC_POSITION_TOP 1199
#define IDC_POSITION_WIDTH 1196
#define IDC_POSITION_HEIGHT 1197
#define IDC_POSITION_ANGLE 1200
#define IDC_POSITION_CENTER 1327

class CPhotoPositionEditDlg : public CDialog {
 public:
  explicit CPhotoPositionEditDlg(CWnd* parent);

  LayoutEditBox m_box;
  /// Set by "Move to center"; the editor clears it when it has moved the box.
  BYTE m_bMoveToCenter = FALSE;

  /// Shows m_box in the edits; the change notices of that writing are not typing.
  void PushValues();

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void OnChangeField(int id);
  bool m_bInitialised = false;
  bool m_bPushing = false;
};
