// The photobooth sequence in the view: arming a session, the full-screen window, and the
// 50 ms pacing of countdowns, releases and previews.
#include <cstdio>

#include "app/MyQuilletView.h"
#include "app/Resource.h"
#include "camera/CameraNaming.h"
#include "keyboard/KeyboardDialog.h"
#include "photobooth/BoothCommands.h"
#include "photobooth/FullscreenDlg.h"
#include "photobooth/TransparentOverlayDlg.h"
#include "platform/user/messagebox.h"
#include "platform/win32/files.h"
#include "support/TextTemplate.h"

namespace {

ULONGLONG SystemTicks() { return GetTickCount64(); }

}  // namespace

ULONGLONG (*CMyQuilletView::s_pfnTicks)() = SystemTicks;

CFullscreenDlg* CMyQuilletView::BoothWindow() const {
  return m_pFullscreenDlg && m_pFullscreenDlg->m_hWnd ? m_pFullscreenDlg : nullptr;
}

void CMyQuilletView::OnFullScreen() {
  m_bFullScreen = true;
  auto* window = new CFullscreenDlg(this, 0);
  m_pFullscreenDlg = window;
  window->DoModal();
  m_pFullscreenDlg = nullptr;
  delete window;
  m_bFullScreen = false;
  RefreshDisplay();
}

void CMyQuilletView::OnPhotoboothShot() {
  if (!m_pCamera || m_bBusy || !m_bPhotoboothActive || m_nShotsLeft >= 0 || m_bProcessingUnderWay) return;
  CFullscreenDlg* booth = BoothWindow();
  HWND owner = booth ? booth->m_hWnd : m_hWnd;
  CString sizeQuality;
  if (m_cbSizeQuality.m_hWnd && m_cbSizeQuality.GetCurSel() >= 0)
    m_cbSizeQuality.GetLBText(m_cbSizeQuality.GetCurSel(), sizeQuality);
  sizeQuality.MakeLower();
  if (sizeQuality.Find("raw") >= 0) {
    ::MessageBoxA(owner,
                  "Shooting in raw mode is not supported for photobooth shooting.\nPlease select a JPEG image "
                  "size/quality.",
                  "Tavorin", MB_ICONWARNING);
    return;
  }
  if (m_nStoreImage == 2) {
    ::MessageBoxA(owner,
                  "Saving images to the camera's memory card only is not supported for photobooth shooting.\nPlease "
                  "select save to PC only or save to PC and camera from the 'Camera' menu.",
                  "Tavorin", MB_ICONWARNING);
    return;
  }
  if (m_nAutoBracket) {
    ::MessageBoxA(m_hWnd, "Auto-bracketing is not supported for photobooth shooting.", "Tavrin", MB_ICONWARNING);
    return;
  }
  m_keyboardTexts.clear();
  if (booth) {
    if (booth->m_strCurrentScreen.Find("welcome", 1) >= 1) return;
    if (m_nPhotoboothKeyboard == 1 && m_nPhotoboothUseMouseToTrigger == 5) {
      m_keyboardChecks.clear();
      PlayScreenSound(m_strPhotoboothImagesDir + "/keyboard.wav");
      LONGLONG timeout = m_nPhotoboothInactivityTimeout;
      m_nPhotoboothInactivityTimeout = 0;
      CWnd* parent = booth->m_pOverlay ? static_cast<CWnd*>(booth->m_pOverlay) : booth;
      CKeyboardDialog keyboard(parent, FALSE, 0);
      keyboard.m_layoutFolder = m_strPhotoboothImagesDir;
      INT_PTR result = keyboard.DoModal();
      m_nPhotoboothInactivityTimeout = timeout;
      if (result == IDOK) {
        for (int i = 0; i < 10; ++i) m_keyboardTexts.push_back(keyboard.Field(i).m_text);
        for (int i = 0; i < 10; ++i)
          if (keyboard.CheckBox(i).IsDefined()) m_keyboardChecks.push_back(keyboard.CheckBox(i).m_value ? 1 : 0);
      }
      booth->m_nLastActivity = CFullscreenDlg::s_pfnNow();
    }
  }
  // One code per session: the photos' {uid} and the page's are the same.
  m_strSessionCode = MakeUniqueCode();
  m_strUniqueId = m_strSessionCode;
  m_nShotsLeft = m_nNumberOfPhotoboothImages;
  ULONGLONG now = s_pfnTicks();
  // The first countdown has its own length, so a guest who touched START can step back.
  int first = m_nPhotoboothFirstInterval > 0 ? m_nPhotoboothFirstInterval : 0;
  m_nNextShotTime = m_bPhotoboothClickerMode ? now + 1000 : now + first * 1000ULL - 1;
  m_nLastShotNumber = -1;
  m_nSessionPhotos = 0;
  m_bHideFailedShot = false;
  m_nPreviewTicks = 0;
  m_strLastOutput.Empty();
  m_bTestShot = false;
  if (booth) booth->ReleaseMovieGraph();
}

