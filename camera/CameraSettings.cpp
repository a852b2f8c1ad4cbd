// CCamera settings: one operation per camera setting, CDSDK first, then PRSDK.
// Getters touch their out-arguments only on success.
#include <cstring>
#include <vector>

#include "camera/Camera.h"
#include "camera/CameraTrampolines.h"

namespace {

DWORD FromLe(const BYTE* b, DWORD size) {
  DWORD v = 0;
  for (DWORD i = 0; i < size && i < 4; ++i) v |= DWORD(b[i]) << (8 * i);
  return v;
}

void ToLe(BYTE* b, DWORD size, DWORD v) {
  for (DWORD i = 0; i < size && i < 4; ++i) b[i] = BYTE(v >> (8 * i));
}

bool CdGet(cdHSource source, DWORD id, DWORD width, DWORD& value) {
  BYTE buffer[4] = {};
  cdUInt32 size = width;
  if (CDGetRelCamSettingData(source, id, &size, buffer) != cdOK) return false;
  value = FromLe(buffer, size < width ? size : width);
  return true;
}

bool CdSet(cdHSource source, DWORD id, DWORD width, DWORD value) {
  BYTE buffer[4] = {};
  ToLe(buffer, width, value);
  return CDSetRelCamSettingData(source, id, width, buffer) == cdOK;
}

bool PrGet(prHCamera camera, WORD code, DWORD width, DWORD& value) {
  BYTE buffer[4] = {};
  prUInt32 size = width;
  if (PR_GetDevicePropValue(camera, code, &size, buffer) != prOK) return false;
  value = FromLe(buffer, size < width ? size : width);
  return true;
}

bool PrSet(prHCamera camera, WORD code, DWORD width, DWORD value) {
  BYTE buffer[4] = {};
  ToLe(buffer, width, value);
  return PR_SetDevicePropValue(camera, code, width, buffer) == prOK;
}

// A PTP property description, read within the bytes the SDK returned.
struct PropDesc {
  WORD code = 0, dataType = 0;
  BYTE getSet = 0;
  DWORD defaultValue = 0, current = 0;
  BYTE form = 0;
  std::vector<DWORD> values;  // the enumeration, or minimum, maximum, step
};

DWORD WidthOfType(WORD dataType) {
  switch (dataType) {
    case prDATA_TYPE_INT8:
    case prDATA_TYPE_UINT8:
      return 1;
    case prDATA_TYPE_INT16:
    case prDATA_TYPE_UINT16:
      return 2;
    case prDATA_TYPE_INT32:
    case prDATA_TYPE_UINT32:
      return 4;
    default:
      return 0;
  }
}

bool ReadDesc(prHCamera camera, WORD code, DWORD capacity, PropDesc& desc) {
  std::vector<BYTE> buffer(capacity, 0);
  prUInt32 size = capacity;
  if (PR_GetDevicePropDesc(camera, code, &size, buffer.data()) != prOK || size > capacity) return false;
  const BYTE* b = buffer.data();
  DWORD pos = 0;
  auto read = [&](DWORD width, DWORD& v) {
    if (width == 0 || width > size - pos) return false;
    v = FromLe(b + pos, width);
    pos += width;
    return true;
  };
  DWORD v;
  if (!read(2, v)) return false;
  desc.code = static_cast<WORD>(v);
  if (!read(2, v)) return false;
  desc.dataType = static_cast<WORD>(v);
  if (!read(1, v)) return false;
  desc.getSet = static_cast<BYTE>(v);
  DWORD width = WidthOfType(desc.dataType);
  if (!read(width, desc.defaultValue) || !read(width, desc.current) || !read(1, v)) return false;
  desc.form = static_cast<BYTE>(v);
  if (desc.form == prFORM_ENUM) {
    DWORD count;
    if (!read(2, count) || count > (size - pos) / width) return false;
    desc.values.resize(count);
    for (DWORD& value : desc.values) read(width, value);
  } else if (desc.form == prFORM_RANGE) {
    desc.values.resize(3);
    for (DWORD& value : desc.values)
      if (!read(width, value)) return false;
  }
  return true;
}

}  // namespace

