// TavorinLib: the client library other programs use to remote-control a running Tavorin.
// Every function finds the program, sends one command over the shared block and waits a
// bounded time for its answer. Results: 0 success, else one of the codes below.
#pragma once

enum TavorinLibResult {
  kTavorinLibSuccess = 0,
  kTavorinLibNotRunning = 1,    // no Tavorin answered
  kTavorinLibNotConnected = 2,  // Tavorin has no camera
  kTavorinLibBusy = 3,          // the camera is busy with a shot
  kTavorinLibTimeout = 4,       // no (final) answer within the time limit
  kTavorinLibRefused = 5,       // out of range, too long, or the operation failed
  kTavorinLibNotSupported = 6,  // this Tavorin cannot do it
  kTavorinLibNotSaved = 7,      // the picture was taken but could not be saved
};

/// Releases the shutter and waits up to `timeoutSeconds` for the file; on 0 `path` holds the
/// saved file's full path, or "" when the picture stayed on the camera's card; on 7 (the save
/// failed) it holds the program's reason.
int TavorinLibReleaseShutter(int timeoutSeconds, char* path, int pathSize);
/// Moves the zoom to a position (0 = wide angle); 5 beyond the lens's maximum.
int TavorinLibSetZoom(int position);
/// The index commands choose an entry of the program's list; 5 for an index outside it.
int TavorinLibSetIso(int index);
int TavorinLibSetImageQuality(int index);
int TavorinLibSetExposureMode(int index);
int TavorinLibSetExposureCompensation(int index);
/// -1 leaves that value alone.
int TavorinLibSetShutterAperture(int shutterIndex, int apertureIndex);
int TavorinLibSetWhiteBalance(int index);
/// Texts are at most 255 characters (directory: 767); longer ones give 5.
int TavorinLibSetFilenamePrefix(const char* prefix);
int TavorinLibSetOutputDirectory(const char* directory);
/// Copies today's image folder into `buffer` (terminated; "" on failure).
int TavorinLibGetOutputDirectory(char* buffer, int size);
int TavorinLibSetComment(const char* comment);
/// Copies the camera's model name into `buffer` (terminated; "" without a camera).
int TavorinLibGetCameraModel(char* buffer, int size);
int TavorinLibSetFlash(int index);
/// 0 = auto, 1 = close-up.
int TavorinLibSetAfDistance(int distance);
int TavorinLibRefreshAeAf();
/// 1 = unlock, 0 = lock.
int TavorinLibSetAfLock(int unlock);
/// 0 = off, 1..4 = scale 1x..4x, 5 = fill the screen.
int TavorinLibSetViewfinder(int mode);
/// 1 = connect, 0 = disconnect; waits up to `timeoutSeconds` for the outcome.
int TavorinLibConnect(int connect, int timeoutSeconds);
/// Always 6: the program drives one camera.
int TavorinLibSelectCamera(int camera);
/// Asks Tavorin to save its settings and quit.
int TavorinLibExit();
