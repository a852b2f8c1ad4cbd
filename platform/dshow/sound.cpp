#include <sys/stat.h>

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "platform/dshow/mmsystem.h"
#include "platform/user/qtstring_p.h"
#include "platform/win32/codepage.h"
#include "platform/win32/files.h"

namespace {

// Sounds and movies are played only from regular files: a FIFO in their place is missing.
bool IsRegularFile(const char* path) {
  struct stat info {};
  return stat(NativePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::mutex g_playedMutex;
std::vector<std::string> g_played;

// One effect at a time, as the platform plays one asynchronous sound at a time.
std::unique_ptr<QSoundEffect>& CurrentEffect() {
  static std::unique_ptr<QSoundEffect> effect;
  return effect;
}

bool HasAudioOutput() { return !QMediaDevices::audioOutputs().isEmpty(); }

}  // namespace

void SelectMediaBackend() { setenv("QT_MEDIA_BACKEND", "ffmpeg", 0); }

BOOL PlaySoundA(LPCSTR sound, HMODULE, DWORD flags) {
  if (!sound) {
    if (CurrentEffect()) CurrentEffect()->stop();
    return TRUE;
  }
  if (!(flags & SND_FILENAME) || !IsRegularFile(sound)) return FALSE;
  {
    std::lock_guard<std::mutex> lock(g_playedMutex);
    g_played.emplace_back(sound);
  }
  if (!HasAudioOutput()) return TRUE;
  auto effect = std::make_unique<QSoundEffect>();
  effect->setSource(QUrl::fromLocalFile(user_p::ToQString(sound)));
  effect->play();
  CurrentEffect() = std::move(effect);
  return TRUE;
}

std::vector<std::string> GetPlayedSounds() {
  std::lock_guard<std::mutex> lock(g_playedMutex);
  return g_played;
}

void ClearPlayedSounds() {
  std::lock_guard<std::mutex> lock(g_playedMutex);
  g_played.clear();
}
