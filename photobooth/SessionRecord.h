// The session record: a small XML file beside a session's first photo saying when it was taken,
// what the guests typed, how many prints were made and which photos and page belong to it.
#pragma once

#include <vector>

#include "platform/mfc/collections.h"
#include "platform/mfc/cstring.h"
#include "platform/win32/windef.h"

struct PhotoboothSessionRecord {
  CStringArray photoPaths;      // the session's photos in shot order; the first names the record
  LONGLONG captureTime = 0;     // the first photo's capture time, seconds since 1970
  CString keyboardTexts[10];    // the on-screen keyboard's fields
  std::vector<BOOL> checkBoxes; // the keyboard's check boxes, one per stored state
  CString userMessage;          // the "{message}" text; second form only
  int copies = 1;
  bool secondForm = false;      // written after the keyboard, confirm and GIF steps
  bool printed = false;         // second form: the guest confirmed printing
  int outputMode = 0;           // photoboothOutput: 0..2 page saved, 3 "None"
  CString outputName;           // the saved page's file name (no folder)
  int pageSaved = -1;           // second form: -1 as planned (printed), 0 not saved, 1 saved
  CString imagesFolder;         // photoboothImageDir
  int bwMode = 0;               // 0 colour, 1 black and white, 2 toned
  int toningHue = 0;
  int toningSaturation = 0;
};

/// The first photo's path with its extension replaced by ".xml"; empty without photos.
CString SessionRecordPath(const PhotoboothSessionRecord& record);
/// The whole file: declaration line and the serialised tree.
CString BuildSessionRecordText(const PhotoboothSessionRecord& record);
/// Writes the record to SessionRecordPath through a temporary file and a rename, so a failed
/// write leaves no half file. Returns FALSE when it could not be written; path is set either way.
BOOL WriteSessionRecord(const PhotoboothSessionRecord& record, CString& path);
