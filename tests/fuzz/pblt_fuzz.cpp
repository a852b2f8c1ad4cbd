// libFuzzer harness for the print-layout file reader: any bytes, as a file dropped on the editor.
#include <cstddef>
#include <cstdint>

#include "printlayout/PrintLayoutFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PrintLayoutFileContents contents;
  CString error;
  ParsePrintLayoutFile(data, size, contents, error, "fuzz.pblt");
  return 0;
}
