// libFuzzer harness for the photobooth settings file reader: any bytes, as a file chosen in the
// load dialog or named by a profile. The reader touches no window, so this runs headless.
#include <cstddef>
#include <cstdint>

#include "config/PhotoboothSettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ViewSettings defaults;
  ViewSettings settings = defaults;
  PhotoboothFileReadResult result;
  CString error;
  // Both pairs: the dialog's also reads the sharing preview box.
  ReadPhotoboothSettingsBuffer(reinterpret_cast<const char*>(data), size, "fuzz.xml", settings, size % 2 == 1, result,
                               error);
  return 0;
}
