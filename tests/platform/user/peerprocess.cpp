#include "peerprocess.h"

#include <QCoreApplication>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/win32/sync.h"

extern char** environ;

PeerProcess::PeerProcess(const std::vector<std::string>& extraEnv) {
  std::vector<std::string> env;
  for (char** p = environ; *p; ++p) {
    std::string entry = *p;
    bool replaced = false;
    for (const std::string& extra : extraEnv) {
      replaced = replaced || entry.compare(0, extra.find('=') + 1, extra, 0, extra.find('=') + 1) == 0;
    }
    if (!replaced) env.push_back(entry);
  }
  env.insert(env.end(), extraEnv.begin(), extraEnv.end());
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);
  int toPeer[2], fromPeer[2];
  if (pipe2(toPeer, O_CLOEXEC) != 0) return;
  if (pipe2(fromPeer, O_CLOEXEC) != 0) {
    close(toPeer[0]);
    close(toPeer[1]);
    return;
  }
  pid_t pid = fork();
  if (pid == 0) {
    dup2(toPeer[0], 0);
    dup2(fromPeer[1], 1);
    const char* argv[] = {USER_PEER_PATH, nullptr};
    execve(USER_PEER_PATH, const_cast<char**>(argv), envp.data());
    _exit(127);
  }
  close(toPeer[0]);
  close(fromPeer[1]);
  m_in = toPeer[1];
  m_out = fromPeer[0];
  m_pid = pid;
  if (pid < 0 || ReadLine().rfind("ready", 0) != 0) Kill();
}

PeerProcess::~PeerProcess() {
  if (m_pid > 0) {
    Command("quit");
    close(m_in);
    m_in = -1;
    // Bounded: a peer that does not go within 10 s is killed.
    for (int i = 0; i < 1000; ++i) {
      if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
        m_pid = -1;
        break;
      }
      Sleep(10);
    }
    if (m_pid > 0) Kill();
  }
  if (m_in >= 0) close(m_in);
  if (m_out >= 0) close(m_out);
}

void PeerProcess::Kill() {
  if (m_pid <= 0) return;
  kill(m_pid, SIGKILL);
  waitpid(m_pid, nullptr, 0);
  m_pid = -1;
}

std::string PeerProcess::ReadLine() {
  ULONGLONG deadline = GetTickCount64() + 10000;
  for (;;) {
    size_t end = m_pending.find('\n');
    if (end != std::string::npos) {
      std::string line = m_pending.substr(0, end);
      m_pending.erase(0, end + 1);
      return line;
    }
    if (GetTickCount64() > deadline) return "";
    pollfd p{m_out, POLLIN, 0};
    if (poll(&p, 1, 2) > 0) {
      char buffer[4096];
      ssize_t count = read(m_out, buffer, sizeof buffer);
      if (count <= 0) return "";
      m_pending.append(buffer, count);
      continue;
    }
    // The peer may be sending to our windows before it answers.
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    PumpWaitingMessages();
  }
}

std::string PeerProcess::Command(const std::string& line) {
  if (m_pid <= 0) return "";
  std::string text = line + "\n";
  if (write(m_in, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return "";
  return ReadLine();
}

HWND PeerProcess::CommandHwnd(const std::string& line) {
  return DwordToHwnd(static_cast<DWORD>(std::strtoul(Command(line).c_str(), nullptr, 16)));
}

std::string PeerProcess::Hex(HWND hWnd) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", HandleToDword(hWnd));
  return text;
}
