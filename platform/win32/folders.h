// Where things are: the running program, the user's home and Documents folders. Results are
// paths in the system code page.
#pragma once

#include <string>

#include "platform/win32/windef.h"

#define CSIDL_PERSONAL 0x0005
#define CSIDL_APPDATA 0x001a
#define CSIDL_FLAG_CREATE 0x8000
#define SHGFP_TYPE_CURRENT 0

/// With a NULL module: the running program's path (from the kernel's link to it). Returns the
/// length copied; when the buffer is too small the path is cut to size - 1 characters, size
/// is returned and the last error is ERROR_INSUFFICIENT_BUFFER; 0 on failure.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
#define GetModuleFileName GetModuleFileNameA

/// CSIDL_PERSONAL is the XDG documents folder, CSIDL_APPDATA the XDG configuration folder;
/// with CSIDL_FLAG_CREATE a missing folder is created. path holds MAX_PATH characters.
/// Returns S_OK, E_INVALIDARG for other folders, E_FAIL when the path cannot be given.
HRESULT SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path);
#define SHGetFolderPath SHGetFolderPathA

/// The folder holding the running program, with a trailing '/'; empty when unknown.
std::string GetProgramFolder();
/// The shipped file or folder of that name (a relative path), looked for in this order: in
/// the program's folder; in a build tree, in the source's data folder; in share/tavorin/ beside
/// the program's bin folder (an installed prefix); in tavorin/ of each absolute $XDG_DATA_DIRS
/// folder (/usr/local/share:/usr/share when unset). Empty when none has it.
std::string FindShippedFile(const char* name);
/// The user's home folder ($HOME, else the password database), without a trailing '/'.
std::string GetHomeFolder();
/// The user's documents folder as `xdg-user-dir DOCUMENTS` gives it: XDG_DOCUMENTS_DIR from
/// $XDG_CONFIG_HOME/user-dirs.dirs, else home + "/Documents". No trailing '/'.
std::string GetDocumentsFolder();
