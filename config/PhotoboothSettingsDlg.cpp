#include "config/PhotoboothSettingsDlg.h"

#include <cstring>
#include <vector>

#include "app/MyQuilletApp.h"
#include "config/EditCaptionDlg.h"
#include "config/FontDescription.h"
#include "config/PhotoboothProfilesDlg.h"
#include "config/PhotoboothSettingsFile.h"
#include "keyboard/KeyboardGlobals.h"
#include "config/TouchscreenSettings.h"
#include "platform/gdi/wingdi.h"
#include "platform/mfc/colordialog.h"
#include "platform/mfc/ddx.h"
#include "platform/mfc/filedialog.h"
#include "platform/mfc/fontdialog.h"
#include "platform/mfc/shlobj.h"
#include "platform/user/controls.h"
#include "platform/user/messagebox.h"
#include "printlayout/PrinterMargins.h"
#include "support/ProgramGlobals.h"

namespace {

const int kSwatchSize = 100;
const char* const kStartOptions[] = {"Keyboard only (ignore mouse or touchscreen clicks)",
                                     "Left click anywhere to start",
                                     "Left click to start, right click to toggle B&W mode",
                                     "Left click top left to start",
                                     "Left click top left to start color sequence, bottom left for B&W",
                                     "Touchscreen"};
const char* const kOutputs[] = {"Print Only", "Print and save JPEG copy", "JPEG copy only", "None"};
const char* const kPrintColours[] = {"color", "B&W", "B&W (toned)"};

int CALLBACK SelectStartFolder(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED) ::SendMessageA(window, BFFM_SETSELECTION, TRUE, data);
  return 0;
}

}  // namespace

