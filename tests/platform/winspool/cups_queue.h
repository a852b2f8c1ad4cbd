// The cups-pdf queue that scripts/start-cups adds, for tests that print through a real CUPS server.
#pragma once

#include <string>
#include <vector>

#include "platform/winspool/winspool.h"

inline constexpr char kCupsTestQueue[] = "TavorinTestPDF";
inline constexpr char kCupsTestOutput[] = "/var/spool/tavorin-cups-pdf";

inline bool CupsTestQueueListed() {
  DWORD needed = 0, returned = 0;
  EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &needed, &returned);
  std::vector<unsigned char> buffer(needed);
  if (!EnumPrinters(PRINTER_ENUM_LOCAL, nullptr, 2, buffer.data(), needed, &needed, &returned)) return false;
  auto* info = reinterpret_cast<PRINTER_INFO_2A*>(buffer.data());
  for (DWORD i = 0; i < returned; ++i)
    if (std::string(info[i].pPrinterName) == kCupsTestQueue) return true;
  return false;
}
