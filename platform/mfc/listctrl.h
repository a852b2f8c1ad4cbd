// CListCtrl: the list view control in report (columns) and icon views, with item data,
// selection, an image list and custom drawing of items. The wrapper sends the control's
// messages, so it works from any thread; results follow the messages (-1 for no item).
#pragma once

#include "platform/mfc/collections.h"
#include "platform/mfc/imagelist.h"
#include "platform/mfc/wnd.h"

#define WC_LISTVIEW "SysListView32"

#define LVS_ICON 0x0000u
#define LVS_REPORT 0x0001u
#define LVS_SMALLICON 0x0002u
#define LVS_LIST 0x0003u
#define LVS_TYPEMASK 0x0003u
#define LVS_SINGLESEL 0x0004u
#define LVS_SHOWSELALWAYS 0x0008u
#define LVS_NOLABELWRAP 0x0080u
#define LVS_AUTOARRANGE 0x0100u
#define LVS_EX_GRIDLINES 0x0001u
#define LVS_EX_FULLROWSELECT 0x0020u

#define LVIF_TEXT 0x0001u
#define LVIF_IMAGE 0x0002u
#define LVIF_PARAM 0x0004u
#define LVIF_STATE 0x0008u
#define LVIS_FOCUSED 0x0001u
#define LVIS_SELECTED 0x0002u
#define LVNI_ALL 0x0000
#define LVNI_FOCUSED 0x0001
#define LVNI_SELECTED 0x0002
#define LVCF_FMT 0x0001u
#define LVCF_WIDTH 0x0002u
#define LVCF_TEXT 0x0004u
#define LVCF_SUBITEM 0x0008u
#define LVCFMT_LEFT 0x0000
#define LVCFMT_RIGHT 0x0001
#define LVCFMT_CENTER 0x0002
#define LVSIL_NORMAL 0
#define LVSIL_SMALL 1
#define LVIR_BOUNDS 0
#define LVIR_ICON 1
#define LVIR_LABEL 2

#define LVM_FIRST 0x1000u
#define LVM_SETIMAGELIST (LVM_FIRST + 3)
#define LVM_GETITEMCOUNT (LVM_FIRST + 4)
#define LVM_GETITEMA (LVM_FIRST + 5)
#define LVM_SETITEMA (LVM_FIRST + 6)
#define LVM_INSERTITEMA (LVM_FIRST + 7)
#define LVM_DELETEITEM (LVM_FIRST + 8)
#define LVM_DELETEALLITEMS (LVM_FIRST + 9)
#define LVM_GETNEXTITEM (LVM_FIRST + 12)
#define LVM_GETITEMRECT (LVM_FIRST + 14)
#define LVM_ENSUREVISIBLE (LVM_FIRST + 19)
#define LVM_INSERTCOLUMNA (LVM_FIRST + 27)
#define LVM_SETCOLUMNWIDTH (LVM_FIRST + 30)
#define LVM_SETITEMSTATE (LVM_FIRST + 43)
#define LVM_GETITEMSTATE (LVM_FIRST + 44)
#define LVM_GETITEMTEXTA (LVM_FIRST + 45)
#define LVM_SETITEMTEXTA (LVM_FIRST + 46)
#define LVM_GETSELECTEDCOUNT (LVM_FIRST + 50)
#define LVM_SETICONSPACING (LVM_FIRST + 53)
#define LVM_SETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 54)
#define LVM_GETEXTENDEDLISTVIEWSTYLE (LVM_FIRST + 55)

#define LVN_FIRST (0u - 100u)
#define LVN_ITEMCHANGED (LVN_FIRST - 1)

// Custom draw: the parent answers CDDS_PREPAINT with CDRF_NOTIFYITEMDRAW to be asked for
// each item; CDRF_SKIPDEFAULT on an item means the parent drew it into nmcd.hdc itself.
#define CDDS_PREPAINT 0x00000001u
#define CDDS_POSTPAINT 0x00000002u
#define CDDS_ITEM 0x00010000u
#define CDDS_ITEMPREPAINT (CDDS_ITEM | CDDS_PREPAINT)
#define CDDS_ITEMPOSTPAINT (CDDS_ITEM | CDDS_POSTPAINT)
#define CDRF_DODEFAULT 0x00000000
#define CDRF_SKIPDEFAULT 0x00000004
#define CDRF_NOTIFYPOSTPAINT 0x00000010
#define CDRF_NOTIFYITEMDRAW 0x00000020
#define CDIS_SELECTED 0x0001u
#define CDIS_FOCUS 0x0010u

struct LVITEMA {
  UINT mask;
  int iItem;
  int iSubItem;
  UINT state;
  UINT stateMask;
  LPSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
};
typedef LVITEMA LVITEM;

struct LVCOLUMNA {
  UINT mask;
  int fmt;
  int cx;
  LPSTR pszText;
  int cchTextMax;
  int iSubItem;
};
typedef LVCOLUMNA LVCOLUMN;

