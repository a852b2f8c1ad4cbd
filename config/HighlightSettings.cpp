#include "config/HighlightSettings.h"

#include "platform/mfc/ddx.h"
#include "platform/user/controls.h"

CHighlightSettings::CHighlightSettings(CWnd* parent) : CDialog(IDD_HIGHLIGHT_SETTINGS, parent) {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate({IDD_HIGHLIGHT_SETTINGS,
                             "Flashing Highlight Settings",
                             {{IDC_HIGHLIGHT_METHOD, K::Combo, "Highlight method:", "HighlightBlinkMethod"},
                              {IDC_HIGHLIGHT_THRESHOLD, K::Number, "Threshold (50 to 255):", "HighlightBlinkThreshold"},
                              {IDOK, K::DefButton, "OK"},
                              {IDCANCEL, K::Button, "Cancel"}}});
}

BOOL CHighlightSettings::OnInitDialog() {
  for (const char* text : {"Luminosity", "RGB Value"})
    SendDlgItemMessage(IDC_HIGHLIGHT_METHOD, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  return CDialog::OnInitDialog();
}

void CHighlightSettings::DoDataExchange(CDataExchange* dx) {
  DDX_CBIndex(dx, IDC_HIGHLIGHT_METHOD, m_nMethod);
  DDX_Text(dx, IDC_HIGHLIGHT_THRESHOLD, m_nThreshold);
  DDV_MinMaxInt(dx, m_nThreshold, 50, 255);
}
