// Files the program ships beside itself (splash picture, help page).
#pragma once

#include "platform/mfc/cstring.h"

/// The shipped file of that name: beside the program, in a build tree's source data folder, or
/// in the installed share folder (FindShippedFile); "" when none has it.
CString FindDataFile(const char* name);
