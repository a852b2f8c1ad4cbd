#include "camera/ViewfinderDlg.h"

#include <cstring>
#include <mutex>
#include <string>

#include "camera/MotionFrame.h"
#include "camera/ViewfinderCrop.h"
#include "camera/ViewfinderPixels.h"
#include "platform/gdi/wingdi.h"
#include "platform/mfc/ddx.h"
#include "platform/registry/registry.h"
#include "platform/user/cursor.h"
#include "platform/user/input.h"
#include "platform/user/menu.h"
#include "platform/user/paint.h"
#include "platform/win32/sync.h"
#include "platform/win32/trace.h"
#include "support/PipSession.h"
#include "support/ProgramGlobals.h"

namespace {

// Posted by the SDK thread: the window takes the size and control places of the pending layout.
const UINT WM_VIEWFINDER_LAYOUT = WM_APP + 0x122;

const DWORD kMaxBackgroundPath = 10240;

HACCEL g_hViewfinderAccel = nullptr;

// The background picture's pixels for chroma keying, for one path and one frame size.
struct BackgroundCache {
  std::string path;
  int width = 0, height = 0;
  std::vector<BYTE> pixels;  // empty: nothing loaded
};

BackgroundCache& Background() {
  static BackgroundCache cache;
  return cache;
}

void RegisterTemplate() {
  static std::once_flag once;
  std::call_once(once, [] {
    DlgTemplate dialog{IDD_VIEWFINDER,
                       "Viewfinder Display",
                       {{IDC_VIEWFINDER_PICTURE, DlgItemKind::Picture, nullptr},
                        {IDC_VIEWFINDER_AEAF, DlgItemKind::Button, "Update AE/AF"},
                        {IDC_STAY_ON_TOP, DlgItemKind::Check, "Stay on top"},
                        {IDC_ONION_SKIN, DlgItemKind::Check, "Onion skinning"},
                        {IDC_VIEWFINDER_CROP, DlgItemKind::Check, "Crop"},
                        {IDC_MOVEMENT_THRESHOLD, DlgItemKind::Label, "Movement threshold"}},
                       0};
    dialog.manualLayout = true;
    AfxRegisterDialogTemplate(dialog);
    static const ACCEL keys[] = {
        {FVIRTKEY, VK_F5, ID_VIEWFINDER_KEEP_ONION},
        {FVIRTKEY, VK_F8, ID_VIEWFINDER_TAKE_PICTURE},
        {FVIRTKEY, VK_F9, ID_VIEWFINDER_TAKE_PREVIEW},
        {FVIRTKEY | FCONTROL, 'G', 131},
        {FVIRTKEY | FCONTROL, 'F', ID_VIEWFINDER_UNUSED_CTRL_F},
        {FVIRTKEY | FCONTROL, 'P', 1080},
        {FVIRTKEY, VK_PRIOR, 1080},
        {FVIRTKEY | FCONTROL, 'N', 1081},
        {FVIRTKEY, VK_NEXT, 1081},
        {FVIRTKEY, VK_UP, 32830},
        {FVIRTKEY, VK_DOWN, 32831},
        {FVIRTKEY | FCONTROL, 'L', 159},
    };
    AddAcceleratorResource(IDR_VIEWFINDER_ACCEL, keys, static_cast<int>(sizeof(keys) / sizeof(keys[0])));
  });
}

bool ReadDword(HKEY key, const char* name, DWORD& value) {
  DWORD type = 0, data = 0, size = sizeof(data);
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof(data))
    return false;
  value = data;
  return true;
}

// The chroma-key values and background path, read afresh for every frame.
ChromakeySettings ReadChromakey(std::string& backgroundPath) {
  ChromakeySettings key;
  backgroundPath.clear();
  HKEY product = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &product) != ERROR_SUCCESS) return key;
  ReadDword(product, "ChromakeyMode", key.mode);
  ReadDword(product, "ChromakeyThreshold", key.threshold);
  ReadDword(product, "ChromakeyPercentage", key.percentage);
  if (key.mode != 0) {
    std::vector<char> text(kMaxBackgroundPath + 1, '\0');
    DWORD type = 0, size = kMaxBackgroundPath;
    if (RegQueryValueExA(product, "ChromakeyBackground", nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                         &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ))
      backgroundPath.assign(text.data(), strnlen(text.data(), size));
  }
  RegCloseKey(product);
  return key;
}

