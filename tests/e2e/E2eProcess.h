// Helpers of the end-to-end tests: a private desktop (temporary home, registry and window
// station), the program started on it, and runs of the console client with their output.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

struct ClientRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

/// A temporary desktop: its own home, photo folder, registry and window station (which holds
/// the remote-control block too), so desktops run side by side.
class TestDesktop {
 public:
  TestDesktop() {
    char pattern[] = "/tmp/tavorin-e2e-XXXXXX";
    m_root = mkdtemp(pattern);
    for (const char* folder : {"home", "run", "config", "photos", "work"})
      std::filesystem::create_directories(m_root + "/" + folder);
    chmod((m_root + "/run").c_str(), 0700);
  }
  ~TestDesktop() {
    Stop();
    std::error_code error;
    std::filesystem::remove_all(m_root, error);
  }

  const std::string& Root() const { return m_root; }
  /// The running program's process id, 0 when it is not running.
  pid_t ProgramPid() const { return m_program; }

  std::vector<std::string> Environment() const {
    std::vector<std::string> environment = {"HOME=" + m_root + "/home",
                                            "XDG_RUNTIME_DIR=" + m_root + "/run",
                                            "XDG_CONFIG_HOME=" + m_root + "/config",
                                            "TAVORIN_REGISTRY=" + m_root + "/config/registry.sqlite3",
                                            "QT_QPA_PLATFORM=offscreen",
                                            "TAVORIN_CAMERA_SIM=default",  // a test of real cameras empties it
                                            "ASAN_OPTIONS=detect_leaks=0",
                                            "PATH=/usr/bin:/bin"};
    for (const std::string& extra : m_extraEnvironment) {
      // An added entry replaces the default of the same name.
      std::string name = extra.substr(0, extra.find('=') + 1);
      std::erase_if(environment, [&](const std::string& entry) { return entry.rfind(name, 0) == 0; });
      environment.push_back(extra);
    }
    return environment;
  }

  /// Adds "NAME=value" to the environment of the processes started from now on.
  void AddEnvironment(const std::string& entry) { m_extraEnvironment.push_back(entry); }

  /// Starts the program; false when it cannot be started.
  bool Start() {
    m_program = Spawn({BinaryPath("TAVORIN_E2E_PROGRAM", TAVORIN_PROGRAM_PATH)}, m_root + "/program.log", m_root + "/program.log");
    return m_program > 0;
  }

  /// Waits (bounded) for the program to end by itself; its exit code, or -1.
  int WaitForExit(int seconds) {
    if (m_program <= 0) return -1;
    int code = WaitBounded(m_program, seconds);
    m_program = 0;
    return code;
  }

  /// Sends a signal to the program.
  void Signal(int signalNumber) {
    if (m_program > 0) kill(m_program, signalNumber);
  }

  void Stop() {
    if (m_program > 0) {
      kill(m_program, SIGTERM);
      if (WaitBounded(m_program, 10) == -1) {
        kill(m_program, SIGKILL);
        waitpid(m_program, nullptr, 0);
      }
      m_program = 0;
    }
  }

  /// Runs tavorin-test in the work folder and waits for it (bounded).
  ClientRun Client(std::vector<std::string> args, int seconds = 120) {
    args.insert(args.begin(), BinaryPath("TAVORIN_E2E_CLIENT", TAVORIN_TEST_CLIENT_PATH));
    std::string out = m_root + "/client.out", err = m_root + "/client.err";
    pid_t pid = Spawn(args, out, err);
    ClientRun run;
    run.exitCode = WaitBounded(pid, seconds);
    run.out = ReadWhole(out);
    run.err = ReadWhole(err);
    return run;
  }

  /// Polls until the program answers the channel (the -q query needs no camera).
  bool WaitUntilAnswering(int seconds) {
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < limit) {
      if (Client({"-q"}, 30).exitCode == 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return false;
  }

 private:
  // The built programs, or copies named in the environment (a long soak runs on a copy).
  static std::string BinaryPath(const char* variable, const char* built) {
    const char* path = std::getenv(variable);
    return path && *path ? path : built;
  }

  pid_t Spawn(const std::vector<std::string>& args, const std::string& out, const std::string& err) {
    std::vector<std::string> environment = Environment();
    pid_t pid = fork();
    if (pid == 0) {
      // A test may put a file-size limit on the program: the write must fail, not kill it.
      signal(SIGXFSZ, SIG_IGN);
      if (chdir((m_root + "/work").c_str()) != 0) _exit(126);
      if (!freopen(out.c_str(), "w", stdout)) _exit(126);
      if (out == err ? dup2(1, 2) < 0 : !freopen(err.c_str(), "w", stderr)) _exit(126);
      std::vector<char*> argv, envp;
      for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
      argv.push_back(nullptr);
      for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
      envp.push_back(nullptr);
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
    }
    return pid;
  }

  static int WaitBounded(pid_t pid, int seconds) {
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
      int status = 0;
      pid_t done = waitpid(pid, &status, WNOHANG);
      if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      if (done < 0) return -1;
      if (std::chrono::steady_clock::now() >= limit) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  std::string m_root;
  std::vector<std::string> m_extraEnvironment;
  pid_t m_program = 0;
};
