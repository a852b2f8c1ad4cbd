// The Facebook and Twitter kinds of the sharing screen.
#include "sharing/UploadDlg.h"

void CUploadDlg::ShareToUploader(bool facebook, const CString&) {
  SetMessageText("Error trying to run command:\nthe uploader is not available");
  DrawStatus(ImagePath(facebook ? "fb_error.jpg" : "twitter_error.jpg"), true);
  ArmCloseTimer(5000);
}

void CUploadDlg::WatchUploader() {
  m_bFacebookRunning = m_bTwitterRunning = false;
}
