#include "config/OutputSettingsDlg.h"

#include "app/SettingsStore.h"
#include "config/OutputSettingsBlocks.h"
#include "platform/mfc/ddx.h"
#include "platform/user/controls.h"
#include "platform/user/messagebox.h"

namespace {

void RegisterTemplate() {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate(
      {IDD_OUTPUT_SETTINGS,
       "Output Settings",
       {{IDC_OUT_OUTPUT, K::Combo, "Output:", "photoboothOutput"},
        {IDC_OUT_FILENAME, K::Edit, "Filename for JPEG copy of output: (followed by \".jpg\")",
         "photoboothOutputFilename"},
        {IDC_OUT_COPY_JPEG, K::Check, "Copy JPEG copy of printed output to folder", "photoboothCopyJpegPrint"},
        {IDC_OUT_COPY_SETTINGS, K::Button, "Settings..."},
        {IDC_OUT_GIF_CREATE, K::Check, "Create animated GIF of photos", "photoboothGifCreate"},
        {IDC_OUT_GIF_SETTINGS, K::Button, "Animated GIF settings..."},
        {IDC_OUT_THUMBNAILS, K::Check, "Display thumbnails", "photoboothThumnailEnable"},
        {IDC_OUT_THUMBNAIL_SETTINGS, K::Button, "Thumbnail settings..."},
        {IDC_OUT_CONFIRM_PRINTING, K::Check, "Display print preview and wait for confirmation before printing",
         "photoboothConfirmPrinting"},
        {IDC_OUT_PREVIEW_X, K::Edit, "Print Preview Left (pixels, 0 = auto):", "photoboothPrintPreviewX"},
        {IDC_OUT_PREVIEW_Y, K::Edit, "Top:", "photoboothPrintPreviewY"},
        {IDC_OUT_PREVIEW_W, K::Edit, "Width:", "photoboothPrintPreviewW"},
        {IDC_OUT_PREVIEW_H, K::Edit, "Height:", "photoboothPrintPreviewH"},
        {IDC_OUT_ROTATION, K::Combo, "Rotation:", "photoboothPrintPreviewRotate"},
        {IDC_OUT_TIMEOUT, K::Edit, "Timeout (secs):", "photoboothConfirmPrintingTimeout"},
        {IDC_OUT_TIMEOUT_ACTION, K::Combo, "Timeout action:", "photoboothConfirmPrintingTimeoutAction"},
        {IDC_OUT_SHARE_PRINT, K::Check, "Print", "printOptionInSharingScreen"},
        {IDC_OUT_PRINT_SETTINGS, K::Button, "Print settings..."},
        {IDC_OUT_FACEBOOK, K::Check, "Facebook", "photoboothFbUpload"},
        {IDC_OUT_FACEBOOK_SETTINGS, K::Button, "Facebook settings..."},
        {IDC_OUT_EMAIL, K::Check, "Email", "photoboothEmail"},
        {IDC_OUT_EMAIL_SETTINGS, K::Button, "Email settings..."},
        {IDC_OUT_EMAIL_SERVER, K::Button, "Email server settings..."},
        {IDC_OUT_EMAIL_OFFLINE, K::Check, "Offline email mode", "photoboothEmailOfflineMode"},
        {IDC_OUT_MMS, K::Check, "SMS/MMS", "EnableMMS"},
        {IDC_OUT_MMS_SETTINGS, K::Button, "SMS/MMS settings..."},
        {IDC_OUT_MMS_OFFLINE, K::Check, "MMS/SMS offline mode", "MmsOfflineMode"},
        {IDC_OUT_TWITTER, K::Check, "Twitter", "EnableTwitter"},
        {IDC_OUT_TWITTER_SETTINGS, K::Button, "Twitter settings..."},
        {IDC_OUT_SHARING_TIMEOUT, K::Edit, "Sharing screen timeout (secs):", "PhotoboothSharingTimeout"},
        {IDC_OUT_SHARE_X, K::Edit, "Sharing Preview Left (pixels, 0 = auto):", "photoboothSharePreviewX"},
        {IDC_OUT_SHARE_Y, K::Edit, "Top:", "photoboothSharePreviewY"},
        {IDC_OUT_SHARE_W, K::Edit, "Width:", "photoboothSharePreviewW"},
        {IDC_OUT_SHARE_H, K::Edit, "Height:", "photoboothSharePreviewH"},
        {IDC_OUT_SHARE_GIFS, K::Check, "Share animated GIFs   Max percentage upscaling:", "shareAnimatedGIFs"},
        {IDC_OUT_GIF_UPSCALING, K::Edit, nullptr, "shareGifMaxPercentageUpscaling"},
        {IDOK, K::DefButton, "OK"},
        {IDCANCEL, K::Button, "Cancel"}}});
}

const char kCaption[] = "Tavorin";

}  // namespace

