#include "sharing/Uploader.h"

#include <cerrno>
#include <cstring>

#include "platform/user/window.h"
#include "sharing/ShareLogField.h"

const char kFacebookUploaderPrefix[] = "Morvane Systems Facebook Uploader";
const char kTwitterUploaderPrefix[] = "Morvane Systems Twitter Uploader";

namespace {

// The first `count` characters: UTF-8 characters when the text is UTF-8, else bytes (the
// system code page has one byte per character). Never ends inside a sequence.
std::string CutCharacters(const std::string& text, size_t count) {
  size_t i = 0, characters = 0;
  bool utf8 = true;
  while (i < text.size() && utf8) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (length == 0 || i + length > text.size()) utf8 = false;
    for (size_t k = 1; utf8 && k < length; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) utf8 = false;
    if (utf8) i += length;
  }
  if (!utf8) return text.substr(0, count);
  for (i = 0; i < text.size() && characters < count; ++characters) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    i += c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
  }
  return text.substr(0, i);
}

struct TitleSearch {
  const char* prefix = "";
  DWORD processId = 0;
  HWND found = nullptr;
  CString title;
};

BOOL CALLBACK MatchTitle(HWND hWnd, LPARAM lParam) {
  auto* search = reinterpret_cast<TitleSearch*>(lParam);
  DWORD owner = 0;
  if (!GetWindowThreadProcessId(hWnd, &owner) || owner != search->processId) return TRUE;
  char text[1025] = "";
  GetWindowTextA(hWnd, text, sizeof text);
  if (std::strncmp(text, search->prefix, std::strlen(search->prefix)) != 0) return TRUE;
  search->found = hWnd;
  search->title = text;
  return FALSE;
}

}  // namespace

std::vector<std::string> BuildUploaderArguments(const UploaderLaunch& launch) {
  std::vector<std::string> arguments{launch.program.GetString()};
  auto add = [&](const char* option, const CString& value) {
    if (!value.IsEmpty()) arguments.push_back(std::string(option) + value.GetString());
  };
  add("-u", launch.user);
  add("-p", launch.password);
  add("-f", launch.file);
  if (launch.facebook) {
    add("-a", launch.firstText);
    add("-b", launch.message);
  } else if (!launch.firstText.IsEmpty()) {
    arguments.push_back("-c" + CutCharacters(launch.firstText.GetString(), 120));
  }
  arguments.push_back("-x" + std::to_string(launch.left + 10));
  arguments.push_back("-y" + std::to_string(launch.top + 10));
  arguments.push_back("-w" + std::to_string(launch.width));
  arguments.push_back("-h" + std::to_string(launch.height));
  return arguments;
}

CString UploaderLaunchError(int error, const std::vector<std::string>& arguments) {
  CString text = "Error trying to run command:\n";
  switch (error) {
    case ENOENT: text += "ENOENT: File or path not found\n"; break;
    case E2BIG: text += "E2BIG: Argument list exceeds 1024 bytes\n"; break;
    case ENOEXEC: text += "ENOEXEC: Specified file is not executable or has invalid executable file format\n"; break;
    case ENOMEM: text += "ENOMEM: Not enough memory is available to execute new process\n"; break;
    default: break;
  }
  text += CString("cmd: ") + (arguments.empty() ? "" : arguments[0].c_str()) + "\n";
  for (size_t i = 0; i < arguments.size(); ++i) {
    CString line;
    const char* shown = arguments[i].compare(0, 2, "-p") == 0 ? "-p<password>" : arguments[i].c_str();
    line.Format("arg %d: %s\n", static_cast<int>(i), shown);
    text += line;
  }
  return text;
}

UploaderTitleWord ReadUploaderTitle(const CString& title, bool facebook, CString* errorText) {
  CString lower = title;
  lower.MakeLower();
  auto has = [&](const char* word) { return lower.Find(word, 1) >= 1; };
  if (has("(upload ok)")) return UploaderTitleWord::Success;
  if (has("(logged in)") || has("(create album)") || has("(upload photo)")) return UploaderTitleWord::Uploading;
  if (!facebook && has("(upload media)")) return UploaderTitleWord::Uploading;
  if (has("(logging in)")) return UploaderTitleWord::LoggingIn;
  if (has("login failed")) return UploaderTitleWord::LoginFailed;
  if (!facebook && has("login cancelled")) return UploaderTitleWord::Cancelled;
  if (has("access denied")) return UploaderTitleWord::LoginFailed;
  int error = lower.Find("(error:", 1);
  if (error >= 1) {
    // From "error:" to the next ")", or to the end when none follows.
    int start = error + 1;
    int end = title.Find(')', start);
    if (errorText) *errorText = end < 0 ? title.Mid(start) : title.Mid(start, end - start);
    return UploaderTitleWord::Error;
  }
  return UploaderTitleWord::None;
}

HWND FindWindowByTitle(const char* prefix, DWORD processId, CString* title) {
  TitleSearch search;
  search.prefix = prefix;
  search.processId = processId;
  EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
  if (title) *title = search.title;
  return search.found;
}

CString UploaderLogLine(std::time_t when, bool facebook, const char* user, bool success, const char* photoPath) {
  char stamp[32];
  std::tm local{};
  localtime_r(&when, &local);
  std::strftime(stamp, sizeof stamp, "%Y%m%d,%H%M%S,", &local);
  CString name = user;
  name.Replace('@', '_');
  return CString(stamp) + (facebook ? "FACEBOOK_USERNAME:" : "TWITTER_USERNAME:") + EscapeLogField(name) +
         (success ? ",1," : ",0,") + EscapeLogField(photoPath) + "\n";
}
