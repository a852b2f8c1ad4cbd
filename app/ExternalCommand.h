// Starting the user's external programs (the image editor, the command after an auto-bracket
// series): the setting's text split into program and fixed words, the photos after them.
#pragma once

#include <vector>

#include "platform/mfc/cstring.h"

struct ExternalCommand {
  CString program;
  std::vector<CString> words;  // fixed words that follow the program
};

/// Splits a command setting (blanks trimmed): a quoted program, else the text up to ".exe"
/// (or ".bat" when allowed; either found in any case), else a command line, program first.
/// False when a quoted program has no closing quote or is shorter than two characters.
bool SplitExternalCommand(const CString& command, bool allowBat, ExternalCommand& split);

/// Starts the program with its fixed words and then `files`, without waiting, in `folder`
/// (NULL: ours). Arguments holding a blank are quoted so that each arrives whole. On failure
/// returns false and `error` holds the reason line, "cmd: " and one "arg %d: " line each.
bool LaunchExternalCommand(const ExternalCommand& command, const std::vector<CString>& files, const char* folder,
                           CString& error);
