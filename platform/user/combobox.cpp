// "ComboBox": drop lists and drop-downs with item data. CBN_SELCHANGE comes for the user's
// choices only, never for CB_SETCURSEL.
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "platform/user/controls.h"
#include "platform/user/controls_p.h"
#include "platform/user/qtstring_p.h"
#include "platform/user/window.h"

namespace user_p {
namespace {

int SortedIndex(QComboBox* combo, const QString& text) {
  int index = 0;
  while (index < combo->count() && QString::compare(combo->itemText(index), text, Qt::CaseInsensitive) <= 0) ++index;
  return index;
}

int FindText(QComboBox* combo, int after, const QString& text, bool exact) {
  int count = combo->count();
  for (int step = 1; step <= count; ++step) {
    int index = (after + step + count) % count;  // starts after `after`, wraps round
    QString item = combo->itemText(index);
    bool match = exact ? item.compare(text, Qt::CaseInsensitive) == 0 : item.startsWith(text, Qt::CaseInsensitive);
    if (match) return index;
  }
  return CB_ERR;
}

// A new item never becomes the choice by itself, as Qt would make the first one.
void InsertKeepingChoice(QComboBox* combo, int at, const QString& text) {
  bool none = combo->currentIndex() < 0;
  QSignalBlocker quiet(combo);
  combo->insertItem(at, text, QVariant::fromValue<qlonglong>(0));
  if (none) combo->setCurrentIndex(-1);
}

}  // namespace

QWidget* CreateComboBox(HWND hwnd, DWORD style, QWidget* parent) {
  auto* combo = new QComboBox(parent);
  combo->setEditable((style & 0x3) == CBS_DROPDOWN || (style & 0x3) == CBS_SIMPLE);
  combo->setProperty("tavorin_sort", (style & CBS_SORT) != 0);
  combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  combo->setMinimumContentsLength(8);
  QObject::connect(combo, qOverload<int>(&QComboBox::activated), [hwnd] { NotifyParent(hwnd, CBN_SELCHANGE); });
  if (combo->isEditable()) {
    QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, [hwnd] { NotifyParent(hwnd, CBN_EDITCHANGE); });
  }
  return combo;
}

LRESULT CALLBACK ComboBoxProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* combo = ControlWidget<QComboBox>(hWnd);
  if (!combo) return DefWindowProcA(hWnd, message, wParam, lParam);
  int index = static_cast<int>(wParam);
  bool valid = index >= 0 && index < combo->count();
  switch (message) {
    case CB_ADDSTRING: {
      QString text = ToQString(TextIn(lParam));
      int at = combo->property("tavorin_sort").toBool() ? SortedIndex(combo, text) : combo->count();
      InsertKeepingChoice(combo, at, text);
      return at;
    }
    case CB_INSERTSTRING: {
      int at = index < 0 || index > combo->count() ? combo->count() : index;
      InsertKeepingChoice(combo, at, ToQString(TextIn(lParam)));
      return at;
    }
    case CB_DELETESTRING:
      if (!valid) return CB_ERR;
      combo->removeItem(index);
      return combo->count();
    case CB_RESETCONTENT: combo->clear(); return 0;
    case CB_GETCOUNT: return combo->count();
    case CB_GETCURSEL: return combo->currentIndex() < 0 ? CB_ERR : combo->currentIndex();
    case CB_SETCURSEL:
      combo->setCurrentIndex(valid ? index : -1);
      return valid ? index : CB_ERR;
    case CB_GETLBTEXT: {
      if (!valid || !lParam) return CB_ERR;
      std::string text = FromQString(combo->itemText(index));
      // The caller's buffer is sized from CB_GETLBTEXTLEN, as the platform's is.
      return CopyTextOut(text, text.size() + 1, lParam);
    }
    case CB_GETLBTEXTLEN: return valid ? static_cast<LRESULT>(FromQString(combo->itemText(index)).size()) : CB_ERR;
    case CB_GETITEMDATA: return valid ? static_cast<LRESULT>(combo->itemData(index).toLongLong()) : CB_ERR;
    case CB_SETITEMDATA:
      if (!valid) return CB_ERR;
      combo->setItemData(index, QVariant::fromValue<qlonglong>(lParam));
      return 0;
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
      if (combo->count() == 0) return CB_ERR;
      return FindText(combo, index, ToQString(TextIn(lParam)), message == CB_FINDSTRINGEXACT);
    case CB_SELECTSTRING: {
      if (combo->count() == 0) return CB_ERR;
      int found = FindText(combo, index, ToQString(TextIn(lParam)), false);
      if (found != CB_ERR) combo->setCurrentIndex(found);
      return found;
    }
    case WM_SETTEXT:
      if (combo->isEditable()) combo->setEditText(ToQString(TextIn(lParam)));
      else return CB_ERR;
      return TRUE;
    case WM_GETTEXT: return CopyTextOut(FromQString(combo->currentText()), wParam, lParam);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(FromQString(combo->currentText()).size());
  }
  return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace user_p
