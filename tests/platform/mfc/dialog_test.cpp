#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QWidget>
#include <QWindow>
#include <atomic>
#include <thread>

#include "platform/mfc/afxwin.h"
#include "platform/mfc/dialogscript.h"
#include "platform/user/window_p.h"
#include "platform/win32/thread.h"

namespace {

enum { IDD_SETTINGS = 9101, IDC_COUNT = 1001, IDC_RATIO = 1002, IDC_FLASH = 1003, IDC_MODE = 1004, IDC_SIZE_S = 1005,
       IDC_SIZE_M = 1006, IDC_SIZE_L = 1007, IDC_ZOOM = 1008, IDC_NAME = 1009 };

void RegisterSettingsTemplate() {
  AfxRegisterDialogTemplate({IDD_SETTINGS,
                             "Settings",
                             {
                                 {IDC_COUNT, DlgItemKind::Edit, "Number of photos:", "NumberOfPhotoboothImages"},
                                 {IDC_RATIO, DlgItemKind::Edit, "Aspect ratio:", "AspectRatio"},
                                 {IDC_NAME, DlgItemKind::Edit, "Name:", "Name"},
                                 {IDC_FLASH, DlgItemKind::Check, "Use &flash", "Flash"},
                                 {IDC_MODE, DlgItemKind::Combo, "Mode:", "Mode"},
                                 {IDC_SIZE_S, DlgItemKind::Radio, "Small", "Size", 0, 0, "Size"},
                                 {IDC_SIZE_M, DlgItemKind::Radio, "Medium", nullptr, 0, 0, "Size"},
                                 {IDC_SIZE_L, DlgItemKind::Radio, "Large", nullptr, 0, 0, "Size"},
                                 {IDC_ZOOM, DlgItemKind::Slider, "Zoom:", "Zoom", 0, 10},
                                 {IDOK, DlgItemKind::DefButton, "OK"},
                                 {IDCANCEL, DlgItemKind::Button, "Cancel"},
                             }});
}

class CSettingsDlg : public CDialog {
 public:
  explicit CSettingsDlg(CWnd* parent = nullptr) : CDialog(IDD_SETTINGS, parent) {}
  int m_count = 4;
  double m_ratio = 1.5;
  CString m_name = "booth";
  int m_flash = 1;
  int m_mode = 1;
  int m_size = 2;
  int m_zoom = 3;
  int m_selChanges = 0;

  BOOL OnInitDialog() override {
    for (const char* mode : {"Auto", "Manual", "Portrait"}) SendDlgItemMessage(IDC_MODE, CB_ADDSTRING, 0, (LPARAM)mode);
    return CDialog::OnInitDialog();
  }
  void DoDataExchange(CDataExchange* dx) override {
    DDX_Text(dx, IDC_COUNT, m_count);
    DDV_MinMaxInt(dx, m_count, 1, 100);
    DDX_Text(dx, IDC_RATIO, m_ratio);
    DDV_MinMaxDouble(dx, m_ratio, 0.5, 2.5);
    DDX_Text(dx, IDC_NAME, m_name);
    DDX_Check(dx, IDC_FLASH, m_flash);
    DDX_CBIndex(dx, IDC_MODE, m_mode);
    DDX_Radio(dx, IDC_SIZE_S, m_size);
    DDX_Slider(dx, IDC_ZOOM, m_zoom);
  }
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    if (LOWORD(wParam) == IDC_MODE && HIWORD(wParam) == CBN_SELCHANGE) ++m_selChanges;
    return CDialog::OnCommand(wParam, lParam);
  }
};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterSettingsTemplate();
    ClearDialogScripts();
    ClearMessageBoxes();
  }
  void TearDown() override {
    ClearDialogScripts();
    ClearMessageBoxes();
  }
};

}  // namespace

