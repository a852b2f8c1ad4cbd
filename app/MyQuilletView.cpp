// The view's life: defaults, stored settings, the SDKs at construction; settings saved on
// WM_DESTROY; the SDKs finished by the destructor.
#include "app/MyQuilletView.h"
#include "app/ImagePreviewDlg.h"

#include <cstdlib>
#include <ctime>

#include "app/MainFrm.h"
#include "app/MyQuilletApp.h"
#include "app/MyQuilletForm.h"
#include "app/ProgressDlg2.h"
#include "app/Resource.h"
#include "camera/CameraNaming.h"
#include "platform/canon/cdsdk.h"
#include "platform/canon/prsdk.h"
#include "platform/gdiplus/codecs.h"
#include "platform/registry/registry.h"
#include "platform/win32/folders.h"
#include "platform/win32/nls.h"
#include "support/ProgramGlobals.h"
#include "support/TextUtilities.h"
#include "support/Toning.h"

IMPLEMENT_DYNCREATE(CMyQuilletView, CFormView)

namespace {

CMyQuilletView* g_pMainView = nullptr;
ULONG_PTR g_gdiplusToken = 0;

}  // namespace

UINT g_nHotSpotMessage = 0;

CMyQuilletView* GetMainView() { return g_pMainView; }

CString FormatProgramVersion(int major, int minor, int build, int revision) {
  CString text;
  if (revision != 0)
    text.Format("%d.%d.%d.%d", major, minor, build, revision);
  else if (build != 0)
    text.Format("%d.%d.%d", major, minor, build);
  else
    text.Format("%d.%d", major, minor);
  return text;
}

int StartCdsdkVersions() {
  // The first attempt is repeated on purpose: some SDK builds refuse once while they settle.
  static const int versions[] = {5, 5, 6, 7, 8, 9, 10};
  for (int version : versions) {
    cdVersionInfo info{};
    info.Size = sizeof(info);
    info.MajorVersion = static_cast<cdUInt16>(version);
    if (CDStartSDK(&info, 0) == cdOK) return version;
  }
  return 0;
}

CMyQuilletView::CMyQuilletView() : CFormView(IDD_MYQUILLET_FORM) {
  RegisterMyQuilletForm();
  g_pMainView = this;

  Gdiplus::GdiplusStartupInput gdiplusInput;
  Gdiplus::GdiplusStartup(&g_gdiplusToken, &gdiplusInput, nullptr);

  if (CMyQuilletApp* app = GetMyQuilletApp()) app->m_pView = this;

  char decimal[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, decimal, sizeof(decimal)) > 0 && decimal[0])
    g_cDecimalSeparator = decimal[0];

  // Programs here carry no file-version resource: the version stays the built-in one.
  g_strProgramVersion = "2.7";

  m_nIPCMessage = RegisterWindowMessageA("WM_MORVANESYS_TAVORIN_IPC");
  g_nHotSpotMessage = RegisterWindowMessageA("WM_USER_HOTSPOTMESSAGE");

  std::srand(static_cast<unsigned>(std::time(nullptr)));
  m_strUniqueId = MakeUniqueCode();

  LoadSettings();
  m_bSettingsLoadMissed = RegistryReadsMissed() != FALSE;
  BuildToningTable(m_nPhotoboothToningHue / 360.0, m_nPhotoboothToningSaturation / 100.0);

  m_pProgressDlg2 = new CProgressDlg2(this);
  CreateViewfinderWindow();

  PR_StartSDK();
  StartCdsdkVersions();
}

CMyQuilletView::~CMyQuilletView() {
  if (m_pCamera && m_bViewfinderRunning) m_pCamera->StopViewfinder();
  m_bLiveViewfinder = false;
  DestroyViewfinderWindow();
  DeleteCamera();
  delete m_pSink;
  m_pSink = nullptr;
  delete[] m_pCurrentJpeg;
  m_pCurrentJpeg = nullptr;
  delete m_pCurrentExif;
  m_pCurrentExif = nullptr;
  delete m_pDisplayBitmap;
  delete m_pHighlightBitmap;
  delete m_pProgressDlg2;
  if (CMyQuilletApp* app = GetMyQuilletApp(); app && app->m_pView == this) app->m_pView = nullptr;
  if (g_pMainView == this) g_pMainView = nullptr;
  // A release whose camera went may still be inside the SDK.
  CCamera::WaitForReleaseThreads();
  CDFinishSDK();
  Gdiplus::GdiplusShutdown(g_gdiplusToken);
}

