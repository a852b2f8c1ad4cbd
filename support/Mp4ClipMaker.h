// MP4 clips of the photobooth's frame images, made by the outside encoder ffmpeg.
#pragma once

#include <string>
#include <vector>

#include "platform/mfc/collections.h"
#include "platform/mfc/cstring.h"
#include "platform/win32/windef.h"

/// The concat list for ffmpeg: the frames (repeated until the minimum duration is reached) and
/// the end frames (each repeated to last about its own time), end frames after the frames when
/// endFramesLast, else before. Times in hundredths of a second; a frame time below 1 counts as 1.
CString BuildMp4ConcatList(const CStringArray& frames, const CStringArray& endFrames, int minDuration,
                           int frameTime, int endFrameTime, BOOL endFramesLast);

/// The ffmpeg to run: "ffmpeg" in the program's folder, else the first on PATH; empty when
/// there is none.
std::string FindFfmpeg();

/// Writes the concat list to a temporary file and runs ffmpeg on it, waiting for the end.
/// Returns 1 for an empty frame list (nothing done), 0 when the clip was made, else ffmpeg's
/// exit code or the system error (a missing ffmpeg is ERROR_FILE_NOT_FOUND; the first time in a
/// run a message box owned by parent tells so, and this returns without waiting for its answer).
int CreateMp4FromPng(HWND parent, const CStringArray& frames, const CStringArray& endFrames, int minDuration,
                     const char* outputPath, int frameTime, int endFrameTime, BOOL endFramesLast);

/// Runs the program with exactly these arguments (no shell) and waits for it. Returns its exit
/// code (0 when it cannot be read), or the system error when it cannot be started.
DWORD RunCommandAndWait(const std::vector<std::string>& argv);