#define CD_ROAD if (m_hSource)
#define PR_ROAD else if (m_hCamera)

bool CCamera::SetShootingMode(DWORD mode) {
  CD_ROAD return CDSetShootingMode(m_hSource, static_cast<cdUInt16>(mode)) == cdOK;
  PR_ROAD return PrSet(m_hCamera, 0xD00C, 1, mode);
  return false;
}

bool CCamera::GetShootingMode(DWORD& mode) {
  CD_ROAD {
    cdUInt16 value;
    if (CDGetShootingMode(m_hSource, &value) != cdOK) return false;
    mode = value;
    return true;
  }
  PR_ROAD return PrGet(m_hCamera, 0xD00C, 1, mode);
  return false;
}

bool CCamera::IsShootingModeSupported(DWORD mode) {
  CD_ROAD return false;
  PR_ROAD {
    PropDesc desc;
    if (!ReadDesc(m_hCamera, 0xD00C, 400, desc)) return false;
    if (desc.dataType != prDATA_TYPE_UINT8 || desc.getSet != 1 || desc.form != prFORM_ENUM) return false;
    for (DWORD value : desc.values)
      if (value == mode) return true;
  }
  return false;
}

bool CCamera::SetTv(DWORD tv) {
  CD_ROAD return CDSetTvValue(m_hSource, static_cast<cdUInt16>(tv)) == cdOK;
  PR_ROAD {
    PropDesc desc;
    ReadDesc(m_hCamera, 0xD01E, 200, desc);  // read as the camera expects; the value is written as given
    return PrSet(m_hCamera, 0xD01E, 2, tv);
  }
  return false;
}

bool CCamera::GetTv(DWORD& tv) {
  CD_ROAD {
    cdUInt16 value;
    if (CDGetTvValue(m_hSource, &value) != cdOK) return false;
    tv = value;
    return true;
  }
  PR_ROAD return PrGet(m_hCamera, 0xD01E, 2, tv);
  return false;
}

bool CCamera::SetAv(DWORD av) {
  CD_ROAD return CDSetAvValue(m_hSource, static_cast<cdUInt16>(av)) == cdOK;
  PR_ROAD {
    PropDesc desc;
    ReadDesc(m_hCamera, 0xD01D, 200, desc);
    return PrSet(m_hCamera, 0xD01D, 2, av);
  }
  return false;
}

bool CCamera::GetAv(DWORD& av) {
  CD_ROAD {
    cdUInt16 value;
    if (CDGetAvValue(m_hSource, &value) != cdOK) return false;
    av = value;
    return true;
  }
  PR_ROAD {
    DWORD mode;
    if (!PrGet(m_hCamera, 0xD00C, 1, mode) || (mode != 3 && mode != 4)) return false;
    return PrGet(m_hCamera, 0xD01D, 2, av);
  }
  return false;
}

bool CCamera::SetExposureComp(DWORD comp) {
  CD_ROAD return CDSetExposureComp(m_hSource, static_cast<cdUInt8>(comp)) == cdOK;
  PR_ROAD return PrSet(m_hCamera, 0xD01F, 1, comp);
  return false;
}

bool CCamera::GetExposureComp(DWORD& comp) {
  CD_ROAD {
    cdUInt8 value;
    if (CDGetExposureComp(m_hSource, &value) != cdOK) return false;
    comp = value;
    return true;
  }
  PR_ROAD return PrGet(m_hCamera, 0xD01F, 1, comp);
  return false;
}

bool CCamera::SetIso(DWORD iso) {
  CD_ROAD return CdSet(m_hSource, 0x0800000C, 2, iso);
  PR_ROAD return PrSet(m_hCamera, 0xD01C, 2, iso);
  return false;
}

bool CCamera::GetIso(DWORD& iso) {
  CD_ROAD return CdGet(m_hSource, 0x0800000C, 2, iso);
  PR_ROAD return PrGet(m_hCamera, 0xD01C, 2, iso);
  return false;
}

