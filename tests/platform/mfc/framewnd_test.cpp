#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <atomic>
#include <thread>

#include "platform/mfc/afxwin.h"

namespace {

enum { IDR_MAINFRAME = 128, IDD_FORM = 101, IDC_STATUS_TEXT = 1012, ID_TAKE_PICTURE = 1003 };

class CTestDoc : public CDocument {
  DECLARE_DYNCREATE(CTestDoc)
};
IMPLEMENT_DYNCREATE(CTestDoc, CDocument)

class CTestFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CTestFrame)
 public:
  CStatusBar m_wndStatusBar;
  void SetStatusText(int pane, CString text) { m_wndStatusBar.SetPaneText(pane, text); }

 protected:
  int OnCreate(LPCREATESTRUCT createStruct) override {
    if (CFrameWnd::OnCreate(createStruct) == -1) return -1;
    static const UINT indicators[] = {ID_SEPARATOR, 1, 2};
    if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(indicators, 3)) return -1;
    return 0;
  }
};
IMPLEMENT_DYNCREATE(CTestFrame, CFrameWnd)

class CTestView : public CFormView {
  DECLARE_DYNCREATE(CTestView)
 public:
  CTestView() : CFormView(IDD_FORM) {}
  int m_initialUpdates = 0;
  int m_pictures = 0;
  CString m_status = "Not connected";
  void OnInitialUpdate() override {
    ++m_initialUpdates;
    CFormView::OnInitialUpdate();
  }
  void DoDataExchange(CDataExchange* dx) override { DDX_Text(dx, IDC_STATUS_TEXT, m_status); }
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    if (LOWORD(wParam) == ID_TAKE_PICTURE) {
      ++m_pictures;
      return TRUE;
    }
    return CFormView::OnCommand(wParam, lParam);
  }
};
IMPLEMENT_DYNCREATE(CTestView, CFormView)

class CTestApp : public CWinApp {
 public:
  CTestApp() : CWinApp("Tavorin") {}
};

}  // namespace

TEST(FrameWndTest, DocumentTemplateBuildsFrameViewAndDocumentThenQuitsWithTheMainWindow) {
  AfxRegisterDialogTemplate({IDD_FORM, "", {{IDC_STATUS_TEXT, DlgItemKind::ReadOnly, "Status:"}}});
  ACCEL keys[] = {{FVIRTKEY, VK_F8, ID_TAKE_PICTURE}};
  AddAcceleratorResource(IDR_MAINFRAME, keys, 1);
  CTestApp app;
  app.AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CTestDoc), RUNTIME_CLASS(CTestFrame),
                                            RUNTIME_CLASS(CTestView)));
  CCommandLineInfo info;
  app.ParseCommandLine(info);
  ASSERT_TRUE(app.ProcessShellCommand(info));

  auto* frame = dynamic_cast<CTestFrame*>(AfxGetMainWnd());
  ASSERT_NE(frame, nullptr);
  auto* view = dynamic_cast<CTestView*>(frame->GetActiveView());
  ASSERT_NE(view, nullptr);
  EXPECT_NE(dynamic_cast<CTestDoc*>(view->GetDocument()), nullptr);
  EXPECT_EQ(view->m_initialUpdates, 1);
  EXPECT_TRUE(frame->IsWindowVisible());
  CString title, status;
  frame->GetWindowText(title);
  EXPECT_EQ(title, "Untitled - Tavorin");
  view->GetDlgItemText(IDC_STATUS_TEXT, status);
  EXPECT_EQ(status, "Not connected");

  // The view fills the frame above the status bar.
  CRect client, viewRect, barRect;
  frame->GetClientRect(&client);
  view->GetWindowRect(&viewRect);
  frame->m_wndStatusBar.GetWindowRect(&barRect);
  frame->ScreenToClient(&viewRect);
  frame->ScreenToClient(&barRect);
  EXPECT_EQ(viewRect.Width(), client.Width());
  EXPECT_EQ(barRect.bottom, client.bottom);
  EXPECT_LE(viewRect.bottom, barRect.top);

  // An accelerator key becomes the view's command.
  MSG key{view->m_hWnd, WM_KEYDOWN, VK_F8, 1, 0, {0, 0}};
  EXPECT_EQ(FilterAndDispatch(&key), 0);
  EXPECT_EQ(view->m_pictures, 1);

  // Status text from a worker thread reaches the pane on the UI thread.
  std::atomic<bool> done{false};
  std::thread worker([&] {
    frame->SetStatusText(0, "Downloading image...");
    done = true;
  });
  while (!done) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  worker.join();
  EXPECT_EQ(frame->m_wndStatusBar.GetPaneText(0), "Downloading image...");
  EXPECT_FALSE(frame->m_wndStatusBar.SetPaneText(7, "no such pane"));

  // Closing the main window ends the message loop.
  frame->PostMessage(WM_CLOSE);
  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(AfxGetMainWnd(), nullptr);
}

