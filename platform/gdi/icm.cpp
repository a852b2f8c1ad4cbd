// The screen's colour profile. An X display may publish its profile as the root window's
// _ICC_PROFILE property; without one (or without X at all) the screen counts as sRGB.
#include "platform/gdi/icm.h"

#include <lcms2.h>
#include <unistd.h>

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#ifdef TAVORIN_HAVE_XCB
#include <xcb/xcb.h>
#endif

#include "platform/win32/codepage.h"
#include "platform/win32/error.h"

namespace fs = std::filesystem;

namespace {

// Profiles beyond this are not taken from the display (the largest real ones are a few MB).
const uint32_t kMaxDisplayProfile = 16u << 20;

std::string ColourFolder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  std::string base;
  if (data && *data == '/') base = data;
  else if (const char* home = std::getenv("HOME"); home && *home) base = std::string(home) + "/.local/share";
  else return {};
  return base + "/icc";
}

BOOL CopyOut(const std::string& ansi, LPDWORD size, LPSTR buffer) {
  if (!size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD needed = static_cast<DWORD>(ansi.size() + 1);
  if (!buffer || *size < needed) {
    *size = needed;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(buffer, ansi.c_str(), needed);
  *size = needed;
  return TRUE;
}

bool IsRgbProfile(const void* bytes, size_t size) {
  if (!bytes || size < 132) return false;
  cmsHPROFILE profile = cmsOpenProfileFromMem(bytes, static_cast<cmsUInt32Number>(size));
  if (!profile) return false;
  bool rgb = cmsGetColorSpace(profile) == cmsSigRgbData;
  cmsCloseProfile(profile);
  return rgb;
}

std::vector<char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Written under a temporary name and renamed, so a reader never sees half a profile.
bool WriteFileAtomically(const std::string& path, const void* bytes, size_t size) {
  std::string temporary = path + ".tmp" + std::to_string(getpid());
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    if (!out.flush()) {
      std::error_code ignored;
      fs::remove(temporary, ignored);
      return false;
    }
  }
  std::error_code error;
  fs::rename(temporary, path, error);
  if (error) fs::remove(temporary, error);
  return !error;
}

// Keeps the file as it is when it already holds these bytes.
bool StoreProfile(const std::string& path, const void* bytes, size_t size) {
  std::vector<char> current = ReadFile(path);
  if (current.size() == size && std::memcmp(current.data(), bytes, size) == 0) return true;
  return WriteFileAtomically(path, bytes, size);
}

std::vector<unsigned char> DisplayProfile() {
  std::vector<unsigned char> bytes;
#ifdef TAVORIN_HAVE_XCB
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection) return bytes;
  const xcb_setup_t* setup = xcb_get_setup(connection);
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
  if (!screens.rem || !screens.data) return bytes;
  const char name[] = "_ICC_PROFILE";
  xcb_intern_atom_reply_t* atom =
      xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof(name) - 1, name), nullptr);
  if (!atom) return bytes;
  if (atom->atom != XCB_ATOM_NONE) {
    xcb_get_property_reply_t* property = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, screens.data->root, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0,
                         kMaxDisplayProfile / 4),
        nullptr);
    if (property) {
      int length = xcb_get_property_value_length(property);
      const auto* value = static_cast<const unsigned char*>(xcb_get_property_value(property));
      if (property->format == 8 && value && length > 0 && static_cast<uint32_t>(length) <= kMaxDisplayProfile)
        bytes.assign(value, value + length);
      free(property);
    }
  }
  free(atom);
#endif
  return bytes;
}

std::string MakeSrgbProfile(const std::string& folder) {
  std::string path = folder + "/tavorin-srgb.icc";
  std::vector<char> existing = ReadFile(path);
  if (IsRgbProfile(existing.data(), existing.size())) return path;
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  if (!srgb) return {};
  cmsUInt32Number size = 0;
  std::vector<unsigned char> bytes;
  if (cmsSaveProfileToMem(srgb, nullptr, &size) && size > 0) {
    bytes.resize(size);
    if (!cmsSaveProfileToMem(srgb, bytes.data(), &size)) bytes.clear();
  }
  cmsCloseProfile(srgb);
  if (bytes.empty() || !WriteFileAtomically(path, bytes.data(), bytes.size())) return {};
  return path;
}

}  // namespace

BOOL GetColorDirectoryA(LPCSTR machine, LPSTR buffer, LPDWORD size) {
  std::string folder = ColourFolder();
  std::error_code error;
  if (machine || folder.empty() || (fs::create_directories(folder, error), !fs::is_directory(folder, error))) {
    SetLastError(machine ? ERROR_INVALID_PARAMETER : ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  return CopyOut(AnsiFromNative(folder), size, buffer);
}

BOOL GetICMProfileA(HDC, LPDWORD size, LPSTR fileName) {
  std::string folder = ColourFolder();
  std::error_code error;
  if (folder.empty() || (fs::create_directories(folder, error), !fs::is_directory(folder, error))) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  std::string path;
  std::vector<unsigned char> display = DisplayProfile();
  if (IsRgbProfile(display.data(), display.size())) {
    path = folder + "/x-display.icc";
    if (!StoreProfile(path, display.data(), display.size())) path.clear();
  }
  if (path.empty()) path = MakeSrgbProfile(folder);
  if (path.empty()) {
    SetLastError(ERROR_WRITE_FAULT);
    return FALSE;
  }
  return CopyOut(AnsiFromNative(path), size, fileName);
}
