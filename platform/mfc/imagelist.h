// CImageList: a row of equally sized pictures that list controls show as item icons.
#pragma once

#include "platform/gdi/wingdi.h"

struct ImageListData;
typedef ImageListData* HIMAGELIST;

#define ILC_MASK 0x0001u
#define ILC_COLOR 0x0000u
#define ILC_COLOR4 0x0004u
#define ILC_COLOR8 0x0008u
#define ILC_COLOR16 0x0010u
#define ILC_COLOR24 0x0018u
#define ILC_COLOR32 0x0020u

/// A new list of cx x cy pictures; NULL when a size is not positive. Free with ImageList_Destroy.
HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
/// FALSE for NULL.
BOOL ImageList_Destroy(HIMAGELIST list);
/// The number of pictures; 0 for NULL.
int ImageList_GetImageCount(HIMAGELIST list);
/// FALSE for NULL; the cell size otherwise.
BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
/// Appends a copy of the bitmap scaled to the cell size (the mask is ignored); the index, or
/// -1 for a bad list or bitmap. The caller keeps the bitmaps.
int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
/// Draws picture `index` at (x, y); FALSE for a bad list, index or DC.
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);
#define ILD_NORMAL 0x0000u
#define ILD_TRANSPARENT 0x0001u

class CBitmap;
class CDC;

class CImageList {
 public:
  CImageList() = default;
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;
  /// Destroys the list it holds.
  ~CImageList() { DeleteImageList(); }

  HIMAGELIST m_hImageList = nullptr;

  HIMAGELIST GetSafeHandle() const { return m_hImageList; }
  operator HIMAGELIST() const { return m_hImageList; }
  /// FALSE when this object already holds a list or a size is not positive.
  BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
  BOOL DeleteImageList();
  int GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }
  /// The new picture's index, or -1.
  int Add(CBitmap* image, CBitmap* mask);
  BOOL Draw(CDC* dc, int index, POINT point, UINT style);
};
