#include "platform/canon/gphoto/propdesc.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "platform/canon/prsdk.h"

namespace tavgp {

namespace {

// Limits on camera data: a description longer than this is not a real camera's.
constexpr size_t kMaxChoices = 4096;
constexpr size_t kMaxLine = 4096;
constexpr size_t kMaxText = 1 << 20;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads exactly `digits` hex digits at `pos` (or up to `digits` when `exact` is false).
bool ReadHex(const std::string& s, size_t& pos, size_t digits, bool exact, DWORD& value) {
  value = 0;
  size_t n = 0;
  while (n < digits && pos < s.size() && HexDigit(s[pos]) >= 0) {
    value = value << 4 | DWORD(HexDigit(s[pos]));
    ++pos;
    ++n;
  }
  return exact ? n == digits : n > 0;
}

bool Follows(const std::string& s, size_t pos, const char* text) { return s.compare(pos, std::strlen(text), text) == 0; }

BYTE FormAfter(const std::string& line, size_t pos) {
  while (pos < line.size() && line[pos] == ' ') ++pos;
  if (Follows(line, pos, "Enumeration [")) return prFORM_ENUM;
  if (Follows(line, pos, "Range [")) return prFORM_RANGE;
  return prFORM_NONE;
}

WORD TypeFromName(const std::string& name) {
  static const struct {
    const char* name;
    WORD type;
  } names[] = {{"i8", prDATA_TYPE_INT8},   {"u8", prDATA_TYPE_UINT8},   {"i16", prDATA_TYPE_INT16},
               {"u16", prDATA_TYPE_UINT16}, {"i32", prDATA_TYPE_INT32}, {"u32", prDATA_TYPE_UINT32}};
  for (const auto& n : names)
    if (name == n.name) return n.type;
  return 0;
}

// "(0xd01c):(readwrite) (type=0x4) Enumeration [...]"
bool ParseOldLine(const std::string& line, WORD& code, PropertyShape& shape) {
  size_t at = line.find("(0x");
  while (at != std::string::npos) {
    size_t pos = at + 3;
    DWORD value = 0;
    if (ReadHex(line, pos, 4, true, value) && Follows(line, pos, "):(")) {
      pos += 3;
      if (Follows(line, pos, "readwrite)")) shape.writable = true, pos += 10;
      else if (Follows(line, pos, "read only)")) shape.writable = false, pos += 10;
      else return false;
      if (!Follows(line, pos, " (type=0x")) return false;
      pos += 9;
      DWORD type = 0;
      if (!ReadHex(line, pos, 4, false, type) || !Follows(line, pos, ")")) return false;
      code = WORD(value);
      shape.dataType = WORD(type);
      shape.form = FormAfter(line, pos + 1);
      return true;
    }
    at = line.find("(0x", at + 1);
  }
  return false;
}

// "ISO Speed                 (d01c rw u16): Enumeration [...]"
bool ParseNewLine(const std::string& line, WORD& code, PropertyShape& shape) {
  size_t at = line.find('(');
  while (at != std::string::npos) {
    size_t pos = at + 1;
    DWORD value = 0;
    if (ReadHex(line, pos, 4, true, value) && Follows(line, pos, " r")) {
      pos += 1;
      if (Follows(line, pos, "rw ")) shape.writable = true;
      else if (Follows(line, pos, "ro ")) shape.writable = false;
      else return false;
      pos += 3;
      size_t end = line.find("):", pos);
      if (end == std::string::npos || end - pos > 8) return false;
      std::string name = line.substr(pos, end - pos);
      while (!name.empty() && name.back() == ' ') name.pop_back();
      code = WORD(value);
      shape.dataType = TypeFromName(name);
      shape.form = FormAfter(line, end + 2);
      return true;
    }
    at = line.find('(', at + 1);
  }
  return false;
}

template <typename F>
void ForEachLine(const std::string& text, F f) {
  size_t limit = std::min(text.size(), kMaxText);
  for (size_t start = 0; start < limit;) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos || end > limit) end = limit;
    if (end - start <= kMaxLine) f(text.substr(start, end - start));
    start = end + 1;
  }
}

bool Signed(WORD type) { return type == prDATA_TYPE_INT8 || type == prDATA_TYPE_INT16 || type == prDATA_TYPE_INT32; }

