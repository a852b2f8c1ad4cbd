// Post-processing of a downloaded JPEG in an imaging session, driven step by step.
#include "camera/CameraPostProcess.h"

#include "platform/polyimage/polyimage.h"
#include "platform/win32/files.h"
#include "support/Exif.h"

void ComputeAutoLevels(const DWORD* counts, unsigned long long pixels, double blackPercent, double whitePercent,
                       int& black, int& middle, int& white) {
  unsigned long long blackTarget = static_cast<unsigned long long>(pixels * blackPercent * 0.01);
  unsigned long long whiteTarget = static_cast<unsigned long long>(pixels * whitePercent * 0.01);
  unsigned long long sum = 0;
  black = 0;
  for (int level = 0; level < 256; ++level) {
    sum += counts[level];
    if (sum >= blackTarget) {
      black = level - 1;
      break;
    }
  }
  if (black < 0) black = 0;
  if (black > 127) black = 127;
  white = 255;
  sum = 0;
  for (int level = 255; level > black; --level) {
    sum += counts[level];
    if (sum >= whiteTarget) break;
    white = level;
  }
  middle = (black + white) / 2;
}

RECT MapViewfinderCrop(const RECT& crop, DWORD width, DWORD height) {
  long long w = width, h = height;
  RECT r;
  r.left = static_cast<LONG>(w * crop.left / 320);
  r.top = static_cast<LONG>(h * crop.top / 240);
  r.right = static_cast<LONG>(w * (crop.right + 1) / 320 - 1);
  r.bottom = static_cast<LONG>(h * (crop.bottom + 1) / 240 - 1);
  return r;
}

bool WantsPostProcessing(const CameraViewSettings& s) { return s.postProcessingEnable || s.viewfinderCropOn; }

bool PostProcessJpeg(const BYTE* jpeg, DWORD size, const char* path, int angle, const CameraViewSettings& s) {
  int session = cNewSession();
  if (!session) return false;
  int quality = s.postProcessingJpegQuality;
  if (quality < 1 || quality > 100) quality = 90;
  // One rule on every road: a setting's angle replaces the camera's tag; with the sensor
  // setting (-1) the tag applies. The library turns by the tag only when nothing else will.
  int turn = angle;
  if (angle < 0 && s.viewfinderCropOn) turn = Exif(jpeg, size).GetRotation();
  cSetAutoRotate(session, angle < 0 && !s.viewfinderCropOn ? 1 : 0);
  cSetJPEGParams(session, quality, 1.0, 0, 0);
  bool saved = false;
  // Processed beside the photo and renamed into place once complete.
  CString temp = CString(path) + ".tavorin-tmp.jpg";
  if (cLoadData(session, jpeg, size, 0, 0, 0)) {
    DWORD width = 0, height = 0;
    cGetImageInfo(session, &width, &height, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (s.viewfinderCropOn) {
      RECT r = MapViewfinderCrop(s.viewfinderCropRect, width, height);
      cSetOpRectangle(session, r.left, r.top, r.right, r.bottom, 0);
      cOpCrop(session);
    }
    if (s.postProcessingEnable && s.postProcessingResize && s.postProcessingResizeWidth > 0 &&
        s.postProcessingResizeHeight > 0)
      cOpResizeEx(session, s.postProcessingResizeWidth, s.postProcessingResizeHeight, PIP_RESAMPLE_HIGH, 1);
    if (s.postProcessingEnable && s.postProcessingLevel) {
      DWORD counts[256] = {};
      cGetImageInfo(session, &width, &height, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
      if (cGetImageHistogram(session, counts, 1)) {
        int black, middle, white;
        ComputeAutoLevels(counts, static_cast<unsigned long long>(width) * height, s.postProcessingLevelBlack,
                          s.postProcessingLevelWhite, black, middle, white);
        cOpAdjustLevels(session, black, middle, white, black, middle, white, black, middle, white);
      }
    }
    if (s.postProcessingEnable && s.postProcessingSharpen && s.postProcessingSharpenAmount > 0)
      cOpSharpen(session, s.postProcessingSharpenAmount > 100 ? 100 : s.postProcessingSharpenAmount);
    if (turn > 0) cOpRotateFine(session, turn);
    if (cSave(session, temp, PIP_FORMAT_JPEG, 0, 0, 0)) {
      RestoreCameraExifBlock(session, jpeg, size, temp);
      Exif(temp).SetOrientation(0);
      saved = MoveFileA(temp, path) != FALSE;
    }
    if (!saved) DeleteFileA(temp);
    cUnload(session);
  }
  cDestroySession(session);
  return saved;
}