TEST_F(DialogTest, ScriptedModalDialogReturnsItsResultAndExchangedValues) {
  PushDialogScript(DialogScript(IDD_SETTINGS)
                       .SetText(IDC_COUNT, " 12 ")
                       .SetText(IDC_RATIO, "0.75")
                       .SetText(IDC_NAME, "Caf\xe9")  // 1252 text survives the round trip
                       .SetCheck(IDC_FLASH, BST_UNCHECKED)
                       .Select(IDC_MODE, 2)
                       .SetCheck(IDC_SIZE_S, BST_CHECKED)
                       .SetPos(IDC_ZOOM, 7)
                       .Press(IDOK));
  CSettingsDlg dialog;
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_count, 12);
  EXPECT_DOUBLE_EQ(dialog.m_ratio, 0.75);
  EXPECT_EQ(dialog.m_name, "Caf\xe9");
  EXPECT_EQ(dialog.m_flash, 0);
  EXPECT_EQ(dialog.m_mode, 2);
  EXPECT_EQ(dialog.m_size, 0);
  EXPECT_EQ(dialog.m_zoom, 7);
  EXPECT_EQ(dialog.m_selChanges, 1);
  ASSERT_EQ(GetShownDialogs().size(), 1u);
  EXPECT_EQ(GetShownDialogs()[0].caption, "Settings");
  EXPECT_EQ(GetShownDialogs()[0].result, IDOK);
  EXPECT_TRUE(GetShownMessageBoxes().empty());
}

TEST_F(DialogTest, InitialValuesReachTheControls) {
  CString count, name;
  int flash = -1, mode = -1, zoom = -1, large = -1;
  PushDialogScript(DialogScript().Call([&](CDialog* dialog) {
    dialog->GetDlgItemText(IDC_COUNT, count);
    dialog->GetDlgItemText(IDC_NAME, name);
    flash = dialog->IsDlgButtonChecked(IDC_FLASH);
    large = dialog->IsDlgButtonChecked(IDC_SIZE_L);
    mode = static_cast<int>(dialog->SendDlgItemMessage(IDC_MODE, CB_GETCURSEL));
    zoom = static_cast<int>(dialog->SendDlgItemMessage(IDC_ZOOM, TBM_GETPOS));
  }).Press(IDCANCEL));
  CSettingsDlg dialog;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(count, "4");
  EXPECT_EQ(name, "booth");
  EXPECT_EQ(flash, BST_CHECKED);
  EXPECT_EQ(large, BST_CHECKED);
  EXPECT_EQ(mode, 1);
  EXPECT_EQ(zoom, 3);
}

TEST_F(DialogTest, RangeRefusalKeepsTheDialogOpenWithTheFrameworkMessage) {
  struct Row {
    int control;
    const char* bad;
    const char* good;
    const char* message;
  } rows[] = {
      {IDC_COUNT, "500", "50", "Please enter an integer between 1 and 100."},
      {IDC_RATIO, "3", "2", "Please enter a number between 0.5 and 2.5."},
      {IDC_COUNT, "ten", "10", "Please enter an integer."},
      {IDC_RATIO, "1,5", "1.5", "Please enter a number."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.bad);
    ClearMessageBoxes();
    bool openAfterRefusal = false;
    HWND focusAfterRefusal = nullptr, failing = nullptr;
    PushDialogScript(DialogScript(IDD_SETTINGS)
                         .SetText(row.control, row.bad)
                         .Press(IDOK)
                         .Call([&](CDialog* dialog) {
                           openAfterRefusal = ::IsWindow(dialog->m_hWnd);
                           focusAfterRefusal = ::GetFocus();
                           failing = ::GetDlgItem(dialog->m_hWnd, row.control);
                         })
                         .SetText(row.control, row.good)
                         .Press(IDOK));
    CSettingsDlg dialog;
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(focusAfterRefusal, failing);
    std::vector<ShownMessageBox> boxes = GetShownMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, row.message);
    EXPECT_EQ(boxes[0].caption, "Tavorin");
    EXPECT_EQ(boxes[0].icon, MB_ICONEXCLAMATION);
  }
}

TEST_F(DialogTest, WithoutAScriptATestRunCancelsAndRecordsTheDialog) {
  CSettingsDlg dialog;
  dialog.m_count = 77;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.m_count, 77);  // Cancel leaves the members alone
  ASSERT_EQ(GetShownDialogs().size(), 1u);
  EXPECT_FALSE(GetShownDialogs()[0].scripted);
}

TEST_F(DialogTest, MissingTemplateFails) {
  CDialog dialog(4242);
  EXPECT_EQ(dialog.DoModal(), -1);
  EXPECT_FALSE(dialog.Create(4242));
}

TEST_F(DialogTest, EscapeKeyCancels) {
  PushDialogScript(DialogScript().Call([](CDialog* dialog) {
    MSG msg{::GetDlgItem(dialog->m_hWnd, IDC_NAME), WM_KEYDOWN, VK_ESCAPE, 1, 0, {0, 0}};
    FilterAndDispatch(&msg);
  }));
  CSettingsDlg dialog;
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_TRUE(GetShownDialogs()[0].scripted);
}

