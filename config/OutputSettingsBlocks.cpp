#include "config/OutputSettingsBlocks.h"

#include "platform/mfc/filedialog.h"
#include "platform/mfc/shlobj.h"
#include "platform/user/controls.h"
#include "platform/win32/folders.h"

namespace {

const int kRotationAngles[] = {0, 90, 270, 180, -1};

int CALLBACK SelectStartFolder(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) ::SendMessageA(window, BFFM_SETSELECTION, TRUE, data);
  return 0;
}

CString FolderPart(const CString& path) {
  std::string text = path.str();
  size_t slash = text.find_last_of("/\\");
  if (slash == std::string::npos) return CString();
  return CString(text.substr(0, slash == 0 ? 1 : slash).c_str());
}

}  // namespace

void FillRotationList(CDialog* dialog, int id, bool withSameAsPreview) {
  const char* texts[] = {"None", "90 degrees clockwise", "90 degrees counterclockwise", "180 degrees (inverted)",
                         "Same as print preview"};
  int count = withSameAsPreview ? 5 : 4;
  for (int i = 0; i < count; ++i) dialog->SendDlgItemMessage(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(texts[i]));
}

int RotationToIndex(int degrees, bool withSameAsPreview) {
  switch (degrees) {
    case 90: return 1;
    case 270: return 2;
    case 180: return 3;
    case -1: return withSameAsPreview ? 4 : -1;
    default: return 0;
  }
}

int IndexToRotation(int index) { return index >= 0 && index < 5 ? kRotationAngles[index] : 0; }

void EnableControl(CDialog* dialog, int id, bool enabled) {
  if (CWnd* control = dialog->GetDlgItem(id)) control->EnableWindow(enabled);
}

void EnableCropBlock(CDialog* dialog, bool allowed) {
  bool on = allowed && dialog->IsDlgButtonChecked(IDC_OUTPUT_CROP) == BST_CHECKED;
  for (int id : {IDC_OUTPUT_CROP_LEFT, IDC_OUTPUT_CROP_TOP, IDC_OUTPUT_CROP_WIDTH, IDC_OUTPUT_CROP_HEIGHT})
    EnableControl(dialog, id, on);
}

void EnableLogBlock(CDialog* dialog, int checkId) {
  bool on = dialog->IsDlgButtonChecked(checkId) == BST_CHECKED;
  EnableControl(dialog, IDC_OUTPUT_LOG_PATH, on);
  EnableControl(dialog, IDC_OUTPUT_LOG_BROWSE, on);
}

void ChooseLogFile(CDialog* dialog, const char* title) {
  CString current;
  dialog->GetDlgItemText(IDC_OUTPUT_LOG_PATH, current);
  CString folder = current.IsEmpty() ? CString(GetDocumentsFolder().c_str()) : FolderPart(current);
  CFileDialog chooser(FALSE, "csv", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "CSV files (*.csv)|*.csv||",
                      dialog);
  chooser.m_ofn.lpstrTitle = title;
  chooser.m_ofn.lpstrInitialDir = folder.GetString();
  if (chooser.DoModal() != IDOK) return;
  dialog->SetDlgItemText(IDC_OUTPUT_LOG_PATH, chooser.GetPathName());
}

void ChooseFolderInto(CDialog* dialog, int editId, const char* title) {
  CString current;
  dialog->GetDlgItemText(editId, current);
  char name[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = dialog->m_hWnd;
  info.pszDisplayName = name;
  info.lpszTitle = title;
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = SelectStartFolder;
  info.lParam = reinterpret_cast<LPARAM>(current.GetString());
  LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
  if (!chosen) return;
  char path[MAX_PATH] = {};
  if (SHGetPathFromIDListA(chosen, path)) dialog->SetDlgItemText(editId, path);
  ILFree(chosen);
}