COutputSettingsDlg::COutputSettingsDlg(CWnd* parent) : CDialog(IDD_OUTPUT_SETTINGS, parent) { RegisterTemplate(); }

void COutputSettingsDlg::DoDataExchange(CDataExchange* dx) {
  DDX_CBIndex(dx, IDC_OUT_OUTPUT, m_nPhotoboothOutput);
  DDX_Check(dx, IDC_OUT_CONFIRM_PRINTING, m_bPhotoboothConfirmPrinting);
  DDX_Text(dx, IDC_OUT_PREVIEW_X, m_nPreviewX);
  DDX_Text(dx, IDC_OUT_PREVIEW_Y, m_nPreviewY);
  DDX_Text(dx, IDC_OUT_PREVIEW_W, m_nPreviewW);
  DDX_Text(dx, IDC_OUT_PREVIEW_H, m_nPreviewH);
  DDX_Text(dx, IDC_OUT_FILENAME, m_strPhotoboothOutputFilename);
  DDX_Check(dx, IDC_OUT_COPY_JPEG, m_bPhotoboothCopyJpegPrint);
  DDX_CBIndex(dx, IDC_OUT_ROTATION, m_nRotationIndex);
  DDX_Text(dx, IDC_OUT_TIMEOUT, m_nTimeout);
  if (m_bRangeChecks) DDV_MinMaxInt(dx, m_nTimeout, 0, 10000);
  DDX_CBIndex(dx, IDC_OUT_TIMEOUT_ACTION, m_nTimeoutActionIndex);
  DDX_Check(dx, IDC_OUT_FACEBOOK, m_bPhotoboothFbUpload);
  DDX_Check(dx, IDC_OUT_EMAIL, m_bPhotoboothEmail);
  DDX_Text(dx, IDC_OUT_SHARING_TIMEOUT, m_nPhotoboothSharingTimeout);
  DDX_Check(dx, IDC_OUT_THUMBNAILS, m_bPhotoboothThumnailEnable);
  DDX_Check(dx, IDC_OUT_EMAIL_OFFLINE, m_bPhotoboothEmailOfflineMode);
  DDX_Text(dx, IDC_OUT_SHARE_X, m_nPhotoboothSharePreviewX);
  DDX_Text(dx, IDC_OUT_SHARE_Y, m_nPhotoboothSharePreviewY);
  DDX_Text(dx, IDC_OUT_SHARE_W, m_nPhotoboothSharePreviewW);
  DDX_Text(dx, IDC_OUT_SHARE_H, m_nPhotoboothSharePreviewH);
  DDX_Check(dx, IDC_OUT_SHARE_PRINT, m_bPrintOptionInSharingScreen);
  DDX_Check(dx, IDC_OUT_MMS, m_bEnableMMS);
  DDX_Check(dx, IDC_OUT_TWITTER, m_bEnableTwitter);
  DDX_Check(dx, IDC_OUT_MMS_OFFLINE, m_bMmsOfflineMode);
  DDX_Check(dx, IDC_OUT_GIF_CREATE, m_bPhotoboothGifCreate);
  DDX_Check(dx, IDC_OUT_SHARE_GIFS, m_bShareAnimatedGIFs);
  DDX_Text(dx, IDC_OUT_GIF_UPSCALING, m_nShareGifMaxPercentageUpscaling);
  if (m_bRangeChecks) DDV_MinMaxInt(dx, m_nShareGifMaxPercentageUpscaling, 25, 500);
}

