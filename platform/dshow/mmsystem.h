// Sound playback of wave files (the multimedia system's PlaySound). Without an audio device
// the call succeeds silently, so a booth on a machine without speakers runs the same.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/windef.h"

#define SND_SYNC 0x0000u
#define SND_ASYNC 0x0001u
#define SND_NODEFAULT 0x0002u
#define SND_FILENAME 0x00020000u

/// Plays the wave file named by `sound` (SND_FILENAME) without waiting (SND_ASYNC), replacing a
/// sound still playing; NULL stops it. FALSE when the file does not exist.
BOOL PlaySoundA(LPCSTR sound, HMODULE module, DWORD flags);
#define PlaySound PlaySoundA

/// Test hook: every file PlaySound was asked to play since the last clear, oldest first.
std::vector<std::string> GetPlayedSounds();
void ClearPlayedSounds();

/// Chooses the ffmpeg media back end unless the environment names one; call before the
/// application object exists (the default back end of this Qt crashes opening MP4 files).
void SelectMediaBackend();
