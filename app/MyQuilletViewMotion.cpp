// The live view window as the view drives it, and the motion trigger: an outside program
// says hello with the registered hot-spot message, asks for 320 x 240 frames (sent back by
// WM_COPYDATA) and asks for pictures.
#include <cstring>
#include <ctime>
#include <mutex>
#include <vector>

#include "app/DataFiles.h"
#include "app/FullscreenDlg.h"
#include "app/MyQuilletView.h"
#include "app/Resource.h"
#include "camera/MotionFrame.h"
#include "camera/ViewfinderDlg.h"
#include "config/MotionDlg.h"
#include "platform/gdi/wingdi.h"
#include "platform/registry/registry.h"
#include "platform/user/htmlhelp.h"
#include "platform/user/messagebox.h"
#include "platform/win32/files.h"
#include "platform/win32/trace.h"
#include "support/ProgramGlobals.h"

namespace {

const char kMotionProgramKey[] = "SOFTWARE\\Vevir Edidad\\Rizoru Vori Rivarad";
const DWORD kMaxExecutablePath = 1024;

// The motion program's "Executable", without quotes and blanks around it; "" when absent.
CString ReadMotionProgramPath() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kMotionProgramKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return CString();
  std::vector<char> text(kMaxExecutablePath + 1, '\0');
  DWORD type = 0, size = kMaxExecutablePath;
  LSTATUS status =
      RegQueryValueExA(key, "Executable", nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return CString();
  CString path(text.data());
  path.Trim("\" ");
  return path;
}

bool ValidCrop(int left, int top, int right, int bottom) {
  return left >= 0 && top >= 0 && right <= 319 && bottom <= 239 && right - left >= 10 && bottom - top >= 10;
}

}  // namespace

int CMyQuilletView::GetViewfinderAngle() const {
  switch (m_nOrientationSetting) {
    case 1: return 270;
    case 2: return 90;
    case 3: return 180;
    case 4: return m_nRotation;
    default: return 0;
  }
}

void CMyQuilletView::CreateViewfinderWindow() {
  m_pViewfinderDlg = new CViewfinderDlg(this, this);
  ApplyViewfinderSettings();
}

void CMyQuilletView::ApplyViewfinderSettings() {
  if (!m_pViewfinderDlg) return;
  m_pViewfinderDlg->m_bStayOnTop = m_nViewfinderStayOnTop != 0;
  m_pViewfinderDlg->m_bOnionSkin = m_nViewfinderOnionSkinning != 0;
  m_pViewfinderDlg->m_bCrop = m_bCrop;
  m_pViewfinderDlg->SetScale(m_nViewfinderScale);
  // A stored rectangle that does not fit the frame falls back to the default one.
  if (ValidCrop(m_nCropX1, m_nCropY1, m_nCropX2, m_nCropY2))
    m_pViewfinderDlg->SetCropRect({m_nCropX1, m_nCropY1, m_nCropX2, m_nCropY2});
  else
    m_pViewfinderDlg->SetCropRect({100, 100, 250, 200});
}

void CMyQuilletView::DestroyViewfinderWindow() {
  if (!m_pViewfinderDlg) return;
  if (m_pViewfinderDlg->m_hWnd) {
    RECT window{};
    ::GetWindowRect(m_pViewfinderDlg->m_hWnd, &window);
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                        nullptr, &key, nullptr) == ERROR_SUCCESS) {
      WriteRegDword(key, "ViewfinderWindowLeft", static_cast<DWORD>(window.left));
      WriteRegDword(key, "ViewfinderWindowTop", static_cast<DWORD>(window.top));
      RegCloseKey(key);
    }
  }
  delete m_pViewfinderDlg;
  m_pViewfinderDlg = nullptr;
}

void CMyQuilletView::ReadViewfinderSettings() {
  if (!m_pViewfinderDlg) return;
  m_nViewfinderStayOnTop = m_pViewfinderDlg->m_bStayOnTop ? 1 : 0;
  m_nViewfinderOnionSkinning = m_pViewfinderDlg->m_bOnionSkin ? 1 : 0;
  m_nViewfinderScale = m_pViewfinderDlg->GetScale();
  m_bCrop = m_pViewfinderDlg->IsCropOn() ? TRUE : FALSE;
  RECT crop = m_pViewfinderDlg->GetCropRect();
  m_nCropX1 = crop.left;
  m_nCropY1 = crop.top;
  m_nCropX2 = crop.right;
  m_nCropY2 = crop.bottom;
}

bool CMyQuilletView::IsViewfinderCropOn() {
  if (m_pFullscreenDlg && m_pFullscreenDlg->m_bNoViewfinderCrop) return false;
  return m_pViewfinderDlg && m_pViewfinderDlg->IsCropOn();
}

void CMyQuilletView::GetViewfinderCropRect(CCamera* camera, int& left, int& top, int& right, int& bottom) {
  RECT crop{0, 0, 319, 239};
  if (m_pViewfinderDlg && camera) crop = m_pViewfinderDlg->GetCropRect();
  left = crop.left;
  top = crop.top;
  right = crop.right;
  bottom = crop.bottom;
}

void CMyQuilletView::OnViewfinderCommand(UINT id) {
  switch (id) {
    case IDC_RELEASE: RefocusWithAfLock(); break;  // the window's "Update AE/AF"
    case IDC_PREVIEW:
    case ID_VIEWFINDER_TAKE_PREVIEW: OnTakePreview(); break;
    case ID_VIEWFINDER_TAKE_PICTURE: OnTakePicture(); break;
    default:
      // Grid, browsing, zoom and live view are the main window's commands too.
      SendMessage(WM_COMMAND, MAKEWPARAM(id, 1), 0);
      break;
  }
}

