// The photobooth settings file: one XML document holding a whole booth configuration (layout,
// timings, screens, output, sharing, captions, print boxes, touch areas and optionally the
// printer). One key table drives both the writer and the reader, for the view's pair and for
// the settings dialog's pair; the dialog pair also carries the sharing screen's preview box.
//
// The reader fills a ViewSettings record and touches no window, so it runs headless; showing
// its errors and the view's after-load work are the caller's. Keys that hold program-wide
// values (print confirmation time-out, print and photo preview boxes) lead to the globals.
#pragma once

#include <cstddef>
#include <vector>

#include "app/SettingsStore.h"
#include "platform/mfc/cstring.h"

class XmlNode;

/// The root's `build_date`, in the program's "Mmm dd yyyy" form.
extern const char kPhotoboothFileBuildDate[];

enum class BoothKeyKind {
  Int,          // "%d"; read with atoi rules, digits past the int range saturate
  Flag,         // "%d"; any non-zero value reads as 1
  Text,         // escaped text; line breaks come back as a single CR
  LongText,     // as Text, but line breaks come back as CR LF
  Border,       // rational "n/d" (millimetres) within 0..15; "n/0" and non-finite values leave the member
  Font,         // 120 hex digits of a LOGFONT
  Images,       // photos per sequence, 1..20
  AtLeastOne,   // rows and columns: below 1 reads as 1
  EvfMaxHeight, // 100..1000
  Ranged,       // an int within the key's low..high
  EvfXOffset,   // above 2000 (unsigned) reads as -1, centred
  Interval,     // 0..30; an old file also gives the first interval this value
  Low32,        // LONGLONG member written as its low 32 bits, read with a zero high half
  Count,        // 0..1000
  WrittenFlag,  // written, never read
  WrittenInt,   // written, never read
  ImageDir,     // text; "{documents}" becomes the user's Documents folder on reading
};

struct BoothFileKey {
  const char* element;
  BoothKeyKind kind;
  void* member;
  int low = 0, high = 0;  // Ranged only
};

/// The flat keys in writing order. `sharePreview` adds the dialog pair's sharing preview box.
std::vector<BoothFileKey> BuildPhotoboothFileTable(ViewSettings& settings, bool sharePreview);

/// The application's printer as the file carries it.
struct PhotoboothPrinterRecords {
  std::vector<BYTE> devMode;
  std::vector<BYTE> devNames;
};
/// The stored-printer checks: 1..kMaxPrinterRecord bytes each, the DEVMODE's own size plus its
/// driver data within the block, and every DEVNAMES offset inside the block and terminated.
bool ArePrinterRecordsUsable(const PhotoboothPrinterRecords& printer);

/// What a read found besides the settings.
struct PhotoboothFileReadResult {
  CString version;
  bool hasPrinter = false;              // both records present, decoded and usable
  PhotoboothPrinterRecords printer;
  bool layoutChangedWarning = false;    // a "1.0" file with the custom double-strip layout
};

/// The whole file as written: the declaration line, then the tree, every line break CR LF.
/// `printer` NULL writes no printer.
CString BuildPhotoboothSettingsDocument(ViewSettings& settings, bool sharePreview,
                                        const PhotoboothPrinterRecords* printer);
/// Writes the file so that a failure leaves any previous file whole. FALSE with `error` set to
/// "Error writing file: " + path on failure.
BOOL WritePhotoboothSettingsFile(const char* path, ViewSettings& settings, bool sharePreview,
                                 const PhotoboothPrinterRecords* printer, CString& error);

/// Applies a parsed tree. FALSE with `error` set, and nothing changed, when it has no
/// <Tavorin> or no <photobooth_settings>; absent keys keep their members.
BOOL ApplyPhotoboothSettingsTree(XmlNode* root, ViewSettings& settings, bool sharePreview,
                                 PhotoboothFileReadResult& result, CString& error);
/// Parses and applies the bytes of a file; "Error reading file: " + path when they do not parse.
BOOL ReadPhotoboothSettingsBuffer(const char* bytes, size_t length, const char* path, ViewSettings& settings,
                                  bool sharePreview, PhotoboothFileReadResult& result, CString& error);
/// As ReadPhotoboothSettingsBuffer for a file on disk.
BOOL ReadPhotoboothSettingsFile(const char* path, ViewSettings& settings, bool sharePreview,
                                PhotoboothFileReadResult& result, CString& error);

/// Shows a settings file error the way every caller does: stop icon, caption "Tavorin".
void ShowPhotoboothFileError(HWND owner, const CString& error);
/// The warning a "1.0" file with the custom double-strip layout gets in the settings dialog.
void ShowLayoutChangedWarning(HWND owner);

/// atoi rules (leading blanks and sign, stops at the first non-digit, 0 if none), saturating.
int ParseSettingsInt(const char* text);
/// A border as the file holds it; false leaves `value` alone ("n/0", infinite, not a number).
bool ParseSettingsRational(const char* text, double& value);
/// Printer pixels of whole millimetres at `dpi`, saturating: mm x dpi x 10 / 254.
int MillimetresToPixels(int millimetres, int dpi);
/// Whole millimetres of printer pixels at `dpi` (0 for a DPI of 0): pixels x 254 / (dpi x 10).
int PixelsToMillimetres(int pixels, int dpi);
