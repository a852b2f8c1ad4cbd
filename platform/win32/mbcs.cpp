#include "platform/win32/mbcs.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>

#include "platform/win32/error.h"

BOOL IsDBCSLeadByteEx(UINT codePage, BYTE c) {
  switch (codePage) {
    case 932: return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    case 936:
    case 949:
    case 950: return c >= 0x81 && c <= 0xFE;
    default: return FALSE;
  }
}

namespace win32_p {

namespace {

std::string IconvName(UINT codePage) {
  char name[32];
  if (codePage >= 28591 && codePage <= 28599) {
    std::snprintf(name, sizeof name, "ISO-8859-%u", codePage - 28590);
  } else if (codePage == 20127) {
    return "ASCII";
  } else if (codePage == 20866) {
    return "KOI8-R";
  } else if (codePage == 51932) {
    return "EUC-JP";
  } else {
    std::snprintf(name, sizeof name, "CP%u", codePage);
  }
  return name;
}

class Converter {
 public:
  Converter(const std::string& to, const std::string& from) : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  /// Converts as much as it can; returns errno of the stop (0 when all input was taken).
  int run(const char*& in, size_t& inLeft, std::string& out) {
    char buffer[256];
    while (inLeft > 0) {
      char* outPtr = buffer;
      size_t outLeft = sizeof buffer;
      size_t rc = iconv(cd_, const_cast<char**>(&in), &inLeft, &outPtr, &outLeft);
      out.append(buffer, static_cast<size_t>(outPtr - buffer));
      if (rc == static_cast<size_t>(-1) && errno != E2BIG) return errno;
    }
    return 0;
  }

 private:
  iconv_t cd_;
};

}  // namespace

bool IsIconvCodePage(UINT codePage) {
  iconv_t cd = iconv_open("UTF-16LE", IconvName(codePage).c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(cd);
  return true;
}

bool IconvToUtf16(UINT codePage, const char* source, size_t length, bool strict, std::u16string& out) {
  Converter converter("UTF-16LE", IconvName(codePage));
  if (!converter.ok()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::string bytes;
  size_t left = length;
  while (left > 0) {
    if (converter.run(source, left, bytes) == 0) break;
    // An invalid or cut-off sequence: one byte is replaced and skipped.
    if (strict) {
      SetLastError(ERROR_INVALID_DATA);
      return false;
    }
    bytes.append("\xFD\xFF", 2);
    ++source;
    --left;
  }
  out.clear();
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
  return true;
}

bool IconvFromUtf16(UINT codePage, const char16_t* source, size_t length, char defaultChar, std::string& out,
                    bool* usedDefault) {
  Converter converter(IconvName(codePage), "UTF-16LE");
  if (!converter.ok()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::string units;
  units.reserve(length * 2);
  for (size_t i = 0; i < length; ++i) {
    units += static_cast<char>(source[i] & 0xFF);
    units += static_cast<char>(source[i] >> 8);
  }
  out.clear();
  const char* in = units.data();
  size_t left = units.size();
  while (left > 0) {
    if (converter.run(in, left, out) == 0) break;
    // A character without a form in the page (or a lone surrogate) becomes the default.
    out += defaultChar;
    if (usedDefault) *usedDefault = true;
    size_t skip = 2;
    if (left >= 4) {
      unsigned unit = static_cast<unsigned char>(in[0]) | (static_cast<unsigned char>(in[1]) << 8);
      unsigned next = static_cast<unsigned char>(in[2]) | (static_cast<unsigned char>(in[3]) << 8);
      if (unit >= 0xD800 && unit <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) skip = 4;
    }
    if (skip > left) skip = left;
    in += skip;
    left -= skip;
  }
  return true;
}

}  // namespace win32_p
