#include "platform/win32/find.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/win32/codepage.h"
#include "platform/win32/error.h"
#include "platform/win32/files.h"
#include "platform/win32/files_p.h"
#include "platform/win32/handle.h"
#include "platform/win32/kernel_object_p.h"
#include "platform/win32/systemtime.h"

using namespace win32_p;

namespace {

struct FindSearch : KernelObject {
  std::vector<WIN32_FIND_DATAA> entries;
  size_t next = 0;  // guarded by KernelMutex()
};

std::string Folded(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = static_cast<char>(AnsiToLower(static_cast<unsigned char>(c)));
  return out;
}

// Iterative match with backtracking to the last '*': linear in practice, never recursive.
bool Match(const std::string& name, const std::string& pattern) {
  size_t n = 0, p = 0, starP = std::string::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool FillEntry(const std::string& folder, const std::string& nativeName, const std::string& ansiName,
               WIN32_FIND_DATAA& entry) {
  if (ansiName.size() >= MAX_PATH) return false;
  std::string full = folder + "/" + nativeName;
  struct stat st;
  if (stat(full.c_str(), &st) != 0 && lstat(full.c_str(), &st) != 0) return false;
  std::memset(&entry, 0, sizeof entry);
  DWORD attributes = 0;
  if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
  if (!(st.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
  entry.dwFileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  entry.ftCreationTime = FileTimeFromUnixTime(st.st_ctim.tv_sec, st.st_ctim.tv_nsec);
  entry.ftLastAccessTime = FileTimeFromUnixTime(st.st_atim.tv_sec, st.st_atim.tv_nsec);
  entry.ftLastWriteTime = FileTimeFromUnixTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
  uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
  entry.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  entry.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
  std::memcpy(entry.cFileName, ansiName.c_str(), ansiName.size() + 1);
  return true;
}

}  // namespace

BOOL WildcardMatchAnsi(LPCSTR name, LPCSTR pattern) {
  if (!name || !pattern) return FALSE;
  std::string folded = Folded(pattern);
  if (folded == "*.*") return TRUE;
  return Match(Folded(name), folded) ? TRUE : FALSE;
}

HANDLE FindFirstFileA(LPCSTR pathPattern, LPWIN32_FIND_DATAA findData) {
  if (!pathPattern || !*pathPattern || !findData) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  std::string ansi = pathPattern;
  size_t slash = ansi.find_last_of('/');
  std::string pattern = slash == std::string::npos ? ansi : ansi.substr(slash + 1);
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : ansi.substr(0, slash);
  if (pattern.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  std::string nativeFolder = NativePath(folder.c_str());
  DIR* dir = opendir(nativeFolder.c_str());
  if (!dir) {
    int err = errno;
    SetLastError(err == ENOENT || err == ENOTDIR ? ERROR_PATH_NOT_FOUND : Win32ErrorFromErrno(err));
    return INVALID_HANDLE_VALUE;
  }
  auto* search = new (std::nothrow) FindSearch;
  if (!search) {
    closedir(dir);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
  std::vector<std::pair<std::string, WIN32_FIND_DATAA>> found;
  while (dirent* item = readdir(dir)) {
    std::string nativeName = item->d_name;
    if (nativeName == "." || nativeName == "..") continue;
    std::string ansiName = AnsiFromNative(nativeName);
    if (!WildcardMatchAnsi(ansiName.c_str(), pattern.c_str())) continue;
    WIN32_FIND_DATAA entry;
    if (FillEntry(nativeFolder, nativeName, ansiName, entry)) found.emplace_back(Folded(ansiName), entry);
  }
  closedir(dir);
  if (found.empty()) {
    delete search;
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : std::strcmp(a.second.cFileName, b.second.cFileName) < 0;
  });
  for (auto& item : found) search->entries.push_back(item.second);
  *findData = search->entries[0];
  search->next = 1;
  return RegisterKernelObject(search);
}

BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA findData) {
  FindSearch* search = RetainKernelObjectAs<FindSearch>(find);
  if (!search) return FALSE;
  BOOL ok = FALSE;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    if (!findData) {
      SetLastError(ERROR_INVALID_PARAMETER);
    } else if (search->next >= search->entries.size()) {
      SetLastError(ERROR_NO_MORE_FILES);
    } else {
      *findData = search->entries[search->next++];
      ok = TRUE;
    }
  }
  ReleaseKernelObject(search);
  return ok;
}

BOOL FindClose(HANDLE find) {
  FindSearch* search = RetainKernelObjectAs<FindSearch>(find);
  if (!search) return FALSE;
  ReleaseKernelObject(search);
  return CloseHandle(find);
}
