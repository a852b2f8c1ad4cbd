#include "platform/user/menu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/user/input.h"
#include "platform/user/message.h"
#include "platform/user/window.h"
#include "platform/user/qtstring_p.h"
#include "platform/user/window_p.h"
#include "platform/win32/error.h"

using namespace user_p;

namespace {

struct MenuRecord;
struct MenuItem {
  UINT flags = 0;
  UINT_PTR id = 0;
  std::string text;
  MenuRecord* popup = nullptr;
};
struct MenuRecord {
  DWORD magic = 0x4D454E55;  // "MENU"
  std::vector<MenuItem> items;
  HWND owner = nullptr;  // window whose menu bar shows it
};

std::mutex g_accelMutex;
std::mutex g_popupMutex;
std::deque<UINT> g_popupChoices;
std::vector<ShownPopupMenu> g_shownPopups;
std::map<UINT, std::vector<ACCEL>> g_accelResources;
std::map<HWND, std::pair<MenuRecord*, QPointer<QMenuBar>>> g_menuBars;  // UI thread

MenuRecord* RecordOf(HMENU menu) {
  auto* record = reinterpret_cast<MenuRecord*>(menu);
  return record && record->magic == 0x4D454E55 ? record : nullptr;
}

// Finds an item by command id (searching pop-ups) or by position.
MenuItem* FindItem(MenuRecord* menu, UINT item, UINT flags) {
  if (!menu) return nullptr;
  if (flags & MF_BYPOSITION) return item < menu->items.size() ? &menu->items[item] : nullptr;
  for (MenuItem& entry : menu->items) {
    if (!(entry.flags & MF_POPUP) && entry.id == item) return &entry;
    if (MenuItem* found = FindItem(entry.popup, item, flags)) return found;
  }
  return nullptr;
}

QString MenuText(const std::string& ansi) {
  std::string text = ansi;
  size_t tab = text.find('\t');
  QString shown = ToQString(text.substr(0, tab));
  if (tab != std::string::npos) shown += "\t" + ToQString(text.substr(tab + 1));
  return shown;
}

// Empties a bar or pop-up whose items are built again. addMenu leaves each sub-menu a child of
// its parent, so the old ones go too; later, as one may still be open at this moment.
void ClearMenus(QWidget* parent) {
  for (QMenu* sub : parent->findChildren<QMenu*>(Qt::FindDirectChildrenOnly)) sub->deleteLater();
  if (auto* bar = qobject_cast<QMenuBar*>(parent)) bar->clear();
  else if (auto* menu = qobject_cast<QMenu*>(parent)) menu->clear();
}

void Fill(QMenu* qmenu, MenuRecord* menu, HWND owner, UINT_PTR* chosen) {
  for (const MenuItem& item : menu->items) {
    if (item.flags & MF_SEPARATOR) {
      qmenu->addSeparator();
    } else if (item.flags & MF_POPUP) {
      QMenu* sub = qmenu->addMenu(MenuText(item.text));
      if (item.popup) Fill(sub, item.popup, owner, chosen);
    } else {
      QAction* action = qmenu->addAction(MenuText(item.text));
      action->setEnabled(!(item.flags & (MF_GRAYED | MF_DISABLED)));
      action->setCheckable(item.flags & MF_CHECKED);
      action->setChecked(item.flags & MF_CHECKED);
      UINT_PTR id = item.id;
      QObject::connect(action, &QAction::triggered, [owner, id, chosen] {
        if (chosen) *chosen = id;
        else PostMessageA(owner, WM_COMMAND, MAKEWPARAM(id, 0), 0);
      });
    }
  }
}

void RebuildBar(HWND hWnd) {
  auto it = g_menuBars.find(hWnd);
  if (it == g_menuBars.end() || !it->second.second) return;
  QMenuBar* bar = it->second.second;
  ClearMenus(bar);
  for (const MenuItem& item : it->second.first->items) {
    if (!(item.flags & MF_POPUP) || !item.popup) continue;
    QMenu* sub = bar->addMenu(MenuText(item.text));
    // Built each time it opens so check marks and enabling are current.
    MenuRecord* popup = item.popup;
    QObject::connect(sub, &QMenu::aboutToShow, [sub, popup, hWnd] {
      ClearMenus(sub);
      Fill(sub, popup, hWnd, nullptr);
    });
  }
}

void DeleteMenu(MenuRecord* menu) {
  for (MenuItem& item : menu->items) {
    if (item.popup) DeleteMenu(item.popup);
  }
  menu->magic = 0;
  delete menu;
}

}  // namespace

