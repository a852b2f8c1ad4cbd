// File > "Print Selected Photobooth Photos...": JPEGs chosen by the operator printed one page
// each, in one document, on the application's printer.
#include <stdexcept>
#include <string>
#include <vector>

#include "app/MyQuilletView.h"
#include "photobooth/PhotoboothProcessingWorker.h"
#include "platform/gdi/wingdi.h"
#include "platform/mfc/filedialog.h"
#include "platform/user/messagebox.h"
#include "platform/win32/files.h"
#include "platform/winspool/printdc.h"
#include "support/PipSession.h"
#include "support/ProgramGlobals.h"

namespace {

struct PrintError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace

void CMyQuilletView::OnPrintSelectedPhotos() {
  // The image folder the processing worker saves the pages under.
  CMapStringToString tokens;
  CString folder;
  BuildPhotoboothTokens(nullptr, tokens, folder);
  if (folder.GetLength() > 1 && folder[folder.GetLength() - 1] == '/') folder = folder.Left(folder.GetLength() - 1);
  CString prints = folder + "/prints";
  DWORD attributes = GetFileAttributesA(prints);
  CString initial = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) ? prints : folder;

  CFileDialog dialog(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER,
                     "JPEG images (*.jpg)|*.jpg||", this);
  dialog.m_ofn.lpstrTitle = "Select one or more JPEGs for printing";
  dialog.m_ofn.lpstrInitialDir = initial;
  if (dialog.DoModal() != IDOK) return;
  std::vector<CString> paths;
  for (POSITION position = dialog.GetStartPosition(); position;) paths.push_back(dialog.GetNextPathName(position));

  HDC printer = nullptr;
  int printed = 0, loaded = 0;
  try {
    if (paths.empty()) throw PrintError("Unable to load JPEG");
    printer = CreateApplicationPrinterDC();  // holds the printer lock only while it reads the defaults
    if (!printer) throw PrintError("Unable to connect to printer to print images");
    if (!PhotoboothProcessingWorker::StartPrintJob(printer)) throw PrintError("Can't initialize printer");
    const int width = GetDeviceCaps(printer, HORZRES), height = GetDeviceCaps(printer, VERTRES);
    bool pageFailed = false;
    for (const CString& path : paths) {
      PipSession image;
      if (!cLoadImage(image.m_hSession, path, 0, 0, 0)) {
        ::MessageBoxA(m_hWnd, "Error loading JPEG: " + path, "Tavorin", MB_OK);
        continue;
      }
      ++loaded;
      if (StartPage(printer) <= 0) {
        pageFailed = true;
        break;
      }
      bool ok = cPrintImage(image.m_hSession, printer, 0, 0, width, height, 0, 0, 0, 0) != 0;
      ok = EndPage(printer) > 0 && ok;
      if (ok) ++printed;  // charged once the printer took the job
    }
    // Pages already on their way are kept; a job with none is dropped. A job the printer did
    // not take printed nothing.
    bool accepted = printed > 0 && EndDoc(printer) > 0;
    if (!accepted) AbortDoc(printer);
    if (accepted) UpdatePhotoboothPrintCounter(printed);
    if (loaded > 0 && printed > 0 && !accepted) throw PrintError("The printer did not accept the job");
    if (pageFailed || (loaded > 0 && printed == 0)) throw PrintError("Can't initialize printer");
    if (loaded == 0)
      ::MessageBoxA(m_hWnd, "None of the chosen JPEGs could be loaded: nothing was printed", "Tavorin",
                    MB_OK | MB_ICONERROR);
    else
      ::MessageBoxA(m_hWnd, "Photos sent to printer", "Tavorin", MB_OK);
  } catch (const PrintError& error) {
    PhotoboothProcessingWorker::ReportPrintError(m_hWnd, error.what());
  } catch (...) {
    PhotoboothProcessingWorker::ReportPrintError(m_hWnd, "");
  }
  if (printer) DeleteDC(printer);
}
