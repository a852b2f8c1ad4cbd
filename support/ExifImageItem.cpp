// The writing side of Exif: the orientation in place in a .jpg, and the comment and the
// rotation of other files through the camera SDK's image items.
#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

#include "platform/canon/cdsdk.h"
#include "platform/win32/codepage.h"
#include "platform/win32/trace.h"
#include "platform/user/messagebox.h"
#include "support/Exif.h"
#include "support/ExifTiff_pvt.h"

namespace {

const cdUInt32 kPreferredItemOption = 259;
const DWORD kCommentSize = 256;

// An item and its open image, released in reverse order.
class ImageItem {
 public:
  explicit ImageItem(const char* path) {
    cdError error = CDMakeImageItem(path, kPreferredItemOption, &m_item);
    // Other read options help only when the option was refused, not without an SDK or a readable file.
    for (cdUInt32 option = 0; error != cdOK && option <= 511; ++option) {
      if (error == cdNOT_STARTED || error == cdFILE_ERROR || error == cdINVALID_PARAMETER) break;
      error = CDMakeImageItem(path, option, &m_item);
    }
    if (error != cdOK) m_item = 0;
    if (m_item && CDOpenImage(m_item, &m_image) != cdOK) m_image = 0;
  }
  ~ImageItem() {
    if (m_image) CDCloseImage(m_image);
    if (m_item) CDFreeImageItem(m_item);
  }
  cdHImageData Image() const { return m_image; }

 private:
  cdHItem m_item = 0;
  cdHImageData m_image = 0;
};

bool EndsWithNoCase(const CString& text, const char* suffix) {
  int n = static_cast<int>(std::strlen(suffix));
  return text.GetLength() >= n && text.Right(n).CompareNoCase(suffix) == 0;
}

// Finds the orientation entry of an Exif segment; its value field's offset inside the segment, or 0.
size_t FindOrientationField(const std::vector<BYTE>& segment, ExifTiff& tiff, ExifEntry& found) {
  if (segment.size() < 8 || std::memcmp(segment.data() + 2, "Exif\0\0", 6) != 0) return 0;
  if (!tiff.ReadHeader()) return 0;
  try {
    std::set<DWORD> visited;  // a chain that loops back ends the search
    for (DWORD offset = tiff.U32(4); offset != 0 && visited.insert(offset).second;) {
      unsigned count = tiff.U16(offset);
      if (count == 0 || count > 70) return 0;
      for (unsigned i = 0; i < count; ++i) {
        ExifEntry entry = tiff.Entry(static_cast<ULONGLONG>(offset) + 2 + i * 12ull);
        if (entry.tag == 0x0112) {
          found = entry;
          return static_cast<size_t>(entry.fieldOffset) + 8;
        }
      }
      offset = tiff.U32(static_cast<ULONGLONG>(offset) + 2 + count * 12ull);
    }
  } catch (const ExifTiff::OutOfData&) {
  }
  return 0;
}

void WriteJpegOrientation(const char* path, int degrees) {
  FILE* f = std::fopen(NativePath(path).c_str(), "r+b");
  if (!f) return;
  DWORD value = degrees == 90 ? 6 : degrees == 180 ? 3 : degrees == 270 ? 8 : 1;
  for (;;) {
    long start = std::ftell(f);
    if (std::fgetc(f) != 0xFF) break;
    int marker = std::fgetc(f);
    if (marker == EOF) break;
    if (marker == 0xD8 || marker == 0xD9) continue;
    BYTE lengthBytes[2];
    if (std::fread(lengthBytes, 1, 2, f) != 2) break;
    size_t length = static_cast<size_t>(lengthBytes[0]) << 8 | lengthBytes[1];
    if (length < 2) break;
    if (marker == 0xE1) {
      std::vector<BYTE> segment(length);
      segment[0] = lengthBytes[0];
      segment[1] = lengthBytes[1];
      size_t got = std::fread(segment.data() + 2, 1, length - 2, f) + 2;
      segment.resize(got);
      ExifTiff tiff(segment.data() + 8, got >= 8 ? got - 8 : 0);
      ExifEntry entry;
      if (size_t field = FindOrientationField(segment, tiff, entry)) {
        BYTE bytes[4];
        DWORD stored = !tiff.m_little && (entry.type == 3 || entry.type == 8) ? value << 16 : value;
        for (int i = 0; i < 4; ++i)
          bytes[i] = static_cast<BYTE>(tiff.m_little ? stored >> (8 * i) : stored >> (24 - 8 * i));
        if (std::fseek(f, start + 2 + static_cast<long>(field), SEEK_SET) == 0) std::fwrite(bytes, 1, 4, f);
        break;
      }
      if (got != length) break;
      continue;
    }
    if (std::fseek(f, static_cast<long>(length - 2), SEEK_CUR) != 0) break;
  }
  std::fclose(f);
}

}  // namespace

void Exif::SetOrientation(int degrees) {
  if (EndsWithNoCase(m_path, ".jpg")) {
    WriteJpegOrientation(m_path, degrees);
    return;
  }
  ImageItem item(m_path);
  if (!item.Image()) return;
  cdHEnum properties = 0;
  if (CDEnumImageItemPropertyReset(item.Image(), 0, &properties) == cdOK) CDEnumImageItemPropertyRelease(properties);
  BYTE angle[4];
  for (int i = 0; i < 4; ++i) angle[i] = static_cast<BYTE>(static_cast<DWORD>(degrees) >> (8 * i));
  if (CDSetImageItemProperty(item.Image(), cdIMG_PROP_ROTATION, sizeof angle, angle) == cdOK) m_rotation = degrees;
  CDFlashImageItemProperty(item.Image());
}

BOOL Exif::SetComment(const char* comment) {
  ImageItem item(m_path);
  if (!item.Image()) return FALSE;
  char buffer[kCommentSize] = {};
  if (comment) std::strncpy(buffer, comment, kCommentSize - 1);
  // Stored only when the SDK wrote it into the file.
  return CDSetImageItemProperty(item.Image(), cdIMG_PROP_COMMENT, kCommentSize, buffer) == cdOK &&
         CDFlashImageItemProperty(item.Image()) == cdOK;
}

CString Exif::GetComment() {
  if (m_path.IsEmpty()) return m_comment;
  try {
    ImageItem item(m_path);
    if (!item.Image()) return m_comment;
    char buffer[kCommentSize] = {};
    std::strncpy(buffer, m_comment, kCommentSize - 1);
    cdUInt32 size = kCommentSize;
    if (CDGetImageItemProperty(item.Image(), cdIMG_PROP_COMMENT, &size, buffer) == cdOK)
      m_comment = CString(buffer, static_cast<int>(kCommentSize));
  } catch (...) {
    MessageBoxA(nullptr, "Exception in Exif::GetComment()", "Tavorin", MB_OK);
  }
  return m_comment;
}