// The cached background for this path and frame size, loaded when either changed; NULL when
// there is none. Called with ViewfinderLock held.
const BYTE* BackgroundFor(const std::string& path, int width, int height) {
  BackgroundCache& cache = Background();
  if (cache.path != path) {
    cache.pixels.clear();
    cache.path = path;
  }
  // A cache made for another frame size would be read outside its end.
  if (!cache.pixels.empty() && (cache.width != width || cache.height != height)) cache.pixels.clear();
  if (!path.empty() && cache.pixels.empty()) {
    PipSession session;
    BYTE* bits = nullptr;
    if (cLoadImage(session.m_hSession, path.c_str(), 0, 0, 0) && cOpIncreaseBitsPerPixel(session.m_hSession, 24) &&
        cOpResizeEx(session.m_hSession, width, height, 3, 0) && cGetBitsPtr(session.m_hSession, &bits) && bits &&
        static_cast<int>(session.GetWidth()) == width && static_cast<int>(session.GetHeight()) == height &&
        session.GetBitsPerPixel() == 24) {
      MakeBackgroundCache(bits, width, height, cache.pixels);
      cache.width = width;
      cache.height = height;
    } else {
      TRACE("ViewfinderCB(): cannot load the chroma-key background %s\n", path.c_str());
    }
  }
  return cache.pixels.empty() ? nullptr : cache.pixels.data();
}

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

CViewfinderDlg::CViewfinderDlg(CWnd* view, ViewfinderOwner* owner)
    : CDialog(IDD_VIEWFINDER, nullptr), m_pView(view), m_pOwner(owner) {
  RegisterTemplate();
  // The view has no window yet while it is being made: the main window owns this one.
  Create(IDD_VIEWFINDER, nullptr);
}

CViewfinderDlg::~CViewfinderDlg() {
  if (m_hWnd) DestroyWindow();
}

BOOL CViewfinderDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (CWnd* picture = GetDlgItem(IDC_VIEWFINDER_PICTURE)) picture->ShowWindow(SW_HIDE);
  if (CWnd* threshold = GetDlgItem(IDC_MOVEMENT_THRESHOLD)) threshold->ShowWindow(SW_HIDE);
  // Laid out for the camera's usual 320 x 240 frames until the first frame comes.
  int scale = m_nScale;
  Layout first;
  first.scale = scale <= 4 ? scale : 1;
  first.width = 320 * (scale <= 4 ? scale : 1);
  first.height = 240 * (scale <= 4 ? scale : 1);
  ApplyLayout(first);

  DWORD left = 0xFFFFFFFFu, top = 0xFFFFFFFFu;
  HKEY product = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kProductKey, 0, KEY_READ, &product) == ERROR_SUCCESS) {
    ReadDword(product, "ViewfinderWindowLeft", left);
    ReadDword(product, "ViewfinderWindowTop", top);
    RegCloseKey(product);
  }
  int x = static_cast<int>(left), y = static_cast<int>(top);
  if (x >= -99 && x < GetSystemMetrics(SM_CXSCREEN) - 50 && y >= -99 && y < GetSystemMetrics(SM_CYSCREEN) - 50)
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return FALSE;
}

void CViewfinderDlg::DoDataExchange(CDataExchange* dx) {
  CDialog::DoDataExchange(dx);
  DDX_Check(dx, IDC_STAY_ON_TOP, m_bStayOnTop);
  DDX_Check(dx, IDC_ONION_SKIN, m_bOnionSkin);
  DDX_Check(dx, IDC_VIEWFINDER_CROP, m_bCrop);
}

void CViewfinderDlg::ShowViewfinder(bool show) {
  if (!g_hViewfinderAccel) g_hViewfinderAccel = LoadAcceleratorsA(nullptr, MAKEINTRESOURCEA(IDR_VIEWFINDER_ACCEL));
  if (!m_hWnd) return;
  if (!show) {
    ShowWindow(SW_HIDE);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(ViewfinderLock());
    UpdateData(FALSE);
  }
  ShowWindow(SW_SHOWNOACTIVATE);
  ApplyTopmost();
}

