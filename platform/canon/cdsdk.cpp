// CDSDK functions answered by the simulated camera.
#include "platform/canon/cdsdk.h"

#include <cstring>

#include "platform/canon/backend.h"
#include "platform/canon/simulator_p.h"
#include "platform/win32/codepage.h"

using namespace tavsim_p;
using tavsim::kSimCd;

namespace {

using Lock = std::unique_lock<std::mutex>;

#define CD_ENTER(...)                                           \
  State& s = Sim();                                             \
  Lock lock(s.mutex);                                           \
  if (cdError fault = Enter(s, __func__ __VA_OPT__(, ) __VA_ARGS__)) return fault; \
  if (!s.cdStarted) return cdNOT_STARTED

#define CD_SOURCE(source)                     \
  Camera* c = CameraByCdSource(s, source);    \
  if (!c) return cdINVALID_HANDLE

cdError SetKey(State& s, cdHSource source, DWORD key, DWORD value) {
  CD_SOURCE(source);
  auto it = c->cd.find(key);
  if (it == c->cd.end()) return cdPROPERTY_NOT_FOUND;
  return StoreValue(it->second, value) ? cdOK : cdBAD_VALUE;
}

cdError GetKey(State& s, cdHSource source, DWORD key, DWORD& value) {
  CD_SOURCE(source);
  auto it = c->cd.find(key);
  if (it == c->cd.end()) return cdPROPERTY_NOT_FOUND;
  if (!Answers(*c, it->second, true)) return cdNOT_SUPPORTED;
  value = it->second.value;
  return cdOK;
}

template <typename T>
cdError GetTo(State& s, cdHSource source, DWORD key, T* out) {
  if (!out) return cdINVALID_PARAMETER;
  DWORD value = 0;
  cdError e = GetKey(s, source, key, value);
  if (e == cdOK) *out = static_cast<T>(value);
  return e;
}

}  // namespace

cdError CDStartSDK(const cdVersionInfo* version, cdUInt32 option) {
  State& s = Sim();
  Lock lock(s.mutex);
  if (cdError fault = Enter(s, __func__, 0, version ? version->Size : 0, version ? version->MajorVersion : 0))
    return fault;
  if (!version || version->Size != sizeof(cdVersionInfo) || option != 0) return cdINVALID_PARAMETER;
  const auto& accepted = s.scenario.cdVersions;
  if (std::find(accepted.begin(), accepted.end(), version->MajorVersion) == accepted.end()) return cdNOT_SUPPORTED;
  s.cdStarted = true;
  return cdOK;
}

cdError CDFinishSDK() {
  CD_ENTER();
  s.cdStarted = false;
  return cdOK;
}

cdError CDEnumDeviceReset(cdUInt32 keep, cdHEnum* hEnum) {
  CD_ENTER(0, 0, keep);
  if (!hEnum) return cdINVALID_PARAMETER;
  *hEnum = s.nextHandle++;
  s.enums[*hEnum] = 0;
  return cdOK;
}

cdError CDEnumDeviceNext(cdHEnum hEnum, cdSourceInfo* source) {
  CD_ENTER();
  auto it = s.enums.find(hEnum);
  if (it == s.enums.end() || !source) return cdINVALID_HANDLE;
  // Real cameras are reached through the PRSDK calls only: this road lists simulated ones.
  if (!tavcam::SimulatorChosen()) return cdENUM_NA;
  while (it->second < s.cameras.size()) {
    Camera& c = *s.cameras[it->second++];
    if (!(c.profile.sdks & kSimCd)) continue;
    std::memset(source, 0, sizeof *source);
    source->DataType = 1;
    source->PortType = cdPORT_TYPE_USB;
    CopyWide(source->Name, cdSOURCE_NAME_LENGTH, Wide(c.profile.model));
    CopyWide(source->OSName, cdOS_NAME_LENGTH, Wide(c.profile.internalName));
    source->SourceId = static_cast<cdUInt32>(c.index + 1);
    return cdOK;
  }
  return cdENUM_NA;
}

cdError CDEnumDeviceRelease(cdHEnum hEnum) {
  CD_ENTER();
  return s.enums.erase(hEnum) ? cdOK : cdINVALID_HANDLE;
}

cdError CDOpenSource(const cdSourceInfo* info, cdHSource* source) {
  CD_ENTER(info ? info->SourceId : 0);
  if (!info || !source || info->SourceId == 0 || info->SourceId > s.cameras.size()) return cdINVALID_PARAMETER;
  Camera& c = *s.cameras[info->SourceId - 1];
  if (!(c.profile.sdks & kSimCd)) return cdINVALID_PARAMETER;
  if (c.cdSource || c.prConnected) return cdINVALID_FN_CALL;  // one connection at a time
  c.cdSource = *source = s.nextHandle++;
  c.cdUiLocks = 0;
  StartWorker(s, c);
  return cdOK;
}

