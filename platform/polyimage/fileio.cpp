// Whole-file reads and crash-safe writes, with the system's 1252 paths.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/polyimage/polyimage_pvt.h"
#include "platform/win32/codepage.h"

namespace pip {

namespace {

// Reads a regular file of under 2 GB into the buffer that size(bytes) hands out.
template <class Sized>
bool ReadWhole(const char* ansiPath, Sized&& sized) {
  if (!ansiPath || !*ansiPath) return false;
  // Non-blocking: a FIFO or device in the file's place is refused at once, never waited on.
  int fd = ::open(NativePath(ansiPath).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size < (int64_t(1) << 31);
  if (ok) {
    size_t size = size_t(st.st_size);
    uint8_t* data = sized(size);
    size_t done = 0;
    while (ok && done < size) {
      ssize_t n = ::read(fd, data + done, size - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) ok = false;
      else done += size_t(n);
    }
  }
  ::close(fd);
  return ok;
}

}  // namespace

bool ReadFile(const char* ansiPath, std::vector<uint8_t>& out) {
  return ReadWhole(ansiPath, [&](size_t size) {
    out.resize(size);
    return out.data();
  });
}

bool ReadFile(const char* ansiPath, Bytes& out) {
  return ReadWhole(ansiPath, [&](size_t size) {
    out = Bytes(size);
    return out.data();
  });
}

bool WriteFileAtomic(const char* ansiPath, const uint8_t* data, size_t size) {
  if (!ansiPath || !*ansiPath) return false;
  std::string path = NativePath(ansiPath);
  std::string temp = path + ".tmp-" + std::to_string(::getpid());
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  size_t done = 0;
  bool ok = true;
  while (ok && done < size) {
    ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else done += size_t(n);
  }
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

}  // namespace pip
