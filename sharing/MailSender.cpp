#include "sharing/MailSender.h"

#include <cstdlib>
#include <ctime>

#include "platform/csmail/csmail.h"

namespace {

CString CodeText(long code) {
  switch (static_cast<unsigned long>(code) & 0xFFFFFFFFul) {
    case 0x80004005ul: return "Unspecified error";
    case 0x80070057ul: return "The parameter is incorrect.";
    case 0x8007000Eul: return "Not enough memory resources are available to complete this operation.";
    case 0x80040206ul: return "The server refused the request.";
    default: {
      CString text;
      text.Format("Unknown error 0x%08lX", static_cast<unsigned long>(code) & 0xFFFFFFFFul);
      return text;
    }
  }
}

}  // namespace

CString DescribeMailError(long code, const char* description, const char* detail, const char* lastResponse,
                          MailErrorStyle style) {
  CString text;
  CString detailText = detail ? detail : "";
  if (!detailText.IsEmpty()) {
    int split = detailText.Find(';');
    if (split > 0) {
      CString first = detailText.Left(split);
      CString second = detailText.Mid(split + 1);
      text = first.Trim() + "\n" + second.Trim() + "\n";
    } else {
      text = detailText + "\n";
    }
  }
  if (text.IsEmpty() && description && *description) {
    text = description;
    if ((static_cast<unsigned long>(code) & 0xFFFFFFFFul) == 0x80040206ul)
      text += CString(style == MailErrorStyle::TestLog ? "\r\nSMTP server response:\r\n" : "\nSMTP server response: ") +
              (lastResponse ? lastResponse : "");
  } else if (text.IsEmpty()) {
    text = (style == MailErrorStyle::TestLog ? "ErrorMessage: " : "Error\nErrorMessage: ") + CodeText(code);
  }
  return text;
}

CString MakeContentId() {
  CString id;
  id.Format("%d.%d@", static_cast<int>(static_cast<unsigned>(std::time(nullptr))), std::rand());
  return id + "tavorin.image";
}

CString SendMailRequest(const MailRequest& request, MailErrorStyle style, const std::function<void()>& connected) {
  CSMail::SmtpConnection smtp;
  try {
    CSMail::Message message;
    message.SetFrom(request.from.IsEmpty() ? request.to.str() : request.from.str());
    message.AddRecipient(request.to.str());
    message.SetSubject(request.subject.str());
    CString html = request.html;
    if (!html.Trim().IsEmpty()) {
      CSMail::BodyPart& alternative = message.Body().AddChild();
      alternative.SetHeader("Content-Type", "multipart/alternative");
      alternative.AddChild().SetText(request.text.IsEmpty() ? "This message is in HTML format" : request.text.str());
      CSMail::BodyPart& related = alternative.AddChild();
      related.SetHeader("Content-Type", "multipart/related");
      CSMail::BodyPart& htmlPart = related.AddChild();
      htmlPart.SetText(request.html.str());
      htmlPart.SetHeader("Content-Type", "text/html");
      if (!request.attachment.IsEmpty()) {
        CSMail::BodyPart& image = related.AddChild();
        image.AttachFile(request.attachment.str());
        image.SetHeader("Content-ID", "<" + request.contentId.str() + ">");
      }
    } else {
      message.Body().AddChild().SetText(request.text.str());
      if (!request.attachment.IsEmpty()) message.Body().AddChild().AttachFile(request.attachment.str());
    }
    smtp.SetCancelFlag(request.cancel);
    CSMail::Ssl ssl;
    if (request.ssl) {
      ssl.SetEnabled(true);
      smtp.UseSsl(ssl);
    }
    HRESULT result = request.password.IsEmpty()
                            ? smtp.Connect(request.host.str(), request.port)
                            : smtp.ConnectAuth(request.host.str(), request.user.str(), request.password.str(), "LOGIN",
                                               request.port);
    if (result < 0) return "Error connecting to email server";
    if (connected) connected();
    smtp.Send(message);
    smtp.Close();
  } catch (const CSMail::CSMailError& error) {
    return DescribeMailError(error.code, error.description.c_str(), smtp.ErrorDetail().c_str(),
                             smtp.LastResponse().c_str(), style);
  }
  return "";
}
