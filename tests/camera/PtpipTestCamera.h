// The PTP/IP test camera (tests/camera/ptpip_test_camera.py) as a process of a test: started on
// a free loopback port, driven through its control port, its log of what it saw read back.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
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

class PtpipTestCamera {
 public:
  /// Starts the camera on the photos folder (default: the fixtures' photos).
  explicit PtpipTestCamera(std::vector<std::string> extra = {}, std::string photos = DefaultPhotos()) {
    char pattern[] = "/tmp/tavorin-camera-XXXXXX";
    m_dir = mkdtemp(pattern);
    m_log = m_dir + "/camera.log";
    std::vector<std::string> args = {"/usr/bin/python3", std::string(TAVORIN_SOURCE_DIR) + "/tests/camera/ptpip_test_camera.py",
                                     "--port", "0", "--control-port", "0", "--photos", photos};
    args.insert(args.end(), extra.begin(), extra.end());
    m_pid = fork();
    if (m_pid == 0) {
      int null = open("/dev/null", O_RDONLY);
      dup2(null, 0);
      if (!freopen(m_log.c_str(), "w", stdout)) _exit(126);
      dup2(1, 2);
      std::vector<char*> argv;
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < limit) {
      std::istringstream in(Log());
      std::string word;
      if (in >> word && word == "listening" && in >> m_port >> m_control) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  ~PtpipTestCamera() {
    Stop();
    std::error_code error;
    std::filesystem::remove_all(m_dir, error);
  }
  PtpipTestCamera(const PtpipTestCamera&) = delete;
  PtpipTestCamera& operator=(const PtpipTestCamera&) = delete;

  bool Running() const { return m_port > 0; }
  int Port() const { return m_port; }
  /// The port as libgphoto2 and TAVORIN_CAMERA_PORT name it.
  std::string PortName() const { return "ptpip:127.0.0.1:" + std::to_string(m_port); }

  /// Everything the camera logged so far ("set 0xd01c 0x58", "capture 0x1001 IMG_0001.JPG").
  std::string Log() const {
    std::ifstream in(m_log);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  bool Logged(const std::string& line) const { return ("\n" + Log()).find("\n" + line + "\n") != std::string::npos; }

  /// Waits (bounded) until the camera logged the line.
  bool WaitFor(const std::string& line, int seconds = 20) const {
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < limit) {
      if (Logged(line)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  /// Sends one control line ("press", "unplug", "fault garbage 1014 1") and returns the answer.
  std::string Control(const std::string& line) const {
    int sock = socket(AF_INET, SOCK_STREAM, 0);
    if (sock < 0) return "";
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(m_control));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
      std::string text = line + "\n";
      if (write(sock, text.data(), text.size()) == static_cast<ssize_t>(text.size())) {
        char c;
        while (read(sock, &c, 1) == 1 && c != '\n') answer += c;
      }
    }
    close(sock);
    return answer;
  }

  void Stop() {
    if (m_pid > 0) {
      kill(m_pid, SIGTERM);
      waitpid(m_pid, nullptr, 0);
      m_pid = 0;
    }
  }

  static std::string DefaultPhotos() { return std::string(TAVORIN_SOURCE_DIR) + "/tests/fixtures/camera/photos"; }
  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  std::string m_dir, m_log;
  pid_t m_pid = 0;
  int m_port = 0, m_control = 0;
};