TEST_F(DialogTest, ReturnAndEscapeTypedInAControlEndTheDialog) {
  class CCountingDlg : public CSettingsDlg {
   public:
    int m_cancels = 0;
    void OnCancel() override {
      ++m_cancels;
      CSettingsDlg::OnCancel();
    }
  };
  struct Row {
    Qt::Key key;
    int control;
    INT_PTR result;
    int cancels;
  } rows[] = {{Qt::Key_Return, IDC_NAME, IDOK, 0}, {Qt::Key_Escape, IDC_NAME, IDCANCEL, 1},
              {Qt::Key_Escape, IDC_MODE, IDCANCEL, 1}, {Qt::Key_Return, IDC_MODE, IDOK, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.key);
    SCOPED_TRACE(row.control);
    bool typed = false;
    PushDialogScript(DialogScript(IDD_SETTINGS).Call([&](CDialog* dialog) {
      // Delivered as the display server does: to the active window, which hands it to its focus widget.
      QWidget* window = user_p::WidgetOf(dialog->m_hWnd);
      window->activateWindow();
      for (int spin = 0; spin < 500 && !window->isActiveWindow(); ++spin)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      dialog->GotoDlgCtrl(dialog->GetDlgItem(row.control));
      if (QApplication::focusWidget() != user_p::WidgetOf(::GetDlgItem(dialog->m_hWnd, row.control))) return;
      typed = true;
      QKeyEvent press(QEvent::KeyPress, row.key, Qt::NoModifier);
      QApplication::sendEvent(window->windowHandle(), &press);
    }));
    CCountingDlg dialog;
    EXPECT_EQ(row.result, dialog.DoModal());
    EXPECT_TRUE(typed) << "the control never had the focus";
    EXPECT_EQ(row.cancels, dialog.m_cancels);
  }
}

TEST_F(DialogTest, ModalDialogFromAWorkerRunsOnTheUiThreadWhileTheWorkerWaits) {
  DWORD ui = GetCurrentThreadId();
  std::atomic<DWORD> ranOn{0};
  PushDialogScript(DialogScript(IDD_SETTINGS)
                       .Call([&](CDialog*) { ranOn = GetCurrentThreadId(); })
                       .SetText(IDC_COUNT, "33")
                       .Press(IDOK));
  std::atomic<INT_PTR> result{0};
  std::atomic<int> count{0};
  std::atomic<bool> done{false};
  std::thread worker([&] {
    CSettingsDlg dialog;
    result = dialog.DoModal();
    count = dialog.m_count;
    done = true;
  });
  while (!done) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  worker.join();
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(count, 33);
  EXPECT_EQ(ranOn, ui);
}

TEST_F(DialogTest, ViewTimerKeepsFiringWhileAModalDialogRuns) {
  class CTickWnd : public CWnd {
   public:
    int ticks = 0;

   protected:
    void OnTimer(UINT_PTR id) override {
      if (id == 1) ++ticks;
    }
  } owner;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, "owner", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr));
  ASSERT_EQ(owner.SetTimer(1, 10), 1u);
  int ticksInside = 0;
  PushDialogScript(DialogScript(IDD_SETTINGS).RunUntil([&] { return owner.ticks >= 3; }).Call([&](CDialog*) {
    ticksInside = owner.ticks;
  }).Press(IDOK));
  CSettingsDlg dialog(&owner);
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_GE(ticksInside, 3);
  owner.KillTimer(1);
}

TEST_F(DialogTest, ModelessDialogStaysUntilDestroyed) {
  CSettingsDlg dialog;
  ASSERT_TRUE(dialog.Create(IDD_SETTINGS));
  EXPECT_TRUE(::IsWindow(dialog.m_hWnd));
  EXPECT_TRUE(dialog.IsWindowVisible());
  CString count;
  dialog.GetDlgItemText(IDC_COUNT, count);
  EXPECT_EQ(count, "4");
  HWND hwnd = dialog.m_hWnd;
  EXPECT_TRUE(dialog.DestroyWindow());
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_EQ(dialog.m_hWnd, nullptr);
}

