// The form's camera-setting combos: each sends its selection to the camera and shows the value
// the camera took; the exposure controls follow the camera's mode.
#include "app/CameraValueTables.h"
#include "app/MyQuilletView.h"
#include "app/Resource.h"

namespace {

constexpr DWORD kNoCameraValue = 0xFFFF;

// The flash choices of the S-series models: all four in Program mode, the first two otherwise.
const ComboTableRow kFlashSProgramRows[] = {{2, "On"}, {6, "On + Red-eye"}, {1, "Auto"}, {5, "Auto + Red-eye"}};
const ComboTableRow kFlashOffRow[] = {{0, "Off"}};

DWORD ItemDataOfSelection(const CComboBox& combo) {
  int index = combo.m_hWnd ? combo.GetCurSel() : -1;
  return index < 0 ? 0xFFFFFFFFu : static_cast<DWORD>(combo.GetItemData(index));
}

}  // namespace

bool CMyQuilletView::OnFormCommand(UINT id, UINT code) {
  if (id == IDC_AUTOBRACKET && code == BN_CLICKED) {
    m_nAutoBracket = IsDlgButtonChecked(IDC_AUTOBRACKET) == BST_CHECKED ? 1 : 0;
    UpdateControls();
    return true;
  }
  if (code != CBN_SELCHANGE) return false;
  switch (id) {
    case IDC_EXPMODE: OnSelchangeExpMode(); return true;
    case IDC_TV: OnSelchangeTv(); return true;
    case IDC_AV: OnSelchangeAv(); return true;
    case IDC_EXPCOMP: OnSelchangeExpComp(); return true;
    case IDC_FLASHCOMP: OnSelchangeFlashComp(); return true;
    case IDC_SIZEQUALITY: OnSelchangeSizeQuality(); return true;
    case IDC_WHITEBALANCE: OnSelchangeWhiteBalance(); return true;
    case IDC_METERING: OnSelchangeMeteringMode(); return true;
    case IDC_ISO: OnSelchangeIso(); return true;
    case IDC_FLASHOUTPUT: OnSelchangeFlashOutput(); return true;
    case IDC_PHOTOEFFECT: OnSelchangePhotoEffect(); return true;
    case IDC_FLASH: OnSelchangeFlash(); return true;
    case IDC_AFDISTANCE: OnSelchangeAfDistance(); return true;
    case IDC_FOCUSPOINTS: OnSelchangeFocusPoints(); return true;
    default: return false;
  }
}

// The common road of the combo handlers: send the selection, show what the camera kept.
static void ApplyCombo(CCamera* camera, CComboBox& combo, bool (CCamera::*set)(DWORD), bool (CCamera::*get)(DWORD&),
                       bool skipNoValue) {
  if (!camera || !camera->IsConnected() || !combo.m_hWnd || combo.GetCurSel() < 0) return;
  DWORD data = ItemDataOfSelection(combo);
  if (!(skipNoValue && data == kNoCameraValue)) (camera->*set)(data);
  DWORD read = 0;
  if (get && (camera->*get)(read)) SelectComboByItemData(&combo, read);
}

void CMyQuilletView::OnSelchangeExpMode() {
  if (!m_pCamera || !m_pCamera->IsConnected() || m_cbExpMode.GetCurSel() < 0) return;
  m_pCamera->SetShootingMode(ItemDataOfSelection(m_cbExpMode));
  DWORD mode = 0;
  if (m_pCamera->GetShootingMode(mode)) SelectComboByItemData(&m_cbExpMode, mode);
  FillReleaseSettingCombos();
}

