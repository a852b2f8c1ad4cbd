#include "photobooth/ConfirmPrintingDlg.h"

#include <ctime>
#include <string>

#include "app/MyQuilletView.h"
#include "keyboard/KeyboardDialog.h"
#include "keyboard/KeyboardLayout.h"
#include "keyboard/KeyboardResource.h"
#include "keyboard/MyMessageBox.h"
#include "photobooth/FullscreenDlg.h"
#include "photobooth/TouchActionTable.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/mfc/dlgtemplate.h"
#include "platform/mfc/windowdc.h"
#include "platform/user/cursor.h"
#include "platform/user/input.h"
#include "platform/user/menu.h"
#include "platform/win32/codepage.h"
#include "platform/win32/files.h"
#include "printlayout/PrinterMargins.h"
#include "support/ImageGIF.h"

namespace {

// Commands of table 223.
enum : UINT {
  kCopies1 = 32886,
  kCopies2 = 32888,
  kCopies5 = 32891,
  kCopies6 = 32844,
  kCopies9 = 32847,
  kCopiesUp = 32855,
  kCopiesDown = 32856,
  kConfirm = 32895,
  kCancel = 32896,
  kPrint = 32916,
  kFacebook = 32914,
  kEmail = 32915,
  kTwitter = 32970,
  kMms = 32971,
  kEditMessage = 32959,
};

LONGLONG SecondsSince1970() { return static_cast<LONGLONG>(std::time(nullptr)); }

void RegisterConfirmPrintingResources() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  DlgTemplate dialog{IDD_CONFIRM_PRINTING,
                     "Morvane Systems Photobooth - confirm printing",
                     {{IDOK, DlgItemKind::DefButton, "&Print"}, {IDCANCEL, DlgItemKind::Button, "Cancel"}},
                     WS_POPUP | WS_VISIBLE};
  dialog.manualLayout = true;
  AfxRegisterDialogTemplate(dialog);
  static const ACCEL keys[] = {
      {FVIRTKEY | FCONTROL, '1', kCopies1},      {FVIRTKEY | FCONTROL, '2', kCopies2},
      {FVIRTKEY | FCONTROL, '3', kCopies2 + 1},  {FVIRTKEY | FCONTROL, '4', kCopies2 + 2},
      {FVIRTKEY | FCONTROL, '5', kCopies5},      {FVIRTKEY | FCONTROL, '6', kCopies6},
      {FVIRTKEY | FCONTROL, '7', kCopies6 + 1},  {FVIRTKEY | FCONTROL, '8', kCopies6 + 2},
      {FVIRTKEY | FCONTROL, '9', kCopies9},      {FVIRTKEY, VK_ADD, kCopiesUp},
      {FVIRTKEY, VK_SUBTRACT, kCopiesDown},      {FVIRTKEY, 'A', kConfirm},
      {FVIRTKEY, 'X', kCancel},                  {FVIRTKEY, 'P', kPrint},
      {FVIRTKEY, 'F', kFacebook},                {FVIRTKEY, 'E', kEmail},
      {FVIRTKEY, 'T', kTwitter},                 {FVIRTKEY, 'S', kMms},
      {FVIRTKEY, 'M', kEditMessage},
  };
  AddAcceleratorResource(IDR_CONFIRM_PRINTING_KEYS, keys, static_cast<int>(sizeof(keys) / sizeof(keys[0])));
}

// Copies keys: 1..9 in command order.
int CopiesOfCommand(UINT id) {
  if (id == kCopies1) return 1;
  if (id >= kCopies2 && id <= kCopies5) return static_cast<int>(id - kCopies2) + 2;
  if (id >= kCopies6 && id <= kCopies9) return static_cast<int>(id - kCopies6) + 6;
  return 0;
}

std::unique_ptr<Gdiplus::Image> LoadBackground(const CString& path) {
  if (path.IsEmpty() || !PathFileExistsA(path)) return nullptr;
  int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (length <= 0) return nullptr;
  std::u16string wide(static_cast<size_t>(length), u'\0');
  MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), length);
  auto image = std::make_unique<Gdiplus::Image>(reinterpret_cast<const WCHAR*>(wide.c_str()));
  if (image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0 || image->GetHeight() == 0) return nullptr;
  return image;
}

}  // namespace

