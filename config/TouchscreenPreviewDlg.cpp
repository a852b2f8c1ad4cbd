#include "config/TouchscreenPreviewDlg.h"

#include <string>

#include "config/AddTouchscreenActionDlg.h"
#include "config/TouchscreenAreas.h"
#include "platform/gdi/wingdi.h"
#include "platform/mfc/gdiobjects.h"
#include "platform/mfc/winapp.h"
#include "platform/polyimage/polyimage.h"
#include "platform/user/controls.h"
#include "platform/user/cursor.h"
#include "platform/user/input.h"
#include "platform/user/menu.h"
#include "platform/user/messagebox.h"
#include "platform/user/paint.h"
#include "platform/user/winuser.h"

namespace {

struct Screen {
  int bit;
  UINT command;
  const char* image;
};
const Screen kScreens[] = {{kTouchScreenReady, ID_TS_PREVIEW_READY, "ready.jpg"},
                           {kTouchScreenVideoReady, ID_TS_PREVIEW_VIDEO_READY, "video_ready.jpg"},
                           {kTouchScreenWelcome, ID_TS_PREVIEW_STANDBY, "welcome.jpg"},
                           {kTouchScreenConfirm, ID_TS_PREVIEW_PRINT_CONFIRM, "confirm_printing.jpg"},
                           {kTouchScreenVideoFinished, ID_TS_PREVIEW_VIDEO_CONFIRM, "video_playback_finished.jpg"},
                           {kTouchScreenVideoCapture, ID_TS_PREVIEW_VIDEO_CAPTURE, "video_capture.jpg"},
                           {kTouchScreenShare, ID_TS_PREVIEW_SHARE, "share.jpg"}};

// The screens the right-click menu offers, in its order.
struct MenuScreen {
  UINT command;
  int bit;
  const char* text;
};
const MenuScreen kMenuScreens[] = {{ID_TS_PREVIEW_READY, kTouchScreenReady, "Stills: ready.jpg screen"},
                                   {ID_TS_PREVIEW_PRINT_CONFIRM, kTouchScreenConfirm, "Stills: confirm_printing.jpg screen"},
                                   {ID_TS_PREVIEW_SHARE, kTouchScreenShare, "Share: share.jpg screen"},
                                   {ID_TS_PREVIEW_STANDBY, kTouchScreenWelcome, "Standby: welcome.jpg screen"}};

const int kGridStep = 100;
const int kHandleRadius = 6;
const COLORREF kGridColour = RGB(40, 40, 40);
const COLORREF kGridTextColour = RGB(80, 80, 80);
const COLORREF kLabelColour = RGB(80, 255, 80);

void RegisterResources() {
  static bool done = false;
  if (done) return;
  done = true;
  // An empty full-screen popup: the client pixels are the booth screen's pixels.
  AfxRegisterDialogTemplate({IDD_TOUCHSCREEN_PREVIEW, "Touchscreen Areas", {}, WS_POPUP});
  const BYTE key = FVIRTKEY, shift = FVIRTKEY | FSHIFT, ctrl = FVIRTKEY | FCONTROL;
  const ACCEL keys[] = {{key, VK_LEFT, ID_TS_MOVE_LEFT},       {key, VK_RIGHT, ID_TS_MOVE_RIGHT},
                        {key, VK_UP, ID_TS_MOVE_UP},           {key, VK_DOWN, ID_TS_MOVE_DOWN},
                        {shift, VK_LEFT, ID_TS_MOVE_LEFT20},   {shift, VK_RIGHT, ID_TS_MOVE_RIGHT20},
                        {shift, VK_UP, ID_TS_MOVE_UP20},       {shift, VK_DOWN, ID_TS_MOVE_DOWN20},
                        {ctrl, VK_UP, ID_TS_GROW_UP},          {ctrl, VK_DOWN, ID_TS_SHRINK_DOWN},
                        {ctrl, VK_RIGHT, ID_TS_GROW_RIGHT},    {ctrl, VK_LEFT, ID_TS_SHRINK_LEFT}};
  AddAcceleratorResource(IDR_TOUCHSCREEN_PREVIEW_KEYS, keys, static_cast<int>(sizeof(keys) / sizeof(keys[0])));
}

void DrawCross(HDC dc, const PhotoboothTouchscreenButton& a) {
  MoveToEx(dc, a.left, a.top, nullptr);
  LineTo(dc, a.right, a.bottom);
  MoveToEx(dc, a.right, a.top, nullptr);
  LineTo(dc, a.left, a.bottom);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, a.left, a.top, a.right, a.bottom);
  SelectObject(dc, oldBrush);
}

}  // namespace

