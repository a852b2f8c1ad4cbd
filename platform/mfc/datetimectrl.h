// CDateTimeCtrl: the date and time picker. It always holds a whole date and time; its
// format decides which part shows (a short date, or the time with DTS_TIMEFORMAT).
#pragma once

#include "platform/mfc/wnd.h"

#define DATETIMEPICK_CLASS "SysDateTimePick32"

#define DTS_UPDOWN 0x0001u
#define DTS_SHOWNONE 0x0002u
#define DTS_SHORTDATEFORMAT 0x0000u
#define DTS_LONGDATEFORMAT 0x0004u
#define DTS_TIMEFORMAT 0x0009u

#define DTM_FIRST 0x1000u
#define DTM_GETSYSTEMTIME (DTM_FIRST + 1)
#define DTM_SETSYSTEMTIME (DTM_FIRST + 2)
#define DTM_SETFORMATA (DTM_FIRST + 5)

#define GDT_ERROR (-1)
#define GDT_VALID 0
#define GDT_NONE 1

#define DTN_DATETIMECHANGE (0u - 759u)

struct NMDATETIMECHANGE {
  NMHDR nmhdr;
  DWORD dwFlags;  // GDT_VALID
  SYSTEMTIME st;
};
typedef NMDATETIMECHANGE* LPNMDATETIMECHANGE;

/// Registers the picker window class once; FALSE when it cannot be registered.
BOOL AfxRegisterDateTimeClass();

class CDateTimeCtrl : public CWnd {
 public:
  /// FALSE when the window cannot be made.
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  /// GDT_VALID with the time in *time; GDT_ERROR for NULL or a picker without its widget.
  DWORD GetTime(LPSYSTEMTIME time) const {
    return static_cast<DWORD>(SendMessage(DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(time)));
  }
  /// FALSE (the shown time unchanged) for NULL or a date or time that does not exist.
  BOOL SetTime(const SYSTEMTIME* time) {
    return static_cast<BOOL>(SendMessage(DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(time)));
  }
  /// Display format in the picker's letters ("yyyy'/'MM'/'dd", "HH':'mm':'ss", "tt" for
  /// AM/PM); NULL restores the style's format.
  BOOL SetFormat(LPCSTR format) {
    return static_cast<BOOL>(SendMessage(DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>(format)));
  }
};
