#include "platform/win32/error.h"

#include <cerrno>

namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;
}

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD code) { t_lastError = code; }

DWORD Win32ErrorFromErrno(int err) {
  switch (err) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS: return ERROR_ACCESS_DENIED;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case EISDIR: return ERROR_DIRECTORY;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case ETIMEDOUT: return ERROR_TIMEOUT;
    case EBUSY: return ERROR_SHARING_VIOLATION;
    case EIO: return ERROR_WRITE_FAULT;
    default: return ERROR_INVALID_FUNCTION;
  }
}