CPhotoboothSettingsDlg::CPhotoboothSettingsDlg(CWnd* parent)
    : CDialog(IDD_PHOTOBOOTH_SETTINGS, parent),
      m_nFacebookUploadTimeout(g_nFacebookUploadTimeout),
      m_bDitherGIFs(g_bDitherGIFs),
      m_strKeyboardEmailErrorMsg(KeyboardEmailErrorMessage),
      m_nTwitterUploadTimeout(g_nTwitterUploadTimeout) {
  using K = DlgItemKind;
  DlgTemplate dialog{
      IDD_PHOTOBOOTH_SETTINGS,
      "Photobooth Settings",
      {{IDC_PBS_IMAGES, K::Edit, "Number of images [1 to 20]:", nullptr, 0, 0, "Sequence"},
       {IDC_PBS_SHUTTER_LAG, K::Edit, "Camera delay (shutter lag in 1/10 sec):", nullptr, 0, 0, "Sequence"},
       {IDC_PBS_FIRST_INTERVAL, K::Edit, "Delay before taking first photo:", nullptr, 0, 0, "Sequence"},
       {IDC_PBS_INTERVAL, K::Edit, "Delay before taking remaining photos:", nullptr, 0, 0, "Sequence"},
       {IDC_PBS_PREVIEW_TIME, K::Edit, "Preview time (secs, 0=disabled):", nullptr, 0, 0, "Sequence"},
       {IDC_PBS_MIN_PROCESSING, K::Edit, "Minimum time to display processing screen:", nullptr, 0, 0, "Sequence"},
       {IDC_PBS_CLICKER, K::Check, "Clicker mode", nullptr, 0, 0, "Sequence"},
       {IDC_PBS_AUTO_STANDBY, K::Check, "Auto standby", nullptr, 0, 0, "Sequence"},
       {IDC_PBS_INACTIVITY, K::Edit, "Inactivity timeout in secs (0=disabled):", nullptr, 0, 0, "Sequence"},
       {IDC_PBS_MESSAGE, K::Edit, "Text displayed when counting down to taking photo:", nullptr, 0, 0, "Countdown"},
       {IDC_PBS_FONT_DESCRIPTION, K::ReadOnly, "Font:", nullptr, 0, 0, "Countdown"},
       {IDC_PBS_FONT, K::Button, "...", nullptr, 0, 0, "Countdown"},
       {IDC_PBS_COLOUR_SWATCH, K::Picture, "Color:", nullptr, kSwatchSize / 4, kSwatchSize / 4, "Countdown"},
       {IDC_PBS_COLOUR, K::Button, "...", nullptr, 0, 0, "Countdown"},
       {IDC_PBS_TEXT_OFFSET, K::Edit, "Offset (0=auto):", nullptr, 0, 0, "Countdown"},
       {IDC_PBS_EVF_HEIGHT, K::Edit, "Live view height:", nullptr, 0, 0, "Live view"},
       {IDC_PBS_EVF_X, K::Edit, "Left offset (-1=centered):", nullptr, 0, 0, "Live view"},
       {IDC_PBS_EVF_Y, K::Edit, "Top offset:", nullptr, 0, 0, "Live view"},
       {IDC_PBS_LIVE_VIEW, K::Check, "Enable Live View in full screen mode", nullptr, 0, 0, "Live view"},
       {IDC_PBS_MIRROR, K::Check, "Mirror live viewfinder image", nullptr, 0, 0, "Live view"},
       {IDC_PBS_EVF_FIRST_SHOT, K::Check, "Only display live view iages for the first shot", nullptr, 0, 0,
        "Live view"},
       {IDC_PBS_EVF_PRINTING, K::Check, "Disable live view when printing", nullptr, 0, 0, "Live view"},
       {IDC_PBS_3TO2, K::Check, "3:2 template comptibility mode (3:2 asect ratio)", nullptr, 0, 0, "Live view"},
       {IDC_PBS_PROGRESS, K::Check, "Show progress bar when printing", nullptr, 0, 0, "Start and output"},
       {IDC_PBS_START_ON_CONNECT, K::Check, "Start fullscreen photobooth mode automatically when camera connects",
        nullptr, 0, 0, "Start and output"},
       {IDC_PBS_START_OPTIONS, K::Combo, "Start options:", nullptr, 0, 0, "Start and output"},
       {IDC_PBS_TOUCHSCREEN, K::Button, "Settings...", nullptr, 0, 0, "Start and output"},
       {IDC_PBS_OUTPUT, K::Combo, "Output:", nullptr, 0, 0, "Start and output"},
       {IDC_PBS_OUTPUT_SETTINGS, K::Button, "Settings...", nullptr, 0, 0, "Start and output"},
       {IDC_PBS_CONFIRM_PRINTING, K::Check, "Confirm before printing", nullptr, 0, 0, "Start and output"},
       {IDC_PBS_CUSTOM_LAYOUT, K::Check, "Custom layout", nullptr, 0, 0, "Print layout"},
       {IDC_PBS_CUSTOM_LAYOUT_SETTINGS, K::Button, "Settings...", nullptr, 0, 0, "Print layout"},
       {IDC_PBS_ROWS, K::Edit, "Rows [1 to 20]:", nullptr, 0, 0, "Print layout"},
       {IDC_PBS_COLUMNS, K::Edit, "Columns [1 to 20]:", nullptr, 0, 0, "Print layout"},
       {IDC_PBS_BORDER, K::Edit, "Image border (mm):", nullptr, 0, 0, "Print layout"},
       {IDC_PBS_COPIES, K::Edit, "Number of copies to print [1 to 9]:", nullptr, 0, 0, "Print layout"},
       {IDC_PBS_IMAGE_DIR, K::Edit, "Folder containing header, footer and background images:", nullptr, 0, 0,
        "Print layout"},
       {IDC_PBS_IMAGE_DIR_BROWSE, K::Button, "...", nullptr, 0, 0, "Print layout"},
       {IDC_PBS_REPEAT, K::Check, "Repeat images to fill empty columns", nullptr, 0, 0, "Print layout"},
       {IDC_PBS_SHARPEN, K::Check, "Sharpen images, amount:", nullptr, 0, 0, "Print layout"},
       {IDC_PBS_SHARPEN_AMOUNT, K::Edit, nullptr, nullptr, 0, 0, "Print layout"},
       {IDC_PBS_ROTATE, K::Check, "Rotate image to maximize size", nullptr, 0, 0, "Print layout"},
       {IDC_PBS_CROP, K::Check, "Crop image if required to fit printable area", nullptr, 0, 0, "Print layout"},
       {IDC_PBS_PRINT_COLOUR, K::Combo, "Print photos in:", nullptr, 0, 0, "Print layout"},
       {IDC_PBS_EDIT_CAPTIONS, K::Button, "Edit captions..."},
       {IDC_PBS_LOAD, K::Button, "Load..."},
       {IDC_PBS_SAVE, K::Button, "Save..."},
       {IDC_PBS_PROFILES, K::Button, "Profiles..."},
       {IDOK, K::DefButton, "OK"},
       {IDCANCEL, K::Button, "Cancel"}}};
  dialog.columnStarts = {"Start and output"};
  AfxRegisterDialogTemplate(dialog);
}

