// The copy of a photo that a transport sends: cropped by the printer margins and the share
// kind's crop, fitted into its size limit, turned, saved as a temporary JPEG.
#pragma once

#include "platform/mfc/cstring.h"

struct SharedPhotoSettings {
  bool cropEnable = false;
  int cropX = 0, cropY = 0, cropWidth = 0, cropHeight = 0;  // 20 or less: to the edge
  int maxWidth = 0, maxHeight = 0;                          // 0: no limit
  int rotation = 0;                                         // 90, 180, 270; others: none
};

/// The first free "<temp folder>/<name><n><ext>" for n = firstNumber, firstNumber + 1, ...;
/// firstNumber < 0 tries "<name><ext>" first and then n = 1, 2, ...
CString MakeTemporaryCopyPath(const char* photoPath, int firstNumber);

/// Writes the prepared copy to copyPath; returns "" or "Error reading image file:\n" + photo
/// or "Error writing image file:\n" + copy.
CString PrepareSharedPhoto(const char* photoPath, const SharedPhotoSettings& settings, const char* copyPath);
