// The photos of the session: stepping through them, deleting, renaming and editing one.
#include <filesystem>

#include "app/ExternalCommand.h"
#include "app/FullscreenDlg.h"
#include "app/ImagePreviewDlg.h"
#include "app/MyQuilletView.h"
#include "app/RenameImageDlg.h"
#include "camera/TimeLapseDlg.h"
#include "platform/user/messagebox.h"
#include "platform/win32/codepage.h"
#include "platform/win32/files.h"
#include "platform/win32/folders.h"
#include "support/TextUtilities.h"

namespace {

int AskTavorin(const char* text, const char* caption, UINT type) {
  CWnd* frame = AfxGetMainWnd();
  return ::MessageBoxA(frame ? frame->m_hWnd : nullptr, text, caption, type);
}

}  // namespace

bool CMyQuilletView::HasCurrentImage() const {
  return m_nCurrentImage >= 0 && m_nCurrentImage < static_cast<int>(m_images.size());
}

void CMyQuilletView::OnPreviousImage() {
  int count = static_cast<int>(m_images.size());
  if (count == 0 || (count == 1 && HasCurrentImage())) return;
  int index = m_nCurrentImage - 1;
  if (index < 0 || index >= count) index = count - 1;
  ShowImage(index);
}

void CMyQuilletView::OnNextImage() {
  int count = static_cast<int>(m_images.size());
  if (count == 0) return;
  int index = m_nCurrentImage + 1;
  if (index < 0 || index >= count) index = 0;
  ShowImage(index);
}

bool CMyQuilletView::ShowImage(int index) {
  const CTVNImage& image = m_images[static_cast<size_t>(index)];
  DWORD size = 0;
  BYTE* jpeg = image.m_exif.ReadJpegBytes(size);
  if (!jpeg) return false;  // unreadable: skipped without a word
  m_nCurrentImage = index;
  delete m_pCurrentExif;
  m_pCurrentExif = new Exif(image.m_strFileName);
  delete[] m_pCurrentJpeg;
  m_pCurrentJpeg = jpeg;
  m_nCurrentJpegSize = size;
  if (m_pFullscreenDlg && m_pFullscreenDlg->m_hWnd && m_bFullScreen)
    m_pFullscreenDlg->PostMessage(WM_DISPLAY_JPEG, m_nCurrentJpegSize, reinterpret_cast<LPARAM>(m_pCurrentJpeg));
  RefreshDisplay();
  SetStatusText(ImageStatusText());
  UpdateControls();
  return true;
}

CString CMyQuilletView::ImageStatusText() {
  if (!HasCurrentImage()) return CString();
  const CString& path = m_images[static_cast<size_t>(m_nCurrentImage)].m_strFileName;
  CString text;
  text.Format("Image %d of %d: %s", m_nCurrentImage + 1, static_cast<int>(m_images.size()), path.GetString());
  std::error_code error;
  auto bytes = std::filesystem::file_size(NativePath(path), error);
  if (!error) text += " (" + FormatFileSize(static_cast<LONGLONG>(bytes)) + ")";
  if (m_pCurrentExif && !m_pCurrentExif->GetAperture().IsEmpty()) {
    CString summary = m_pCurrentExif->GetSummary();
    if (!summary.IsEmpty()) text += " - " + summary;
  }
  return text;
}

void CMyQuilletView::ClearDisplay() {
  if (m_picture.m_hWnd) m_picture.SetBitmap(nullptr);
  delete m_pDisplayBitmap;
  delete m_pHighlightBitmap;
  m_pDisplayBitmap = nullptr;
  m_pHighlightBitmap = nullptr;
  delete[] m_pCurrentJpeg;
  m_pCurrentJpeg = nullptr;
  m_nCurrentJpegSize = 0;
  if (m_pImagePreviewDlg && m_pImagePreviewDlg->m_bShown) m_pImagePreviewDlg->SetImage(nullptr, 0, 0);
  m_histogram.Reset();
  DrawHistogram();
  m_nCurrentImage = -1;
  UpdateControls();
}

