// The layout editor's files: the background and overlay images of the images folder (import,
// delete, drop) and the layout file (export, import, drop).
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/mfc/filedialog.h"
#include "platform/user/messagebox.h"
#include "platform/user/shellapi.h"
#include "platform/user/winuser.h"
#include "platform/win32/files.h"
#include "printlayout/PhotoboothCustomLayoutDlg.h"
#include "printlayout/PrintLayoutFile.h"
#include "printlayout/PrinterMargins.h"
#include "support/ProgramGlobals.h"

namespace {

bool EndsWithNoCase(const CString& text, const char* ending) {
  const int length = static_cast<int>(std::strlen(ending));
  return text.GetLength() >= length && text.Right(length).CompareNoCase(ending) == 0;
}

CString FolderOf(const CString& path) {
  const int slash = path.ReverseFind('/');
  return slash > 0 ? path.Left(slash) : CString();
}

// The folder of the last background or overlay imported in this run, whichever editor did it.
CString g_strLastLayerImportFolder;

}  // namespace

bool CPhotoboothCustomLayoutDlg::CopyLayer(const CString& source, const CString& target) {
  // A failed copy must not cost the old image: copy beside it, then rename over it.
  const CString temporary = target + ".copying";
  if (CopyFileA(source, temporary, FALSE) && MoveFileA(temporary, target)) return true;
  DeleteFileA(temporary);
  ::MessageBoxA(m_hWnd, "Error copying " + source + "\nto " + target, nullptr, MB_OK);
  return false;
}

void CPhotoboothCustomLayoutDlg::ImportLayer(bool background) {
  CFileDialog dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY,
                     background ? "JPEG files (*.jpg)|*.jpg||" : "PNG files (*.png)|*.png||", this);
  dialog.m_ofn.lpstrTitle = background ? "Select background.jpg image" : "Select overlay.png image";
  if (!g_strLastLayerImportFolder.IsEmpty()) dialog.m_ofn.lpstrInitialDir = g_strLastLayerImportFolder;
  if (dialog.DoModal() != IDOK) return;
  const CString source = dialog.GetPathName();
  g_strLastLayerImportFolder = FolderOf(source);
  const CString target = LayerPath(background ? "background.jpg" : "overlay.png");
  if (PathFileExistsA(target) && Ask(target + " exists.\n\nDo you want to overwrite it?", MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  if (!CopyLayer(source, target)) return;
  if (background) {
    m_renderer.DropBackground();
    CheckDlgButton(IDC_LAYOUT_SHOW_BACKGROUND, BST_CHECKED);
    PhotoboothLayoutRenderer::s_show.background = true;
  } else {
    m_renderer.DropOverlay();
    CheckDlgButton(IDC_LAYOUT_SHOW_OVERLAY, BST_CHECKED);
    PhotoboothLayoutRenderer::s_show.overlay = true;
  }
  UpdateControls();
  Redraw(0);
}

void CPhotoboothCustomLayoutDlg::DeleteLayer(bool background) {
  const char* name = background ? "background.jpg" : "overlay.png";
  const CString target = LayerPath(name);
  if (!PathFileExistsA(target)) return;
  CString question;
  question.Format("Are you sure you want to delete the %s image?\n\nThis will permanently delete the file:\n", name);
  question += m_strImageDir + "/" + name + "\nand cannot be undone.";
  if (Ask(question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  if (background)
    m_renderer.DropBackground();
  else
    m_renderer.DropOverlay();
  if (!DeleteFileA(target)) ::MessageBoxA(m_hWnd, "Error deleting file", nullptr, MB_OK);
  Redraw(0);
  UpdateControls();
}

void CPhotoboothCustomLayoutDlg::OnDropFiles(HDROP drop) {
  const UINT count = DragQueryFile(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    char buffer[4096] = {};
    if (!DragQueryFile(drop, i, buffer, sizeof(buffer))) continue;
    const CString path = buffer;
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    if (EndsWithNoCase(path, ".pblt")) {
      if (Ask("Load this photobooth layout template?\n" + path, MB_YESNO | MB_ICONQUESTION) == IDYES)
        ImportLayout(path);
      continue;
    }
    const bool background = EndsWithNoCase(path, ".jpg");
    if (!background && !EndsWithNoCase(path, ".png")) continue;
    const CString target = LayerPath(background ? "background.jpg" : "overlay.png");
    const CString question = PathFileExistsA(target) ? target + " exists.\n\nDo you want to overwrite it?"
                             : background          ? "Load this JPEG as a background image?\n" + target
                                                   : "Load this PNG as an overlay image?\n" + target;
    if (Ask(question, MB_YESNO | MB_ICONQUESTION) != IDYES) continue;
    if (!CopyLayer(path, target)) continue;
    if (background)
      m_renderer.DropBackground();
    else
      m_renderer.DropOverlay();
    UpdateControls();
    Redraw(0);
  }
  DragFinish(drop);
}

BOOL CPhotoboothCustomLayoutDlg::ImportLayout(const char* path) {
  PrintLayoutFileHooks hooks;
  hooks.messageBox = [this](const char* text, UINT type) { return Ask(text, type); };
  hooks.pageChanged = [this] {
    m_renderer.DropAllCaches();
    ReadPageMetrics();
    GetPrinterMargins(m_model.leftMargin, m_model.topMargin, m_model.rightMargin, m_model.bottomMargin);
  };
  hooks.layersReplacing = [this] { m_renderer.DropLayerCaches(); };
  hooks.invalidate = [this] { Invalidate(); };
  hooks.layoutReplaced = [this] {
    FillCombos();
    m_undo.clear();
    m_nUndoPosition = 0;
    m_nLastUndoTag = 0;
    m_renderer.m_selectedBoxes.clear();
    m_renderer.m_selectedCaptions.clear();
    Redraw(0);
    MoveDataToControls();
    UpdateControls();
  };
  return ImportPrintLayout(path, m_model, m_strImageDir, hooks);
}

void CPhotoboothCustomLayoutDlg::OnExportLayout() {
  CFileDialog dialog(FALSE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR,
                     "Print layout (*.pblt)|*.pblt||", this);
  dialog.m_ofn.lpstrTitle = "Save Photobooth Print Layout";
  if (!g_strPhotoboothImageBrowseDir.IsEmpty()) dialog.m_ofn.lpstrInitialDir = g_strPhotoboothImageBrowseDir;
  if (dialog.DoModal() != IDOK) return;
  const CString path = WithPrintLayoutExtension(dialog.GetPathName());
  g_strPhotoboothImageBrowseDir = FolderOf(path);
  ReadControls();
  RECT client{0, 0, 0, 0};
  GetClientRect(&client);
  m_bUndoSuspended = true;
  const std::vector<BYTE> thumbnail = m_renderer.MakeThumbnail(client.right, client.bottom, ControlsRight());
  m_bUndoSuspended = false;
  RestoreUndo();
  PrintLayoutFileHooks hooks;
  hooks.messageBox = [this](const char* text, UINT type) { return Ask(text, type); };
  ExportPrintLayout(path, m_model, m_strImageDir, thumbnail, hooks);
}
