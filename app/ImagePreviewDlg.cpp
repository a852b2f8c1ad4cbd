#include "app/ImagePreviewDlg.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "app/MyQuilletView.h"
#include "app/Resource.h"
#include "platform/gdi/objects.h"
#include "platform/mfc/waitcursor.h"
#include "platform/user/cursor.h"
#include "platform/user/input.h"
#include "platform/user/menu.h"
#include "platform/user/scrollbar.h"
#include "support/JpegMemory.h"

namespace {

const int kLinePixels = 10;
const int kWheelPixels = 60;
const COLORREF kBackground = RGB(240, 240, 240);  // the dialog face colour

void RegisterPreviewResources() {
  DlgTemplate dialog{IDD_IMAGE_PREVIEW, "Image Preview", {}, WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_HSCROLL | WS_VSCROLL};
  dialog.manualLayout = true;
  AfxRegisterDialogTemplate(dialog);
  // Its own keys: the booth window's table has no F7.
  static const ACCEL keys[] = {
      {FVIRTKEY, VK_F7, ID_IMAGE_PREVIEW},
      {FVIRTKEY, VK_F8, IDC_RELEASE},
      {FVIRTKEY, VK_F9, IDC_PREVIEW},
  };
  AddAcceleratorResource(IDR_IMAGE_PREVIEW_KEYS, keys, 3);
}

// Decoded rows are turned into the bitmap this many at a time, so the strip stays in cache.
const int kStripRows = 16;

// Writes `count` decoded rows (B,G,R,X pixels, `width` wide, first row `top`) into the
// bitmap's rows turned by the rotation; `out` is the top-down bitmap, `outWidth` pixels a row.
void PlaceRows(const uint32_t* strip, int width, int height, int top, int count, int rotation, uint32_t* out,
               int outWidth) {
  if (rotation == 90) {
    // Clockwise: (x, y) goes to column height - 1 - y of row x.
    for (int x = 0; x < width; ++x) {
      uint32_t* target = out + static_cast<size_t>(x) * outWidth + (height - top - count);
      for (int j = 0; j < count; ++j) target[count - 1 - j] = strip[static_cast<size_t>(j) * width + x];
    }
  } else if (rotation == 270) {
    // Counter-clockwise: (x, y) goes to column y of row width - 1 - x.
    for (int x = 0; x < width; ++x) {
      uint32_t* target = out + static_cast<size_t>(width - 1 - x) * outWidth + top;
      for (int j = 0; j < count; ++j) target[j] = strip[static_cast<size_t>(j) * width + x];
    }
  } else {  // 180: each row reversed, the last row first
    for (int j = 0; j < count; ++j) {
      const uint32_t* row = strip + static_cast<size_t>(j) * width;
      std::reverse_copy(row, row + width, out + static_cast<size_t>(height - 1 - top - j) * outWidth);
    }
  }
}

}  // namespace

CImagePreviewDlg::CImagePreviewDlg(CMyQuilletView* view) : CDialog(IDD_IMAGE_PREVIEW, view), m_pView(view) {
  RegisterPreviewResources();
}

CImagePreviewDlg::~CImagePreviewDlg() { delete m_pBitmap; }

BOOL CImagePreviewDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  DWORD style = static_cast<DWORD>(GetWindowLongPtrA(m_hWnd, GWL_STYLE));
  SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(style | WS_HSCROLL | WS_VSCROLL | WS_THICKFRAME));
  SetWindowPos(nullptr, 0, 0, 800, 600, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  m_hDragCursor = LoadCursor(nullptr, IDC_SIZEALL);
  SetScrollRanges();
  return TRUE;
}

void CImagePreviewDlg::ShowPreview() {
  if (!m_hAccel) m_hAccel = LoadAcceleratorsA(nullptr, MAKEINTRESOURCE(IDR_IMAGE_PREVIEW_KEYS));
  m_bShown = true;
  ShowWindow(SW_SHOW);
}

