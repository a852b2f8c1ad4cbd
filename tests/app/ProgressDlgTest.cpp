#include <cstring>
#include <fstream>

#include "AppTestSupport.h"
#include "app/BitmapFile.h"
#include "app/ProgressDlg.h"
#include "app/ProgressDlg2.h"
#include "platform/mfc/dialogscript.h"
#include "platform/win32/thread.h"

namespace {

// Lets a scripted dialog run until it ends; gives up after a minute so a broken close fails
// the test instead of hanging it.
std::function<bool()> UntilClosedOrGivenUp() {
  DWORD start = GetTickCount();
  return [start] { return GetTickCount() - start > 60000; };
}

// A window that counts the cancel requests of a progress window.
class CancelCounter : public CWnd {
 public:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_PROGRESS_CANCEL) ++m_cancels;
    return CWnd::WindowProc(message, wParam, lParam);
  }
  int m_cancels = 0;
};

TEST(ProgressDlgTest, ACloseBeforeTheWindowExistsStillEndsTheDialog) {
  CProgressDlg connecting;
  connecting.PostClose();  // the worker finished before DoModal made the window
  EXPECT_EQ(0, connecting.DoModal());

  CProgressDlg2 printing;
  printing.PostClose();
  EXPECT_EQ(0, printing.DoModal());
}

TEST(ProgressDlgTest, AWorkerThreadClosesTheOpenDialog) {
  CProgressDlg2 printing;
  HANDLE worker = nullptr;
  PushDialogScript(DialogScript(209).Call([&](CDialog*) {
    worker = CreateThread(nullptr, 0, [](LPVOID dialog) -> DWORD {
      auto* progress = static_cast<CProgressDlg2*>(dialog);
      ::PostMessageA(progress->m_hWnd, WM_PROGRESS_POS, 40, 0);
      progress->PostClose();
      return 0;
    }, &printing, 0, nullptr);
  }).RunUntil(UntilClosedOrGivenUp()));
  EXPECT_EQ(0, printing.DoModal());
  ASSERT_NE(nullptr, worker);
  WaitForSingleObject(worker, INFINITE);
  CloseHandle(worker);
}

TEST(ProgressDlgTest, TheConnectionWindowShowsTheSplashAndTheStatusText) {
  ASSERT_FALSE(FindSplashBitmap().IsEmpty());
  CProgressDlg connecting;
  EXPECT_NE(nullptr, connecting.m_hSplash);
  CString shown, afterNull;
  PushDialogScript(DialogScript(188).Call([&](CDialog* dialog) {
    dialog->SendMessage(WM_PROGRESS_TEXT, 0, reinterpret_cast<LPARAM>("Connecting to camera..."));
    dialog->GetDlgItemText(IDC_PROGRESS_TEXT, shown);
    dialog->SendMessage(WM_PROGRESS_TEXT, 0, 0);
    dialog->GetDlgItemText(IDC_PROGRESS_TEXT, afterNull);
    CRect client;
    dialog->GetClientRect(&client);
    BITMAP info{};
    GetObjectA(connecting.m_hSplash, sizeof(info), &info);
    EXPECT_GE(client.Width(), info.bmWidth);
    EXPECT_GT(client.Height(), info.bmHeight);
    dialog->PostMessage(WM_PROGRESS_CLOSE);
  }).RunUntil(UntilClosedOrGivenUp()));
  EXPECT_EQ(0, connecting.DoModal());
  EXPECT_EQ(CString("Connecting to camera..."), shown);
  EXPECT_EQ(CString("Connecting to camera..."), afterNull);
}

TEST(ProgressDlgTest, CancelAsksTheOwnerAndTheWindowStaysOpen) {
  CancelCounter owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
  struct Row {
    bool cancelAllowed;
    int cancelsAfterEscape;
  } rows[] = {{true, 2}, {false, 1}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.cancelAllowed);
    owner.m_cancels = 0;
    CProgressDlg2 printing(&owner);
    printing.m_bCancelAllowed = row.cancelAllowed;
    printing.m_strTitle = "Printing";
    CString title;
    bool stillOpen = false;
    PushDialogScript(DialogScript(209).Call([&](CDialog* dialog) {
      dialog->GetWindowText(title);
      dialog->SendMessage(WM_COMMAND, IDC_PROGRESS_CANCEL, 0);
      dialog->SendMessage(WM_COMMAND, IDCANCEL, 0);  // Escape
      PumpWaitingMessages();
      stillOpen = ::IsWindow(dialog->m_hWnd) && dialog->IsWindowVisible();
      static_cast<CProgressDlg2*>(dialog)->PostClose();
    }).RunUntil(UntilClosedOrGivenUp()));
    EXPECT_EQ(0, printing.DoModal());
    PumpWaitingMessages();
    EXPECT_EQ(CString("Printing"), title);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(row.cancelsAfterEscape, owner.m_cancels);
  }
}

