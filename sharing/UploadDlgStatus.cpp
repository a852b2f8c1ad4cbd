// The sharing screen's pictures: a status picture per stage (or its drawn caption), the
// preview over it, the message text, and painting it all.
#include <algorithm>
#include <cstring>
#include <vector>
#include <string>

#include "photobooth/FullscreenDlg.h"
#include "photobooth/StatusCommand.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/user/window.h"
#include "platform/win32/codepage.h"
#include "platform/win32/files.h"
#include "platform/win32/thread.h"
#include "sharing/UploadDlg.h"
#include "support/PipSession.h"

namespace {

constexpr UINT WM_UPLOAD_DRAWSTATUS = WM_APP + 233;

struct CaptionRow {
  const char* key;
  const char* caption;
};

const CaptionRow kCaptions[] = {
    {"fb_login_failure", "Facebook login failure"},
    {"fb_login", "Logging in to Facebook..."},
    {"fb_timeout", "Facebook upload timeout"},
    {"fb_upload", "Uploading photo to Facebook"},
    {"fb_success", "Facebook upload successful"},
    {"fb_error", "Error uploading photo to Facebook"},
    {"email_success", "Email successful"},
    {"email_error", "Error sending email"},
    {"email_photo", "Sending email..."},
    {"email_offline", "Your email has been saved and will be sent later"},
    {"share_printing", "Printing..."},
    {"mms_success", "MMS message sent successfully"},
    {"mms_error", "Error sending MMS message"},
    {"mms_as_sms", "Sending message as an SMS..."},
    {"mms_offline", "Your MMS has been saved and will be sent later"},
    {"mms", "Sending MMS message..."},
    {"twitter_login_failure", "Twitter login failure"},
    {"twitter_login", "Logging in to Twitter..."},
    {"twitter_timeout", "Twitter upload timeout"},
    {"twitter_upload", "Uploading photo to Twitter"},
    {"twitter_success", "Twitter upload successful"},
    {"twitter_error", "Error uploading photo to Twitter"},
    {"twitter_cancel", "Cancelling, please wait..."},
};

const char* const kPreviewKeys[] = {"fb_upload", "fb_success", "twitter_upload", "twitter_success",
                                    "mms",       "mms_success", "email_photo",   "email_success"};

CString KeyOf(const CString& path) {
  CString name = path.Mid(path.ReverseFind('/') + 1);
  int dot = name.ReverseFind('.');
  return dot >= 0 ? name.Left(dot) : name;
}

std::u16string WideOf(const CString& path) {
  int length = MultiByteToWideChar(CP_ACP, 0, path, -1, nullptr, 0);
  if (length <= 0) return std::u16string();
  std::u16string wide(static_cast<size_t>(length), u'\0');
  MultiByteToWideChar(CP_ACP, 0, path, -1, wide.data(), length);
  wide.resize(static_cast<size_t>(length - 1));
  return wide;
}

std::unique_ptr<CBitmap> MakeSurface(int width, int height) {
  CDC screen;
  screen.CreateCompatibleDC(nullptr);
  auto bitmap = std::make_unique<CBitmap>();
  if (!bitmap->CreateCompatibleBitmap(&screen, width > 0 ? width : 1, height > 0 ? height : 1)) return nullptr;
  return bitmap;
}

// The picture file at its own size; NULL when it is missing or does not decode.
std::unique_ptr<CBitmap> LoadPictureFile(const CString& path) {
  if (path.IsEmpty() || !PathFileExistsA(path)) return nullptr;
  std::u16string wide = WideOf(path);
  Gdiplus::Image picture(reinterpret_cast<const WCHAR*>(wide.c_str()));
  int width = static_cast<int>(picture.GetWidth()), height = static_cast<int>(picture.GetHeight());
  if (picture.GetLastStatus() != Gdiplus::Ok || width <= 0 || height <= 0) return nullptr;
  std::unique_ptr<CBitmap> surface = MakeSurface(width, height);
  if (!surface) return nullptr;
  CDC dc;
  dc.CreateCompatibleDC(nullptr);
  CBitmap* old = dc.SelectObject(surface.get());
  {
    Gdiplus::Graphics graphics(dc.m_hDC);
    graphics.DrawImage(&picture, 0, 0);
  }
  dc.SelectObject(old);
  return surface;
}

SIZE BitmapSize(CBitmap* bitmap) {
  BITMAP info{};
  if (bitmap) bitmap->GetBitmap(&info);
  return SIZE{info.bmWidth, info.bmHeight};
}

}  // namespace

