// Helpers of the application tests: a clean settings key, a view inside a real main frame,
// message pumping and a photo file.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "app/MainFrm.h"
#include "app/MyQuilletDoc.h"
#include "app/MyQuilletView.h"
#include "app/MyQuilletApp.h"
#include "app/Resource.h"
#include "platform/canon/cdsdk.h"
#include "platform/canon/prsdk.h"
#include "platform/canon/simulator.h"
#include "platform/mfc/printdialog.h"
#include "platform/registry/registry.h"
#include "platform/user/message.h"
#include "platform/user/messagebox.h"
#include "platform/win32/sync.h"
#include "platform/winspool/globalmem.h"
#include "support/ProgramGlobals.h"

inline std::string TestFolder() { return std::getenv("TAVORIN_APP_TEST_DIR"); }

/// Removes the program's whole key, so each test starts as a first start.
inline void ClearProductKey() { SHDeleteKeyA(HKEY_CURRENT_USER, kProductKey); }

/// Makes the built-in PDF printer the application's printer, on paper of 103 x 155 mm at `dpi`.
inline void SelectPdfPrinter(int dpi) {
  DEVMODEA mode{};
  std::strcpy(reinterpret_cast<char*>(mode.dmDeviceName), "Tavorin PDF Printer");
  mode.dmSpecVersion = DM_SPECVERSION;
  mode.dmSize = sizeof(DEVMODEA);
  mode.dmFields = DM_ORIENTATION | DM_PAPERWIDTH | DM_PAPERLENGTH | DM_PRINTQUALITY | DM_YRESOLUTION;
  mode.dmOrientation = DMORIENT_PORTRAIT;
  mode.dmPaperWidth = 1030;
  mode.dmPaperLength = 1550;
  mode.dmPrintQuality = mode.dmYResolution = static_cast<short>(dpi);
  HGLOBAL devMode = GlobalAlloc(GHND, sizeof(mode));
  std::memcpy(GlobalLock(devMode), &mode, sizeof(mode));
  GlobalUnlock(devMode);
  AfxGetApp()->SelectPrinter(AfxMakeDevNames("winspool", "Tavorin PDF Printer", "", 0), devMode, TRUE);
}

inline HKEY OpenProductKey() {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
  return key;
}

/// Runs the UI thread's messages until the condition holds; false when it never does.
inline bool PumpUntil(const std::function<bool()>& condition, DWORD limitMs = 60000) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > limitMs) return false;
    PumpWaitingMessages();
    Sleep(5);
  }
  return true;
}

/// Scenario with these cameras; threaded like a real SDK, or synchronous.
inline void ResetSimulator(std::vector<tavsim::SimCameraProfile> cameras, bool threaded) {
  tavsim::SimScenario scenario;
  scenario.cameras = std::move(cameras);
  scenario.threaded = threaded;
  tavsim::SimReset(scenario);
}

inline tavsim::SimCameraProfile SimModel(const char* model, int sdks = tavsim::kSimPr) {
  tavsim::SimCameraProfile profile;
  profile.model = model;
  profile.sdks = sdks;
  return profile;
}

/// A main frame holding a view, as the document template makes them, with the initial update run.
class ViewHarness {
 public:
  ViewHarness() {
    m_document = new CMyQuilletDoc;
    m_frame = new CMainFrame;
    CCreateContext context;
    context.m_pNewViewClass = RUNTIME_CLASS(CMyQuilletView);
    context.m_pCurrentDoc = m_document;
    context.m_pCurrentFrame = m_frame;
    if (!m_frame->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context)) {
      m_frame = nullptr;
      return;
    }
    AfxGetApp()->m_pMainWnd = m_frame;
    m_frame->InitialUpdateFrame(m_document, TRUE);
    m_view = dynamic_cast<CMyQuilletView*>(m_frame->GetActiveView());
  }
  ~ViewHarness() { Close(); }

  /// Destroys the frame and view (the view saves its settings) and the document.
  void Close() {
    if (m_frame) {
      m_frame->DestroyWindow();
      m_frame = nullptr;
      m_view = nullptr;
      AfxGetApp()->m_pMainWnd = nullptr;
    }
    delete m_document;
    m_document = nullptr;
  }

  CMainFrame* m_frame = nullptr;
  CMyQuilletView* m_view = nullptr;

 private:
  CMyQuilletDoc* m_document = nullptr;
};

/// A test with a fresh view in its main frame over a synchronous simulated G9 (not connected),
/// and a clean settings key and message-box record before and after.
class ViewTestBase : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearProductKey();
    ClearMessageBoxes();
    ResetSimulator({SimModel("Canon PowerShot G9")}, false);
    m_harness = std::make_unique<ViewHarness>();
    ASSERT_NE(nullptr, m_harness->m_view);
    m_view = m_harness->m_view;
  }
  void TearDown() override {
    m_harness.reset();
    ClearMessageBoxes();
    ClearProductKey();
  }

  std::unique_ptr<ViewHarness> m_harness;
  CMyQuilletView* m_view = nullptr;
};

/// Writes a camera-made photo and returns its path.
inline std::string WriteTestPhoto(const std::string& name, const char* model = "Canon PowerShot G9") {
  std::vector<BYTE> photo = tavsim::SimMakePhoto(320, 240, 1, model);
  std::string path = TestFolder() + "/" + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(photo.data()), photo.size());
  return path;
}