INT_PTR (*CConfirmPrintingDlg::s_pfnOpenSharingScreen)(CConfirmPrintingDlg&, int, const ViewSettings&) =
    OpenUploadScreen;
LONGLONG (*CConfirmPrintingDlg::s_pfnNow)() = SecondsSince1970;

void ReplaceShareMessage(ViewSettings& s, const CString& message) {
  for (CString* text : {&s.m_strPhotoboothFbComment, &s.m_strPhotoboothFbAlbum, &s.m_strPhotoboothFbAlbumDesc, &s.m_strPhotoboothEmailSubject,
                        &s.m_strPhotoboothEmailMsgText, &s.m_strPhotoboothEmailMsgHTML,
                        &s.m_strPhotoboothTwitterComment, &s.m_strMmsMessage})
    text->Replace("{message}", message);
}

CConfirmPrintingDlg::CConfirmPrintingDlg(CWnd* parent, int* copies, const PipSession& image,
                                         const PhotoboothTouchscreenButton* buttons)
    : CDialog(IDD_CONFIRM_PRINTING, parent), m_pCopies(copies), m_image(image), m_pButtons(buttons) {
  RegisterConfirmPrintingResources();
}

CConfirmPrintingDlg::~CConfirmPrintingDlg() = default;

int CConfirmPrintingDlg::CropToPrinterMargins() { return ::CropToPrinterMargins(m_image); }

int CConfirmPrintingDlg::CropImage(int x, int y, int width, int height) {
  cSetOpRectangle(m_image.m_hSession, x, y, x + width - 1, y + height - 1, 0);
  return cOpCrop(m_image.m_hSession);
}

void CConfirmPrintingDlg::RotateImage(int degrees) {
  if (degrees != 0) m_image.Rotate(degrees * 10, false);
}

bool CConfirmPrintingDlg::IsSharingMode() const { return m_strBackgroundPath.Find("share.jpg", 1) >= 1; }

CRect CConfirmPrintingDlg::ComputePreviewBox(int clientWidth, int clientHeight, int imageWidth, int imageHeight,
                                             bool sharing, int previewX, int previewY, int previewW, int previewH,
                                             int limitWidth, int limitHeight) {
  int maxWidth = clientWidth, maxHeight = clientHeight;
  bool widthSet = previewW > 5, heightSet = previewH > 5;
  if (sharing && (!widthSet || !heightSet)) {
    maxWidth = clientWidth - 200;
    maxHeight = clientHeight * 3 / 4;
  }
  if (widthSet && previewW < maxWidth) maxWidth = previewW;
  if (heightSet && previewH < maxHeight) maxHeight = previewH;
  if (previewX > 0 && clientWidth - previewX < maxWidth) maxWidth = clientWidth - previewX;
  if (previewY > 0 && clientHeight - previewY < maxHeight) maxHeight = clientHeight - previewY;
  if (limitWidth > 0 && limitWidth < maxWidth) maxWidth = limitWidth;
  if (limitHeight > 0 && limitHeight < maxHeight) maxHeight = limitHeight;
  if (imageWidth <= 0 || imageHeight <= 0 || maxWidth <= 0 || maxHeight <= 0) return CRect(0, 0, 0, 0);
  int width = maxWidth;
  int height = static_cast<int>(static_cast<long long>(width) * imageHeight / imageWidth);
  if (height > maxHeight) {
    height = maxHeight;
    width = static_cast<int>(static_cast<long long>(height) * imageWidth / imageHeight);
  }
  int left = previewX > 0 ? previewX : (clientWidth - width) / 2;
  int top = previewY > 0 ? previewY : (clientHeight - height) / 2;
  return CRect(left, top, left + width, top + height);
}

bool CConfirmPrintingDlg::HandlesAction(int code) const {
  if (IsSharingMode()) {
    switch (code) {
      case kTouchShareFacebook:
      case kTouchShareEmail:
      case kTouchShareClose:
      case kTouchSharePrint:
      case kTouchShareEditMessage:
      case kTouchShareTwitter:
      case kTouchShareMms:
        return true;
      default:
        return false;
    }
  }
  return TouchActionCopies(code) != 0 || code == kTouchIncreasePrints || code == kTouchDecreasePrints ||
         code == kTouchConfirmPrinting || code == kTouchCancelPrinting || code == kTouchConfirmNoJpegCopy;
}

