#include "config/TemplateBrowserDlg.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/gdi/blit.h"
#include "platform/gdi/dc.h"
#include "platform/gdi/draw.h"
#include "platform/gdi/objects.h"
#include "platform/gdi/text.h"
#include "platform/mfc/ddx.h"
#include "platform/mfc/shlobj.h"
#include "platform/user/controls.h"
#include "platform/user/messagebox.h"
#include "platform/user/shellapi.h"
#include "support/PipSession.h"

namespace fs = std::filesystem;

namespace {

const int kCellMargin = 5;
const int kMargin = 7;  // around the list and between the buttons
const int kButtonWidth = 100;
const int kButtonHeight = 26;
const int kFolderLabelHeight = 20;
const COLORREF kSelectedBackground = RGB(180, 180, 180);
const char kExtension[] = ".pblt";

void RegisterTemplate() {
  using K = DlgItemKind;
  DlgTemplate dialog{IDD_TEMPLATE_BROWSER,
                     "Load Photobooth Print Layout",
                     {{IDC_TEMPLATE_LIST, K::Icons, nullptr},
                      {IDC_TEMPLATE_FOLDER, K::Label, ""},
                      {IDC_TEMPLATE_OPEN_FOLDER, K::Button, "Open folder..."},
                      {IDOK, K::DefButton, "OK"},
                      {IDCANCEL, K::Button, "Cancel"}},
                     WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MAXIMIZEBOX};
  dialog.manualLayout = true;
  AfxRegisterDialogTemplate(dialog);
}

bool HasTemplateExtension(const std::string& name) {
  const size_t length = sizeof(kExtension) - 1;
  return name.size() >= length && strcasecmp(name.c_str() + name.size() - length, kExtension) == 0;
}

size_t DibStride(int width) { return (static_cast<size_t>(width) * 3 + 3) & ~size_t{3}; }

int TextWidth(HDC dc, const std::string& text) {
  SIZE size{};
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

int CALLBACK SelectStartFolder(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) ::SendMessageA(window, BFFM_SETSELECTION, TRUE, data);
  return 0;
}

}  // namespace

CString ShortenTemplateLabel(HDC dc, const char* text, int maxWidth) {
  std::string label = text ? text : "";
  if (TextWidth(dc, label) <= maxWidth) return CString(label.c_str());
  std::string kept = label;
  while (!kept.empty() && TextWidth(dc, kept + "...") > maxWidth) kept.pop_back();
  return CString((kept + "...").c_str());
}

CTemplateBrowserDlg::CTemplateBrowserDlg(CWnd* parent) : CDialog(IDD_TEMPLATE_BROWSER, parent) { RegisterTemplate(); }

void CTemplateBrowserDlg::DoDataExchange(CDataExchange* dx) { DDX_Control(dx, IDC_TEMPLATE_LIST, m_list); }

BOOL CTemplateBrowserDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  DragAcceptFiles(TRUE);
  SetWindowText("Load Photobooth Print Layout");
  m_labelFont.CreatePointFont(100, "Arial");
  if (HDC dc = CreateCompatibleDC(nullptr)) {
    HGDIOBJ old = SelectObject(dc, static_cast<HFONT>(m_labelFont));
    SIZE size{};
    if (GetTextExtentPoint32A(dc, "Wqy", 3, &size) && size.cy > 0) m_nLabelHeight = size.cy;
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  DWORD style = static_cast<DWORD>(m_list.GetStyle());
  ::SetWindowLongPtrA(m_list.m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(style | LVS_NOLABELWRAP));
  m_images.Create(kThumbnailSize, kThumbnailSize + m_nLabelHeight, ILC_COLOR24, 10, 10);
  m_list.SetImageList(&m_images, LVSIL_NORMAL);
  m_list.SetIconSpacing(kThumbnailSize + 10, m_nLabelHeight + kThumbnailSize + 10);
  Scan();
  ShowWindow(SW_MAXIMIZE);
  CRect client;
  GetClientRect(&client);
  LayOut(client.Width(), client.Height());
  return TRUE;
}

void CTemplateBrowserDlg::Scan() {
  std::string folder = m_strTemplateFolder.str();
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) folder.pop_back();
  m_strTemplateFolder = folder.c_str();
  SetDlgItemText(IDC_TEMPLATE_FOLDER, m_strTemplateFolder);
  m_list.DeleteAllItems();
  m_entries.clear();
  std::vector<fs::path> found;
  std::error_code error;
  for (fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), error), end; !error && it != end;
       it.increment(error)) {
    std::error_code kindError;
    if (it->is_directory(kindError)) continue;
    if (HasTemplateExtension(it->path().filename().string())) found.push_back(it->path());
  }
  // Listed by name, as a directory listing shows them.
  std::sort(found.begin(), found.end(), [](const fs::path& a, const fs::path& b) {
    return strcasecmp(a.filename().c_str(), b.filename().c_str()) < 0;
  });
  for (const fs::path& path : found) {
    m_list.InsertItem(m_list.GetItemCount(), path.stem().string().c_str(), 0);
    TemplateRGBImage entry;
    entry.path = path.string().c_str();
    m_entries.push_back(std::move(entry));
  }
}