bool CCamera::SetWhiteBalance(DWORD wb) {
  CD_ROAD return CDSetWBSetting(m_hSource, static_cast<cdUInt16>(wb)) == cdOK;
  PR_ROAD return PrSet(m_hCamera, 0xD013, 1, wb);
  return false;
}

bool CCamera::GetWhiteBalance(DWORD& wb) {
  CD_ROAD {
    cdUInt16 value;
    if (CDGetWBSetting(m_hSource, &value) != cdOK) return false;
    wb = value;
    return true;
  }
  PR_ROAD return PrGet(m_hCamera, 0xD013, 1, wb);
  return false;
}

bool CCamera::SetAFDistance(DWORD distance) {
  CD_ROAD return CDSetAFDistanceSetting(m_hSource, static_cast<cdUInt16>(distance)) == cdOK;
  PR_ROAD return PrSet(m_hCamera, 0xD011, 1, distance);
  return false;
}

bool CCamera::GetAFDistance(DWORD& distance) {
  CD_ROAD {
    cdUInt16 value;
    if (CDGetAFDistanceSetting(m_hSource, &value) != cdOK) return false;
    distance = value;
    return true;
  }
  PR_ROAD return PrGet(m_hCamera, 0xD011, 1, distance);
  return false;
}

bool CCamera::SetMeteringMode(DWORD mode) {
  CD_ROAD return CdSet(m_hSource, 0x08000004, 1, mode);
  PR_ROAD return PrSet(m_hCamera, 0xD010, 1, mode);
  return false;
}

bool CCamera::GetMeteringMode(DWORD& mode) {
  CD_ROAD return CdGet(m_hSource, 0x08000004, 1, mode);
  PR_ROAD return PrGet(m_hCamera, 0xD010, 1, mode);
  return false;
}

bool CCamera::SetPhotoEffect(DWORD effect) {
  CD_ROAD return CdSet(m_hSource, 0x08000B00, 2, effect);
  PR_ROAD return PrSet(m_hCamera, 0xD040, 2, effect);
  return false;
}

bool CCamera::GetPhotoEffect(DWORD& effect) {
  CD_ROAD return CdGet(m_hSource, 0x08000B00, 2, effect);
  PR_ROAD return PrGet(m_hCamera, 0xD040, 2, effect);
  return false;
}

bool CCamera::SetFocusPoint(DWORD point) {
  CD_ROAD return CdSet(m_hSource, 0x08000005, 2, point);
  PR_ROAD return PrSet(m_hCamera, 0xD012, 2, point);
  return false;
}

bool CCamera::SetFlashComp(DWORD comp) {
  CD_ROAD return CdSet(m_hSource, 0x0800000D, 1, comp);
  PR_ROAD return PrSet(m_hCamera, 0xD020, 1, comp);
  return false;
}

bool CCamera::GetFlashComp(DWORD& comp) {
  CD_ROAD return CdGet(m_hSource, 0x0800000D, 1, comp);
  PR_ROAD return PrGet(m_hCamera, 0xD020, 1, comp);
  return false;
}

bool CCamera::SetFlashMode(DWORD mode) {
  CD_ROAD return CDSetFlashSetting(m_hSource, static_cast<cdUInt16>(mode), 255) == cdOK;
  PR_ROAD return PrSet(m_hCamera, 0xD00A, 1, mode);
  return false;
}

bool CCamera::GetFlashMode(DWORD& mode) {
  CD_ROAD {
    cdUInt16 value, compensation;
    if (CDGetFlashSetting(m_hSource, &value, &compensation) != cdOK) return false;
    mode = value;
    return true;
  }
  PR_ROAD return PrGet(m_hCamera, 0xD00A, 1, mode);
  return false;
}

