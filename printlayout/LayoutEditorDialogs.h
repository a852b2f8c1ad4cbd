// The layout editor's child dialogs that other libraries build (caption editor, QR-code text,
// template browser). Whoever opens the editor hands them in; a missing one greys its command.
#pragma once

#include <functional>

#include "platform/mfc/cstring.h"
#include "platform/win32/windef.h"
#include "printlayout/PhotoboothCaption.h"
#include "printlayout/PhotoboothCustomLayoutBox.h"

class CWnd;

/// An open caption editor as the layout editor's timer sees it.
class LayoutCaptionEditorLink {
 public:
  virtual ~LayoutCaptionEditorLink() = default;
  /// Index 0-11 of the caption the editor shows.
  virtual int ShownCaption() const = 0;
  /// The shown caption as it is being edited.
  virtual PhotoboothCaption& EditedCaption() = 0;
  virtual bool MoveToCenterRequested() const = 0;
  virtual void ClearMoveToCenter() = 0;
  /// Shows the edited caption in the controls again after the layout editor moved it.
  virtual void RefreshControls() = 0;
};

/// What the caption editor is given and, after IDOK, gives back.
struct LayoutCaptionEditRequest {
  int pageWidth = 0;
  int pageHeight = 0;
  int dpiX = 0;
  int dpiY = 0;
  int firstCaption = 0;
  PhotoboothCaption captions[kLayoutCaptionCount];
  /// Set by the opener while its dialog is up, so the layout editor can mirror it.
  LayoutCaptionEditorLink* open = nullptr;
};

struct LayoutEditorDialogs {
  /// Runs the caption editor modally on the request; returns IDOK or IDCANCEL.
  std::function<INT_PTR(CWnd* parent, LayoutCaptionEditRequest& request)> editCaptions;
  /// Edits the QR text and level; they are changed only when IDOK is returned.
  std::function<INT_PTR(CWnd* parent, CString& text, int& level)> editQRCode;
  /// The full path of the template chosen in a browser started on `folder`; empty for none.
  std::function<CString(CWnd* parent, const CString& folder)> browseTemplates;
};