CPhotoboothSettingsDlg::~CPhotoboothSettingsDlg() {
  if (m_hSwatch) DeleteObject(m_hSwatch);
}

void CPhotoboothSettingsDlg::DoDataExchange(CDataExchange* dx) {
  ViewSettings& s = m_settings;
  DDX_Text(dx, IDC_PBS_IMAGES, s.m_nNumberOfPhotoboothImages);
  DDV_MinMaxInt(dx, s.m_nNumberOfPhotoboothImages, 1, 20);
  DDX_Text(dx, IDC_PBS_SHUTTER_LAG, m_nShutterLagTenths);
  DDX_Text(dx, IDC_PBS_FIRST_INTERVAL, s.m_nPhotoboothFirstInterval);
  DDX_Text(dx, IDC_PBS_INTERVAL, s.m_nPhotoboothInterval);
  DDX_Text(dx, IDC_PBS_PREVIEW_TIME, s.m_nPhotoboothPreviewTime);
  DDX_Text(dx, IDC_PBS_MIN_PROCESSING, s.m_nPhotoboothMinProcessingDuration);
  DDX_Check(dx, IDC_PBS_CLICKER, s.m_bPhotoboothClickerMode);
  DDX_Check(dx, IDC_PBS_AUTO_STANDBY, s.m_bPhotoboothAutoStandby);
  DDX_Text(dx, IDC_PBS_INACTIVITY, m_nInactivityTimeout);
  DDV_MinMaxInt(dx, m_nInactivityTimeout, 0, 999);
  DDX_Text(dx, IDC_PBS_MESSAGE, s.m_strPhotoboothMsg);
  DDX_Text(dx, IDC_PBS_TEXT_OFFSET, s.m_nPhotoboothTextYOffset);
  DDV_MinMaxInt(dx, s.m_nPhotoboothTextYOffset, 0, 2000);
  DDX_Text(dx, IDC_PBS_EVF_HEIGHT, s.m_nPhotoboothEvfMaxHeight);
  DDV_MinMaxInt(dx, s.m_nPhotoboothEvfMaxHeight, 100, 1000);
  DDX_Text(dx, IDC_PBS_EVF_X, s.m_nPhotoboothEvfXOffset);
  DDV_MinMaxInt(dx, s.m_nPhotoboothEvfXOffset, -1, 2000);
  DDX_Text(dx, IDC_PBS_EVF_Y, s.m_nPhotoboothEvfYOffset);
  DDV_MinMaxInt(dx, s.m_nPhotoboothEvfYOffset, 0, 1000);
  DDX_Check(dx, IDC_PBS_LIVE_VIEW, s.m_bPhotoboothEnableLiveView);
  DDX_Check(dx, IDC_PBS_MIRROR, s.m_bPhotoboothMirrorLiveView);
  DDX_Check(dx, IDC_PBS_EVF_FIRST_SHOT, s.m_bPhotoboothSuppressEvfAfterFirstShot);
  DDX_Check(dx, IDC_PBS_EVF_PRINTING, s.m_bPhotoboothSuppressEvfDuringPrinting);
  DDX_Check(dx, IDC_PBS_3TO2, s.m_bPhotobooth3to2Crop);
  DDX_Check(dx, IDC_PBS_PROGRESS, s.m_bPhotoboothShowProgress);
  DDX_Check(dx, IDC_PBS_START_ON_CONNECT, s.m_bStartPhotoboothOnConnect);
  DDX_CBIndex(dx, IDC_PBS_START_OPTIONS, s.m_nPhotoboothUseMouseToTrigger);
  DDX_CBIndex(dx, IDC_PBS_OUTPUT, s.m_nPhotoboothSaveJpegCopyOfPrints);
  DDX_Check(dx, IDC_PBS_CONFIRM_PRINTING, s.m_bPhotoboothConfirmPrinting);
  DDX_Check(dx, IDC_PBS_CUSTOM_LAYOUT, s.m_bPhotoboothCustomLayout);
  DDX_Text(dx, IDC_PBS_ROWS, s.m_nPhotoboothNumberOfRows);
  DDX_Text(dx, IDC_PBS_COLUMNS, s.m_nPhotoboothNumberOfColumns);
  DDX_Text(dx, IDC_PBS_BORDER, s.m_dPhotoboothBorderInMM);
  DDX_Text(dx, IDC_PBS_COPIES, s.m_nPhotoboothPrintCopies);
  DDX_Text(dx, IDC_PBS_IMAGE_DIR, s.m_strPhotoboothImageDir);
  DDX_Check(dx, IDC_PBS_REPEAT, s.m_bPhotoboothRepeatToFillEmptyCols);
  DDX_Check(dx, IDC_PBS_SHARPEN, s.m_bPhotoboothEnableSharpening);
  DDX_Text(dx, IDC_PBS_SHARPEN_AMOUNT, s.m_nPhotoboothSharpeningAmount);
  DDV_MinMaxInt(dx, s.m_nPhotoboothSharpeningAmount, 0, 100);
  DDX_Check(dx, IDC_PBS_ROTATE, s.m_bPhotoboothRotateToFitPaper);
  DDX_Check(dx, IDC_PBS_CROP, s.m_bPhotoboothCropToFit);
  DDX_CBIndex(dx, IDC_PBS_PRINT_COLOUR, s.m_nPhotoboothBW);
  if (dx->m_bSaveAndValidate) s.m_nPhotoboothInactivityTimeout = static_cast<DWORD>(m_nInactivityTimeout);
}

