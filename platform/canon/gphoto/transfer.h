// Moving photos and frames from the camera through libgphoto2 (io lock held by the caller).
#pragma once

#include <string>
#include <vector>

#include "platform/canon/gphoto/session.h"

namespace tavgp {

// Largest photo or frame taken from a camera: more is not a photo of these cameras.
constexpr size_t kMaxPhotoBytes = 256u << 20;
constexpr size_t kMaxFrameBytes = 16u << 20;

/// The release data kind's "the photo stays on the camera's card too".
constexpr WORD kPictureToCamera = 0x0008;

/// Fetches a file from the camera, and removes it there unless it is to stay; a libgphoto2 result.
int Download(Handle& h, const std::string& folder, const std::string& name, Photo& photo, bool keepOnCamera);
/// Fetches one viewfinder frame; `mime` is its type as libgphoto2 gives it.
int Preview(Handle& h, std::vector<BYTE>& frame, std::string& mime);

bool IsJpeg(const std::vector<BYTE>& data);
/// Converts a binary PPM frame (what the drivers that give no JPEG deliver) to JPEG in place;
/// false when the frame is not a well-formed PPM.
bool PpmToJpeg(std::vector<BYTE>& frame);

}  // namespace tavgp
