// What the user must know about the settings at start: a file another program held (the run
// uses defaults and saves nothing until the file can be read) or a damaged file that was kept aside.
#include <string>

#include "app/MyQuilletView.h"
#include "platform/registry/registry.h"

void CMyQuilletView::TellSettingsProblems() {
  CWnd* frame = AfxGetMainWnd();
  HWND owner = frame ? frame->m_hWnd : nullptr;
  std::string kept = RegistryDamagedFileKept();
  if (!kept.empty()) {
    CString text = "The settings file was damaged. It was kept as\n";
    text += kept.c_str();
    text += "\nand Tavorin started with default settings.";
    ::MessageBoxA(owner, text, "Tavorin", MB_ICONWARNING);
  }
  if (RegistryReadsMissed()) {
    ::MessageBoxA(owner,
                  "The settings could not be read: another program is using the settings file.\n"
                  "Tavorin runs with default settings and saves no settings until it can read them.",
                  "Tavorin", MB_ICONWARNING);
  }
}