// Strict decimal: optional minus, 1 to 20 digits, nothing else.
bool ParseDecimal(const std::string& text, int64_t& out) {
  size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && text[pos] == '-') negative = true, ++pos;
  if (pos == text.size() || text.size() - pos > 19) return false;
  int64_t value = 0;
  for (; pos < text.size(); ++pos) {
    if (text[pos] < '0' || text[pos] > '9') return false;
    value = value * 10 + (text[pos] - '0');
  }
  out = negative ? -value : value;
  return true;
}

bool Fits(WORD type, int64_t v) {
  switch (type) {
    case prDATA_TYPE_INT8: return v >= INT8_MIN && v <= INT8_MAX;
    case prDATA_TYPE_UINT8: return v >= 0 && v <= UINT8_MAX;
    case prDATA_TYPE_INT16: return v >= INT16_MIN && v <= INT16_MAX;
    case prDATA_TYPE_UINT16: return v >= 0 && v <= UINT16_MAX;
    case prDATA_TYPE_INT32: return v >= INT32_MIN && v <= INT32_MAX;
    case prDATA_TYPE_UINT32: return v >= 0 && v <= int64_t(UINT32_MAX);
    default: return false;
  }
}

void PutLe(std::vector<BYTE>& out, DWORD width, int64_t v) {
  uint64_t u = static_cast<uint64_t>(v);
  for (DWORD i = 0; i < width; ++i) out.push_back(BYTE(u >> (8 * i)));
}

bool PutText(std::vector<BYTE>& out, WORD type, const std::string& text) {
  int64_t v = 0;
  if (!ParseDecimal(text, v) || !Fits(type, v)) return false;
  PutLe(out, TypeWidth(type), v);
  return true;
}

bool PutFloat(std::vector<BYTE>& out, WORD type, float f) {
  if (!std::isfinite(f) || f != std::floor(f) || std::fabs(f) > 4294967296.0f) return false;
  int64_t v = static_cast<int64_t>(f);
  if (!Fits(type, v)) return false;
  PutLe(out, TypeWidth(type), v);
  return true;
}

void Put8(std::vector<BYTE>& b, DWORD v) { b.push_back(BYTE(v)); }
void Put16(std::vector<BYTE>& b, DWORD v) { PutLe(b, 2, v); }
void Put32(std::vector<BYTE>& b, DWORD v) { PutLe(b, 4, v); }

void PutString(std::vector<BYTE>& b, const std::string& s) {
  // PTP strings are UCS-2 with a count byte; bytes beyond ASCII become '?', longer text is cut.
  size_t n = std::min<size_t>(s.size(), 254);
  if (n == 0) return Put8(b, 0);
  Put8(b, DWORD(n + 1));
  for (size_t i = 0; i < n; ++i) Put16(b, static_cast<unsigned char>(s[i]) < 0x80 ? DWORD(s[i]) : DWORD('?'));
  Put16(b, 0);
}

void PutArray(std::vector<BYTE>& b, const std::vector<WORD>& codes) {
  Put32(b, DWORD(codes.size()));
  for (WORD c : codes) Put16(b, c);
}

}  // namespace

std::map<WORD, PropertyShape> ParseSummaryProperties(const std::string& text) {
  std::map<WORD, PropertyShape> shapes;
  ForEachLine(text, [&](const std::string& line) {
    WORD code = 0;
    PropertyShape shape;
    if (ParseOldLine(line, code, shape) || ParseNewLine(line, code, shape)) shapes[code] = shape;
  });
  return shapes;
}

CameraIdentity ParseSummaryIdentity(const std::string& text) {
  CameraIdentity id;
  id.captureFormats.push_back(prPTP_FORMAT_JPEG);
  ForEachLine(text, [&](const std::string& line) {
    // The formats line is the only place raw capture shows; its label may be translated.
    if (line.find("JPEG") != std::string::npos && line.find("CRW") != std::string::npos &&
        id.captureFormats.size() == 1)
      id.captureFormats.push_back(prPTP_FORMAT_CRW);
  });
  return id;
}