bool CCamera::SetFlash(DWORD mode, DWORD compensation) {
  CD_ROAD return CDSetFlashSetting(m_hSource, static_cast<cdUInt16>(mode), static_cast<cdUInt16>(compensation)) == cdOK;
  PR_ROAD {
    if (!PrSet(m_hCamera, 0xD00A, 1, mode)) return false;
    return compensation == 255 || PrSet(m_hCamera, 0xD020, 1, compensation);
  }
  return false;
}

bool CCamera::SetFlashOutput(DWORD level) {
  CD_ROAD return CdSet(m_hSource, 0x08000E00, 2, level);
  PR_ROAD return PrSet(m_hCamera, 0xD042, 2, level);
  return false;
}

bool CCamera::GetFlashOutput(DWORD& level) {
  CD_ROAD return CdGet(m_hSource, 0x08000E00, 2, level);
  PR_ROAD return PrGet(m_hCamera, 0xD042, 2, level);
  return false;
}

bool CCamera::GetFlashOutputLevelCount(DWORD& count) {
  CD_ROAD return CdGet(m_hSource, 0x0D00, 2, count);
  PR_ROAD {
    PropDesc desc;
    if (!ReadDesc(m_hCamera, 0xD042, 400, desc)) return false;
    if (desc.dataType == prDATA_TYPE_UINT16 && desc.form == prFORM_ENUM && !desc.values.empty() &&
        desc.values.size() <= 19)
      count = static_cast<DWORD>(desc.values.size());
    else
      count = desc.current;
    return true;
  }
  return false;
}

bool CCamera::SetBeep(bool on) {
  CD_ROAD return CdSet(m_hSource, 0x08000002, 1, on ? 1 : 0);
  PR_ROAD return PrSet(m_hCamera, 0xD00B, 1, on ? 1 : 0);
  return false;
}

bool CCamera::GetBeep(bool& on) {
  DWORD value;
  CD_ROAD {
    if (!CdGet(m_hSource, 0x08000002, 1, value)) return false;
  }
  PR_ROAD {
    if (!PrGet(m_hCamera, 0xD00B, 1, value)) return false;
  }
  else return false;
  on = value != 0;
  return true;
}

bool CCamera::SetImageFormat(DWORD size, DWORD quality) {
  CD_ROAD return CDSetImageFormatAttribute(m_hSource, static_cast<cdUInt16>(quality), static_cast<cdUInt16>(size)) ==
                 cdOK;
  PR_ROAD {
    if (quality == 4 && !m_rawCapable) return false;
    return PrSet(m_hCamera, 0xD008, 1, size) && PrSet(m_hCamera, 0xD006, 1, quality);
  }
  return false;
}

bool CCamera::GetImageFormat(DWORD& size, DWORD& quality) {
  CD_ROAD {
    cdUInt16 q, s;
    if (CDGetImageFormatAttribute(m_hSource, &q, &s) != cdOK) return false;
    size = s, quality = q;
    return true;
  }
  PR_ROAD {
    DWORD s, q;
    if (!PrGet(m_hCamera, 0xD008, 1, s) || !PrGet(m_hCamera, 0xD006, 1, q)) return false;
    size = s, quality = q;
    return true;
  }
  return false;
}

bool CCamera::GetWidestAperture(DWORD& av) {
  CD_ROAD return CdGet(m_hSource, 0x20, 2, av);
  return false;
}

bool CCamera::GetMaxZoom(DWORD& maximum, DWORD& maximumOptical) {
  CD_ROAD {
    cdUInt32 max, optical;
    if (CDGetMaximumZoomPos(m_hSource, &max, &optical) != cdOK) return false;
    maximum = max, maximumOptical = optical;
    return true;
  }
  PR_ROAD {
    PropDesc desc;
    if (!ReadDesc(m_hCamera, 0xD02A, 400, desc) || desc.form != prFORM_RANGE) return false;
    maximum = maximumOptical = desc.values[1] & 0xFFFF;
    return true;
  }
  return false;
}

bool CCamera::SetZoom(DWORD position) {
  CD_ROAD return CDSetZoomPos(m_hSource, position) == cdOK;
  PR_ROAD {
    // The position goes out with the property's own width, not the description's length.
    PropDesc desc;
    if (!ReadDesc(m_hCamera, 0xD02A, 16, desc)) return false;
    return PrSet(m_hCamera, 0xD02A, 2, position);
  }
  return false;
}

