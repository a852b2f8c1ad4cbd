// Start-up: a minimal application object whose main window is an empty frame with a status
// bar. TAVORIN_QUIT_AFTER_MS=<n> closes it after n milliseconds (scripts and start-up tests).
#include <cstdlib>

#include "platform/mfc/afxwin.h"

namespace {

class CMainFrame : public CFrameWnd {
 public:
  CStatusBar m_wndStatusBar;

 protected:
  int OnCreate(LPCREATESTRUCT createStruct) override {
    if (CFrameWnd::OnCreate(createStruct) == -1) return -1;
    static const UINT indicators[] = {ID_SEPARATOR};
    if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(indicators, 1)) return -1;
    m_wndStatusBar.SetPaneText(0, "Ready");
    return 0;
  }
};

class CTavorinApp : public CWinApp {
 public:
  BOOL InitInstance() override {
    auto* frame = new CMainFrame;
    if (!frame->Create(nullptr, "Tavorin")) return FALSE;  // a frame whose window failed deleted itself
    m_pMainWnd = frame;
    frame->ShowWindow(m_nCmdShow);
    frame->UpdateWindow();
    if (const char* quitAfter = std::getenv("TAVORIN_QUIT_AFTER_MS")) {
      ::SetTimer(nullptr, 0, static_cast<UINT>(std::atoi(quitAfter)), [](HWND, UINT, UINT_PTR id, DWORD) {
        ::KillTimer(nullptr, id);
        if (CWnd* main = AfxGetMainWnd()) main->PostMessage(WM_CLOSE);
      });
    }
    return TRUE;
  }
};

CTavorinApp theApp;

}  // namespace

int main(int argc, char** argv) { return AfxWinMain(argc, argv); }
