#include "sharing/QRCodeEditDlg.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include "platform/mfc/dialogscript.h"
#include "platform/user/shellapi.h"
#include "platform/user/window_p.h"
#include "sharing/SharingResource.h"

namespace {

bool WaitFor(const std::function<bool()>& condition) {
  for (int spin = 0; spin < 500; ++spin) {
    if (condition()) return true;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return condition();
}

void Focus(CDialog* dialog, int id) {
  QWidget* window = user_p::WidgetOf(dialog->m_hWnd);
  window->activateWindow();
  WaitFor([&] { return window->isActiveWindow(); });
  dialog->GotoDlgCtrl(dialog->GetDlgItem(id));
}

void Type(CDialog* dialog, Qt::Key key, const QString& text = QString()) {
  QWidget* window = user_p::WidgetOf(dialog->m_hWnd);
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(window->windowHandle(), &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(window->windowHandle(), &release);
}

}  // namespace

TEST(QRCodeEditDlgTest, TypedTextAndLevelRedrawAtOnce) {
  ClearDialogScripts();
  CQRCodeEditDlg* shown = nullptr;
  bool textShown = false, levelShown = false;
  PushDialogScript(DialogScript(IDD_QRCODE_TEXT)
                       .Call([&](CDialog* dialog) {
                         shown = static_cast<CQRCodeEditDlg*>(dialog);
                         Focus(dialog, IDC_QR_TEXT);
                         Type(dialog, Qt::Key_End);
                         Type(dialog, Qt::Key_X, "x");
                         textShown = WaitFor([&] { return shown->m_preview.PaintedText() == CString("abcx"); });
                       })
                       .Select(IDC_QR_LEVEL, 3)
                       .Call([&](CDialog*) {
                         levelShown = WaitFor([&] { return shown->m_preview.PaintedLevel() == 3; });
                       })
                       .Press(IDOK));
  CQRCodeEditDlg dialog;
  dialog.m_text = "abc";
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_TRUE(textShown);
  EXPECT_TRUE(levelShown);
  EXPECT_STREQ(dialog.m_text, "abcx");
  EXPECT_EQ(dialog.m_level, 3);
}

TEST(QRCodeEditDlgTest, TestUrlOpensTheTextAndEscapeCancels) {
  ClearDialogScripts();
  std::vector<std::vector<std::string>> started;
  SetShellExecuteHookForTesting([&](const std::vector<std::string>& argv) {
    started.push_back(argv);
    return true;
  });
  PushDialogScript(DialogScript(IDD_QRCODE_TEXT)
                       .SetText(IDC_QR_TEXT, "https://example.com/a b;$(rm -rf x)")
                       .Press(IDC_QR_TEST_URL)
                       .Call([&](CDialog* dialog) {
                         Focus(dialog, IDC_QR_TEXT);
                         Type(dialog, Qt::Key_Escape);
                       }));
  CQRCodeEditDlg dialog;
  dialog.m_text = "kept";
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  SetShellExecuteHookForTesting({});
  EXPECT_STREQ(dialog.m_text, "kept");
  ASSERT_EQ(started.size(), 1u);
  EXPECT_EQ(started[0], (std::vector<std::string>{"xdg-open", "https://example.com/a b;$(rm -rf x)"}));
}