void CMyQuilletView::OnDeleteImage() {
  if (!HasCurrentImage()) {
    ClearDisplay();
    return;
  }
  const CString path = m_images[static_cast<size_t>(m_nCurrentImage)].m_strFileName;
  if (!PathFileExistsA(path)) {
    ClearDisplay();
    return;
  }
  CString question;
  question.Format("Are you sure you wish to delete:\n%s", path.GetString());
  if (AskTavorin(question, "Druskel", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  if (!DeleteFileA(path)) {
    CString error;
    error.Format("Error deleting file: %s", path.GetString());
    AskTavorin(error, "Error", MB_ICONERROR);
    ClearDisplay();
    return;
  }
  if (path.Right(4).CompareNoCase(".crw") == 0) DeleteCompanionThumbnail(path);
  SetStatusText("Deleted " + path);
  m_images.erase(m_images.begin() + m_nCurrentImage);
  if (m_images.empty()) {
    ClearDisplay();
    return;
  }
  --m_nCurrentImage;
  OnNextImage();
  UpdateControls();
}

void CMyQuilletView::DeleteCompanionThumbnail(const CString& crwPath) {
  // The camera names the thumbnail in either case (IMG_0001.THM beside IMG_0001.CRW).
  std::filesystem::path crw(NativePath(crwPath));
  std::string stem = crw.stem().string();
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(crw.parent_path(), error)) {
    std::string name = entry.path().filename().string();
    if (name.size() != stem.size() + 4 || name.compare(0, stem.size(), stem) != 0) continue;
    if (CString(name.substr(stem.size()).c_str()).CompareNoCase(".thm") != 0) continue;
    std::error_code ignored;
    std::filesystem::remove(entry.path(), ignored);
  }
}

void CMyQuilletView::OnRenameImage() {
  if (!HasCurrentImage()) return;
  CTVNImage& image = m_images[static_cast<size_t>(m_nCurrentImage)];
  CRenameImageDlg dialog(image.m_strFileName, this);
  if (dialog.DoModal() != IDOK) return;
  CString error = image.m_exif.Rename(dialog.m_strNewPath);
  if (!error.IsEmpty()) {
    AskTavorin(error, "Tavorin", MB_ICONERROR);
    return;
  }
  image.m_strFileName = dialog.m_strNewPath;
  SetStatusText(ImageStatusText());
}

void CMyQuilletView::OnEditImage() {
  if (!HasCurrentImage()) return;
  const CString path = m_images[static_cast<size_t>(m_nCurrentImage)].m_strFileName;
  if (m_nShellExecute) {
    s_pfnShellOpen(path);
    return;
  }
  ExternalCommand command;
  if (!SplitExternalCommand(m_strLaunchEditorCmd, false, command)) {
    CString trimmed = m_strLaunchEditorCmd;
    trimmed.Trim();
    AskTavorin("Invalid command line - no closing quotes:\n" + trimmed, "Tavorin", MB_ICONERROR);
    return;
  }
  CString error;
  if (!LaunchExternalCommand(command, {path}, GetProgramFolder().c_str(), error))
    AskTavorin("Error trying to edit file:\n" + error, "Tavorin", MB_ICONERROR);
}

void CMyQuilletView::RunExternalCommand(int count) {
  if (!m_nAutoBracketCmdEnable || m_nStoreImage == 2) return;
  CString trimmed = m_strAutoBracketCmd;
  trimmed.Trim();
  int images = static_cast<int>(m_images.size());
  if (trimmed.IsEmpty() || count < 1 || count > images) return;
  std::vector<CString> files;
  for (int i = images - count; i < images; ++i) files.push_back(m_images[static_cast<size_t>(i)].m_strFileName);
  RunSeriesCommand(files);
}

void CMyQuilletView::RunSeriesCommand(const std::vector<CString>& files) {
  CString trimmed = m_strAutoBracketCmd;
  trimmed.Trim();
  if (!m_nAutoBracketCmdEnable || m_nStoreImage == 2 || trimmed.IsEmpty() || files.empty()) return;
  ExternalCommand command;
  if (!SplitExternalCommand(trimmed, true, command)) {
    AskTavorin("Invalid command line - no closing quotes:\n" + trimmed, "Tavorin", MB_ICONERROR);
    return;
  }
  CString error;
  if (!LaunchExternalCommand(command, files, GetProgramFolder().c_str(), error))
    AskTavorin("Error trying to run command:\n" + error, "Tavorin", MB_ICONERROR);
}

void CMyQuilletView::OnImagePreview() {
  if (!m_pCurrentJpeg) return;
  if (!m_pImagePreviewDlg) {
    auto* preview = new CImagePreviewDlg(this);
    if (!preview->Create(IDD_IMAGE_PREVIEW, this)) {
      delete preview;
      return;
    }
    m_pImagePreviewDlg = preview;
  }
  m_pImagePreviewDlg->ShowPreview();
  m_pImagePreviewDlg->SetImage(m_pCurrentJpeg, m_nCurrentJpegSize, m_nRotation);
  m_pImagePreviewDlg->StayOnTop(true);
}

void CMyQuilletView::OnTimeLapse() {
  CTimeLapseDlg dialog(this, [this] { OnTakePicture(); });
  dialog.m_openHelp = [this](const char* topic) { OpenHelpTopic(topic); };
  dialog.m_nInterval = m_nTimelapseInterval;
  dialog.m_nNumFrames = m_nTimelapseNumFrames;
  m_pTimeLapseWindow = &dialog;  // the camera messages of each shot go there too
  dialog.DoModal();
  m_pTimeLapseWindow = nullptr;
  m_nTimelapseInterval = dialog.m_nInterval;
  m_nTimelapseNumFrames = dialog.m_nNumFrames;
}