CTouchscreenPreviewDlg::CTouchscreenPreviewDlg(CWnd* parent, CComboBox* labels, const CString& imagesFolder)
    : CDialog(IDD_TOUCHSCREEN_PREVIEW, parent), m_strImagesFolder(imagesFolder), m_pLabels(labels) {
  RegisterResources();
}

CTouchscreenPreviewDlg::~CTouchscreenPreviewDlg() {
  FreeBitmaps();
  delete m_pImage;
  if (m_hFont) DeleteObject(m_hFont);
}

void CTouchscreenPreviewDlg::FreeBitmaps() {
  if (m_hCanvasDC) {
    SelectObject(m_hCanvasDC, m_hCanvasOld);
    DeleteDC(m_hCanvasDC);
  }
  if (m_hCanvas) DeleteObject(m_hCanvas);
  if (m_hMemDC) {
    SelectObject(m_hMemDC, m_hMemOld);
    DeleteDC(m_hMemDC);
  }
  if (m_hMemBitmap) DeleteObject(m_hMemBitmap);
  m_hCanvasDC = m_hMemDC = nullptr;
  m_hCanvas = m_hMemBitmap = nullptr;
}

CString CTouchscreenPreviewDlg::LabelOf(int code) const {
  if (m_pLabels && m_pLabels->m_hWnd) {
    const int count = m_pLabels->GetCount();
    for (int i = 0; i < count; ++i) {
      if (static_cast<int>(m_pLabels->GetItemData(i)) != code) continue;
      CString label;
      m_pLabels->GetLBText(i, label);
      return label;
    }
    return "<undefined>";
  }
  const int row = TouchActionIndex(code);
  return row < 0 ? CString("<undefined>") : CString(TouchActionLabelAt(row));
}

std::string CTouchscreenPreviewDlg::OverlapReport() const {
  return m_editor.OverlapReport([this](int code) { return std::string(LabelOf(code).GetString()); });
}

BOOL CTouchscreenPreviewDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  ShowWindow(SW_SHOWMAXIMIZED);
  m_hFont = nullptr;
  {
    CFont font;
    font.CreatePointFont(120, "Arial", nullptr);
    m_hFont = static_cast<HFONT>(font.Detach());
  }
  m_hAccelerators = LoadAccelerators(AfxGetInstanceHandle(), MAKEINTRESOURCE(IDR_TOUCHSCREEN_PREVIEW_KEYS));
  HINSTANCE program = AfxGetInstanceHandle() ? AfxGetInstanceHandle() : reinterpret_cast<HINSTANCE>(0x400000);
  m_hMoveCursor = LoadCursor(program, MAKEINTRESOURCE(IDC_TOUCHSCREEN_MOVE_CURSOR));
  m_hSizeCursor = LoadCursor(nullptr, IDC_SIZEALL);
  m_hArrowCursor = LoadCursor(nullptr, IDC_ARROW);
  m_hCursor = m_hArrowCursor;
  for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i) m_editor.m_buttons[i] = m_editor.m_original[i];
  m_editor.m_nSelected = -1;
  m_editor.m_drag = TouchDrag::None;
  // The first screen is shown without an overlap check: nothing could have changed yet.
  m_editor.m_nScreenBit = kTouchScreenAll;
  SwitchScreen(kTouchScreenReady);
  return TRUE;
}

BOOL CTouchscreenPreviewDlg::SwitchScreen(int screenBit) {
  if (screenBit != kTouchScreenAll) {
    const std::string overlaps = OverlapReport();
    if (!overlaps.empty()) {
      ::MessageBoxA(m_hWnd, ("ERROR\n" + overlaps).c_str(), "Tavorin", MB_OK | MB_ICONERROR);
      return FALSE;
    }
  }
  delete m_pImage;
  m_pImage = nullptr;
  m_strImagePath.Empty();
  for (const Screen& screen : kScreens) {
    if (screen.bit != screenBit) continue;
    m_strImagePath = m_strImagesFolder + "/" + screen.image;
    auto* image = new PipSession;
    // A missing screen image leaves the black canvas with its grid; editing still works.
    if (cLoadImage(image->m_hSession, m_strImagePath, 0, 0, 0) && image->GetWidth() && image->GetHeight())
      m_pImage = image;
    else
      delete image;
  }
  m_editor.m_nScreenBit = screenBit;
  m_editor.m_nSelected = -1;
  m_editor.m_drag = TouchDrag::None;
  BuildCanvas();
  Redraw();
  return TRUE;
}

