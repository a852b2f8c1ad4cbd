// The connect worker: runs on its own thread behind the modal connection window, learns which
// values the camera accepts (cached per model), fills the form and applies the model's settings.
// It reaches the form only through sent messages, which run on the UI thread.
#include "app/ConnectWorker.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/CameraValueTables.h"
#include "app/MyQuilletView.h"
#include "app/ProgressDlg.h"
#include "app/Resource.h"
#include "platform/registry/registry.h"
#include "platform/win32/sync.h"
#include "support/ProgramGlobals.h"

namespace {

constexpr DWORD kCacheBufferSize = 2048;
constexpr DWORD kRelContrast = 0x08000008;
constexpr DWORD kRelWidestAperture = 32;

bool ReadDword(HKEY key, const char* name, DWORD& value) {
  DWORD type = 0, data = 0, size = sizeof(data);
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
      size != 4)
    return false;
  value = data;
  return true;
}

void AddNotApplicable(CComboBox& combo) {
  combo.AddString("N/A");
  combo.SetCurSel(0);
}

bool HasEntryStartingWith(const CComboBox& combo, const char* prefix) {
  CString text;
  for (int i = 0; i < combo.GetCount(); ++i) {
    combo.GetLBText(i, text);
    if (text.Left(static_cast<int>(std::strlen(prefix))) == prefix) return true;
  }
  return false;
}

// Selects the stored value (or the fallback entry) and lets the combo's handler send it.
void SelectStored(HKEY settings, const char* name, CComboBox& combo, int fallbackIndex, CMyQuilletView* view,
                  void (CMyQuilletView::*handler)()) {
  DWORD value = 0;
  if (settings && ReadDword(settings, name, value))
    SelectComboByItemData(&combo, value);
  else if (fallbackIndex >= 0)
    combo.SetCurSel(fallbackIndex);
  (view->*handler)();
}

}  // namespace

