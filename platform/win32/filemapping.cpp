#include "platform/win32/filemapping.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>

#include "platform/win32/error.h"
#include "platform/win32/kernel_object_p.h"
#include "platform/win32/process.h"
#include "platform/win32/stationfolder.h"
#include "platform/win32/trace.h"

namespace {

const char kMagic[8] = {'T', 'V', 'M', 'A', 'P', '0', '1', '\0'};
const size_t kHeaderSize = 4096;
const unsigned long long kMaxSize = 1ull << 30;
const unsigned long long kGranularity = 65536;
const int kSlots = 64;

struct Slot {
  uint32_t pid;
  uint32_t reserved;
  uint64_t start;
};
struct BlockHeader {
  char magic[8];
  uint64_t size;
  Slot slots[kSlots];
};
static_assert(sizeof(BlockHeader) <= kHeaderSize, "header fits its page");

bool SlotAlive(const Slot& slot) {
  if (!slot.pid) return false;
  if (kill(static_cast<pid_t>(slot.pid), 0) != 0 && errno == ESRCH) return false;
  return GetProcessStartTime(slot.pid) == slot.start;
}

bool ReadHeader(int fd, BlockHeader* header) {
  struct stat st;
  if (fstat(fd, &st) != 0 || static_cast<size_t>(st.st_size) < kHeaderSize) return false;
  if (pread(fd, header, sizeof *header, 0) != static_cast<ssize_t>(sizeof *header)) return false;
  if (std::memcmp(header->magic, kMagic, sizeof kMagic) != 0) return false;
  // Untrusted: the recorded size must be what the block really holds.
  return header->size > 0 && header->size <= kMaxSize &&
         static_cast<unsigned long long>(st.st_size) == kHeaderSize + header->size;
}

bool WriteHeader(int fd, const BlockHeader& header) {
  return pwrite(fd, &header, sizeof header, 0) == static_cast<ssize_t>(sizeof header);
}

// Drops dead slots; returns how many live ones remain.
int PurgeDeadSlots(BlockHeader* header) {
  int live = 0;
  for (Slot& slot : header->slots) {
    if (SlotAlive(slot)) {
      ++live;
    } else {
      slot = Slot{};
    }
  }
  return live;
}

void AddOwnSlot(BlockHeader* header) {
  uint32_t self = static_cast<uint32_t>(getpid());
  for (Slot& slot : header->slots) {
    if (slot.pid == self) return;
  }
  for (Slot& slot : header->slots) {
    if (!slot.pid) {
      slot = Slot{self, 0, GetProcessStartTime(self)};
      return;
    }
  }
  // More users than slots: the block works, only its staleness can no longer be told for us.
  TRACE("AddOwnSlot() - every slot of the shared block is taken\n");
}

// "<station folder>/<name>.block", with bytes outside [A-Za-z0-9._-] written as %XX. The
// folder is the user's private one of this desktop session, so nobody else can take the name.
bool ShmName(const char* name, std::string* out) {
  if (!name || !*name || std::strlen(name) > 200) return false;
  const std::string& folder = GetStationFolder();
  if (folder.empty()) return false;
  *out = folder + "/";
  for (const char* p = name; *p; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (std::isalnum(c) || c == '.' || c == '_' || c == '-') {
      *out += static_cast<char>(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      *out += escaped;
    }
  }
  *out += ".block";
  return true;
}

// This process's hold on one named block: the slot in its header. Handles and views share
// it; the last one to go takes our slot out and removes the block when nobody is left.
struct Attachment {
  std::string name;
  int fd = -1;
  unsigned long long size = 0;
  ~Attachment() {
    if (flock(fd, LOCK_EX) == 0) {
      BlockHeader header;
      if (ReadHeader(fd, &header)) {
        uint32_t self = static_cast<uint32_t>(getpid());
        for (Slot& slot : header.slots) {
          if (slot.pid == self) slot = Slot{};
        }
        if (PurgeDeadSlots(&header) == 0) {
          unlink(name.c_str());
        } else {
          WriteHeader(fd, header);
        }
      }
      flock(fd, LOCK_UN);
    }
    close(fd);
  }
};

std::mutex g_mutex;  // guards the two maps
std::map<std::string, std::weak_ptr<Attachment>>& Attachments() {
  static auto* attachments = new std::map<std::string, std::weak_ptr<Attachment>>;
  return *attachments;
}
struct View {
  size_t length;
  std::shared_ptr<Attachment> attachment;
};
std::map<const char*, View>& Views() {
  static auto* views = new std::map<const char*, View>;
  return *views;
}

struct MappingObject : win32_p::KernelObject {
  std::shared_ptr<Attachment> attachment;
  bool writable = true;
};

enum class Mode { kCreate, kOpen };

// Opens the named block under its lock and attaches to it. For kCreate a missing or stale
// block is (re)made with `size` zero bytes and *existed is false.
std::shared_ptr<Attachment> Attach(const std::string& name, Mode mode, unsigned long long size, bool* existed) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = Attachments().find(name);
    if (it != Attachments().end()) {
      if (std::shared_ptr<Attachment> held = it->second.lock()) {
        *existed = true;
        return held;
      }
    }
  }
  for (int attempt = 0; attempt < 8; ++attempt) {
    int flags = O_RDWR | O_CLOEXEC | O_NOFOLLOW | (mode == Mode::kCreate ? O_CREAT : 0);
    int fd = open(name.c_str(), flags, 0600);
    if (fd < 0) {
      SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : Win32ErrorFromErrno(errno));
      return nullptr;
    }
    struct stat st;
    if (flock(fd, LOCK_EX) != 0 || fstat(fd, &st) != 0) {
      SetLastError(Win32ErrorFromErrno(errno));
      close(fd);
      return nullptr;
    }
    if (st.st_uid != geteuid()) {
      SetLastError(ERROR_ACCESS_DENIED);  // not ours: never trust or change it
      close(fd);
      return nullptr;
    }
    if (st.st_nlink == 0) {
      close(fd);  // removed by its last user while we waited for the lock: look again
      continue;
    }
    BlockHeader header;
    bool valid = ReadHeader(fd, &header);
    bool live = valid && PurgeDeadSlots(&header) > 0;
    if (!live && mode == Mode::kOpen) {
      // Nobody alive holds it: the mapping is gone, as it would be with its last process.
      unlink(name.c_str());
      close(fd);
      SetLastError(ERROR_FILE_NOT_FOUND);
      return nullptr;
    }
    if (!live) {
      std::memset(&header, 0, sizeof header);
      std::memcpy(header.magic, kMagic, sizeof kMagic);
      header.size = size;
      if (fchmod(fd, 0600) != 0 || ftruncate(fd, 0) != 0 ||
          ftruncate(fd, static_cast<off_t>(kHeaderSize + size)) != 0) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        unlink(name.c_str());
        close(fd);
        return nullptr;
      }
    }
    AddOwnSlot(&header);
    bool written = WriteHeader(fd, header);
    flock(fd, LOCK_UN);
    if (!written) {
      SetLastError(ERROR_WRITE_FAULT);
      close(fd);
      return nullptr;
    }
    auto attachment = std::make_shared<Attachment>();
    attachment->name = name;
    attachment->fd = fd;
    attachment->size = header.size;
    *existed = live;
    std::lock_guard<std::mutex> lock(g_mutex);
    Attachments()[name] = attachment;
    return attachment;
  }
  SetLastError(ERROR_ACCESS_DENIED);
  return nullptr;
}