void CTouchscreenPreviewDlg::BuildCanvas() {
  FreeBitmaps();
  CRect client;
  GetClientRect(&client);
  const int width = std::max(1, static_cast<int>(client.Width())), height = std::max(1, static_cast<int>(client.Height()));
  m_editor.m_nClientWidth = client.Width();
  m_editor.m_nClientHeight = client.Height();
  HDC window = ::GetDC(m_hWnd);
  m_hCanvasDC = CreateCompatibleDC(window);
  m_hCanvas = CreateCompatibleBitmap(window, width, height);
  m_hCanvasOld = SelectObject(m_hCanvasDC, m_hCanvas);
  m_hMemDC = CreateCompatibleDC(window);
  m_hMemBitmap = CreateCompatibleBitmap(window, width, height);
  m_hMemOld = SelectObject(m_hMemDC, m_hMemBitmap);
  ::ReleaseDC(m_hWnd, window);

  HDC dc = m_hCanvasDC;
  RECT all{0, 0, width, height};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  if (m_pImage) {
    // Unscaled at the top-left corner; a larger image is cut by the window.
    RECT at{0, 0, static_cast<LONG>(m_pImage->GetWidth()), static_cast<LONG>(m_pImage->GetHeight())};
    m_pImage->SetDrawFlag(1);
    m_pImage->Draw(dc, at);
  }
  HPEN grid = CreatePen(PS_SOLID, 1, kGridColour);
  HGDIOBJ oldPen = SelectObject(dc, grid);
  HGDIOBJ oldFont = SelectObject(dc, m_hFont);
  SetTextColor(dc, kGridTextColour);
  SetBkMode(dc, TRANSPARENT);
  SIZE digit{0, 0};
  GetTextExtentPoint32A(dc, "0000", 4, &digit);
  // Labels stand on the grid row and column nearest the middle of the window.
  const int labelRow = height / 2 / kGridStep * kGridStep + digit.cy / 4;
  const int labelColumn = width / 2 / kGridStep * kGridStep + digit.cx / 4;
  for (int x = 0; x < width; x += kGridStep) {
    MoveToEx(dc, x, 0, nullptr);
    LineTo(dc, x, height);
  }
  for (int y = 0; y < height; y += kGridStep) {
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, width, y);
  }
  for (int x = 0; x < width; x += kGridStep) {
    const std::string text = std::to_string(x);
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TextOutA(dc, x - size.cx / 2, labelRow, text.c_str(), static_cast<int>(text.size()));
  }
  for (int y = 0; y < height; y += kGridStep) {
    const std::string text = std::to_string(y);
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TextOutA(dc, labelColumn, y - size.cy / 2, text.c_str(), static_cast<int>(text.size()));
  }
  SelectObject(dc, oldFont);
  SelectObject(dc, oldPen);
  DeleteObject(grid);
}