void CMyQuilletView::LoadSettings() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS)
    return;
  LoadSettingsTable(key, BuildSettingsTable(*this));
  m_nAutoBracketNumShots = ClampAutoBracketShots(m_nAutoBracketNumShots);
  // An old layout switch that is only read once, then forgotten.
  RegDeleteValueA(key, "PhotoboothCustomDoubleStrip");

  std::vector<BYTE> devNames, devMode;
  CMyQuilletApp* app = GetMyQuilletApp();
  if (ReadRegBinary(key, "PrinterDevNames", devNames, 1, kMaxPrinterRecord) &&
      ReadRegBinary(key, "PrinterDevMode", devMode, 1, kMaxPrinterRecord) && app)
    app->SetPrinterSettings(devMode.data(), static_cast<DWORD>(devMode.size()), devNames.data(),
                            static_cast<DWORD>(devNames.size()));
  RegCloseKey(key);
}

void CMyQuilletView::RetryMissedSettingsLoad() {
  if (!m_bSettingsLoadMissed || !RegistryRetryMissedReads()) return;
  LoadSettings();
  // Held again while it was read: what did not read stays default, and the next write tries again.
  m_bSettingsLoadMissed = RegistryReadsMissed() != FALSE;
  BuildToningTable(m_nPhotoboothToningHue / 360.0, m_nPhotoboothToningSaturation / 100.0);
  ApplyViewfinderSettings();
  if (m_hWnd) UpdateControls();
  if (!m_bSettingsLoadMissed) SetStatusText("Settings read");
}

void CMyQuilletView::SaveSettings() {
  // Before the viewfinder window's values are taken: they are defaults too until then.
  RetryMissedSettingsLoad();
  ReadViewfinderSettings();
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kProductKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                      nullptr, &key, nullptr) == ERROR_SUCCESS) {
    SaveSettingsTable(key, BuildSettingsTable(*this));
    BYTE* devMode = nullptr;
    BYTE* devNames = nullptr;
    DWORD devModeSize = 0, devNamesSize = 0;
    CMyQuilletApp* app = GetMyQuilletApp();
    if (app && app->GetPrinterSettings(devMode, devModeSize, devNames, devNamesSize)) {
      RegSetValueExA(key, "PrinterDevMode", 0, REG_BINARY, devMode, devModeSize);
      RegSetValueExA(key, "PrinterDevNames", 0, REG_BINARY, devNames, devNamesSize);
      delete[] devMode;
      delete[] devNames;
    }
    RegCloseKey(key);
  }
  SaveCameraSettings();
}

CString CMyQuilletView::GetCameraModelKey() const {
  if (!m_pCamera) return CString();
  return CString(kProductKey) + m_pCamera->GetModelName();
}

DWORD CMyQuilletView::SelectedItemData(const CComboBox& combo) {
  if (!combo.m_hWnd) return 0xFFFFFFFFu;
  int index = combo.GetCurSel();
  if (index < 0) return 0xFFFFFFFFu;
  return static_cast<DWORD>(combo.GetItemData(index));
}