HANDLE HandleFor(std::shared_ptr<Attachment> attachment, bool writable) {
  auto* object = new (std::nothrow) MappingObject;
  if (!object) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  object->attachment = std::move(attachment);
  object->writable = writable;
  return win32_p::RegisterKernelObject(object);
}

// The view holding an address, or Views().end() (caller holds g_mutex).
std::map<const char*, View>::iterator ViewOf(const char* address) {
  auto& views = Views();
  auto it = views.upper_bound(address);
  if (it == views.begin()) return views.end();
  --it;
  return address < it->first + it->second.length ? it : views.end();
}

}  // namespace

std::string SharedBlockPath(const char* name) {
  std::string shmName;
  return ShmName(name, &shmName) ? shmName : std::string();
}

HANDLE CreateFileMappingA(HANDLE file, LPSECURITY_ATTRIBUTES attributes, DWORD protect, DWORD maximumSizeHigh,
                          DWORD maximumSizeLow, LPCSTR name) {
  (void)attributes;
  unsigned long long size = (static_cast<unsigned long long>(maximumSizeHigh) << 32) | maximumSizeLow;
  std::string shmName;
  if (file != INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_NOT_SUPPORTED);  // only page-file mappings are shared between processes here
    return nullptr;
  }
  if (GetStationFolder().empty()) {
    SetLastError(ERROR_ACCESS_DENIED);  // no private folder to keep the block in
    return nullptr;
  }
  if (size == 0 || size > kMaxSize || (protect != PAGE_READWRITE && protect != PAGE_READONLY) ||
      !ShmName(name, &shmName)) {
    SetLastError(name && *name ? ERROR_INVALID_PARAMETER : ERROR_INVALID_NAME);
    return nullptr;
  }
  bool existed = false;
  std::shared_ptr<Attachment> attachment = Attach(shmName, Mode::kCreate, size, &existed);
  if (!attachment) return nullptr;
  HANDLE handle = HandleFor(std::move(attachment), protect == PAGE_READWRITE);
  if (handle) SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return handle;
}

