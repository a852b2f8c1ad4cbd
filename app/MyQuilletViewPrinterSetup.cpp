// The photobooth printer setup from the form's shortcut button: the printer's dialog, then the
// layout follows the printable area's centre when only the margins changed.
#include "app/MyQuilletApp.h"
#include "app/MyQuilletView.h"
#include "printlayout/PhotoboothPrinterSetupDlg.h"
#include "printlayout/PrinterMargins.h"
#include "support/ProgramGlobals.h"

void CMyQuilletView::OnPhotoboothPrinterSetup(CWnd* parent) {
  CMyQuilletApp* app = GetMyQuilletApp();
  BYTE* devMode = nullptr;
  BYTE* devNames = nullptr;
  DWORD devModeSize = 0, devNamesSize = 0;
  if (!app || !app->GetPrinterSettings(devMode, devModeSize, devNames, devNamesSize)) return;

  int dpiX, dpiY, width, height;
  GetPrinterPageInfo(dpiX, dpiY, width, height);
  int left, top, right, bottom;
  GetPrinterMargins(left, top, right, bottom);

  CPhotoboothPrinterSetupDlg dialog(parent ? parent : this);
  if (dialog.DoModal() == IDOK) {
    int newWidth, newHeight, newLeft, newTop, newRight, newBottom;
    GetPrinterPageInfo(dpiX, dpiY, newWidth, newHeight);
    GetPrinterMargins(newLeft, newTop, newRight, newBottom);
    if (newWidth == width && newHeight == height) {
      const int dx = (newLeft + (width - newLeft - newRight) / 2) - (left + (width - left - right) / 2);
      const int dy = (newTop + (height - newTop - newBottom) / 2) - (top + (height - top - bottom) / 2);
      for (PhotoboothCustomLayoutBox& box : m_layoutBoxes) {
        box.left += dx, box.right += dx;
        box.top += dy, box.bottom += dy;
      }
      for (PhotoboothCaption& caption : m_captions) {
        caption.m_nLeft += dx;
        caption.m_nTop += dy;
      }
    }
    SaveSettings();
  } else {
    app->SetPrinterSettings(devMode, devModeSize, devNames, devNamesSize);
  }
  delete[] devMode;
  delete[] devNames;
}
