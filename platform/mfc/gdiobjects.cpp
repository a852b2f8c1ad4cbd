// GDI object wrappers and their per-thread temporary wrappers.
#include "platform/mfc/gdiobjects.h"

#include <memory>
#include <unordered_map>

#include "platform/mfc/cdc.h"

namespace {

// Temporary wrappers must never delete the handle they show.
struct DetachFirst {
  void operator()(CGdiObject* object) const {
    object->Detach();
    delete object;
  }
};

template <typename T>
T* Temporary(HGDIOBJ handle) {
  if (!handle) return nullptr;
  thread_local std::unordered_map<HGDIOBJ, std::unique_ptr<T, DetachFirst>> wrappers;
  auto& slot = wrappers[handle];
  if (!slot) {
    slot.reset(new T);
    slot->m_hObject = handle;
  }
  return slot.get();
}

int RoundedMulDiv(int a, int b, int c) {
  const long long p = static_cast<long long>(a) * b;
  return static_cast<int>((p >= 0 ? p + c / 2 : p - c / 2) / c);
}

}  // namespace

CGdiObject::~CGdiObject() { DeleteObject(); }

BOOL CGdiObject::Attach(HGDIOBJ object) {
  if (!object || m_hObject) return FALSE;
  m_hObject = object;
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ object = m_hObject;
  m_hObject = nullptr;
  return object;
}

BOOL CGdiObject::DeleteObject() {
  if (!m_hObject) return FALSE;
  if (!::DeleteObject(m_hObject)) return FALSE;
  m_hObject = nullptr;
  return TRUE;
}

BOOL CGdiObject::CreateStockObject(int index) { return Attach(::GetStockObject(index)); }

CGdiObject* CGdiObject::FromHandle(HGDIOBJ object) { return Temporary<CGdiObject>(object); }

BOOL CPen::CreatePen(int style, int width, COLORREF color) { return Attach(::CreatePen(style, width, color)); }

BOOL CPen::CreatePen(int style, int width, const LOGBRUSH* brush, int styleCount, const DWORD* styles) {
  return Attach(::ExtCreatePen(static_cast<DWORD>(style), static_cast<DWORD>(width), brush,
                               static_cast<DWORD>(styleCount), styles));
}

CPen* CPen::FromHandle(HPEN pen) { return Temporary<CPen>(pen); }

BOOL CBrush::CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }

CBrush* CBrush::FromHandle(HBRUSH brush) { return Temporary<CBrush>(brush); }

BOOL CFont::CreateFontIndirect(const LOGFONTA* font) { return Attach(::CreateFontIndirectA(font)); }

BOOL CFont::CreatePointFont(int pointSize, LPCSTR faceName, CDC* dc) {
  LOGFONTA lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfHeight = pointSize;
  if (faceName) {
    for (int i = 0; i < LF_FACESIZE - 1 && faceName[i]; ++i) lf.lfFaceName[i] = faceName[i];
  }
  return CreatePointFontIndirect(&lf, dc);
}

BOOL CFont::CreatePointFontIndirect(const LOGFONTA* font, CDC* dc) {
  if (!font) return FALSE;
  HDC measure = dc ? dc->GetSafeHdc() : nullptr;
  HDC screen = measure ? nullptr : ::CreateCompatibleDC(nullptr);
  const int dpi = ::GetDeviceCaps(measure ? measure : screen, LOGPIXELSY);
  if (screen) ::DeleteDC(screen);
  LOGFONTA lf = *font;
  // lfHeight arrives in tenths of a point.
  const int pixels = RoundedMulDiv(dpi, lf.lfHeight, 720);
  lf.lfHeight = -(pixels < 0 ? -pixels : pixels);
  return CreateFontIndirect(&lf);
}

CFont* CFont::FromHandle(HFONT font) { return Temporary<CFont>(font); }

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  return Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
  return dc && Attach(::CreateCompatibleBitmap(dc->GetSafeHdc(), width, height));
}

CBitmap* CBitmap::FromHandle(HBITMAP bitmap) { return Temporary<CBitmap>(bitmap); }

BOOL CRgn::CreateRectRgn(int left, int top, int right, int bottom) {
  return Attach(::CreateRectRgn(left, top, right, bottom));
}

BOOL CRgn::CreateRectRgnIndirect(LPCRECT rect) { return Attach(::CreateRectRgnIndirect(rect)); }

BOOL CRgn::CreateEllipticRgn(int left, int top, int right, int bottom) {
  return Attach(::CreateEllipticRgn(left, top, right, bottom));
}

int CRgn::CombineRgn(const CRgn* src1, const CRgn* src2, int mode) {
  return ::CombineRgn(static_cast<HRGN>(m_hObject), src1 ? static_cast<HRGN>(src1->m_hObject) : nullptr,
                      src2 ? static_cast<HRGN>(src2->m_hObject) : nullptr, mode);
}

CRgn* CRgn::FromHandle(HRGN region) { return Temporary<CRgn>(region); }