cdError CDCloseSource(cdHSource source) {
  std::vector<std::thread> join;
  {
    CD_ENTER();
    CD_SOURCE(source);
    StopViewfinder(s, *c, join);
    StopWorker(s, *c, join);
    c->cdSource = 0;
    c->cdEvent = nullptr;
    c->cdRelease = nullptr;
    c->cdReleaseControl = false;
    c->cdPending.clear();
  }
  JoinThreads(join);
  return cdOK;
}

cdError CDRegisterEventCallbackFunction(cdHSource source, cdEventCallbackFunction callback, cdContext context,
                                        cdHandle* function) {
  CD_ENTER();
  CD_SOURCE(source);
  if (!callback) return cdINVALID_PARAMETER;
  c->cdEvent = callback;
  c->cdEventContext = context;
  if (function) *function = s.nextHandle++;
  return cdOK;
}

cdError CDEnterReleaseControl(cdHSource source, cdReleaseEventCallbackFunction callback, cdContext context) {
  CD_ENTER();
  CD_SOURCE(source);
  c->cdRelease = callback;
  c->cdReleaseContext = context;
  c->cdReleaseControl = true;
  return cdOK;
}

cdError CDExitReleaseControl(cdHSource source) {
  CD_ENTER();
  CD_SOURCE(source);
  if (!c->cdReleaseControl) return cdINVALID_FN_CALL;
  c->cdReleaseControl = false;
  c->cdRelease = nullptr;
  c->cdPending.clear();
  return cdOK;
}

cdError CDGetDevicePropertyData(cdHSource source, cdUInt32 property, cdUInt32* size, void* data, cdUInt32 option) {
  CD_ENTER(property, size ? *size : 0, option);
  CD_SOURCE(source);
  if (!size || !data) return cdINVALID_PARAMETER;
  std::vector<BYTE> value;
  if (property == cdDEVICE_PROP_MODEL_NAME) {
    value.assign(32, 0);
    std::memcpy(value.data(), c->profile.model.data(), std::min<size_t>(c->profile.model.size(), 31));
  } else if (property == cdDEVICE_PROP_CAPABILITIES) {
    DWORD caps = (c->profile.viewfinder ? 1u << 2 : 0) | (c->profile.stopViewfinderBeforeRelease ? 1u << 3 : 0) |
                 (c->profile.focusLock ? 1u << 4 : 0);
    value.assign(4, 0);
    WriteLe(value.data(), 4, caps);
  } else if (property == cdDEVICE_PROP_BATTERY_STATUS) {
    value.assign(4, 0);
    WriteLe(value.data(), 4, c->cd[cdDEVICE_PROP_BATTERY_STATUS].value);
  } else {
    return cdPROPERTY_NOT_FOUND;
  }
  if (*size < value.size()) return cdINVALID_PARAMETER;
  std::memcpy(data, value.data(), value.size());
  *size = static_cast<cdUInt32>(value.size());
  return cdOK;
}

cdError CDLockUI(cdHSource source) {
  CD_ENTER();
  CD_SOURCE(source);
  ++c->cdUiLocks;
  return cdOK;
}

cdError CDUnlockUI(cdHSource source) {
  CD_ENTER();
  CD_SOURCE(source);
  c->cdUiLocks = 0;
  return cdOK;
}

#define CD_SET_GET(SetName, GetName, Type, Key)                                  \
  cdError SetName(cdHSource source, Type value) {                                \
    CD_ENTER(Key, sizeof(Type), value);                                         \
    return SetKey(s, source, Key, value);                                        \
  }                                                                              \
  cdError GetName(cdHSource source, Type* value) {                               \
    CD_ENTER(Key, sizeof(Type));                                                 \
    return GetTo(s, source, Key, value);                                         \
  }

CD_SET_GET(CDSetShootingMode, CDGetShootingMode, cdUInt16, tavsim::kSimCdShootingMode)
CD_SET_GET(CDSetTvValue, CDGetTvValue, cdUInt16, tavsim::kSimCdTv)
CD_SET_GET(CDSetAvValue, CDGetAvValue, cdUInt16, tavsim::kSimCdAv)
CD_SET_GET(CDSetExposureComp, CDGetExposureComp, cdUInt8, tavsim::kSimCdExposureComp)
CD_SET_GET(CDSetWBSetting, CDGetWBSetting, cdUInt16, tavsim::kSimCdWhiteBalance)
CD_SET_GET(CDSetAFDistanceSetting, CDGetAFDistanceSetting, cdUInt16, tavsim::kSimCdAFDistance)

