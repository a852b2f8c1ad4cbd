// The date and time picker window class on a Qt date-time edit.
#include "platform/mfc/datetimectrl.h"

#include <QDateTimeEdit>
#include <QLocale>
#include <QVBoxLayout>
#include <mutex>

#include "platform/user/qtstring_p.h"
#include "platform/user/window_p.h"

namespace {

// The picker's range.
const QDate kFirstDate(1601, 1, 1);
const QDate kLastDate(9999, 12, 31);

QDateTimeEdit* EditOf(HWND hWnd) {
  QWidget* widget = user_p::WidgetOf(hWnd);
  return widget ? widget->findChild<QDateTimeEdit*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

QString StyleFormat(DWORD style) {
  if ((style & DTS_TIMEFORMAT) == DTS_TIMEFORMAT) return QStringLiteral("HH:mm:ss");
  QString format = QLocale().dateFormat((style & DTS_LONGDATEFORMAT) ? QLocale::LongFormat : QLocale::ShortFormat);
  // A two-digit year would shift dates into another century.
  if (!format.contains(QLatin1String("yyyy"))) format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
  return format;
}

// The picker's letters are Qt's, except for the AM/PM marker.
QString QtFormat(const char* format) {
  QString text = user_p::ToQString(format);
  QString out;
  bool quoted = false;
  for (int i = 0; i < text.size(); ++i) {
    QChar c = text[i];
    if (c == '\'') quoted = !quoted;
    if (!quoted && c == 't') {
      bool pair = i + 1 < text.size() && text[i + 1] == 't';
      out += pair ? "AP" : "A";
      if (pair) ++i;
      continue;
    }
    out += c;
  }
  return out;
}

QDateTime FromSystemTime(const SYSTEMTIME& st) {
  QDate date(st.wYear, st.wMonth, st.wDay);
  QTime time(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
  return date.isValid() && time.isValid() ? QDateTime(date, time) : QDateTime();
}

SYSTEMTIME ToSystemTime(const QDateTime& value) {
  QDate date = value.date();
  QTime time = value.time();
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(date.year());
  st.wMonth = static_cast<WORD>(date.month());
  st.wDayOfWeek = static_cast<WORD>(date.dayOfWeek() % 7);  // Sunday is 0
  st.wDay = static_cast<WORD>(date.day());
  st.wHour = static_cast<WORD>(time.hour());
  st.wMinute = static_cast<WORD>(time.minute());
  st.wSecond = static_cast<WORD>(time.second());
  st.wMilliseconds = static_cast<WORD>(time.msec());
  return st;
}

// The whole value lives beside the edit: a time-only edit pins its own date to one day.
const char* const kValue = "tavorin_value";

QDateTime ValueOf(const QDateTimeEdit* edit) { return edit->property(kValue).toDateTime(); }

void Show(QDateTimeEdit* edit, const QDateTime& value) {
  edit->setProperty(kValue, value);
  QSignalBlocker quiet(edit);
  if (edit->displayedSections() & QDateTimeEdit::DateSections_Mask) edit->setDateTime(value);
  else edit->setTime(value.time());
}

// The value after the user edited the parts the format shows.
QDateTime Edited(const QDateTimeEdit* edit) {
  QDateTime value = ValueOf(edit);
  QDateTimeEdit::Sections sections = edit->displayedSections();
  QDate date = (sections & QDateTimeEdit::DateSections_Mask) ? edit->date() : value.date();
  QTime time = (sections & QDateTimeEdit::TimeSections_Mask) ? edit->time() : value.time();
  return QDateTime(date, time);
}

void NotifyChange(HWND hWnd, const QDateTime& value) {
  NMDATETIMECHANGE change{};
  change.nmhdr.hwndFrom = hWnd;
  change.nmhdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(hWnd));
  change.nmhdr.code = DTN_DATETIMECHANGE;
  change.dwFlags = GDT_VALID;
  change.st = ToSystemTime(value);
  if (HWND parent = ::GetParent(hWnd))
    ::SendMessageA(parent, WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
}

LRESULT CALLBACK DateTimeProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      QWidget* widget = user_p::WidgetOf(hWnd);
      if (!widget) return 0;  // made off the UI thread: nothing to show
      DWORD style = static_cast<DWORD>(::GetWindowLongPtrA(hWnd, GWL_STYLE));
      auto* edit = new QDateTimeEdit(widget);
      edit->setMinimumDate(kFirstDate);
      edit->setCalendarPopup(!(style & DTS_UPDOWN) && (style & DTS_TIMEFORMAT) != DTS_TIMEFORMAT);
      edit->setDisplayFormat(StyleFormat(style));
      Show(edit, QDateTime::currentDateTime());
      auto* layout = new QVBoxLayout(widget);
      layout->setContentsMargins(0, 0, 0, 0);
      layout->addWidget(edit);
      widget->setFocusProxy(edit);
      // Only the user's changes are told; SetTime is not.
      QObject::connect(edit, &QDateTimeEdit::dateTimeChanged, edit,
                       [hWnd, edit](const QDateTime&) {
                         QDateTime value = Edited(edit);
                         edit->setProperty(kValue, value);
                         NotifyChange(hWnd, value);
                       });
      return 0;
    }
    case DTM_GETSYSTEMTIME: {
      QDateTimeEdit* edit = EditOf(hWnd);
      auto* time = reinterpret_cast<SYSTEMTIME*>(lParam);
      if (!edit || !time) return GDT_ERROR;
      *time = ToSystemTime(ValueOf(edit));
      return GDT_VALID;
    }
    case DTM_SETSYSTEMTIME: {
      QDateTimeEdit* edit = EditOf(hWnd);
      auto* time = reinterpret_cast<const SYSTEMTIME*>(lParam);
      if (!edit || !time || wParam != GDT_VALID) return FALSE;
      QDateTime value = FromSystemTime(*time);
      if (!value.isValid() || value.date() < kFirstDate || value.date() > kLastDate) return FALSE;
      Show(edit, value);
      return TRUE;
    }
    case DTM_SETFORMATA: {
      QDateTimeEdit* edit = EditOf(hWnd);
      if (!edit) return FALSE;
      const char* format = reinterpret_cast<const char*>(lParam);
      QDateTime value = ValueOf(edit);
      {
        QSignalBlocker quiet(edit);
        edit->setDisplayFormat(format ? QtFormat(format)
                                      : StyleFormat(static_cast<DWORD>(::GetWindowLongPtrA(hWnd, GWL_STYLE))));
      }
      Show(edit, value);  // the format must not cut what the picker holds
      return TRUE;
    }
  }
  return ::DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace

BOOL AfxRegisterDateTimeClass() {
  static std::once_flag once;
  static BOOL registered = FALSE;
  std::call_once(once, [] {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DateTimeProc;
    wc.lpszClassName = DATETIMEPICK_CLASS;
    registered = ::RegisterClassA(&wc) != 0;
  });
  return registered;
}

BOOL CDateTimeCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  AfxRegisterDateTimeClass();
  return CWnd::Create(DATETIMEPICK_CLASS, "", style, rect, parent, id);
}
