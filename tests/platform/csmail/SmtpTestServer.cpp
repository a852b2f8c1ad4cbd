#include "tests/platform/csmail/SmtpTestServer.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

SmtpTestServer::SmtpTestServer(const SmtpTestServerOptions& options) {
  char pattern[] = "/tmp/tavorin-smtp-XXXXXX";
  if (!mkdtemp(pattern)) return;
  dir_ = pattern;
  std::vector<std::string> args = {"/usr/bin/python3", TAVORIN_SOURCE_DIR "/tests/platform/csmail/smtp_test_server.py",
                                   "--outdir", dir_};
  if (!options.cert.empty()) args.insert(args.end(), {"--cert", options.cert, "--key", options.key});
  if (options.implicitTls) args.push_back("--implicit-tls");
  if (options.noStartTls) args.push_back("--no-starttls");
  if (!options.user.empty()) args.insert(args.end(), {"--user", options.user, "--password", options.password});
  if (!options.rejectRecipient.empty()) args.insert(args.end(), {"--reject-rcpt", options.rejectRecipient});
  if (options.stallAfterDataSeconds > 0)
    args.insert(args.end(), {"--stall-after-data", std::to_string(options.stallAfterDataSeconds)});
  if (options.trickle) args.push_back("--trickle");
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(pipeFds[1], 1);
    close(pipeFds[0]);
    close(pipeFds[1]);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  FILE* out = fdopen(pipeFds[0], "r");
  char line[32] = "";
  if (out && fgets(line, sizeof line, out)) port_ = std::atoi(line);
  if (out) fclose(out);
}

SmtpTestServer::~SmtpTestServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  if (!dir_.empty()) std::filesystem::remove_all(dir_);
}

int SmtpTestServer::count() const {
  int n = 0;
  while (std::filesystem::exists(dir_ + "/" + std::to_string(n + 1) + ".eml")) ++n;
  return n;
}

std::string SmtpTestServer::summary(int n) const { return ReadWholeFile(dir_ + "/" + std::to_string(n) + ".txt"); }
std::string SmtpTestServer::raw(int n) const { return ReadWholeFile(dir_ + "/" + std::to_string(n) + ".eml"); }
bool SmtpTestServer::stallBegan() const { return std::filesystem::exists(dir_ + "/stall-begun"); }
bool SmtpTestServer::clientLeftDuringStall() const { return std::filesystem::exists(dir_ + "/stall-gone"); }
bool SmtpTestServer::stallRanOut() const { return std::filesystem::exists(dir_ + "/stall-over"); }