namespace {

enum { IDD_RESIZABLE = 9102, IDC_RESIZABLE_LIST = 1101 };

// A resizable dialog that places its controls itself and keeps itself at least 480 x 320.
class CResizableDlg : public CDialog {
 public:
  CResizableDlg() : CDialog(IDD_RESIZABLE) {
    DlgTemplate dialog{IDD_RESIZABLE,
                       "Resizable",
                       {{IDC_RESIZABLE_LIST, DlgItemKind::Icons, nullptr}, {IDOK, DlgItemKind::DefButton, "OK"}},
                       WS_CAPTION | WS_SYSMENU | WS_THICKFRAME};
    dialog.manualLayout = true;
    AfxRegisterDialogTemplate(dialog);
  }
  bool m_answerMinMax = true;

 protected:
  void OnGetMinMaxInfo(MINMAXINFO* info) override {
    CDialog::OnGetMinMaxInfo(info);
    if (!m_answerMinMax) return;
    info->ptMinTrackSize.x = 480;
    info->ptMinTrackSize.y = 320;
  }
};

}  // namespace

TEST_F(DialogTest, ADialogsMinimumTrackSizeHoldsWhenTheWindowIsShrunk) {
  for (bool answer : {true, false}) {
    SCOPED_TRACE(answer ? "answers WM_GETMINMAXINFO" : "leaves it alone");
    CResizableDlg dialog;
    dialog.m_answerMinMax = answer;
    RECT client{0, 0, 0, 0};
    PushDialogScript(DialogScript(IDD_RESIZABLE)
                         .Call([&](CDialog* d) {
                           // As the window system resizes it when the user drags the frame.
                           QWidget* window = user_p::WidgetOf(d->m_hWnd);
                           ASSERT_NE(window, nullptr);
                           window->resize(100, 80);
                           QCoreApplication::processEvents();
                           ::GetClientRect(d->m_hWnd, &client);
                         })
                         .Press(IDOK));
    ASSERT_EQ(dialog.DoModal(), IDOK);
    if (answer) {
      EXPECT_GE(client.right, 480);
      EXPECT_GE(client.bottom, 320);
    } else {
      EXPECT_LT(client.right, 480) << "nothing holds a dialog that asks for no minimum";
    }
  }
}

TEST_F(DialogTest, TheFirstFieldOpensWithItsTextSelectedAndTabSelectsTheNext) {
  QString first, afterTab;
  PushDialogScript(DialogScript(IDD_SETTINGS).Call([&](CDialog* dialog) {
    QWidget* window = user_p::WidgetOf(dialog->m_hWnd);
    window->activateWindow();
    for (int spin = 0; spin < 500 && !window->isActiveWindow(); ++spin)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget())) first = line->selectedText();
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(window->windowHandle(), &tab);
    QCoreApplication::processEvents();
    if (auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget())) afterTab = line->selectedText();
  }));
  CSettingsDlg dialog;
  dialog.m_ratio = 2.0;
  dialog.DoModal();
  EXPECT_EQ("4", first.toStdString()) << "typing replaces the count at once";
  EXPECT_EQ("2", afterTab.toStdString());
}

// A script naming a control the dialog lacks, or pressing a check box or radio button, would
// run the dialog's defaults and prove nothing: it stops the run and says which control it was.
TEST_F(DialogTest, AScriptStepOnAControlTheDialogLacksStopsTheRun) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  struct Row {
    const char* name;
    DialogScript script;
    const char* message;
  } rows[] = {
      {"text", DialogScript(IDD_SETTINGS).SetText(4711, "1"), "control 4711 does not exist"},
      {"check", DialogScript(IDD_SETTINGS).SetCheck(4711, BST_CHECKED), "control 4711 does not exist"},
      {"select", DialogScript(IDD_SETTINGS).Select(4711, 0), "control 4711 does not exist"},
      {"slider", DialogScript(IDD_SETTINGS).SetPos(4711, 3), "control 4711 does not exist"},
      {"radio pressed", DialogScript(IDD_SETTINGS).Press(IDC_SIZE_S), "control 1005 is no push button"},
      {"check box pressed", DialogScript(IDD_SETTINGS).Press(IDC_FLASH), "control 1003 is no push button"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_DEATH(
        {
          PushDialogScript(row.script);
          CSettingsDlg dialog;
          dialog.DoModal();
        },
        row.message);
  }
  // A command without a control of its own still reaches the dialog, and a radio is checked.
  PushDialogScript(DialogScript(IDD_SETTINGS).SetCheck(IDC_SIZE_M, BST_CHECKED).Press(IDOK));
  CSettingsDlg dialog;
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_size, 1);
}
