#include "support/Exif.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <new>
#include <vector>

#include "platform/win32/codepage.h"
#include "platform/win32/files.h"
#include "support/ExifTiff_pvt.h"

namespace {

bool EndsWithNoCase(const CString& text, const char* suffix) {
  int n = static_cast<int>(std::strlen(suffix));
  return text.GetLength() >= n && text.Right(n).CompareNoCase(suffix) == 0;
}

CString Extensionless(const CString& path) {
  int dot = path.ReverseFind('.');
  int slash = path.ReverseFind('/');
  return dot > slash ? path.Left(dot) : path;
}

// Case-sensitive file systems: a companion may carry its extension in either case.
CString ExistingCompanion(const CString& base, const char* extension) {
  CString lower = base + extension, upper = lower.Right(static_cast<int>(std::strlen(extension)));
  upper.MakeUpper();
  upper = base + upper;
  if (PathFileExistsA(lower)) return lower;
  return PathFileExistsA(upper) ? upper : CString();
}

// An APP1 segment (bytes from its length field) that carries Exif rather than XMP or other data.
bool IsExifApp1(const BYTE* segment, size_t available, size_t length) {
  return length >= 8 && available >= 8 && std::memcmp(segment + 2, "Exif\0\0", 6) == 0;
}

class File {
 public:
  File(const char* path, const char* mode) : m_file(std::fopen(NativePath(path).c_str(), mode)) {}
  ~File() {
    if (m_file) std::fclose(m_file);
  }
  FILE* get() const { return m_file; }

 private:
  FILE* m_file;
};

}  // namespace

Exif::Exif(const char* path) { Init(path); }
Exif::Exif(const CString& path) { Init(path); }

Exif::Exif(const BYTE* buffer, DWORD size) {
  m_time = std::time(nullptr);
  size_t position = 0;
  while (buffer && position + 1 < size && buffer[position] == 0xFF) {
    BYTE marker = buffer[position + 1];
    if (marker == 0xD8 || marker == 0xD9) {
      position += 2;
      continue;
    }
    if (position + 4 > size) break;
    size_t length = static_cast<size_t>(buffer[position + 2]) << 8 | buffer[position + 3];
    if (length < 2) break;
    // Another APP1 (XMP) may come first: the walk goes on to the one that starts "Exif\0\0".
    if (marker == 0xE1 && IsExifApp1(buffer + position + 2, size - position - 2, length)) {
      // The segment must lie wholly inside the buffer, with room to spare.
      if (position + length + 4 < size) ParseApp1(buffer + position + 2, length);
      break;
    }
    position += 2 + length;
  }
  ApplyDateTime();
}

void Exif::Init(const char* path) {
  m_path = path;
  m_time = std::time(nullptr);
  CString file = m_path;
  if (EndsWithNoCase(file, ".crw")) {
    CString companion = ExistingCompanion(file.Left(file.GetLength() - 4), ".thm");
    file = companion.IsEmpty() ? file.Left(file.GetLength() - 3) + "thm" : companion;
  }
  if (EndsWithNoCase(file, ".jpg") || EndsWithNoCase(file, ".thm")) ParseFile(file);
  ApplyDateTime();
}

void Exif::ParseFile(const char* path) {
  // Read-only: a write-protected photo still has metadata.
  File file(path, "rb");
  FILE* f = file.get();
  if (!f) return;
  for (;;) {
    if (std::fgetc(f) != 0xFF) return;
    int marker = std::fgetc(f);
    if (marker == EOF) return;
    if (marker == 0xD8 || marker == 0xD9) continue;
    BYTE lengthBytes[2];
    if (std::fread(lengthBytes, 1, 2, f) != 2) return;
    size_t length = static_cast<size_t>(lengthBytes[0]) << 8 | lengthBytes[1];
    if (length < 2) return;
    if (marker != 0xE1) {
      if (std::fseek(f, static_cast<long>(length - 2), SEEK_CUR) != 0) return;
      continue;
    }
    std::vector<BYTE> segment(length);
    segment[0] = lengthBytes[0];
    segment[1] = lengthBytes[1];
    // A short file yields a short segment: the parse stays inside what was read.
    size_t got = std::fread(segment.data() + 2, 1, length - 2, f);
    // Another APP1 (XMP) may come first, as the orientation writer already allows.
    if (!IsExifApp1(segment.data(), got + 2, length)) {
      if (got + 2 != length) return;
      continue;
    }
    ParseApp1(segment.data(), got + 2);
    return;
  }
}

