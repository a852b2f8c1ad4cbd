#include "config/PhotoboothProfilesDlg.h"

#include "platform/mfc/ddx.h"
#include "platform/mfc/filedialog.h"
#include <string>
#include <vector>

#include "platform/user/controls.h"

namespace {

// Path edit and browse button of each profile, in profile order.
const int kControls[kProfileSlots][2] = {
    {1209, 1208}, {1210, 1211}, {1212, 1213}, {1214, 1215}, {1216, 1217}, {1218, 1219},
    {1220, 1221}, {1222, 1223}, {1224, 1225}, {1226, 1227}, {1228, 1229}, {1230, 1231},
    {1232, 1233}, {1234, 1235}, {1236, 1237}, {1238, 1239}, {1240, 1241}, {1242, 1243}};
const int kDefaultChoices = 9;  // "None" and profiles 1 to 8

}  // namespace

int CPhotoboothProfilesDlg::PathEditId(int profile) { return kControls[profile - 1][0]; }
int CPhotoboothProfilesDlg::BrowseButtonId(int profile) { return kControls[profile - 1][1]; }

CPhotoboothProfilesDlg::CPhotoboothProfilesDlg(CWnd* parent) : CDialog(IDD_PHOTOBOOTH_PROFILES, parent) {
  using K = DlgItemKind;
  static std::vector<std::string> labels;
  if (labels.empty())
    for (int n = 1; n <= kProfileSlots; ++n) {
      std::string label = "Profile " + std::to_string(n) + ": SHIFT+CTRL+";
      if (n > 9) label += 'F';
      labels.push_back(label + std::to_string(n <= 9 ? n : n - 9));
    }
  DlgTemplate dialog{IDD_PHOTOBOOTH_PROFILES, "Photobooth Profiles", {}};
  dialog.items.push_back({-1, K::Label,
                          "Select up to 18 photobooth settings files (or profiles) which can be accessed in full screen "
                          "photobooth mode using the keyboard shortcuts SHIFT+CTRL+1 through SHIFT+CTRL+9 and "
                          "SHIFT+CTRL+F1 through SHIFT+CTRL+F9"});
  for (int n = 1; n <= kProfileSlots; ++n) {
    const char* group = n <= 9 ? "Profiles 1 to 9" : "Profiles 10 to 18";
    dialog.items.push_back({PathEditId(n), K::Edit, labels[n - 1].c_str(), nullptr, 0, 0, group});
    dialog.items.push_back({BrowseButtonId(n), K::Button, "...", nullptr, 0, 0, group});
  }
  dialog.items.push_back({IDC_PROFILES_DEFAULT, K::Combo,
                          "Default profile loaded at startup and after each shooting sequence:"});
  dialog.items.push_back({IDOK, K::DefButton, "OK"});
  dialog.items.push_back({IDCANCEL, K::Button, "Cancel"});
  dialog.columnStarts = {"Profiles 10 to 18"};
  AfxRegisterDialogTemplate(dialog);
}

BOOL CPhotoboothProfilesDlg::OnInitDialog() {
  SendDlgItemMessage(IDC_PROFILES_DEFAULT, CB_RESETCONTENT);
  SendDlgItemMessage(IDC_PROFILES_DEFAULT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("None"));
  for (int n = 1; n < kDefaultChoices; ++n) {
    CString name;
    name.Format("Profile %d", n);
    SendDlgItemMessage(IDC_PROFILES_DEFAULT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.GetString()));
  }
  return CDialog::OnInitDialog();
}

void CPhotoboothProfilesDlg::DoDataExchange(CDataExchange* dx) {
  for (int n = 1; n <= kProfileSlots; ++n) DDX_Text(dx, PathEditId(n), m_strProfiles[n - 1]);
  if (!dx->m_bSaveAndValidate) {
    // A default the list cannot show (9 to 18) shows no selection.
    int index = m_nDefaultProfile >= 0 && m_nDefaultProfile < kDefaultChoices ? m_nDefaultProfile : -1;
    SendDlgItemMessage(IDC_PROFILES_DEFAULT, CB_SETCURSEL, static_cast<WPARAM>(index));
  } else {
    // An untouched list keeps the stored default instead of saving "no selection".
    int index = static_cast<int>(SendDlgItemMessage(IDC_PROFILES_DEFAULT, CB_GETCURSEL));
    if (index >= 0) m_nDefaultProfile = index;
  }
}

void CPhotoboothProfilesDlg::OnBrowse(int profile) {
  CString title;
  title.Format("Select Photobooth Profile %d", profile);
  CFileDialog dialog(TRUE, nullptr, nullptr,
                     OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLESIZING,
                     "Photobooth settings (*.xml)|*.xml||", this);
  dialog.m_ofn.lpstrTitle = title;
  if (dialog.DoModal() != IDOK) return;
  // Rows typed into but not yet taken keep their text: take them before refilling.
  UpdateData(TRUE);
  m_strProfiles[profile - 1] = dialog.GetPathName();
  UpdateData(FALSE);
}

BOOL CPhotoboothProfilesDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam), code = HIWORD(wParam);
  if (code == BN_CLICKED)
    for (int n = 1; n <= kProfileSlots; ++n)
      if (id == BrowseButtonId(n)) {
        OnBrowse(n);
        return TRUE;
      }
  return CDialog::OnCommand(wParam, lParam);
}
