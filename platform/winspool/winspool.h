// The printer catalogue: the CUPS destinations plus the built-in "Tavorin PDF Printer",
// which is always present and is the default when CUPS has none. Its jobs become PDF files
// in the documents folder's "Tavorin Prints" folder.
#pragma once

#include "platform/win32/windef.h"
#include "platform/winspool/devmode.h"

#define PRINTER_ENUM_DEFAULT 0x00000001u
#define PRINTER_ENUM_LOCAL 0x00000002u
#define PRINTER_ENUM_CONNECTIONS 0x00000004u
#define PRINTER_ENUM_NAME 0x00000008u

#define PRINTER_ATTRIBUTE_DEFAULT 0x00000004u
#define PRINTER_ATTRIBUTE_LOCAL 0x00000040u

#define DM_UPDATE 1
#define DM_COPY 2
#define DM_PROMPT 4
#define DM_MODIFY 8
#define DM_OUT_BUFFER DM_COPY
#define DM_IN_PROMPT DM_PROMPT
#define DM_IN_BUFFER DM_MODIFY

#ifndef IDOK
#define IDOK 1
#define IDCANCEL 2
#endif

struct PRINTER_DEFAULTSA {
  LPSTR pDatatype;
  LPDEVMODEA pDevMode;
  DWORD DesiredAccess;
};
typedef PRINTER_DEFAULTSA* LPPRINTER_DEFAULTSA;

/// Level 2 printer information; the strings and the DEVMODE live in the caller's buffer.
struct PRINTER_INFO_2A {
  LPSTR pServerName;
  LPSTR pPrinterName;
  LPSTR pShareName;
  LPSTR pPortName;
  LPSTR pDriverName;
  LPSTR pComment;
  LPSTR pLocation;
  LPDEVMODEA pDevMode;
  LPSTR pSepFile;
  LPSTR pPrintProcessor;
  LPSTR pDatatype;
  LPSTR pParameters;
  LPVOID pSecurityDescriptor;
  DWORD Attributes;
  DWORD Priority;
  DWORD DefaultPriority;
  DWORD StartTime;
  DWORD UntilTime;
  DWORD Status;
  DWORD cJobs;
  DWORD AveragePPM;
};
typedef PRINTER_INFO_2A PRINTER_INFO_2;
typedef PRINTER_INFO_2A* LPPRINTER_INFO_2A;

/// Level 2 only. With a buffer too small (or NULL) returns FALSE, ERROR_INSUFFICIENT_BUFFER
/// and the bytes needed in *needed.
BOOL EnumPrintersA(DWORD flags, LPSTR name, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed,
                   LPDWORD returned);
#define EnumPrinters EnumPrintersA
/// The default printer's name; FALSE with ERROR_INSUFFICIENT_BUFFER and the size needed
/// (terminator included) in *size when the buffer is too small.
BOOL GetDefaultPrinterA(LPSTR buffer, LPDWORD size);
#define GetDefaultPrinter GetDefaultPrinterA
/// FALSE (ERROR_INVALID_PRINTER_NAME) for an unknown printer; close the handle with ClosePrinter.
BOOL OpenPrinterA(LPSTR name, HANDLE* printer, LPPRINTER_DEFAULTSA defaults);
#define OpenPrinter OpenPrinterA
/// Level 2 only; the two-call size protocol of EnumPrintersA.
BOOL GetPrinterA(HANDLE printer, DWORD level, LPBYTE buffer, DWORD size, LPDWORD needed);
#define GetPrinter GetPrinterA
BOOL ClosePrinter(HANDLE printer);
/// mode 0: the DEVMODE size needed. DM_IN_BUFFER merges `input` (validated) into the printer's
/// defaults, DM_IN_PROMPT shows the properties dialog (paper size, orientation, resolution),
/// DM_OUT_BUFFER writes the result to `output`. Returns IDOK or IDCANCEL, or a negative value
/// on failure.
LONG DocumentPropertiesA(HWND owner, HANDLE printer, LPSTR deviceName, LPDEVMODEA output, LPDEVMODEA input,
                         DWORD mode);
#define DocumentProperties DocumentPropertiesA

#define ERROR_INVALID_PRINTER_NAME 1801L
#ifndef ERROR_INVALID_LEVEL
#define ERROR_INVALID_LEVEL 124L
#endif