void CTouchscreenPreviewDlg::DrawAreas(HDC dc) {
  const bool showAll = m_editor.m_nScreenBit == kTouchScreenAll;
  HGDIOBJ oldFont = SelectObject(dc, m_hFont);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  for (int slot = 0; slot < kPhotoboothTouchscreenButtonCount; ++slot) {
    const PhotoboothTouchscreenButton& a = m_editor.m_buttons[slot];
    if (!m_editor.IsShown(slot) || a.left >= a.right || a.top >= a.bottom) continue;
    if (showAll) {
      HBRUSH grey = CreateSolidBrush(RGB(128, 128, 128));
      RECT area{a.left, a.top, a.right, a.bottom};
      FillRect(dc, &area, grey);
      DeleteObject(grey);
    }
    const int oldMode = SetROP2(dc, R2_NOT);
    DrawCross(dc, a);
    if (slot == m_editor.m_nSelected) {
      LOGBRUSH red{BS_SOLID, RGB(255, 0, 0), 0};
      HPEN dashed = ExtCreatePen(PS_GEOMETRIC | PS_DASH, 3, &red, 0, nullptr);
      HGDIOBJ previous = SelectObject(dc, dashed);
      DrawCross(dc, a);
      SelectObject(dc, previous);
      DeleteObject(dashed);
    }
    SetROP2(dc, oldMode);
    if (slot == m_editor.m_nSelected && m_editor.m_drag != TouchDrag::Move) {
      HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(WHITE_BRUSH));
      for (POINT corner : {POINT{a.left, a.top}, POINT{a.right, a.top}, POINT{a.left, a.bottom}, POINT{a.right, a.bottom}})
        Ellipse(dc, corner.x - kHandleRadius, corner.y - kHandleRadius, corner.x + kHandleRadius + 1,
                corner.y + kHandleRadius + 1);
      SelectObject(dc, oldBrush);
    }
    CString label;
    label.Format("%d:", slot + 1);
    label += LabelOf(a.action);
    RECT box{a.left, a.top, a.right, a.bottom};
    SetTextColor(dc, kLabelColour);
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, label, label.GetLength(), &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  // Which screen this is, at the bottom-left corner.
  const CString name = m_strImagePath.IsEmpty() ? CString("Show all touchscreen areas") : m_strImagePath;
  SIZE size{0, 0};
  GetTextExtentPoint32A(dc, name, name.GetLength(), &size);
  SetTextColor(dc, kLabelColour);
  SetBkColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, OPAQUE);
  TextOutA(dc, 0, m_editor.m_nClientHeight - size.cy, name, name.GetLength());
  SelectObject(dc, oldPen);
  SelectObject(dc, oldFont);
}

void CTouchscreenPreviewDlg::Redraw() {
  if (!m_hWnd || !m_hMemDC) return;
  const int width = m_editor.m_nClientWidth, height = m_editor.m_nClientHeight;
  BitBlt(m_hMemDC, 0, 0, width, height, m_hCanvasDC, 0, 0, SRCCOPY);
  DrawAreas(m_hMemDC);
  if (HDC window = ::GetDC(m_hWnd)) {
    BitBlt(window, 0, 0, width, height, m_hMemDC, 0, 0, SRCCOPY);
    ::ReleaseDC(m_hWnd, window);
  }
}

COLORREF CTouchscreenPreviewDlg::CanvasPixel(int x, int y) const {
  return m_hMemDC ? GetPixel(m_hMemDC, x, y) : CLR_INVALID;
}

void CTouchscreenPreviewDlg::ShowCursorKind(TouchCursor kind) {
  m_hCursor = kind == TouchCursor::Move ? m_hMoveCursor : kind == TouchCursor::Size ? m_hSizeCursor : m_hArrowCursor;
  if (!m_hCursor) m_hCursor = m_hArrowCursor;
  ::SetCursor(m_hCursor);
}

void CTouchscreenPreviewDlg::OnRightClick(POINT point) {
  m_editor.m_nSelected = m_editor.HitTest(point);
  m_rightClickPoint = point;
  Redraw();
  HMENU menu = CreatePopupMenu();
  if (m_editor.m_nSelected < 0) {
    AppendMenuA(menu, MF_STRING, ID_TS_PREVIEW_ADD_ACTION, "Add action...");
  } else {
    const CString text = CString("Delete action: ") + LabelOf(m_editor.m_buttons[m_editor.m_nSelected].action);
    AppendMenuA(menu, MF_STRING, ID_TS_PREVIEW_DELETE_ACTION, text);
  }
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  for (const MenuScreen& screen : kMenuScreens)
    AppendMenuA(menu, MF_STRING | (screen.bit == m_editor.m_nScreenBit ? MF_CHECKED : MF_UNCHECKED), screen.command,
                screen.text);
  AppendMenuA(menu, MF_STRING, IDCANCEL, "Exit");
  POINT at = point;
  ::ClientToScreen(m_hWnd, &at);
  m_bContextMenu = true;
  const UINT chosen =
      static_cast<UINT>(TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, at.x, at.y, 0, m_hWnd, nullptr));
  m_bContextMenu = false;
  DestroyMenu(menu);
  if (chosen) SendMessage(WM_COMMAND, chosen, 0);
}

