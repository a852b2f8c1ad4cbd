// The built-in controls' styles, messages and notifications. Each control class answers its
// messages from any thread through SendMessage, and tells its parent of user changes by
// WM_COMMAND (HIWORD wParam = code), WM_HSCROLL/WM_VSCROLL or WM_NOTIFY.
#pragma once

#include "platform/user/winmsg.h"

// Buttons
#define BS_PUSHBUTTON 0x0u
#define BS_DEFPUSHBUTTON 0x1u
#define BS_CHECKBOX 0x2u
#define BS_AUTOCHECKBOX 0x3u
#define BS_RADIOBUTTON 0x4u
#define BS_3STATE 0x5u
#define BS_AUTO3STATE 0x6u
#define BS_GROUPBOX 0x7u
#define BS_AUTORADIOBUTTON 0x9u
#define BS_TYPEMASK 0xFu
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_CLICK 0x00F5
#define BST_UNCHECKED 0
#define BST_CHECKED 1
#define BST_INDETERMINATE 2
#define BN_CLICKED 0

// Edits
#define ES_LEFT 0x0000u
#define ES_CENTER 0x0001u
#define ES_RIGHT 0x0002u
#define ES_MULTILINE 0x0004u
#define ES_PASSWORD 0x0020u
#define ES_AUTOVSCROLL 0x0040u
#define ES_AUTOHSCROLL 0x0080u
#define ES_READONLY 0x0800u
#define ES_WANTRETURN 0x1000u
#define ES_NUMBER 0x2000u
#define EM_GETSEL 0x00B0
#define EM_SETSEL 0x00B1
#define EM_REPLACESEL 0x00C2
#define EM_LIMITTEXT 0x00C5
#define EM_SETLIMITTEXT EM_LIMITTEXT
#define EM_SETPASSWORDCHAR 0x00CC
#define EM_SETREADONLY 0x00CF
#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300

// Statics
#define SS_LEFT 0x00u
#define SS_CENTER 0x01u
#define SS_RIGHT 0x02u
#define SS_BITMAP 0x0Eu
#define SS_TYPEMASK 0x1Fu
#define SS_NOTIFY 0x100u
#define SS_CENTERIMAGE 0x200u
#define STM_SETIMAGE 0x0172
#define STM_GETIMAGE 0x0173
#define IMAGE_BITMAP 0
#define STN_CLICKED 0

// Combo boxes
#define CBS_SIMPLE 0x1u
#define CBS_DROPDOWN 0x2u
#define CBS_DROPDOWNLIST 0x3u
#define CBS_SORT 0x100u
#define CB_ERR (-1)
#define CB_GETEDITSEL 0x0140
#define CB_ADDSTRING 0x0143
#define CB_DELETESTRING 0x0144
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_INSERTSTRING 0x014A
#define CB_RESETCONTENT 0x014B
#define CB_FINDSTRING 0x014C
#define CB_SELECTSTRING 0x014D
#define CB_SETCURSEL 0x014E
#define CB_GETITEMDATA 0x0150
#define CB_SETITEMDATA 0x0151
#define CB_FINDSTRINGEXACT 0x0158
#define CBN_SELCHANGE 1
#define CBN_EDITCHANGE 5
#define CBN_DROPDOWN 7

// List boxes
#define LBS_NOTIFY 0x1u
#define LBS_SORT 0x2u
#define LB_ERR (-1)
#define LB_ADDSTRING 0x0180
#define LB_INSERTSTRING 0x0181
#define LB_DELETESTRING 0x0182
#define LB_RESETCONTENT 0x0184
#define LB_SETCURSEL 0x0186
#define LB_GETCURSEL 0x0188
#define LB_GETTEXT 0x0189
#define LB_GETTEXTLEN 0x018A
#define LB_GETCOUNT 0x018B
#define LB_GETITEMDATA 0x0199
#define LB_SETITEMDATA 0x019A
#define LB_FINDSTRINGEXACT 0x01A2
#define LBN_SELCHANGE 1
#define LBN_DBLCLK 2

// Trackbars (sliders)
#define TBS_HORZ 0x0u
#define TBS_VERT 0x2u
#define TBS_NOTICKS 0x10u
#define TBM_GETPOS (WM_USER)
#define TBM_GETRANGEMIN (WM_USER + 1)
#define TBM_GETRANGEMAX (WM_USER + 2)
#define TBM_SETPOS (WM_USER + 5)
#define TBM_SETRANGE (WM_USER + 6)
#define TBM_SETRANGEMIN (WM_USER + 7)
#define TBM_SETRANGEMAX (WM_USER + 8)
#define TBM_SETTIC (WM_USER + 4)
#define TBM_CLEARTICS (WM_USER + 9)
#define TBM_GETNUMTICS (WM_USER + 16)
#define TBM_SETTICFREQ (WM_USER + 20)
#define TBM_SETPAGESIZE (WM_USER + 21)
#define TBM_SETLINESIZE (WM_USER + 23)
#define TB_LINEUP 0
#define TB_LINEDOWN 1
#define TB_PAGEUP 2
#define TB_PAGEDOWN 3
#define TB_THUMBPOSITION 4
#define TB_THUMBTRACK 5
#define TB_TOP 6
#define TB_BOTTOM 7
#define TB_ENDTRACK 8
#define SB_THUMBPOSITION 4
#define SB_ENDSCROLL 8

// Up-down (spin) controls
#define UDS_SETBUDDYINT 0x0002u
#define UDS_ALIGNRIGHT 0x0004u
#define UDS_ARROWKEYS 0x0020u
#define UDS_HORZ 0x0040u
#define UDM_SETBUDDY (WM_USER + 105)
#define UDM_GETBUDDY (WM_USER + 106)
#define UDM_SETRANGE32 (WM_USER + 111)
#define UDM_GETRANGE32 (WM_USER + 112)
#define UDM_SETPOS32 (WM_USER + 113)
#define UDM_GETPOS32 (WM_USER + 114)
#define UDN_DELTAPOS (0u - 722u)
struct NMUPDOWN {
  NMHDR hdr;
  int iPos;
  int iDelta;
};

// Progress bars
#define PBM_SETRANGE (WM_USER + 1)
#define PBM_SETPOS (WM_USER + 2)
#define PBM_DELTAPOS (WM_USER + 3)
#define PBM_SETSTEP (WM_USER + 4)
#define PBM_STEPIT (WM_USER + 5)
#define PBM_SETRANGE32 (WM_USER + 6)
#define PBM_GETPOS (WM_USER + 8)

#define WC_BUTTON "Button"
#define WC_EDIT "Edit"
#define WC_STATIC "Static"
#define WC_COMBOBOX "ComboBox"
#define WC_LISTBOX "ListBox"
#define TRACKBAR_CLASS "msctls_trackbar32"
#define UPDOWN_CLASS "msctls_updown32"
#define PROGRESS_CLASS "msctls_progress32"

// Status bars
#define SB_SETTEXTA (WM_USER + 1)
#define SB_GETTEXTA (WM_USER + 2)
#define SB_GETTEXTLENGTHA (WM_USER + 3)
#define SB_SETPARTS (WM_USER + 4)
#define SB_GETPARTS (WM_USER + 6)
#define SB_SETTEXT SB_SETTEXTA
#define SB_GETTEXT SB_GETTEXTA
#define SB_GETTEXTLENGTH SB_GETTEXTLENGTHA
#define STATUSCLASSNAME "msctls_statusbar32"