void CViewfinderDlg::ApplyTopmost() {
  SetWindowPos(m_bStayOnTop ? &wndTopMost : &wndNoTopMost, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CViewfinderDlg::ReadChecks() {
  std::lock_guard<std::mutex> lock(ViewfinderLock());
  UpdateData(TRUE);
}

void CViewfinderDlg::KeepOnionSkinFrame() {
  std::lock_guard<std::mutex> lock(ViewfinderLock());
  if (!m_currentFrame.empty() && m_keptFrame.size() == m_currentFrame.size()) m_keptFrame = m_currentFrame;
}

RECT CViewfinderDlg::GetCropRect() const {
  std::lock_guard<std::mutex> lock(ViewfinderLock());
  return m_crop;
}

void CViewfinderDlg::SetCropRect(const RECT& crop) {
  std::lock_guard<std::mutex> lock(ViewfinderLock());
  m_crop = crop;
}

bool CViewfinderDlg::IsCropOn() const {
  std::lock_guard<std::mutex> lock(ViewfinderLock());
  return m_bCrop != FALSE;
}

void CViewfinderDlg::SetScale(int scale) { m_nScale = scale >= 1 && scale <= 5 ? scale : 1; }

void CViewfinderDlg::OnCancel() {
  Sleep(250);
  if (m_pView && m_pView->m_hWnd) ::PostMessageA(m_pView->m_hWnd, WM_COMMAND, MAKEWPARAM(159, 0), 0);
}

BOOL CViewfinderDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN) {
    UINT key = static_cast<UINT>(msg->wParam);
    bool modifiers = KeyDown(VK_SHIFT) || KeyDown(VK_CONTROL) || KeyDown(VK_MENU);
    if (!modifiers && ((key >= '0' && key <= '9') || key == VK_RETURN)) {
      if (m_pOwner) m_pOwner->OnViewfinderCommentKey(key);
      return TRUE;
    }
    if (key == VK_SPACE) {
      if (m_pOwner) m_pOwner->OnViewfinderCommand(ID_VIEWFINDER_TAKE_PICTURE);
      return TRUE;
    }
    if (g_hViewfinderAccel && TranslateAcceleratorA(m_hWnd, g_hViewfinderAccel, msg)) return TRUE;
  }
  return CDialog::PreTranslateMessage(msg);
}

BOOL CViewfinderDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  UINT id = LOWORD(wParam);
  switch (id) {
    case IDC_STAY_ON_TOP:
      ReadChecks();
      ApplyTopmost();
      return TRUE;
    case IDC_ONION_SKIN:
    case IDC_VIEWFINDER_CROP:
      ReadChecks();
      return TRUE;
    case ID_VIEWFINDER_KEEP_ONION:
      KeepOnionSkinFrame();
      return TRUE;
    case ID_VIEWFINDER_UNUSED_CTRL_F:
      return TRUE;
    case IDC_VIEWFINDER_AEAF:
    case 1028:
    case ID_VIEWFINDER_TAKE_PREVIEW:
    case ID_VIEWFINDER_TAKE_PICTURE:
    case 131:
    case 1080:
    case 1081:
    case 32830:
    case 32831:
    case 159:
      if (m_pOwner) m_pOwner->OnViewfinderCommand(id);
      return TRUE;
    default: break;
  }
  return CDialog::OnCommand(wParam, lParam);
}

BOOL CViewfinderDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (message == WM_VIEWFINDER_LAYOUT) {
    Layout layout;
    {
      std::lock_guard<std::mutex> lock(ViewfinderLock());
      layout = m_pendingLayout;
    }
    ApplyLayout(layout);
    *result = 0;
    return TRUE;
  }
  return CDialog::OnWndMsg(message, wParam, lParam, result);
}

