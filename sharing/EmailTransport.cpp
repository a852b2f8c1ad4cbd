#include "sharing/EmailTransport.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "camera/CameraNaming.h"
#include "sharing/MailSender.h"
#include "sharing/ShareLogField.h"
#include "support/PasswordScrambler.h"

CString ExpandEmailTemplate(const char* text, const EmailShareInput& input, const char* contentId, bool html) {
  CString out;
  const char* p = text ? text : "";
  while (*p) {
    if (*p == '{') {
      if (std::strncmp(p, "{sharingMessage}", 16) == 0) {
        out += input.sharingMessage;
        p += 16;
        continue;
      }
      if (html && std::strncmp(p, "{image}", 7) == 0) {
        out += CString("cid:") + contentId;
        p += 7;
        continue;
      }
      int field = 0, used = 0;
      if (std::sscanf(p, "{user%d_data}%n", &field, &used) == 1 && used > 0 && field >= 1 &&
          field <= input.userDataCount && field <= 10 && p[used - 1] == '}') {
        out += input.userData[field - 1];
        p += used;
        continue;
      }
    }
    out += *p++;
  }
  return out;
}

CString ShareLogLine(std::time_t when, const EmailShareInput& input, bool sent) {
  char stamp[32];
  std::tm local{};
  localtime_r(&when, &local);
  std::strftime(stamp, sizeof stamp, "%Y%m%d,%H%M%S,", &local);
  CString line = stamp;
  line += EscapeLogField(input.recipient);
  line += sent ? ",1," : ",0,";
  line += EscapeLogField(input.photoPath);
  for (int n = 2; n <= input.userDataCount && n <= 10; ++n) {
    CString value = input.userData[n - 1];
    value.Trim();
    if (value.IsEmpty()) continue;
    CString item;
    item.Format(",user%d_data=", n);
    line += item + EscapeLogField(value);
  }
  for (size_t i = 0; i < input.checkBoxes.size(); ++i) {
    CString item;
    item.Format(",chkbox%d=", static_cast<int>(i + 1));
    line += item + (input.checkBoxes[i] ? "1" : "0");
  }
  return line + "\n";
}

bool AppendShareLog(const char* path, const char* line) {
  if (!path || !*path) return false;
  CString folder = path;
  int slash = folder.ReverseFind('/');
  if (slash > 0) CreateDirectoryPath(folder.Left(slash));
  // The log holds guests' addresses and numbers: a new one is the user's own (0600), and a
  // link planted in its place is not followed.
  int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  FILE* file = fdopen(fd, "ab");
  if (!file) {
    close(fd);
    return false;
  }
  size_t length = std::strlen(line);
  bool ok = std::fwrite(line, 1, length, file) == length;
  ok = std::fclose(file) == 0 && ok;
  return ok;
}

EmailShareResult SendEmail(const EmailShareSettings& settings, const EmailShareInput& input) {
  EmailShareResult result;
  CString password = UnscramblePassword(settings.password);
  if (settings.user.IsEmpty())
    result.message = "Error: email host username missing";
  else if (password.IsEmpty())
    result.message = "Error: email host password missing";
  else if (settings.host.IsEmpty())
    result.message = "Error: email host name missing";
  else if (input.recipient.IsEmpty())
    result.message = "Error: email address missing";

  CString contentId = MakeContentId();
  if (!settings.offline && result.message.IsEmpty()) {
    MailRequest request;
    request.host = settings.host;
    request.port = settings.port;
    request.ssl = settings.ssl;
    request.user = settings.user;
    request.password = password;
    request.from = settings.from;
    request.to = input.recipient;
    request.subject = ExpandEmailTemplate(settings.subject, input, contentId, false);
    request.text = ExpandEmailTemplate(settings.text, input, contentId, false);
    request.html = ExpandEmailTemplate(settings.html, input, contentId, true);
    request.attachment = input.preparedFile;
    request.contentId = contentId;
    result.message = SendMailRequest(request);
    result.sent = result.message.IsEmpty();
  }

  if (settings.logEnabled && !settings.logPath.IsEmpty())
    result.logged = AppendShareLog(settings.logPath, ShareLogLine(std::time(nullptr), input, result.sent));

  // Offline mode keeps the e-mail only in the log: without the line it is lost, so say so.
  if (settings.offline && !result.logged) {
    result.message = "Error writing email log:\n" + settings.logPath;
    result.picture = "email_error.jpg";
    result.displayMs = 10000;
  } else if (settings.offline) {
    result.picture = "email_offline.jpg";
    result.displayMs = 5000;
  } else if (!result.message.IsEmpty()) {
    result.picture = "email_error.jpg";
    result.displayMs = 10000;
  } else {
    result.picture = "email_success.jpg";
    result.displayMs = 3000;
  }
  return result;
}
