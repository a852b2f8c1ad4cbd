// The test e-mail of the e-mail server settings: each step reported as a line.
#pragma once

#include <atomic>
#include <functional>

#include "platform/mfc/cstring.h"

struct TestEmailSettings {
  CString host;
  int port = 587;
  bool ssl = true;
  CString user;
  CString password;  // plain, as typed
  CString from;
  CString to;
  CString imagePath;  // the shipped email_test.jpg; "" or missing: sent without a picture
  const std::atomic<bool>* cancel = nullptr;  // set when the dialog closes: stop talking
};

void SendTestEmail(const TestEmailSettings& settings, const std::function<void(const CString&)>& log);
