#include "printlayout/PhotoPositionEditDlg.h"

#include "platform/mfc/ddx.h"
#include "platform/user/controls.h"

CPhotoPositionEditDlg::CPhotoPositionEditDlg(CWnd* parent) : CDialog(IDD_PHOTO_POSITION, parent) {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate({IDD_PHOTO_POSITION,
                             "Photo Position",
                             {{IDC_POSITION_LEFT, K::Edit, "Left"},
                              {IDC_POSITION_TOP, K::Edit, "Top"},
                              {IDC_POSITION_WIDTH, K::Edit, "Width"},
                              {IDC_POSITION_HEIGHT, K::Edit, "Height"},
                              {IDC_POSITION_ANGLE, K::Edit, "Angle"},
                              {IDC_POSITION_CENTER, K::Button, "Move to center", nullptr, 0, 0, "Position"},
                              {IDOK, K::DefButton, "OK"},
                              {IDCANCEL, K::Button, "Cancel"}}});
}

BOOL CPhotoPositionEditDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_bMoveToCenter = FALSE;
  CString title;
  title.Format("Edit Position: Photo %d", m_box.image);
  SetWindowText(title);
  m_bInitialised = true;
  return TRUE;
}

void CPhotoPositionEditDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Text(dx, IDC_POSITION_LEFT, m_box.left);
  DDX_Text(dx, IDC_POSITION_TOP, m_box.top);
  DDX_Text(dx, IDC_POSITION_WIDTH, m_box.width);
  DDX_Text(dx, IDC_POSITION_HEIGHT, m_box.height);
  DDX_Text(dx, IDC_POSITION_ANGLE, m_box.rotation);
}

void CPhotoPositionEditDlg::PushValues() {
  // Each written field notifies; reading all fields back then would undo the ones not yet written.
  m_bPushing = true;
  UpdateData(FALSE);
  m_bPushing = false;
}

void CPhotoPositionEditDlg::OnChangeField(int id) {
  if (!m_bInitialised || m_bPushing) return;
  CString text;
  GetDlgItemText(id, text);
  text.Trim();
  if (!text.IsEmpty()) {
    UpdateData(TRUE);
    return;
  }
  // An emptied field counts as 0 while the user types; the text stays empty.
  switch (id) {
    case IDC_POSITION_LEFT: m_box.left = 0; break;
    case IDC_POSITION_TOP: m_box.top = 0; break;
    case IDC_POSITION_WIDTH: m_box.width = 0; break;
    case IDC_POSITION_HEIGHT: m_box.height = 0; break;
    case IDC_POSITION_ANGLE: m_box.rotation = 0.0; break;
  }
}

BOOL CPhotoPositionEditDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  if (id == IDC_POSITION_CENTER) {
    m_bMoveToCenter = TRUE;
    return TRUE;
  }
  if (HIWORD(wParam) == EN_CHANGE && id >= IDC_POSITION_WIDTH && id <= IDC_POSITION_ANGLE) {
    OnChangeField(id);
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}
