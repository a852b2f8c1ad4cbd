// The window station folder: handle blocks, published windows and liveness of processes.
#include "platform/user/station_p.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>

#include "platform/win32/process.h"
#include "platform/win32/stationfolder.h"
#include "platform/win32/trace.h"

namespace user_p {
namespace {

const char kMagic[4] = {'T', 'V', 'S', 'T'};
const DWORD kVersion = 1;
// Station blocks are 1..0x3FFF; blocks from 0x4000 up are private to a process that could not
// take one, so its handles never collide with the station's (all stay below 0x80000000, which
// keeps them positive in a signed 4-byte field).
const DWORD kLastStationBlock = 0x3FFF;
const DWORD kPrivateBlockBase = 0x4000;
const size_t kMaxListFile = 4u << 20;
const DWORD kMaxTextField = 64u << 10;

struct PeerList {
  DWORD pid = 0;
  unsigned long long start = 0;
  std::vector<DWORD> blocks;
  std::vector<StationWindow> windows;
};

std::mutex g_mutex;  // guards everything below
std::vector<DWORD> g_blocks;
DWORD g_block = 0;
DWORD g_nextLow = 0;  // next low half in g_block; 0 = take a new block
DWORD g_privateBlocks = 0;
std::map<DWORD, StationWindow> g_published;  // handle -> window, ours
DWORD g_pid = 0;

bool IsAlive(DWORD pid, unsigned long long start) {
  if (pid == 0) return false;
  if (kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) return false;
  unsigned long long now = GetProcessStartTime(pid);
  return now != 0 && now == start;
}

void PutDword(std::string& out, DWORD value) { out.append(reinterpret_cast<const char*>(&value), 4); }

void PutText(std::string& out, const std::string& text) {
  std::string cut = text.substr(0, kMaxTextField);
  PutDword(out, static_cast<DWORD>(cut.size()));
  out += cut;
}

// A bounded reader over an untrusted list file.
struct Reader {
  const std::string& data;
  size_t at = 0;
  bool ok = true;
  DWORD Dword() {
    if (!ok || data.size() - at < 4) return ok = false, 0;
    DWORD value;
    std::memcpy(&value, data.data() + at, 4);
    at += 4;
    return value;
  }
  std::string Text() {
    DWORD size = Dword();
    if (!ok || size > kMaxTextField || data.size() - at < size) return ok = false, std::string();
    std::string text = data.substr(at, size);
    at += size;
    return text;
  }
};

bool ParseList(const std::string& data, PeerList* list) {
  if (data.size() < 8 || std::memcmp(data.data(), kMagic, 4) != 0) return false;
  Reader reader{data, 4};
  if (reader.Dword() != kVersion) return false;
  list->pid = reader.Dword();
  DWORD low = reader.Dword(), high = reader.Dword();
  list->start = (static_cast<unsigned long long>(high) << 32) | low;
  DWORD blocks = reader.Dword();
  if (!reader.ok || blocks > kLastStationBlock) return false;
  for (DWORD i = 0; i < blocks && reader.ok; ++i) list->blocks.push_back(reader.Dword());
  DWORD windows = reader.Dword();
  if (!reader.ok || windows > 65536) return false;
  for (DWORD i = 0; i < windows && reader.ok; ++i) {
    StationWindow window;
    window.hwnd = reader.Dword();
    window.pid = list->pid;
    window.className = reader.Text();
    window.title = reader.Text();
    list->windows.push_back(window);
  }
  return reader.ok;
}

std::string ReadSmallFile(const std::string& path) {
  std::string data;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return data;
  char buffer[8192];
  ssize_t count;
  while ((count = read(fd, buffer, sizeof buffer)) > 0 && data.size() < kMaxListFile) data.append(buffer, count);
  close(fd);
  return data;
}

std::string ListPath(DWORD pid) { return StationFolder() + "/" + std::to_string(pid) + ".windows"; }

// The lists of the station's live processes (ours included); dead ones are removed.
std::vector<PeerList> ScanLists() {
  std::vector<PeerList> lists;
  const std::string& folder = StationFolder();
  if (folder.empty()) return lists;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return lists;
  while (dirent* entry = readdir(dir)) {
    char* end = nullptr;
    unsigned long pid = std::strtoul(entry->d_name, &end, 10);
    if (end == entry->d_name || std::strcmp(end, ".windows") != 0 || pid == 0 || pid > 0xFFFFFFFFul) continue;
    PeerList list;
    bool parsed = ParseList(ReadSmallFile(folder + "/" + entry->d_name), &list) && list.pid == pid;
    if (parsed && IsAlive(list.pid, list.start)) {
      lists.push_back(std::move(list));
      continue;
    }
    // A list that does not parse may be one being replaced right now; only a dead pid goes.
    if (parsed || !IsAlive(static_cast<DWORD>(pid), GetProcessStartTime(static_cast<DWORD>(pid)))) {
      if (static_cast<DWORD>(pid) == g_pid) continue;
      unlink((folder + "/" + entry->d_name).c_str());
      unlink(StationSocketPath(static_cast<DWORD>(pid)).c_str());
    }
  }
  closedir(dir);
  return lists;
}

// Rewrites our list file (caller holds g_mutex); written aside and renamed, so readers never
// see half a list.
void WriteListLocked() {
  std::string out(kMagic, 4);
  PutDword(out, kVersion);
  PutDword(out, g_pid);
  unsigned long long start = GetProcessStartTime(g_pid);
  PutDword(out, static_cast<DWORD>(start));
  PutDword(out, static_cast<DWORD>(start >> 32));
  PutDword(out, static_cast<DWORD>(g_blocks.size()));
  for (DWORD block : g_blocks) PutDword(out, block);
  PutDword(out, static_cast<DWORD>(g_published.size()));
  for (auto& [hwnd, window] : g_published) {
    PutDword(out, hwnd);
    PutText(out, window.className);
    PutText(out, window.title);
  }
  std::string path = ListPath(g_pid);
  std::string temp = path + ".tmp";
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    TRACE("WriteListLocked() - cannot write %s\n", temp.c_str());
    return;
  }
  bool written = write(fd, out.data(), out.size()) == static_cast<ssize_t>(out.size());
  close(fd);
  if (!written || rename(temp.c_str(), path.c_str()) != 0) unlink(temp.c_str());
}

void RemoveOwnFiles() {
  // A forked child that exits must not take its parent's entries with it.
  if (g_pid != static_cast<DWORD>(getpid()) || StationFolder().empty()) return;
  unlink(ListPath(g_pid).c_str());
  unlink(StationSocketPath(g_pid).c_str());
}

// Takes a free station block under the station's lock; 0 when none can be had.
DWORD TakeBlockLocked() {
  std::string counterPath = StationFolder() + "/handles";
  int fd = open(counterPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return 0;
  DWORD taken = 0;
  if (flock(fd, LOCK_EX) == 0) {
    char buffer[32] = {};
    ssize_t count = pread(fd, buffer, sizeof buffer - 1, 0);
    DWORD next = count > 0 ? static_cast<DWORD>(std::strtoul(buffer, nullptr, 10)) : 1;
    if (next < 1 || next > kLastStationBlock) next = 1;
    std::set<DWORD> used(g_blocks.begin(), g_blocks.end());
    for (const PeerList& list : ScanLists()) used.insert(list.blocks.begin(), list.blocks.end());
    for (DWORD tries = 0; tries < kLastStationBlock && !taken; ++tries) {
      if (!used.count(next)) taken = next;
      next = next % kLastStationBlock + 1;
    }
    if (taken) {
      std::string text = std::to_string(next);
      if (ftruncate(fd, 0) != 0 || pwrite(fd, text.data(), text.size(), 0) < 0) TRACE("TakeBlockLocked() - counter not saved\n");
      g_blocks.push_back(taken);
      WriteListLocked();  // published before any handle of the block leaves the process
    }
    flock(fd, LOCK_UN);
  }
  close(fd);
  return taken;
}

}  // namespace

std::string StationFolderPath() { return GetStationFolderPath(); }

bool PrepareStationFolder(const std::string& path) { return PrepareStationFolderAt(path); }

const std::string& StationFolder() {
  // Kept for the whole run: the exit handler and other threads' late calls still need it.
  static const std::string* folder = [] {
    std::string path = GetStationFolder();
    if (path.empty()) return new std::string();
    g_pid = static_cast<DWORD>(getpid());
    std::atexit(RemoveOwnFiles);
    return new std::string(path);
  }();
  return *folder;
}

std::string StationSocketPath(DWORD pid) { return StationFolder() + "/" + std::to_string(pid) + ".sock"; }

DWORD AllocateStationHandle() {
  if (StationFolder().empty()) return 0;
  DWORD value = 0;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_nextLow == 0 || g_nextLow > 0xFFFE) {
      g_block = TakeBlockLocked();
      if (!g_block) g_block = kPrivateBlockBase + (g_privateBlocks++ % kPrivateBlockBase);
      g_nextLow = 2;
    }
    value = (g_block << 16) | g_nextLow;
    g_nextLow += 2;
  }
  StartStationListener();
  return value;
}

