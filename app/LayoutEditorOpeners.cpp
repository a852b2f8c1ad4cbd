#include "app/LayoutEditorOpeners.h"

#include "config/EditCaptionDlg.h"
#include "config/TemplateBrowserDlg.h"
#include "printlayout/PhotoboothCustomLayoutDlg.h"
#include "sharing/QRCodeEditDlg.h"

namespace {

class CaptionEditorLink : public LayoutCaptionEditorLink {
 public:
  explicit CaptionEditorLink(CEditCaptionDlg& dialog) : m_dialog(dialog) {}
  int ShownCaption() const override { return m_dialog.m_nCurrentCaption; }
  PhotoboothCaption& EditedCaption() override { return m_dialog.m_caption; }
  bool MoveToCenterRequested() const override { return m_dialog.m_bMoveToCenter != FALSE; }
  void ClearMoveToCenter() override { m_dialog.m_bMoveToCenter = FALSE; }
  void RefreshControls() override { m_dialog.RefreshControls(); }

 private:
  CEditCaptionDlg& m_dialog;
};

INT_PTR EditCaptions(CWnd* parent, LayoutCaptionEditRequest& request) {
  CEditCaptionDlg dialog(parent);
  dialog.m_nPageWidth = request.pageWidth;
  dialog.m_nPageHeight = request.pageHeight;
  dialog.m_nDpiX = request.dpiX;
  dialog.m_nDpiY = request.dpiY;
  dialog.m_nCurrentCaption = request.firstCaption;
  for (int i = 0; i < kLayoutCaptionCount; ++i) dialog.m_captions[i] = request.captions[i];
  CaptionEditorLink link(dialog);
  request.open = &link;
  const INT_PTR result = dialog.DoModal();
  request.open = nullptr;
  if (result == IDOK)
    for (int i = 0; i < kLayoutCaptionCount; ++i) request.captions[i] = dialog.m_captions[i];
  return result;
}

INT_PTR EditQRCode(CWnd* parent, CString& text, int& level) {
  CQRCodeEditDlg dialog(parent);
  dialog.m_text = text;
  dialog.m_level = level;
  const INT_PTR result = dialog.DoModal();
  if (result == IDOK) {
    text = dialog.m_text;
    level = dialog.m_level;
  }
  return result;
}

CString BrowseTemplates(CWnd* parent, const CString& folder) {
  CTemplateBrowserDlg dialog(parent);
  dialog.m_strTemplateFolder = folder;
  return dialog.DoModal() == IDOK ? dialog.m_strResultPath : CString();
}

}  // namespace

void ConnectLayoutEditorDialogs(CPhotoboothCustomLayoutDlg& editor) {
  editor.m_childDialogs.editCaptions = EditCaptions;
  editor.m_childDialogs.editQRCode = EditQRCode;
  editor.m_childDialogs.browseTemplates = BrowseTemplates;
}
