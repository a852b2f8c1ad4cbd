// Sends chosen e-mails of the log again (the worker of the "Sending Emails" dialog):
// prepares each photo, sends it as the sharing station would and logs each success.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

#include "platform/mfc/cstring.h"
#include "sharing/EmailTransport.h"
#include "sharing/SharedPhoto.h"

struct EmailResendJob {
  EmailShareSettings server;  // host, port, SSL, login, sender, templates, log path
  SharedPhotoSettings photo;
  std::vector<CString> addresses;
  std::vector<CString> photos;  // parallel to addresses
};

class EmailResender {
 public:
  explicit EmailResender(EmailResendJob job) : m_job(std::move(job)) {}

  /// The setting checks of the dialog's start, as lines; false when one failed.
  bool CheckSettings();
  /// Sends every e-mail in order until cancelled; then the summary lines. Blocking.
  void Run();
  /// The e-mail being sent finishes; the following ones are skipped.
  void Cancel();
  bool IsCancelled() const;

  std::vector<CString> Lines() const;
  int SentCount() const { return m_sent; }
  /// Called on the worker after each change of the lines.
  std::function<void()> onLinesChanged;

 private:
  bool SendOne(const CString& address, const CString& photo);
  void AddLine(const CString& text, bool extend = false);

  EmailResendJob m_job;
  mutable std::mutex m_lock;  // lines and cancel flag
  std::vector<CString> m_lines;
  bool m_cancel = false;
  std::atomic<int> m_sent{0};
};
