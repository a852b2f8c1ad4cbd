// CDSDK image items: the comment and rotation of a saved photo, kept in its file's Exif.
// A raw (.crw) file keeps them in its .thm companion.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/canon/cdsdk.h"
#include "platform/canon/simphoto_p.h"
#include "platform/canon/simulator_p.h"
#include "platform/win32/codepage.h"

using namespace tavsim_p;

namespace {

using Lock = std::unique_lock<std::mutex>;

#define CD_ENTER(...)                                                 \
  State& s = Sim();                                                   \
  Lock lock(s.mutex);                                                 \
  if (cdError fault = Enter(s, __func__ __VA_OPT__(, ) __VA_ARGS__)) return fault; \
  if (!s.cdStarted) return cdNOT_STARTED

const cdUInt32 kReadExifOption = 259;

bool EndsWithNoCase(const std::string& text, const char* suffix) {
  size_t n = strlen(suffix);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (AnsiToLower(text[text.size() - n + i]) != AnsiToLower(suffix[i])) return false;
  return true;
}

// The Exif block sits in the first segments: a head this long holds it in every real photo.
const size_t kHeadBytes = 256 * 1024;

/// Reads at most `limit` bytes of the file (all when 0); `whole` says whether that is the file.
bool ReadFile(const std::string& path, std::vector<BYTE>& bytes, size_t limit = 0, bool* whole = nullptr) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  std::streamoff size = in.tellg();
  if (size < 0) return false;
  size_t wanted = limit && size_t(size) > limit ? limit : size_t(size);
  bytes.resize(wanted);
  in.seekg(0);
  if (wanted && !in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(wanted))) return false;
  if (whole) *whole = wanted == size_t(size);
  return true;
}

/// Writes bytes over the file's own from `at`, in place.
bool WriteInPlace(const std::string& path, size_t at, const BYTE* bytes, size_t count) {
  std::fstream out(path, std::ios::binary | std::ios::in | std::ios::out);
  if (!out) return false;
  out.seekp(std::streamoff(at));
  out.write(reinterpret_cast<const char*>(bytes), std::streamsize(count));
  return bool(out.flush());
}

// Written beside the file and renamed into place, so a failure leaves the photo intact.
bool WriteFile(const std::string& path, const std::vector<BYTE>& bytes) {
  std::string temp = path + ".tavorin-tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
      std::remove(temp.c_str());
      return false;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

State::Image* ImageOf(State& s, cdHImageData image) {
  auto it = s.images.find(image);
  return it == s.images.end() ? nullptr : &it->second;
}

}  // namespace

cdError CDMakeImageItem(const cdChar* path, cdUInt32 option, cdHItem* item) {
  CD_ENTER(0, 0, option);
  if (!path || !item) return cdINVALID_PARAMETER;
  if (option != kReadExifOption) return cdNOT_SUPPORTED;
  std::string file = NativePath(path);
  if (EndsWithNoCase(file, ".crw")) file = file.substr(0, file.size() - 3) + "THM";
  std::vector<BYTE> bytes;
  if (!ReadFile(file, bytes, 2)) {
    // The companion may be written in lower case.
    if (EndsWithNoCase(file, ".thm")) file = file.substr(0, file.size() - 3) + "thm";
    if (!ReadFile(file, bytes, 2)) return cdFILE_ERROR;
  }
  if (bytes.size() < 2 || bytes[0] != 0xFF || bytes[1] != 0xD8) return cdFILE_ERROR;
  *item = s.nextHandle++;
  s.items[*item] = file;
  return cdOK;
}

cdError CDOpenImage(cdHItem item, cdHImageData* image) {
  CD_ENTER();
  auto it = s.items.find(item);
  if (it == s.items.end() || !image) return cdINVALID_HANDLE;
  *image = s.nextHandle++;
  s.images[*image].path = it->second;
  return cdOK;
}

cdError CDEnumImageItemPropertyReset(cdHImageData image, cdUInt32 option, cdHEnum* hEnum) {
  CD_ENTER(0, 0, option);
  if (!ImageOf(s, image) || !hEnum) return cdINVALID_HANDLE;
  *hEnum = s.nextHandle++;
  s.propertyEnums.insert(*hEnum);
  return cdOK;
}

cdError CDEnumImageItemPropertyRelease(cdHEnum hEnum) {
  CD_ENTER();
  return s.propertyEnums.erase(hEnum) ? cdOK : cdINVALID_HANDLE;
}

