#include "platform/mfc/framewnd.h"

#include <QWidget>

#include "platform/mfc/statusbar.h"
#include "platform/mfc/winapp.h"
#include "platform/user/window_p.h"

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

BOOL CFrameWnd::Create(LPCSTR className, LPCSTR title, DWORD style, const RECT& rect, CWnd* parent, LPCSTR,
                       DWORD exStyle, CCreateContext* context) {
  bool useDefault = rect.left == CW_USEDEFAULT;
  m_pCreating = context;
  m_dwFrameStyle = style & FWS_ADDTOTITLE;
  style &= ~static_cast<DWORD>(FWS_ADDTOTITLE);
  BOOL created = CreateEx(exStyle, className, title, style, rect.left, rect.top,
                          useDefault ? 1024 : rect.right - rect.left, useDefault ? 768 : rect.bottom - rect.top,
                          parent ? parent->m_hWnd : nullptr, nullptr);
  m_pCreating = nullptr;
  return created;
}

BOOL CFrameWnd::LoadFrame(UINT resourceId, DWORD style, CWnd* parent, CCreateContext* context) {
  if (!Create(nullptr, AfxGetAppName(), style, rectDefault, parent, nullptr, 0, context)) return FALSE;
  LoadAccelTable(MAKEINTRESOURCE(resourceId));  // a frame without accelerators is fine
  return TRUE;
}

BOOL CFrameWnd::LoadAccelTable(LPCSTR resourceName) {
  m_hAccelTable = ::LoadAcceleratorsA(AfxGetInstanceHandle(), resourceName);
  return m_hAccelTable != nullptr;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT createStruct) {
  if (Default() == -1) return -1;
  if (m_pCreating && !OnCreateClient(createStruct, m_pCreating)) return -1;
  return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* context) {
  if (!context || !context->m_pNewViewClass) return TRUE;
  CObject* object = context->m_pNewViewClass->CreateObject();
  auto* view = dynamic_cast<CView*>(object);
  if (!view) {
    delete object;
    return FALSE;
  }
  if (!view->CreateView(this, context)) {
    delete view;
    return FALSE;
  }
  SetActiveView(view);
  return TRUE;
}

void CFrameWnd::RecalcLayout(BOOL) {
  if (!m_hWnd) return;
  CRect client;
  GetClientRect(&client);
  int top = ::GetMenuBarHeight(m_hWnd);
  int bottom = client.bottom;
  if (HWND status = ::GetDlgItem(m_hWnd, AFX_IDW_STATUS_BAR)) {
    int height = 0;
    if (QWidget* widget = user_p::WidgetOf(status)) height = widget->sizeHint().height();
    bottom -= height;
    ::MoveWindow(status, 0, bottom, client.Width(), height, TRUE);
  }
  HWND view = m_pViewActive ? m_pViewActive->m_hWnd : ::GetDlgItem(m_hWnd, AFX_IDW_PANE_FIRST);
  if (view) ::MoveWindow(view, 0, top, client.Width(), std::max(0, bottom - top), TRUE);
}

void CFrameWnd::OnSize(UINT, int, int) {
  Default();
  RecalcLayout();
}

void CFrameWnd::InitialUpdateFrame(CDocument*, BOOL makeVisible) {
  if (m_pViewActive) m_pViewActive->OnInitialUpdate();
  OnUpdateFrameTitle(TRUE);
  RecalcLayout();
  if (makeVisible) {
    CWinApp* app = AfxGetApp();
    ShowWindow(app && app->m_pMainWnd == this ? app->m_nCmdShow : SW_SHOW);
  }
}

void CFrameWnd::OnUpdateFrameTitle(BOOL addToTitle) {
  if (!(m_dwFrameStyle & FWS_ADDTOTITLE)) return;
  CDocument* document = GetActiveDocument();
  CString title = AfxGetAppName();
  if (addToTitle && document && !document->GetTitle().IsEmpty()) title = document->GetTitle() + " - " + title;
  SetWindowText(title);
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = CWnd::WindowProc(message, wParam, lParam);
  if (message == WM_ACTIVATE && m_pViewActive && ::IsWindow(m_pViewActive->m_hWnd))
    ::SendMessageA(m_pViewActive->m_hWnd, WM_ACTIVATE, wParam, lParam);
  return result;
}

BOOL CFrameWnd::PreTranslateMessage(MSG* msg) {
  if (m_hAccelTable && (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN)) {
    return ::TranslateAcceleratorA(m_hWnd, m_hAccelTable, msg) ? TRUE : FALSE;
  }
  return FALSE;
}

BOOL CFrameWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  // Menus and accelerators reach the frame; the view that shows the document acts first.
  if (m_pViewActive && m_pViewActive->m_hWnd && m_pViewActive->OnCommand(wParam, lParam)) return TRUE;
  return CWnd::OnCommand(wParam, lParam);
}

void CFrameWnd::PostNcDestroy() {
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd == this) {
    app->m_pMainWnd = nullptr;
    ::PostQuitMessage(0);  // the main window's end is the program's end
  }
  delete this;
}
