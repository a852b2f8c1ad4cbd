// "Edit": single-line (QLineEdit) and multi-line (QPlainTextEdit) edits. Multi-line text uses
// "\r\n" line ends as the program expects.
#include <QEvent>
#include <QIntValidator>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>

#include "platform/gdi/dc_p.h"
#include "platform/gdi/wingdi.h"
#include "platform/user/controls.h"
#include "platform/user/message.h"
#include "platform/user/controls_p.h"
#include "platform/user/qtstring_p.h"
#include "platform/user/window.h"

namespace user_p {
namespace {

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::string EditText(QWidget* widget) {
  if (auto* line = qobject_cast<QLineEdit*>(widget)) return FromQString(line->text());
  if (auto* multi = qobject_cast<QPlainTextEdit*>(widget)) return Replace(FromQString(multi->toPlainText()), "\n", "\r\n");
  return "";
}

// Tells the parent when the edit gains or loses the keyboard focus.
class FocusNotifier : public QObject {
 public:
  FocusNotifier(HWND hwnd, QObject* parent) : QObject(parent), m_hwnd(hwnd) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::FocusIn) NotifyParent(m_hwnd, EN_SETFOCUS);
    if (event->type() == QEvent::FocusOut) NotifyParent(m_hwnd, EN_KILLFOCUS);
    return false;
  }

 private:
  HWND m_hwnd;
};

COLORREF ToColorRef(const QColor& colour) { return RGB(colour.red(), colour.green(), colour.blue()); }
QColor ToQColor(COLORREF colour) { return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour)); }

// A single-line edit that asks its parent for its colours (WM_CTLCOLOREDIT) before each paint:
// the text colour set on the DC and the brush returned; no brush keeps the system's colours.
class LineEdit : public QLineEdit {
 public:
  LineEdit(HWND hwnd, QWidget* parent) : QLineEdit(parent), m_hwnd(hwnd), m_system(palette()) {}

 protected:
  void paintEvent(QPaintEvent* event) override {
    ApplyParentColours();
    QLineEdit::paintEvent(event);
  }

 private:
  void ApplyParentColours() {
    QPalette wanted = m_system;
    HWND parent = GetParent(m_hwnd);
    QImage probe(1, 1, QImage::Format_RGB32);
    HDC dc = parent ? gdi_p::CreatePaintDeviceDC(&probe) : nullptr;
    if (dc) {
      const COLORREF text = ToColorRef(m_system.color(QPalette::Text));
      SetTextColor(dc, text);
      SetBkColor(dc, ToColorRef(m_system.color(QPalette::Base)));
      auto brush = reinterpret_cast<HBRUSH>(
          SendMessageA(parent, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_hwnd)));
      LOGBRUSH fill{};
      if (brush && GetObjectA(brush, sizeof(fill), &fill) == sizeof(fill) && fill.lbStyle == BS_SOLID) {
        wanted.setColor(QPalette::Base, ToQColor(fill.lbColor));
        if (GetTextColor(dc) != text) wanted.setColor(QPalette::Text, ToQColor(GetTextColor(dc)));
      }
      gdi_p::DestroyDC(dc);
    }
    // Changing the palette repaints once more; the second pass finds it unchanged.
    if (wanted != palette()) setPalette(wanted);
  }

  HWND m_hwnd;
  QPalette m_system;
};

}  // namespace

QWidget* CreateEdit(HWND hwnd, DWORD style, QWidget* parent) {
  if (style & ES_MULTILINE) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setReadOnly(style & ES_READONLY);
    edit->setTabChangesFocus(true);
    QObject::connect(edit, &QPlainTextEdit::textChanged, [hwnd] { NotifyParent(hwnd, EN_CHANGE); });
    edit->installEventFilter(new FocusNotifier(hwnd, edit));
    return edit;
  }
  auto* edit = new LineEdit(hwnd, parent);
  edit->setReadOnly(style & ES_READONLY);
  if (style & ES_PASSWORD) edit->setEchoMode(QLineEdit::Password);
  if (style & ES_NUMBER) edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
  if (style & ES_CENTER) edit->setAlignment(Qt::AlignCenter);
  if (style & ES_RIGHT) edit->setAlignment(Qt::AlignRight);
  QObject::connect(edit, &QLineEdit::textChanged, [hwnd] { NotifyParent(hwnd, EN_CHANGE); });
  edit->installEventFilter(new FocusNotifier(hwnd, edit));
  return edit;
}

LRESULT CALLBACK EditProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  QWidget* widget = WidgetOf(hWnd);
  auto* line = qobject_cast<QLineEdit*>(widget);
  auto* multi = qobject_cast<QPlainTextEdit*>(widget);
  if (!line && !multi) return DefWindowProcA(hWnd, message, wParam, lParam);
  switch (message) {
    case WM_SETTEXT: {
      QString text = ToQString(Replace(TextIn(lParam), "\r\n", "\n"));
      if (line) line->setText(text); else multi->setPlainText(text);
      return TRUE;
    }
    case WM_GETTEXT: return CopyTextOut(EditText(widget), wParam, lParam);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(EditText(widget).size());
    case EM_LIMITTEXT:
      if (line) line->setMaxLength(wParam ? static_cast<int>(std::min<WPARAM>(wParam, 32767)) : 32767);
      return 0;
    case EM_SETREADONLY:
      if (line) line->setReadOnly(wParam); else multi->setReadOnly(wParam);
      return TRUE;
    case EM_SETPASSWORDCHAR:
      if (line) line->setEchoMode(wParam ? QLineEdit::Password : QLineEdit::Normal);
      return 0;
    case EM_SETSEL:
      if (line) {
        int length = line->text().size();
        int start = static_cast<int>(wParam), end = static_cast<int>(lParam);
        if (start < 0) {
          line->deselect();
        } else {
          if (end < 0 || end > length) end = length;
          line->setSelection(std::min(start, length), end - std::min(start, length));
        }
      } else if (static_cast<int>(wParam) == 0 && static_cast<int>(lParam) == -1) {
        multi->selectAll();
      }
      return 0;
    case EM_GETSEL: {
      int start = 0, end = 0;
      if (line) {
        start = line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
        end = start + static_cast<int>(line->selectedText().size());
      } else {
        start = multi->textCursor().selectionStart();
        end = multi->textCursor().selectionEnd();
      }
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(start);
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(end);
      return MAKELRESULT(start, end);
    }
    case EM_REPLACESEL: {
      QString text = ToQString(TextIn(lParam));
      if (line) line->insert(text); else multi->insertPlainText(text);
      return 0;
    }
  }
  return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace user_p