void CMyQuilletView::OnSelchangeTv() { ApplyCombo(m_pCamera, m_cbTv, &CCamera::SetTv, &CCamera::GetTv, true); }
void CMyQuilletView::OnSelchangeAv() { ApplyCombo(m_pCamera, m_cbAv, &CCamera::SetAv, &CCamera::GetAv, true); }
void CMyQuilletView::OnSelchangeExpComp() {
  ApplyCombo(m_pCamera, m_cbExpComp, &CCamera::SetExposureComp, &CCamera::GetExposureComp, false);
}
void CMyQuilletView::OnSelchangeFlashComp() {
  ApplyCombo(m_pCamera, m_cbFlashComp, &CCamera::SetFlashComp, &CCamera::GetFlashComp, false);
}
void CMyQuilletView::OnSelchangeMeteringMode() {
  ApplyCombo(m_pCamera, m_cbMetering, &CCamera::SetMeteringMode, &CCamera::GetMeteringMode, false);
}
void CMyQuilletView::OnSelchangeIso() { ApplyCombo(m_pCamera, m_cbIso, &CCamera::SetIso, &CCamera::GetIso, false); }
void CMyQuilletView::OnSelchangeFlashOutput() {
  ApplyCombo(m_pCamera, m_cbFlashOutput, &CCamera::SetFlashOutput, &CCamera::GetFlashOutput, false);
}
void CMyQuilletView::OnSelchangeFocusPoints() {
  ApplyCombo(m_pCamera, m_cbFocusPoints, &CCamera::SetFocusPoint, nullptr, false);
}

void CMyQuilletView::OnSelchangeSizeQuality() {
  if (!m_pCamera || !m_pCamera->IsConnected() || m_cbSizeQuality.GetCurSel() < 0) return;
  DWORD data = ItemDataOfSelection(m_cbSizeQuality);
  if (m_pCamera->SetImageFormat(data >> 16, data & 0xFFFF))
    m_pCamera->SetSaveOptions(static_cast<WORD>(data & 0xFFFF), static_cast<DWORD>(m_nStoreImage));
  DWORD size = 0, quality = 0;
  if (m_pCamera->GetImageFormat(size, quality)) SelectComboByItemData(&m_cbSizeQuality, (size << 16) + quality);
}

void CMyQuilletView::OnSelchangeWhiteBalance() {
  if (m_cbWhiteBalance.GetCount() <= 1) return;
  DWORD effect = 0;
  // Sepia and black-and-white take no white balance.
  if (m_pCamera && m_cbPhotoEffect.GetCount() > 1 && m_pCamera->GetPhotoEffect(effect) && (effect == 4 || effect == 5))
    return;
  ApplyCombo(m_pCamera, m_cbWhiteBalance, &CCamera::SetWhiteBalance, &CCamera::GetWhiteBalance, false);
}

void CMyQuilletView::OnSelchangePhotoEffect() {
  if (m_cbPhotoEffect.GetCount() <= 1) return;
  ApplyCombo(m_pCamera, m_cbPhotoEffect, &CCamera::SetPhotoEffect, &CCamera::GetPhotoEffect, false);
  DWORD effect = ItemDataOfSelection(m_cbPhotoEffect);
  m_cbWhiteBalance.EnableWindow(effect != 4 && effect != 5 && m_cbWhiteBalance.GetCount() >= 2);
}

void CMyQuilletView::OnSelchangeFlash() {
  if (ItemDataOfSelection(m_cbFlash) == kNoCameraValue) return;
  ApplyCombo(m_pCamera, m_cbFlash, &CCamera::SetFlashMode, &CCamera::GetFlashMode, false);
  FillReleaseSettingCombos();
}

void CMyQuilletView::OnSelchangeAfDistance() {
  if (IsAfLockTicked()) {
    m_chkAfLock.SetCheck(BST_UNCHECKED);
    OnAfLock();
  }
  ApplyCombo(m_pCamera, m_cbAfDistance, &CCamera::SetAFDistance, &CCamera::GetAFDistance, false);
}