HMENU CreateMenu() { return reinterpret_cast<HMENU>(new MenuRecord); }
HMENU CreatePopupMenu() { return reinterpret_cast<HMENU>(new MenuRecord); }

BOOL DestroyMenu(HMENU menu) {
  MenuRecord* record = RecordOf(menu);
  if (!record) return FALSE;
  DeleteMenu(record);
  return TRUE;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text) {
  MenuRecord* record = RecordOf(menu);
  if (!record) return FALSE;
  MenuItem item;
  item.flags = flags;
  item.id = (flags & MF_POPUP) ? 0 : id;
  item.text = text ? text : "";
  if (flags & MF_POPUP) item.popup = RecordOf(reinterpret_cast<HMENU>(id));
  record->items.push_back(item);
  if (record->owner) RebuildBar(record->owner);
  return TRUE;
}

BOOL ModifyMenuA(HMENU menu, UINT item, UINT flags, UINT_PTR newId, LPCSTR text) {
  MenuRecord* record = RecordOf(menu);
  MenuItem* entry = FindItem(record, item, flags);
  if (!entry || (flags & MF_POPUP) || (entry->flags & MF_POPUP)) return FALSE;
  entry->flags = flags & ~static_cast<UINT>(MF_BYPOSITION);
  entry->id = newId;
  entry->text = text ? text : "";
  // Pop-ups are filled as they open; only the bar itself needs building again.
  if (record->owner) RebuildBar(record->owner);
  return TRUE;
}