cdError CDSetFlashSetting(cdHSource source, cdUInt16 mode, cdUInt16 compensation) {
  CD_ENTER(tavsim::kSimCdFlashMode, compensation, mode);
  CD_SOURCE(source);
  Property& m = c->cd[tavsim::kSimCdFlashMode];
  Property& comp = c->cd[0x0800000D];
  Property newMode = m, newComp = comp;
  if (!StoreValue(newMode, mode)) return cdBAD_VALUE;
  if (compensation != 255 && !StoreValue(newComp, compensation)) return cdBAD_VALUE;
  m = newMode, comp = newComp;
  return cdOK;
}

cdError CDGetFlashSetting(cdHSource source, cdUInt16* mode, cdUInt16* compensation) {
  CD_ENTER(tavsim::kSimCdFlashMode);
  CD_SOURCE(source);
  if (!mode || !compensation) return cdINVALID_PARAMETER;
  *mode = static_cast<cdUInt16>(c->cd[tavsim::kSimCdFlashMode].value);
  *compensation = static_cast<cdUInt16>(c->cd[0x0800000D].value);
  return cdOK;
}

cdError CDSetImageFormatAttribute(cdHSource source, cdUInt16 quality, cdUInt16 size) {
  CD_ENTER(tavsim::kSimCdImageQuality, size, quality);
  CD_SOURCE(source);
  Property q = c->cd[tavsim::kSimCdImageQuality], z = c->cd[tavsim::kSimCdImageSize];
  if (!StoreValue(q, quality) || !StoreValue(z, size)) return cdBAD_VALUE;
  c->cd[tavsim::kSimCdImageQuality] = q;
  c->cd[tavsim::kSimCdImageSize] = z;
  return cdOK;
}

cdError CDGetImageFormatAttribute(cdHSource source, cdUInt16* quality, cdUInt16* size) {
  CD_ENTER(tavsim::kSimCdImageQuality);
  CD_SOURCE(source);
  if (!quality || !size) return cdINVALID_PARAMETER;
  *quality = static_cast<cdUInt16>(c->cd[tavsim::kSimCdImageQuality].value);
  *size = static_cast<cdUInt16>(c->cd[tavsim::kSimCdImageSize].value);
  return cdOK;
}

cdError CDSetRelCamSettingData(cdHSource source, cdUInt32 id, cdUInt32 size, const void* data) {
  CD_ENTER(id, size, data ? ReadLe(data, size) : 0);
  CD_SOURCE(source);
  auto it = c->cd.find(id);
  if (it == c->cd.end() || id >= tavsim::kSimCdShootingMode) return cdPROPERTY_NOT_FOUND;
  if (!data || size != WidthOf(it->second.dataType)) return cdINVALID_PARAMETER;
  return StoreValue(it->second, ReadLe(data, size)) ? cdOK : cdBAD_VALUE;
}

cdError CDGetRelCamSettingData(cdHSource source, cdUInt32 id, cdUInt32* size, void* data) {
  CD_ENTER(id, size ? *size : 0);
  CD_SOURCE(source);
  auto it = c->cd.find(id);
  if (it == c->cd.end() || id >= tavsim::kSimCdShootingMode) return cdPROPERTY_NOT_FOUND;
  DWORD width = WidthOf(it->second.dataType);
  if (!size || !data || *size < width) return cdINVALID_PARAMETER;
  if (!Answers(*c, it->second, true)) return cdNOT_SUPPORTED;
  WriteLe(data, width, it->second.value);
  *size = width;
  return cdOK;
}

cdError CDGetMaximumZoomPos(cdHSource source, cdUInt32* maximum, cdUInt32* maximumOptical) {
  CD_ENTER();
  CD_SOURCE(source);
  if (!maximum || !maximumOptical) return cdINVALID_PARAMETER;
  const Property& z = c->cd[tavsim::kSimCdZoom];
  *maximum = *maximumOptical = z.values.size() >= 2 ? z.values[1] : 0;
  return cdOK;
}

cdError CDSetZoomPos(cdHSource source, cdUInt32 position) {
  CD_ENTER(tavsim::kSimCdZoom, 4, position);
  return SetKey(s, source, tavsim::kSimCdZoom, position);
}

cdError CDGetDZoomMagnification(cdHSource source, cdUInt32* numerator, cdUInt32* denominator) {
  CD_ENTER();
  CD_SOURCE(source);
  if (!numerator || !denominator) return cdINVALID_PARAMETER;
  *numerator = 10;  // the simulated lens has no digital zoom: 1.0x
  *denominator = 10;
  return cdOK;
}