void CMyQuilletView::FillReleaseSettingCombos() {
  if (!m_pCamera || !m_pCamera->IsConnected() || !m_pCamera->LockUI()) return;
  UpdateBatteryText();
  DWORD mode = 0;
  bool haveMode = m_pCamera->GetShootingMode(mode);
  WORD values[256];
  int length = 0;
  auto propertyValues = [&](WORD property) {
    length = static_cast<int>(std::size(values));
    return m_pCamera->IsPrsdk() && m_pCamera->GetPropertyValues(property, values, length) && length > 0;
  };
  if (haveMode) {
    SelectComboByItemData(&m_cbExpMode, mode);
    bool active = mode >= 1 && mode <= 5;
    DWORD tv = 0;
    if (mode == 2 || mode == 4) {
      m_cbTv.EnableWindow(TRUE);
      if (m_pCamera->GetTv(tv)) {
        if (propertyValues(0xD01E)) FillSupportedValues(m_cbTv, kTvPrTable.rows, kTvPrTable.count, values, length);
        if (tv == 0xFFFF && m_pCamera->SetTv(112)) m_pCamera->GetTv(tv);
        SelectComboByItemData(&m_cbTv, tv);
      }
    } else {
      m_cbTv.EnableWindow(FALSE);
      SelectComboByItemData(&m_cbTv, 0xFFFF);
    }
    DWORD av = 0;
    if (mode == 3 || mode == 4) {
      m_cbAv.EnableWindow(TRUE);
      if (m_pCamera->GetAv(av)) {
        if (propertyValues(0xD01D)) {
          CameraValueTable table = AvPrTableForModel(m_pCamera->GetModelName());
          FillSupportedValues(m_cbAv, table.rows, table.count, values, length);
        }
        if (!SelectComboByItemData(&m_cbAv, av) && m_pCamera->SetAv(40) && m_pCamera->GetAv(av))
          SelectComboByItemData(&m_cbAv, av);
      }
    } else {
      m_cbAv.EnableWindow(FALSE);
      SelectComboByItemData(&m_cbAv, 0xFFFF);
    }
    m_cbExpComp.EnableWindow(active && mode != 4);
    m_cbMetering.EnableWindow(active && mode != 4);
    m_cbFlashComp.EnableWindow(active && mode != 4 && m_cbFlashComp.GetCount() > 1);
    m_cbFlash.EnableWindow(active);
    m_cbIso.EnableWindow(active);
    DWORD effect = ItemDataOfSelection(m_cbPhotoEffect);
    bool noBalance = (m_cbPhotoEffect.GetCount() > 1 && (effect == 4 || effect == 5)) || m_cbWhiteBalance.GetCount() < 2;
    m_cbWhiteBalance.EnableWindow(!noBalance);
  }
  if (m_cbFlash.m_hWnd) {
    if (propertyValues(0xD00A))
      FillSupportedValues(m_cbFlash, kFlashTable.rows, kFlashTable.count, values, length);
    else if (m_pCamera->IsPrsdk())
      m_cbFlash.ResetContent();
    m_cbFlash.EnableWindow(m_cbFlash.GetCount() > 0);
    DWORD flash = 0;
    if (m_pCamera->GetFlashMode(flash)) {
      CString model = m_pCamera->GetModelName();
      if (ModelHasAfterFirst(model, "S2 IS") || ModelHasAfterFirst(model, "S3 IS") ||
          ModelHasAfterFirst(model, "S5 IS")) {
        // These models offer Auto only in Program mode, and nothing while the flash is down.
        if (flash != 0) {
          FillComboFromTable(&m_cbFlash, kFlashSProgramRows, haveMode && mode == 1 ? 4 : 2);
          m_cbFlash.EnableWindow(TRUE);
        } else {
          FillComboFromTable(&m_cbFlash, kFlashOffRow, 1);
          m_cbFlash.EnableWindow(FALSE);
        }
      }
      SelectComboByItemData(&m_cbFlash, flash);
    }
  }
  DWORD level = 0;
  if (m_cbFlashOutput.m_hWnd && m_pCamera->GetFlashOutput(level) && level < 256) {
    if (m_cbFlashOutput.GetCount() <= static_cast<int>(level)) {
      m_cbFlashOutput.ResetContent();
      for (DWORD i = 0; i <= level; ++i) {
        CString text;
        text.Format("%d", static_cast<int>(i));
        m_cbFlashOutput.SetItemData(m_cbFlashOutput.AddString(text), i);
      }
    }
    SelectComboByItemData(&m_cbFlashOutput, level);
  }
  if (m_cbFlashOutput.m_hWnd) {
    // The output level is the user's only in Manual mode with the flash on.
    bool flashOn = m_cbFlash.m_hWnd && m_cbFlash.GetCurSel() >= 0 && ItemDataOfSelection(m_cbFlash) != 0;
    m_cbFlashOutput.EnableWindow(flashOn && ItemDataOfSelection(m_cbExpMode) == 4);
  }
  m_pCamera->SetSaveMode(static_cast<DWORD>(m_nStoreImage));
  m_pCamera->UnlockUI();
}
