// One e-mail through the mail component, in the order the component expects, with its
// failures turned into the text the screens show.
#pragma once

#include <atomic>
#include <functional>

#include "platform/mfc/cstring.h"

struct MailRequest {
  CString host;
  int port = 25;
  bool ssl = false;
  CString user;
  CString password;  // plain; no password connects without logging in
  CString from;      // empty: the recipient is also the sender
  CString to;
  CString subject;
  CString text;
  CString html;        // blank: the plain form (text and the file attached)
  CString attachment;  // may be empty for a message without a picture
  CString contentId;   // of the attachment in the HTML form, without angle brackets
  const std::atomic<bool>* cancel = nullptr;  // set: the exchange ends within about a second
};

/// The sharing screens' error texts, or the test e-mail log's variant ("ErrorMessage: ",
/// the server's reply on a line of its own).
enum class MailErrorStyle { Screen, TestLog };

/// Sends the message; returns "" on success, else the error text. `connected` runs once the
/// server was accepted, before the message goes out.
CString SendMailRequest(const MailRequest& request, MailErrorStyle style = MailErrorStyle::Screen,
                        const std::function<void()>& connected = {});

/// The error text of a failed component call: the connection's detail text split at its
/// first ';', else the description (with the server's reply for a refusal), else the code.
CString DescribeMailError(long code, const char* description, const char* detail, const char* lastResponse,
                          MailErrorStyle style = MailErrorStyle::Screen);

/// "%d.%d@tavorin.image" from the time and a random number.
CString MakeContentId();
