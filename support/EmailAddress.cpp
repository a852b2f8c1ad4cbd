#include "support/EmailAddress.h"

#include "platform/mfc/cstring.h"

bool IsValidEmailAddress(const char* text) {
  CString address(text);
  address.Trim(' ');
  int at = address.Find('@');
  if (at <= 0) return false;
  CString domain = address.Mid(at + 1);
  if (domain.IsEmpty() || domain.Find('@') >= 0) return false;
  int dot = domain.Find('.');
  if (dot <= 0) return false;
  return domain.Right(1) != ".";
}