TEST(WndTest, HandlersGetTheirMessagesAndTemporaryWrappersFollowTheWindow) {
  class CProbe : public CWnd {
   public:
    int created = 0, sizes = 0, lastCx = 0, keys = 0, keyRepeat = -1;
    CPoint click;

   protected:
    int OnCreate(LPCREATESTRUCT cs) override {
      ++created;
      return CWnd::OnCreate(cs);
    }
    void OnSize(UINT, int cx, int) override {
      ++sizes;
      lastCx = cx;
    }
    void OnLButtonDown(UINT, CPoint point) override { click = point; }
    void OnKeyDown(UINT, UINT, UINT flags) override {
      ++keys;
      keyRepeat = (flags & 0x4000) ? 1 : 0;  // previous-state bit of an auto-repeat
    }
  } probe;
  ASSERT_TRUE(probe.CreateEx(0, nullptr, "probe", WS_OVERLAPPEDWINDOW, 0, 0, 120, 80, nullptr, nullptr));
  EXPECT_EQ(probe.created, 1);
  EXPECT_EQ(CWnd::FromHandle(probe.m_hWnd), &probe);
  probe.MoveWindow(0, 0, 300, 200);
  EXPECT_GE(probe.sizes, 1);
  // The 300 is the outer width of a top-level window; WM_SIZE reports the client width.
  CRect client;
  probe.GetClientRect(&client);
  EXPECT_EQ(probe.lastCx, client.Width());
  EXPECT_GT(probe.lastCx, 280);
  EXPECT_LE(probe.lastCx, 300);
  probe.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 34));
  EXPECT_EQ(probe.click, CPoint(12, 34));
  probe.SendMessage(WM_KEYDOWN, VK_SPACE, 1 | (1 << 30));
  EXPECT_EQ(probe.keyRepeat, 1);

  HWND button = ::CreateWindowExA(0, "BUTTON", "Go", WS_CHILD | BS_PUSHBUTTON, 0, 0, 50, 20, probe.m_hWnd,
                                  reinterpret_cast<HMENU>(42), nullptr, nullptr);
  CWnd* wrapper = probe.GetDlgItem(42);
  ASSERT_NE(wrapper, nullptr);
  EXPECT_EQ(wrapper->m_hWnd, button);
  CString text;
  wrapper->GetWindowText(text);
  EXPECT_EQ(text, "Go");
  EXPECT_EQ(CWnd::FromHandlePermanent(button), nullptr);
  probe.DestroyWindow();
  EXPECT_EQ(probe.m_hWnd, nullptr);
  EXPECT_EQ(CWnd::FromHandle(button), nullptr);
}

TEST(WndTest, WaitCursorNests) {
  {
    CWaitCursor outer;
    {
      CWaitCursor inner;
      ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
      EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  }
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// A main window opens on the screen's free area: wholly at its default size; at a given
// placement as it is, unless none of it is on the screen.
TEST(FrameWndTest, TheFrameOpensWhollyOnTheScreen) {
  RECT work{};
  ASSERT_TRUE(::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  const CRect free(work);
  struct Case {
    const char* what;
    CRect asked;
    bool staysAsAsked;
  } cases[] = {
      {"the default size", CFrameWnd::rectDefault, false},
      {"a placement on the screen", CRect(free.left + 20, free.top + 10, free.left + 420, free.top + 310), true},
      {"partly on the screen", CRect(free.right - 100, free.bottom - 50, free.right + 300, free.bottom + 250), true},
      {"below and right of the screen", CRect(free.right + 100, free.bottom + 50, free.right + 500, free.bottom + 350),
       false},
      {"above and left of the screen", CRect(free.left - 500, free.top - 400, free.left - 100, free.top - 100), false},
      {"larger than the screen, off it", CRect(free.right + 10, free.top, free.right + 2000, free.bottom + 300),
       false},
  };
  for (const Case& each : cases) {
    SCOPED_TRACE(each.what);
    auto* frame = new CFrameWnd;  // the window's end deletes it
    ASSERT_TRUE(frame->Create(nullptr, "Frame", WS_OVERLAPPEDWINDOW, each.asked));
    frame->ShowWindow(SW_SHOW);
    QCoreApplication::processEvents();
    CRect placed;
    frame->GetWindowRect(&placed);
    EXPECT_GT(placed.Width(), 0);
    EXPECT_GT(placed.Height(), 0);
    if (each.staysAsAsked) {
      EXPECT_EQ(placed, each.asked);
    } else {
      EXPECT_GE(placed.left, free.left);
      EXPECT_GE(placed.top, free.top);
      EXPECT_LE(placed.right, free.right);
      EXPECT_LE(placed.bottom, free.bottom);
    }
    // Moved onto the screen, a window that fits keeps its size.
    if (each.asked.left != CW_USEDEFAULT && each.asked.Width() <= free.Width() &&
        each.asked.Height() <= free.Height()) {
      EXPECT_EQ(placed.Size(), each.asked.Size());
    }
    frame->DestroyWindow();
  }
}
