// The printer list: CUPS destinations plus the built-in PDF printer, which is the default
// when CUPS names none.
#include <cstdlib>

#include "platform/win32/folders.h"
#include "platform/winspool/winspool_p.h"

namespace winspool_p {

std::vector<PrinterEntry> Printers() {
  std::vector<PrinterEntry> printers = CupsPrinters();
  PrinterEntry pdf;
  pdf.name = kPdfPrinterName;
  pdf.driver = kPdfDriverName;
  pdf.port = kPdfPortName;
  pdf.comment = "Writes each job as a PDF file in the Tavorin Prints folder";
  pdf.builtIn = true;
  bool anyDefault = false;
  for (PrinterEntry& p : printers) {
    if (p.name == pdf.name) p.name += " (CUPS)";  // the built-in name stays unambiguous
    anyDefault = anyDefault || p.isDefault;
  }
  pdf.isDefault = !anyDefault;
  printers.push_back(pdf);
  return printers;
}

bool FindPrinter(const std::string& name, PrinterEntry& entry) {
  for (const PrinterEntry& p : Printers())
    if (p.name == name) {
      entry = p;
      return true;
    }
  return false;
}

std::string PdfOutputFolder() {
  const char* documents = std::getenv("XDG_DOCUMENTS_DIR");
  std::string folder = documents && *documents ? documents : GetDocumentsFolder();
  return folder + "/Tavorin Prints";
}

}  // namespace winspool_p
