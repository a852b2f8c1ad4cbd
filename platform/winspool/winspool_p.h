// Inside the printer layer: the catalogue, settings validation and page geometry.
#pragma once

#include <string>
#include <vector>

#include "platform/winspool/devmode.h"

namespace winspool_p {

constexpr const char* kPdfPrinterName = "Tavorin PDF Printer";
constexpr const char* kPdfDriverName = "Tavorin PDF";
constexpr const char* kPdfPortName = "PDF:";

struct PrinterEntry {
  std::string name;
  std::string driver;
  std::string port;
  std::string comment;
  std::string location;
  bool builtIn = false;
  bool isDefault = false;
};

/// The CUPS destinations followed by the built-in PDF printer; exactly one is the default.
std::vector<PrinterEntry> Printers();
/// False when no printer has that exact name.
bool FindPrinter(const std::string& name, PrinterEntry& entry);

/// The printer's own default settings.
DEVMODEA DefaultDevMode(const PrinterEntry& printer);
/// Copies a stored DEVMODE when its sizes are consistent with `size` bytes; false otherwise.
bool ReadDevMode(const void* data, size_t size, DEVMODEA& devMode);
/// Reads the three names of a stored DEVNAMES, checking every offset and terminator.
bool ReadDevNames(const void* data, size_t size, std::string& driver, std::string& device, std::string& output);
/// Takes the fields `input` marks as set into `target`, clamped to sane values.
void MergeDevMode(DEVMODEA& target, const DEVMODEA& input);

/// Page geometry in device pixels for a printer with given settings.
struct PageGeometry {
  int dpiX = 300, dpiY = 300;
  int physWidth = 0, physHeight = 0;   // the whole sheet
  int offsetX = 0, offsetY = 0;        // printable area's corner
  int horzRes = 0, vertRes = 0;        // printable area
  double widthMm = 0, heightMm = 0;    // the sheet as placed (landscape swapped)
};
PageGeometry ResolvePage(const PrinterEntry& printer, const DEVMODEA& devMode);

/// Where the built-in printer writes its PDFs: <documents>/Tavorin Prints, documents being
/// $XDG_DOCUMENTS_DIR, else the user-dirs.dirs entry, else ~/Documents.
std::string PdfOutputFolder();

// CUPS, kept behind these few calls.
struct CupsMedia {
  double widthMm = 0, heightMm = 0;
  double left = 0, bottom = 0, right = 0, top = 0;  // unprintable margins, mm
  int dpi = 0;
};
std::vector<PrinterEntry> CupsPrinters();
bool CupsDefaultMedia(const std::string& name, CupsMedia& media);
/// Submits a PDF file; returns the CUPS job id, or 0 on failure.
int CupsSubmit(const std::string& name, const std::string& path, const std::string& title, double widthMm,
               double heightMm);

}  // namespace winspool_p
