// Reads the e-mail log (the offline queue) for the resend list: every logged e-mail whose
// (address, photo) pair was never sent, once, at its first line.
#pragma once

#include <string>
#include <vector>

#include "platform/mfc/cstring.h"

struct LoggedEmail {
  CString date;  // "%Y%m%d"
  CString time;  // "%H%M%S"
  CString address;
  bool sent = false;
  CString photo;
};

/// A logged e-mail has at least 5 trimmed fields, an 8-character date, a 6-character time
/// and a valid address; other lines are not e-mails.
bool ParseEmailLogLine(const char* line, size_t length, LoggedEmail& email);

/// The unsent e-mails of a log's text, in log order.
std::vector<LoggedEmail> FindUnsentEmails(const std::string& logText);
/// The same for a log file; a missing or unreadable file gives an empty list.
std::vector<LoggedEmail> ReadUnsentEmails(const char* path);

/// "2026/12/10 09:05:07" from the logged date and time.
CString FormatLoggedDateTime(const LoggedEmail& email);
