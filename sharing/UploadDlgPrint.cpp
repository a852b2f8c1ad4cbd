// The print kind of the sharing screen: one page on the application's printer.
#include <algorithm>

#include "platform/gdi/wingdi.h"
#include "platform/winspool/printdc.h"
#include "sharing/UploadDlg.h"
#include "support/PipSession.h"
#include "support/ProgramGlobals.h"

namespace {

struct PrintJob {
  HDC dc = nullptr;
  bool started = false;
  ~PrintJob() {
    if (started) AbortDoc(dc);
    if (dc) DeleteDC(dc);
  }
};

}  // namespace

void CUploadDlg::PrintPhoto() {
  const ULONGLONG start = s_pfnTickCount();
  CString error;
  {
    PrintJob job;
    std::vector<BYTE> devMode, devNames;
    if (!CopyApplicationPrinter(devMode, devNames)) {
      error = "Error initializing printer";
    } else if (!(job.dc = CreateApplicationPrinterDC())) {
      error = "Error connecting to printer";
    } else {
      PipSession image;
      if (!cLoadImage(image.m_hSession, m_share.photoPath, 0, 0, 0)) {
        error = "Error loading image for printing:\n" + m_share.photoPath;
      } else {
        if (!m_share.iccInputProfile.IsEmpty() && !m_share.iccOutputProfile.IsEmpty())
          ApplyIccProfiles(image, m_share.iccInputProfile, m_share.iccOutputProfile, 0);
        DOCINFOA info{};
        info.cbSize = sizeof(info);
        info.lpszDocName = "Tavorin - Photobooth Edition";
        // Each step is checked: a page that never reached the printer is reported, not shown as done.
        bool ok = StartDocA(job.dc, &info) > 0;
        job.started = ok;
        ok = ok && StartPage(job.dc) > 0;
        if (ok) UpdatePhotoboothPrintCounter(1);
        ok = ok && cPrintImage(image.m_hSession, job.dc, 0, 0, GetDeviceCaps(job.dc, HORZRES),
                               GetDeviceCaps(job.dc, VERTRES), 0, 0, 0, 0) != 0;
        ok = ok && EndPage(job.dc) > 0;
        ok = ok && EndDoc(job.dc) > 0;
        if (ok) job.started = false;
        if (!ok) error = "Error printing:\n" + m_share.photoPath;
      }
    }
  }
  SetMessageText(error);
  if (!error.IsEmpty()) {
    ArmCloseTimer(4000);
    return;
  }
  ULONGLONG spent = s_pfnTickCount() - start;
  ArmCloseTimer(static_cast<UINT>(spent >= 3000 ? 1000 : 4000 - spent));
}