void CMyQuilletView::OnPhotoboothShotFullscreen() {
  if (BoothWindow() && m_pFullscreenDlg->m_bPhotoboothMode) OnPhotoboothShot();
}

void CMyQuilletView::OnPhotoboothColourStart(int colourMode) {
  if (!m_pCamera || m_bBusy || !m_bPhotoboothActive || m_nShotsLeft >= 0) return;
  m_nPhotoboothBW = colourMode;
  OnPhotoboothShot();
}

void CMyQuilletView::GetPreviewScreenImage(CString& path) {
  path = m_strPhotoboothImagesDir + "/preview.jpg";
  if (CFullscreenDlg* booth = BoothWindow()) {
    CString numbered;
    numbered.Format("%s/preview%d.jpg", m_strPhotoboothImagesDir.GetString(),
                    m_nNumberOfPhotoboothImages - m_nShotsLeft);
    numbered = booth->ResolveScreenVariant(numbered);
    if (PathFileExistsA(numbered)) path = numbered;
    else path = booth->ResolveScreenVariant(path);
  }
}

CString CMyQuilletView::CountdownText(ULONGLONG now) {
  CString text = m_strPhotoboothMsg;
  CMapStringToString values;
  CString number;
  number.Format("%d", m_nNumberOfPhotoboothImages - m_nShotsLeft + 1);
  values.SetAt("@imageNumber@", number);
  number.Format("%d", m_nNumberOfPhotoboothImages);
  values.SetAt("@numberOfImages@", number);
  LONGLONG left = m_nNextShotTime > now ? static_cast<LONGLONG>(m_nNextShotTime - now) : 0;
  number.Format("%lld", static_cast<long long>(left / 1000 + 1));
  values.SetAt("@secsToNextPhoto@", number);
  ExpandTextTemplate(values, text);
  return text;
}

void CMyQuilletView::PacePhotobooth() {
  CFullscreenDlg* booth = BoothWindow();
  if (m_nShotsLeft <= 0) {
    if (m_nPreviewTicks > 0 && --m_nPreviewTicks == 0 && m_bProcessingUnderWay && booth) {
      booth->SetCountdownText("");
      booth->ShowScreen(m_strPhotoboothImagesDir + "/processing.jpg", 1);
      if (m_hProgressWnd.load()) ::InvalidateRect(m_hProgressWnd.load(), nullptr, TRUE);
    }
    return;
  }
  if (!m_pCamera) {
    m_nShotsLeft = -1;
    return;
  }
  ULONGLONG now = s_pfnTicks();
  ULONGLONG interval = m_bPhotoboothClickerMode ? 1000 : m_nPhotoboothInterval * 1000ULL - 1;
  if (m_nPreviewTicks > 0) {
    --m_nPreviewTicks;
    m_nNextShotTime = now + interval;
    return;
  }
  if (booth) {
    int movieLeft = booth->GetMovieTimeRemaining();
    if (movieLeft > 0) {
      m_nNextShotTime = now + static_cast<ULONGLONG>(movieLeft);
      return;
    }
  }
  ULONGLONG lag = m_nPhotoboothCameraReleaseLag > 0 ? static_cast<ULONGLONG>(m_nPhotoboothCameraReleaseLag) : 0;
  if (m_nLastShotNumber != m_nShotsLeft && now + lag >= m_nNextShotTime &&
      (!m_bPhotoboothClickerMode || m_bClickerPressed)) {
    m_bClickerPressed = false;
    if (m_bPhotoboothClickerMode && booth) {
      booth->SetCountdownText("");
      booth->ShowScreen(ReleaseOrTakingScreen(), 1);
    }
    m_nLastShotNumber = m_nShotsLeft;
    OnTakePicture();
    booth = BoothWindow();
    if (m_nShotsLeft <= 0) return;  // the release failed and ended the session
  }
  if (now >= m_nNextShotTime) {
    if (!m_bPhotoboothClickerMode && booth) {
      booth->SetCountdownText("");
      booth->ShowScreen(ReleaseOrTakingScreen(), 1);
    }
    return;
  }
  if (!m_bPhotoboothClickerMode && now + 1000 >= m_nNextShotTime) {
    if (booth) {
      CString taking;
      GetTakingScreenImage(taking);
      booth->ShowScreen(taking, 1);
      booth->SetCountdownText(CountdownText(now));
    }
    return;
  }
  m_nPreviewTicks = 0;
  if (booth) {
    CString screen;
    screen.Format("%s/%d.jpg", m_strPhotoboothImagesDir.GetString(), m_nNumberOfPhotoboothImages - m_nShotsLeft + 1);
    booth->ShowScreen(screen, 1);
    booth->SetCountdownText(m_bPhotoboothClickerMode ? CString() : CountdownText(now));
  }
}

CString CMyQuilletView::ReleaseOrTakingScreen() {
  CString path;
  GetReleaseScreenImage(path);
  if (!PathFileExistsA(path)) GetTakingScreenImage(path);
  return path;
}
