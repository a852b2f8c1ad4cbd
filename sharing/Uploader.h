// The outside uploader programs of the Facebook and Twitter kinds: their command lines, and the
// words their window titles carry that the sharing screen follows.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "platform/mfc/cstring.h"
#include "platform/win32/windef.h"

extern const char kFacebookUploaderPrefix[];
extern const char kTwitterUploaderPrefix[];

struct UploaderLaunch {
  bool facebook = true;
  CString program;             // full path
  CString user, password, file;
  CString firstText;           // Facebook album (-a) or Twitter comment (-c)
  CString message;             // Facebook only (-b)
  int left = 0, top = 0;       // the screen's window
  int width = 0, height = 0;   // already limited
};

/// The argument vector, each switch and its value one element, nothing quoted: the program
/// gets exactly these strings. A Twitter comment is cut to 120 characters.
std::vector<std::string> BuildUploaderArguments(const UploaderLaunch& launch);

/// "Error trying to run command:\n" + the reason + the command and its arguments (the password
/// hidden), for a program that could not be started with that errno.
CString UploaderLaunchError(int error, const std::vector<std::string>& arguments);

/// What a title says (lower-cased words, found after the first character).
enum class UploaderTitleWord { None, Success, Uploading, LoggingIn, LoginFailed, Cancelled, Error };
UploaderTitleWord ReadUploaderTitle(const CString& title, bool facebook, CString* errorText);

/// The first top-level window of the process whose title begins with the prefix, with its
/// title; NULL for none. Windows of other processes never count: a leftover uploader's
/// "(Upload OK)" is not this share's.
HWND FindWindowByTitle(const char* prefix, DWORD processId, CString* title);

/// "%Y%m%d,%H%M%S,FACEBOOK_USERNAME:<user>,<1|0>,<photo>\n" (TWITTER_USERNAME for Twitter),
/// every "@" of the user name written as "_".
CString UploaderLogLine(std::time_t when, bool facebook, const char* user, bool success, const char* photoPath);
