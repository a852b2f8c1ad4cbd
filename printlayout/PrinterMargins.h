// Per-printer margins that trim the printable area, and the small printer functions of the
// layout code. Everything works on the application's printer; workers call these too, so they
// read copies of its settings taken under the printer lock.
#pragma once

#include "platform/mfc/cstring.h"
#include "platform/win32/windef.h"

class PipSession;

/// The key under HKEY_CURRENT_USER that holds the margins of every printer.
extern const char kPrinterMarginsKey[];

/// What the layout code needs of the application's printer at one moment.
struct ApplicationPrinterInfo {
  bool hasPrinter = false;  // the application has printer settings
  bool hasDC = false;       // and a printer DC could be made for them
  CString deviceName = "Unknown";
  short orientation = 1;  // 1 unless the DEVMODE carries the field
  int horzRes = 0, vertRes = 0, dpiX = 0, dpiY = 0, horzSizeMm = 0, vertSizeMm = 0;
};
ApplicationPrinterInfo ReadApplicationPrinter();

/// The stored margins of the application's printer at its resolution and orientation, else
/// the default margins; all 0 without a printer.
void GetPrinterMargins(int& left, int& top, int& right, int& bottom);
/// Stores the margins under the current printer, resolution and orientation; silent on failure.
void SavePrinterMargins(int left, int top, int right, int bottom);
/// Margins that trim a printable area slightly above 4 or 6 inches to exactly that; never negative.
void DefaultPrinterMargins(int horzRes, int vertRes, int dpiX, int dpiY, int& left, int& top, int& right,
                           int& bottom);
/// "<device>_<dpi>DPI_P_" or "..._L_": the start of the four margin value names.
CString PrinterMarginsValuePrefix(const char* deviceName, int dpiX, short orientation);

/// New zeroed movable DEVNAMES and DEVMODE blocks for the named printer (the caller frees
/// them); 0 when an out pointer is missing or the printer cannot be opened or read.
int GetPrinterDevModeAndNames(LPCSTR printerName, HGLOBAL* devNames, HGLOBAL* devMode);
/// The application's DEVMODE orientation, 1 when it carries none or on any failure.
short GetPrinterOrientation();
/// Writes the orientation into the application's DEVMODE when it carries the field.
void SetPrinterOrientation(short orientation);
/// `name` becomes "Unknown", then the device name; true when a printer DC can be made.
bool GetCurrentPrinterName(CString& name);
/// Crops the session's image (covering the whole printable area) by the current margins;
/// returns the imaging library's crop result.
int CropToPrinterMargins(PipSession& session);
