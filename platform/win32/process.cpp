#include "platform/win32/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>

#include "platform/win32/codepage.h"
#include "platform/win32/error.h"
#include "platform/win32/handle.h"
#include "platform/win32/kernel_object_p.h"
#include "platform/win32/sync.h"
#include "platform/win32/thread.h"

extern char** environ;

using namespace win32_p;

namespace {

struct Process : KernelObject {
  pid_t pid = 0;
  bool finished = false;  // guarded by KernelMutex()
  bool terminated = false;
  DWORD exitCode = STILL_ACTIVE;
  DWORD terminateCode = 0;
  bool isSignaled() const override { return finished; }
};

DWORD ExitCodeOf(int status) {
  if (WIFEXITED(status)) return static_cast<DWORD>(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) return 128u + static_cast<DWORD>(WTERMSIG(status));
  return 0;
}

// Each child has a waiter that reaps it, so no zombie stays even when nobody waits.
void WaitForChild(Process* process) {
  int status = 0;
  pid_t result;
  do {
    result = waitpid(process->pid, &status, 0);
  } while (result < 0 && errno == EINTR);
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    process->finished = true;
    if (process->terminated) {
      process->exitCode = process->terminateCode;
    } else {
      process->exitCode = result < 0 ? 0xFFFFFFFFu : ExitCodeOf(status);
    }
  }
  KernelSignal().notify_all();
  ReleaseKernelObject(process);
}

// Spawns argv; returns 0 and the handle, or an errno value.
int Spawn(const std::string& program, const std::vector<std::string>& argv, LPCSTR currentDirectory,
          HANDLE* handle) {
  if (argv.empty() || program.empty()) return ENOENT;
  std::vector<std::string> native;
  native.reserve(argv.size());
  for (const std::string& arg : argv) native.push_back(AnsiToUtf8(arg));
  std::vector<char*> args;
  for (std::string& arg : native) args.push_back(arg.data());
  args.push_back(nullptr);
  std::string nativeProgram = AnsiToUtf8(program);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  std::string nativeDirectory;
  if (currentDirectory && *currentDirectory) {
    nativeDirectory = NativePath(currentDirectory);
    posix_spawn_file_actions_addchdir_np(&actions, nativeDirectory.c_str());
  }
  // The child starts with default signal handling and nothing blocked, whatever we set.
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

  pid_t pid = 0;
  bool search = nativeProgram.find('/') == std::string::npos;
  int err = search ? posix_spawnp(&pid, nativeProgram.c_str(), &actions, &attributes, args.data(), environ)
                   : posix_spawn(&pid, nativeProgram.c_str(), &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (err != 0) return err;

  auto* process = new (std::nothrow) Process;
  if (!process) {
    // Still reap the child we started.
    std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
    return ENOMEM;
  }
  process->pid = pid;
  process->refs.fetch_add(1);  // held by the waiter
  *handle = RegisterKernelObject(process);
  try {
    std::thread(WaitForChild, process).detach();
  } catch (const std::system_error&) {
    // Without a waiter the handle would never signal; wait here instead of lying.
    WaitForChild(process);
  }
  return 0;
}

std::string JoinArguments(const char* const* argv) {
  std::string line;
  for (size_t i = 0; argv && argv[i]; ++i) {
    if (i) line += ' ';
    line += argv[i];
  }
  return line;
}

intptr_t SpawnCrt(int mode, const char* cmdName, const char* const* argv, bool searchPath,
                  const char* directory = nullptr) {
  if (!cmdName || !*cmdName || !argv || !argv[0] || (mode != _P_WAIT && mode != _P_NOWAIT)) {
    errno = EINVAL;
    return -1;
  }
  std::string program = cmdName;
  // Without a search the name is a path, relative or not; make it look like one to Spawn.
  if (!searchPath && program.find('/') == std::string::npos) program = "./" + program;
  HANDLE handle = nullptr;
  int err = Spawn(program, SplitCommandLine(JoinArguments(argv)), directory, &handle);
  if (err != 0) {
    errno = err;
    return -1;
  }
  if (mode == _P_NOWAIT) return reinterpret_cast<intptr_t>(handle);
  WaitForSingleObject(handle, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(handle, &code);
  CloseHandle(handle);
  return static_cast<intptr_t>(code);
}

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& line) {
  std::vector<std::string> args;
  size_t i = 0, n = line.size();
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (i < n && blank(line[i])) ++i;
  if (i >= n) return args;

  // The program name: quotes group, backslashes are plain.
  std::string program;
  bool quoted = false;
  for (; i < n && (quoted || !blank(line[i])); ++i) {
    if (line[i] == '"') {
      quoted = !quoted;
    } else {
      program += line[i];
    }
  }
  args.push_back(program);

  for (;;) {
    while (i < n && blank(line[i])) ++i;
    if (i >= n) break;
    std::string arg;
    quoted = false;
    while (i < n && (quoted || !blank(line[i]))) {
      if (line[i] == '\\') {
        size_t count = 0;
        while (i < n && line[i] == '\\') {
          ++count;
          ++i;
        }
        if (i < n && line[i] == '"') {
          arg.append(count / 2, '\\');
          if (count % 2) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(count, '\\');
        }
      } else if (line[i] == '"') {
        if (quoted && i + 1 < n && line[i + 1] == '"') {
          arg += '"';  // "" inside quotes is a literal quote
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        arg += line[i++];
      }
    }
    args.push_back(arg);
  }
  return args;
}

BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                    BOOL, DWORD, LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA,
                    LPPROCESS_INFORMATION info) {
  if (!info || (!applicationName && !commandLine)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (environment) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  std::vector<std::string> argv = SplitCommandLine(commandLine ? commandLine : "");
  std::string program = applicationName && *applicationName ? applicationName : argv.empty() ? "" : argv[0];
  if (argv.empty()) argv.push_back(program);
  HANDLE handle = nullptr;
  int err = Spawn(program, argv, currentDirectory, &handle);
  if (err != 0) {
    SetLastError(err == ENOENT ? ERROR_FILE_NOT_FOUND : Win32ErrorFromErrno(err));
    return FALSE;
  }
  auto* process = static_cast<Process*>(handle);
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    ++process->handles;
    process->refs.fetch_add(1);
  }
  info->hProcess = handle;
  info->hThread = handle;
  info->dwProcessId = static_cast<DWORD>(process->pid);
  info->dwThreadId = static_cast<DWORD>(process->pid);
  return TRUE;
}

DWORD GetProcessId(HANDLE handle) {
  Process* process = RetainKernelObjectAs<Process>(handle);
  if (!process) return 0;
  const DWORD pid = static_cast<DWORD>(process->pid);
  ReleaseKernelObject(process);
  return pid;
}

BOOL GetExitCodeProcess(HANDLE handle, LPDWORD exitCode) {
  Process* process = RetainKernelObjectAs<Process>(handle);
  if (!process) return FALSE;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    if (exitCode) *exitCode = process->finished ? process->exitCode : STILL_ACTIVE;
  }
  ReleaseKernelObject(process);
  return TRUE;
}