CBitmap* CImagePreviewDlg::MakeBitmap(const BYTE* jpeg, DWORD size, int rotation, int& width, int& height) {
  // Decoded straight into the screen-depth bitmap's own rows (B,G,R and an opaque fourth byte),
  // turned on the way when the photo is rotated: no second copy of a large photo.
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr error{};
  cinfo.err = InitJpegErrorManager(&error);
  HBITMAP dib = nullptr;
  try {
    jpeg_create_decompress(&cinfo);
    jpeg_memory_src(&cinfo, jpeg, size);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    const int w = static_cast<int>(cinfo.output_width), h = static_cast<int>(cinfo.output_height);
    const bool turned = rotation == 90 || rotation == 270;
    const int outWidth = turned ? h : w, outHeight = turned ? w : h;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = outWidth;
    info.bmiHeader.biHeight = -outHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    dib = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits) throw std::bad_alloc();
    auto* out = static_cast<uint32_t*>(bits);
    if (rotation != 90 && rotation != 180 && rotation != 270) {
      while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[kStripRows];
        int count = std::min<int>(kStripRows, h - static_cast<int>(cinfo.output_scanline));
        for (int j = 0; j < count; ++j)
          rows[j] = reinterpret_cast<JSAMPROW>(out + static_cast<size_t>(cinfo.output_scanline + j) * w);
        if (jpeg_read_scanlines(&cinfo, rows, static_cast<JDIMENSION>(count)) == 0) throw std::runtime_error("jpeg");
      }
    } else {
      std::vector<uint32_t> strip(static_cast<size_t>(w) * kStripRows);
      while (cinfo.output_scanline < cinfo.output_height) {
        const int top = static_cast<int>(cinfo.output_scanline);
        int count = 0;
        // Fill the whole strip; libjpeg may hand back fewer rows per call.
        while (count < kStripRows && cinfo.output_scanline < cinfo.output_height) {
          JSAMPROW rows[kStripRows];
          int want = std::min<int>(kStripRows - count, h - static_cast<int>(cinfo.output_scanline));
          for (int j = 0; j < want; ++j)
            rows[j] = reinterpret_cast<JSAMPROW>(strip.data() + static_cast<size_t>(count + j) * w);
          JDIMENSION got = jpeg_read_scanlines(&cinfo, rows, static_cast<JDIMENSION>(want));
          if (got == 0) throw std::runtime_error("jpeg");
          count += static_cast<int>(got);
        }
        PlaceRows(strip.data(), w, h, top, count, rotation, out, outWidth);
      }
    }
    jpeg_finish_decompress(&cinfo);
    width = outWidth;
    height = outHeight;
  } catch (...) {
    if (dib) ::DeleteObject(dib);
    dib = nullptr;
  }
  jpeg_destroy_decompress(&cinfo);
  if (!dib) return nullptr;
  auto* bitmap = new CBitmap;
  bitmap->Attach(dib);
  return bitmap;
}

bool CImagePreviewDlg::SetImage(const BYTE* jpeg, DWORD size, int rotation) {
  if (!m_bShown || !m_hWnd) return false;
  CWaitCursor wait;
  delete m_pBitmap;
  m_pBitmap = nullptr;
  if (!jpeg || size == 0) {
    Invalidate();
    return true;
  }
  int width = 0, height = 0;
  CBitmap* bitmap = MakeBitmap(jpeg, size, rotation, width, height);
  if (!bitmap) {
    Invalidate();
    return false;
  }
  m_nRotation = rotation;
  m_pBitmap = bitmap;
  CString title;
  title.Format("Image Preview (%dx%d)", width, height);
  SetWindowText(title);

  // Keep the point that was in the middle there for a picture of another size.
  CRect client;
  GetClientRect(&client);
  SCROLLINFO h{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0}, v = h;
  ::GetScrollInfo(m_hWnd, SB_HORZ, &h);
  ::GetScrollInfo(m_hWnd, SB_VERT, &v);
  int oldWidth = m_nImageWidth, oldHeight = m_nImageHeight;
  m_nImageWidth = width;
  m_nImageHeight = height;
  SetScrollRanges();
  int x = 0, y = 0;
  if (!m_bFirstShown) {
    x = (width - client.Width()) / 2;
    y = (height - client.Height()) / 2;
    m_bFirstShown = true;
  } else {
    x = h.nPos;
    y = v.nPos;
    if (oldWidth > 0 && h.nPos > 0 && client.Width() < width)
      x = static_cast<int>(static_cast<long long>(width) * (h.nPos + static_cast<int>(h.nPage) / 2) / oldWidth) -
          client.Width() / 2;
    if (oldHeight > 0 && v.nPos > 0 && client.Height() < height)
      y = static_cast<int>(static_cast<long long>(height) * (v.nPos + static_cast<int>(v.nPage) / 2) / oldHeight) -
          client.Height() / 2;
  }
  ::SetScrollPos(m_hWnd, SB_HORZ, std::max(0, x), TRUE);
  ::SetScrollPos(m_hWnd, SB_VERT, std::max(0, y), TRUE);
  Invalidate();
  return true;
}

void CImagePreviewDlg::SetScrollRanges() {
  if (!m_hWnd) return;
  CRect client;
  GetClientRect(&client);
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE, 0, m_nImageWidth, static_cast<UINT>(client.Width()), 0, 0};
  ::SetScrollInfo(m_hWnd, SB_HORZ, &info, TRUE);
  info.nMax = m_nImageHeight;
  info.nPage = static_cast<UINT>(client.Height());
  ::SetScrollInfo(m_hWnd, SB_VERT, &info, TRUE);
}

