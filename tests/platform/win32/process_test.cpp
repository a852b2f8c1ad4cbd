#include "platform/win32/process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/win32/error.h"
#include "platform/win32/handle.h"
#include "platform/win32/sync.h"
#include "platform/win32/thread.h"
#include "tests/platform/win32/tempdir_p.h"

namespace {

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream file(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

}  // namespace

TEST(ProcessTest, ArgumentsArriveIntactWithoutAShell) {
  TempDir dir;
  std::string out = dir / "args.txt";
  std::string marker = dir / "injected";
  std::vector<std::string> args = {"two words", "\"quoted\"", "$(touch " + marker + ")", "`touch " + marker + "`",
                                   "a;b|c&d", "back\\slash\\", "", "caf\xE9"};
  std::vector<std::string> argv = {ARGVDUMP_PATH, out};
  argv.insert(argv.end(), args.begin(), args.end());
  DWORD code = 99;
  ASSERT_TRUE(RunProcess(argv, INFINITE, &code));
  EXPECT_EQ(code, 0u);
  std::vector<std::string> expected = args;
  expected.back() = "caf\xC3\xA9";  // 1252 text reaches the program as UTF-8
  EXPECT_EQ(Lines(out), expected);
  EXPECT_FALSE(TempDir::Exists(marker)) << "no shell ran";
}

TEST(ProcessTest, ExitCodeAndSearchPath) {
  DWORD code = 0;
  ASSERT_TRUE(RunProcess({"false"}, INFINITE, &code)) << "found on PATH";
  EXPECT_EQ(code, 1u);
  setenv("ARGVDUMP_EXIT", "7", 1);
  TempDir dir;
  ASSERT_TRUE(RunProcess({ARGVDUMP_PATH, dir / "x"}, INFINITE, &code));
  unsetenv("ARGVDUMP_EXIT");
  EXPECT_EQ(code, 7u);
  SetLastError(0);
  EXPECT_FALSE(RunProcess({"/no/such/program"}, INFINITE, &code));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(RunProcess({}, INFINITE, &code));
}

TEST(ProcessTest, WaitTimesOutAndTerminateEnds) {
  HANDLE process = StartProcess({"sleep", "30"});
  ASSERT_NE(process, nullptr);
  EXPECT_EQ(WaitForSingleObject(process, 20), WAIT_TIMEOUT);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(process, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  EXPECT_TRUE(TerminateProcess(process, 5));
  EXPECT_EQ(WaitForSingleObject(process, INFINITE), WAIT_OBJECT_0);
  EXPECT_TRUE(GetExitCodeProcess(process, &code));
  EXPECT_EQ(code, 5u);
  EXPECT_TRUE(CloseHandle(process));
  EXPECT_FALSE(GetExitCodeProcess(process, &code));

  SetLastError(0);
  EXPECT_FALSE(RunProcess({"sleep", "0.2"}, 10, &code));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
}

TEST(ProcessTest, CreateProcessSplitsTheCommandLine) {
  TempDir dir;
  std::string out = dir / "args.txt";
  std::string line = std::string("\"") + ARGVDUMP_PATH + "\" \"" + out + "\" \"with blank\" plain \\\"lit\\\" end";
  STARTUPINFO startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  ASSERT_TRUE(CreateProcess(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                            dir.path().c_str(), &startup, &info));
  EXPECT_NE(info.dwProcessId, 0u);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
  DWORD code = 1;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_TRUE(CloseHandle(info.hThread));
  EXPECT_TRUE(CloseHandle(info.hProcess));
  EXPECT_EQ(Lines(out), (std::vector<std::string>{"with blank", "plain", "\"lit\"", "end"}));

  char missing[] = "/no/such/program arg";
  SetLastError(0);
  EXPECT_FALSE(CreateProcess(nullptr, missing, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(ProcessTest, SpawnJoinsAndResplitsLikeTheCrt) {
  TempDir dir;
  std::string out = dir / "args.txt";
  std::string quotedPath = "\"" + (dir / "my photo.jpg") + "\"";
  const char* argv[] = {"argvdump", out.c_str(), "-a", quotedPath.c_str(), nullptr};
  EXPECT_EQ(_spawnv(_P_WAIT, ARGVDUMP_PATH, argv), 0);
  EXPECT_EQ(Lines(out), (std::vector<std::string>{"-a", dir / "my photo.jpg"}));

  intptr_t handle = _spawnvp(_P_NOWAIT, ARGVDUMP_PATH, argv);
  ASSERT_NE(handle, -1);
  EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(handle), INFINITE), WAIT_OBJECT_0);
  CloseHandle(reinterpret_cast<HANDLE>(handle));

  errno = 0;
  EXPECT_EQ(_spawnvp(_P_NOWAIT, "tavorin-no-such-program", argv), -1);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(_spawnv(_P_WAIT, nullptr, argv), -1);
}

TEST(ProcessTest, CommandLineSplitterTable) {
  struct Row {
    const char* line;
    std::vector<std::string> args;
  } rows[] = {
      {"", {}},
      {"   ", {}},
      {"prog a b", {"prog", "a", "b"}},
      {"\"C:\\Program Files\\x.exe\" arg", {"C:\\Program Files\\x.exe", "arg"}},
      {"p \"a b\"  c", {"p", "a b", "c"}},
      {"p a\\\\\\\"b", {"p", "a\\\"b"}},
      {"p a\\\\\"b c\"", {"p", "a\\b c"}},
      {"p a\\b\\\\c", {"p", "a\\b\\\\c"}},
      {"p \"\"", {"p", ""}},
      {"p \"say \"\"hi\"\"\"", {"p", "say \"hi\""}},
      {"p\ta\t\"unterminated", {"p", "a", "unterminated"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(SplitCommandLine(row.line), row.args);
  }
}