void CMyQuilletView::OnViewfinderCommentKey(UINT key) {
  if (key == VK_RETURN) {
    m_bCommentRestart = true;
    return;
  }
  if (!m_editComment.m_hWnd || key < '0' || key > '9') return;
  char digit[2] = {static_cast<char>(key), '\0'};
  CString text = m_bCommentRestart ? CString() : GetCommentText();
  m_editComment.SetWindowText(text + digit);
  m_bCommentRestart = false;
}

ViewfinderOverlay CMyQuilletView::GetViewfinderOverlay() {
  ViewfinderOverlay overlay;
  overlay.digitalZoom = m_dDigitalZoom;
  overlay.grid = m_bDisplayGrid;
  overlay.gridColour = static_cast<COLORREF>(m_nGridColour);
  overlay.gridColumns = m_nHorizontalGridDivisions;
  overlay.gridRows = m_nVerticalGridDivisions;
  overlay.motionDetection = m_bMotionDetection;
  return overlay;
}

void CMyQuilletView::DrawMotionPlaceholder() {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = dc ? CreateCompatibleBitmap(dc, kMotionFrameWidth, kMotionFrameHeight) : nullptr;
  if (!bitmap) {
    if (dc) DeleteDC(dc);
    return;
  }
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
  Rectangle(dc, 0, 0, kMotionFrameWidth, kMotionFrameHeight);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(160, 160, 0));
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  int lineHeight = metrics.tmHeight > 0 ? metrics.tmHeight : 16;
  char clock[16] = {};
  std::time_t now = std::time(nullptr);
  std::strftime(clock, sizeof(clock), "%H:%M:%S", std::localtime(&now));
  CString timeLine = CString("Time: ") + clock;
  auto line = [&](int y, const CString& text) { TextOutA(dc, 10, y, text, text.GetLength()); };
  if (m_pCamera && m_pCamera->IsConnected()) {
    line(120 - lineHeight, "Tavorin: Motion detection not enabled");
    line(122, "Camera: " + m_pCamera->GetModelName());
    line(122 + lineHeight + 2, timeLine);
  } else {
    line(120 - lineHeight, "Tavorin: Not connected to camera");
    line(122, timeLine);
  }
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBitmap);

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = kMotionFrameWidth;
  info.bmiHeader.biHeight = -kMotionFrameHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  {
    std::lock_guard<std::mutex> lock(ViewfinderLock());
    GetDIBits(dc, bitmap, 0, kMotionFrameHeight, MotionFrameBuffer(), &info, DIB_RGB_COLORS);
  }
  DeleteObject(bitmap);
  DeleteDC(dc);
}

LRESULT CMyQuilletView::OnHotSpotMessage(WPARAM wParam, LPARAM lParam) {
  TRACE("OnHotSpotMessage() wParam=0x%04x\n", static_cast<unsigned>(wParam));
  switch (wParam) {
    case 0:
      m_hMotionPeer = reinterpret_cast<HWND>(lParam);
      if (m_hMotionPeer) ::SendMessageA(m_hMotionPeer, g_nHotSpotMessage, 6000, reinterpret_cast<LPARAM>(m_hWnd));
      break;
    case 10: {
      if (!m_pCamera || !m_pCamera->IsConnected() || !m_bMotionDetection) DrawMotionPlaceholder();
      // The peer gets a copy: the viewfinder thread may write the next frame meanwhile.
      std::vector<BYTE> frame(kMotionFrameBytes);
      {
        std::lock_guard<std::mutex> lock(ViewfinderLock());
        std::memcpy(frame.data(), MotionFrameBuffer(), kMotionFrameBytes);
      }
      COPYDATASTRUCT data{1, static_cast<DWORD>(kMotionFrameBytes), frame.data()};
      if (m_hMotionPeer)
        ::SendMessageA(m_hMotionPeer, WM_COPYDATA, reinterpret_cast<WPARAM>(m_hWnd), reinterpret_cast<LPARAM>(&data));
      break;
    }
    case 11:
      if (!m_bBusy) OnTakePicture();
      break;
    default: break;
  }
  return 0;
}

void CMyQuilletView::OnMotionDetection() {
  if (m_bMotionDetection) {
    if (m_nViewfinderOutput == 3 && !m_bLiveViewfinder) EnableViewfinder(false);
    m_bMotionDetection = false;
    UpdateControls();
    return;
  }
  CString program = ReadMotionProgramPath();
  if (!program.IsEmpty() && PathFileExistsA(program)) {
    if (!m_hMotionPeer) {
      CWnd* frame = AfxGetMainWnd();
      ::MessageBoxA(frame ? frame->m_hWnd : nullptr,
                    "Please run Rizoru Vori Rivarad and select\n\"Connect to Morvane Systems Tavorin software\"\nto "
                    "enable motion detection.",
                    "Tavorin", MB_OK);
    }
    if (EnableViewfinder(true)) m_bMotionDetection = true;
  } else {
    CMotionDlg notice(this);
    if (notice.DoModal() == IDOK) OpenHelpTopic("MotionDetection.htm");
  }
  UpdateControls();
}

void CMyQuilletView::OpenHelpTopic(const char* topic) {
  CString folder = FindDataFile("help");
  if (folder.IsEmpty() || !HtmlHelpA(m_hWnd, folder + "::/" + topic, HH_DISPLAY_TOPIC, 0))
    TRACE("OpenHelpTopic() - no help page %s\n", topic);
}
