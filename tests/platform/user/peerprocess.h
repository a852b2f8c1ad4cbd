// A test peer (peer/peer.cpp) running as a real second process on our window station.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/user/winuser.h"

class PeerProcess {
 public:
  /// Starts the peer with our environment plus `extraEnv` ("NAME=value" entries).
  explicit PeerProcess(const std::vector<std::string>& extraEnv = {});
  /// Asks the peer to quit (kills it when it does not) and reaps it.
  ~PeerProcess();
  bool Running() const { return m_pid > 0; }
  pid_t Pid() const { return m_pid; }

  /// Sends one command line and returns the answer line ("" after 10 s or when the peer is
  /// gone). Our own windows keep getting their messages meanwhile.
  std::string Command(const std::string& line);
  /// A command that answers with a window handle in hex.
  HWND CommandHwnd(const std::string& line);
  /// SIGKILL, then reaps the process.
  void Kill();

  static std::string Hex(HWND hWnd);

 private:
  std::string ReadLine();
  pid_t m_pid = -1;
  int m_in = -1;   // the peer's stdin
  int m_out = -1;  // the peer's stdout
  std::string m_pending;
};
