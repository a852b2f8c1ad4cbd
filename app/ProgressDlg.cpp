#include "app/ProgressDlg.h"

#include "app/BitmapFile.h"
#include "app/DataFiles.h"
#include "app/Resource.h"
#include "app/ViewMessages.h"
#include "platform/win32/files.h"
#include "platform/win32/folders.h"

namespace {

// The picture area takes the splash's size, so the window fits the picture and the text lines.
void RegisterProgressTemplate(int pictureWidth, int pictureHeight) {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate({IDD_PROGRESS,
                             "Tavorin",
                             {{IDC_PROGRESS_PICTURE, K::Picture, nullptr, nullptr, pictureWidth, pictureHeight},
                              {IDC_PROGRESS_TEXT, K::Label, ""},
                              {IDC_PROGRESS_TEXT2, K::Label, ""}}});
}

}  // namespace

CString FindSplashBitmap() { return FindDataFile("splash.bmp"); }

CProgressDlg::CProgressDlg(CWnd* parent) : CDialog(IDD_PROGRESS, parent) {
  CString splash = FindSplashBitmap();
  if (!splash.IsEmpty()) m_hSplash = LoadBitmapFile(splash);
  BITMAP info{};
  if (m_hSplash) GetObjectA(m_hSplash, sizeof(info), &info);
  RegisterProgressTemplate(m_hSplash ? info.bmWidth : 1, m_hSplash ? info.bmHeight : 1);
}

CProgressDlg::~CProgressDlg() {
  if (m_hSplash) DeleteObject(m_hSplash);
}

void CProgressDlg::PostClose() {
  m_bFinished = true;
  if (HWND window = m_hWndOpen.load()) ::PostMessageA(window, WM_PROGRESS_CLOSE, 0, 0);
}

BOOL CProgressDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  CWnd* picture = GetDlgItem(IDC_PROGRESS_PICTURE);
  if (m_hSplash && picture)
    picture->SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_hSplash));
  else if (picture)
    picture->ShowWindow(SW_HIDE);
  if (m_bHidden) {
    // Hidden mode: off the screen to the left, its size unchanged.
    CRect client;
    GetClientRect(&client);
    SetWindowPos(nullptr, -2 * client.Width(), 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }

  // A worker that finished before the window existed has asked to close already.
  m_hWndOpen = m_hWnd;
  if (m_bFinished) EndDialog(0);
  return TRUE;
}

void CProgressDlg::OnDestroy() {
  m_hWndOpen = nullptr;
  CDialog::OnDestroy();
}

BOOL CProgressDlg::OnEraseBkgnd(CDC* dc) {
  CRect client;
  GetClientRect(&client);
  dc->FillSolidRect(&client, RGB(255, 255, 255));
  return TRUE;
}

HBRUSH CProgressDlg::OnCtlColor(CDC* dc, CWnd*, UINT) {
  dc->SetBkColor(RGB(255, 255, 255));
  return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

LRESULT CProgressDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PROGRESS_TEXT && lParam) {
    if (CWnd* text = GetDlgItem(IDC_PROGRESS_TEXT)) {
      text->ShowWindow(SW_SHOW);
      text->SetWindowText(reinterpret_cast<const char*>(lParam));
    }
  } else if (message == WM_PROGRESS_CLOSE) {
    EndDialog(0);
  }
  return CDialog::WindowProc(message, wParam, lParam);
}
