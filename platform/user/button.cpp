// "Button": push buttons, check boxes, radio buttons and group boxes.
#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "platform/user/controls.h"
#include "platform/user/controls_p.h"
#include "platform/user/qtstring_p.h"
#include "platform/user/window.h"

namespace user_p {

QWidget* CreateButton(HWND hwnd, DWORD style, QWidget* parent) {
  DWORD kind = style & BS_TYPEMASK;
  QAbstractButton* button = nullptr;
  switch (kind) {
    case BS_GROUPBOX: return new QGroupBox(parent);
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE: {
      auto* check = new QCheckBox(parent);
      check->setTristate(kind == BS_3STATE || kind == BS_AUTO3STATE);
      button = check;
      break;
    }
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: button = new QRadioButton(parent); break;
    default: {
      auto* push = new QPushButton(parent);
      push->setDefault(kind == BS_DEFPUSHBUTTON);
      push->setAutoDefault(false);
      button = push;
    }
  }
  QObject::connect(button, &QAbstractButton::clicked, [hwnd] { NotifyParent(hwnd, BN_CLICKED); });
  return button;
}

LRESULT CALLBACK ButtonProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  QWidget* widget = WidgetOf(hWnd);
  auto* button = qobject_cast<QAbstractButton*>(widget);
  auto* group = qobject_cast<QGroupBox*>(widget);
  switch (message) {
    case WM_SETTEXT:
      if (button) button->setText(ToQString(TextIn(lParam)));
      if (group) group->setTitle(ToQString(TextIn(lParam)));
      break;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
      std::string text = button ? FromQString(button->text()) : group ? FromQString(group->title()) : "";
      if (!button && !group) break;
      return message == WM_GETTEXT ? CopyTextOut(text, wParam, lParam) : static_cast<LRESULT>(text.size());
    }
    case BM_GETCHECK: {
      auto* check = qobject_cast<QCheckBox*>(button);
      if (check) return check->checkState() == Qt::PartiallyChecked ? BST_INDETERMINATE
                        : check->isChecked() ? BST_CHECKED : BST_UNCHECKED;
      return button && button->isCheckable() && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
    }
    case BM_SETCHECK:
      if (auto* check = qobject_cast<QCheckBox*>(button)) {
        check->setCheckState(wParam == BST_INDETERMINATE ? Qt::PartiallyChecked
                             : wParam == BST_CHECKED ? Qt::Checked : Qt::Unchecked);
      } else if (auto* radio = qobject_cast<QRadioButton*>(button)) {
        // Setting one radio off must not be refused by Qt's exclusive group.
        bool exclusive = radio->autoExclusive();
        radio->setAutoExclusive(false);
        radio->setChecked(wParam == BST_CHECKED);
        radio->setAutoExclusive(exclusive);
      }
      return 0;
    case BM_CLICK:
      if (button) button->click();
      return 0;
  }
  return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace user_p
