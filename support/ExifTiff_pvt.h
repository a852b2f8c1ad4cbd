// Bounded reads of the TIFF data inside an Exif APP1 segment, shared by the Exif reader and
// the orientation writer. Every read checks the offset against the data and throws
// OutOfData instead of passing its end.
#pragma once

#include <cstddef>
#include <cstring>

#include "platform/mfc/cstring.h"
#include "platform/win32/windef.h"

struct ExifEntry {
  unsigned tag = 0;
  unsigned type = 0;
  DWORD count = 0;
  DWORD value = 0;           // the field; a SHORT with count 1 is its first 16 bits
  ULONGLONG fieldOffset = 0;  // where the 4-byte value field lies in the TIFF data
};

class ExifTiff {
 public:
  struct OutOfData {};

  ExifTiff(const BYTE* data, size_t size) : m_data(data), m_size(size) {}

  /// Reads the byte order and checks the magic 42; false for anything else.
  bool ReadHeader() {
    if (m_size < 8) return false;
    if (m_data[0] == 'I' && m_data[1] == 'I')
      m_little = true;
    else if (m_data[0] == 'M' && m_data[1] == 'M')
      m_little = false;
    else
      return false;
    return U16(2) == 42;
  }

  unsigned U16(ULONGLONG at) const {
    Check(at, 2);
    const BYTE* p = m_data + at;
    return m_little ? p[0] | p[1] << 8 : p[0] << 8 | p[1];
  }
  DWORD U32(ULONGLONG at) const {
    Check(at, 4);
    const BYTE* p = m_data + at;
    return m_little ? Le32(p) : static_cast<DWORD>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
  }
  static DWORD Le32(const BYTE* p) { return static_cast<DWORD>(p[3]) << 24 | p[2] << 16 | p[1] << 8 | p[0]; }

  ExifEntry Entry(ULONGLONG at) const {
    ExifEntry entry;
    Check(at, 12);
    entry.tag = U16(at);
    entry.type = U16(at + 2);
    entry.count = U32(at + 4);
    entry.fieldOffset = at + 8;
    entry.value = entry.type == 3 && entry.count == 1 ? U16(at + 8) : U32(at + 8);
    return entry;
  }

  /// An ASCII value cut at its first NUL; empty for other types. Values of 4 bytes or less sit in the field itself.
  CString Text(const ExifEntry& entry) const {
    if (entry.type != 2) return CString();
    ULONGLONG at = entry.count <= 4 ? entry.fieldOffset : entry.value;
    if (at > m_size || entry.count > m_size - at) return CString();
    return Bytes(at, entry.count);
  }

  /// numerator / denominator of a RATIONAL or SRATIONAL with count 1; 0 for other types or a zero denominator.
  double Rational(const ExifEntry& entry, DWORD& numerator, DWORD& denominator) const {
    numerator = denominator = 0;
    if ((entry.type != 5 && entry.type != 10) || entry.count != 1) return 0;
    numerator = U32(entry.value);
    denominator = U32(static_cast<ULONGLONG>(entry.value) + 4);
    if (denominator == 0) return 0;
    if (entry.type == 10) return static_cast<double>(static_cast<LONG>(numerator)) / static_cast<LONG>(denominator);
    return static_cast<double>(numerator) / denominator;
  }

  /// The text after the 8-byte character-code prefix: 256 bytes for a count of 264, else count - 8.
  CString UserComment(const ExifEntry& entry) const {
    if (entry.count <= 8) return CString();  // no room for any text after the prefix
    DWORD length = entry.count == 264 ? 256 : entry.count - 8;
    ULONGLONG at = static_cast<ULONGLONG>(entry.value) + 8;
    Check(at, length);
    return Bytes(at, length);
  }

  const BYTE* m_data;
  size_t m_size;
  bool m_little = false;

 private:
  void Check(ULONGLONG at, ULONGLONG count) const {
    if (at > m_size || count > m_size - at) throw OutOfData();
  }
  CString Bytes(ULONGLONG at, ULONGLONG count) const {
    const char* p = reinterpret_cast<const char*>(m_data + at);
    return CString(std::string(p, strnlen(p, static_cast<size_t>(count))));
  }
};