bool CCamera::GetDigitalZoom(double& magnification) {
  CD_ROAD {
    cdUInt32 numerator = 0, denominator = 0;
    if (CDGetDZoomMagnification(m_hSource, &numerator, &denominator) != cdOK) return false;
    if (numerator == 0 || denominator == 0) return false;
    magnification = static_cast<double>(numerator) / denominator;
    return true;
  }
  return false;
}

bool CCamera::GetPrDigitalZoom(DWORD& position) {
  CD_ROAD return false;
  PR_ROAD return PrGet(m_hCamera, 0xD03D, 2, position);
  return false;
}

bool CCamera::GetFocalLengths(double& current, double& wide, double& tele) {
  CD_ROAD {
    DWORD c, w, t, unit;
    if (!CdGet(m_hSource, 34, 2, c) || !CdGet(m_hSource, 35, 2, w) || !CdGet(m_hSource, 36, 2, t) ||
        !CdGet(m_hSource, 37, 2, unit))
      return false;
    if (unit == 0 || unit == 4095) return false;
    current = static_cast<double>(c) / unit;
    wide = static_cast<double>(w) / unit;
    tele = static_cast<double>(t) / unit;
    return true;
  }
  return false;
}

bool CCamera::ViewfinderToLcd() {
  CD_ROAD return CDSelectViewFinderCameraOutput(m_hSource, 1) == cdOK;
  PR_ROAD return PrSet(m_hCamera, 0xD036, 1, 1);
  return false;
}

bool CCamera::ViewfinderToVideoOut() {
  CD_ROAD return CDSelectViewFinderCameraOutput(m_hSource, 2) == cdOK;
  PR_ROAD return PrSet(m_hCamera, 0xD036, 1, 2);
  return false;
}

bool CCamera::ViewfinderOff() {
  CD_ROAD return CDSelectViewFinderCameraOutput(m_hSource, 3) == cdOK;
  PR_ROAD return PrSet(m_hCamera, 0xD036, 1, 3);
  return false;
}

bool CCamera::StartViewfinder(ViewfinderCallback callback, void* context) {
  if (!IsConnected()) return false;
  m_viewfinderCallback = callback;
  m_viewfinderContext = context;
  CD_ROAD return CDStartViewfinder(m_hSource, 0, CdViewfinderTrampoline, reinterpret_cast<cdContext>(this)) == cdOK;
  return PR_RC_StartViewFinder(m_hCamera, reinterpret_cast<prContext>(this), PrViewfinderTrampoline) == prOK;
}

bool CCamera::StopViewfinder() {
  CD_ROAD return CDTermViewfinder(m_hSource) == cdOK;
  PR_ROAD return PR_RC_TermViewFinder(m_hCamera) == prOK;
  return false;
}

bool CCamera::DoAeAfAwb() {
  CD_ROAD return CDActViewfinderAutoFunctions(m_hSource, 7) == cdOK;
  PR_ROAD return PR_RC_DoAeAfAwb(m_hCamera, 7) == prOK;
  return false;
}

bool CCamera::DoAf() {
  CD_ROAD return false;
  PR_ROAD return PR_RC_DoAeAfAwb(m_hCamera, 2) == prOK;
  return false;
}

bool CCamera::LockFocus(bool on) {
  CD_ROAD return CDAFLock(m_hSource, on ? TRUE : FALSE) == cdOK;
  PR_ROAD return (on ? PR_RC_FocusLock(m_hCamera) : PR_RC_FocusUnlock(m_hCamera)) == prOK;
  return false;
}

