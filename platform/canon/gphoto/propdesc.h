// Conversions between what libgphoto2 tells of a camera (its summary text and configuration
// widgets) and the PTP datasets the PRSDK calls hand out. Everything here reads camera data:
// each reader is bounded, linear in its input and refuses what it cannot represent exactly.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/win32/windef.h"

namespace tavgp {

/// A property as the summary lists it: data type (PTP code), writability and form.
struct PropertyShape {
  WORD dataType = 0;
  bool writable = false;
  BYTE form = 0;  // prFORM_...
};

/// The camera's identity and formats from the summary.
struct CameraIdentity {
  std::string manufacturer, model, version, serial;
  std::vector<WORD> captureFormats;
};

/// Reads the property lines of libgphoto2's summary (both the older "(0xd01c):(readwrite)
/// (type=0x4)" and the newer "(d01c rw u16):" layouts); unknown lines are skipped.
std::map<WORD, PropertyShape> ParseSummaryProperties(const std::string& text);
CameraIdentity ParseSummaryIdentity(const std::string& text);

/// A configuration widget of one property, as read through libgphoto2.
struct WidgetView {
  enum Kind { kText, kRange, kMenu } kind = kText;
  std::string current;               // text and menu widgets: the value as decimal text
  std::vector<std::string> choices;  // menu widgets
  float minimum = 0, maximum = 0, step = 0, value = 0;  // range widgets
  bool readOnly = false;
};

/// Width in bytes of an integer PTP data type; 0 for any other type.
DWORD TypeWidth(WORD dataType);

/// Decimal text as the little-endian value of the type; false when it does not parse or fit.
bool TextToValue(WORD dataType, const std::string& text, std::vector<BYTE>& value);
/// A little-endian value of the type as decimal text; false when the size is not its width.
bool ValueToText(WORD dataType, const void* data, DWORD size, std::string& text);

/// The PTP DevicePropDesc dataset of a property; false when the widget holds anything the
/// type cannot carry exactly (then the property answers as not found, never as a wrong value).
bool DescribeProperty(WORD code, const PropertyShape& shape, const WidgetView& widget, std::vector<BYTE>& desc);

/// A PTP DeviceInfo dataset with the camera's identity, operations and properties.
std::vector<BYTE> DeviceInfoDataset(const CameraIdentity& identity, const std::vector<WORD>& operations,
                                    const std::vector<WORD>& properties);

}  // namespace tavgp
