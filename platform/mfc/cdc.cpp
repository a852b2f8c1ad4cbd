// CDC members that do more than forward to GDI.
#include "platform/mfc/cdc.h"

#include <memory>
#include <unordered_map>

CDC::~CDC() {
  if (m_hDC) ::DeleteDC(m_hDC);
}

BOOL CDC::Attach(HDC dc) {
  if (!dc || m_hDC) return FALSE;
  m_hDC = m_hAttribDC = dc;
  return TRUE;
}

HDC CDC::Detach() {
  HDC dc = m_hDC;
  m_hDC = m_hAttribDC = nullptr;
  return dc;
}

CDC* CDC::FromHandle(HDC dc) {
  if (!dc) return nullptr;
  // Temporary wrappers live for the thread's life and never delete the DC.
  struct DetachFirst {
    void operator()(CDC* wrapper) const {
      wrapper->Detach();
      delete wrapper;
    }
  };
  thread_local std::unordered_map<HDC, std::unique_ptr<CDC, DetachFirst>> wrappers;
  auto& slot = wrappers[dc];
  if (!slot) {
    slot.reset(new CDC);
    slot->m_hDC = slot->m_hAttribDC = dc;
  }
  return slot.get();
}

BOOL CDC::CreateCompatibleDC(CDC* dc) { return Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr)); }

BOOL CDC::CreateDC(LPCSTR driver, LPCSTR device, LPCSTR output, const void* initData) {
  return Attach(::CreateDCA(driver, device, output, static_cast<const DEVMODEA*>(initData)));
}

BOOL CDC::DeleteDC() {
  if (!m_hDC) return FALSE;
  return ::DeleteDC(Detach());
}

CPen* CDC::SelectObject(CPen* pen) {
  return pen ? CPen::FromHandle(static_cast<HPEN>(::SelectObject(m_hDC, pen->m_hObject))) : nullptr;
}

CBrush* CDC::SelectObject(CBrush* brush) {
  return brush ? CBrush::FromHandle(static_cast<HBRUSH>(::SelectObject(m_hDC, brush->m_hObject))) : nullptr;
}

CFont* CDC::SelectObject(CFont* font) {
  return font ? CFont::FromHandle(static_cast<HFONT>(::SelectObject(m_hDC, font->m_hObject))) : nullptr;
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
  return bitmap ? CBitmap::FromHandle(static_cast<HBITMAP>(::SelectObject(m_hDC, bitmap->m_hObject))) : nullptr;
}

CGdiObject* CDC::SelectObject(CGdiObject* object) {
  return object ? CGdiObject::FromHandle(::SelectObject(m_hDC, object->m_hObject)) : nullptr;
}

CGdiObject* CDC::SelectStockObject(int index) {
  HGDIOBJ stock = ::GetStockObject(index);
  return stock ? CGdiObject::FromHandle(::SelectObject(m_hDC, stock)) : nullptr;
}

int CDC::SelectClipRgn(CRgn* region) {
  return ::SelectClipRgn(m_hDC, region ? static_cast<HRGN>(region->m_hObject) : nullptr);
}

int CDC::ExcludeClipRect(int left, int top, int right, int bottom) {
  return ::ExcludeClipRect(m_hDC, left, top, right, bottom);
}

int CDC::ExcludeClipRect(LPCRECT r) { return ExcludeClipRect(r->left, r->top, r->right, r->bottom); }

int CDC::IntersectClipRect(int left, int top, int right, int bottom) {
  return ::IntersectClipRect(m_hDC, left, top, right, bottom);
}

int CDC::IntersectClipRect(LPCRECT r) { return IntersectClipRect(r->left, r->top, r->right, r->bottom); }

POINT CDC::MoveTo(int x, int y) {
  POINT previous{0, 0};
  ::MoveToEx(m_hDC, x, y, &previous);
  return previous;
}

void CDC::FillRect(LPCRECT rect, CBrush* brush) {
  if (brush) ::FillRect(m_hDC, rect, static_cast<HBRUSH>(brush->m_hObject));
}

void CDC::FillSolidRect(LPCRECT rect, COLORREF color) {
  HBRUSH brush = ::CreateSolidBrush(color);
  ::FillRect(m_hDC, rect, brush);
  ::DeleteObject(brush);
}

void CDC::FillSolidRect(int x, int y, int width, int height, COLORREF color) {
  RECT r{x, y, x + width, y + height};
  FillSolidRect(&r, color);
}

void CDC::FrameRect(LPCRECT rect, CBrush* brush) {
  if (brush) ::FrameRect(m_hDC, rect, static_cast<HBRUSH>(brush->m_hObject));
}

SIZE CDC::GetTextExtent(LPCSTR text, int length) const {
  SIZE size{0, 0};
  if (!::GetTextExtentPoint32A(m_hDC, text, length, &size)) size = SIZE{0, 0};
  return size;
}

BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, DWORD rop) {
  return ::BitBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, sx, sy, rop);
}

BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* source, int sx, int sy, int sWidth, int sHeight,
                     DWORD rop) {
  return ::StretchBlt(m_hDC, x, y, width, height, source ? source->m_hDC : nullptr, sx, sy, sWidth, sHeight, rop);
}

int CDC::StartDoc(LPCSTR documentName) {
  DOCINFOA info{sizeof(DOCINFOA), documentName, nullptr, nullptr, 0};
  return ::StartDocA(m_hDC, &info);
}
