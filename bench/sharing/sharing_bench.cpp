// Times the sharing station against its references, same run:
//   e-mail: SendMailRequest of the HTML e-mail with a 2 MB photo inline, to the loopback SMTP
//           server, beside `curl --upload-file` of the very bytes the server received from it
//           (curl's own transfer time, -w %{time_total}, so its process start is not counted);
//   log:    ReadUnsentEmails of a 10,000-line e-mail log beside `awk -F, '$2==0'` on the file
//           (awk's whole run, as a shell user would time it).
// Usage: sharing_bench [repetitions]
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "sharing/EmailLogReader.h"
#include "sharing/MailSender.h"
#include "tests/platform/csmail/SmtpTestServer.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// Runs a program; returns its standard output, or "" with ok false when it failed.
std::string Run(std::vector<std::string> args, bool& ok) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int pipeFds[2];
  ok = false;
  if (pipe(pipeFds) != 0) return "";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  std::string out;
  char buffer[4096];
  for (ssize_t n; rc == 0 && (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<size_t>(n));
  close(pipeFds[0]);
  if (rc != 0) return "";
  int status = 0;
  waitpid(pid, &status, 0);
  ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return out;
}

void Row(const char* name, double ours, double reference, const char* unit) {
  std::printf("%-44s %10.2f %10.2f %s %8.2fx\n", name, ours, reference, unit, reference > 0 ? ours / reference : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
  int repetitions = argc > 1 ? std::max(3, std::atoi(argv[1])) : 7;
  for (const char* name : {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"})
    unsetenv(name);
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("tavorin-sharing-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::string photo = (dir / "photo.jpg").string();
  {
    std::string bytes = "\xFF\xD8\xFF\xE0";
    std::mt19937 random(7);
    while (bytes.size() < 2 * 1024 * 1024 - 2) bytes += static_cast<char>(random());
    bytes += "\xFF\xD9";
    std::ofstream(photo, std::ios::binary) << bytes;
  }

  SmtpTestServer server;
  if (!server.ok()) {
    std::fprintf(stderr, "no loopback SMTP server (python3)\n");
    return 1;
  }
  MailRequest request;
  request.host = "127.0.0.1";
  request.port = server.port();
  request.from = "booth@example.com";
  request.to = "guest@example.com";
  request.subject = "Your photo";
  request.text = "Your photo booth photo";
  request.html = "<html><body><p>Your photo</p><img src=\"cid:bench@tavorin.image\"></body></html>";
  request.attachment = photo.c_str();
  request.contentId = "bench@tavorin.image";

  std::vector<double> ours, curl;
  std::string message = (dir / "message.eml").string();
  std::string url = "smtp://127.0.0.1:" + std::to_string(server.port());
  for (int i = 0; i < repetitions; ++i) {
    auto start = Clock::now();
    CString error = SendMailRequest(request);
    ours.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    if (!error.IsEmpty()) {
      std::fprintf(stderr, "send failed: %s\n", error.GetString());
      return 1;
    }
    if (i == 0) std::ofstream(message, std::ios::binary) << server.raw(1);
    bool ok = false;
    std::string took = Run({"curl", "-s", "-S", "--noproxy", "*", "-w", "%{time_total}", url, "--mail-from",
                            "booth@example.com", "--mail-rcpt", "guest@example.com", "--upload-file", message},
                           ok);
    curl.push_back(ok ? std::atof(took.c_str()) : -1);
  }

  std::string log = (dir / "email.csv").string();
  {
    std::ofstream out(log);
    for (int i = 0; i < 10000; ++i)
      out << "20261210," << 100000 + i % 50000 << ",guest" << i << "@example.com," << (i % 3 == 0 ? 1 : 0) << ","
          << "/home/booth/Photos/prints/IMG_" << 1000 + i << ".jpg,user2_data=Ann,chkbox1=1\n";
  }
  std::vector<double> reader, awk;
  size_t rows = 0;
  for (int i = 0; i < repetitions; ++i) {
    auto start = Clock::now();
    rows = ReadUnsentEmails(log.c_str()).size();
    reader.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    start = Clock::now();
    bool ok = false;
    Run({"awk", "-F,", "$2==0", log}, ok);
    awk.push_back(ok ? std::chrono::duration<double>(Clock::now() - start).count() : -1);
  }

  std::printf("%-44s %10s %10s    %8s\n", "", "Tavorin", "reference", "ratio");
  Row("e-mail, 2 MB photo inline (s)  vs curl", Median(ours), Median(curl), "s ");
  Row("log reader, 10,000 lines (ms)  vs awk", Median(reader) * 1000, Median(awk) * 1000, "ms");
  std::printf("(%zu unsent e-mails listed; medians of %d runs)\n", rows, repetitions);
  std::filesystem::remove_all(dir);
  return 0;
}