void Exif::ParseApp1(const BYTE* segment, size_t length) {
  if (length < 8 || std::memcmp(segment + 2, "Exif\0", 5) != 0) return;
  ExifTiff tiff(segment + 8, length - 8);
  if (!tiff.ReadHeader()) return;
  m_byteOrder = tiff.m_little ? 1 : 0;
  try {
    DWORD ifd0 = tiff.U32(4);
    if (static_cast<ULONGLONG>(ifd0) + 2 > tiff.m_size) return;
    unsigned count = tiff.U16(ifd0);
    if (count == 0 || static_cast<ULONGLONG>(ifd0) + 2 + count * 12ull >= tiff.m_size) return;
    for (unsigned i = 0; i < count; ++i) {
      ExifEntry entry = tiff.Entry(ifd0 + 2 + i * 12);
      switch (entry.tag) {
        case 0x0110: m_model = tiff.Text(entry); break;
        case 0x0112:
          switch (entry.value) {
            case 1: m_rotation = 0; break;
            case 3: m_rotation = 180; break;
            case 6: m_rotation = 90; break;
            case 8: m_rotation = 270; break;
          }
          break;
        case 0x0132: m_dateTime = tiff.Text(entry); break;
        case 0x8827: m_iso.Format("%d", static_cast<int>(entry.value)); break;
        case 0x8769: ParseExifIfd(tiff, entry.value); break;
      }
    }
  } catch (const ExifTiff::OutOfData&) {
    // A damaged block keeps the fields read before the damage.
  }
}

void Exif::ParseExifIfd(const ExifTiff& tiff, DWORD offset) {
  unsigned count = tiff.U16(offset);
  for (unsigned i = 0; i < count; ++i) {
    ExifEntry entry = tiff.Entry(static_cast<ULONGLONG>(offset) + 2 + i * 12ull);
    switch (entry.tag) {
      case 0x0132: m_dateTime = tiff.Text(entry); break;
      case 0x829A: m_exposure = FormatExposure(tiff, entry); break;
      case 0x829D: {
        DWORD numerator, denominator;
        double aperture = tiff.Rational(entry, numerator, denominator);
        m_aperture.Format("%.1f", aperture);
        break;
      }
      case 0x8827: m_iso.Format("%d", static_cast<int>(entry.value)); break;
      case 0x9286: m_comment = tiff.UserComment(entry); break;
    }
  }
}

CString Exif::FormatExposure(const ExifTiff& tiff, const ExifEntry& entry) {
  DWORD numerator, denominator;
  double seconds = tiff.Rational(entry, numerator, denominator);
  CString text;
  if (seconds >= 0.3) {
    text.Format("%g", seconds);
  } else if (seconds > 0) {
    // The reciprocal from the integers themselves, so 1/250 is exactly 250.
    double reciprocal = entry.type == 10 ? static_cast<double>(static_cast<LONG>(denominator)) /
                                               static_cast<LONG>(numerator)
                                         : static_cast<double>(denominator) / numerator;
    // Rounded: 1/65 stored as 10/650 must not read 1/64 after float error.
    text.Format("1/%d", reciprocal >= 2147483647.0 ? 2147483647 : static_cast<int>(std::lround(reciprocal)));
  }
  // No exposure (zero, negative or unreadable) leaves the text empty.
  return text;
}

void Exif::ApplyDateTime() {
  CString text = m_dateTime;
  text.Replace('.', ':');
  int year, month, day, hour, minute, second;
  if (std::sscanf(text, "%4d:%2d:%2d %2d:%2d:%2d", &year, &month, &day, &hour, &minute, &second) != 6) return;
  if (year < 1970 || year > 2037 || month < 1 || month > 12 || day < 1 || day > 31) return;
  struct tm local = {};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour % 24;
  local.tm_min = minute % 60;
  local.tm_sec = second % 60;
  local.tm_isdst = -1;
  time_t taken = std::mktime(&local);
  if (taken != static_cast<time_t>(-1)) m_time = taken;
}

