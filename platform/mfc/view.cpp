#include "platform/mfc/view.h"

#include "platform/mfc/dlgtemplate.h"
#include "platform/mfc/framewnd.h"
#include "platform/mfc/windowdc.h"
#include "platform/win32/trace.h"

CFrameWnd* CView::GetParentFrame() const {
  return dynamic_cast<CFrameWnd*>(CWnd::FromHandlePermanent(::GetParent(m_hWnd)));
}

BOOL CView::CreateView(CWnd* parent, CCreateContext* context) {
  if (!parent) return FALSE;
  if (context && context->m_pCurrentDoc) context->m_pCurrentDoc->AddView(this);
  return CreateEx(0, nullptr, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent->m_hWnd,
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_PANE_FIRST)));
}

void CView::OnPaint() {
  CPaintDC dc(this);
  if (dc.m_hDC) OnDraw(&dc);
}

void CView::OnDestroy() {
  if (m_pDocument) m_pDocument->RemoveView(this);
  Default();
}

void CView::PostNcDestroy() { delete this; }

BOOL CFormView::CreateView(CWnd* parent, CCreateContext* context) {
  if (!CView::CreateView(parent, context)) return FALSE;
  if (const DlgTemplate* form = AfxFindDialogTemplate(m_nIDTemplate)) {
    AfxBuildDialogControls(m_hWnd, *form, TRUE);
  } else {
    TRACE("CFormView::CreateView() - no dialog template %u\n", m_nIDTemplate);
  }
  return TRUE;
}

void CFormView::OnInitialUpdate() { UpdateData(FALSE); }
