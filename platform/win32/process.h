// Starting other programs. Never through a shell: the program and its arguments go to the
// kernel as an argv array (posix_spawn), so no character in them is interpreted. A process
// handle is a kernel object: WaitForSingleObject waits for the end, GetExitCodeProcess reads
// the code (STILL_ACTIVE before). A program killed by a signal ends with 128 + the signal.
// Arguments are the program's 1252 strings; they reach the program as UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32/windef.h"

#define CREATE_NEW_CONSOLE 0x00000010u
#define CREATE_NO_WINDOW 0x08000000u
#define STARTF_USESHOWWINDOW 0x00000001u
#define _P_WAIT 0
#define _P_NOWAIT 1

struct STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX, dwY, dwXSize, dwYSize, dwXCountChars, dwYCountChars, dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput, hStdOutput, hStdError;
};
typedef STARTUPINFOA STARTUPINFO;
typedef STARTUPINFOA* LPSTARTUPINFOA;
typedef STARTUPINFOA* LPSTARTUPINFO;

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;  // a second handle to the process: there are no separate main threads here
  DWORD dwProcessId;
  DWORD dwThreadId;
};
typedef PROCESS_INFORMATION* LPPROCESS_INFORMATION;

/// Starts the program named by applicationName, or else by the first element of the command
/// line (searched on PATH when it has no '/'); the command line is split into arguments as
/// the original platform's C runtime splits it. Console and window flags are ignored; a
/// custom environment block is refused (ERROR_NOT_SUPPORTED). Returns FALSE with the last
/// error set when the program cannot be started; the caller closes both handles.
BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
                    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                    LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                    LPPROCESS_INFORMATION processInformation);
#define CreateProcess CreateProcessA
/// STILL_ACTIVE while the process runs; FALSE (ERROR_INVALID_HANDLE) for a bad handle.
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exitCode);
/// Kills a running process (SIGKILL); its exit code becomes exitCode. TRUE if it had ended.
BOOL TerminateProcess(HANDLE process, UINT exitCode);

/// The C runtime's spawn: as on the original platform the arguments are joined with blanks
/// and split again by the command-line rules, so callers quote arguments holding blanks.
/// _P_WAIT returns the exit code, _P_NOWAIT a process handle (as a number) the caller may
/// close; -1 with errno set (ENOENT, ENOEXEC, E2BIG, ENOMEM, ...) when it cannot start.
intptr_t _spawnv(int mode, const char* cmdName, const char* const* argv);
/// Same, searching PATH for a program name without '/'.
intptr_t _spawnvp(int mode, const char* cmdName, const char* const* argv);
/// _spawnv with the child starting in `directory` (NULL: ours); a relative cmdName resolves there.
intptr_t SpawnvIn(int mode, const char* directory, const char* cmdName, const char* const* argv);

/// Splits a command line into arguments: blanks separate, double quotes group, 2n
/// backslashes before a quote give n backslashes, 2n+1 give n and a literal quote; the
/// program name (first element) takes quotes without backslash escapes.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

/// Starts argv[0] (searched on PATH when it has no '/') with exactly these arguments, in
/// currentDirectory when not NULL. Returns the process handle, or NULL with the last error
/// set; the caller closes it.
HANDLE StartProcess(const std::vector<std::string>& argv, LPCSTR currentDirectory = nullptr);
/// The process id of a process handle; 0 for a handle that is not a process.
DWORD GetProcessId(HANDLE process);
/// Starts argv and waits up to timeout milliseconds (INFINITE allowed). TRUE with the exit
/// code when it ended; FALSE with ERROR_TIMEOUT when it still runs (it is left running), or
/// with the start error.
BOOL RunProcess(const std::vector<std::string>& argv, DWORD timeout, LPDWORD exitCode);

/// Start time of a running process in clock ticks since boot; 0 when it is gone or a zombie.
/// With the pid it tells a live owner from a later process that reused its pid.
unsigned long long GetProcessStartTime(DWORD pid);