CString CUploadDlg::StatusCaption(const CString& path) {
  CString key = KeyOf(path);
  for (const CaptionRow& row : kCaptions)
    if (key == row.key) return row.caption;
  return path;
}

void CUploadDlg::DrawStatus(const char* path, bool playSound) {
  CString status(path ? path : "");
  if (m_hWnd && GetWindowThreadProcessId(m_hWnd, nullptr) != GetCurrentThreadId()) {
    // The window's picture belongs to the UI thread; WM_PAINT may be drawing it right now.
    ::SendMessageA(m_hWnd, WM_UPLOAD_DRAWSTATUS, playSound ? 1 : 0, reinterpret_cast<LPARAM>(status.GetString()));
    return;
  }
  DoDrawStatus(status, playSound);
}

void CUploadDlg::DoDrawStatus(const CString& path, bool playSound) {
  if (m_hWnd) SetWindowText("Morvane Systems Photobooth - " + path);
  {
    std::lock_guard<std::mutex> hold(m_lock);
    if (path == m_strStatusPath) return;
  }
  if (playSound && path.GetLength() >= 5) PlayScreenSound(path.Left(path.GetLength() - 4) + ".wav");
  RunStatusCommand(this, m_share.statusCommand, path);

  CRect client(0, 0, 0, 0);
  if (m_hWnd) GetClientRect(&client);
  std::unique_ptr<CBitmap> image = LoadPictureFile(path);
  bool fromFile = image != nullptr;
  if (!image && (image = MakeSurface(client.Width(), client.Height()))) {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(image.get());
    dc.FillSolidRect(0, 0, client.Width(), client.Height(), RGB(0, 0, 0));
    CFont font;
    font.CreatePointFont(280, "Arial", &dc);
    CFont* oldFont = dc.SelectObject(&font);
    CString caption = StatusCaption(path);
    SIZE size = dc.GetTextExtent(caption);
    dc.SetTextColor(RGB(255, 255, 255));
    dc.SetBkMode(TRANSPARENT);
    int y = m_nShareKind == SharePrint ? (client.Height() - size.cy) / 2 : 2 * size.cy;
    dc.TextOut((client.Width() - size.cx) / 2, y, caption);
    dc.SelectObject(oldFont);
    dc.SelectObject(old);
  }

  std::unique_lock<std::mutex> hold(m_lock);
  m_strStatusPath = path;
  m_bStatusFromFile = fromFile;
  m_pStatusImage = std::move(image);
  CString key = KeyOf(path);
  bool previewKey = false;
  for (const char* candidate : kPreviewKeys) previewKey = previewKey || key == candidate;
  if (m_hWnd && m_pPreview && m_pStatusImage && previewKey) {
    SIZE canvas = BitmapSize(m_pStatusImage.get());
    int width = static_cast<int>(m_pPreview->GetWidth()), height = static_cast<int>(m_pPreview->GetHeight());
    int x = (canvas.cx - width) / 2, y = (canvas.cy - height) / 2;
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CBitmap* old = dc.SelectObject(m_pStatusImage.get());
    cDrawImage(m_pPreview->m_hSession, dc.m_hDC, x, y, x + width - 1, y + height - 1, 0, 0, 0, 0);
    dc.SelectObject(old);
  }
  hold.unlock();
  if (m_hWnd && !m_bPaintHold) {
    CClientDC dc(this);
    if (dc.m_hDC) PaintScreen(&dc);
  }
}

void CUploadDlg::OnPaint() {
  CPaintDC dc(this);
  if (m_bPaintHold) return;
  bool hasImage;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    hasImage = m_pStatusImage != nullptr;
  }
  if (!hasImage) {
    DoDrawStatus(ImagePath("fb_login.jpg"), true);
    return;
  }
  PaintScreen(&dc);
}

