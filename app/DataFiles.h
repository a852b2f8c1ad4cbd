// Files the program ships beside itself (splash picture, help page).
#pragma once

#include "platform/mfc/cstring.h"

/// The shipped file of that name: beside the program, else (in a build tree) in the source's
/// data folder; "" when neither has it.
CString FindDataFile(const char* name);
