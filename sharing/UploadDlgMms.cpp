// The MMS kind of the sharing screen.
#include "sharing/UploadDlg.h"

void CUploadDlg::SendMms(const CString&) {
  SetMessageText("MMS account settings missing");
  DrawStatus(ImagePath("mms_error.jpg"), true);
  ArmCloseTimer(5000);
}