int CConfirmPrintingDlg::TouchedAction(CPoint point) const {
  if (!m_pButtons) return 0;
  for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i) {
    const PhotoboothTouchscreenButton& area = m_pButtons[i];
    if (point.x < area.left || point.x > area.right || point.y < area.top || point.y > area.bottom) continue;
    if (HandlesAction(area.action)) return area.action;
  }
  return 0;
}

BOOL CConfirmPrintingDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (!m_pBoothWindow) {
    CMyQuilletView* view = GetMainView();
    if (view) m_pBoothWindow = view->BoothWindow();
  }
  m_pBackground = LoadBackground(m_strBackgroundPath);
  SetWindowText(m_pBackground ? "Morvane Systems Photobooth - " + m_strBackgroundPath
                              : CString("Morvane Systems Photobooth - confirm printing"));
  ShowWindow(SW_SHOWMAXIMIZED);
  m_hAccel = LoadAccelerators(AfxGetInstanceHandle(), MAKEINTRESOURCE(IDR_CONFIRM_PRINTING_KEYS));
  m_hCursor = LoadCursor(AfxGetInstanceHandle(), MAKEINTRESOURCE(IDC_INVISIBLE_CURSOR));
  bool confirmAreas = false;
  for (int i = 0; m_pButtons && i < kPhotoboothTouchscreenButtonCount; ++i) {
    int code = m_pButtons[i].action;
    confirmAreas |= code == kTouchConfirmPrinting || code == kTouchCancelPrinting || code == kTouchConfirmNoJpegCopy;
  }
  m_bHideButtons = confirmAreas || IsSharingMode();
  CRect client;
  GetClientRect(&client);
  for (int id : {IDOK, IDCANCEL}) {
    CWnd* button = GetDlgItem(id);
    if (!button) continue;
    if (m_bHideButtons) {
      button->ShowWindow(SW_HIDE);
      continue;
    }
    int x = id == IDOK ? client.Width() / 2 - 130 : client.Width() / 2 + 10;
    button->MoveWindow(x, client.Height() - 60, 120, 40);
  }
  if (!m_strGifPath.IsEmpty()) StartGif();
  m_nLastActivity = s_pfnNow();
  SetTimer(TIMER_CONFIRM_PRINTING, 200);
  SetFocus();
  return FALSE;
}

void CConfirmPrintingDlg::StartGif() {
  auto gif = std::make_unique<ImageGIF>(m_strGifPath);
  int width = static_cast<int>(gif->GetWidth()), height = static_cast<int>(gif->GetHeight());
  if (width <= 5 || height <= 5) return;
  CRect client;
  GetClientRect(&client);
  int limit = m_nGifScaleLimit > 0 ? m_nGifScaleLimit : 100;
  CRect box = ComputePreviewBox(client.Width(), client.Height(), width, height, IsSharingMode(), m_nPreviewX,
                                m_nPreviewY, m_nPreviewW, m_nPreviewH, width * limit / 100, height * limit / 100);
  if (box.IsRectEmpty()) return;
  gif->InitAnimation();
  gif->m_hWnd = m_hWnd;
  gif->SetDrawRect(box);
  gif->Play();
  m_pGif = std::move(gif);
}

BOOL CConfirmPrintingDlg::PreTranslateMessage(MSG* msg) {
  // Held keys repeat: one press is one command.
  if ((msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) && (msg->lParam & (1 << 30))) return TRUE;
  if (m_hAccel && TranslateAcceleratorA(m_hWnd, m_hAccel, msg)) return TRUE;
  return CDialog::PreTranslateMessage(msg);
}