cdError CDSelectViewFinderCameraOutput(cdHSource source, cdUInt16 output) {
  CD_ENTER(0, 2, output);
  CD_SOURCE(source);
  return output >= 1 && output <= 3 ? cdOK : cdINVALID_PARAMETER;
}

cdError CDStartViewfinder(cdHSource source, cdUInt32 format, cdViewFinderCallbackFunction callback,
                          cdContext context) {
  CD_ENTER(0, 0, format);
  CD_SOURCE(source);
  if (!callback) return cdINVALID_PARAMETER;
  if (!c->profile.viewfinder) return cdNOT_SUPPORTED;
  if (c->viewfinder) return cdINVALID_FN_CALL;
  StartViewfinder(s, *c, [callback, context](const std::vector<BYTE>& frame) {
    return static_cast<BOOL>(callback(const_cast<BYTE*>(frame.data()), static_cast<cdUInt32>(frame.size()), 1, context));
  });
  return cdOK;
}

cdError CDTermViewfinder(cdHSource source) {
  std::vector<std::thread> join;
  {
    CD_ENTER();
    CD_SOURCE(source);
    if (!c->viewfinder) return cdINVALID_FN_CALL;
    StopViewfinder(s, *c, join);
  }
  JoinThreads(join);
  return cdOK;
}

cdError CDActViewfinderAutoFunctions(cdHSource source, cdUInt32 functions) {
  CD_ENTER(0, 0, functions);
  CD_SOURCE(source);
  return cdOK;
}

cdError CDAFLock(cdHSource source, cdBoolean on) {
  CD_ENTER(0, 0, static_cast<DWORD>(on));
  CD_SOURCE(source);
  return c->profile.focusLock ? cdOK : cdNOT_SUPPORTED;
}

cdError CDSelectReleaseDataKind(cdHSource source, cdUInt16 kind) {
  CD_ENTER(0, 2, kind);
  CD_SOURCE(source);
  if (!c->cdReleaseControl) return cdINVALID_FN_CALL;
  c->cdKind = kind;
  return cdOK;
}

cdError CDRelease(cdHSource source, cdBoolean synchronous, cdProgressCallbackFunction, cdContext,
                  cdUInt32 progressOption, cdUInt32* count) {
  Deferred now;
  {
    CD_ENTER(0, progressOption, static_cast<DWORD>(synchronous));
    CD_SOURCE(source);
    if (!c->cdReleaseControl) return cdINVALID_FN_CALL;
    std::vector<ReleasedItem> items = Shoot(*c, true, c->cdKind);
    DWORD n = static_cast<DWORD>(items.size());
    for (auto& item : items) c->cdPending.push_back(std::move(item));
    while (c->cdPending.size() > kMaxHeldItems) c->cdPending.pop_front();
    if (count) *count = n;
    PostCdEvent(s, *c, true, cdRELEASE_EVENT_RELEASE_START, nullptr, now);
    PostCdEvent(s, *c, true, cdRELEASE_EVENT_RELEASE_COMPLETE, &n, now);
  }
  RunDeferred(now);
  return cdOK;
}

cdError CDGetReleasedData(cdHSource source, cdProgressCallbackFunction progress, cdContext context,
                          cdUInt32 progressOption, cdReleaseImageInfo* info, cdStgMedium* medium) {
  ReleasedItem item;
  {
    CD_ENTER(0, progressOption);
    CD_SOURCE(source);
    if (!info || !medium || medium->Type != cdMEMTYPE_STREAM || !medium->pStream) return cdINVALID_PARAMETER;
    if (c->cdPending.empty()) return cdINVALID_FN_CALL;
    item = std::move(c->cdPending.front());
    c->cdPending.pop_front();
  }
  std::memset(info, 0, sizeof *info);
  info->SequenceID = item.object;
  info->DataType = item.dataType;
  info->Format = item.format;
  info->DataSize = static_cast<cdUInt32>(item.bytes.size());
  std::strncpy(info->FileName, item.fileName.c_str(), sizeof info->FileName - 1);

  cdStream* stream = medium->pStream;
  cdError error = 0;
  stream->Open(stream->cContext, cdSTREAM_OPEN_WRITE, &error);
  if (error) return cdSTREAM_ERROR;
  const size_t block = 0x10000;
  for (size_t done = 0; done < item.bytes.size();) {
    size_t n = std::min(block, item.bytes.size() - done);
    stream->Write(stream->cContext, item.bytes.data() + done, static_cast<cdUInt32>(n), &error);
    if (error) {
      stream->Close(stream->cContext, &error);
      return cdSTREAM_ERROR;
    }
    done += n;
    if (progress) progress(static_cast<cdUInt32>(done * 100 / item.bytes.size()), 0, context);
  }
  stream->Close(stream->cContext, &error);
  return cdOK;
}