bool ReadLearnedValues(HKEY cache, const char* name, char* buffer, DWORD capacity) {
  std::memset(buffer, 0, capacity);
  DWORD type = 0, size = capacity;
  if (RegQueryValueExA(cache, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
    return false;
  return type == REG_MULTI_SZ && size >= 2 && buffer[size - 1] == 0 && buffer[size - 2] == 0;
}

DWORD WINAPI ConnectThreadProc(LPVOID parameter) {
  static_cast<CMyQuilletView*>(parameter)->ConnectToCamera();
  return 0;
}

void CMyQuilletView::LearnSettingValues(HKEY cache, const char* name, CComboBox& combo, const ComboTableRow* rows,
                                        int count, SettingProbe probe) {
  combo.ResetContent();
  char buffer[kCacheBufferSize];
  if (ReadLearnedValues(cache, name, buffer, sizeof(buffer))) {
    for (const char* entry = buffer; *entry; entry += std::strlen(entry) + 1) {
      int value = std::atoi(entry);
      for (int i = 0; i < count; ++i) {
        if (rows[i].value != value) continue;
        int index = combo.AddString(rows[i].label);
        combo.SetItemData(index, static_cast<DWORD_PTR>(static_cast<DWORD>(value)));
        break;
      }
    }
    return;
  }
  CString text = CString("Learning '") + name + "' settings...";
  SendMessage(WM_CONNECT_STATUS, 0, reinterpret_cast<LPARAM>(text.GetString()));
  if (HWND progress = m_hProgressWnd.load())
    ::SendMessageA(progress, WM_PROGRESS_TEXT, 0, reinterpret_cast<LPARAM>(text.GetString()));

  std::memset(buffer, 0, sizeof(buffer));
  DWORD used = 0;
  CString lastLabel;
  for (int i = 0; i < count; ++i) {
    // Rows that repeat a label (two codes for one f-number) show only the first accepted code.
    if (!lastLabel.IsEmpty() && lastLabel == rows[i].label) continue;
    if (!probe(m_pCamera, static_cast<DWORD>(rows[i].value))) continue;
    int index = combo.AddString(rows[i].label);
    combo.SetItemData(index, static_cast<DWORD_PTR>(static_cast<DWORD>(rows[i].value)));
    lastLabel = rows[i].label;
    char number[16];
    int length = std::snprintf(number, sizeof(number), "%d", rows[i].value);
    if (used + length + 2 > sizeof(buffer)) break;
    std::memcpy(buffer + used, number, length + 1);
    used += length + 1;
  }
  // The list ends with an empty string; an empty list is two NULs so that it reads back as a list.
  DWORD size = used == 0 ? 2 : used + 1;
  RegSetValueExA(cache, name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(buffer), size);
}

void CMyQuilletView::FillSupportedValues(CComboBox& combo, const ComboTableRow* rows, int count, const WORD* values,
                                         int length) {
  if (!rows || count <= 0 || !values || length <= 0) {
    combo.ResetContent();
    return;
  }
  int entries = combo.GetCount();
  if (entries > 0) {
    bool differs = false;
    int skip = 0;
    for (int i = 0; i < entries && !differs; ++i) {
      int j = i + skip;
      if (j < length && combo.GetItemData(i) == values[j]) continue;
      if (skip == 0 && i < length && values[i] == 0x7FFF) {
        skip = 1;
        continue;
      }
      differs = true;
    }
    if (!differs) return;
  }
  combo.ResetContent();
  for (int j = 0; j < length; ++j) {
    for (int i = 0; i < count; ++i) {
      if (rows[i].value != values[j]) continue;
      int index = combo.AddString(rows[i].label);
      combo.SetItemData(index, static_cast<DWORD_PTR>(static_cast<DWORD>(rows[i].value)));
      break;
    }
  }
}

void CMyQuilletView::ConnectToCamera() {
  CCamera* camera = m_pCamera;
  if (!camera) return;
  while (m_nProgressState.load() == 0) Sleep(10);
  auto progressText = [this](const CString& text) {
    if (HWND progress = m_hProgressWnd.load())
      ::SendMessageA(progress, WM_PROGRESS_TEXT, 0, reinterpret_cast<LPARAM>(text.GetString()));
  };
  progressText("Connecting to camera...");

  if (m_chkAfLock.m_hWnd) m_chkAfLock.SetCheck(BST_UNCHECKED);
  m_bViewfinderRunning = false;
  m_bLiveViewfinder = false;

  const CString model = camera->GetModelName();
  const CString modelKey = CString(kProductKey) + model;
  HKEY cache = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, modelKey, 0, KEY_READ | KEY_WRITE, &cache) == ERROR_SUCCESS) {
    DWORD type = 0, size = 0;
    bool stale = RegQueryValueExA(cache, "ExpComp", nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size < 10;
    // An early list of compensation values was cut short: learn every cached value again, but
    // keep the model's saved settings (the "Settings" sub-key).
    if (stale) {
      std::vector<CString> names;
      char name[256];
      for (DWORD index = 0;; ++index) {
        DWORD length = sizeof(name);
        if (RegEnumValueA(cache, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name);
      }
      for (const CString& learned : names) RegDeleteValueA(cache, learned);
    }
    RegCloseKey(cache);
    cache = nullptr;
  }
  RegCreateKeyExA(HKEY_CURRENT_USER, modelKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr,
                  &cache, nullptr);
  progressText("Camera model: " + model);

  DWORD maxZoom = 0, maxOptical = 0;
  if (m_zoomSlider.m_hWnd) {
    if (camera->GetMaxZoom(maxZoom, maxOptical)) {
      m_zoomSlider.SetRange(0, static_cast<int>(maxZoom), TRUE);
      // A long zoom range gets eleven ticks; a short one none.
      m_zoomSlider.ClearTics(TRUE);
      if (maxZoom > 25)
        for (int i = 0; i <= 10; ++i) m_zoomSlider.SetTic(static_cast<int>(i * maxZoom / 10));
      camera->SetZoom(m_nMinZoomSetting >= 1 ? static_cast<DWORD>(m_nMinZoomSetting) : 0);
    } else {
      m_zoomSlider.SetRange(0, 0, TRUE);
    }
    m_zoomSlider.SetPageSize(1);
  }

  if (m_cbFlashOutput.m_hWnd) {
    m_cbFlashOutput.ResetContent();
    DWORD levels = 0;
    if (ProbeShootingMode(camera, 4) && camera->GetFlashOutputLevelCount(levels) && levels > 0 && levels < 256) {
      for (DWORD i = 0; i < levels; ++i) {
        CString text;
        text.Format("%d", static_cast<int>(i));
        m_cbFlashOutput.SetItemData(m_cbFlashOutput.AddString(text), i);
      }
    }
    camera->SetPhotoEffect(0);
    if (m_cbFlashOutput.GetCount() == 0) m_cbFlashOutput.AddString("N/A");
    m_cbFlashOutput.SetCurSel(0);
  } else {
    camera->SetPhotoEffect(0);
  }

  LearnSettingValues(cache, "ExpMode", m_cbExpMode, kExpModeTable.rows, kExpModeTable.count, ProbeShootingMode);

  WORD values[256];
  int length = 0;
  auto propertyValues = [&](WORD property) {
    length = static_cast<int>(std::size(values));
    return camera->IsPrsdk() && camera->GetPropertyValues(property, values, length) && length > 0;
  };
  if (ProbeShootingMode(camera, 2)) {
    if (propertyValues(0xD01E))
      FillSupportedValues(m_cbTv, kTvPrTable.rows, kTvPrTable.count, values, length);
    else
      LearnSettingValues(cache, "Tv", m_cbTv, kTvCdTable.rows, kTvCdTable.count, ProbeTv);
  }
  if (ProbeShootingMode(camera, 3)) {
    if (propertyValues(0xD01D)) {
      CameraValueTable table = AvPrTableForModel(model);
      FillSupportedValues(m_cbAv, table.rows, table.count, values, length);
    } else {
      LearnSettingValues(cache, "Av", m_cbAv, kAvCdTable.rows, kAvCdTable.count, ProbeAv);
    }
  }
  WORD widest = 0;
  if (camera->GetRelCamSetting(kRelWidestAperture, 2, &widest) && widest < 80) {
    for (int i = m_cbAv.GetCount() - 1; i >= 0; --i)
      if (m_cbAv.GetItemData(i) < widest) m_cbAv.DeleteString(static_cast<UINT>(i));
  }
  if (!HasEntryStartingWith(m_cbTv, "Auto")) m_cbTv.SetItemData(m_cbTv.AddString("Auto"), 0xFFFF);
  if (!HasEntryStartingWith(m_cbAv, "Auto")) m_cbAv.SetItemData(m_cbAv.AddString("Auto"), 0xFFFF);
  if (ProbeShootingMode(camera, 1)) SelectComboByItemData(&m_cbExpMode, 1);

  if (propertyValues(0xD01C))
    FillSupportedValues(m_cbIso, kIsoPrTable.rows, kIsoPrTable.count, values, length);
  else
    LearnSettingValues(cache, "ISO", m_cbIso, kIsoCdTable.rows, kIsoCdTable.count, ProbeIso);
  const CameraValueTable& sizeQuality = camera->IsPrsdk() ? kSizeQualityPrTable : kSizeQualityCdTable;
  LearnSettingValues(cache, "SizeQuality", m_cbSizeQuality, sizeQuality.rows, sizeQuality.count, ProbeImageFormat);
  if (propertyValues(0xD013)) {
    FillSupportedValues(m_cbWhiteBalance, kWhiteBalanceTable.rows, kWhiteBalanceTable.count, values, length);
  } else if (camera->IsPrsdk()) {
    m_cbWhiteBalance.ResetContent();
    m_cbWhiteBalance.AddString("B&W");
    m_cbWhiteBalance.SetCurSel(0);
  } else {
    LearnSettingValues(cache, "WhiteBalance", m_cbWhiteBalance, kWhiteBalanceTable.rows, kWhiteBalanceTable.count,
                       ProbeWhiteBalance);
  }
  LearnSettingValues(cache, "MeteringMode", m_cbMetering, kMeteringTable.rows, kMeteringTable.count,
                     ProbeMeteringMode);
  if (ModelHasAfterFirst(model, "S2 IS") || ModelHasAfterFirst(model, "S3 IS") || ModelHasAfterFirst(model, "S5 IS"))
    FillComboFromTable(&m_cbFlash, kFlashSTable.rows, kFlashSTable.count);
  else
    LearnSettingValues(cache, "Flash", m_cbFlash, kFlashTable.rows, kFlashTable.count, ProbeFlashMode);
  const CameraValueTable& focus = camera->IsPrsdk() ? kFocusPointsPrTable : kFocusPointsCdTable;
  LearnSettingValues(cache, "FocusPoints", m_cbFocusPoints, focus.rows, focus.count, ProbeFocusPoint);
  if (camera->SetFocusPoint(0x3001)) SelectComboByItemData(&m_cbFocusPoints, 0x3001);
  LearnSettingValues(cache, "AFDistance", m_cbAfDistance, kAfDistanceTable.rows, kAfDistanceTable.count,
                     ProbeAfDistance);
  if (m_cbAfDistance.GetCount() == 0) AddNotApplicable(m_cbAfDistance);
  LearnSettingValues(cache, "ExpComp", m_cbExpComp, kCompensationTable.rows, kCompensationTable.count,
                     ProbeExposureComp);
  camera->SetFlash(2, 255);
  LearnSettingValues(cache, "FlashExpComp", m_cbFlashComp, kCompensationTable.rows, kCompensationTable.count,
                     ProbeFlashComp);
  if (m_cbFlashComp.GetCount() == 0) AddNotApplicable(m_cbFlashComp);
  LearnSettingValues(cache, "PhotoEffect", m_cbPhotoEffect, kPhotoEffectTable.rows, kPhotoEffectTable.count,
                     ProbePhotoEffect);
  if (m_cbPhotoEffect.GetCount() <= 1) {
    m_cbPhotoEffect.ResetContent();
    AddNotApplicable(m_cbPhotoEffect);
  }

  DWORD supported = 0;
  if (!ReadDword(cache, "ImageSettingsSupported", supported)) {
    BYTE keep = 255;
    supported = camera->SetRelCamSetting(kRelContrast, 1, &keep) ? 1 : 0;
    RegSetValueExA(cache, "ImageSettingsSupported", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&supported),
                   sizeof(supported));
  }
  m_bImageSettingsSupported = supported != 0;
  RegCloseKey(cache);

  HKEY settings = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, modelKey + "\\Settings", 0, nullptr, REG_OPTION_NON_VOLATILE,
                  KEY_READ | KEY_WRITE, nullptr, &settings, nullptr);
  DWORD value = 0;
  if (settings && ReadDword(settings, "Zoom", value) && m_zoomSlider.m_hWnd) {
    m_zoomSlider.SetPos(static_cast<int>(value));
    UpdateZoom();
  }
  if (settings && ReadDword(settings, "ExpMode", value)) {
    SelectComboByItemData(&m_cbExpMode, value);
    OnSelchangeExpMode();
  }
  if (settings && ReadDword(settings, "Tv", value)) {
    SelectComboByItemData(&m_cbTv, value);
    OnSelchangeTv();
  }
  if (settings && ReadDword(settings, "Av", value)) {
    SelectComboByItemData(&m_cbAv, value);
    OnSelchangeAv();
  }
  m_cbIso.SetCurSel(0);
  SelectStored(settings, "ISO", m_cbIso, -1, this, &CMyQuilletView::OnSelchangeIso);
  if (!(settings && ReadDword(settings, "ExpComp", value))) value = 24;
  SelectComboByItemData(&m_cbExpComp, value);
  OnSelchangeExpComp();
  int sizeFallback = HasEntryStartingWith(m_cbSizeQuality, "Raw") && m_cbSizeQuality.GetCount() > 1 ? 1 : 0;
  CString first;
  if (m_cbSizeQuality.GetCount() > 0) m_cbSizeQuality.GetLBText(0, first);
  if (first.Left(3) != "Raw") sizeFallback = 0;
  SelectStored(settings, "SizeQuality", m_cbSizeQuality, sizeFallback, this, &CMyQuilletView::OnSelchangeSizeQuality);
  SelectStored(settings, "MeteringMode", m_cbMetering, 0, this, &CMyQuilletView::OnSelchangeMeteringMode);
  SelectStored(settings, "AFDistance", m_cbAfDistance, 0, this, &CMyQuilletView::OnSelchangeAfDistance);
  SelectStored(settings, "FocusPoints", m_cbFocusPoints, 0, this, &CMyQuilletView::OnSelchangeFocusPoints);
  SelectStored(settings, "Flash", m_cbFlash, 0, this, &CMyQuilletView::OnSelchangeFlash);
  if (!(settings && ReadDword(settings, "FlashComp", value))) value = 24;
  SelectComboByItemData(&m_cbFlashComp, value);
  OnSelchangeFlashComp();
  SelectStored(settings, "PhotoEffect", m_cbPhotoEffect, 0, this, &CMyQuilletView::OnSelchangePhotoEffect);
  SelectStored(settings, "WhiteBalance", m_cbWhiteBalance, 0, this, &CMyQuilletView::OnSelchangeWhiteBalance);
  if (settings && ReadDword(settings, "OrientationSetting", value)) m_nOrientationSetting = static_cast<int>(value);
  if (settings && ReadDword(settings, "Contrast", value)) m_nContrast = static_cast<int>(value);
  if (settings && ReadDword(settings, "Saturation", value)) m_nSaturation = static_cast<int>(value);
  if (settings && ReadDword(settings, "Sharpness", value)) m_nSharpness = static_cast<int>(value);
  if (settings && ReadDword(settings, "LosslessAutoRotate", value)) m_bLosslessAutoRotate = value != 0;
  if (m_bImageSettingsSupported && !camera->IsPrsdk()) SendImageSettings(camera);
  if (settings && ReadDword(settings, "LiveViewfinder", value)) m_bLiveViewfinder = value != 0;
  if (settings && ReadDword(settings, "ViewfinderOutput", value)) m_nViewfinderOutput = static_cast<int>(value);

  m_nRotation = camera->GetRotationAngle();
  camera->SetSaveMode(static_cast<DWORD>(m_nStoreImage));
  FillReleaseSettingCombos();
  UpdateZoom();

  CString title = "Tavorin - Connected to " + model;
  SendMessage(WM_CONNECT_STATUS, 1, reinterpret_cast<LPARAM>(title.GetString()));
  if (s_nConnectSettleMs) Sleep(s_nConnectSettleMs);
  if (m_pProgressDlg) m_pProgressDlg->PostClose();
  if (settings) RegCloseKey(settings);
}
