// Feeds arbitrary camera text to the libgphoto2 back end's conversions: the summary's property
// lines, and a configuration widget (kind, value, choices: lines of the input) described as a
// PTP property of every data type; a description must always fit the type it names.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/canon/gphoto/propdesc.h"
#include "platform/canon/prsdk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  tavgp::ParseSummaryProperties(text);
  tavgp::ParseSummaryIdentity(text);
  if (size < 2) return 0;

  tavgp::WidgetView widget;
  widget.kind = static_cast<tavgp::WidgetView::Kind>(data[0] % 3);
  widget.readOnly = data[1] & 1;
  std::vector<std::string> lines;
  size_t start = 2;
  for (size_t i = 2; i <= size; ++i) {
    if (i == size || data[i] == '\n') {
      lines.emplace_back(reinterpret_cast<const char*>(data) + start, i - start);
      start = i + 1;
    }
  }
  if (!lines.empty()) widget.current = lines.front();
  widget.choices.assign(lines.begin() + (lines.empty() ? 0 : 1), lines.end());
  float numbers[4] = {};
  std::memcpy(numbers, data, std::min(size, sizeof numbers));
  widget.minimum = numbers[0], widget.maximum = numbers[1], widget.step = numbers[2], widget.value = numbers[3];

  for (WORD type = 0; type <= 8; ++type) {
    for (BYTE form : {BYTE(prFORM_NONE), BYTE(prFORM_RANGE), BYTE(prFORM_ENUM)}) {
      tavgp::PropertyShape shape{type, true, form};
      std::vector<BYTE> desc;
      if (!tavgp::DescribeProperty(0xD01C, shape, widget, desc)) continue;
      DWORD width = tavgp::TypeWidth(type);
      if (width == 0 || desc.size() < 5 + 2 * width + 1) __builtin_trap();
    }
    std::vector<BYTE> value, again;
    std::string back;
    if (tavgp::TextToValue(type, widget.current, value) &&
        (!tavgp::ValueToText(type, value.data(), static_cast<DWORD>(value.size()), back) ||
         !tavgp::TextToValue(type, back, again) || again != value))
      __builtin_trap();  // a value read from the camera goes back unchanged
  }
  return 0;
}
