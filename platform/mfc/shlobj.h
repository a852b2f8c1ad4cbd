// The shell's folder browser.
#pragma once

#include "platform/win32/windef.h"

#define BIF_RETURNONLYFSDIRS 0x00000001u
#define BIF_NEWDIALOGSTYLE 0x00000040u
#define BIF_EDITBOX 0x00000010u

struct ITEMIDLIST;
typedef ITEMIDLIST* LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;
typedef int(CALLBACK* BFFCALLBACK)(HWND, UINT, LPARAM, LPARAM);

// The browser calls lpfn with BFFM_INITIALIZED before it shows; the callback may then send
// BFFM_SETSELECTION (wParam TRUE, lParam the path) to the window it was given.
#define BFFM_INITIALIZED 1
#define BFFM_SELCHANGED 2
#define BFFM_SETSELECTIONA (0x0400 + 102)
#define BFFM_SETSELECTION BFFM_SETSELECTIONA

struct BROWSEINFOA {
  HWND hwndOwner;
  LPCITEMIDLIST pidlRoot;
  LPSTR pszDisplayName;  // receives the chosen folder's name (MAX_PATH characters)
  LPCSTR lpszTitle;
  UINT ulFlags;
  BFFCALLBACK lpfn;
  LPARAM lParam;
  int iImage;
};
typedef BROWSEINFOA BROWSEINFO;

/// Lets the user pick a folder; NULL when cancelled. Free the result with ILFree.
LPITEMIDLIST SHBrowseForFolderA(BROWSEINFOA* info);
#define SHBrowseForFolder SHBrowseForFolderA
/// Copies the folder path (MAX_PATH characters); FALSE for a bad item.
BOOL SHGetPathFromIDListA(LPCITEMIDLIST item, LPSTR path);
#define SHGetPathFromIDList SHGetPathFromIDListA
void ILFree(LPITEMIDLIST item);
