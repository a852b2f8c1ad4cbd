#include "photobooth/StatusCommand.h"

#include <cerrno>
#include <string>
#include <vector>

#include "app/SettingsStore.h"
#include "platform/user/messagebox.h"
#include "platform/win32/handle.h"
#include "platform/win32/process.h"

intptr_t (*g_pfnStatusCommandSpawn)(int, const char*, const char* const*) = _spawnvp;

namespace {

void ShowError(CWnd* parent, const CString& text) { ::MessageBoxA(parent->m_hWnd, text, "Tavorin", MB_ICONERROR); }

// The spawn joins its arguments with blanks and splits them again: one with a blank is quoted.
std::string Quoted(const std::string& argument) {
  return argument.find(' ') == std::string::npos ? argument : "\"" + argument + "\"";
}

}  // namespace

void RunStatusCommand(CWnd* parent, const char* commandLine, const char* status) {
  if (!g_bPhotoboothStatusCmdEnable || !commandLine || !*commandLine || !parent) return;
  CString line(commandLine);
  line.Trim();
  if (line.IsEmpty()) return;

  std::string program;
  CString rest;
  if (line[0] == '"') {
    int closing = line.Find('"', 1);
    if (closing < 3) {
      ShowError(parent, "Invalid command line - no closing quotes:\n" + line);
      return;
    }
    program = line.Mid(1, closing - 1).GetString();
    rest = line.Mid(closing + 1);
  } else {
    CString lower = line;
    lower.MakeLower();
    int end = lower.Find(".exe", 1);
    if (end < 0) end = lower.Find(".bat", 1);
    if (end >= 0) {
      program = line.Left(end + 4).GetString();
      rest = line.Mid(end + 4);
    } else {
      // No program extension (the usual case here): the line splits as a command line does.
      rest = line;
    }
  }
  rest.Trim();
  std::vector<std::string> arguments = SplitCommandLine(rest.GetString());
  if (program.empty()) {
    if (arguments.empty()) return;
    program = arguments.front();
    arguments.erase(arguments.begin());
  }
  arguments.emplace_back(status ? status : "");

  std::vector<std::string> argv;
  argv.push_back(Quoted(program));
  for (const std::string& argument : arguments) argv.push_back(Quoted(argument));
  std::vector<const char*> pointers;
  for (const std::string& argument : argv) pointers.push_back(argument.c_str());
  pointers.push_back(nullptr);

  errno = 0;
  intptr_t started = g_pfnStatusCommandSpawn(_P_NOWAIT, program.c_str(), pointers.data());
  if (started != -1) {
    if (started != 0) CloseHandle(reinterpret_cast<HANDLE>(started));  // not waited for
    return;
  }
  CString text = "Error trying to run command:\n";
  switch (errno) {
    case ENOENT:
      text += "ENOENT: File or path not found\n";
      break;
    case E2BIG:
      text += "E2BIG: Argument list exceeds 1024 bytes\n";
      break;
    case ENOEXEC:
      text += "ENOEXEC: Specified file is not executable or has invalid executable-file format\n";
      break;
    case ENOMEM:
      text += "ENOMEM: Not enough memory is available to execute new process\n";
      break;
    default:
      break;
  }
  text += "cmd: " + CString(program.c_str()) + "\n";
  for (size_t i = 0; i < argv.size(); ++i) {
    CString argument;
    argument.Format("arg %d: %s\n", static_cast<int>(i), argv[i].c_str());
    text += argument;
  }
  ShowError(parent, text);
}
