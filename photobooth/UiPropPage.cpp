#include "photobooth/UiPropPage.h"

#include "platform/mfc/ddx.h"

namespace {

void RegisterTemplate() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  using K = DlgItemKind;
  AfxRegisterDialogTemplate(
      {IDD_UI_PROP_PAGE,
       "Step 3 of 3: Specify user interface options",
       {{IDC_UI_TOUCHSCREEN, K::Check, "Use touchscreen"},
        {IDC_UI_COLOUR_CHOICE, K::Check, "Allow users to select B&&W or color prints"},
        {IDC_UI_PREVIEW, K::Check, "Preview each photo after it is taken"},
        {IDC_UI_CONFIRM, K::Check, "Display print preview and ask for confirmation before printing"},
        {IDC_UI_BACKGROUND, K::Check, "Add a background.jpg image which can be edited to add logos etc."},
        {IDC_UI_EMAIL, K::Check, "Email photos (requires touchscreen option)"},
        {IDC_UI_FACEBOOK, K::Check, "Facebook upload (requires touchscreen option)"},
        {IDC_UI_THUMBNAILS, K::Check, "Display thumbnails of photos taken so far"},
        {IDC_UI_3TO2, K::Check, "3:2 template comptibility mode (3:2 asect ratio)"},
        {IDC_UI_PRINT_IN_SHARING, K::Check, "Add print option in sharing screen"},
        {IDC_UI_TWITTER, K::Check, "Twitter tweet (requires touchscreen option)"},
        {IDC_UI_MMS, K::Check, "MMS/SMS (requires touchscreen option)"},
        {IDC_UI_INACTIVITY, K::Number, "Inactivity timeout in secs (0=disabled):", nullptr, 0, 999}}});
}

}  // namespace

CUiPropPage::CUiPropPage() : CPropertyPage(IDD_UI_PROP_PAGE) { RegisterTemplate(); }

void CUiPropPage::DoDataExchange(CDataExchange* dx) {
  DDX_Check(dx, IDC_UI_TOUCHSCREEN, m_bTouchscreen);
  DDX_Check(dx, IDC_UI_COLOUR_CHOICE, m_bColourChoice);
  DDX_Check(dx, IDC_UI_PREVIEW, m_bPreview);
  DDX_Check(dx, IDC_UI_CONFIRM, m_bConfirmPrinting);
  DDX_Check(dx, IDC_UI_BACKGROUND, m_bBackground);
  DDX_Check(dx, IDC_UI_EMAIL, m_bEmail);
  DDX_Check(dx, IDC_UI_FACEBOOK, m_bFacebook);
  DDX_Check(dx, IDC_UI_THUMBNAILS, m_bThumbnails);
  DDX_Check(dx, IDC_UI_3TO2, m_b3to2);
  DDX_Check(dx, IDC_UI_PRINT_IN_SHARING, m_bPrintInSharing);
  DDX_Check(dx, IDC_UI_TWITTER, m_bTwitter);
  DDX_Check(dx, IDC_UI_MMS, m_bMms);
  DDX_Text(dx, IDC_UI_INACTIVITY, m_nInactivityTimeout);
  DDV_MinMaxInt(dx, m_nInactivityTimeout, 0, 999);
}

BOOL CUiPropPage::OnSetActive() {
  if (CWnd* sheet = GetParent()) sheet->PostMessage(PSM_SETWIZBUTTONS, 0, PSWIZB_BACK | PSWIZB_FINISH);
  return TRUE;
}

BOOL CUiPropPage::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) == BN_CLICKED) {
    switch (LOWORD(wParam)) {
      case IDC_UI_TOUCHSCREEN:
        if (IsDlgButtonChecked(IDC_UI_TOUCHSCREEN) != BST_CHECKED) {
          CheckDlgButton(IDC_UI_FACEBOOK, BST_UNCHECKED);
          CheckDlgButton(IDC_UI_EMAIL, BST_UNCHECKED);
        }
        return TRUE;
      case IDC_UI_FACEBOOK:
      case IDC_UI_EMAIL:
        if (IsDlgButtonChecked(LOWORD(wParam)) == BST_CHECKED) CheckDlgButton(IDC_UI_TOUCHSCREEN, BST_CHECKED);
        return TRUE;
    }
  }
  return CPropertyPage::OnCommand(wParam, lParam);
}
