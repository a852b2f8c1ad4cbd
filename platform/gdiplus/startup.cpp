// Start-up and shut-down: this layer needs no global state, but callers keep a token.
#include "platform/gdiplus/codecs.h"

namespace Gdiplus {

Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
  if (!token || !input) return InvalidParameter;
  if (input->GdiplusVersion != 1) return UnsupportedGdiplusVersion;
  *token = 1;
  if (output) *output = GdiplusStartupOutput{};
  return Ok;
}

void GdiplusShutdown(ULONG_PTR) {}

}  // namespace Gdiplus
