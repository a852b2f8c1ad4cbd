#include "photobooth/FolderPropPage.h"

#include <sys/stat.h>

#include "camera/CameraNaming.h"
#include "platform/mfc/ddx.h"
#include "platform/user/messagebox.h"
#include "platform/win32/files.h"
#include "platform/win32/folders.h"

namespace {

const char kForbidden[] = "/\\:*?\"<>|";

void RegisterTemplate() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  using K = DlgItemKind;
  AfxRegisterDialogTemplate({IDD_FOLDER_PROP_PAGE,
                             "Step 2 of 3: Specify Photo Booth Images Folder",
                             {{0, K::Label,
                               "The screen images, the print layout and the settings of the photo booth are kept in "
                               "a folder of their own. Please enter a name for this folder:"},
                              {IDC_FOLDER_PAGE_NAME, K::Edit, "Folder name:"},
                              {0, K::Label, "The folder will be created in:"},
                              {IDC_FOLDER_PAGE_PARENT, K::Label, ""}}});
}

bool Exists(const CString& path) {
  struct stat info;
  return ::stat(path.GetString(), &info) == 0;
}

}  // namespace

CFolderPropPage::CFolderPropPage() : CPropertyPage(IDD_FOLDER_PROP_PAGE) {
  RegisterTemplate();
  CString documents = GetDocumentsFolder().c_str();
  CreateDirectoryPath(documents);
  m_strParentFolder = documents + "/PhotoboothImages";
}

BOOL CFolderPropPage::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  return TRUE;
}

void CFolderPropPage::DoDataExchange(CDataExchange* dx) {
  DDX_Text(dx, IDC_FOLDER_PAGE_NAME, m_strFolderName);
  DDX_Text(dx, IDC_FOLDER_PAGE_PARENT, m_strParentFolder);
}

BOOL CFolderPropPage::OnSetActive() {
  if (CWnd* sheet = GetParent()) sheet->PostMessage(PSM_SETWIZBUTTONS, 0, PSWIZB_BACK | PSWIZB_NEXT);
  return TRUE;
}

LRESULT CFolderPropPage::OnWizardNext() {
  CString name;
  GetDlgItemText(IDC_FOLDER_PAGE_NAME, name);
  name.Trim();
  auto warn = [&](const char* text) {
    ::MessageBoxA(m_hWnd, text, "Tavorin", MB_OK | MB_ICONWARNING);
    GotoDlgCtrl(GetDlgItem(IDC_FOLDER_PAGE_NAME));
    return -1;
  };
  if (name.IsEmpty()) return warn("Please enter the folder name");
  if (name.FindOneOf(kForbidden) >= 0) {
    return warn(CString("The folder name can't contain any of the following characters:\n") + kForbidden);
  }
  CString folder = m_strParentFolder + "/" + name;
  if (Exists(folder)) {
    CString freeName;
    for (int number = 1;; ++number) {
      freeName.Format("%s%d", name.GetString(), number);
      if (!Exists(m_strParentFolder + "/" + freeName)) break;
    }
    CString freeFolder = m_strParentFolder + "/" + freeName;
    CString question = CString("Folder: ") + folder + "\nalready exists.\n\nDo you want to use this folder instead?\n" +
                       freeFolder;
    if (::MessageBoxA(m_hWnd, question, "Tavorin", MB_YESNO | MB_ICONQUESTION) != IDYES) return -1;
    name = freeName;
    folder = freeFolder;
  }
  m_strFolderName = name;
  m_strFolder = folder;
  SetDlgItemText(IDC_FOLDER_PAGE_NAME, name);
  return 0;
}
