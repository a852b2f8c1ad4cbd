// Photobooth profiles: 18 settings-file paths the booth can switch between while it runs.
// The switch's choices are here, headless; loading the file is the view's.
#pragma once

#include "platform/mfc/cstring.h"

const int kProfileSlots = 18;
/// Requests for the previous and the next set profile.
const int kPreviousProfile = -1000;
const int kNextProfile = 1000;

/// The profile a request names: below 0 the previous set one, 101 and above the next set one
/// (searching from `current`, wrapping, at most 18 steps), else the number itself. 0 when there
/// is nothing to switch to: outside 1..18, or a search that comes back to the current profile.
int ResolveProfileRequest(int requested, int current, const CString paths[kProfileSlots]);

/// A profile path with its placeholders filled in: {photoboothDir} the images folder,
/// {photoboothSubdir}/{photoboothSubDir} its parent folder with a trailing '/', {documents} the
/// Documents folder, then the template functions.
CString ExpandProfilePath(const CString& path, const CString& imagesFolder);
/// The images folder without trailing '/' and blanks, cut after its last '/' (kept whole when
/// the only '/' is its first character, or there is none).
CString ProfileParentFolder(const CString& imagesFolder);
