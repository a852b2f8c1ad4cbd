// The status command: an outside program told of every change of the booth's state. It is
// started without waiting, with the command line's own arguments and the status last.
#pragma once

#include <cstdint>

#include "platform/mfc/afxwin.h"

/// Nothing unless the status command is enabled, the line is not empty and a parent is given.
/// Failures are shown in message boxes owned by the parent; the caller always goes on.
void RunStatusCommand(CWnd* parent, const char* commandLine, const char* status);

/// The spawn the command is started with (_spawnvp); tests replace it.
extern intptr_t (*g_pfnStatusCommandSpawn)(int mode, const char* program, const char* const* argv);
