// The MMS kind of the sharing screen.
#include "sharing/MmsTransport.h"
#include "sharing/UploadDlg.h"

void CUploadDlg::SendMms(const CString& file) {
  MmsTransport transport(m_share.mms, m_share.photoPath, m_share.image);
  transport.onStatus = [this](const char* picture) { DrawStatus(ImagePath(picture), true); };
  MmsResult result = transport.Send(m_share.recipient, file);
  SetMessageText(result.message);
  DrawStatus(ImagePath(result.picture), true);
  ArmCloseTimer(static_cast<UINT>(result.displayMs));
}