DWORD TypeWidth(WORD dataType) {
  switch (dataType) {
    case prDATA_TYPE_INT8:
    case prDATA_TYPE_UINT8: return 1;
    case prDATA_TYPE_INT16:
    case prDATA_TYPE_UINT16: return 2;
    case prDATA_TYPE_INT32:
    case prDATA_TYPE_UINT32: return 4;
    default: return 0;
  }
}

bool TextToValue(WORD dataType, const std::string& text, std::vector<BYTE>& value) {
  value.clear();
  return TypeWidth(dataType) && PutText(value, dataType, text);
}

bool ValueToText(WORD dataType, const void* data, DWORD size, std::string& text) {
  DWORD width = TypeWidth(dataType);
  if (!width || size != width || !data) return false;
  const BYTE* b = static_cast<const BYTE*>(data);
  uint64_t u = 0;
  for (DWORD i = 0; i < width; ++i) u |= uint64_t(b[i]) << (8 * i);
  int64_t v = static_cast<int64_t>(u);
  if (Signed(dataType) && (u >> (8 * width - 1)) & 1) v -= int64_t(1) << (8 * width);
  text = std::to_string(v);
  return true;
}

bool DescribeProperty(WORD code, const PropertyShape& shape, const WidgetView& w, std::vector<BYTE>& desc) {
  desc.clear();
  WORD type = shape.dataType;
  if (!TypeWidth(type) || w.choices.size() > kMaxChoices) return false;
  Put16(desc, code);
  Put16(desc, type);
  Put8(desc, shape.writable && !w.readOnly ? 1 : 0);
  // The camera's factory default is not told by libgphoto2: the current value stands in.
  for (int twice = 0; twice < 2; ++twice) {
    bool ok = w.kind == WidgetView::kRange ? PutFloat(desc, type, w.value) : PutText(desc, type, w.current);
    if (!ok) return false;
  }
  if (w.kind == WidgetView::kRange) {
    Put8(desc, prFORM_RANGE);
    return PutFloat(desc, type, w.minimum) && PutFloat(desc, type, w.maximum) && PutFloat(desc, type, w.step);
  }
  if (w.kind == WidgetView::kMenu) {
    // A short range comes from libgphoto2 as a menu of each step: it stays a range here.
    if (shape.form == prFORM_RANGE && !w.choices.empty()) {
      int64_t first = 0, second = 0, last = 0;
      if (!ParseDecimal(w.choices.front(), first) || !ParseDecimal(w.choices.back(), last)) return false;
      if (w.choices.size() > 1 && !ParseDecimal(w.choices[1], second)) return false;
      int64_t step = w.choices.size() > 1 ? second - first : 1;
      for (size_t i = 0; i < w.choices.size(); ++i) {
        int64_t v = 0;
        if (!ParseDecimal(w.choices[i], v) || v != first + step * int64_t(i)) return false;
      }
      Put8(desc, prFORM_RANGE);
      return PutText(desc, type, w.choices.front()) && PutText(desc, type, w.choices.back()) &&
             PutText(desc, type, std::to_string(step));
    }
    Put8(desc, prFORM_ENUM);
    Put16(desc, DWORD(w.choices.size()));
    for (const std::string& choice : w.choices)
      if (!PutText(desc, type, choice)) return false;
    return true;
  }
  Put8(desc, prFORM_NONE);
  return true;
}

std::vector<BYTE> DeviceInfoDataset(const CameraIdentity& id, const std::vector<WORD>& operations,
                                    const std::vector<WORD>& properties) {
  std::vector<BYTE> b;
  Put16(b, 100);
  Put32(b, 11);  // the vendor extension of these cameras
  Put16(b, 100);
  PutString(b, "");
  Put16(b, 0);
  PutArray(b, operations);
  PutArray(b, {prPTP_EVENT_FULL_VIEW_RELEASED, prPTP_EVENT_THUMBNAIL_RELEASED, prPTP_EVENT_CAMERA_RELEASE_ON,
               prPTP_EVENT_SHUTDOWN});
  PutArray(b, properties);
  PutArray(b, id.captureFormats);
  PutArray(b, {prPTP_FORMAT_JPEG});
  PutString(b, id.manufacturer);
  PutString(b, id.model);
  PutString(b, id.version);
  PutString(b, id.serial);
  return b;
}

}  // namespace tavgp
