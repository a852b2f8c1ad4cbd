// The layout editor's child dialogs of other libraries: the caption editor (mirrored into the
// layout while it is up), the QR-code text and the template browser.
#include <algorithm>
#include <vector>

#include "platform/user/winuser.h"
#include "printlayout/PhotoboothCustomLayoutDlg.h"
#include "support/ProgramGlobals.h"

void CPhotoboothCustomLayoutDlg::OnEditCaptions() {
  if (!m_childDialogs.editCaptions || m_pCaptionEdit) return;
  std::vector<int>& selected = m_renderer.m_selectedCaptions;
  const std::vector<int> boxesBefore = m_renderer.m_selectedBoxes;
  const std::vector<int> captionsBefore = selected;
  PhotoboothCaption before[kLayoutCaptionCount];
  std::copy(m_model.captions, m_model.captions + kLayoutCaptionCount, before);

  // The editor's own steps are one change: nothing is recorded until it closes.
  m_bUndoSuspended = true;
  if (selected.size() > 1) {
    selected.erase(selected.begin() + 1, selected.end());
    Redraw(0);
  }
  LayoutCaptionEditRequest request;
  request.pageWidth = m_model.pageWidth;
  request.pageHeight = m_model.pageHeight;
  request.dpiX = m_model.dpiX;
  request.dpiY = m_model.dpiY;
  request.firstCaption = selected.empty() ? 0 : std::clamp(selected[0], 0, kLayoutCaptionCount - 1);
  std::copy(m_model.captions, m_model.captions + kLayoutCaptionCount, request.captions);
  m_pCaptionEdit = &request;
  const INT_PTR result = m_childDialogs.editCaptions(this, request);
  m_pCaptionEdit = nullptr;
  if (result == IDOK) {
    std::copy(request.captions, request.captions + kLayoutCaptionCount, m_model.captions);
  } else {
    std::copy(before, before + kLayoutCaptionCount, m_model.captions);
    m_renderer.m_selectedBoxes = boxesBefore;
    selected = captionsBefore;
  }
  m_bUndoSuspended = false;
  UpdateControls();
  Redraw(0);
}

bool CPhotoboothCustomLayoutDlg::MirrorCaptionEditor() {
  LayoutCaptionEditorLink* link = m_pCaptionEdit ? m_pCaptionEdit->open : nullptr;
  if (!link) return false;
  const int shown = link->ShownCaption();
  if (shown < 0 || shown >= kLayoutCaptionCount) return false;
  PhotoboothCaption& edited = link->EditedCaption();
  const bool centre = link->MoveToCenterRequested();
  std::vector<int>& selected = m_renderer.m_selectedCaptions;
  const bool onlyShown = selected.size() == 1 && selected[0] == shown;
  if (!centre && onlyShown && edited == m_model.captions[shown]) return false;
  selected.assign(1, shown);
  if (centre) {
    link->ClearMoveToCenter();
    int corners[8];
    m_editor.MeasureCaption(edited, corners);
    const int centreX = (std::min({corners[0], corners[2], corners[4], corners[6]}) +
                         std::max({corners[0], corners[2], corners[4], corners[6]})) / 2;
    const int centreY = (std::min({corners[1], corners[3], corners[5], corners[7]}) +
                         std::max({corners[1], corners[3], corners[5], corners[7]})) / 2;
    edited.m_nLeft -= centreX - m_model.pageWidth / 2;
    edited.m_nTop -= centreY - m_model.pageHeight / 2;
    link->RefreshControls();
  }
  m_model.captions[shown] = edited;
  return true;
}

void CPhotoboothCustomLayoutDlg::OnEditQRCode() {
  const std::vector<int>& boxes = m_renderer.m_selectedBoxes;
  if (!m_childDialogs.editQRCode || boxes.size() != 1) return;
  if (m_model.boxes[boxes[0]].image <= m_model.photos) return;
  CString text = m_strQRcode;
  int level = m_nQRcodeQuality;
  if (m_childDialogs.editQRCode(this, text, level) != IDOK) return;
  m_strQRcode = text;
  m_nQRcodeQuality = level;
  Redraw(0);
}

void CPhotoboothCustomLayoutDlg::OnImportLayout() {
  if (!m_childDialogs.browseTemplates) return;
  const CString path = m_childDialogs.browseTemplates(this, g_strPhotoboothTemplateBrowseDir);
  if (path.IsEmpty()) return;
  const int slash = path.ReverseFind('/');
  if (slash > 0) g_strPhotoboothTemplateBrowseDir = path.Left(slash);
  ImportLayout(path);
}
