// The user's private folder of one desktop session: windows publish themselves there, their
// processes listen there, and named shared blocks live there as files. It is
// $XDG_RUNTIME_DIR/tavorin-station, or, without a runtime folder, a folder under the user's
// own cache folder (never a name in a folder others can write, where another user could take
// it first). The folder must be a real folder owned by the user, mode 0700.
#pragma once

#include <string>

/// Where the folder is for this environment (not made or checked).
std::string GetStationFolderPath();
/// Makes the folder (and a missing cache folder above it) and checks it; a wrong mode on our
/// own folder is repaired. False, with *why saying so when given, when it must not be used.
bool PrepareStationFolderAt(const std::string& path, std::string* why = nullptr);
/// The checked folder of this process, fixed on first use; "" when none is usable.
const std::string& GetStationFolder();
/// Why GetStationFolder() is "" (for telling the user); "" when it is usable.
const std::string& GetStationFolderProblem();