DWORD CheckMenuItem(HMENU menu, UINT item, UINT check) {
  MenuItem* entry = FindItem(RecordOf(menu), item, check);
  if (!entry) return static_cast<DWORD>(-1);
  DWORD previous = entry->flags & MF_CHECKED;
  entry->flags = (entry->flags & ~MF_CHECKED) | (check & MF_CHECKED);
  return previous;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT enable) {
  MenuItem* entry = FindItem(RecordOf(menu), item, enable);
  if (!entry) return -1;
  BOOL previous = static_cast<BOOL>(entry->flags & (MF_GRAYED | MF_DISABLED));
  entry->flags = (entry->flags & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
  return previous;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
  MenuItem* entry = FindItem(RecordOf(menu), item, flags);
  return entry ? entry->flags : static_cast<UINT>(-1);
}

int GetMenuItemCount(HMENU menu) {
  MenuRecord* record = RecordOf(menu);
  return record ? static_cast<int>(record->items.size()) : -1;
}

HMENU GetSubMenu(HMENU menu, int position) {
  MenuRecord* record = RecordOf(menu);
  if (!record || position < 0 || position >= static_cast<int>(record->items.size())) return nullptr;
  return reinterpret_cast<HMENU>(record->items[position].popup);
}

BOOL SetMenu(HWND hWnd, HMENU menu) {
  BOOL result = FALSE;
  RunOnOwnerThread(hWnd, [&] {
    QWidget* widget = WidgetOf(hWnd);
    if (!widget) return;
    auto& slot = g_menuBars[hWnd];
    if (slot.first && slot.first != RecordOf(menu)) slot.first->owner = nullptr;
    slot.first = RecordOf(menu);
    if (!slot.first) {
      delete slot.second.data();
      g_menuBars.erase(hWnd);
      result = TRUE;
      return;
    }
    slot.first->owner = hWnd;
    if (!slot.second) slot.second = new QMenuBar(widget);
    slot.second->setGeometry(0, 0, widget->width(), slot.second->sizeHint().height());
    slot.second->show();
    RebuildBar(hWnd);
    result = TRUE;
  });
  return result;
}

HMENU GetMenu(HWND hWnd) {
  auto it = g_menuBars.find(hWnd);
  return it == g_menuBars.end() ? nullptr : reinterpret_cast<HMENU>(it->second.first);
}

BOOL DrawMenuBar(HWND hWnd) {
  RunOnOwnerThread(hWnd, [&] { RebuildBar(hWnd); });
  return TRUE;
}

int GetMenuBarHeight(HWND hWnd) {
  auto it = g_menuBars.find(hWnd);
  if (it == g_menuBars.end() || !it->second.second) return 0;
  QMenuBar* bar = it->second.second;
  if (QWidget* widget = WidgetOf(hWnd)) bar->resize(widget->width(), bar->sizeHint().height());
  return bar->height();
}

namespace {

void Describe(const MenuRecord* menu, int depth, std::vector<ShownMenuItem>& items) {
  for (const MenuItem& item : menu->items) {
    const bool separator = item.flags & MF_SEPARATOR;
    items.push_back({separator || (item.flags & MF_POPUP) ? 0u : static_cast<UINT>(item.id), item.text,
                     (item.flags & MF_CHECKED) != 0, !(item.flags & (MF_GRAYED | MF_DISABLED)), separator, depth});
    if ((item.flags & MF_POPUP) && item.popup) Describe(item.popup, depth + 1, items);
  }
}

}  // namespace

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, LPCRECT) {
  MenuRecord* record = RecordOf(menu);
  if (!record || !IsUiThread()) return FALSE;
  ShownPopupMenu shown{{}, x, y, 0, false};
  Describe(record, 0, shown.items);
  {
    std::lock_guard<std::mutex> lock(g_popupMutex);
    if (!g_popupChoices.empty()) {
      shown.scripted = true;
      const UINT wanted = g_popupChoices.front();
      g_popupChoices.pop_front();
      for (const ShownMenuItem& item : shown.items)
        if (wanted && item.id == wanted && item.enabled && !item.separator) shown.chosen = wanted;
    }
  }
  UINT_PTR chosen = 0;
  if (shown.scripted) {
    chosen = shown.chosen;
  } else {
    QMenu qmenu;
    Fill(&qmenu, record, owner, &chosen);
    qmenu.exec(QPoint(x, y));
    shown.chosen = static_cast<UINT>(chosen);
  }
  {
    std::lock_guard<std::mutex> lock(g_popupMutex);
    g_shownPopups.push_back(shown);
  }
  if (flags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
  if (chosen) PostMessageA(owner, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
  return TRUE;
}

void PushPopupMenuChoice(UINT id) {
  std::lock_guard<std::mutex> lock(g_popupMutex);
  g_popupChoices.push_back(id);
}

std::vector<ShownPopupMenu> GetShownPopupMenus() {
  std::lock_guard<std::mutex> lock(g_popupMutex);
  return g_shownPopups;
}

void ClearPopupMenus() {
  std::lock_guard<std::mutex> lock(g_popupMutex);
  g_popupChoices.clear();
  g_shownPopups.clear();
}

namespace {

struct AccelTable {
  DWORD magic = 0x41434345;  // "ACCE"
  std::vector<ACCEL> entries;
  bool resource = false;  // loaded by id: lives as long as the program
};

AccelTable* TableOf(HACCEL table) {
  auto* record = reinterpret_cast<AccelTable*>(table);
  return record && record->magic == 0x41434345 ? record : nullptr;
}

}  // namespace

HACCEL CreateAcceleratorTableA(LPACCEL entries, int count) {
  if (!entries || count <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto* table = new AccelTable;
  table->entries.assign(entries, entries + count);
  return reinterpret_cast<HACCEL>(table);
}

BOOL DestroyAcceleratorTable(HACCEL table) {
  AccelTable* record = TableOf(table);
  if (!record) return FALSE;
  if (record->resource) return TRUE;
  record->magic = 0;
  delete record;
  return TRUE;
}

void AddAcceleratorResource(UINT id, const ACCEL* entries, int count) {
  std::lock_guard<std::mutex> lock(g_accelMutex);
  g_accelResources[id].assign(entries, entries + std::max(0, count));
}

HACCEL LoadAcceleratorsA(HINSTANCE, LPCSTR name) {
  std::vector<ACCEL> entries;
  {
    std::lock_guard<std::mutex> lock(g_accelMutex);
    auto it = g_accelResources.find(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)));
    if (it == g_accelResources.end() || it->second.empty()) {
      SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
      return nullptr;
    }
    entries = it->second;
  }
  // Resource tables live as long as the program, as loaded resources do.
  static std::map<UINT, AccelTable> loaded;
  UINT id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name));
  std::lock_guard<std::mutex> lock(g_accelMutex);
  AccelTable& table = loaded[id];
  table.entries = entries;
  table.resource = true;
  return reinterpret_cast<HACCEL>(&table);
}

int TranslateAcceleratorA(HWND hWnd, HACCEL table, LPMSG msg) {
  AccelTable* record = TableOf(table);
  if (!record || !msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return 0;
  bool shift = GetKeyState(0x10) & 0x8000;
  bool control = GetKeyState(0x11) & 0x8000;
  bool alt = msg->message == WM_SYSKEYDOWN || (GetKeyState(0x12) & 0x8000);
  for (const ACCEL& entry : record->entries) {
    if (!(entry.fVirt & FVIRTKEY) || entry.key != msg->wParam) continue;
    if (bool(entry.fVirt & FSHIFT) != shift || bool(entry.fVirt & FCONTROL) != control ||
        bool(entry.fVirt & FALT) != alt) {
      continue;
    }
    SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(entry.cmd, 1), 0);
    return 1;
  }
  return 0;
}