void CTouchscreenPreviewDlg::OnAddAction() {
  CAddTouchscreenActionDlg picker(this);
  picker.m_labels.Add("None");
  for (int row = 0; row < TouchActionCount(); ++row)
    if (TouchActionScreenMask(TouchActionCodeAt(row)) & m_editor.m_nScreenBit) picker.m_labels.Add(TouchActionLabelAt(row));
  if (picker.DoModal() != IDOK || picker.m_strAction == "None") return;
  for (int row = 0; row < TouchActionCount(); ++row) {
    if (picker.m_strAction != TouchActionLabelAt(row)) continue;
    m_editor.AddAction(TouchActionCodeAt(row), m_rightClickPoint);
    break;
  }
  Redraw();
}

void CTouchscreenPreviewDlg::OnCancel() {
  if (!m_editor.Changed()) {
    EndDialog(IDCANCEL);
    return;
  }
  const std::string overlaps = OverlapReport();
  if (!overlaps.empty()) {
    ::MessageBoxA(m_hWnd, ("ERROR\n" + overlaps).c_str(), "Tavorin", MB_OK | MB_ICONERROR);
    return;
  }
  switch (::MessageBoxA(m_hWnd, "Save edited touchscreen settings?", "Tavorin", MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES: EndDialog(IDOK); break;
    case IDNO: EndDialog(IDCANCEL); break;
    default: break;
  }
}

BOOL CTouchscreenPreviewDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT id = LOWORD(wParam);
  if (m_editor.OnKeyCommand(id)) {
    Redraw();
    return TRUE;
  }
  for (const Screen& screen : kScreens) {
    if (screen.command == id) {
      SwitchScreen(screen.bit);
      return TRUE;
    }
  }
  switch (id) {
    case ID_TS_PREVIEW_SHOW_ALL: SwitchScreen(kTouchScreenAll); return TRUE;
    case ID_TS_PREVIEW_ADD_ACTION: OnAddAction(); return TRUE;
    case ID_TS_PREVIEW_DELETE_ACTION:
      m_editor.DeleteSelected();
      ShowCursorKind(TouchCursor::Arrow);
      Redraw();
      return TRUE;
    default: break;
  }
  return CDialog::OnCommand(wParam, lParam);
}

BOOL CTouchscreenPreviewDlg::PreTranslateMessage(MSG* msg) {
  if (msg->message == WM_KEYDOWN && m_hAccelerators && TranslateAccelerator(m_hWnd, m_hAccelerators, msg)) return TRUE;
  return CDialog::PreTranslateMessage(msg);
}

BOOL CTouchscreenPreviewDlg::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  auto done = [result](LRESULT value) {
    if (result) *result = value;
    return TRUE;
  };
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (HDC dc = BeginPaint(m_hWnd, &paint)) {
        if (m_hMemDC) {
          BitBlt(m_hMemDC, 0, 0, m_editor.m_nClientWidth, m_editor.m_nClientHeight, m_hCanvasDC, 0, 0, SRCCOPY);
          DrawAreas(m_hMemDC);
          BitBlt(dc, 0, 0, m_editor.m_nClientWidth, m_editor.m_nClientHeight, m_hMemDC, 0, 0, SRCCOPY);
        }
        EndPaint(m_hWnd, &paint);
      }
      return done(0);
    }
    case WM_SIZE: {
      CDialog::OnWndMsg(message, wParam, lParam, result);
      CRect client;
      GetClientRect(&client);
      if (m_hMemDC && (client.Width() != m_editor.m_nClientWidth || client.Height() != m_editor.m_nClientHeight)) {
        BuildCanvas();
        Redraw();
      }
      return TRUE;
    }
    case WM_LBUTTONDOWN:
      ::SetCapture(m_hWnd);
      ShowCursorKind(m_editor.PressLeft(point));
      Redraw();
      return done(0);
    case WM_MOUSEMOVE:
      if (m_bContextMenu) break;
      if (m_editor.m_drag != TouchDrag::None) {
        m_editor.DragTo(point);
        Redraw();
      } else {
        ShowCursorKind(m_editor.CursorAt(point));
      }
      return done(0);
    case WM_LBUTTONUP:
      if (::GetCapture() == m_hWnd) ::ReleaseCapture();
      m_editor.Release();
      Redraw();
      return done(0);
    case WM_RBUTTONUP:
      OnRightClick(point);
      return done(0);
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == m_hWnd && m_hCursor) {
        ::SetCursor(m_hCursor);
        return done(TRUE);
      }
      break;
    case WM_ERASEBKGND:
      return done(1);
    default: break;
  }
  return CDialog::OnWndMsg(message, wParam, lParam, result);
}
