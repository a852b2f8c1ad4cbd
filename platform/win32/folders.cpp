#include "platform/win32/folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#include "platform/win32/codepage.h"
#include "platform/win32/error.h"

namespace {

std::string NativeHome() {
  const char* home = std::getenv("HOME");
  if (home && *home == '/') return home;
  struct passwd entry, *result = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 && result && result->pw_dir)
    return result->pw_dir;
  return "/";
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string NativeConfigHome() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config == '/') return WithoutTrailingSlash(config);
  return WithoutTrailingSlash(NativeHome()) + "/.config";
}

// One XDG_<NAME>_DIR value of user-dirs.dirs: a quoted "$HOME/..." or absolute path with
// backslash escapes. Empty when absent or malformed.
std::string XdgUserDir(const std::string& key) {
  std::ifstream file(NativeConfigHome() + "/user-dirs.dirs");
  std::string line, prefix = "XDG_" + key + "_DIR=";
  std::string home = WithoutTrailingSlash(NativeHome());
  std::string found;
  while (std::getline(file, line)) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, prefix.size(), prefix) != 0) continue;
    std::string value = line.substr(start + prefix.size());
    if (value.size() < 2 || value.front() != '"') continue;
    size_t end = value.find_last_of('"');
    if (end == 0) continue;
    value = value.substr(1, end - 1);
    std::string path;
    if (value.compare(0, 5, "$HOME") == 0) {
      path = home;
      value.erase(0, 5);
      if (!value.empty() && value.front() != '/') continue;
    } else if (value.empty() || value.front() != '/') {
      continue;
    }
    for (size_t i = 0; i < value.size(); ++i) {
      if (value[i] == '\\' && i + 1 < value.size()) ++i;
      path += value[i];
    }
    found = WithoutTrailingSlash(path);  // the last assignment wins, as in a shell
  }
  return found;
}

std::string NativeDocuments() {
  std::string documents = XdgUserDir("DOCUMENTS");
  if (!documents.empty()) return documents;
  return WithoutTrailingSlash(NativeHome()) + "/Documents";
}

std::string NativeProgramPath() {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), static_cast<size_t>(n));
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  if (module != nullptr || !fileName || size == 0) {
    SetLastError(module ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string native = NativeProgramPath();
  if (native.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  std::string path = AnsiFromNative(native);
  if (path.size() >= size) {
    std::memcpy(fileName, path.data(), size - 1);
    fileName[size - 1] = '\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
  }
  std::memcpy(fileName, path.c_str(), path.size() + 1);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(path.size());
}

HRESULT SHGetFolderPathA(HWND, int folder, HANDLE, DWORD, LPSTR path) {
  if (!path) return E_INVALIDARG;
  std::string native;
  switch (folder & 0xFF) {
    case CSIDL_PERSONAL: native = NativeDocuments(); break;
    case CSIDL_APPDATA: native = NativeConfigHome(); break;
    default: return E_INVALIDARG;
  }
  if (folder & CSIDL_FLAG_CREATE) {
    struct stat st;
    if (stat(native.c_str(), &st) != 0 && mkdir(native.c_str(), 0777) != 0 && errno != EEXIST) return E_FAIL;
  }
  std::string ansi = AnsiFromNative(native);
  if (ansi.size() >= MAX_PATH) return E_FAIL;
  std::memcpy(path, ansi.c_str(), ansi.size() + 1);
  return S_OK;
}

std::string GetProgramFolder() {
  std::string path = AnsiFromNative(NativeProgramPath());
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string GetHomeFolder() { return AnsiFromNative(WithoutTrailingSlash(NativeHome())); }

std::string GetDocumentsFolder() { return AnsiFromNative(NativeDocuments()); }

namespace {

// A build tree's programs find the shipped files in the source's data folder; an installed
// program never looks there, so what it finds comes from its own prefix. Empty when not built.
std::string SourceDataFolder(const std::string& program) {
#if defined(TAVORIN_BUILD_DIR) && defined(TAVORIN_SOURCE_DATA_DIR)
  if (char* resolved = realpath(TAVORIN_BUILD_DIR, nullptr)) {
    std::string build = WithoutTrailingSlash(resolved) + "/";
    std::free(resolved);
    if (program.compare(0, build.size(), build) == 0) return TAVORIN_SOURCE_DATA_DIR;
  }
#endif
  (void)program;
  return std::string();
}

void AddFolder(std::vector<std::string>& folders, std::string folder) {
  if (folder.empty() || folder.front() != '/') return;
  folder = WithoutTrailingSlash(folder) + "/";
  for (const std::string& known : folders)
    if (known == folder) return;
  folders.push_back(folder);
}

std::vector<std::string> NativeDataFolders() {
  std::vector<std::string> folders;
  std::string program = NativeProgramPath();
  size_t slash = program.find_last_of('/');
  if (slash != std::string::npos) {
    std::string folder = program.substr(0, slash);
    AddFolder(folders, folder);
    AddFolder(folders, SourceDataFolder(program));
    // <prefix>/bin/tavorin reads <prefix>/share/tavorin.
    size_t parent = folder.find_last_of('/');
    if (parent != std::string::npos && parent > 0) AddFolder(folders, folder.substr(0, parent) + "/share/tavorin");
  }
  const char* dirs = std::getenv("XDG_DATA_DIRS");
  std::string list = dirs && *dirs ? dirs : "/usr/local/share:/usr/share";
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    std::string entry = list.substr(start, end - start);
    if (!entry.empty() && entry.front() == '/') AddFolder(folders, WithoutTrailingSlash(entry) + "/tavorin");
    start = end + 1;
  }
  return folders;
}

}  // namespace

std::string FindShippedFile(const char* name) {
  if (!name || !*name) return std::string();
  std::string native = NativePath(name);
  for (const std::string& folder : NativeDataFolders()) {
    struct stat st;
    if (stat((folder + native).c_str(), &st) == 0) return AnsiFromNative(folder + native);
  }
  return std::string();
}
