// The e-mail kind of the sharing station: send the prepared photo to the guest's address,
// or in offline mode only log it, and append the e-mail log line that the resend reads.
#pragma once

#include <ctime>
#include <vector>

#include "platform/mfc/cstring.h"

struct EmailShareSettings {
  CString host;
  int port = 25;
  bool ssl = false;
  CString user;
  CString password;  // as stored: scrambled
  CString from;
  CString subject, text, html;
  bool offline = false;
  bool logEnabled = false;
  CString logPath;
};

struct EmailShareInput {
  CString recipient;       // keyboard field 1
  CString sharingMessage;  // keyboard field 2
  CString userData[10];    // the keyboard's ten fields
  int userDataCount = 10;
  std::vector<int> checkBoxes;  // 1 ticked, 0 not
  CString photoPath;            // logged
  CString preparedFile;         // sent
};

struct EmailShareResult {
  CString message;       // error text; empty on success or offline
  CString picture;       // "email_success.jpg", "email_error.jpg" or "email_offline.jpg"
  int displayMs = 0;
  bool sent = false;
  bool logged = false;
};

/// Replaces {sharingMessage}, {user<n>_data} and (html) {image} in one pass: text that a
/// guest typed is never expanded again.
CString ExpandEmailTemplate(const char* text, const EmailShareInput& input, const char* contentId, bool html);

/// "%Y%m%d,%H%M%S,<recipient>,<1|0>,<photo>" + user data items + check-box items + "\n";
/// the guest's and the path's texts escaped (ShareLogField.h), so one e-mail is one line.
CString ShareLogLine(std::time_t when, const EmailShareInput& input, bool sent);

/// Creates the log's folder and appends the line; false when it could not be written.
bool AppendShareLog(const char* path, const char* line);

EmailShareResult SendEmail(const EmailShareSettings& settings, const EmailShareInput& input);
