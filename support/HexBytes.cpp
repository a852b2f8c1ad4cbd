#include "support/HexBytes.h"

#include <cstring>
#include <string>

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

CString BytesToHex(const BYTE* bytes, size_t count) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  if (!bytes) return CString();
  hex.resize(2 * count);
  for (size_t i = 0; i < count; ++i) {
    hex[2 * i] = kDigits[bytes[i] >> 4];
    hex[2 * i + 1] = kDigits[bytes[i] & 0x0F];
  }
  return CString(hex);
}

bool HexToBytes(const char* text, std::vector<BYTE>& bytes) {
  bytes.clear();
  size_t length = text ? std::strlen(text) : 0;
  if (length < 2) return false;
  std::vector<BYTE> read(length / 2);
  for (size_t i = 0; i < read.size(); ++i) {
    // Exactly two digits: a blank or a sign inside a pair is damage, not a short number.
    int high = HexValue(text[2 * i]), low = HexValue(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    read[i] = static_cast<BYTE>(high << 4 | low);
  }
  bytes.swap(read);
  return true;
}
