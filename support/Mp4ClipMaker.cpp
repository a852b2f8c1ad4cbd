#include "support/Mp4ClipMaker.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/user/messagebox.h"
#include "platform/win32/error.h"
#include "platform/win32/fileio.h"
#include "platform/win32/files.h"
#include "platform/win32/folders.h"
#include "platform/win32/process.h"

namespace {

// ffmpeg's concat syntax: a quote inside a quoted name is closed, escaped and reopened.
CString ConcatLine(const CString& path) {
  CString escaped(path);
  escaped.Replace("'", "'\\''");
  return "file '" + escaped + "'\n";
}

bool IsProgram(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

CString BuildMp4ConcatList(const CStringArray& frames, const CStringArray& endFrames, int minDuration,
                           int frameTime, int endFrameTime, BOOL endFramesLast) {
  if (frameTime < 1) frameTime = 1;
  CString frameList;
  for (INT_PTR i = 0; i < frames.GetSize(); ++i) frameList += ConcatLine(frames[i]);
  long long frameDuration = (long long)frames.GetSize() * frameTime;

  CString endList;
  long long endDuration = 0;
  int endTarget = (endFrameTime > 1 ? endFrameTime : 1);
  for (INT_PTR i = 0; i < endFrames.GetSize(); ++i) {
    CString line = ConcatLine(endFrames[i]);
    long long shown = 0;
    do {
      endList += line;
      shown += frameTime;
    } while (shown * 2 < 2LL * endTarget - frameTime);  // shown < target - frameTime / 2
    endDuration += shown;
  }

  CString text = frameList;
  long long total = endDuration + frameDuration;
  while (frameDuration > 0 && total < minDuration) {
    text += frameList;
    total += frameDuration;
  }
  if (!endList.IsEmpty()) text = endFramesLast ? text + endList : endList + text;
  return text;
}

std::string FindFfmpeg() {
  std::string beside = GetProgramFolder() + "ffmpeg";
  if (GetProgramFolder().size() && IsProgram(beside)) return beside;
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "";
  size_t start = 0;
  while (start <= folders.size()) {
    size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    std::string folder = folders.substr(start, end - start);
    if (!folder.empty()) {
      std::string candidate = folder + (folder.back() == '/' ? "" : "/") + "ffmpeg";
      if (IsProgram(candidate)) return candidate;
    }
    start = end + 1;
  }
  return std::string();
}

int CreateMp4FromPng(HWND parent, const CStringArray& frames, const CStringArray& endFrames, int minDuration,
                     const char* outputPath, int frameTime, int endFrameTime, BOOL endFramesLast) {
  if (frames.IsEmpty()) return 1;
  if (frameTime < 1) frameTime = 1;
  std::string ffmpeg = FindFfmpeg();
  // Told once per run, and no one waits for the answer: a booth without ffmpeg goes on making
  // sessions without their clips while the box waits for the operator.
  static std::atomic<bool> s_missingShown{false};
  if (ffmpeg.empty() && s_missingShown.exchange(true)) return ERROR_FILE_NOT_FOUND;
  if (ffmpeg.empty()) {
    CString text = "Unable to find ffmpeg:\n" + CString((GetProgramFolder() + "ffmpeg").c_str()) +
                   " (nor on the PATH)\n\n"
                   "Debian and Ubuntu ship it in the package \"ffmpeg\" (apt install ffmpeg); builds for other "
                   "systems are listed at https://ffmpeg.org/download.html. Please install ffmpeg or copy the "
                   "ffmpeg program into the installation folder.";
    MessageBoxWithoutWaiting(parent, text, "CreateMp4FromPng", MB_OK);
    return ERROR_FILE_NOT_FOUND;
  }

  CString list = BuildMp4ConcatList(frames, endFrames, minDuration, frameTime, endFrameTime, endFramesLast);
  char folder[MAX_PATH + 1] = {0};
  char listPath[MAX_PATH + 1] = {0};
  if (!GetTempPathA(sizeof folder, folder) || !GetTempFileNameA(folder, "IFL", 0, listPath)) {
    DWORD error = GetLastError();
    return error ? int(error) : int(ERROR_WRITE_FAULT);
  }
  FILE* file = std::fopen(listPath, "w");
  bool written = file && std::fwrite(list.GetString(), 1, size_t(list.GetLength()), file) == size_t(list.GetLength());
  if (file && std::fclose(file) != 0) written = false;
  if (!written) {
    DeleteFileA(listPath);
    return ERROR_WRITE_FAULT;
  }

  // ffmpeg writes beside the clip under a temporary name; only a clip it finished is renamed
  // into place, so a killed or failed encoder leaves no broken clip under the final name.
  const CString finalPath = outputPath ? outputPath : "";
  const CString partPath = finalPath + ".part";
  DeleteFileA(partPath);
  CString rate;
  rate.Format("100/%d", frameTime);
  // -y: a clip made again (reprint) replaces the old one; -nostdin: never wait for an answer.
  std::vector<std::string> argv = {ffmpeg, "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
                                   "-r", rate.GetString(), "-safe", "0", "-f", "concat", "-i", listPath,
                                   "-vf", "scale=trunc(iw/2)*2:trunc(ih/2)*2,fps=25,format=yuv420p",
                                   "-c:v", "libx264", "-preset", "veryslow", "-f", "mp4", partPath.GetString()};
  DWORD result = RunCommandAndWait(argv);
  DeleteFileA(listPath);
  if (result == 0 && GetFileAttributesA(partPath) == INVALID_FILE_ATTRIBUTES) result = ERROR_WRITE_FAULT;
  if (result == 0 && !MoveFileExA(partPath, finalPath, MOVEFILE_REPLACE_EXISTING)) {
    result = GetLastError();
    if (result == 0) result = ERROR_WRITE_FAULT;
  }
  if (result != 0) DeleteFileA(partPath);
  return int(result);
}

DWORD RunCommandAndWait(const std::vector<std::string>& argv) {
  DWORD exitCode = 0;
  if (!RunProcess(argv, INFINITE, &exitCode)) {
    DWORD error = GetLastError();
    return error ? error : DWORD(ERROR_FILE_NOT_FOUND);
  }
  return exitCode;
}
