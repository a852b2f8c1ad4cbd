// Answers both camera back ends give in the same shape: the device list and a released item
// streamed in blocks through the caller's progress callback.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/canon/prsdk.h"

namespace tavcam {

/// One camera of a device list: its internal (port) name, the model shown, its model id.
struct ListedCamera {
  std::u16string internalName, model;
  prUInt32 modelId = 0;
};

/// Fills `list` with the cameras, or asks for a larger buffer in `*bufferSize`.
inline prResponse AnswerDeviceList(prUInt32* bufferSize, prDeviceList* list, const std::vector<ListedCamera>& cameras) {
  prUInt32 needed = prDeviceListSize(static_cast<prUInt32>(cameras.size()));
  if (!list || *bufferSize < needed) {
    *bufferSize = needed;
    return prINSUFFICIENT_BUFFER;
  }
  std::memset(list, 0, needed);
  list->NumList = static_cast<prUInt32>(cameras.size());
  auto copy = [](prWChar* dest, size_t capacity, const std::u16string& text) {
    size_t n = std::min(text.size(), capacity - 1);
    std::copy_n(text.data(), n, dest);
    dest[n] = 0;
  };
  for (size_t i = 0; i < cameras.size(); ++i) {
    prDeviceInfoTable& d = list->DeviceInfo[i];
    copy(d.DeviceInternalName, prDEVICE_INTERNAL_NAME_LENGTH, cameras[i].internalName);
    copy(d.ModelName, prMODEL_NAME_LENGTH, cameras[i].model);
    d.Generation = 1;
    d.ModelID = cameras[i].modelId;
  }
  *bufferSize = needed;
  return prOK;
}

/// The header, then the data in blocks of at most `transferSize` (and the SDK's largest block),
/// each with its offset and percentage; a callback's error ends the transfer with it.
inline prResponse StreamInBlocks(prHCamera camera, prContext context, prGetFileDataCB callback, const BYTE* data,
                                 prUInt32 total, prUInt32 transferSize) {
  prUInt32 block = std::min<prUInt32>(transferSize, prMAX_TRANSFER_SIZE);
  prProgress progress{};
  progress.Message = prMSG_DATA_HEADER;
  progress.Length = total;
  if (prResponse r = callback(camera, context, &progress)) return r;
  for (prUInt32 offset = 0; offset < total;) {
    prUInt32 n = std::min(block, total - offset);
    progress = prProgress{};
    progress.Message = prMSG_DATA;
    progress.Offset = offset;
    progress.Length = n;
    progress.Data = const_cast<BYTE*>(data) + offset;
    offset += n;
    progress.PercentComplete = static_cast<prUInt32>(uint64_t(offset) * 100 / total);
    if (prResponse r = callback(camera, context, &progress)) return r;
  }
  return prOK;
}

}  // namespace tavcam
