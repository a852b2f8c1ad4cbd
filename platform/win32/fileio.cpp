#include "platform/win32/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/win32/codepage.h"
#include "platform/win32/error.h"
#include "platform/win32/files.h"
#include "platform/win32/files_p.h"
#include "platform/win32/kernel_object_p.h"

namespace {

struct FileObject : win32_p::KernelObject {
  explicit FileObject(int descriptor) : fd(descriptor) {}
  ~FileObject() override {
    if (fd >= 0) ::close(fd);
  }
  int fd;
};

// Keeps the object alive while a call uses it, even if another thread closes the handle.
class FileRef {
 public:
  explicit FileRef(HANDLE handle) : file_(win32_p::RetainKernelObjectAs<FileObject>(handle)) {}
  ~FileRef() {
    if (file_) win32_p::ReleaseKernelObject(file_);
  }
  FileRef(const FileRef&) = delete;
  FileRef& operator=(const FileRef&) = delete;
  FileObject* operator->() const { return file_; }
  explicit operator bool() const { return file_ != nullptr; }

 private:
  FileObject* file_;
};

}  // namespace

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD creationDisposition, DWORD,
                   HANDLE) {
  if (!path || !*path) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  int flags = O_CLOEXEC;
  bool read = access & GENERIC_READ, write = access & GENERIC_WRITE;
  flags |= read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
  switch (creationDisposition) {
    case CREATE_NEW: flags |= O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: flags |= O_CREAT | O_TRUNC; break;
    case OPEN_EXISTING: break;
    case OPEN_ALWAYS: flags |= O_CREAT; break;
    case TRUNCATE_EXISTING: flags |= O_TRUNC; break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_HANDLE_VALUE;
  }
  if ((flags & (O_CREAT | O_TRUNC)) && !write) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  std::string native = NativePath(path);
  int fd = ::open(native.c_str(), flags, 0666);
  if (fd < 0) {
    if (errno == EEXIST) {
      SetLastError(ERROR_FILE_EXISTS);
    } else {
      win32_p::SetLastErrorFromErrno(errno, native);
    }
    return INVALID_HANDLE_VALUE;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  if (creationDisposition == CREATE_ALWAYS || creationDisposition == OPEN_ALWAYS) {
    // Both succeed on an existing file and say so through the last error.
    SetLastError(ERROR_SUCCESS);
  }
  return win32_p::RegisterKernelObject(new FileObject(fd));
}

BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped) {
  if (read) *read = 0;
  FileRef ref(file);
  if (!ref) return FALSE;
  if (overlapped || (!buffer && toRead)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  size_t done = 0;
  while (done < toRead) {
    ssize_t n = ::read(ref->fd, static_cast<char*>(buffer) + done, toRead - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      SetLastError(Win32ErrorFromErrno(errno));
      return FALSE;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  if (read) *read = static_cast<DWORD>(done);
  return TRUE;
}

BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped) {
  if (written) *written = 0;
  FileRef ref(file);
  if (!ref) return FALSE;
  if (overlapped || (!buffer && toWrite)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  size_t done = 0;
  while (done < toWrite) {
    ssize_t n = ::write(ref->fd, static_cast<const char*>(buffer) + done, toWrite - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      if (written) *written = static_cast<DWORD>(done);
      SetLastError(Win32ErrorFromErrno(errno == EFBIG ? ENOSPC : errno));
      return FALSE;
    }
    done += static_cast<size_t>(n);
  }
  if (written) *written = static_cast<DWORD>(done);
  return TRUE;
}

DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh) {
  FileRef ref(file);
  if (!ref) return INVALID_FILE_SIZE;
  struct stat st;
  if (fstat(ref->fd, &st) != 0) {
    SetLastError(Win32ErrorFromErrno(errno));
    return INVALID_FILE_SIZE;
  }
  auto size = static_cast<unsigned long long>(st.st_size);
  if (sizeHigh) *sizeHigh = static_cast<DWORD>(size >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size & 0xFFFFFFFFu);
}

DWORD SetFilePointer(HANDLE file, LONG distance, LONG* distanceHigh, DWORD moveMethod) {
  FileRef ref(file);
  if (!ref) return INVALID_SET_FILE_POINTER;
  long long offset = distanceHigh ? (static_cast<long long>(*distanceHigh) << 32) | static_cast<DWORD>(distance)
                                  : static_cast<long long>(distance);
  int whence = moveMethod == FILE_BEGIN ? SEEK_SET : moveMethod == FILE_CURRENT ? SEEK_CUR : SEEK_END;
  off_t result = ::lseek(ref->fd, static_cast<off_t>(offset), whence);
  if (result < 0) {
    SetLastError(Win32ErrorFromErrno(errno));
    return INVALID_SET_FILE_POINTER;
  }
  if (distanceHigh) *distanceHigh = static_cast<LONG>(static_cast<unsigned long long>(result) >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(static_cast<unsigned long long>(result) & 0xFFFFFFFFu);
}

BOOL MoveFileExA(LPCSTR existingPath, LPCSTR newPath, DWORD flags) {
  if (!(flags & MOVEFILE_REPLACE_EXISTING)) return MoveFileA(existingPath, newPath);
  if (!existingPath || !newPath) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string from = NativePath(existingPath), to = NativePath(newPath);
  if (::rename(from.c_str(), to.c_str()) != 0) {
    win32_p::SetLastErrorFromErrno(errno, from);
    return FALSE;
  }
  return TRUE;
}
