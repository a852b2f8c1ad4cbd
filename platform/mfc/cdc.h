// CDC: the MFC device-context wrapper. A CDC deletes the DC it holds when destroyed; window
// DCs (CClientDC, CPaintDC) detach theirs first and release it their own way.
#pragma once

#include "platform/gdi/wingdi.h"
#include "platform/mfc/cstring.h"
#include "platform/mfc/gdiobjects.h"
#include "platform/winspool/printdc.h"

class CDC {
 public:
  CDC() = default;
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;
  virtual ~CDC();

  HDC m_hDC = nullptr;
  HDC m_hAttribDC = nullptr;

  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }
  /// FALSE when a DC is already attached or `dc` is NULL.
  BOOL Attach(HDC dc);
  HDC Detach();
  /// A temporary wrapper that never deletes the DC; NULL for NULL.
  static CDC* FromHandle(HDC dc);

  BOOL CreateCompatibleDC(CDC* dc);
  /// `initData` is a DEVMODE or NULL.
  BOOL CreateDC(LPCSTR driver, LPCSTR device, LPCSTR output, const void* initData);
  BOOL DeleteDC();

  CPen* SelectObject(CPen* pen);
  CBrush* SelectObject(CBrush* brush);
  CFont* SelectObject(CFont* font);
  CBitmap* SelectObject(CBitmap* bitmap);
  CGdiObject* SelectObject(CGdiObject* object);
  CGdiObject* SelectStockObject(int index);
  int SelectClipRgn(CRgn* region);
  int ExcludeClipRect(int left, int top, int right, int bottom);
  int ExcludeClipRect(LPCRECT rect);
  int IntersectClipRect(int left, int top, int right, int bottom);
  int IntersectClipRect(LPCRECT rect);
  int GetClipBox(LPRECT rect) const { return ::GetClipBox(m_hDC, rect); }

  int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }
  int SetROP2(int mode) { return ::SetROP2(m_hDC, mode); }
  int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
  COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
  COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
  COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
  COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
  int SetStretchBltMode(int mode) { return ::SetStretchBltMode(m_hDC, mode); }

  POINT MoveTo(int x, int y);
  POINT MoveTo(POINT point) { return MoveTo(point.x, point.y); }
  BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
  BOOL LineTo(POINT point) { return LineTo(point.x, point.y); }
  BOOL Polyline(const POINT* points, int count) { return ::Polyline(m_hDC, points, count); }
  BOOL Rectangle(int left, int top, int right, int bottom) { return ::Rectangle(m_hDC, left, top, right, bottom); }
  BOOL Rectangle(LPCRECT r) { return Rectangle(r->left, r->top, r->right, r->bottom); }
  BOOL RoundRect(int left, int top, int right, int bottom, int width, int height) {
    return ::RoundRect(m_hDC, left, top, right, bottom, width, height);
  }
  BOOL RoundRect(LPCRECT r, POINT corner) { return RoundRect(r->left, r->top, r->right, r->bottom, corner.x, corner.y); }
  BOOL Ellipse(int left, int top, int right, int bottom) { return ::Ellipse(m_hDC, left, top, right, bottom); }
  BOOL Ellipse(LPCRECT r) { return Ellipse(r->left, r->top, r->right, r->bottom); }
  void FillRect(LPCRECT rect, CBrush* brush);
  /// Fills with a colour; unlike the original it leaves the background colour as it was.
  void FillSolidRect(LPCRECT rect, COLORREF color);
  void FillSolidRect(int x, int y, int width, int height, COLORREF color);
  void FrameRect(LPCRECT rect, CBrush* brush);
  COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
  COLORREF SetPixel(int x, int y, COLORREF color) { return ::SetPixel(m_hDC, x, y, color); }

  BOOL TextOut(int x, int y, LPCSTR text, int length) { return ::TextOutA(m_hDC, x, y, text, length); }
  BOOL TextOut(int x, int y, const CString& text) { return TextOut(x, y, text, text.GetLength()); }
  int DrawText(LPCSTR text, int length, LPRECT rect, UINT format) { return ::DrawTextA(m_hDC, text, length, rect, format); }
  int DrawText(const CString& text, LPRECT rect, UINT format) { return DrawText(text, text.GetLength(), rect, format); }
  /// The extent of the text; 0 x 0 on failure.
  SIZE GetTextExtent(LPCSTR text, int length) const;
  SIZE GetTextExtent(const CString& text) const { return GetTextExtent(text, text.GetLength()); }
  BOOL GetTextMetrics(LPTEXTMETRICA metrics) const { return ::GetTextMetricsA(m_hDC, metrics); }

  BOOL BitBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, DWORD rop);
  BOOL StretchBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, int sWidth, int sHeight,
                  DWORD rop);

  int StartDoc(LPCSTR documentName);
  int StartDoc(DOCINFOA* info) { return ::StartDocA(m_hDC, info); }
  int StartPage() { return ::StartPage(m_hDC); }
  int EndPage() { return ::EndPage(m_hDC); }
  int EndDoc() { return ::EndDoc(m_hDC); }
  int AbortDoc() { return ::AbortDoc(m_hDC); }
};