void CTemplateBrowserDlg::LayOut(int cx, int cy) {
  if (!m_list.m_hWnd) return;
  int buttonTop = cy - kMargin - kButtonHeight;
  int labelTop = buttonTop - kMargin - kFolderLabelHeight;
  m_list.MoveWindow(kMargin, kMargin, std::max(0, cx - 2 * kMargin), std::max(0, labelTop - 2 * kMargin));
  if (CWnd* label = GetDlgItem(IDC_TEMPLATE_FOLDER))
    label->MoveWindow(kMargin, labelTop, std::max(0, cx - 2 * kMargin), kFolderLabelHeight);
  if (CWnd* open = GetDlgItem(IDC_TEMPLATE_OPEN_FOLDER)) open->MoveWindow(kMargin, buttonTop, kButtonWidth, kButtonHeight);
  int cancelLeft = cx - kMargin - kButtonWidth;
  if (CWnd* cancel = GetDlgItem(IDCANCEL)) cancel->MoveWindow(cancelLeft, buttonTop, kButtonWidth, kButtonHeight);
  if (CWnd* ok = GetDlgItem(IDOK))
    ok->MoveWindow(cancelLeft - kMargin - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight);
}

void CTemplateBrowserDlg::OnSize(UINT type, int cx, int cy) {
  CDialog::OnSize(type, cx, cy);
  LayOut(cx, cy);
}

void CTemplateBrowserDlg::OnShowWindow(BOOL show, UINT status) {
  CDialog::OnShowWindow(show, status);
  CRect client;
  GetClientRect(&client);
  LayOut(client.Width(), client.Height());
}

void CTemplateBrowserDlg::OnGetMinMaxInfo(MINMAXINFO* info) {
  CDialog::OnGetMinMaxInfo(info);
  info->ptMinTrackSize.x = 480;
  info->ptMinTrackSize.y = 320;
}

void CTemplateBrowserDlg::LoadThumbnail(TemplateRGBImage& entry) {
  if (!entry.pixels.empty()) return;
  PipSession session;
  if (!cLoadThumbnail(session.m_hSession, entry.path, kThumbnailSize, kThumbnailSize)) return;
  DWORD width = 0, height = 0;
  session.GetImageInfo(width, height);
  BYTE* bits = nullptr;
  if (width == 0 || height == 0 || width > kThumbnailSize || height > kThumbnailSize ||
      !cGetBitsPtr(session.m_hSession, &bits) || !bits)
    return;
  const int w = static_cast<int>(width), h = static_cast<int>(height);
  const size_t stride = DibStride(w), row = static_cast<size_t>(w) * 3;
  entry.pixels.assign(stride * h, 0);
  for (int y = 0; y < h; ++y) std::memcpy(entry.pixels.data() + stride * y, bits + row * y, row);
  entry.width = w;
  entry.height = h;
}

void CTemplateBrowserDlg::DrawItem(NMLVCUSTOMDRAW* draw) {
  if (CWnd* ok = GetDlgItem(IDOK)) ok->EnableWindow(m_list.GetSelectedCount() > 0);
  const int item = static_cast<int>(draw->nmcd.dwItemSpec);
  if (item < 0 || item >= static_cast<int>(m_entries.size())) return;
  HDC dc = draw->nmcd.hdc;
  const int left = draw->nmcd.rc.left + kCellMargin, top = draw->nmcd.rc.top + kCellMargin;
  if (m_list.GetItemState(item, LVIS_SELECTED) & LVIS_SELECTED) {
    RECT back{left, top, left + kThumbnailSize, top + kThumbnailSize + m_nLabelHeight};
    HBRUSH grey = CreateSolidBrush(kSelectedBackground);
    FillRect(dc, &back, grey);
    DeleteObject(grey);
  }
  TemplateRGBImage& entry = m_entries[item];
  LoadThumbnail(entry);
  if (!entry.pixels.empty()) {
    const int x = left + (kThumbnailSize - entry.width) / 2, y = top + (kThumbnailSize - entry.height) / 2;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = entry.width;
    info.bmiHeader.biHeight = -entry.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    StretchDIBits(dc, x, y, entry.width, entry.height, 0, 0, entry.width, entry.height, entry.pixels.data(), &info,
                  DIB_RGB_COLORS, SRCCOPY);
    RECT frame{x, y, x + entry.width, y + entry.height};
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    FrameRect(dc, &frame, black);
    DeleteObject(black);
  }
  HGDIOBJ oldFont = SelectObject(dc, static_cast<HFONT>(m_labelFont));
  CString label = ShortenTemplateLabel(dc, m_list.GetItemText(item, 0), kLabelWidth);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  int width = TextWidth(dc, label.str());
  TextOutA(dc, left + (kThumbnailSize - width) / 2, top + kThumbnailSize, label, label.GetLength());
  SelectObject(dc, oldFont);
}