BOOL CConfirmPrintingDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  UINT id = LOWORD(wParam);
  bool sharing = IsSharingMode();
  if (int copies = CopiesOfCommand(id)) {
    OnSetCopies(copies);
    EndDialog(IDOK);
    return TRUE;
  }
  switch (id) {
    case kCopiesUp:
      OnCopiesStep(1);
      return TRUE;
    case kCopiesDown:
      OnCopiesStep(-1);
      return TRUE;
    case kConfirm:
      if (!sharing) EndDialog(IDOK);
      return TRUE;
    case kCancel:
      EndDialog(IDCANCEL);
      return TRUE;
    case kPrint:
      if (sharing) OnShare(SharePrint);
      else EndDialog(CONFIRM_PRINTING_NO_JPEG_COPY);
      return TRUE;
    case kFacebook:
      if (sharing) OnShare(ShareFacebook);
      return TRUE;
    case kEmail:
      if (sharing) OnShare(ShareEmail);
      return TRUE;
    case kTwitter:
      if (sharing) OnShare(ShareTwitter);
      return TRUE;
    case kMms:
      if (sharing) OnShare(ShareMms);
      return TRUE;
    case kEditMessage:
      if (sharing) OnEditMessage();
      return TRUE;
    default:
      break;
  }
  return CDialog::OnCommand(wParam, lParam);
}

void CConfirmPrintingDlg::OnSetCopies(int copies) {
  if (m_pCopies) *m_pCopies = copies;
}

void CConfirmPrintingDlg::OnCopiesStep(int step) {
  if (!m_pCopies) return;
  int copies = *m_pCopies + step;
  *m_pCopies = copies < 1 ? 1 : (copies > 20 ? 20 : copies);
  if (!m_hWnd) return;
  // Drawn by the paint, which here repaints the whole window whenever it is drawn on: text put
  // straight onto the window would be painted over at once.
  m_nCopiesTextDeadline = s_pfnNow() + 2;
  Invalidate(FALSE);
}

void CConfirmPrintingDlg::DrawCopiesText(CDC& dc, const CRect& client) {
  if (m_nCopiesTextDeadline == 0 || !m_pCopies) return;
  CString text;
  text.Format("Copies: %d  ", *m_pCopies);
  SIZE size = dc.GetTextExtent(text);
  dc.TextOut(client.Width() - size.cx, client.Height() - 1 - size.cy, text);
}

template <typename Run>
INT_PTR CConfirmPrintingDlg::RunSubScreen(Run run) {
  int timeout = m_nSharingTimeout;
  m_nSharingTimeout = 0;
  INT_PTR result = run();
  m_nSharingTimeout = timeout;
  m_nLastActivity = s_pfnNow();
  return result;
}

void CConfirmPrintingDlg::OnShare(int kind) {
  if (kind == ShareFacebook && !m_shareSettings.m_bPhotoboothFbUpload) return;
  if (kind == ShareEmail && !m_shareSettings.m_bPhotoboothEmail) return;
  if (kind == SharePrint) {
    if (!m_bPrintOption) return;
    if (m_nPrintLimit > 0 && m_nPrintsMade >= m_nPrintLimit) {
      RunSubScreen([&] {
        CMyMessageBox box(this, m_strLimitMessage, 5, TRUE);
        return box.DoModal();
      });
      return;
    }
  }
  ViewSettings settings = m_shareSettings;
  ReplaceShareMessage(settings, m_strSharingMessage);
  RunSubScreen([&] { return s_pfnOpenSharingScreen(*this, kind, settings); });
  if (kind == SharePrint) {
    ++m_nPrintsMade;
    if (m_pPrinted) *m_pPrinted = true;
  }
  Invalidate(FALSE);
}

void CConfirmPrintingDlg::OnEditMessage() {
  CKeyboardDialog keyboard(this, FALSE, KeyboardMessage);
  keyboard.m_layoutFolder = m_strImagesFolder;
  keyboard.Field(0).m_text = m_strSharingMessage;
  INT_PTR result = RunSubScreen([&] { return keyboard.DoModal(); });
  if (result == IDOK) m_strSharingMessage = keyboard.Field(0).m_text;
  Invalidate(FALSE);
}

void CConfirmPrintingDlg::OnTimer(UINT_PTR id) {
  if (id != TIMER_CONFIRM_PRINTING) {
    CDialog::OnTimer(id);
    return;
  }
  LONGLONG now = s_pfnNow();
  if (m_nCopiesTextDeadline != 0 && now >= m_nCopiesTextDeadline) {
    m_nCopiesTextDeadline = 0;
    Invalidate(TRUE);
  }
  if (IsSharingMode()) {
    if (m_nSharingTimeout > 0 && now - m_nLastActivity > m_nSharingTimeout) EndDialog(IDCANCEL);
  } else if (g_nPhotoboothConfirmPrintingTimeout > 0 && now - m_nLastActivity > g_nPhotoboothConfirmPrintingTimeout) {
    EndDialog(g_bPhotoboothConfirmPrintingTimeoutAction ? IDOK : IDCANCEL);
  }
}

