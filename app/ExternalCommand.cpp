#include "app/ExternalCommand.h"

#include <cerrno>
#include <string>

#include "platform/win32/handle.h"
#include "platform/win32/process.h"

namespace {

CString Quoted(const CString& arg) { return arg.Find(' ') >= 0 ? "\"" + arg + "\"" : arg; }

const char* ReasonOf(int error) {
  switch (error) {
    case ENOENT:
      return "ENOENT: File or path not found\n";
    case E2BIG:
      return "E2BIG: Argument list exceeds 1024 bytes\n";
    case ENOEXEC:
      return "ENOEXEC: Specified file is not executable or has invalid executable-file format\n";
    case ENOMEM:
      return "ENOMEM: Not enough memory is available to execute new process\n";
    default:
      return "";
  }
}

void AddWords(const CString& text, std::vector<CString>& words) {
  CString rest = text;
  rest.Trim();
  int start = 0;
  while (start <= rest.GetLength() && !rest.IsEmpty()) {
    int blank = rest.Find(' ', start);
    CString word = rest.Mid(start, blank < 0 ? rest.GetLength() - start : blank - start);
    word.Trim();
    if (!word.IsEmpty()) words.push_back(word);
    if (blank < 0) break;
    start = blank + 1;
  }
}

}  // namespace

bool SplitExternalCommand(const CString& setting, bool allowBat, ExternalCommand& split) {
  split = ExternalCommand{};
  CString command = setting;
  command.Trim();
  if (command.Left(1) == "\"") {
    int close = command.GetLength() > 1 ? command.Find('"', 2) : -1;
    if (close <= 2) return false;
    split.program = command.Mid(1, close - 1);
    AddWords(command.Mid(close + 1), split.words);
    split.program.Trim();
    return true;
  }
  CString lower = command;
  lower.MakeLower();
  int end = lower.Find(".exe", 1);
  if (end < 1 && allowBat) end = lower.Find(".bat", 1);
  if (end >= 1) {
    split.program = command.Left(end + 4);
    split.program.Trim();
    AddWords(command.Mid(end + 4), split.words);
    return true;
  }
  // No marker of where the program ends: split as a command line.
  std::vector<std::string> parts = SplitCommandLine(std::string(command.GetString()));
  if (parts.empty()) return false;
  split.program = parts[0].c_str();
  for (size_t i = 1; i < parts.size(); ++i) split.words.push_back(parts[i].c_str());
  return true;
}

bool LaunchExternalCommand(const ExternalCommand& command, const std::vector<CString>& files, const char* folder,
                           CString& error) {
  std::vector<CString> args;
  args.push_back(Quoted(command.program));
  for (const CString& word : command.words) args.push_back(Quoted(word));
  for (const CString& file : files) args.push_back(Quoted(file));
  std::vector<const char*> argv;
  for (const CString& arg : args) argv.push_back(arg.GetString());
  argv.push_back(nullptr);
  intptr_t started = SpawnvIn(_P_NOWAIT, folder, command.program, argv.data());
  if (started != -1) {
    CloseHandle(reinterpret_cast<HANDLE>(started));
    return true;
  }
  error = ReasonOf(errno);
  error += "cmd: " + command.program + "\n";
  for (size_t i = 0; i < args.size(); ++i) {
    CString line;
    line.Format("arg %d: %s\n", static_cast<int>(i), args[i].GetString());
    error += line;
  }
  return false;
}
