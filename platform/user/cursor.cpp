#include "platform/user/cursor.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <atomic>
#include <map>

#include "platform/user/hwndwidget_p.h"
#include "platform/user/qtstring_p.h"
#include "platform/win32/folders.h"

namespace {

struct CursorRecord {
  QCursor cursor;
  bool system;
};

// System cursors live as long as the process: kept behind a pointer that is never freed, so
// no QCursor outlives the application at exit and the leak checker still sees them reachable.
std::map<WORD, CursorRecord*>& SystemCursors() {
  static auto* cursors = new std::map<WORD, CursorRecord*>;
  return *cursors;
}
QPointer<QWidget> g_target;
HCURSOR g_current = nullptr;
std::atomic<int> g_showCount{0};

const WORD kInvisibleCursorResource = 210;

Qt::CursorShape ShapeOf(WORD id) {
  switch (id) {
    case 32513: return Qt::IBeamCursor;
    case 32514: return Qt::WaitCursor;
    case 32515: return Qt::CrossCursor;
    case 32642: return Qt::SizeFDiagCursor;
    case 32643: return Qt::SizeBDiagCursor;
    case 32644: return Qt::SizeHorCursor;
    case 32645: return Qt::SizeVerCursor;
    case 32646: return Qt::SizeAllCursor;
    case 32648: return Qt::ForbiddenCursor;
    case 32649: return Qt::PointingHandCursor;
    case 32650: return Qt::BusyCursor;
  }
  return Qt::ArrowCursor;
}

// The program's cursor resources ship as cursors/<id>.png (hot spot in the middle) among the
// program's data files.
CursorRecord* ProgramCursor(WORD id) {
  static auto* cursors = new std::map<WORD, CursorRecord*>;
  CursorRecord*& record = (*cursors)[id];
  if (record) return record;
  const std::string path = FindShippedFile(("cursors/" + std::to_string(id) + ".png").c_str());
  QPixmap pixmap;
  if (!path.empty() && pixmap.load(user_p::ToQString(path))) record = new CursorRecord{QCursor(pixmap), true};
  return record;
}

}  // namespace

namespace user_p {

void SetCursorTarget(QWidget* widget) { g_target = widget; }

}  // namespace user_p

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (!IS_INTRESOURCE(name)) return nullptr;
  WORD id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
  if (instance) {
    if (id != kInvisibleCursorResource) return reinterpret_cast<HCURSOR>(ProgramCursor(id));
    // The program's own invisible cursor (touch screens show no pointer).
    static auto* invisible = [] {
      QPixmap blank(32, 32);
      blank.fill(Qt::transparent);
      return new CursorRecord{QCursor(blank, 0, 0), true};
    }();
    return reinterpret_cast<HCURSOR>(invisible);
  }
  if (id != 32512 && ShapeOf(id) == Qt::ArrowCursor) return nullptr;
  CursorRecord*& record = SystemCursors()[id];
  if (!record) record = new CursorRecord{QCursor(ShapeOf(id)), true};
  return reinterpret_cast<HCURSOR>(record);
}

HCURSOR LoadCursorFromFileA(LPCSTR path) {
  QPixmap pixmap(user_p::ToQString(path));
  if (pixmap.isNull()) return nullptr;
  return reinterpret_cast<HCURSOR>(new CursorRecord{QCursor(pixmap), false});
}

BOOL DestroyCursor(HCURSOR cursor) {
  auto* record = reinterpret_cast<CursorRecord*>(cursor);
  if (!record) return FALSE;
  if (!record->system) {
    if (g_current == cursor) g_current = nullptr;
    delete record;
  }
  return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
  HCURSOR previous = g_current;
  g_current = cursor;
  if (g_target) {
    if (auto* record = reinterpret_cast<CursorRecord*>(cursor)) {
      g_target->setCursor(record->cursor);
    } else {
      g_target->setCursor(Qt::BlankCursor);
    }
  }
  return previous;
}

HCURSOR GetCursor() { return g_current; }

int ShowCursor(BOOL show) {
  int before = g_showCount;
  int after = show ? ++g_showCount : --g_showCount;
  if (before >= 0 && after < 0) QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
  if (before < 0 && after >= 0) QGuiApplication::restoreOverrideCursor();
  return after;
}

BOOL GetCursorPos(LPPOINT point) {
  if (!point) return FALSE;
  QPoint at = QCursor::pos();
  *point = {at.x(), at.y()};
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  QCursor::setPos(x, y);
  return TRUE;
}
