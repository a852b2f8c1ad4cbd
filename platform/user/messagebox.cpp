#include "platform/user/messagebox.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdlib>
#include <deque>
#include <mutex>

#include "platform/user/qtstring_p.h"
#include "platform/user/threadqueue_p.h"
#include "platform/user/window_p.h"
#include "platform/user/winmsg.h"
#include "platform/win32/trace.h"

using namespace user_p;

namespace {

std::mutex g_mutex;
std::deque<int> g_answers;
std::vector<ShownMessageBox> g_shown;
std::vector<QMessageBox*> g_open;  // UI thread only: the boxes whose loops are on the stack

struct Button {
  int id;
  const char* label;
};

std::vector<Button> ButtonsOf(UINT buttons) {
  switch (buttons) {
    case MB_OKCANCEL: return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}};
    case MB_YESNOCANCEL: return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO: return {{IDYES, "&Yes"}, {IDNO, "&No"}};
    case MB_RETRYCANCEL: return {{IDRETRY, "&Retry"}, {IDCANCEL, "Cancel"}};
  }
  return {{IDOK, "OK"}};
}

int DefaultAnswer(UINT type) {
  std::vector<Button> buttons = ButtonsOf(type & MB_TYPEMASK);
  size_t index = (type & MB_DEFMASK) >> 8;
  return buttons[index < buttons.size() ? index : 0].id;
}

// The box's text, icon and buttons; the buttons with the answers they give.
std::vector<std::pair<QAbstractButton*, int>> SetUpBox(QMessageBox& box, const std::string& text,
                                                       const std::string& caption, UINT type) {
  box.setWindowTitle(ToQString(caption));
  box.setText(ToQString(text));
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
  }
  if (type & (MB_TOPMOST | MB_SYSTEMMODAL)) box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  std::vector<Button> buttons = ButtonsOf(type & MB_TYPEMASK);
  std::vector<std::pair<QAbstractButton*, int>> made;
  for (const Button& button : buttons) {
    QMessageBox::ButtonRole role = button.id == IDCANCEL || button.id == IDNO ? QMessageBox::RejectRole
                                                                                : QMessageBox::AcceptRole;
    QPushButton* push = box.addButton(ToQString(button.label), role);
    made.push_back({push, button.id});
    if (button.id == DefaultAnswer(type)) box.setDefaultButton(push);
    if (button.id == IDCANCEL || (buttons.size() == 1)) box.setEscapeButton(push);
  }
  return made;
}

int AskUser(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  QMessageBox box(WidgetOf(owner) ? WidgetOf(owner)->window() : nullptr);
  std::vector<Button> buttons = ButtonsOf(type & MB_TYPEMASK);
  std::vector<std::pair<QAbstractButton*, int>> made = SetUpBox(box, text, caption, type);
  g_open.push_back(&box);
  box.exec();
  std::erase(g_open, &box);
  for (auto& [push, id] : made) {
    if (box.clickedButton() == push) return id;
  }
  // Closed without a button: Cancel when there is one, else the only button.
  for (const Button& button : buttons) {
    if (button.id == IDCANCEL) return IDCANCEL;
  }
  return buttons.size() == 1 ? buttons[0].id : 0;
}

}  // namespace

BOOL IsUserTestRun() {
  const char* test = std::getenv("TAVORIN_TEST");
  return test && *test && std::string(test) != "0" ? TRUE : FALSE;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  ShownMessageBox shown{text ? text : "", caption ? caption : "Error", type & MB_ICONMASK, type & MB_TYPEMASK, 0};
  TRACE("MessageBox: %s: %s\n", shown.caption.c_str(), shown.text.c_str());
  bool scripted = false;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_answers.empty()) {
      shown.answer = g_answers.front();
      g_answers.pop_front();
      scripted = true;
    }
  }
  if (!scripted) {
    if (IsUserTestRun()) {
      shown.answer = DefaultAnswer(type);
    } else if (!RunOnUiThread([&] { shown.answer = AskUser(owner, shown.text, shown.caption, type); })) {
      return 0;
    }
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  g_shown.push_back(shown);
  return shown.answer;
}

void MessageBoxWithoutWaiting(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  ShownMessageBox shown{text ? text : "", caption ? caption : "Error", type & MB_ICONMASK, type & MB_TYPEMASK, 0};
  TRACE("MessageBox (not waited for): %s: %s\n", shown.caption.c_str(), shown.text.c_str());
  bool answered = false;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_answers.empty()) {
      shown.answer = g_answers.front();
      g_answers.pop_front();
      answered = true;
    }
    g_shown.push_back(shown);
  }
  QCoreApplication* application = QCoreApplication::instance();
  if (answered || IsUserTestRun() || !application) return;
  // Built on the UI thread whenever it next runs its loop; it takes no keyboard from the window
  // under it and goes when answered.
  QMetaObject::invokeMethod(
      application,
      [owner, text = shown.text, caption = shown.caption, type] {
        auto* box = new QMessageBox(WidgetOf(owner) ? WidgetOf(owner)->window() : nullptr);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setAttribute(Qt::WA_ShowWithoutActivating);
        box->setWindowModality(Qt::NonModal);
        SetUpBox(*box, text, caption, type);
        box->show();
      },
      Qt::QueuedConnection);
}

BOOL EndMessageBoxes() {
  BOOL any = FALSE;
  RunOnUiThread([&] {
    any = g_open.empty() ? FALSE : TRUE;
    for (QMessageBox* box : g_open) box->reject();
  });
  return any;
}

void PushMessageBoxAnswer(int answer) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_answers.push_back(answer);
}

std::vector<ShownMessageBox> GetShownMessageBoxes() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_shown;
}

void ClearMessageBoxes() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_shown.clear();
  g_answers.clear();
}