BOOL CPhotoboothSettingsDlg::OnInitDialog() {
  for (const char* option : kStartOptions)
    SendDlgItemMessage(IDC_PBS_START_OPTIONS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(option));
  for (const char* output : kOutputs) SendDlgItemMessage(IDC_PBS_OUTPUT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(output));
  for (const char* colour : kPrintColours)
    SendDlgItemMessage(IDC_PBS_PRINT_COLOUR, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(colour));
  if (m_settings.m_nPhotoboothPreviewTime < 0) m_settings.m_nPhotoboothPreviewTime = 0;
  CDialog::OnInitDialog();
  UpdateFontDisplay();
  EnableControls();
  return TRUE;
}

void CPhotoboothSettingsDlg::EnableControls() {
  auto enable = [this](int id, bool on) {
    if (CWnd* control = GetDlgItem(id)) control->EnableWindow(on ? TRUE : FALSE);
  };
  const bool custom = m_settings.m_bPhotoboothCustomLayout != FALSE;
  enable(IDC_PBS_SHARPEN_AMOUNT, m_settings.m_bPhotoboothEnableSharpening != FALSE);
  enable(IDC_PBS_CUSTOM_LAYOUT_SETTINGS, custom);
  for (int id : {IDC_PBS_ROWS, IDC_PBS_COLUMNS, IDC_PBS_BORDER, IDC_PBS_REPEAT, IDC_PBS_ROTATE, IDC_PBS_CROP})
    enable(id, !custom);
  enable(IDC_PBS_TOUCHSCREEN, m_settings.m_nPhotoboothUseMouseToTrigger == 5);
}

