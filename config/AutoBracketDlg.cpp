#include "config/AutoBracketDlg.h"

#include "platform/mfc/ddx.h"
#include "platform/user/controls.h"

namespace {

const char* const kIntervals[] = {"1/3 stop", "2/3 stop", "1 stop", "1 1/3 stops", "1 2/3 stops", "2 stops"};
const int kIntervalCount = 6;
const int kShotChoices = 7;  // 3, 5, ... 15

}  // namespace

CAutoBracketDlg::CAutoBracketDlg(CWnd* parent) : CDialog(IDD_AUTO_BRACKET, parent) {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate(
      {IDD_AUTO_BRACKET,
       "Auto Bracket Settings",
       {{IDC_BRACKET_SHOTS, K::Combo, "Number of shots in sequence:", "AutoBracketNumShots"},
        {IDC_BRACKET_INTERVAL, K::Combo, "Stops separating each shot:", "AutoBracketInterval"},
        {-1, K::Label,
         "The exposure is changed with exposure compensation, unless the camera is set to manual exposure; then "
         "the shutter speed or the aperture is changed instead. The values may be adjusted to fit the camera's range."},
        {IDC_BRACKET_USE_TV, K::Radio, "Shutter speed", "AutoBracketUsingTv", 0, 0,
         "Setting to modify when camera is set to manual exposure"},
        {IDC_BRACKET_USE_AV, K::Radio, "Aperture", nullptr, 0, 0, "Setting to modify when camera is set to manual exposure"},
        {IDC_BRACKET_CMD_ENABLE, K::Check, "Execute command at end of auto bracket sequence", "AutoBracketCmdEnable"},
        {IDC_BRACKET_CMD, K::Edit, "Cmd:", "AutoBracketCmd"},
        {IDOK, K::DefButton, "OK"},
        {IDCANCEL, K::Button, "Cancel"}}});
}

void CAutoBracketDlg::DoDataExchange(CDataExchange* dx) {
  DDX_CBIndex(dx, IDC_BRACKET_SHOTS, m_nShotsIndex);
  DDX_CBIndex(dx, IDC_BRACKET_INTERVAL, m_nIntervalIndex);
  DDX_Radio(dx, IDC_BRACKET_USE_TV, m_nSettingIndex);
  DDX_Check(dx, IDC_BRACKET_CMD_ENABLE, m_nCmdEnable);
  DDX_Text(dx, IDC_BRACKET_CMD, m_strCmd);
  if (dx->m_bSaveAndValidate) {
    m_nNumShots = 3 + 2 * (m_nShotsIndex >= 0 ? m_nShotsIndex : 0);
    m_nInterval = (m_nIntervalIndex >= 0 ? m_nIntervalIndex : kIntervalCount - 1) + 1;
    m_bUsingTv = m_nSettingIndex != 1;
  }
}

BOOL CAutoBracketDlg::OnInitDialog() {
  for (int i = 0; i < kShotChoices; ++i) {
    CString text;
    text.Format("%d", 3 + 2 * i);
    SendDlgItemMessage(IDC_BRACKET_SHOTS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.GetString()));
  }
  for (const char* text : kIntervals) SendDlgItemMessage(IDC_BRACKET_INTERVAL, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  // A stored count that is not on the list shows as 3 shots, an interval off it as 2 stops.
  bool listed = m_nNumShots >= 5 && m_nNumShots <= 15 && m_nNumShots % 2 == 1;
  m_nShotsIndex = listed ? (m_nNumShots - 3) / 2 : 0;
  m_nIntervalIndex = m_nInterval >= 1 && m_nInterval <= 5 ? m_nInterval - 1 : kIntervalCount - 1;
  m_nSettingIndex = m_bUsingTv ? 0 : 1;
  CDialog::OnInitDialog();
  UpdateEnabling();
  return TRUE;
}

void CAutoBracketDlg::UpdateEnabling() {
  if (CWnd* command = GetDlgItem(IDC_BRACKET_CMD))
    command->EnableWindow(IsDlgButtonChecked(IDC_BRACKET_CMD_ENABLE) == BST_CHECKED);
}

BOOL CAutoBracketDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == IDC_BRACKET_CMD_ENABLE && HIWORD(wParam) == BN_CLICKED) {
    UpdateEnabling();
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}
