// The view's settings the camera layer reads while naming and saving photos. The view hands the
// camera a copy whenever they change; the download thread works on its own copy, taken under
// the camera's settings lock, so the UI thread may change them at any time.
#pragma once

#include <vector>

#include "platform/mfc/cstring.h"
#include "platform/win32/windef.h"

struct CameraViewSettings {
  // Folder and file names.
  CString directory;  // "Directory"
  BOOL year = FALSE;  // "Year", "Month", "Day": one dated sub-folder each
  BOOL month = FALSE;
  BOOL day = FALSE;
  BOOL flattenDate = FALSE;  // "FlattenDate": the dated sub-folders joined with dashes
  CString filenamePrefix;    // "FilenamePrefix"
  BOOL prefixWithComment = FALSE;
  BOOL appendLetterDuringAEB = FALSE;
  CString uniqueId;  // what "{uid}" stands for
  CString comment;   // the view's current comment

  // Photobooth session, for the photobooth tokens.
  BOOL viewWindowExists = FALSE;  // photobooth count and time tokens only while it exists
  CString photoboothDir;
  int photoboothNumImages = 0;      // shots per session
  int photoboothShotsToTake = -1;   // -1 while no session runs
  std::vector<CString> imageList;   // paths of the view's image list, oldest first

  // Auto-bracket series.
  BOOL aebRunning = FALSE;
  int aebStep = 0;  // 1 for the first shot of the series

  // Saving.
  int orientationSetting = 0;  // 0 as shot, 1 270, 2 90, 3 180, 4 the camera's own
  BOOL losslessAutoRotate = FALSE;
  BOOL postProcessingEnable = FALSE;
  int postProcessingJpegQuality = 90;
  BOOL postProcessingResize = FALSE;
  int postProcessingResizeWidth = 0;
  int postProcessingResizeHeight = 0;
  BOOL postProcessingLevel = FALSE;
  double postProcessingLevelBlack = 0;  // percent of the pixels
  double postProcessingLevelWhite = 0;
  BOOL postProcessingSharpen = FALSE;
  int postProcessingSharpenAmount = 0;
  BOOL viewfinderCropOn = FALSE;
  RECT viewfinderCropRect = {0, 0, 319, 239};  // in 320 x 240 viewfinder pixels, inclusive
};