void CPhotoboothSettingsDlg::UpdateFontDisplay() {
  const COLORREF colour = static_cast<COLORREF>(m_settings.m_nPhotoboothMsgColour);
  std::vector<DWORD> pixels(kSwatchSize * kSwatchSize,
                            0xFF000000u | (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour));
  if (HBITMAP swatch = CreateBitmap(kSwatchSize, kSwatchSize, 1, 32, pixels.data())) {
    HBITMAP old = reinterpret_cast<HBITMAP>(
        SendDlgItemMessage(IDC_PBS_COLOUR_SWATCH, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(swatch)));
    if (old && old != swatch) DeleteObject(old);
    if (m_hSwatch && m_hSwatch != old) DeleteObject(m_hSwatch);
    m_hSwatch = swatch;
  }
  SetDlgItemText(IDC_PBS_FONT_DESCRIPTION, FormatFontDescription(m_settings.m_photoboothMsgFont, ScreenDpiY()));
}

void CPhotoboothSettingsDlg::Refuse(const char* message, int focusId) {
  ::MessageBoxA(m_hWnd, message, "Tavorin", MB_OK | MB_ICONSTOP);
  if (focusId)
    if (CWnd* control = GetDlgItem(focusId)) control->SetFocus();
}

bool CPhotoboothSettingsDlg::CheckValues() {
  const ViewSettings& s = m_settings;
  if (s.m_nNumberOfPhotoboothImages < 1 || s.m_nNumberOfPhotoboothImages > 20)
    return Refuse("Error: number of photos must in the range 1 to 20", IDC_PBS_IMAGES), false;
  if (s.m_nPhotoboothPrintCopies < 1 || s.m_nPhotoboothPrintCopies > 9)
    return Refuse("Error: number of copies must in the range 1 to 9", IDC_PBS_COPIES), false;
  if (s.m_nPhotoboothNumberOfRows < 1 || s.m_nPhotoboothNumberOfRows > 20)
    return Refuse("Error: number of rows must in the range 1 to 20", IDC_PBS_ROWS), false;
  if (s.m_nPhotoboothNumberOfColumns < 1 || s.m_nPhotoboothNumberOfColumns > 20)
    return Refuse("Error: number of columns must in the range 1 to 20", IDC_PBS_COLUMNS), false;
  if (s.m_nPhotoboothMinProcessingDuration < 0 || s.m_nPhotoboothMinProcessingDuration > 120)
    return Refuse("Error: minimum duration before closing 'processing' screen\nmust be in the range 0 to 120 seconds",
                  IDC_PBS_MIN_PROCESSING),
           false;
  if (!s.m_bPhotoboothCustomLayout) {
    if (s.m_nPhotoboothNumberOfRows * s.m_nPhotoboothNumberOfColumns < s.m_nNumberOfPhotoboothImages)
      return Refuse("Not enough rows and columns to print all the images", 0), false;
    if (!(s.m_dPhotoboothBorderInMM >= 0 && s.m_dPhotoboothBorderInMM <= 15))
      return Refuse("Border must be in the range 0 to 15mm", 0), false;
  }
  if (s.m_nPhotoboothInterval < 0 || s.m_nPhotoboothInterval > 30)
    return Refuse("Delay before each photo must be in the range 0 to 30 secs", 0), false;
  if (m_nShutterLagTenths < 0 || m_nShutterLagTenths > 100)
    return Refuse("Shutter lag must be in the range 0 to 100 tenths of a sec", 0), false;
  if (s.m_nPhotoboothInterval * 10 < m_nShutterLagTenths)
    return Refuse("Shutter lag must be less than the delay before each photo", 0), false;
  return true;
}

void CPhotoboothSettingsDlg::OnOK() {
  if (!UpdateData(TRUE)) return;
  if (!CheckValues()) return;
  if (m_settings.m_nPhotoboothPreviewTime < 0) m_settings.m_nPhotoboothPreviewTime = 0;
  g_nFacebookUploadTimeout = m_nFacebookUploadTimeout;
  g_nTwitterUploadTimeout = m_nTwitterUploadTimeout;
  g_bDitherGIFs = m_bDitherGIFs;
  KeyboardEmailErrorMessage = m_strKeyboardEmailErrorMsg;
  EndDialog(IDOK);
}

