#include <strings.h>

#include "platform/csmail/csmail.h"

namespace CSMail {

void BodyPart::SetHeader(const std::string& name, const std::string& value) {
  for (auto& header : headers_) {
    if (strcasecmp(header.first.c_str(), name.c_str()) == 0) {
      header.second = value;
      return;
    }
  }
  headers_.emplace_back(name, value);
}

std::string BodyPart::Header(const std::string& name) const {
  for (const auto& header : headers_)
    if (strcasecmp(header.first.c_str(), name.c_str()) == 0) return header.second;
  return {};
}

BodyPart& BodyPart::AddChild() {
  children_.push_back(std::make_unique<BodyPart>());
  return *children_.back();
}

namespace {
// An address goes into MAIL FROM / RCPT TO and into a header: anything that could end the
// line or add a second address is refused rather than cleaned.
void CheckAddress(const std::string& address) {
  bool bad = address.empty();
  for (unsigned char c : address)
    if (c < 0x20 || c == 0x7f || c == ',' || c == '<' || c == '>' || c == ' ') bad = true;
  if (bad) throw CSMailError{CSMAIL_E_INVALIDARG, "Invalid email address: " + address};
}
}  // namespace

void Message::SetFrom(const std::string& address) {
  CheckAddress(address);
  from_ = address;
}

void Message::AddRecipient(const std::string& address) {
  CheckAddress(address);
  recipients_.push_back(address);
}

}  // namespace CSMail
