#include "config/PreferencesDlg.h"

#include "camera/CameraNaming.h"
#include "platform/mfc/ddx.h"
#include "platform/mfc/shlobj.h"
#include "platform/user/controls.h"

namespace {

void RegisterTemplate() {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate(
      {IDD_PREFERENCES,
       "Tavorin Preferences",
       {{IDC_PREF_MIDDLE_BUTTON, K::Combo, "Middle button:", "MiddleBtnAction", 0, 0, "Mouse"},
        {IDC_PREF_RIGHT_BUTTON, K::Combo, "Right button:", "RightBtnAction", 0, 0, "Mouse"},
        {IDC_PREF_MOUSE_WHEEL, K::Combo, "Mouse wheel:", "MouseWheelAction", 0, 0, "Mouse"},
        {IDC_PREF_CONTRAST, K::Combo, "Contrast:", nullptr, 0, 0, "Camera"},
        {IDC_PREF_SHARPNESS, K::Combo, "Sharpness:", nullptr, 0, 0, "Camera"},
        {IDC_PREF_SATURATION, K::Combo, "Saturation:", nullptr, 0, 0, "Camera"},
        {IDC_PREF_PREVIEW_SIZE, K::Combo, "Preview image size:", "PreviewSize", 0, 0, "Camera"},
        {IDC_PREF_PREFIX_COMMENT, K::Check, "Prefix filename with comment", "PrefixWithComment", 0, 0, "File names"},
        {IDC_PREF_APPEND_LETTER, K::Check, "Append sequence letter to end of filename when auto-bracketing",
         "AppendLetterDuringAEB", 0, 0, "File names"},
        {IDC_PREF_PREFIX, K::Edit, "Filename prefix:", "FilenamePrefix", 0, 0, "File names"},
        {IDC_PREF_DIRECTORY, K::Edit, "Directory in which to save images:", "Directory", 0, 0, "File names"},
        {IDC_PREF_FOLDER_BROWSE, K::Button, "...", nullptr, 0, 0, "File names"},
        {-1, K::Label, "Separate directory for:", nullptr, 0, 0, "File names"},
        {IDC_PREF_YEAR, K::Check, "Year", "Year", 0, 0, "File names"},
        {IDC_PREF_MONTH, K::Check, "Month", "Month", 0, 0, "File names"},
        {IDC_PREF_DAY, K::Check, "Day", "Day", 0, 0, "File names"},
        {IDC_PREF_FLATTEN, K::Check, "Flatten date (e.g. 2003-06-06)", "FlattenDate", 0, 0, "File names"},
        {IDC_PREF_EXAMPLE, K::ReadOnly, "Example image name:", nullptr, 0, 0, "File names"},
        {IDOK, K::DefButton, "OK"},
        {IDCANCEL, K::Button, "Cancel"}}});
}

void Fill(CWnd* dialog, int id, std::initializer_list<const char*> texts) {
  for (const char* text : texts) dialog->SendDlgItemMessage(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

int CALLBACK SelectStartFolder(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) ::SendMessageA(window, BFFM_SETSELECTION, TRUE, data);
  return 0;
}

}  // namespace

CPreferencesDlg::CPreferencesDlg(CWnd* parent) : CDialog(IDD_PREFERENCES, parent) { RegisterTemplate(); }

void CPreferencesDlg::DoDataExchange(CDataExchange* dx) {
  DDX_CBIndex(dx, IDC_PREF_MIDDLE_BUTTON, m_nMiddleBtnAction);
  DDX_CBIndex(dx, IDC_PREF_RIGHT_BUTTON, m_nRightBtnAction);
  DDX_CBIndex(dx, IDC_PREF_MOUSE_WHEEL, m_nMouseWheelAction);
  DDX_CBIndex(dx, IDC_PREF_CONTRAST, m_nContrast);
  DDX_CBIndex(dx, IDC_PREF_SHARPNESS, m_nSharpness);
  DDX_CBIndex(dx, IDC_PREF_SATURATION, m_nSaturation);
  DDX_CBIndex(dx, IDC_PREF_PREVIEW_SIZE, m_nPreviewSize);
  DDX_Check(dx, IDC_PREF_PREFIX_COMMENT, m_bPrefixWithComment);
  DDX_Check(dx, IDC_PREF_APPEND_LETTER, m_bAppendLetterDuringAEB);
  DDX_Text(dx, IDC_PREF_PREFIX, m_strFilenamePrefix);
  DDX_Text(dx, IDC_PREF_DIRECTORY, m_strDirectory);
  DDX_Check(dx, IDC_PREF_YEAR, m_bYear);
  DDX_Check(dx, IDC_PREF_MONTH, m_bMonth);
  DDX_Check(dx, IDC_PREF_DAY, m_bDay);
  DDX_Check(dx, IDC_PREF_FLATTEN, m_bFlattenDate);
}

BOOL CPreferencesDlg::OnInitDialog() {
  m_openedAt = CameraNow();
  Fill(this, IDC_PREF_MIDDLE_BUTTON, {"None", "Release", "Preview", "Edit image"});
  Fill(this, IDC_PREF_RIGHT_BUTTON, {"None", "Release", "Preview", "Edit image"});
  Fill(this, IDC_PREF_MOUSE_WHEEL, {"None", "Zoom", "Tv/Av"});
  for (int id : {IDC_PREF_CONTRAST, IDC_PREF_SHARPNESS, IDC_PREF_SATURATION}) Fill(this, id, {"Low", "Normal", "High"});
  Fill(this, IDC_PREF_PREVIEW_SIZE, {"Small", "Medium", "Large"});
  CDialog::OnInitDialog();
  for (int id : {IDC_PREF_CONTRAST, IDC_PREF_SHARPNESS, IDC_PREF_SATURATION})
    if (CWnd* combo = GetDlgItem(id)) combo->EnableWindow(m_bImageSettingsSupported);
  m_bReady = true;
  UpdateExample();
  return TRUE;
}

CString CPreferencesDlg::MakeExampleName() {
  CString directory, prefix;
  GetDlgItemText(IDC_PREF_DIRECTORY, directory);
  GetDlgItemText(IDC_PREF_PREFIX, prefix);
  CString name = MakeDatedDirectory(directory, IsDlgButtonChecked(IDC_PREF_YEAR), IsDlgButtonChecked(IDC_PREF_MONTH),
                                    IsDlgButtonChecked(IDC_PREF_DAY), IsDlgButtonChecked(IDC_PREF_FLATTEN), m_openedAt);
  name.Replace("@comment@", m_strComment);
  name.Replace("{comment}", m_strComment);

  CString folder = m_strPhotoboothImagesDir;
  folder.TrimRight("/ ");
  int slash = folder.ReverseFind('/');
  CString subfolder = slash > 0 ? folder.Mid(slash + 1) : folder;
  CString count;
  count.Format("%d", m_nNumberOfPhotoboothImages);
  name.Replace("{photoboothDir}", folder);
  name.Replace("{photoboothSubdir}", subfolder);
  name.Replace("{photoboothNumImages}", count);
  name.Replace("{photoboothImage}", "1");
  name.Replace("{photoboothDateTime}", FormatCameraTime("%Y%m%d_%H%M%S", m_openedAt));
  name.Replace("{photoboothDate}", FormatCameraTime("%Y%m%d", m_openedAt));
  name.Replace("{photoboothTime}", FormatCameraTime("%H%M%S", m_openedAt));
  name.Replace("{photoboothHour}", FormatCameraTime("%H", m_openedAt));
  name.Replace("{photoboothMinute}", FormatCameraTime("%M", m_openedAt));
  name.Replace("{photoboothSecond}", FormatCameraTime("%S", m_openedAt));
  return name + prefix + "0123.JPG";
}

void CPreferencesDlg::UpdateExample() {
  if (m_bReady) SetDlgItemText(IDC_PREF_EXAMPLE, MakeExampleName());
}

void CPreferencesDlg::OnBrowseFolder() {
  CString current;
  GetDlgItemText(IDC_PREF_DIRECTORY, current);
  char name[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = m_hWnd;
  info.pszDisplayName = name;
  info.lpszTitle = "Select folder in which to save images";
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = SelectStartFolder;
  info.lParam = reinterpret_cast<LPARAM>(current.GetString());
  LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
  if (!chosen) return;
  char path[MAX_PATH] = {};
  if (SHGetPathFromIDListA(chosen, path)) SetDlgItemText(IDC_PREF_DIRECTORY, path);
  ILFree(chosen);
  UpdateExample();
}

BOOL CPreferencesDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const UINT code = HIWORD(wParam);
  if (id == IDC_PREF_FOLDER_BROWSE && code == BN_CLICKED) {
    OnBrowseFolder();
    return TRUE;
  }
  if ((id == IDC_PREF_DIRECTORY || id == IDC_PREF_PREFIX) && code == EN_CHANGE) {
    UpdateExample();
    return TRUE;
  }
  if (id >= IDC_PREF_YEAR && id <= IDC_PREF_FLATTEN && code == BN_CLICKED) {
    UpdateExample();
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}