void CViewfinderDlg::ApplyLayout(const Layout& layout) {
  if (!m_hWnd || layout.width <= 0 || layout.height <= 0) return;
  DWORD style = static_cast<DWORD>(GetWindowLongPtrA(m_hWnd, GWL_STYLE));
  DWORD wanted = layout.scale == 5 ? style & ~WS_CAPTION : style | WS_CAPTION;
  if (wanted != style) SetWindowLongPtrA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(wanted));

  CWnd* stayOnTop = GetDlgItem(IDC_STAY_ON_TOP);
  CWnd* onion = GetDlgItem(IDC_ONION_SKIN);
  CWnd* crop = GetDlgItem(IDC_VIEWFINDER_CROP);
  CWnd* aeaf = GetDlgItem(IDC_VIEWFINDER_AEAF);
  auto sizeOf = [](CWnd* control) {
    RECT r{0, 0, 0, 0};
    if (control) ::GetWindowRect(control->m_hWnd, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
  };
  SIZE stay = sizeOf(stayOnTop), onionSize = sizeOf(onion), cropSize = sizeOf(crop), button = sizeOf(aeaf);
  int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);

  RECT window{}, client{};
  ::GetWindowRect(m_hWnd, &window);
  ::GetClientRect(m_hWnd, &client);
  int frameWidth = (window.right - window.left) - client.right;
  int frameHeight = (window.bottom - window.top) - client.bottom;
  if (layout.scale == 5) {
    // At least the screen's size of client area, centred, whatever frame is left.
    int width = screenWidth + frameWidth, height = screenHeight + frameHeight;
    SetWindowPos(nullptr, (screenWidth - width) / 2, (screenHeight - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    int away = 2 * screenWidth;
    for (CWnd* control : {stayOnTop, onion, crop, aeaf})
      if (control) control->SetWindowPos(nullptr, away, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    int clientHeight = layout.height + 2 * stay.cy + 10;
    SetWindowPos(nullptr, 0, 0, layout.width + frameWidth, clientHeight + frameHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    int y = layout.height + 5;
    auto place = [](CWnd* control, int x, int top, SIZE size) {
      if (control) control->SetWindowPos(nullptr, x, top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(stayOnTop, 5, y, stay);
    place(crop, 5 + onionSize.cx, y, cropSize);
    place(aeaf, layout.width - button.cx - 5, y, button);
    place(onion, 5, y + stay.cy, onionSize);
  }
  ::InvalidateRect(m_hWnd, nullptr, TRUE);
  ::UpdateWindow(m_hWnd);
}

int CViewfinderDlg::ViewfinderCB(const BYTE* jpeg, DWORD size, int angle) {
  if (!jpeg || size == 0) return 1;
  m_nAngle = angle;
  std::vector<BYTE>& frame = m_decoded;
  int width = 0, height = 0;
  if (!DecodeViewfinderJpeg(jpeg, size, frame, width, height)) {
    TRACE("ViewfinderCB(): a frame of %lu bytes does not decode\n", static_cast<unsigned long>(size));
    return 1;
  }
  std::string backgroundPath;
  ChromakeySettings key = ReadChromakey(backgroundPath);
  ViewfinderOverlay overlay = m_pOwner ? m_pOwner->GetViewfinderOverlay() : ViewfinderOverlay{};

  bool shade = false;
  RECT keep{};
  {
    std::lock_guard<std::mutex> lock(ViewfinderLock());
    if (key.mode != 0) {
      DWORD start = GetTickCount();
      ChromakeyFrame(frame.data(), width, height, key, BackgroundFor(backgroundPath, width, height));
      TRACE("ViewfinderCB(): Chromakey %dms\n", static_cast<int>(GetTickCount() - start));
    }
    StoreFrame(frame, m_currentFrame, m_keptFrame);
    m_nFrameWidth = width;
    m_nFrameHeight = height;
    if (overlay.motionDetection) CopyToMotionFrame(frame.data(), width, height, MotionFrameBuffer());
    if (m_bOnionSkin && m_keptFrame.size() == frame.size()) BlendOnionSkin(frame.data(), m_keptFrame.data(), frame.size());
    shade = m_bCrop != FALSE;
    keep = ScaleCropRect(m_crop, width, height);
  }
  ShadeAndSwap(frame.data(), width, height, shade, keep);

  const BYTE* pixels = frame.data();
  if (angle == 90 || angle == 180 || angle == 270) {
    RotateFrame(frame.data(), width, height, angle, m_turned, width, height);
    pixels = m_turned.data();
  }
  int rowWidth = width;
  if (PadRows(pixels, width, height, m_padded)) {
    pixels = m_padded.data();
    rowWidth = PaddedWidth(width);
  }

  int scale = m_nScale;
  int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  POINT offset{0, 0};
  SIZE destination = DestinationSize(width, height, scale, screenWidth, screenHeight, offset);
  if (destination.cx != m_nLastWidth || scale != m_nLastScale || m_bRelayoutPending) {
    {
      std::lock_guard<std::mutex> lock(ViewfinderLock());
      m_pendingLayout = {static_cast<int>(destination.cx), static_cast<int>(destination.cy), offset, scale};
    }
    ::PostMessageA(m_hWnd, WM_VIEWFINDER_LAYOUT, 0, 0);
    m_bRelayoutPending = scale != m_nLastScale;
    m_nLastWidth = destination.cx;
    m_nLastScale = scale;
  }

  RECT source = ZoomSourceRect(width, height, overlay.digitalZoom);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = rowWidth;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  if (HDC dc = ::GetDC(m_hWnd)) {
    StretchDIBits(dc, offset.x, offset.y, destination.cx, destination.cy, source.left, source.top, source.right,
                  source.bottom, pixels, &info, DIB_RGB_COLORS, SRCCOPY);
    if (overlay.grid && overlay.gridColumns > 0 && overlay.gridRows > 0) {
      HPEN pen = CreatePen(PS_SOLID, 1, overlay.gridColour);
      HGDIOBJ old = SelectObject(dc, pen);
      for (int x : GridLines(destination.cx, overlay.gridColumns)) {
        MoveToEx(dc, offset.x + x, offset.y, nullptr);
        LineTo(dc, offset.x + x, offset.y + destination.cy);
      }
      for (int y : GridLines(destination.cy, overlay.gridRows)) {
        MoveToEx(dc, offset.x, offset.y + y, nullptr);
        LineTo(dc, offset.x + destination.cx, offset.y + y);
      }
      SelectObject(dc, old);
      DeleteObject(pen);
    }
    ::ReleaseDC(m_hWnd, dc);
  }
  ++m_nFramesDrawn;
  return 1;
}

bool CViewfinderDlg::CropEditing() const { return m_bCrop && m_nScale == 1; }

POINT CViewfinderDlg::PointerToFrame(CPoint point) const {
  int width = 320, height = 240;
  {
    std::lock_guard<std::mutex> lock(ViewfinderLock());
    if (m_nFrameWidth > 0 && m_nFrameHeight > 0) {
      width = m_nFrameWidth;
      height = m_nFrameHeight;
    }
  }
  int angle = m_nAngle;
  bool turned = angle == 90 || angle == 270;
  // At scale 1 a client pixel is a frame pixel; frames of another size map onto 320 x 240.
  POINT client{point.x, point.y};
  if (turned) client = {point.x * 240 / height, point.y * 320 / width};
  else client = {point.x * 320 / width, point.y * 240 / height};
  return CropClientToFrame(client, angle);
}

void CViewfinderDlg::OnLButtonDown(UINT flags, CPoint point) {
  if (!CropEditing()) {
    CDialog::OnLButtonDown(flags, point);
    return;
  }
  POINT p = PointerToFrame(point);
  POINT offset{0, 0};
  int mode = CropHitTest(GetCropRect(), p, offset);
  if (mode < 0) return;
  SetCursor(LoadCursorA(nullptr, CropCursor(mode, m_nAngle)));
  SetCapture();
  m_bDragging = true;
  m_nDragMode = mode;
  m_dragOffset = offset;
}

void CViewfinderDlg::OnMouseMove(UINT flags, CPoint point) {
  if (!CropEditing() && !m_bDragging) {
    CDialog::OnMouseMove(flags, point);
    return;
  }
  POINT p = PointerToFrame(point);
  if (m_bDragging) {
    std::lock_guard<std::mutex> lock(ViewfinderLock());
    CropDragTo(m_crop, m_nDragMode, p, m_dragOffset);
    return;
  }
  POINT offset{0, 0};
  SetCursor(LoadCursorA(nullptr, CropCursor(CropHitTest(GetCropRect(), p, offset), m_nAngle)));
}

void CViewfinderDlg::OnLButtonUp(UINT flags, CPoint point) {
  if (!m_bDragging) {
    CDialog::OnLButtonUp(flags, point);
    return;
  }
  m_bDragging = false;
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  ReleaseCapture();
}
