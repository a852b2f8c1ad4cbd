#include "platform/tavorinlib/TavorinLib.h"

#include <cstring>

#include "ipc/TavorinIPC.h"

namespace {

const DWORD kFindMs = 5000;
const DWORD kCommandMs = 10000;

TavorinIPC& Channel() {
  static TavorinIPC channel;
  return channel;
}

int FromStatus(int status) {
  switch (status) {
    case kIpcNoAnswer: return kTavorinLibTimeout;
    case kIpcNotConnected: return kTavorinLibNotConnected;
    case kIpcBusy: return kTavorinLibBusy;
    case kIpcRefused: return kTavorinLibRefused;
    default: return kTavorinLibSuccess;
  }
}

bool Find() { return Channel().findServer(kFindMs) != 0; }

int Command(int command, int parameter) {
  if (!Find()) return kTavorinLibNotRunning;
  return FromStatus(Channel().sendCommand(command, parameter, kCommandMs));
}

int CommandText(int command, const char* text) {
  if (!Find()) return kTavorinLibNotRunning;
  return FromStatus(Channel().sendCommandString(command, text ? text : "", kCommandMs));
}

int Query(int command, char* buffer, int size) {
  if (buffer && size > 0) buffer[0] = '\0';
  int result = Command(command, 0);
  if (result == kTavorinLibSuccess) Channel().getReplyText(buffer, size);
  return result;
}

}  // namespace

int TavorinLibReleaseShutter(int timeoutSeconds, char* path, int pathSize) {
  if (path && pathSize > 0) path[0] = '\0';
  int status = Channel().findServer(kFindMs);
  if (status == kIpcNoAnswer) return kTavorinLibNotRunning;
  if (status == kIpcNotConnected) return kTavorinLibNotConnected;
  if (status == kIpcBusy) return kTavorinLibBusy;
  status = Channel().sendCommand(kIpcRelease, 0, kCommandMs);
  if (status != kIpcReleaseStarted) return FromStatus(status == kIpcDone ? kIpcRefused : status);
  DWORD limit = timeoutSeconds > 0 ? static_cast<DWORD>(timeoutSeconds) * 1000 : kCommandMs;
  status = Channel().waitStatusChange(kIpcReleaseStarted, limit);
  if (status == kIpcReleaseStarted) return kTavorinLibTimeout;
  if (status == kIpcRefused) {
    Channel().getReplyText(path, pathSize);
    return kTavorinLibNotSaved;
  }
  if (status != kIpcSaved) return FromStatus(status == kIpcDone ? kIpcRefused : status);
  Channel().getReplyText(path, pathSize);
  return kTavorinLibSuccess;
}

int TavorinLibSetZoom(int position) { return Command(kIpcZoom, position); }
int TavorinLibSetIso(int index) { return Command(kIpcIso, index); }
int TavorinLibSetImageQuality(int index) { return Command(kIpcSizeQuality, index); }
int TavorinLibSetExposureMode(int index) { return Command(kIpcExpMode, index); }
int TavorinLibSetExposureCompensation(int index) { return Command(kIpcExpComp, index); }

int TavorinLibSetShutterAperture(int shutterIndex, int apertureIndex) {
  int result = kTavorinLibSuccess;
  if (shutterIndex != -1) result = Command(kIpcTv, shutterIndex);
  if (result == kTavorinLibSuccess && apertureIndex != -1) result = Command(kIpcAv, apertureIndex);
  return result;
}

int TavorinLibSetWhiteBalance(int index) { return Command(kIpcWhiteBalance, index); }
int TavorinLibSetFilenamePrefix(const char* prefix) { return CommandText(kIpcPrefix, prefix); }
int TavorinLibSetOutputDirectory(const char* directory) { return CommandText(kIpcSetDirectory, directory); }
int TavorinLibGetOutputDirectory(char* buffer, int size) { return Query(kIpcGetDirectory, buffer, size); }
int TavorinLibSetComment(const char* comment) { return CommandText(kIpcComment, comment); }
int TavorinLibGetCameraModel(char* buffer, int size) { return Query(kIpcGetModel, buffer, size); }
int TavorinLibSetFlash(int index) { return Command(kIpcFlash, index); }
int TavorinLibSetAfDistance(int distance) { return Command(kIpcAfDistance, distance); }
int TavorinLibRefreshAeAf() { return Command(kIpcRefocus, 0); }
int TavorinLibSetAfLock(int unlock) { return Command(kIpcAfLock, unlock); }
int TavorinLibSetViewfinder(int mode) { return Command(kIpcViewfinder, mode); }

int TavorinLibConnect(int connect, int timeoutSeconds) {
  if (!Find()) return kTavorinLibNotRunning;
  int status = Channel().sendCommand(kIpcConnect, connect, kCommandMs);
  if (status == kIpcConnecting) {
    DWORD limit = timeoutSeconds > 0 ? static_cast<DWORD>(timeoutSeconds) * 1000 : kCommandMs;
    status = Channel().waitStatusChange(kIpcConnecting, limit);
    if (status == kIpcConnecting) return kTavorinLibTimeout;
  }
  return FromStatus(status);
}

int TavorinLibSelectCamera(int) { return kTavorinLibNotSupported; }
int TavorinLibExit() { return Command(kIpcExit, 0); }
