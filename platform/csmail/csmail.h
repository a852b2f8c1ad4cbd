// The mail component: a message with a tree of body parts, an SSL switch and an SMTP
// connection. Failing operations throw CSMailError, as the component raised COM errors.
// Texts are in the system code page; the MIME builder converts them to UTF-8.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/windef.h"

namespace CSMail {

/// The server refused a command (login, sender, recipient or the message).
constexpr HRESULT CSMAIL_E_SERVER_REFUSED = static_cast<HRESULT>(0x80040206);
constexpr HRESULT CSMAIL_E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT CSMAIL_E_INVALIDARG = static_cast<HRESULT>(0x80070057);

struct CSMailError {
  HRESULT code;
  std::string description;
};

class BodyPart {
 public:
  /// Text content; a part holds text, a file or children.
  void SetText(const std::string& text) { text_ = text; hasText_ = true; }
  /// The file is read when the message is sent.
  void AttachFile(const std::string& path) { file_ = path; }
  /// Replaces a header of the same name (case-insensitive).
  void SetHeader(const std::string& name, const std::string& value);
  std::string Header(const std::string& name) const;
  BodyPart& AddChild();

  const std::string& Text() const { return text_; }
  bool HasText() const { return hasText_; }
  const std::string& File() const { return file_; }
  const std::vector<std::pair<std::string, std::string>>& Headers() const { return headers_; }
  const std::vector<std::unique_ptr<BodyPart>>& Children() const { return children_; }

 private:
  std::string text_;
  bool hasText_ = false;
  std::string file_;
  std::vector<std::pair<std::string, std::string>> headers_;
  std::vector<std::unique_ptr<BodyPart>> children_;
};

class Message {
 public:
  /// Addresses holding CR, LF, ',' or angle brackets are refused (CSMAIL_E_INVALIDARG).
  void SetFrom(const std::string& address);
  void AddRecipient(const std::string& address);
  void SetSubject(const std::string& subject) { subject_ = subject; }
  BodyPart& Body() { return body_; }

  const std::string& From() const { return from_; }
  const std::vector<std::string>& Recipients() const { return recipients_; }
  const std::string& Subject() const { return subject_; }
  const BodyPart& Body() const { return body_; }

  /// The whole RFC 5322 message with CRLF line ends; throws when an attached file cannot be read.
  std::string Build() const;

 private:
  std::string from_;
  std::vector<std::string> recipients_;
  std::string subject_;
  BodyPart body_;
};

class Ssl {
 public:
  void SetEnabled(bool on) { enabled_ = on; }
  bool Enabled() const { return enabled_; }

 private:
  bool enabled_ = false;
};

/// SSL on port 465 is TLS from the first byte; on any other port STARTTLS is required.
/// Certificates are always checked. Every exchange has an idle limit and an overall deadline,
/// so a server that falls silent or trickles cannot hold a caller for longer.
class SmtpConnection {
 public:
  SmtpConnection() = default;
  ~SmtpConnection();
  SmtpConnection(const SmtpConnection&) = delete;
  SmtpConnection& operator=(const SmtpConnection&) = delete;

  void UseSsl(const Ssl& ssl) { ssl_ = ssl.Enabled(); }
  /// While the flag is set every exchange ends within about a second (a transport failure).
  void SetCancelFlag(const std::atomic<bool>* cancel) { cancel_ = cancel; }
  /// Connects to the server and greets it (TLS first when SSL is on). E_INVALIDARG for a bad
  /// host or port; E_FAIL with ErrorDetail when the server cannot be reached or spoken to.
  HRESULT Connect(const std::string& host, int port);
  /// Connect, then logs in with the method "LOGIN" (or "PLAIN"; other methods are refused).
  /// A refused login throws CSMAIL_E_SERVER_REFUSED with the server's reply in LastResponse.
  HRESULT ConnectAuth(const std::string& host, const std::string& user, const std::string& password,
                      const std::string& method, int port);
  /// Sends over the connection made by Connect (made again if the server dropped it).
  void Send(const Message& message);
  void Close();

  /// The last reply line the server sent ("535 5.7.8 ...").
  const std::string& LastResponse() const { return lastResponse_; }
  /// Transport detail of the last failure (empty when the server itself refused).
  const std::string& ErrorDetail() const { return errorDetail_; }

 private:
  std::string host_, user_, password_, method_;
  int port_ = 25;
  bool ssl_ = false;
  bool connected_ = false;
  void* curl_ = nullptr;  // the session, kept from Connect to Close
  const std::atomic<bool>* cancel_ = nullptr;
  std::string lastResponse_;
  std::string errorDetail_;
};

/// Test seam: seconds without progress, or waiting for one reply, before an exchange is given
/// up (0 restores 60 s).
void SetSmtpTimeoutForTesting(long seconds);
/// Test seam: the overall deadline of one exchange (connecting, or sending one message) in
/// seconds (0 restores 300 s).
void SetSmtpDeadlineForTesting(long seconds);
/// Test seam: the port that means TLS from the first byte (0 restores 465).
void SetSmtpImplicitTlsPortForTesting(int port);

}  // namespace CSMail
