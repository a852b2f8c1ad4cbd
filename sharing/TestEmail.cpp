#include "sharing/TestEmail.h"

#include <sys/stat.h>

#include "sharing/MailSender.h"

void SendTestEmail(const TestEmailSettings& settings, const std::function<void(const CString&)>& log) {
  log("Sending test email to: " + settings.to);
  MailRequest request;
  request.host = settings.host;
  request.port = settings.port;
  request.ssl = settings.ssl;
  request.user = settings.user;
  request.password = settings.password;
  request.from = settings.from;
  request.to = settings.to;
  request.cancel = settings.cancel;
  request.subject = "Photo booth test message";
  request.text =
      "A test message from photo booth software by Morvane Systems Limited.\r\n\r\n"
      "Visit https://www.morvanesystems.com/ to find out more about our photo booth software.\r\n";
  struct stat info;
  if (!settings.imagePath.IsEmpty() && ::stat(settings.imagePath, &info) == 0 && S_ISREG(info.st_mode))
    request.attachment = settings.imagePath;
  else
    log("email_test.jpg image not found, sending test email without an image attachment...");
  log("Connecting to email server...");
  CString error = SendMailRequest(request, MailErrorStyle::TestLog, [&] { log("Sending email..."); });
  if (error.IsEmpty()) {
    log("Message sent");
    return;
  }
  // One list line per line of the error text.
  int start = 0;
  while (start <= error.GetLength()) {
    int end = error.Find('\n', start);
    if (end < 0) end = error.GetLength();
    CString line = error.Mid(start, end - start);
    line.Remove('\r');
    if (!line.IsEmpty()) log(line);
    start = end + 1;
  }
}
