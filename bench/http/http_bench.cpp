// Times the HTTP client against curl(1) on one loopback server, same run:
//   upload:   a 5 MB JPEG as the multipart part "fileToUpload" (BeginUpload + Proceed, in one
//             step and in 64 KiB steps) beside `curl -F fileToUpload=@photo.jpg`;
//   download: a 5 MB body read by ReadContent in 64 KiB pieces beside `curl -o /dev/null`.
// curl's figure is its own transfer time (-w %{time_total}), so its process start is not
// counted against it; ours counts everything from opening the session to the last byte.
// Usage: http_bench [repetitions]
#include <fcntl.h>
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

#include "http/HttpClient.h"
#include "http/HttpClientException.h"
#include "http/HttpEncoder.h"
#include "http/HttpTool.h"
#include "tests/http/LoopbackHttpServer.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr size_t kPhotoBytes = 5 * 1024 * 1024;
constexpr DWORD kStep = 64 * 1024;

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

/// Runs curl with the arguments and returns its -w output (seconds), or a negative number.
double RunCurl(std::vector<std::string> args) {
  args.insert(args.begin(), {"curl", "-s", "-S", "--noproxy", "*", "-o", "/dev/null", "-w", "%{time_total}"});
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  pid_t pid = 0;
  int rc = posix_spawnp(&pid, "curl", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  std::string out;
  char buffer[256];
  for (ssize_t n; rc == 0 && (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<size_t>(n));
  close(pipeFds[0]);
  if (rc != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return std::atof(out.c_str());
}

/// Seconds for one upload by the client, or a negative number on failure.
double UploadOurs(const std::string& url, const std::string& photo, DWORD step) {
  auto start = Clock::now();
  try {
    Vonar::CHttpClientA client;
    client.AddParam("fileToUpload", photo.c_str(), Vonar::CHttpClientA::ParamFile);
    client.BeginUpload(url.c_str());
    Vonar::CHttpClientA::CHttpResponse* response = nullptr;
    while (!(response = client.Proceed(step))) {
    }
    bool ok = response->GetStatus() == 200;
    BYTE buffer[256];
    while (response->ReadContent(buffer, sizeof buffer)) {
    }
    delete response;
    if (!ok) return -1;
  } catch (const Vonar::httpclientexceptionA& e) {
    std::fprintf(stderr, "upload failed: %s (%u, last error %u)\n", e.errmsg(), e.ErrorCode(), e.LastError());
    return -1;
  }
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double DownloadOurs(const std::string& url) {
  auto start = Clock::now();
  try {
    Vonar::CHttpClientA client;
    Vonar::CHttpClientA::CHttpResponse* response = client.RequestGet(url.c_str());
    std::vector<BYTE> piece(kStep);
    size_t total = 0;
    for (DWORD n; (n = response->ReadContent(piece.data(), kStep)) != 0;) total += n;
    delete response;
    if (total != kPhotoBytes) return -1;
  } catch (const Vonar::httpclientexceptionA& e) {
    std::fprintf(stderr, "download failed: %s (%u, last error %u)\n", e.errmsg(), e.ErrorCode(), e.LastError());
    return -1;
  }
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void Row(const char* name, const std::vector<double>& ours, const std::vector<double>& curl) {
  double mbOurs = kPhotoBytes / 1e6 / Median(ours), mbCurl = kPhotoBytes / 1e6 / Median(curl);
  std::printf("%-34s %10.1f %10.1f %8.2fx\n", name, mbOurs, mbCurl, mbOurs / mbCurl);
}

}  // namespace

int main(int argc, char** argv) {
  int repetitions = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
  ClearProxyEnvironment();

  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("tavorin-http-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::string photo = (dir / "photo.jpg").string();
  {
    // A JPEG's markers around incompressible data: the size and type of a camera photo.
    std::string bytes = "\xFF\xD8\xFF\xE0";
    std::mt19937 random(5);
    while (bytes.size() < kPhotoBytes - 2) bytes += static_cast<char>(random());
    bytes += "\xFF\xD9";
    std::ofstream(photo, std::ios::binary) << bytes;
  }

  LoopbackHttpServer server;
  if (!server.ok()) {
    std::fprintf(stderr, "no loopback server\n");
    return 1;
  }
  server.SetRecordedBodyLimit(0);
  server.SetDefaultReply({LoopbackHttpServer::Ok("FILE:./p/photo.jpg"), 0, false});
  const std::string uploadUrl = server.url("/Twilio/image_upload.php");
  const std::string downloadUrl = server.url("/photo.jpg");

  std::vector<double> upOne, upSteps, upCurl, downOurs, downCurl;
  for (int i = 0; i < repetitions; ++i) {
    upOne.push_back(UploadOurs(uploadUrl, photo, 0xFFFFFFFFu));
    upSteps.push_back(UploadOurs(uploadUrl, photo, kStep));
    upCurl.push_back(RunCurl({"-F", "fileToUpload=@" + photo, uploadUrl}));

    LoopbackHttpServer::Reply big{"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kPhotoBytes) + "\r\n\r\n",
                                  kPhotoBytes, false};
    server.Script(big);
    downOurs.push_back(DownloadOurs(downloadUrl));
    server.Script(big);
    downCurl.push_back(RunCurl({downloadUrl}));
  }
  std::filesystem::remove_all(dir);
  for (const auto* series : {&upOne, &upSteps, &upCurl, &downOurs, &downCurl}) {
    if (std::any_of(series->begin(), series->end(), [](double s) { return s <= 0; })) {
      std::fprintf(stderr, "a transfer failed; no figures\n");
      return 1;
    }
  }

  std::printf("5 MB over loopback, median of %d runs, MB/s (higher is better)\n", repetitions);
  std::printf("%-34s %10s %10s %9s\n", "transfer", "ours", "curl", "ours/curl");
  Row("upload, Proceed(0xFFFFFFFF)", upOne, upCurl);
  Row("upload, Proceed(64 KiB)", upSteps, upCurl);
  Row("download, ReadContent(64 KiB)", downOurs, downCurl);
  return 0;
}
