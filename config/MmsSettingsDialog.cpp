#include "config/MmsSettingsDialog.h"

#include "platform/mfc/ddx.h"
#include "platform/user/controls.h"
#include "platform/user/messagebox.h"
#include "support/PasswordScrambler.h"
#include "support/TextUtilities.h"

namespace {

void RegisterTemplate() {
  using K = DlgItemKind;
  AfxRegisterDialogTemplate(
      {IDD_MMS_SETTINGS,
       "MMS Settings",
       {{-1, K::Label,
         "Sending photos by MMS or SMS needs a Twilio account, and Twilio charges for each message. MMS messages "
         "can only be sent to phones in the US and Canada; elsewhere an SMS with a link to the photo is sent."},
        {IDC_MMS_FROM, K::Edit, "Twilio messaging phone number:", "MmsTwilioFrom"},
        {IDC_MMS_ACCOUNT_SID, K::Edit, "Twilio AccountSID:", "MmsTwilioAccountSID"},
        {IDC_MMS_AUTH_TOKEN, K::Password, "Twilio AuthToken:", "MmsTwilioAuthToken"},
        {IDC_MMS_COUNTRY_PREFIX, K::Edit, "Country prefix (e.g. +1 for the US):", "MmsCountryPrefix"},
        {IDC_MMS_TIMEOUT, K::Edit, "Photo upload timeout (default=30 secs):", "MmsUploadTimeout"},
        {IDC_MMS_MESSAGE, K::MultiLine, "MMS/SMS message:", "MmsMessage"},
        {IDC_MMS_TYPE, K::Combo, "Message type:", "MmsMsgType"},
        {IDC_MMS_MAX_LENGTH, K::Edit, "Maximum message length (0=no limit):", "MmsMaxMsgLength"},
        {IDC_OUTPUT_CROP, K::Check, "Crop image before copying (settings in pixels):", "MmsCrop"},
        {IDC_OUTPUT_CROP_LEFT, K::Edit, "Left:", "MmsCropX"},
        {IDC_OUTPUT_CROP_TOP, K::Edit, "Top:", "MmsCropY"},
        {IDC_OUTPUT_CROP_WIDTH, K::Edit, "Width:", "MmsCropW"},
        {IDC_OUTPUT_CROP_HEIGHT, K::Edit, "Height:", "MmsCropH"},
        {IDC_MMS_MAX_WIDTH, K::Edit, "Max image width (pixels):", "MmsMaxWidth"},
        {IDC_MMS_MAX_HEIGHT, K::Edit, "Max image height (pixels):", "MmsMaxHeight"},
        {IDC_MMS_ROTATION, K::Combo, "Image rotation:", "MmsRotate"},
        {IDC_OUTPUT_LOG_ENABLE, K::Check, "Log uploads to file:", "LogMmsAddresses"},
        {IDC_OUTPUT_LOG_PATH, K::Edit, nullptr, "LogMmsPathname"},
        {IDC_OUTPUT_LOG_BROWSE, K::Button, "..."},
        {IDOK, K::DefButton, "OK"},
        {IDCANCEL, K::Button, "Cancel"}}});
}

CString Trimmed(const CString& text) {
  CString copy = text;
  copy.Trim();
  return copy;
}

}  // namespace

CMmsSettingsDialog::CMmsSettingsDialog(CWnd* parent) : CDialog(IDD_MMS_SETTINGS, parent) { RegisterTemplate(); }