cdError CDSetImageItemProperty(cdHImageData image, cdUInt32 property, cdUInt32 size, const void* data) {
  CD_ENTER(property, size, property == cdIMG_PROP_ROTATION && data && size == 4 ? ReadLe(data, 4) : 0);
  State::Image* img = ImageOf(s, image);
  if (!img) return cdINVALID_HANDLE;
  if (!data) return cdINVALID_PARAMETER;
  if (property == cdIMG_PROP_COMMENT) {
    if (size == 0) return cdINVALID_PARAMETER;
    const char* text = static_cast<const char*>(data);
    img->comment.assign(text, strnlen(text, size));
    img->hasComment = true;
    return cdOK;
  }
  if (property == cdIMG_PROP_ROTATION) {
    if (size != 4) return cdINVALID_PARAMETER;
    DWORD degrees = ReadLe(data, 4);
    if (degrees != 0 && degrees != 90 && degrees != 180 && degrees != 270) return cdBAD_VALUE;
    img->rotation = degrees;
    img->hasRotation = true;
    return cdOK;
  }
  return cdPROPERTY_NOT_FOUND;
}

cdError CDGetImageItemProperty(cdHImageData image, cdUInt32 property, cdUInt32* size, void* data) {
  CD_ENTER(property, size ? *size : 0);
  State::Image* img = ImageOf(s, image);
  if (!img) return cdINVALID_HANDLE;
  if (!size || !data || *size == 0) return cdINVALID_PARAMETER;
  std::vector<BYTE> bytes;
  bool whole = false;
  if (!ReadFile(img->path, bytes, kHeadBytes, &whole)) return cdFILE_ERROR;
  // An Exif block that passes the head: the whole file, then.
  if (!whole && !ReadExifFields(bytes, nullptr, nullptr) && !ReadFile(img->path, bytes)) return cdFILE_ERROR;
  if (property == cdIMG_PROP_COMMENT) {
    std::string comment;
    if (!ReadExifFields(bytes, &comment, nullptr)) return cdPROPERTY_NOT_FOUND;
    size_t n = std::min<size_t>(comment.size(), *size - 1);
    std::memcpy(data, comment.data(), n);
    static_cast<char*>(data)[n] = 0;
    *size = static_cast<cdUInt32>(n + 1);
    return cdOK;
  }
  if (property == cdIMG_PROP_ROTATION) {
    WORD orientation = 1;
    if (*size < 4) return cdINVALID_PARAMETER;
    if (!ReadExifFields(bytes, nullptr, &orientation)) return cdPROPERTY_NOT_FOUND;
    DWORD degrees = orientation == 6 ? 90 : orientation == 3 ? 180 : orientation == 8 ? 270 : 0;
    WriteLe(data, 4, degrees);
    *size = 4;
    return cdOK;
  }
  return cdPROPERTY_NOT_FOUND;
}

cdError CDFlashImageItemProperty(cdHImageData image) {
  CD_ENTER();
  State::Image* img = ImageOf(s, image);
  if (!img) return cdINVALID_HANDLE;
  if (!img->hasComment && !img->hasRotation) return cdOK;
  WORD orientation = img->rotation == 90 ? 6 : img->rotation == 180 ? 3 : img->rotation == 270 ? 8 : 1;
  const std::string* comment = img->hasComment ? &img->comment : nullptr;
  const WORD* rotation = img->hasRotation ? &orientation : nullptr;
  // Only the head holding the Exif block is read; values that fit their slots are written in
  // place, as the orientation is, and only a block that must grow rewrites the whole file.
  std::vector<BYTE> head;
  bool whole = false;
  if (!ReadFile(img->path, head, kHeadBytes, &whole)) return cdFILE_ERROR;
  std::vector<BYTE> changed(head);
  bool written = WriteExifFields(changed, comment, rotation);
  if (written && changed.size() == head.size()) {
    auto first = std::mismatch(head.begin(), head.end(), changed.begin());
    if (first.first != head.end()) {
      size_t from = size_t(first.first - head.begin());
      size_t to = head.size();
      while (to > from && head[to - 1] == changed[to - 1]) --to;
      if (!WriteInPlace(img->path, from, changed.data() + from, to - from)) return cdFILE_ERROR;
    }
  } else if (written || !whole) {
    std::vector<BYTE> bytes;
    if (!ReadFile(img->path, bytes)) return cdFILE_ERROR;
    if (!WriteExifFields(bytes, comment, rotation)) return cdPROPERTY_NOT_FOUND;
    if (!WriteFile(img->path, bytes)) return cdFILE_ERROR;
  } else {
    return cdPROPERTY_NOT_FOUND;
  }
  img->hasComment = img->hasRotation = false;
  return cdOK;
}

cdError CDCloseImage(cdHImageData image) {
  CD_ENTER();
  return s.images.erase(image) ? cdOK : cdINVALID_HANDLE;
}

cdError CDFreeImageItem(cdHItem item) {
  CD_ENTER();
  return s.items.erase(item) ? cdOK : cdINVALID_HANDLE;
}