void CPhotoboothSettingsDlg::OnBrowseImageDir() {
  if (!UpdateData(TRUE)) return;
  char name[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = m_hWnd;
  info.pszDisplayName = name;
  info.lpszTitle = "Select folder";
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = SelectStartFolder;
  info.lParam = reinterpret_cast<LPARAM>(m_settings.m_strPhotoboothImageDir.GetString());
  LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
  if (!chosen) return;
  char path[MAX_PATH] = {};
  if (SHGetPathFromIDListA(chosen, path)) {
    m_settings.m_strPhotoboothImageDir = path;
    UpdateData(FALSE);
  }
  ILFree(chosen);
}

void CPhotoboothSettingsDlg::OnFont() {
  LOGFONTA font = m_settings.m_photoboothMsgFont;
  CFontDialog dialog(&font, CF_SCREENFONTS | CF_SCALABLEONLY | CF_INITTOLOGFONTSTRUCT, nullptr, this);
  if (dialog.DoModal() != IDOK) return;
  dialog.GetCurrentFont(&m_settings.m_photoboothMsgFont);
  UpdateFontDisplay();
}

void CPhotoboothSettingsDlg::OnColour() {
  CColorDialog dialog(static_cast<COLORREF>(m_settings.m_nPhotoboothMsgColour), CC_FULLOPEN | CC_RGBINIT, this);
  if (dialog.DoModal() != IDOK) return;
  m_settings.m_nPhotoboothMsgColour = static_cast<int>(dialog.GetColor());
  UpdateFontDisplay();
}

void CPhotoboothSettingsDlg::OnEditCaptions() {
  ApplicationPrinterInfo printer = ReadApplicationPrinter();
  if (!printer.hasDC) return;
  CEditCaptionDlg dialog(this);
  dialog.m_nPageWidth = printer.horzRes;
  dialog.m_nPageHeight = printer.vertRes;
  dialog.m_nDpiX = printer.dpiX;
  dialog.m_nDpiY = printer.dpiY;
  dialog.m_bHideMoveToCenter = TRUE;
  dialog.m_nCurrentCaption = 0;
  for (int i = 0; i < kLayoutCaptionCount; ++i) dialog.m_captions[i] = m_settings.m_captions[i];
  if (dialog.DoModal() != IDOK) return;
  for (int i = 0; i < kLayoutCaptionCount; ++i) m_settings.m_captions[i] = dialog.m_captions[i];
}

void CPhotoboothSettingsDlg::OnTouchscreen() {
  if (!UpdateData(TRUE)) return;
  CTouchscreenSettings dialog(this);
  for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i) dialog.m_buttons[i] = m_settings.m_touchscreenButtons[i];
  dialog.m_nKeyboard = m_settings.m_nPhotoboothKeyboard;
  dialog.m_strImagesFolder = m_settings.m_strPhotoboothImageDir;
  dialog.m_nKeyboardTimeout = m_nKeyboardTimeout;
  dialog.m_strExitPassword = m_strExitPassword;
  if (dialog.DoModal() != IDOK) return;
  for (int i = 0; i < kPhotoboothTouchscreenButtonCount; ++i) m_settings.m_touchscreenButtons[i] = dialog.m_buttons[i];
  m_settings.m_nPhotoboothKeyboard = dialog.m_nKeyboard;
  m_nKeyboardTimeout = dialog.m_nKeyboardTimeout;
  m_strExitPassword = dialog.m_strExitPassword;
}

void CPhotoboothSettingsDlg::OnProfiles() {
  CPhotoboothProfilesDlg dialog(this);
  for (int i = 0; i < kPhotoboothProfileCount; ++i) dialog.m_strProfiles[i] = m_settings.m_strPhotoboothProfiles[i];
  dialog.m_nDefaultProfile = m_settings.m_nPhotoboothDefaultProfile;
  if (dialog.DoModal() != IDOK) return;
  for (int i = 0; i < kPhotoboothProfileCount; ++i) m_settings.m_strPhotoboothProfiles[i] = dialog.m_strProfiles[i];
  m_settings.m_nPhotoboothDefaultProfile = dialog.m_nDefaultProfile;
}

