// Shared by the print-layout tests: the application's printer set to the built-in PDF printer
// with an explicit paper size, resolution and orientation.
#pragma once

#include <cstring>
#include <string>

#include "platform/mfc/printdialog.h"
#include "platform/mfc/winapp.h"
#include "platform/winspool/globalmem.h"
#include "platform/winspool/winspool.h"

inline const char* const kTestPdfPrinter = "Tavorin PDF Printer";

/// Paper in tenths of a millimetre; orientation 1 portrait, 2 landscape, 0 for a DEVMODE that
/// does not carry the field.
inline void SelectTestPrinter(int paperWidth, int paperLength, int dpiX, int dpiY, int orientation,
                              const char* printer = kTestPdfPrinter) {
  DEVMODEA mode{};
  std::strncpy(reinterpret_cast<char*>(mode.dmDeviceName), printer, CCHDEVICENAME - 1);
  mode.dmSpecVersion = DM_SPECVERSION;
  mode.dmSize = sizeof(DEVMODEA);
  mode.dmFields = DM_PAPERWIDTH | DM_PAPERLENGTH | DM_PRINTQUALITY | DM_YRESOLUTION | DM_COPIES;
  if (orientation) mode.dmFields |= DM_ORIENTATION;
  mode.dmOrientation = static_cast<SHORT>(orientation ? orientation : 1);
  mode.dmPaperSize = DMPAPER_USER;
  mode.dmPaperWidth = static_cast<SHORT>(paperWidth);
  mode.dmPaperLength = static_cast<SHORT>(paperLength);
  mode.dmPrintQuality = static_cast<SHORT>(dpiX);
  mode.dmYResolution = static_cast<SHORT>(dpiY);
  mode.dmCopies = 1;
  HGLOBAL devMode = GlobalAlloc(GHND, sizeof(mode));
  std::memcpy(GlobalLock(devMode), &mode, sizeof(mode));
  GlobalUnlock(devMode);
  AfxGetApp()->SelectPrinter(AfxMakeDevNames("winspool", printer, "", 0), devMode, TRUE);
}

/// Paper given in whole pixels at `dpi`: the tenths of a millimetre that give them.
inline int PaperForPixels(int pixels, int dpi) { return static_cast<int>(pixels * 254.0 / dpi + 0.5); }

inline std::string PrintLayoutTestDir() {
  const char* folder = std::getenv("TAVORIN_PRINTLAYOUT_TEST_DIR");
  return folder ? folder : "/tmp";
}
