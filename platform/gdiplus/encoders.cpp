// Encoders: the codec list, Save and SaveAdd. GIF goes through giflib (frames, delays, loop
// count); PNG, JPEG and TIFF through Qt's writers. Files are replaced whole.
#include <QBuffer>
#include <QImageWriter>
#include <cstring>

#include "platform/gdiplus/codecs.h"
#include "platform/gdiplus/gdiplus_p.h"
#include "platform/gdiplus/image.h"
#include "platform/win32/files.h"

namespace gdiplus_p {

using namespace Gdiplus;

namespace {

constexpr CLSID EncoderClsid(DWORD n) {
  return CLSID{0x3c81e400u + n, 0x9d2a, 0x4f0b, {0xa6, 0x15, 0x58, 0xc2, 0x0e, 0x7d, 0x91, 0x4b}};
}

enum class CodecKind { Jpeg, Png, Gif, Tiff };

struct Codec {
  CLSID clsid;
  const GUID* format;
  CodecKind kind;
  const char* qtFormat;
  const WCHAR* name;
  const WCHAR* description;
  const WCHAR* extensions;
  const WCHAR* mimeType;
};

const Codec kCodecs[] = {
    {EncoderClsid(1), &ImageFormatJPEG, CodecKind::Jpeg, "jpeg", u"JPEG Codec", u"JPEG", u"*.JPG;*.JPEG;*.JPE;*.JFIF",
     u"image/jpeg"},
    {EncoderClsid(2), &ImageFormatGIF, CodecKind::Gif, "gif", u"GIF Codec", u"GIF", u"*.GIF", u"image/gif"},
    {EncoderClsid(3), &ImageFormatTIFF, CodecKind::Tiff, "tiff", u"TIFF Codec", u"TIFF", u"*.TIF;*.TIFF",
     u"image/tiff"},
    {EncoderClsid(4), &ImageFormatPNG, CodecKind::Png, "png", u"PNG Codec", u"PNG", u"*.PNG", u"image/png"},
};
constexpr UINT kCodecCount = sizeof kCodecs / sizeof kCodecs[0];

const Codec* FindCodec(const CLSID& clsid) {
  for (const Codec& codec : kCodecs)
    if (codec.clsid == clsid) return &codec;
  return nullptr;
}

struct SaveOptions {
  std::optional<ULONG> flag;
  std::optional<ULONG> quality;
};

// Reads the parameters this layer understands; unknown categories are ignored.
Status ParseParameters(const EncoderParameters* params, SaveOptions& options) {
  if (!params) return Ok;
  const EncoderParameter* list = params->Parameter;  // Count parameters follow the header
  for (UINT i = 0; i < params->Count; ++i) {
    const EncoderParameter& p = list[i];
    bool saveFlag = p.Guid == EncoderSaveFlag, quality = p.Guid == EncoderQuality;
    if (!saveFlag && !quality) continue;
    if (p.NumberOfValues < 1 || p.Type != EncoderParameterValueTypeLong || !p.Value) return InvalidParameter;
    ULONG value;
    std::memcpy(&value, p.Value, sizeof value);
    if (saveFlag) options.flag = value;
    if (quality) {
      if (value > 100) return InvalidParameter;
      options.quality = value;
    }
  }
  return Ok;
}

std::vector<DWORD> FrameDelays(const ImageData& image) {
  std::vector<DWORD> delays;
  auto it = image.properties.find(PropertyTagFrameDelay);
  if (it == image.properties.end() || it->second.type != PropertyTagTypeLong) return delays;
  delays.resize(it->second.value.size() / sizeof(DWORD));
  if (!delays.empty()) std::memcpy(delays.data(), it->second.value.data(), delays.size() * sizeof(DWORD));
  return delays;
}

std::optional<int> LoopCount(const ImageData& image) {
  auto it = image.properties.find(PropertyTagLoopCount);
  if (it == image.properties.end()) return std::nullopt;
  const std::vector<BYTE>& v = it->second.value;
  if (it->second.type == PropertyTagTypeShort && v.size() >= 2) return v[0] | (v[1] << 8);
  if (it->second.type == PropertyTagTypeLong && v.size() >= 4) return v[0] | (v[1] << 8);  // 16 bits in the file
  return std::nullopt;
}

Status EncodeWithQt(const QImage& frame, const Codec& codec, const SaveOptions& options, std::vector<BYTE>& out) {
  QImage image = frame.format() == QImage::Format_BGR888 ? frame.convertToFormat(QImage::Format_RGB888) : frame;
  if (image.isNull()) return OutOfMemory;
  QByteArray data;
  QBuffer buffer(&data);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, codec.qtFormat);
  if (options.quality && codec.kind == CodecKind::Jpeg) writer.setQuality(int(*options.quality));
  if (!writer.write(image))
    return writer.error() == QImageWriter::UnsupportedFormatError ? NotImplemented : GenericError;
  out.assign(data.constBegin(), data.constEnd());
  return Ok;
}

}  // namespace

