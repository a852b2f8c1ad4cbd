// Runs tests/platform/csmail/smtp_test_server.py on a loopback port for one test.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct SmtpTestServerOptions {
  std::string cert, key;  // TLS offered (STARTTLS) when set
  bool implicitTls = false;
  bool noStartTls = false;
  std::string user, password;  // AUTH required when user is set
  std::string rejectRecipient;  // 550 for this RCPT
  int stallAfterDataSeconds = 0;  // after the data: no reply for this long...
  bool trickle = false;           // ...or the reply one byte a second
};

class SmtpTestServer {
 public:
  explicit SmtpTestServer(const SmtpTestServerOptions& options = {});
  ~SmtpTestServer();
  bool ok() const { return port_ > 0; }
  int port() const { return port_; }
  /// Number of messages accepted so far.
  int count() const;
  /// The parsed summary and the raw text of message n (from 1).
  std::string summary(int n) const;
  std::string raw(int n) const;
  /// Whether a stall began, the client left while the server stalled, and a stall ran out.
  bool stallBegan() const;
  bool clientLeftDuringStall() const;
  bool stallRanOut() const;

 private:
  std::string dir_;
  pid_t pid_ = -1;
  int port_ = 0;
};

std::string ReadWholeFile(const std::string& path);
