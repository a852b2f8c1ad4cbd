// Printer device contexts and print jobs. A job's pages are drawn at the printer's resolution
// in logical pixels whose origin is the printable area's corner; EndDoc delivers the job (a PDF
// file for the built-in printer, a CUPS job otherwise).
#pragma once

#include "platform/gdi/dc.h"
#include "platform/winspool/devmode.h"

struct DOCINFOA {
  int cbSize;
  LPCSTR lpszDocName;
  LPCSTR lpszOutput;  // a file to write the job to instead of the printer, or NULL
  LPCSTR lpszDatatype;
  DWORD fwType;
};
typedef DOCINFOA DOCINFO;

#define SP_ERROR (-1)

/// A DC for the printer named `device` with the settings of `devMode` (validated; NULL keeps
/// the printer's defaults). Returns NULL for an unknown printer; free it with DeleteDC.
HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODEA* devMode);
#define CreateDC CreateDCA
/// A printer DC from DEVNAMES and DEVMODE global blocks (the DEVMODE may be NULL). Returns NULL
/// when a block's sizes or offsets are not consistent or the printer is unknown.
HDC AfxCreateDC(HGLOBAL devNames, HGLOBAL devMode);

/// Returns the job id (> 0), or SP_ERROR when the DC is not a printer, a job is already open
/// or its output cannot be created.
int StartDocA(HDC dc, const DOCINFOA* info);
#define StartDoc StartDocA
/// Each returns > 0 on success and SP_ERROR (<= 0) out of order or on failure.
int StartPage(HDC dc);
int EndPage(HDC dc);
/// Delivers the job; SP_ERROR when it could not be written or submitted.
int EndDoc(HDC dc);
/// Drops the job without output.
int AbortDoc(HDC dc);