BOOL COutputSettingsDlg::OnInitDialog() {
  for (const char* text : {"Print Only", "Print and save JPEG copy", "JPEG copy only", "None"})
    SendDlgItemMessage(IDC_OUT_OUTPUT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  FillRotationList(this, IDC_OUT_ROTATION, false);
  for (const char* text : {"Print", "Cancel"})
    SendDlgItemMessage(IDC_OUT_TIMEOUT_ACTION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  m_nPreviewX = g_nPhotoboothPrintPreviewX;
  m_nPreviewY = g_nPhotoboothPrintPreviewY;
  m_nPreviewW = g_nPhotoboothPrintPreviewW;
  m_nPreviewH = g_nPhotoboothPrintPreviewH;
  m_nRotationIndex = RotationToIndex(g_nPhotoboothPrintPreviewRotate, false);
  m_nTimeout = g_nPhotoboothConfirmPrintingTimeout;
  m_nTimeoutActionIndex = g_bPhotoboothConfirmPrintingTimeoutAction ? 0 : 1;
  CDialog::OnInitDialog();
  UpdateEnabling();
  return TRUE;
}

void COutputSettingsDlg::UpdateEnabling() {
  m_bRangeChecks = false;
  UpdateData(TRUE);
  m_bRangeChecks = true;
  bool printing = m_nPhotoboothOutput != 3;
  bool jpeg = IsJpegOutput();
  EnableControl(this, IDC_OUT_CONFIRM_PRINTING, printing);
  bool preview = printing && m_bPhotoboothConfirmPrinting;
  for (int id : {IDC_OUT_ROTATION, IDC_OUT_PREVIEW_X, IDC_OUT_PREVIEW_Y, IDC_OUT_PREVIEW_W, IDC_OUT_PREVIEW_H,
                 IDC_OUT_TIMEOUT, IDC_OUT_TIMEOUT_ACTION})
    EnableControl(this, id, preview);
  EnableControl(this, IDC_OUT_FILENAME, jpeg);
  EnableControl(this, IDC_OUT_THUMBNAIL_SETTINGS, m_bPhotoboothThumnailEnable);
  struct Pair {
    int check, button;
    BOOL ticked;
  } pairs[] = {{IDC_OUT_COPY_JPEG, IDC_OUT_COPY_SETTINGS, m_bPhotoboothCopyJpegPrint},
               {IDC_OUT_SHARE_PRINT, IDC_OUT_PRINT_SETTINGS, m_bPrintOptionInSharingScreen},
               {IDC_OUT_FACEBOOK, IDC_OUT_FACEBOOK_SETTINGS, m_bPhotoboothFbUpload},
               {IDC_OUT_EMAIL, IDC_OUT_EMAIL_SETTINGS, m_bPhotoboothEmail},
               {IDC_OUT_MMS, IDC_OUT_MMS_SETTINGS, m_bEnableMMS},
               {IDC_OUT_TWITTER, IDC_OUT_TWITTER_SETTINGS, m_bEnableTwitter}};
  for (const Pair& pair : pairs) {
    EnableControl(this, pair.check, jpeg);
    EnableControl(this, pair.button, jpeg && pair.ticked);
  }
  EnableControl(this, IDC_OUT_EMAIL_OFFLINE, jpeg && m_bPhotoboothEmail);
  EnableControl(this, IDC_OUT_EMAIL_SERVER, jpeg && m_bPhotoboothEmail);
  EnableControl(this, IDC_OUT_MMS_OFFLINE, jpeg && m_bEnableMMS);
  EnableControl(this, IDC_OUT_GIF_CREATE, m_nPhotoboothOutput >= 0 && m_nPhotoboothOutput <= 2);
  EnableControl(this, IDC_OUT_GIF_SETTINGS, m_nPhotoboothOutput >= 0 && m_nPhotoboothOutput <= 2 &&
                                                m_bPhotoboothGifCreate);
}

bool COutputSettingsDlg::CheckMmsLogging() {
  if (IsJpegOutput() && m_bEnableMMS && m_bMmsOfflineMode && (!m_bLogMmsAddresses || m_strLogMmsPathname.IsEmpty())) {
    ::MessageBoxA(m_hWnd, "MMS logging needs to be enabled in \"SMS/MMS Settings\" when offline mode is selected.",
                kCaption, MB_OK | MB_ICONERROR);
    return false;
  }
  return true;
}

void COutputSettingsDlg::OnOK() {
  if (!UpdateData(TRUE)) return;
  if (IsJpegOutput() && m_bPhotoboothEmail && m_bPhotoboothEmailOfflineMode &&
      (!m_bPhotoboothLogEmailAddresses || m_strPhotoboothLogEmailPathname.IsEmpty())) {
    ::MessageBoxA(m_hWnd,
                "Email address logging needs to be enabled in \"Email Server Settings\" when email offline mode is "
                "selected.",
                kCaption, MB_OK | MB_ICONERROR);
    return;
  }
  if (!CheckMmsLogging()) return;
  g_nPhotoboothPrintPreviewX = m_nPreviewX;
  g_nPhotoboothPrintPreviewY = m_nPreviewY;
  g_nPhotoboothPrintPreviewW = m_nPreviewW;
  g_nPhotoboothPrintPreviewH = m_nPreviewH;
  g_nPhotoboothPrintPreviewRotate = IndexToRotation(m_nRotationIndex < 4 ? m_nRotationIndex : 0);
  g_nPhotoboothConfirmPrintingTimeout = m_nTimeout;
  g_bPhotoboothConfirmPrintingTimeoutAction = m_nTimeoutActionIndex == 0 ? 1 : 0;
  EndDialog(IDOK);
}

BOOL COutputSettingsDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  int id = LOWORD(wParam);
  int code = HIWORD(wParam);
  if (id == IDC_OUT_OUTPUT && code == CBN_SELCHANGE) {
    UpdateEnabling();
    return TRUE;
  }
  if (code == BN_CLICKED) {
    switch (id) {
      case IDC_OUT_CONFIRM_PRINTING:
      case IDC_OUT_COPY_JPEG:
      case IDC_OUT_THUMBNAILS:
      case IDC_OUT_FACEBOOK:
      case IDC_OUT_EMAIL:
      case IDC_OUT_TWITTER:
      case IDC_OUT_SHARE_PRINT:
      case IDC_OUT_MMS:
      case IDC_OUT_GIF_CREATE:
        UpdateEnabling();
        return TRUE;
      case IDC_OUT_MMS_OFFLINE:
        UpdateEnabling();
        CheckMmsLogging();
        return TRUE;
      case IDC_OUT_THUMBNAIL_SETTINGS: OpenThumbnailPage(); return TRUE;
      case IDC_OUT_GIF_SETTINGS: OpenGifPage(); return TRUE;
      case IDC_OUT_COPY_SETTINGS: OpenCopyJpegPage(); return TRUE;
      case IDC_OUT_PRINT_SETTINGS: OpenSharingPrinterPage(); return TRUE;
      case IDC_OUT_FACEBOOK_SETTINGS: OpenFacebookPage(); return TRUE;
      case IDC_OUT_EMAIL_SETTINGS: OpenEmailPage(); return TRUE;
      case IDC_OUT_EMAIL_SERVER: OpenEmailServer(); return TRUE;
      case IDC_OUT_MMS_SETTINGS: OpenMmsPage(); return TRUE;
      case IDC_OUT_TWITTER_SETTINGS: OpenTwitterPage(); return TRUE;
      default: break;
    }
  }
  return CDialog::OnCommand(wParam, lParam);
}