void CUploadDlg::PaintScreen(CDC* target) {
  CRect client;
  GetClientRect(&client);
  std::lock_guard<std::mutex> hold(m_lock);
  SIZE size = BitmapSize(m_pStatusImage.get());
  if (m_pStatusImage && m_bStatusFromFile && (size.cx < client.Width() || size.cy < client.Height())) {
    // A picture smaller than the screen: at the top left, with a line that says so.
    if (std::unique_ptr<CBitmap> larger = MakeSurface(client.Width(), client.Height())) {
      CDC dc, picture;
      dc.CreateCompatibleDC(nullptr);
      picture.CreateCompatibleDC(nullptr);
      CBitmap* old = dc.SelectObject(larger.get());
      CBitmap* oldPicture = picture.SelectObject(m_pStatusImage.get());
      dc.FillSolidRect(0, 0, client.Width(), client.Height(), RGB(0, 0, 0));
      dc.BitBlt(0, 0, size.cx, size.cy, &picture, 0, 0, SRCCOPY);
      picture.SelectObject(oldPicture);
      CString warning;
      warning.Format(" WARNING: %s image size (%dx%d) is smaller than screen size (%dx%d) ",
                     m_strStatusPath.Mid(m_strStatusPath.ReverseFind('/') + 1).GetString(), static_cast<int>(size.cx),
                     static_cast<int>(size.cy), client.Width(), client.Height());
      CFont font;
      font.CreatePointFont(120, "Arial", &dc);
      CFont* oldFont = dc.SelectObject(&font);
      SIZE text = dc.GetTextExtent(warning);
      dc.SetTextColor(RGB(0, 0, 0));
      dc.SetBkColor(RGB(255, 255, 255));
      dc.SetBkMode(OPAQUE);
      dc.TextOut(0, client.Height() - text.cy - 1, warning);
      dc.SelectObject(oldFont);
      dc.SelectObject(old);
      m_pStatusImage = std::move(larger);
    }
  }

  CDC memory;
  memory.CreateCompatibleDC(nullptr);
  std::unique_ptr<CBitmap> frame = MakeSurface(client.Width(), client.Height());
  if (!frame) return;
  CBitmap* oldFrame = memory.SelectObject(frame.get());
  memory.FillSolidRect(0, 0, client.Width(), client.Height(), RGB(0, 0, 0));
  if (m_pStatusImage) {
    CDC picture;
    picture.CreateCompatibleDC(nullptr);
    CBitmap* old = picture.SelectObject(m_pStatusImage.get());
    memory.BitBlt(0, 0, client.Width(), client.Height(), &picture, 0, 0, SRCCOPY);
    picture.SelectObject(old);
  }
  if (!m_strMessage.IsEmpty()) {
    // The lines as one right-aligned block whose last line ends just above the bottom.
    std::vector<CString> lines;
    int start = 0;
    for (;;) {
      int end = m_strMessage.Find('\n', start);
      lines.push_back(end < 0 ? m_strMessage.Mid(start) : m_strMessage.Mid(start, end - start));
      if (end < 0) break;
      start = end + 1;
    }
    CFont font;
    font.CreatePointFont(160, "Arial", &memory);
    CFont* oldFont = memory.SelectObject(&font);
    int widest = 0, lineHeight = 0;
    for (const CString& line : lines) {
      SIZE extent = memory.GetTextExtent(line.IsEmpty() ? CString(" ") : line);
      widest = std::max(widest, static_cast<int>(extent.cx));
      lineHeight = std::max(lineHeight, static_cast<int>(extent.cy));
    }
    memory.SetTextColor(RGB(80, 80, 80));
    memory.SetBkColor(RGB(0, 0, 0));
    memory.SetBkMode(OPAQUE);
    int left = client.Width() - widest;
    int top = client.Height() - 1 - lineHeight * static_cast<int>(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) memory.TextOut(left, top + lineHeight * static_cast<int>(i), lines[i]);
    memory.SelectObject(oldFont);
  }
  target->BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
  memory.SelectObject(oldFrame);
}
