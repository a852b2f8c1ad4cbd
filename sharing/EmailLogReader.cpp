#include "sharing/EmailLogReader.h"

#include <fstream>
#include <iterator>
#include <string_view>
#include <unordered_set>

#include "sharing/ShareLogField.h"
#include "support/EmailAddress.h"

namespace {

std::string_view Trimmed(std::string_view field) {
  const char* blanks = " \t\r\n";
  size_t first = field.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  size_t last = field.find_last_not_of(blanks);
  return field.substr(first, last - first + 1);
}

template <typename Visit>
void ForEachLine(const std::string& text, Visit visit) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    visit(text.data() + start, end - start);
    start = end + 1;
  }
}

std::string PairKey(const LoggedEmail& email) {
  // A NUL cannot occur inside either field, so the pair is unambiguous.
  std::string key = email.address.str();
  key += '\0';
  key += email.photo.str();
  return key;
}

}  // namespace

bool ParseEmailLogLine(const char* line, size_t length, LoggedEmail& email) {
  std::string_view rest(line, length);
  std::string_view fields[5];
  int count = 0;
  while (count < 5) {
    size_t comma = rest.find(',');
    fields[count++] = Trimmed(rest.substr(0, comma));
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  if (count < 5 || fields[0].size() != 8 || fields[1].size() != 6) return false;
  for (std::string_view field : fields)
    if (field.find('\0') != std::string_view::npos) return false;
  std::string address = UnescapeLogField(fields[2]);
  if (!IsValidEmailAddress(address.c_str())) return false;
  email.date = std::string(fields[0]);
  email.time = std::string(fields[1]);
  email.address = address;
  email.sent = fields[3] == "1";
  email.photo = UnescapeLogField(fields[4]);
  return true;
}

std::vector<LoggedEmail> FindUnsentEmails(const std::string& logText) {
  std::unordered_set<std::string> done;
  ForEachLine(logText, [&](const char* line, size_t length) {
    LoggedEmail email;
    if (ParseEmailLogLine(line, length, email) && email.sent) done.insert(PairKey(email));
  });
  std::vector<LoggedEmail> unsent;
  ForEachLine(logText, [&](const char* line, size_t length) {
    LoggedEmail email;
    if (ParseEmailLogLine(line, length, email) && done.insert(PairKey(email)).second)
      unsent.push_back(std::move(email));
  });
  return unsent;
}

std::vector<LoggedEmail> ReadUnsentEmails(const char* path) {
  std::ifstream in(path ? path : "", std::ios::binary);
  if (!in) return {};
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return FindUnsentEmails(text);
}

CString FormatLoggedDateTime(const LoggedEmail& email) {
  const CString& d = email.date;
  const CString& t = email.time;
  return d.Left(4) + "/" + d.Mid(4, 2) + "/" + d.Mid(6, 2) + " " + t.Left(2) + ":" + t.Mid(2, 2) + ":" + t.Mid(4, 2);
}
