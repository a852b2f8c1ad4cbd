// "ListBox": a single-selection list with item data.
#include <QListWidget>

#include "platform/user/controls.h"
#include "platform/user/controls_p.h"
#include "platform/user/qtstring_p.h"
#include "platform/user/window.h"

namespace user_p {

QWidget* CreateListBox(HWND hwnd, DWORD style, QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setProperty("tavorin_sort", (style & LBS_SORT) != 0);
  if (style & LBS_NOTIFY) {
    QObject::connect(list, &QListWidget::itemClicked, [hwnd] { NotifyParent(hwnd, LBN_SELCHANGE); });
    QObject::connect(list, &QListWidget::itemDoubleClicked, [hwnd] { NotifyParent(hwnd, LBN_DBLCLK); });
  }
  return list;
}

LRESULT CALLBACK ListBoxProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* list = ControlWidget<QListWidget>(hWnd);
  if (!list) return DefWindowProcA(hWnd, message, wParam, lParam);
  int index = static_cast<int>(wParam);
  bool valid = index >= 0 && index < list->count();
  auto makeItem = [&](const QString& text) {
    auto* item = new QListWidgetItem(text);
    item->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(0));
    return item;
  };
  switch (message) {
    case LB_ADDSTRING: {
      QString text = ToQString(TextIn(lParam));
      int at = list->count();
      if (list->property("tavorin_sort").toBool()) {
        at = 0;
        while (at < list->count() && QString::compare(list->item(at)->text(), text, Qt::CaseInsensitive) <= 0) ++at;
      }
      list->insertItem(at, makeItem(text));
      return at;
    }
    case LB_INSERTSTRING: {
      int at = index < 0 || index > list->count() ? list->count() : index;
      list->insertItem(at, makeItem(ToQString(TextIn(lParam))));
      return at;
    }
    case LB_DELETESTRING:
      if (!valid) return LB_ERR;
      delete list->takeItem(index);
      return list->count();
    case LB_RESETCONTENT: list->clear(); return 0;
    case LB_GETCOUNT: return list->count();
    case LB_GETCURSEL: return list->currentRow() < 0 ? LB_ERR : list->currentRow();
    case LB_SETCURSEL:
      list->setCurrentRow(valid ? index : -1);
      return valid ? index : LB_ERR;
    case LB_GETTEXT: {
      if (!valid || !lParam) return LB_ERR;
      std::string text = FromQString(list->item(index)->text());
      return CopyTextOut(text, text.size() + 1, lParam);
    }
    case LB_GETTEXTLEN: return valid ? static_cast<LRESULT>(FromQString(list->item(index)->text()).size()) : LB_ERR;
    case LB_GETITEMDATA: return valid ? static_cast<LRESULT>(list->item(index)->data(Qt::UserRole).toLongLong()) : LB_ERR;
    case LB_SETITEMDATA:
      if (!valid) return LB_ERR;
      list->item(index)->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(lParam));
      return 0;
    case LB_FINDSTRINGEXACT: {
      QString text = ToQString(TextIn(lParam));
      int count = list->count();
      for (int step = 1; step <= count; ++step) {
        int at = (index + step + count) % count;
        if (list->item(at)->text().compare(text, Qt::CaseInsensitive) == 0) return at;
      }
      return LB_ERR;
    }
  }
  return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace user_p