void CMyQuilletView::SaveCameraSettings() {
  RetryMissedSettingsLoad();
  if (!m_pCamera || m_bModelSettingsUnread) return;
  HKEY key = nullptr;
  CString name = GetCameraModelKey() + "\\Settings";
  if (RegCreateKeyExA(HKEY_CURRENT_USER, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS)
    return;
  WriteRegDword(key, "Zoom", m_zoomSlider.m_hWnd ? static_cast<DWORD>(m_zoomSlider.GetPos()) : 0);
  const struct {
    const char* name;
    const CComboBox& combo;
  } combos[] = {{"ExpMode", m_cbExpMode},         {"Tv", m_cbTv},
                {"Av", m_cbAv},                   {"ISO", m_cbIso},
                {"ExpComp", m_cbExpComp},         {"SizeQuality", m_cbSizeQuality},
                {"WhiteBalance", m_cbWhiteBalance}, {"MeteringMode", m_cbMetering},
                {"AFDistance", m_cbAfDistance},   {"FocusPoints", m_cbFocusPoints},
                {"Flash", m_cbFlash},             {"FlashComp", m_cbFlashComp},
                {"PhotoEffect", m_cbPhotoEffect}};
  for (const auto& row : combos) WriteRegDword(key, row.name, SelectedItemData(row.combo));
  WriteRegDword(key, "OrientationSetting", static_cast<DWORD>(m_nOrientationSetting));
  WriteRegDword(key, "LosslessAutoRotate", m_bLosslessAutoRotate ? 1 : 0);
  WriteRegDword(key, "Contrast", static_cast<DWORD>(m_nContrast));
  WriteRegDword(key, "Saturation", static_cast<DWORD>(m_nSaturation));
  WriteRegDword(key, "Sharpness", static_cast<DWORD>(m_nSharpness));
  WriteRegDword(key, "LiveViewfinder", m_bLiveViewfinder ? 1 : 0);
  WriteRegDword(key, "ViewfinderOutput", static_cast<DWORD>(m_nViewfinderOutput));
  RegCloseKey(key);
}

int CMyQuilletView::OnCreate(LPCREATESTRUCT createStruct) {
  if (CFormView::OnCreate(createStruct) == -1) return -1;
  delete m_pSink;
  m_pSink = new WindowMessageSink(m_hWnd, &m_bReleasePending);
  DragAcceptFiles(TRUE);
  return 0;
}

void CMyQuilletView::OnDestroy() {
  ShowBlankScreen(false);
  if (m_pImagePreviewDlg) {
    m_pImagePreviewDlg->DestroyWindow();
    delete m_pImagePreviewDlg;
    m_pImagePreviewDlg = nullptr;
  }
  SaveSettings();
  m_pDisplayWorker.reset();  // its thread posts to this window
  // No more camera messages once the window is gone; those still queued own their data.
  if (m_pCamera) m_pCamera->SetMessageSink(nullptr);
  FreeQueuedCameraPayloads();
  CFormView::OnDestroy();
}

void CMyQuilletView::FreeQueuedCameraPayloads() {
  MSG msg;
  while (PeekMessageA(&msg, m_hWnd, WM_DISPLAY_JPEG, WM_DISPLAY_JPEG, PM_REMOVE))
    delete[] reinterpret_cast<BYTE*>(msg.lParam);
  while (PeekMessageA(&msg, m_hWnd, WM_EXIF, WM_EXIF, PM_REMOVE)) delete reinterpret_cast<Exif*>(msg.lParam);
  while (PeekMessageA(&msg, m_hWnd, WM_SAVED_FILE, WM_SAVED_FILE, PM_REMOVE))
    delete reinterpret_cast<CString*>(msg.lParam);
}

void CMyQuilletView::DoDataExchange(CDataExchange* dx) {
  CFormView::DoDataExchange(dx);
  DDX_Control(dx, IDC_TV, m_cbTv);
  DDX_Control(dx, IDC_EXPMODE, m_cbExpMode);
  DDX_Control(dx, IDC_AV, m_cbAv);
  DDX_Control(dx, IDC_ISO, m_cbIso);
  DDX_Control(dx, IDC_EXPCOMP, m_cbExpComp);
  DDX_Control(dx, IDC_SIZEQUALITY, m_cbSizeQuality);
  DDX_Control(dx, IDC_WHITEBALANCE, m_cbWhiteBalance);
  DDX_Control(dx, IDC_METERING, m_cbMetering);
  DDX_Control(dx, IDC_AFDISTANCE, m_cbAfDistance);
  DDX_Control(dx, IDC_FOCUSPOINTS, m_cbFocusPoints);
  DDX_Control(dx, IDC_FLASH, m_cbFlash);
  DDX_Control(dx, IDC_FLASHCOMP, m_cbFlashComp);
  DDX_Control(dx, IDC_PHOTOEFFECT, m_cbPhotoEffect);
  DDX_Control(dx, IDC_ZOOM, m_zoomSlider);
  DDX_Control(dx, IDC_DOWNLOAD_PROGRESS, m_downloadProgress);
  DDX_Control(dx, IDC_COMMENT, m_editComment);
  DDX_Control(dx, IDC_RELEASE, m_btnRelease);
  DDX_Control(dx, IDC_PREVIEW, m_btnPreview);
  DDX_Control(dx, IDC_AFLOCK, m_chkAfLock);
  DDX_Control(dx, IDC_FLASHOUTPUT, m_cbFlashOutput);
  DDX_Control(dx, IDC_HISTOGRAM, m_histogramPicture);
  DDX_Control(dx, IDC_PICTURE, m_picture);
}

void CMyQuilletView::OnInitialUpdate() {
  CFormView::OnInitialUpdate();
  if (m_downloadProgress.m_hWnd) {
    m_downloadProgress.SetRange(0, 100);
    m_downloadProgress.ShowWindow(SW_HIDE);
  }
  LayoutOptionButtons();
  if (s_bStartMainRoad) {
    TellSettingsProblems();
    CheckIpcChannel();
    StartMainRoad();
  }
}

CameraMessageSink* CMyQuilletView::GetMessageSink() { return m_pSink; }

void CMyQuilletView::SetStatusText(const char* text) {
  m_strStatusText = text ? text : "";
  if (CMainFrame* frame = dynamic_cast<CMainFrame*>(GetParentFrame())) frame->SetStatusText(0, text);
}

CString CMyQuilletView::GetCommentText() {
  CString text;
  if (m_editComment.m_hWnd) m_editComment.GetWindowText(text);
  return text;
}