BOOL CTemplateBrowserDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header && header->idFrom == IDC_TEMPLATE_LIST) {
    if (header->code == NM_CUSTOMDRAW) {
      auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lParam);
      if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *result = CDRF_NOTIFYITEMDRAW;
      } else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
        DrawItem(draw);
        *result = CDRF_SKIPDEFAULT;
      } else {
        *result = CDRF_DODEFAULT;
      }
      return TRUE;
    }
    if (header->code == NM_DBLCLK) {
      OnOK();
      *result = 0;
      return TRUE;
    }
  }
  return CDialog::OnNotify(wParam, lParam, result);
}

void CTemplateBrowserDlg::OnOK() {
  int first = m_list.GetNextItem(-1, LVNI_SELECTED);
  // The stored path names the file itself, whatever the case of its extension.
  m_strResultPath = first >= 0 && first < static_cast<int>(m_entries.size()) ? m_entries[first].path : CString();
  EndDialog(IDOK);
}

void CTemplateBrowserDlg::OpenFolder() {
  char name[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = m_hWnd;
  info.pszDisplayName = name;
  info.lpszTitle = "Select template folder";
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = SelectStartFolder;
  info.lParam = reinterpret_cast<LPARAM>(m_strTemplateFolder.GetString());
  LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
  if (!chosen) return;
  char path[MAX_PATH] = {};
  bool got = SHGetPathFromIDListA(chosen, path);
  ILFree(chosen);
  if (!got) return;
  m_strTemplateFolder = path;
  Scan();
}

BOOL CTemplateBrowserDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == IDC_TEMPLATE_OPEN_FOLDER && HIWORD(wParam) == BN_CLICKED) {
    OpenFolder();
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}

bool CTemplateBrowserDlg::CopyDropped(const CString& source, const CString& destination) {
  std::error_code error;
  const std::string name = fs::path(source.str()).filename().string();
  CString question;
  if (fs::exists(destination.str(), error))
    question = CString("There is already a template named '") + name.c_str() +
               "' in your templates folder.\n\nDo you want to overwrite it?";
  else
    question = CString("Copy this photobooth layout template to your templates folder?\n") + name.c_str();
  if (::MessageBoxA(m_hWnd, question, "Tavorin", MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
  // Copied beside the destination and renamed over it, so a failed copy never leaves half a file;
  // a template dropped onto itself is refused, as copying it would empty it.
  bool copied = false;
  if (!fs::equivalent(source.str(), destination.str(), error)) {
    fs::path temporary = fs::path(destination.str()).concat(".part");
    copied = fs::copy_file(source.str(), temporary, fs::copy_options::overwrite_existing, error) && !error;
    if (copied) fs::rename(temporary, destination.str(), error);
    if (error) {
      copied = false;
      std::error_code ignored;
      fs::remove(temporary, ignored);
    }
  }
  if (!copied) {
    ::MessageBoxA(m_hWnd, CString("Error copying ") + source + "\nto " + destination, nullptr, MB_OK);
    return false;
  }
  return true;
}

void CTemplateBrowserDlg::SelectTemplate(const CString& title) {
  for (int i = 0; i < m_list.GetItemCount(); ++i) {
    if (strcasecmp(m_list.GetItemText(i, 0), title) != 0) continue;
    m_list.SetItemState(i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_list.EnsureVisible(i, FALSE);
    return;
  }
}

void CTemplateBrowserDlg::OnDropFiles(HDROP drop) {
  UINT count = DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0);
  bool anyTemplate = false;
  for (UINT i = 0; i < count; ++i) {
    UINT length = DragQueryFileA(drop, i, nullptr, 0);
    std::string path(length + 1, '\0');
    DragQueryFileA(drop, i, path.data(), length + 1);
    path.resize(length);
    std::error_code error;
    if (!fs::exists(path, error) || fs::is_directory(path, error) || !HasTemplateExtension(path)) continue;
    anyTemplate = true;
    fs::path source(path);
    CString destination = m_strTemplateFolder + "/" + source.filename().string().c_str();
    if (!CopyDropped(path.c_str(), destination)) continue;
    Scan();
    SelectTemplate(source.stem().string().c_str());
  }
  DragFinish(drop);
  if (!anyTemplate)
    ::MessageBoxA(m_hWnd, "You can only drop photobooth template files with a .pblt file extension into this window.",
                "Tavorin", MB_OK | MB_ICONWARNING);
}