void CPhotoboothSettingsDlg::OnSaveSettings() {
  if (!UpdateData(TRUE)) return;
  const bool withPrinter = ::MessageBoxA(m_hWnd,
                                         "Do you wish to save the current printer settings with the photo booth settings?",
                                         "Tavorin", MB_YESNO | MB_ICONQUESTION) == IDYES;
  CFileDialog dialog(FALSE, nullptr, nullptr, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR,
                     "XML file (*.xml)|*.xml||", this);
  dialog.m_ofn.lpstrTitle = "Save Photobooth Settings";
  if (dialog.DoModal() != IDOK) return;
  CString path = dialog.GetPathName();
  if (path.Right(4).CompareNoCase(".xml") != 0) path += ".xml";
  PhotoboothPrinterRecords printer;
  bool havePrinter = withPrinter && CopyApplicationPrinter(printer.devMode, printer.devNames) &&
                     !printer.devMode.empty() && !printer.devNames.empty();
  CString error;
  if (!WritePhotoboothSettingsFile(path, m_settings, true, havePrinter ? &printer : nullptr, error))
    ShowPhotoboothFileError(m_hWnd, error);
}

void CPhotoboothSettingsDlg::OnLoadSettings() {
  if (!UpdateData(TRUE)) return;
  CFileDialog dialog(TRUE, nullptr, nullptr, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR,
                     "Photobooth settings (*.xml)|*.xml||", this);
  dialog.m_ofn.lpstrTitle = "Load Photobooth Settings";
  if (dialog.DoModal() != IDOK) return;
  PhotoboothFileReadResult result;
  CString error;
  if (!ReadPhotoboothSettingsFile(dialog.GetPathName(), m_settings, true, result, error)) {
    ShowPhotoboothFileError(m_hWnd, error);
    return;
  }
  m_nInactivityTimeout = static_cast<int>(static_cast<DWORD>(m_settings.m_nPhotoboothInactivityTimeout));
  if (result.hasPrinter)
    if (CMyQuilletApp* app = GetMyQuilletApp())
      app->SetPrinterSettings(result.printer.devMode.data(), static_cast<DWORD>(result.printer.devMode.size()),
                              result.printer.devNames.data(), static_cast<DWORD>(result.printer.devNames.size()));
  if (result.layoutChangedWarning) ShowLayoutChangedWarning(m_hWnd);
  UpdateData(FALSE);
  UpdateFontDisplay();
  EnableControls();
}

BOOL CPhotoboothSettingsDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam), code = HIWORD(wParam);
  switch (id) {
    case IDC_PBS_SHARPEN:
    case IDC_PBS_CUSTOM_LAYOUT:
      if (code == BN_CLICKED) {
        UpdateData(TRUE);
        EnableControls();
      }
      return TRUE;
    case IDC_PBS_START_OPTIONS:
      if (code == CBN_SELCHANGE) {
        UpdateData(TRUE);
        EnableControls();
      }
      return TRUE;
    default:
      break;
  }
  if (code != BN_CLICKED) return CDialog::OnCommand(wParam, lParam);
  switch (id) {
    case IDC_PBS_IMAGE_DIR_BROWSE: OnBrowseImageDir(); return TRUE;
    case IDC_PBS_FONT: OnFont(); return TRUE;
    case IDC_PBS_COLOUR: OnColour(); return TRUE;
    case IDC_PBS_EDIT_CAPTIONS: OnEditCaptions(); return TRUE;
    case IDC_PBS_CUSTOM_LAYOUT_SETTINGS: OnCustomLayout(); return TRUE;
    case IDC_PBS_OUTPUT_SETTINGS: OnOutputSettings(); return TRUE;
    case IDC_PBS_PROFILES: OnProfiles(); return TRUE;
    case IDC_PBS_TOUCHSCREEN: OnTouchscreen(); return TRUE;
    case IDC_PBS_SAVE: OnSaveSettings(); return TRUE;
    case IDC_PBS_LOAD: OnLoadSettings(); return TRUE;
    default: return CDialog::OnCommand(wParam, lParam);
  }
}
