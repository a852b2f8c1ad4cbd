// Private temporary folders for guests' pictures on their way (clip frames, the sharing copy):
// made fresh with mkdtemp (0700, never an existing one), named after this process so that a
// later start can clear what a crash left behind.
#pragma once

#include "platform/mfc/cstring.h"

/// A new folder in the system's temporary folder, "<prefix>-<pid>-XXXXXX", readable by this
/// user only; empty when none can be made. The caller removes it.
CString MakePrivateTempFolder(const char* prefix);
/// Removes the whole folder made by MakePrivateTempFolder (files directly in it, then itself).
void RemovePrivateTempFolder(const CString& folder);
/// Removes the folders with this prefix that this user's earlier, ended processes left.
void RemoveStalePrivateTempFolders(const char* prefix);
