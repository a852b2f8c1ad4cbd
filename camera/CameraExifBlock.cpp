// The camera's Exif block put back into a JPEG the imaging library re-saved.
#include "camera/CameraPostProcess.h"
#include "support/ExifBlock.h"

// The embedded thumbnail is rebuilt from the session's processed picture.
void RestoreCameraExifBlock(int session, const BYTE* cameraJpeg, DWORD size, const char* path) {
  RestoreExifBlock(session, cameraJpeg, size, path);
}
