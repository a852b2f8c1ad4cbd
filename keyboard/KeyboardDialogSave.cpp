// Shift+Ctrl+release: the keyboard on the screen becomes a layout file and four TIFF images.
#include <string>

#include "keyboard/KeyboardDialog.h"
#include "keyboard/KeyboardLayoutFile.h"
#include "platform/mfc/shlobj.h"
#include "keyboard/WidePath_pvt.h"
#include "platform/win32/files.h"
#include "support/GdiplusHelpers.h"

namespace {

int CALLBACK StartInFolder(HWND hWnd, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) ::SendMessageA(hWnd, BFFM_SETSELECTION, TRUE, data);
  return 0;
}

// Asks for the folder; empty when cancelled.
CString ChooseFolder(HWND owner, const CString& start) {
  char name[MAX_PATH] = {0};
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pszDisplayName = name;
  info.lpszTitle = "Select folder to save keyboard settings";
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = StartInFolder;
  info.lParam = reinterpret_cast<LPARAM>(start.GetString());
  LPITEMIDLIST item = SHBrowseForFolderA(&info);
  if (!item) return CString();
  char path[MAX_PATH] = {0};
  BOOL ok = SHGetPathFromIDListA(item, path);
  ILFree(item);
  return ok ? CString(path) : CString();
}

}  // namespace

void CKeyboardDialog::SaveKeyboardLayout() {
  CString folder = ChooseFolder(m_hWnd, m_layoutFolder);
  if (folder.IsEmpty()) return;
  // The e-mail keyboard is saved under its own name even when it showed the general layout.
  CString name = m_editor.m_type == KeyboardEmail ? CString("email_keyboard") : m_layoutName;
  CString xmlPath = folder + "/" + name + ".xml";
  CString images[kKeyboardImageCount];
  for (int i = 0; i < kKeyboardImageCount; ++i) images[i] = KeyboardImagePath(folder, name, i, ".tif");

  CString existing;
  for (const CString& path : {xmlPath, images[0], images[1], images[2], images[3]}) {
    if (PathFileExistsA(path)) existing += "\n" + path;
  }
  if (!existing.IsEmpty() &&
      MessageBox("Do you wish to overwrite the following files:" + existing, "Tavorin", MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;
  }

  CLSID tiff;
  bool haveEncoder = GetEncoderClsid(u"image/tiff", &tiff) >= 0;
  for (int i = 0; i < kKeyboardImageCount; ++i) {
    std::u16string path = WidePath(images[i]);
    if (!haveEncoder || !m_images[i] || m_images[i]->Save(path.c_str(), &tiff) != Gdiplus::Ok) {
      MessageBox("Error saving keyboard image:\n" + images[i], "Tavorin", MB_OK | MB_ICONERROR);
      return;
    }
  }
  if (!WriteKeyboardLayoutFile(xmlPath, m_editor.m_layout)) {
    MessageBox("Error writing file: " + xmlPath, "Tavorin", MB_OK | MB_ICONERROR);
    return;
  }
  MessageBox("Keyboard settings saved in folder:\n" + folder, "Tavorin", MB_OK | MB_ICONINFORMATION);
}
