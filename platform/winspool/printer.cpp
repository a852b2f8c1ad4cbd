// EnumPrinters, GetDefaultPrinter, OpenPrinter/GetPrinter/ClosePrinter, DocumentProperties.
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "platform/win32/error.h"
#include "platform/winspool/properties_p.h"
#include "platform/winspool/winspool.h"
#include "platform/winspool/winspool_p.h"

using namespace winspool_p;

namespace {

struct PrinterHandle {
  PrinterEntry entry;
  DEVMODEA devMode;
};

std::mutex& HandleMutex() {
  static std::mutex m;
  return m;
}
std::unordered_set<PrinterHandle*>& Handles() {
  static std::unordered_set<PrinterHandle*> handles;
  return handles;
}

PrinterHandle* FromHandle(HANDLE handle) {
  std::lock_guard<std::mutex> lock(HandleMutex());
  auto* p = static_cast<PrinterHandle*>(handle);
  if (!handle || !Handles().count(p)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return p;
}

// Lays out level-2 records, then their DEVMODEs, then their strings, in one buffer.
size_t NeededFor(const std::vector<PrinterEntry>& printers) {
  size_t total = printers.size() * (sizeof(PRINTER_INFO_2A) + sizeof(DEVMODEA));
  for (const PrinterEntry& p : printers)
    total += p.name.size() + p.port.size() + p.driver.size() + p.comment.size() + p.location.size() + 5 + 1;
  return total;
}

void Fill(const std::vector<PrinterEntry>& printers, const std::vector<DEVMODEA>& devModes, LPBYTE buffer) {
  auto* records = reinterpret_cast<PRINTER_INFO_2A*>(buffer);
  auto* modes = reinterpret_cast<DEVMODEA*>(buffer + printers.size() * sizeof(PRINTER_INFO_2A));
  char* text = reinterpret_cast<char*>(modes + printers.size());
  auto put = [&](const std::string& s) {
    char* start = text;
    std::memcpy(text, s.c_str(), s.size() + 1);
    text += s.size() + 1;
    return start;
  };
  char* empty = put("");
  for (size_t i = 0; i < printers.size(); ++i) {
    const PrinterEntry& p = printers[i];
    PRINTER_INFO_2A& r = records[i];
    std::memset(&r, 0, sizeof r);
    r.pServerName = nullptr;
    r.pPrinterName = put(p.name);
    r.pShareName = empty;
    r.pPortName = put(p.port);
    r.pDriverName = put(p.driver);
    r.pComment = put(p.comment);
    r.pLocation = put(p.location);
    std::memcpy(&modes[i], &devModes[i], sizeof(DEVMODEA));
    r.pDevMode = &modes[i];
    r.pSepFile = r.pPrintProcessor = r.pDatatype = r.pParameters = empty;
    r.Attributes = PRINTER_ATTRIBUTE_LOCAL | (p.isDefault ? PRINTER_ATTRIBUTE_DEFAULT : 0);
    r.Priority = r.DefaultPriority = 1;
  }
}

BOOL GiveLevel2(const std::vector<PrinterEntry>& printers, const std::vector<DEVMODEA>& devModes, LPBYTE buffer,
                DWORD size, LPDWORD needed) {
  const size_t need = NeededFor(printers);
  if (needed) *needed = static_cast<DWORD>(need);
  if (!buffer || size < need) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  Fill(printers, devModes, buffer);
  return TRUE;
}

}  // namespace

BOOL EnumPrintersA(DWORD flags, LPSTR, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed, LPDWORD returned) {
  if (returned) *returned = 0;
  if (level != 2 || !needed || !returned) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<PrinterEntry> printers = Printers();
  if (flags & PRINTER_ENUM_DEFAULT) std::erase_if(printers, [](const PrinterEntry& p) { return !p.isDefault; });
  std::vector<DEVMODEA> modes;
  for (const PrinterEntry& p : printers) modes.push_back(DefaultDevMode(p));
  if (!GiveLevel2(printers, modes, buffer, size, needed)) return FALSE;
  *returned = static_cast<DWORD>(printers.size());
  return TRUE;
}

BOOL GetDefaultPrinterA(LPSTR buffer, LPDWORD size) {
  if (!size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  for (const PrinterEntry& p : Printers()) {
    if (!p.isDefault) continue;
    const DWORD need = static_cast<DWORD>(p.name.size() + 1);
    if (!buffer || *size < need) {
      *size = need;
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return FALSE;
    }
    std::memcpy(buffer, p.name.c_str(), need);
    *size = need;
    return TRUE;
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  return FALSE;
}

BOOL OpenPrinterA(LPSTR name, HANDLE* printer, LPPRINTER_DEFAULTSA defaults) {
  if (printer) *printer = nullptr;
  PrinterEntry entry;
  if (!name || !printer || !FindPrinter(name, entry)) {
    SetLastError(ERROR_INVALID_PRINTER_NAME);
    return FALSE;
  }
  auto* handle = new PrinterHandle{entry, DefaultDevMode(entry)};
  if (defaults && defaults->pDevMode) MergeDevMode(handle->devMode, *defaults->pDevMode);
  std::lock_guard<std::mutex> lock(HandleMutex());
  Handles().insert(handle);
  *printer = handle;
  return TRUE;
}

BOOL GetPrinterA(HANDLE handle, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed) {
  PrinterHandle* p = FromHandle(handle);
  if (!p) return FALSE;
  if (level != 2 || !needed) {
    SetLastError(ERROR_INVALID_LEVEL);
    return FALSE;
  }
  return GiveLevel2({p->entry}, {p->devMode}, buffer, size, needed);
}

BOOL ClosePrinter(HANDLE handle) {
  PrinterHandle* p = FromHandle(handle);
  if (!p) return FALSE;
  {
    std::lock_guard<std::mutex> lock(HandleMutex());
    Handles().erase(p);
  }
  delete p;
  return TRUE;
}

LONG DocumentPropertiesA(HWND owner, HANDLE handle, LPSTR, LPDEVMODEA output, LPDEVMODEA input, DWORD mode) {
  PrinterHandle* p = FromHandle(handle);
  if (!p) return -1;
  if (mode == 0) return sizeof(DEVMODEA);
  DEVMODEA result = p->devMode;
  if (mode & DM_IN_BUFFER) {
    DEVMODEA checked;
    if (!input || !ReadDevMode(input, sizeof(DEVMODEA) + input->dmDriverExtra, checked)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return -1;
    }
    MergeDevMode(result, checked);
  }
  LONG answer = IDOK;
  if (mode & DM_IN_PROMPT) answer = ShowPropertiesDialog(owner, p->entry.name, result) ? IDOK : IDCANCEL;
  if ((mode & DM_OUT_BUFFER) && answer == IDOK) {
    if (!output) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return -1;
    }
    std::memcpy(output, &result, sizeof result);
  }
  return answer;
}