void CImagePreviewDlg::Scroll(int bar, UINT code, int position) {
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
  if (!::GetScrollInfo(m_hWnd, bar, &info)) return;
  CRect client;
  GetClientRect(&client);
  int clientSize = bar == SB_HORZ ? client.Width() : client.Height();
  int pos = info.nPos;
  switch (code) {
    case SB_LINEUP: pos -= kLinePixels; break;
    case SB_LINEDOWN: pos += kLinePixels; break;
    case SB_PAGEUP: pos -= clientSize * 4 / 5; break;
    case SB_PAGEDOWN: pos += clientSize * 4 / 5; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: pos = position; break;
    default: return;
  }
  int limit = std::max(0, info.nMax - static_cast<int>(info.nPage));
  pos = std::clamp(pos, 0, limit);
  if (pos == info.nPos) return;
  ::SetScrollPos(m_hWnd, bar, pos, TRUE);
  Invalidate(FALSE);
}

void CImagePreviewDlg::ScrollBy(int bar, int pixels) {
  int pos = ::GetScrollPos(m_hWnd, bar) + pixels;
  Scroll(bar, SB_THUMBPOSITION, pos);
}

void CImagePreviewDlg::OnHScroll(UINT code, UINT position, CScrollBar*) {
  Scroll(SB_HORZ, code, static_cast<int>(static_cast<short>(position)));
}

void CImagePreviewDlg::OnVScroll(UINT code, UINT position, CScrollBar*) {
  Scroll(SB_VERT, code, static_cast<int>(static_cast<short>(position)));
}

BOOL CImagePreviewDlg::OnMouseWheel(UINT, short delta, CPoint) {
  ScrollBy(SB_VERT, -(delta / 120) * kWheelPixels);
  return TRUE;
}

void CImagePreviewDlg::OnLButtonDown(UINT, CPoint point) {
  SetCapture();
  m_hSavedCursor = ::SetCursor(m_hDragCursor);
  m_bDragging = true;
  m_lastMouse = point;
}

void CImagePreviewDlg::OnMouseMove(UINT, CPoint point) {
  if (!m_bDragging) return;
  ScrollBy(SB_VERT, m_lastMouse.y - point.y);
  ScrollBy(SB_HORZ, m_lastMouse.x - point.x);
  m_lastMouse = point;
}

void CImagePreviewDlg::OnLButtonUp(UINT, CPoint) {
  if (!m_bDragging) return;
  m_bDragging = false;
  ::SetCursor(m_hSavedCursor);
  ::ReleaseCapture();
}

void CImagePreviewDlg::OnSize(UINT type, int width, int height) {
  CDialog::OnSize(type, width, height);
  SetScrollRanges();
  Invalidate(FALSE);
}

BOOL CImagePreviewDlg::OnEraseBkgnd(CDC*) { return TRUE; }

void CImagePreviewDlg::OnPaint() {
  CPaintDC dc(this);
  if (!dc.m_hDC) return;
  CRect client;
  GetClientRect(&client);
  dc.FillSolidRect(&client, kBackground);
  if (!m_pBitmap) return;
  CDC memory;
  if (!memory.CreateCompatibleDC(&dc)) return;
  CBitmap* old = memory.SelectObject(m_pBitmap);
  // A picture smaller than the window is centred on that axis.
  int x = m_nImageWidth < client.Width() ? (client.Width() - m_nImageWidth) / 2 : -::GetScrollPos(m_hWnd, SB_HORZ);
  int y = m_nImageHeight < client.Height() ? (client.Height() - m_nImageHeight) / 2 : -::GetScrollPos(m_hWnd, SB_VERT);
  dc.BitBlt(x, y, m_nImageWidth, m_nImageHeight, &memory, 0, 0, SRCCOPY);
  memory.SelectObject(old);
}

BOOL CImagePreviewDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && m_hAccel && TranslateAcceleratorA(m_hWnd, m_hAccel, msg)) return TRUE;
  return CDialog::PreTranslateMessage(msg);
}

BOOL CImagePreviewDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case ID_IMAGE_PREVIEW:
      OnClose();
      return TRUE;
    case IDC_RELEASE:
      if (m_pView) m_pView->OnTakePicture();
      return TRUE;
    case IDC_PREVIEW:
      if (m_pView) m_pView->OnTakePreview();
      return TRUE;
    default:
      return CDialog::OnCommand(wParam, lParam);
  }
}

void CImagePreviewDlg::OnCancel() { OnClose(); }

void CImagePreviewDlg::OnClose() {
  m_bShown = false;
  m_bTopmost = false;
  ShowWindow(SW_HIDE);
  if (CWnd* main = AfxGetMainWnd()) main->SetForegroundWindow();
}

void CImagePreviewDlg::StayOnTop(bool viewActive) {
  if (!m_hWnd || !m_bShown) return;
  if (viewActive) {
    if (m_bTopmost) return;
    SetWindowPos(&wndTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_bTopmost = true;
  } else if (m_bTopmost) {
    SetWindowPos(&wndNoTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (CWnd* parent = GetParent()) SetWindowPos(parent, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    m_bTopmost = false;
  }
}