BOOL TerminateProcess(HANDLE handle, UINT exitCode) {
  Process* process = RetainKernelObjectAs<Process>(handle);
  if (!process) return FALSE;
  {
    // The pid is still ours while not finished: the waiter has not reaped it yet.
    std::lock_guard<std::mutex> lock(KernelMutex());
    if (!process->finished) {
      process->terminated = true;
      process->terminateCode = exitCode;
      kill(process->pid, SIGKILL);
    }
  }
  ReleaseKernelObject(process);
  return TRUE;
}

intptr_t _spawnv(int mode, const char* cmdName, const char* const* argv) {
  return SpawnCrt(mode, cmdName, argv, false);
}

intptr_t _spawnvp(int mode, const char* cmdName, const char* const* argv) {
  return SpawnCrt(mode, cmdName, argv, true);
}

intptr_t SpawnvIn(int mode, const char* directory, const char* cmdName, const char* const* argv) {
  return SpawnCrt(mode, cmdName, argv, false, directory);
}

HANDLE StartProcess(const std::vector<std::string>& argv, LPCSTR currentDirectory) {
  HANDLE handle = nullptr;
  int err = Spawn(argv.empty() ? std::string() : argv[0], argv, currentDirectory, &handle);
  if (err != 0) {
    SetLastError(err == ENOENT ? ERROR_FILE_NOT_FOUND : Win32ErrorFromErrno(err));
    return nullptr;
  }
  return handle;
}

BOOL RunProcess(const std::vector<std::string>& argv, DWORD timeout, LPDWORD exitCode) {
  HANDLE process = StartProcess(argv);
  if (!process) return FALSE;
  DWORD waited = WaitForSingleObject(process, timeout);
  BOOL ok = waited == WAIT_OBJECT_0 && GetExitCodeProcess(process, exitCode);
  CloseHandle(process);
  if (!ok) SetLastError(waited == WAIT_TIMEOUT ? ERROR_TIMEOUT : ERROR_INVALID_HANDLE);
  return ok;
}

unsigned long long GetProcessStartTime(DWORD pid) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%u/stat", pid);
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char buffer[1024];
  ssize_t count = read(fd, buffer, sizeof buffer - 1);
  close(fd);
  if (count <= 0) return 0;
  buffer[count] = '\0';
  // The command name may hold spaces and brackets; fields go on after the last ')'.
  char* p = std::strrchr(buffer, ')');
  if (!p || p[1] != ' ') return 0;
  p += 2;
  if (*p == 'Z' || *p == 'X') return 0;
  // p is field 3 (state); the start time is field 22.
  for (int field = 3; field < 22; ++field) {
    p = std::strchr(p, ' ');
    if (!p) return 0;
    ++p;
  }
  return std::strtoull(p, nullptr, 10);
}
