// The fixture of the booth session tests: a real view over a threaded simulated camera, a booth
// window over it, and a test clock the view paces its shots by.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "photobooth/FullscreenDlg.h"
#include "platform/mfc/dialogscript.h"
#include "tests/PrintedPdfs.h"
#include "tests/photobooth/BoothTestSupport.h"

template <class Booth = CFullscreenDlg, class Base = ::testing::Test>
class BoothViewFixture : public Base {
 protected:
  /// The test clock; Tick() moves it.
  static inline ULONGLONG s_ticks = 0;
  static ULONGLONG Ticks() { return s_ticks; }

  /// A view over the simulated camera, no licence and no boxes shown yet. With `clockStart` the
  /// view's clock is the test clock, starting there.
  void OpenView(ULONGLONG clockStart = 0) {
    ClearProductKey();
    ClearMessageBoxes();
    ResetSimulator({SimModel("Canon PowerShot G9")}, true);
    CMyQuilletView::s_nConnectSettleMs = 0;
    if (clockStart) {
      m_testClock = true;
      CMyQuilletView::s_pfnTicks = Ticks;
      s_ticks = clockStart;
    }
    m_harness = std::make_unique<ViewHarness>();
    ASSERT_NE(nullptr, m_harness->m_view);
    m_view = m_harness->m_view;
  }
  /// Empty photos and prints folders, the photos straight in `name`, and a PDF printer of `dpi`.
  void FreshPhotosAndPrints(const std::string& name, int dpi) {
    SelectPdfPrinter(dpi);
    std::filesystem::remove_all(PrintsFolder());
    m_photos = TestFolder() + "/" + name;
    std::filesystem::remove_all(m_photos);
    m_view->m_strDirectory = m_photos.c_str();
    m_view->m_bYear = m_view->m_bMonth = m_view->m_bDay = FALSE;
  }
  /// Connects the camera; the progress box stays up until the connection closes it.
  void ConnectCamera() {
    PushDialogScript(DialogScript(IDD_PROGRESS).RunUntil([] { return false; }));
    m_view->StartCameraConnection();
    ClearDialogScripts();
    ASSERT_NE(nullptr, m_view->m_pCamera);
  }
  /// The booth window as the photobooth start command brings it up.
  void CreateBooth() {
    m_booth = std::make_unique<Booth>(m_view, 1);
    m_view->m_pFullscreenDlg = m_booth.get();
    m_view->m_bFullScreen = true;
    ASSERT_TRUE(m_booth->Create(IDD_FULLSCREEN, m_view));
  }
  /// A booth of two shots a second apart in photobooth mode, no preview, one printed copy of each
  /// page and its JPEG saved, no GIF and no confirmation; the screens plain pictures in `folder`.
  void OpenTwoShotBooth(const std::string& folder) {
    std::filesystem::path images = FreshBoothFolder(folder);
    for (const char* screen : {"ready.jpg", "1.jpg", "2.jpg", "taking.jpg", "processing.jpg"})
      WriteJpeg(images / screen, 160, 120, QColor(40, 40, 90));
    m_view->m_strPhotoboothImageDir = images.string().c_str();
    m_view->m_nNumberOfPhotoboothImages = 2;
    m_view->m_nPhotoboothInterval = 1;
    m_view->m_nPhotoboothPreviewTime = 0;
    m_view->m_nPhotoboothSaveJpegCopyOfPrints = 1;
    m_view->m_nPhotoboothPrintCopies = 1;
    m_view->m_bPhotoboothGifCreate = FALSE;
    m_view->m_bPhotoboothConfirmPrinting = FALSE;
    m_view->m_bPhotoboothActive = true;
    CreateBooth();
  }
  void TearDown() override {
    if (m_booth) {
      m_view->m_pFullscreenDlg = nullptr;
      m_booth->DestroyWindow();
      m_booth.reset();
    }
    m_harness.reset();
    if (m_testClock) CMyQuilletView::s_pfnTicks = [] { return GetTickCount64(); };
    CMyQuilletView::s_nConnectSettleMs = 700;
    ClearDialogScripts();
    ClearMessageBoxes();
    ClearProductKey();
  }
  /// The view's 50 ms timer, with the test clock moved on by `ms`.
  void Tick(ULONGLONG ms = 50) {
    s_ticks += ms;
    m_view->SendMessage(WM_TIMER, 2, 0);
  }

  std::unique_ptr<ViewHarness> m_harness;
  CMyQuilletView* m_view = nullptr;
  std::unique_ptr<Booth> m_booth;
  std::string m_photos;
  bool m_testClock = false;
};
