// The print-layout file (".pblt"): the layout as XML, then a binary tail with a JPEG thumbnail
// and the four layer images of the photobooth images folder. The writer and the reader work on
// the layout model; the editor that owns them supplies the thumbnail and hears of changes
// through the hooks, and every question and message goes through one message-box hook.
#pragma once

#include <functional>
#include <vector>

#include "platform/mfc/cstring.h"
#include "platform/win32/windef.h"
#include "printlayout/PrintLayoutModel.h"

/// The layer images in file order (after the thumbnail).
extern const char* const kLayoutLayerFiles[4];

struct PrintLayoutFileHooks {
  /// Shows a box captioned "Tavorin" and returns the answer; MessageBox when not set.
  std::function<int(const char* text, UINT type)> messageBox;
  /// Import turned the application's printer: the page and margins of the model were read
  /// again, so cached previews are stale.
  std::function<void()> pageChanged;
  /// Import is about to replace the layer images (drop their caches) ...
  std::function<void()> layersReplacing;
  /// ... and the model has been replaced (refill lists, clear undo and selection, redraw).
  std::function<void()> layoutReplaced;
  /// After the overwrite question, whatever the answer: the whole editor is redrawn.
  std::function<void()> invalidate;
};

/// What a file holds, before it is fitted to the current printer.
struct PrintLayoutFileContents {
  int xDpi = 0, yDpi = 0, width = 0, height = 0;
  int leftMargin = 0, topMargin = 0, rightMargin = 0, bottomMargin = 0;
  COLORREF background = 0;
  int aspectWidth = 0, aspectHeight = 0;
  PhotoboothCaption captions[kLayoutCaptionCount];
  bool captionPresent[kLayoutCaptionCount] = {};
  LayoutEditBox boxes[kLayoutBoxCount];  // image -1 names the QR code
  bool boxImageOutOfRange = false;
  int photos = 0;
  std::vector<BYTE> layers[4];
  bool layerRead[4] = {};
};

/// Parses the bytes of a layout file. FALSE with the user's message in `error` (no message
/// for an absent printer settings attribute is missing from the list of required ones).
BOOL ParsePrintLayoutFile(const BYTE* data, size_t size, PrintLayoutFileContents& contents, CString& error,
                          const char* path);

/// The file's bytes: the XML of the model on the current printer page, the thumbnail and the
/// four layer files of `imagesFolder` as they are now.
BOOL BuildPrintLayoutFile(const PrintLayoutModel& model, const char* imagesFolder, const std::vector<BYTE>& thumbnail,
                          std::vector<BYTE>& bytes);
/// Writes the file whole or not at all; "Error writing file: " + path when it cannot.
BOOL ExportPrintLayout(const char* path, const PrintLayoutModel& model, const char* imagesFolder,
                       const std::vector<BYTE>& thumbnail, const PrintLayoutFileHooks& hooks);
/// Reads the file into the model, asking and reporting as it goes; every failure is reported
/// inside and leaves the model (and the images folder) as they were. TRUE when applied.
BOOL ImportPrintLayout(const char* path, PrintLayoutModel& model, const char* imagesFolder,
                       const PrintLayoutFileHooks& hooks);
/// The path with ".pblt" appended unless it ends so (in any case).
CString WithPrintLayoutExtension(const char* path);
/// Decimal text as the file stores numbers: leading blanks, a sign, digits; 0 for none;
/// values beyond an int are clamped.
int ParseLayoutInt(const char* text);