void PublishWindow(HWND hWnd, const std::string& className, const std::string& title) {
  if (StationFolder().empty()) return;
  std::lock_guard<std::mutex> lock(g_mutex);
  StationWindow& window = g_published[HandleToDword(hWnd)];
  window.hwnd = HandleToDword(hWnd);
  window.pid = g_pid;
  window.className = className;
  window.title = title;
  WriteListLocked();
}

void PublishWindowText(HWND hWnd, const std::string& title) {
  std::lock_guard<std::mutex> lock(g_mutex);
  auto it = g_published.find(HandleToDword(hWnd));
  if (it == g_published.end() || it->second.title == title) return;
  it->second.title = title;
  WriteListLocked();
}

void UnpublishWindow(HWND hWnd) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_published.erase(HandleToDword(hWnd))) WriteListLocked();
}

std::vector<StationWindow> ForeignWindows() {
  std::vector<StationWindow> windows;
  for (PeerList& list : ScanLists()) {
    if (list.pid == g_pid) continue;
    windows.insert(windows.end(), list.windows.begin(), list.windows.end());
  }
  return windows;
}

DWORD OwnerOfForeignHandle(HWND hWnd) {
  DWORD value = HandleToDword(hWnd);
  DWORD block = value >> 16;
  if (!value || block == 0 || block > kLastStationBlock) return 0;
  for (const PeerList& list : ScanLists()) {
    if (list.pid == g_pid) continue;
    if (std::find(list.blocks.begin(), list.blocks.end(), block) != list.blocks.end()) return list.pid;
  }
  return 0;
}

bool FindForeignWindow(HWND hWnd, StationWindow* window) {
  for (const StationWindow& candidate : ForeignWindows()) {
    if (candidate.hwnd == HandleToDword(hWnd)) {
      if (window) *window = candidate;
      return true;
    }
  }
  return false;
}

}  // namespace user_p