void CConfirmPrintingDlg::OnLButtonDown(UINT /*flags*/, CPoint /*point*/) { m_nLastActivity = s_pfnNow(); }

void CConfirmPrintingDlg::OnLButtonUp(UINT /*flags*/, CPoint point) {
  m_nLastActivity = s_pfnNow();
  int code = TouchedAction(point);
  if (code == 0) return;
  if (int copies = TouchActionCopies(code)) {
    OnSetCopies(copies);
    EndDialog(IDOK);
    return;
  }
  switch (code) {
    case kTouchIncreasePrints: OnCopiesStep(1); break;
    case kTouchDecreasePrints: OnCopiesStep(-1); break;
    case kTouchConfirmPrinting: EndDialog(IDOK); break;
    case kTouchCancelPrinting: EndDialog(IDCANCEL); break;
    case kTouchConfirmNoJpegCopy: EndDialog(CONFIRM_PRINTING_NO_JPEG_COPY); break;
    case kTouchShareFacebook: OnShare(ShareFacebook); break;
    case kTouchShareEmail: OnShare(ShareEmail); break;
    case kTouchShareClose: EndDialog(IDCANCEL); break;
    case kTouchSharePrint: OnShare(SharePrint); break;
    case kTouchShareEditMessage: OnEditMessage(); break;
    case kTouchShareTwitter: OnShare(ShareTwitter); break;
    case kTouchShareMms: OnShare(ShareMms); break;
    default: break;
  }
}

BOOL CConfirmPrintingDlg::OnSetCursor(CWnd* /*wnd*/, UINT /*hitTest*/, UINT /*message*/) {
  if (m_hCursor) SetCursor(m_hCursor);
  return TRUE;
}

BOOL CConfirmPrintingDlg::OnEraseBkgnd(CDC* /*dc*/) { return TRUE; }

void CConfirmPrintingDlg::DrawBackground(CDC& dc, const CRect& client) {
  dc.FillSolidRect(&client, RGB(0, 0, 0));
  if (!m_pBackground) return;
  Gdiplus::Graphics graphics(dc.m_hDC);
  graphics.DrawImage(m_pBackground.get(), 0, 0, static_cast<int>(m_pBackground->GetWidth()),
                     static_cast<int>(m_pBackground->GetHeight()));
}

void CConfirmPrintingDlg::DrawImage(CDC& dc, const CRect& client) {
  // A page that did not load (no file, "Print Only") leaves the background alone.
  DWORD width = 0, height = 0;
  m_image.GetImageInfo(width, height);
  if (width == 0 || height == 0) return;
  CRect box = ComputePreviewBox(client.Width(), client.Height(), static_cast<int>(width), static_cast<int>(height),
                                IsSharingMode(), m_nPreviewX, m_nPreviewY, m_nPreviewW, m_nPreviewH);
  if (box.IsRectEmpty()) return;
  m_image.SetDrawFlag(1);
  cDrawImage(m_image.m_hSession, dc.m_hDC, box.left, box.top, box.right - 1, box.bottom - 1, 0, 0, 0, 3);
}

void CConfirmPrintingDlg::OnPaint() {
  CPaintDC paint(this);
  if (!paint.m_hDC) return;
  CRect client;
  GetClientRect(&client);
  CDC memory;
  memory.CreateCompatibleDC(nullptr);
  CBitmap surface;
  if (!surface.CreateCompatibleBitmap(&memory, client.Width() > 0 ? client.Width() : 1,
                                      client.Height() > 0 ? client.Height() : 1))
    return;
  CBitmap* old = memory.SelectObject(&surface);
  DrawBackground(memory, client);
  if (!m_pGif || !m_pGif->IsPlaying()) DrawImage(memory, client);
  paint.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
  // The booth window shows the same picture underneath, pixel for pixel at its top left.
  if (m_pBoothWindow && m_pBoothWindow->m_hWnd) {
    CClientDC booth(m_pBoothWindow);
    if (booth.m_hDC) booth.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
  }
  memory.SelectObject(old);
  DrawCopiesText(paint, client);
}
