// The identifiers of frame dimensions, encoder parameters and image formats. They only need
// to be distinct within the process: callers compare them, nothing stores them.
#include "platform/gdiplus/types.h"

namespace Gdiplus {

namespace {
constexpr GUID Id(DWORD n) { return GUID{0x7a0c5e00u + n, 0x51d3, 0x4c2e, {0x9b, 0x6f, 0x1e, 0x48, 0xa7, 0x30, 0xd2, 0x5c}}; }
}  // namespace

const GUID FrameDimensionTime = Id(1);
const GUID FrameDimensionPage = Id(2);
const GUID EncoderSaveFlag = Id(3);
const GUID EncoderQuality = Id(4);
const GUID ImageFormatMemoryBMP = Id(10);
const GUID ImageFormatBMP = Id(11);
const GUID ImageFormatJPEG = Id(12);
const GUID ImageFormatPNG = Id(13);
const GUID ImageFormatGIF = Id(14);
const GUID ImageFormatTIFF = Id(15);

}  // namespace Gdiplus