Status WriteWholeFile(const std::string& ansiPath, const std::vector<BYTE>& bytes) {
  return WriteFileReplacing(ansiPath.c_str(), bytes.data(), bytes.size()) ? Ok : Win32Error;
}

Status FlushPendingSave(ImageData& image) {
  if (!image.pendingSave) return WrongState;
  std::unique_ptr<PendingSave> pending = std::move(image.pendingSave);
  std::vector<BYTE> bytes;
  Status status = pending->encoder.Finish(bytes);
  return status == Ok ? WriteWholeFile(pending->path, bytes) : status;
}

}  // namespace gdiplus_p

using namespace gdiplus_p;

namespace Gdiplus {

Status GetImageEncodersSize(UINT* numEncoders, UINT* size) {
  if (!numEncoders || !size) return InvalidParameter;
  *numEncoders = kCodecCount;
  *size = UINT(kCodecCount * sizeof(ImageCodecInfo));
  return Ok;
}

Status GetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders) {
  if (!encoders || numEncoders != kCodecCount || size != kCodecCount * sizeof(ImageCodecInfo))
    return InvalidParameter;
  for (UINT i = 0; i < kCodecCount; ++i) {
    const Codec& codec = kCodecs[i];
    ImageCodecInfo& info = encoders[i];
    std::memset(&info, 0, sizeof info);
    info.Clsid = codec.clsid;
    info.FormatID = *codec.format;
    info.CodecName = codec.name;
    info.FormatDescription = codec.description;
    info.FilenameExtension = codec.extensions;
    info.MimeType = codec.mimeType;
    info.Flags = ImageCodecFlagsEncoder | ImageCodecFlagsDecoder | ImageCodecFlagsSupportBitmap | ImageCodecFlagsBuiltin;
    info.Version = 1;
  }
  return Ok;
}

Status Image::Save(const WCHAR* filename, const CLSID* clsidEncoder, const EncoderParameters* encoderParams) {
  QImage* frame = nativeImage ? nativeImage->Frame() : nullptr;
  const Codec* codec = clsidEncoder ? FindCodec(*clsidEncoder) : nullptr;
  if (!frame || !filename || !codec) return SetStatus(InvalidParameter);
  SaveOptions options;
  if (Status status = ParseParameters(encoderParams, options); status != Ok) return SetStatus(status);
  if (nativeImage->pendingSave) return SetStatus(WrongState);
  std::optional<std::string> path = AnsiPath(filename);
  if (!path) return SetStatus(Win32Error);  // no such name can be made here

  return SetStatus(Guard([&] {
    if (codec->kind == CodecKind::Gif) {
      auto pending = std::make_unique<PendingSave>();
      pending->path = *path;
      Status status = pending->encoder.Begin(*frame, FrameDelays(*nativeImage), LoopCount(*nativeImage));
      if (status != Ok) return status;
      nativeImage->pendingSave = std::move(pending);
      if (options.flag == ULONG(EncoderValueMultiFrame)) return Ok;  // frames follow through SaveAdd
      return FlushPendingSave(*nativeImage);
    }
    std::vector<BYTE> bytes;
    Status status = EncodeWithQt(*frame, *codec, options, bytes);
    return status == Ok ? WriteWholeFile(*path, bytes) : status;
  }));
}

Status Image::SaveAdd(const EncoderParameters* encoderParams) {
  if (!nativeImage || !encoderParams) return SetStatus(InvalidParameter);
  SaveOptions options;
  if (Status status = ParseParameters(encoderParams, options); status != Ok) return SetStatus(status);
  if (options.flag != ULONG(EncoderValueFlush)) return SetStatus(InvalidParameter);
  return SetStatus(Guard([&] { return FlushPendingSave(*nativeImage); }));
}

Status Image::SaveAdd(Image* newImage, const EncoderParameters* encoderParams) {
  QImage* frame = newImage && newImage->nativeImage ? newImage->nativeImage->Frame() : nullptr;
  if (!nativeImage || !frame || !encoderParams) return SetStatus(InvalidParameter);
  SaveOptions options;
  if (Status status = ParseParameters(encoderParams, options); status != Ok) return SetStatus(status);
  if (options.flag != ULONG(EncoderValueFrameDimensionTime)) return SetStatus(InvalidParameter);
  if (!nativeImage->pendingSave) return SetStatus(WrongState);
  return SetStatus(Guard([&] { return nativeImage->pendingSave->encoder.AddFrame(*frame); }));
}

}  // namespace Gdiplus
