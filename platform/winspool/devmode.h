// Printer settings records. DEVMODEA is this program's own plain layout (156 bytes plus
// dmDriverExtra bytes of driver data); DEVNAMES is an 8-byte header of character offsets
// followed by the driver, device and output names, each NUL-terminated. Both are stored raw
// in the registry and in settings files, so readers validate them before use.
#pragma once

#include "platform/win32/windef.h"

#define CCHDEVICENAME 32
#define CCHFORMNAME 32
#define DM_SPECVERSION 0x0401

struct DEVMODEA {
  BYTE dmDeviceName[CCHDEVICENAME];
  WORD dmSpecVersion;
  WORD dmDriverVersion;
  WORD dmSize;         // of this record without the driver data
  WORD dmDriverExtra;  // bytes of driver data after it
  DWORD dmFields;      // which of the fields below are set (DM_...)
  SHORT dmOrientation;
  SHORT dmPaperSize;
  SHORT dmPaperLength;  // tenths of a millimetre
  SHORT dmPaperWidth;
  SHORT dmScale;
  SHORT dmCopies;
  SHORT dmDefaultSource;
  SHORT dmPrintQuality;  // horizontal dots per inch when positive
  SHORT dmColor;
  SHORT dmDuplex;
  SHORT dmYResolution;
  SHORT dmTTOption;
  SHORT dmCollate;
  BYTE dmFormName[CCHFORMNAME];
  BYTE dmReserved[54];
};
typedef DEVMODEA DEVMODE;
typedef DEVMODEA* LPDEVMODEA;
typedef DEVMODEA* LPDEVMODE;
typedef DEVMODEA* PDEVMODE;
static_assert(sizeof(DEVMODEA) == 156, "stored printer settings have this size");

#define DM_ORIENTATION 0x00000001u
#define DM_PAPERSIZE 0x00000002u
#define DM_PAPERLENGTH 0x00000004u
#define DM_PAPERWIDTH 0x00000008u
#define DM_SCALE 0x00000010u
#define DM_COPIES 0x00000100u
#define DM_PRINTQUALITY 0x00000400u
#define DM_COLOR 0x00000800u
#define DM_YRESOLUTION 0x00002000u
#define DM_FORMNAME 0x00010000u

#define DMORIENT_PORTRAIT 1
#define DMORIENT_LANDSCAPE 2

#define DMPAPER_LETTER 1
#define DMPAPER_LEGAL 5
#define DMPAPER_A4 9
#define DMPAPER_A5 11
#define DMPAPER_A6 70
#define DMPAPER_USER 256

struct DEVNAMES {
  WORD wDriverOffset;  // in characters from the start of the record
  WORD wDeviceOffset;
  WORD wOutputOffset;
  WORD wDefault;
};
typedef DEVNAMES* LPDEVNAMES;
#define DN_DEFAULTPRN 0x0001