struct NMLISTVIEW {
  NMHDR hdr;
  int iItem;
  int iSubItem;
  UINT uNewState;
  UINT uOldState;
  UINT uChanged;
  POINT ptAction;
  LPARAM lParam;
};
typedef NMLISTVIEW* LPNMLISTVIEW;

struct NMITEMACTIVATE {
  NMHDR hdr;
  int iItem;
  int iSubItem;
  UINT uNewState;
  UINT uOldState;
  UINT uChanged;
  POINT ptAction;
  LPARAM lParam;
  UINT uKeyFlags;
};
typedef NMITEMACTIVATE* LPNMITEMACTIVATE;

struct NMCUSTOMDRAW {
  NMHDR hdr;
  DWORD dwDrawStage;
  HDC hdc;
  RECT rc;
  DWORD_PTR dwItemSpec;
  UINT uItemState;
  LPARAM lItemlParam;
};
typedef NMCUSTOMDRAW* LPNMCUSTOMDRAW;

struct NMLVCUSTOMDRAW {
  NMCUSTOMDRAW nmcd;
  COLORREF clrText;
  COLORREF clrTextBk;
  int iSubItem;
};
typedef NMLVCUSTOMDRAW* LPNMLVCUSTOMDRAW;

/// Registers the list view window class once (before the first list is made); FALSE when
/// it cannot be registered.
BOOL AfxRegisterListViewClass();

class CListCtrl : public CWnd {
 public:
  /// FALSE when the window cannot be made.
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

  int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
  /// The new item's index, or -1.
  int InsertItem(const LVITEMA* item) { return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(item))); }
  int InsertItem(int index, LPCSTR text) { return InsertItem(LVIF_TEXT, index, text, 0, 0, 0, 0); }
  int InsertItem(int index, LPCSTR text, int image) { return InsertItem(LVIF_TEXT | LVIF_IMAGE, index, text, 0, 0, image, 0); }
  int InsertItem(UINT mask, int index, LPCSTR text, UINT state, UINT stateMask, int image, LPARAM data);
  BOOL SetItem(const LVITEMA* item) { return static_cast<BOOL>(SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(item))); }
  BOOL GetItem(LVITEMA* item) const { return static_cast<BOOL>(SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(item))); }
  BOOL SetItemText(int index, int subItem, LPCSTR text);
  /// Empty for a missing item or column.
  CString GetItemText(int index, int subItem) const;
  BOOL SetItemData(int index, DWORD_PTR data);
  /// 0 for a missing item.
  DWORD_PTR GetItemData(int index) const;
  BOOL SetItemState(int index, UINT state, UINT mask);
  UINT GetItemState(int index, UINT mask) const {
    return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(index), mask));
  }
  BOOL DeleteItem(int index) { return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(index))); }
  BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
  /// The next item after `start` (-1: from the first) with the LVNI_ flags, or -1.
  int GetNextItem(int start, int flags) const {
    return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), flags));
  }
  UINT GetSelectedCount() const { return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT)); }
  /// A position for GetNextSelectedItem; NULL when nothing is selected.
  POSITION GetFirstSelectedItemPosition() const {
    return reinterpret_cast<POSITION>(static_cast<INT_PTR>(GetNextItem(-1, LVNI_SELECTED) + 1));
  }
  int GetNextSelectedItem(POSITION& position) const {
    int index = static_cast<int>(reinterpret_cast<INT_PTR>(position)) - 1;
    position = reinterpret_cast<POSITION>(static_cast<INT_PTR>(GetNextItem(index, LVNI_SELECTED) + 1));
    return index;
  }
  BOOL EnsureVisible(int index, BOOL partialOK) {
    return static_cast<BOOL>(SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), partialOK));
  }
  /// FALSE for a missing item.
  BOOL GetItemRect(int index, LPRECT rect, UINT code) const;

  /// The new column's index, or -1.
  int InsertColumn(int column, LPCSTR heading, int format = LVCFMT_LEFT, int width = -1, int subItem = -1);
  BOOL SetColumnWidth(int column, int width) {
    return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), width));
  }
  DWORD SetExtendedStyle(DWORD style) {
    return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style)));
  }
  DWORD GetExtendedStyle() const { return static_cast<DWORD>(SendMessage(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
  /// Cell size of the icon view; returns the old one (cx low word, cy high word).
  DWORD SetIconSpacing(int cx, int cy) {
    return static_cast<DWORD>(SendMessage(LVM_SETICONSPACING, 0, MAKELPARAM(cx, cy)));
  }
  /// The list keeps a pointer only; the caller owns the image list. Returns the old one.
  CImageList* SetImageList(CImageList* list, int kind);

 private:
  CImageList* m_imageLists[2] = {nullptr, nullptr};
};
