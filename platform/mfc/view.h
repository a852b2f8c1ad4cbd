// CView and CFormView: the frame's client window, bound to a document. A form view shows the
// controls of a dialog template and exchanges data with them like a dialog.
#pragma once

#include "platform/mfc/document.h"
#include "platform/mfc/wnd.h"

class CFrameWnd;

struct CCreateContext {
  const CRuntimeClass* m_pNewViewClass = nullptr;
  CDocument* m_pCurrentDoc = nullptr;
  CFrameWnd* m_pCurrentFrame = nullptr;
};

#define AFX_IDW_PANE_FIRST 0xE900

class CView : public CWnd {
 public:
  CDocument* GetDocument() const { return m_pDocument; }
  CFrameWnd* GetParentFrame() const;
  /// Called once, after the frame and document exist and before the frame shows.
  virtual void OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }
  virtual void OnUpdate(CView*, LPARAM, CObject*) { Invalidate(TRUE); }
  /// Draws the view; called from OnPaint with a paint DC.
  virtual void OnDraw(CDC*) {}
  /// FALSE when the view window cannot be made.
  virtual BOOL CreateView(CWnd* parent, CCreateContext* context);

  CDocument* m_pDocument = nullptr;

 protected:
  void OnPaint() override;
  void PostNcDestroy() override;  // views are made with new and end with their window
  void OnDestroy() override;
};

class CFormView : public CView {
 public:
  explicit CFormView(UINT templateId) : m_nIDTemplate(templateId) {}
  BOOL CreateView(CWnd* parent, CCreateContext* context) override;
  /// Default: moves the members into the controls.
  void OnInitialUpdate() override;
  BOOL PreTranslateMessage(MSG*) override { return FALSE; }

  UINT m_nIDTemplate;
};