int CCamera::GetBatteryLevel() {
  CD_ROAD {
    BYTE buffer[4] = {};
    cdUInt32 size = 4;
    if (CDGetDevicePropertyData(m_hSource, cdDEVICE_PROP_BATTERY_STATUS, &size, buffer, 0) != cdOK) return 0;
    DWORD value = FromLe(buffer, size < 4 ? size : 4);
    if (value >= 0x10000000 && value <= 0x1FFFFFFF) return 0;
    switch (value & 0xF) {
      case 6:
        return 1;
      case 4:
        return 2;
      case 3:
        return 3;
      default:
        return 0;
    }
  }
  PR_ROAD {
    DWORD value;
    return PrGet(m_hCamera, 0xD003, 4, value) ? static_cast<int>(value) : 0;
  }
  return 0;
}

int CCamera::GetRotationAngle() {
  DWORD value;
  CD_ROAD {
    if (!CdGet(m_hSource, 0x0F00, 2, value)) return 0;
    return value == 1 ? 90 : value == 3 ? 270 : 0;
  }
  PR_ROAD {
    if (!PrGet(m_hCamera, 0xD043, 2, value)) return 0;
    return value == 1 ? 90 : value == 2 ? 180 : value == 3 ? 270 : 0;
  }
  return 0;
}

bool CCamera::SelectReleaseDataKind(WORD kind) {
  CD_ROAD return CDSelectReleaseDataKind(m_hSource, kind) == cdOK;
  PR_ROAD return PrSet(m_hCamera, 0xD029, 2, kind);
  return false;
}

bool CCamera::SetSaveMode(DWORD mode) {
  switch (mode) {
    case 1:
      m_releaseDataKind = 2;
      break;
    case 2:
      m_releaseDataKind = 13;
      break;
    case 3:
      m_releaseDataKind = 14;
      break;
    default:
      break;
  }
  if (m_formatMode == 4) m_releaseDataKind |= cdREL_KIND_THUMB_TO_PC;
  return SelectReleaseDataKind(m_releaseDataKind);
}

bool CCamera::SetSaveOptions(WORD formatMode, DWORD mode) {
  m_formatMode = formatMode;
  return SetSaveMode(mode);
}

bool CCamera::LockUI() {
  if (m_uiLockCount < 0) m_uiLockCount = 0;
  CD_ROAD {
    if (m_uiLockCount == 0 && CDLockUI(m_hSource) != cdOK) return false;
    ++m_uiLockCount;
    return true;
  }
  PR_ROAD return true;
  return false;
}

void CCamera::UnlockUI() {
  CD_ROAD {
    if (m_uiLockCount > 0) --m_uiLockCount;
    if (m_uiLockCount <= 0) {
      CDUnlockUI(m_hSource);
      m_uiLockCount = 0;
    }
  }
}

bool CCamera::GetPropertyValues(WORD property, WORD* values, int& count) {
  CD_ROAD return false;
  PR_ROAD {
    PropDesc desc;
    if (!values || count <= 0 || !ReadDesc(m_hCamera, property, 400, desc)) return false;
    if (desc.code != property || desc.dataType < prDATA_TYPE_INT8 || desc.dataType > prDATA_TYPE_UINT16) return false;
    if (desc.form != prFORM_ENUM) return false;
    // The caller's array bounds the copy, whatever the camera claims.
    int n = static_cast<int>(desc.values.size()) < count ? static_cast<int>(desc.values.size()) : count;
    for (int i = 0; i < n; ++i) values[i] = static_cast<WORD>(desc.values[i]);
    if (n == 0) return false;
    count = n;
    return true;
  }
  return false;
}

bool CCamera::GetRelCamSetting(DWORD id, DWORD size, void* data) {
  CD_ROAD {
    if (!data || size == 0) return false;
    std::vector<BYTE> buffer(size, 0);
    cdUInt32 got = size;
    if (CDGetRelCamSettingData(m_hSource, id, &got, buffer.data()) != cdOK) return false;
    std::memcpy(data, buffer.data(), got < size ? got : size);
    return true;
  }
  return false;
}

bool CCamera::SetRelCamSetting(DWORD id, DWORD size, const void* data) {
  CD_ROAD return data && CDSetRelCamSettingData(m_hSource, id, size, data) == cdOK;
  return false;
}