CString Exif::GetSummary() {
  CString summary;
  if (!m_exposure.IsEmpty()) summary = m_exposure + "sec";
  if (!m_aperture.IsEmpty()) {
    if (!summary.IsEmpty()) summary += " @ ";
    summary += "F" + m_aperture;
  }
  if (!m_iso.IsEmpty()) {
    if (!summary.IsEmpty()) summary += ", ";
    summary += "ISO " + m_iso;
  }
  CString comment = GetComment();
  if (!comment.IsEmpty()) {
    comment.Replace("\n", "\\n");
    comment.Replace("\r", "\\r");
    summary += " '" + comment + "'";
  }
  return summary;
}

CString Exif::RenameImage(const char* newPath) {
  const CString error("Error renaming image");
  CString oldPath = m_path;
  if (!MoveFileA(oldPath, newPath)) return error;
  m_path = newPath;
  CString oldBase = Extensionless(oldPath), newBase = Extensionless(m_path);
  for (const char* extension : {".jpg", ".thm"}) {
    CString companion = ExistingCompanion(oldBase, extension);
    if (!companion.IsEmpty() && !MoveFileA(companion, newBase + companion.Right(4))) return error;
  }
  return CString();
}

BYTE* Exif::ReadJpegBytes(DWORD& size) const {
  File file(m_path, "rb");
  FILE* f = file.get();
  if (!f || std::fseek(f, 0, SEEK_END) != 0) return nullptr;
  long end = std::ftell(f);
  if (end < 0 || static_cast<ULONGLONG>(end) > 0xFFFFFFFFull) return nullptr;
  ULONGLONG fileSize = static_cast<ULONGLONG>(end);
  auto readAt = [f](ULONGLONG at, BYTE* into, size_t count) {
    return std::fseek(f, static_cast<long>(at), SEEK_SET) == 0 && std::fread(into, 1, count, f) == count;
  };
  auto take = [&](ULONGLONG at, ULONGLONG count) -> BYTE* {
    if (count == 0 || at + count > fileSize) return nullptr;
    std::unique_ptr<BYTE[]> bytes(new (std::nothrow) BYTE[count]);
    if (!bytes || !readAt(at, bytes.get(), static_cast<size_t>(count))) return nullptr;
    size = static_cast<DWORD>(count);
    return bytes.release();
  };
  if (EndsWithNoCase(m_path, ".jpg")) return take(0, fileSize);
  if (!EndsWithNoCase(m_path, ".crw") || fileSize < 14) return nullptr;
  // The CIFF heap: header length at 2, directory offset in the last 4 bytes, then 10-byte records.
  BYTE word[4];
  if (!readAt(2, word, 4)) return nullptr;
  ULONGLONG headerLength = ExifTiff::Le32(word);
  if (!readAt(fileSize - 4, word, 4)) return nullptr;
  ULONGLONG directory = headerLength + ExifTiff::Le32(word);
  if (directory + 2 > fileSize || !readAt(directory, word, 2)) return nullptr;
  unsigned count = word[0] | word[1] << 8;
  for (unsigned i = 0; i < count; ++i) {
    BYTE record[10];
    ULONGLONG at = directory + 2 + i * 10ull;
    if (at + 10 > fileSize || !readAt(at, record, 10)) return nullptr;
    if ((record[0] | record[1] << 8) == 0x2007) {
      BYTE* jpeg = take(headerLength + ExifTiff::Le32(record + 6), ExifTiff::Le32(record + 2));
      // A record that does not start like a JPEG is not handed on as one.
      if (jpeg && (size < 2 || jpeg[0] != 0xFF || jpeg[1] != 0xD8)) {
        delete[] jpeg;
        size = 0;
        return nullptr;
      }
      return jpeg;
    }
  }
  return nullptr;
}