HANDLE OpenFileMappingA(DWORD desiredAccess, BOOL inheritHandle, LPCSTR name) {
  (void)inheritHandle;
  std::string shmName;
  if (!ShmName(name, &shmName)) {
    SetLastError(GetStationFolder().empty() ? ERROR_ACCESS_DENIED : ERROR_INVALID_NAME);
    return nullptr;
  }
  bool existed = false;
  std::shared_ptr<Attachment> attachment = Attach(shmName, Mode::kOpen, 0, &existed);
  if (!attachment) return nullptr;
  return HandleFor(std::move(attachment), (desiredAccess & FILE_MAP_WRITE) != 0);
}

LPVOID MapViewOfFile(HANDLE mapping, DWORD desiredAccess, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes) {
  auto* object = win32_p::RetainKernelObjectAs<MappingObject>(mapping);
  if (!object) return nullptr;
  std::shared_ptr<Attachment> attachment = object->attachment;
  bool writable = object->writable;
  win32_p::ReleaseKernelObject(object);
  unsigned long long offset = (static_cast<unsigned long long>(offsetHigh) << 32) | offsetLow;
  bool wantWrite = (desiredAccess & FILE_MAP_WRITE) != 0;
  if (offset % kGranularity != 0 || offset >= attachment->size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (bytes == 0) bytes = static_cast<SIZE_T>(attachment->size - offset);
  if (bytes > attachment->size - offset || (wantWrite && !writable)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  int protection = PROT_READ | (wantWrite ? PROT_WRITE : 0);
  void* address = mmap(nullptr, bytes, protection, MAP_SHARED, attachment->fd, static_cast<off_t>(kHeaderSize + offset));
  if (address == MAP_FAILED) {
    SetLastError(Win32ErrorFromErrno(errno));
    return nullptr;
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  Views()[static_cast<const char*>(address)] = View{bytes, std::move(attachment)};
  return address;
}

BOOL UnmapViewOfFile(LPCVOID baseAddress) {
  std::shared_ptr<Attachment> attachment;  // released after the lock: it may take the block's lock
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = Views().find(static_cast<const char*>(baseAddress));
    if (it == Views().end()) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    munmap(const_cast<char*>(it->first), it->second.length);
    attachment = std::move(it->second.attachment);
    Views().erase(it);
  }
  return TRUE;
}

BOOL FlushViewOfFile(LPCVOID baseAddress, SIZE_T bytes) {
  std::lock_guard<std::mutex> lock(g_mutex);
  const char* address = static_cast<const char*>(baseAddress);
  auto it = ViewOf(address);
  if (it == Views().end()) {
    SetLastError(ERROR_INVALID_ADDRESS);
    return FALSE;
  }
  size_t left = it->second.length - static_cast<size_t>(address - it->first);
  if (bytes == 0 || bytes > left) bytes = left;
  // msync wants a page-aligned start.
  uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  uintptr_t start = reinterpret_cast<uintptr_t>(address) & ~(page - 1);
  size_t length = bytes + (reinterpret_cast<uintptr_t>(address) - start);
  // The block stands for page-file memory: other processes see the shared pages at once, and
  // nothing needs to reach the disk (the station folder may be on one), so no waiting here.
  std::atomic_thread_fence(std::memory_order_seq_cst);
  if (msync(reinterpret_cast<void*>(start), length, MS_ASYNC) != 0) {
    SetLastError(Win32ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}
