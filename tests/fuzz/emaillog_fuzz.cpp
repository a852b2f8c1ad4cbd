// The e-mail log is a text file anyone can edit; the resend list must read any of it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "sharing/EmailLogReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  for (const LoggedEmail& email : FindUnsentEmails(text)) {
    CString when = FormatLoggedDateTime(email);
    if (when.GetLength() != 19 || email.sent) __builtin_trap();
  }
  return 0;
}