void CMmsSettingsDialog::DoDataExchange(CDataExchange* dx) {
  DDX_Text(dx, IDC_MMS_FROM, m_strMmsTwilioFrom);
  DDX_Text(dx, IDC_MMS_ACCOUNT_SID, m_strMmsTwilioAccountSID);
  DDX_Text(dx, IDC_MMS_AUTH_TOKEN, m_strMmsTwilioAuthToken);
  DDX_Text(dx, IDC_MMS_COUNTRY_PREFIX, m_strMmsCountryPrefix);
  DDX_Text(dx, IDC_MMS_TIMEOUT, m_nMmsUploadTimeout);
  DDV_MinMaxInt(dx, m_nMmsUploadTimeout, 10, 1000);
  DDX_Text(dx, IDC_MMS_MESSAGE, m_strMmsMessage);
  DDX_CBIndex(dx, IDC_MMS_TYPE, m_nMmsMsgType);
  DDX_Text(dx, IDC_MMS_MAX_LENGTH, m_nMmsMaxMsgLength);
  DDV_MinMaxInt(dx, m_nMmsMaxMsgLength, 0, 1000);
  DDX_Check(dx, IDC_OUTPUT_CROP, m_bMmsCrop);
  DDX_Text(dx, IDC_OUTPUT_CROP_LEFT, m_nMmsCropX);
  DDX_Text(dx, IDC_OUTPUT_CROP_TOP, m_nMmsCropY);
  DDX_Text(dx, IDC_OUTPUT_CROP_WIDTH, m_nMmsCropW);
  DDX_Text(dx, IDC_OUTPUT_CROP_HEIGHT, m_nMmsCropH);
  DDX_Text(dx, IDC_MMS_MAX_WIDTH, m_nMmsMaxWidth);
  DDV_MinMaxInt(dx, m_nMmsMaxWidth, 100, 5000);
  DDX_Text(dx, IDC_MMS_MAX_HEIGHT, m_nMmsMaxHeight);
  DDV_MinMaxInt(dx, m_nMmsMaxHeight, 100, 5000);
  DDX_CBIndex(dx, IDC_MMS_ROTATION, m_nRotationIndex);
  DDX_Check(dx, IDC_OUTPUT_LOG_ENABLE, m_bLogMmsAddresses);
  DDX_Text(dx, IDC_OUTPUT_LOG_PATH, m_strLogMmsPathname);
}

BOOL CMmsSettingsDialog::OnInitDialog() {
  for (const char* text : {"MMS", "SMS", "SMS + image"})
    SendDlgItemMessage(IDC_MMS_TYPE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  FillRotationList(this, IDC_MMS_ROTATION, false);
  m_nRotationIndex = RotationToIndex(m_nMmsRotate, false);
  m_strMmsTwilioAuthToken = UnscramblePassword(m_strMmsTwilioAuthToken);
  CDialog::OnInitDialog();
  EnableCropBlock(this);
  EnableLogBlock(this, IDC_OUTPUT_LOG_ENABLE);
  return TRUE;
}

bool CMmsSettingsDialog::Refuse(const char* message, int id) {
  ::MessageBoxA(m_hWnd, message, "Tavorin", MB_OK | MB_ICONERROR);
  if (CWnd* control = GetDlgItem(id)) control->SetFocus();
  return false;
}

void CMmsSettingsDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  m_nMmsRotate = IndexToRotation(m_nRotationIndex);
  CString from = Trimmed(m_strMmsTwilioFrom);
  CString sid = Trimmed(m_strMmsTwilioAccountSID);
  CString token = Trimmed(m_strMmsTwilioAuthToken);
  CString prefix = Trimmed(m_strMmsCountryPrefix);
  if (from.IsEmpty()) {
    Refuse("Please enter the Twilio messaging phone number", IDC_MMS_FROM);
    return;
  }
  if (!IsPhoneNumber(from)) {
    Refuse("The Twilio messaging phone number must be in the form +12345678", IDC_MMS_FROM);
    return;
  }
  if (sid.IsEmpty()) {
    Refuse("Please enter the Twilio AccountSID", IDC_MMS_ACCOUNT_SID);
    return;
  }
  if (token.IsEmpty()) {
    Refuse("Please enter the Twilio AuthToken", IDC_MMS_AUTH_TOKEN);
    return;
  }
  if (prefix.IsEmpty()) {
    Refuse("Please enter the country prefix", IDC_MMS_COUNTRY_PREFIX);
    return;
  }
  if (!IsPhoneNumber(prefix)) {
    Refuse("The country must be in the form +1 or +12", IDC_MMS_COUNTRY_PREFIX);
    return;
  }
  m_strMmsTwilioFrom = from;
  m_strMmsTwilioAccountSID = sid;
  m_strMmsTwilioAuthToken = ScramblePassword(token);
  m_strMmsCountryPrefix = prefix;
  EndDialog(IDOK);
}

BOOL CMmsSettingsDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) == BN_CLICKED) {
    switch (LOWORD(wParam)) {
      case IDC_OUTPUT_CROP: EnableCropBlock(this); return TRUE;
      case IDC_OUTPUT_LOG_ENABLE: EnableLogBlock(this, IDC_OUTPUT_LOG_ENABLE); return TRUE;
      case IDC_OUTPUT_LOG_BROWSE: ChooseLogFile(this, "SMS/MMS log file"); return TRUE;
      default: break;
    }
  }
  return CDialog::OnCommand(wParam, lParam);
}
