// The session's animated GIF (title frames, backgrounds, overlays, ping-pong) and the MP4 clip
// made from the same frames.
#pragma once

#include <memory>
#include <vector>

#include "platform/gdiplus/gdiplus.h"
#include "platform/mfc/collections.h"
#include "platform/mfc/cstring.h"
#include "platform/win32/windef.h"

/// Names the private temporary folders the clip's frames wait in (stale ones are cleared at start).
constexpr const char kClipFramesPrefix[] = "tavorin-frames";

struct PhotoboothGifSettings {
  CString imagesFolder;      // photoboothImageDir: GIF_background, GIF_overlay, GIF_title pictures
  CString imageFolder;       // the session's image folder: "GIF/" or "prints/" below it
  CString firstPhotoFolder;  // the first photo's folder: "GIF_frames/", "MP4/", "prints/" below it
  CString baseName;          // the page's output name without extension
  BOOL perPhoto = FALSE;     // photoboothGifPerPhoto
  int width = 400;           // photoboothGifWidth
  int sizeW = 0, sizeH = 0;  // photoboothGifSizeW/H
  int offsetX = 0, offsetY = 0;
  int imageDelay = 75, titleDelay = 150;  // hundredths of a second
  int overlaysPerPhoto = 1;
  BOOL looping = TRUE, pingPong = FALSE, titleAtEnd = FALSE;
  BOOL createMp4 = FALSE;
  int mp4MinDuration = 3;  // seconds
  int mp4Subfolder = 0;    // 0 beside the GIF, 1 "MP4/", 2 "prints/"
  BOOL frameCopies = FALSE;  // keep the PNG frames in "GIF_frames/"
  BOOL gifInPrints = FALSE;  // GIF into "prints/" in place of "GIF/"
  // Live-view crop: only while the full-screen window shows a live view of that size.
  bool fullscreenWindow = false;
  BOOL liveView = FALSE;
  int evfCrop = 0;
  int liveViewWidth = 0, liveViewHeight = 0;
  HWND parent = nullptr;  // owner of the missing-ffmpeg box
};

/// One entry of the playback order: a photo frame (index into the frame list) or a title.
struct GifPlayEntry {
  bool title;
  int index;
  bool operator==(const GifPlayEntry& other) const { return title == other.title && index == other.index; }
};

/// Titles first (or last with titleAtEnd), the photos, ping-pong copies back down to the second
/// photo (to the first when there are titles), each photo entry repeated `repeats` times.
std::vector<GifPlayEntry> GifPlaybackOrder(int photos, int titles, bool pingPong, bool titleAtEnd, int repeats);

/// Makes the GIF (one per photo with perPhoto) and its clip from the frame list, whose entries
/// the page composition filled. An error in one GIF is shown in a message box and the next
/// follows. Returns the path of the last GIF written, empty when none was.
CString CreatePhotoboothGifs(const PhotoboothGifSettings& settings,
                             std::vector<std::unique_ptr<Gdiplus::Bitmap>>& frames);
