// The program started on a private desktop for a benchmark: its own home, runtime folder and
// registry, offscreen, under the lock the end-to-end tests share (the remote-control block is
// one per user). The program's path is the bench's TAVORIN_PROGRAM_PATH.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

class BenchDesktop {
 public:
  /// Starts the program with `camera`, the environment entry that chooses its camera.
  bool Start(const std::string& camera) {
    std::string lockPath = "/tmp/tavorin-e2e-" + std::to_string(geteuid()) + ".lock";
    m_lock = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (m_lock < 0 || flock(m_lock, LOCK_EX) != 0) return false;
    char pattern[] = "/tmp/tavorin-bench-XXXXXX";
    if (!mkdtemp(pattern)) return false;
    m_root = pattern;
    for (const char* folder : {"home", "run", "config", "work", "photos"})
      std::filesystem::create_directories(m_root + "/" + folder);
    chmod((m_root + "/run").c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", (m_root + "/run").c_str(), 1);
    std::vector<std::string> environment = {"HOME=" + m_root + "/home",
                                            "XDG_RUNTIME_DIR=" + m_root + "/run",
                                            "XDG_CONFIG_HOME=" + m_root + "/config",
                                            "TAVORIN_REGISTRY=" + m_root + "/config/registry.sqlite3",
                                            "QT_QPA_PLATFORM=offscreen",
                                            camera,
                                            "PATH=/usr/bin:/bin"};
    std::string log = m_root + "/program.log";
    m_program = fork();
    if (m_program == 0) {
      if (chdir((m_root + "/work").c_str()) != 0) _exit(126);
      if (!freopen(log.c_str(), "w", stdout) || dup2(1, 2) < 0) _exit(126);
      std::vector<char*> argv = {const_cast<char*>(TAVORIN_PROGRAM_PATH), nullptr};
      std::vector<char*> envp;
      for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
      envp.push_back(nullptr);
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
    }
    return m_program > 0;
  }
  pid_t Pid() const { return m_program; }
  std::string Photos() const { return m_root + "/photos"; }

  ~BenchDesktop() {
    if (m_program > 0) {
      kill(m_program, SIGTERM);
      auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
      while (waitpid(m_program, nullptr, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= limit) {
          kill(m_program, SIGKILL);
          waitpid(m_program, nullptr, 0);
          break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    if (!m_root.empty()) {
      std::error_code error;
      std::filesystem::remove_all(m_root, error);
    }
    if (m_lock >= 0) close(m_lock);
  }

 private:
  std::string m_root;
  pid_t m_program = 0;
  int m_lock = -1;
};