TEST(BitmapFileTest, DamagedOrForeignFilesGiveNoBitmap) {
  std::vector<char> splash;
  {
    std::ifstream in(FindSplashBitmap().GetString(), std::ios::binary);
    splash.assign(std::istreambuf_iterator<char>(in), {});
  }
  ASSERT_GT(splash.size(), 54u);
  struct Row {
    const char* name;
    size_t keep;        // bytes kept of the good file
    int patchOffset;    // -1: none
    char patchValue;
  } rows[] = {
      {"truncated-pixels", 1000, -1, 0},
      {"header-only", 30, -1, 0},
      {"wrong-magic", 0, 0, 'X'},
      {"eight-bit", 0, 28, 8},
      {"compressed", 0, 30, 1},
      {"pixels-past-end", 0, 11, 0x7F},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<char> bytes = splash;
    if (row.keep) bytes.resize(row.keep);
    if (row.patchOffset >= 0) bytes[row.patchOffset] = row.patchValue;
    std::string path = TestFolder() + "/" + row.name + ".bmp";
    std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
    EXPECT_EQ(nullptr, LoadBitmapFile(path.c_str()));
  }
  EXPECT_EQ(nullptr, LoadBitmapFile((TestFolder() + "/missing.bmp").c_str()));
  HBITMAP good = LoadBitmapFile(FindSplashBitmap());
  ASSERT_NE(nullptr, good);
  BITMAP info{};
  GetObjectA(good, sizeof(info), &info);
  EXPECT_EQ(360, info.bmWidth);
  EXPECT_EQ(140, info.bmHeight);
  DeleteObject(good);
}

}  // namespace

TEST(ProgressDlgTest, WorkersSendTheTextLineAndTheBarFollowsItsSwitch) {
  struct Row {
    bool showBar;
  } rows[] = {{true}, {false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.showBar);
    CProgressDlg2 processing;
    processing.m_strTitle = "Processing images";
    processing.m_bShowBar = row.showBar;
    HANDLE worker = nullptr;
    CString shown;
    bool barVisible = !row.showBar;
    PushDialogScript(DialogScript(209).Call([&](CDialog*) {
      worker = CreateThread(nullptr, 0, [](LPVOID dialog) -> DWORD {
        auto* progress = static_cast<CProgressDlg2*>(dialog);
        char text[64] = "Preparing image 1 of 4";
        ::SendMessageA(progress->m_hWnd, WM_PROGRESS_TEXT, 0, reinterpret_cast<LPARAM>(text));
        std::strcpy(text, "overwritten after the send");  // the window took its copy
        ::PostMessageA(progress->m_hWnd, WM_PROGRESS_POS, 25, 0);
        return 0;
      }, &processing, 0, nullptr);
    }).RunUntil([&, start = GetTickCount()] {
      if (GetTickCount() - start > 60000) {
        processing.PostClose();  // give up rather than hang
        return true;
      }
      if (shown.IsEmpty() && worker && WaitForSingleObject(worker, 0) == WAIT_OBJECT_0 && processing.m_hWnd) {
        PumpWaitingMessages();
        processing.GetDlgItemText(IDC_PROGRESS_TEXT, shown);
        barVisible = ::IsWindowVisible(processing.m_progress.m_hWnd);
        processing.PostClose();  // the window ends itself; the script waits for that
      }
      return false;
    }));
    EXPECT_EQ(0, processing.DoModal());
    ASSERT_NE(nullptr, worker);
    WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
    EXPECT_EQ(CString("Preparing image 1 of 4"), shown);
    EXPECT_EQ(row.showBar, barVisible);
  }
}
