// The MFC wrappers of GDI objects. A wrapper owns its handle and deletes it when destroyed;
// FromHandle gives a temporary wrapper that never deletes the handle (kept for the thread's
// life, like the framework's temporary objects).
#pragma once

#include "platform/gdi/wingdi.h"

class CDC;

class CGdiObject {
 public:
  CGdiObject() = default;
  CGdiObject(const CGdiObject&) = delete;
  CGdiObject& operator=(const CGdiObject&) = delete;
  virtual ~CGdiObject();

  HGDIOBJ m_hObject = nullptr;

  HGDIOBJ GetSafeHandle() const { return m_hObject; }
  operator HGDIOBJ() const { return m_hObject; }
  /// FALSE when a handle is already attached or `object` is NULL.
  BOOL Attach(HGDIOBJ object);
  HGDIOBJ Detach();
  /// Deletes the handle (FALSE when none, or when GDI refuses because it is selected).
  BOOL DeleteObject();
  /// A stock object wrapped (never deleted by the wrapper).
  BOOL CreateStockObject(int index);
  int GetObject(int size, LPVOID buffer) const { return ::GetObjectA(m_hObject, size, buffer); }
  static CGdiObject* FromHandle(HGDIOBJ object);
};

class CPen : public CGdiObject {
 public:
  CPen() = default;
  CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
  BOOL CreatePen(int style, int width, COLORREF color);
  /// Geometric pens (ExtCreatePen).
  BOOL CreatePen(int style, int width, const LOGBRUSH* brush, int styleCount = 0, const DWORD* styles = nullptr);
  operator HPEN() const { return static_cast<HPEN>(m_hObject); }
  static CPen* FromHandle(HPEN pen);
};

class CBrush : public CGdiObject {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
  BOOL CreateSolidBrush(COLORREF color);
  operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
  static CBrush* FromHandle(HBRUSH brush);
};

class CFont : public CGdiObject {
 public:
  BOOL CreateFontIndirect(const LOGFONTA* font);
  /// Size in tenths of a point, converted with the DC's LOGPIXELSY (the screen's when NULL).
  BOOL CreatePointFont(int pointSize, LPCSTR faceName, CDC* dc = nullptr);
  BOOL CreatePointFontIndirect(const LOGFONTA* font, CDC* dc = nullptr);
  int GetLogFont(LOGFONTA* font) const { return GetObject(sizeof(LOGFONTA), font); }
  operator HFONT() const { return static_cast<HFONT>(m_hObject); }
  static CFont* FromHandle(HFONT font);
};

class CBitmap : public CGdiObject {
 public:
  BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
  BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
  int GetBitmap(BITMAP* bitmap) const { return GetObject(sizeof(BITMAP), bitmap); }
  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
  static CBitmap* FromHandle(HBITMAP bitmap);
};

class CRgn : public CGdiObject {
 public:
  BOOL CreateRectRgn(int left, int top, int right, int bottom);
  BOOL CreateRectRgnIndirect(LPCRECT rect);
  BOOL CreateEllipticRgn(int left, int top, int right, int bottom);
  /// This region becomes src1 op src2; returns the region type or ERROR.
  int CombineRgn(const CRgn* src1, const CRgn* src2, int mode);
  BOOL PtInRegion(int x, int y) const { return ::PtInRegion(static_cast<HRGN>(m_hObject), x, y); }
  BOOL PtInRegion(POINT point) const { return PtInRegion(point.x, point.y); }
  int GetRgnBox(LPRECT rect) const { return ::GetRgnBox(static_cast<HRGN>(m_hObject), rect); }
  operator HRGN() const { return static_cast<HRGN>(m_hObject); }
  static CRgn* FromHandle(HRGN region);
};
