// The {value, label} tables of the camera-setting combos: what the camera calls a value and
// what the form shows for it.
#pragma once

#include "platform/mfc/cstring.h"
#include "support/ComboHelpers.h"

struct CameraValueTable {
  const ComboTableRow* rows;
  int count;
};

extern const CameraValueTable kExpModeTable, kTvCdTable, kTvPrTable, kAvCdTable, kAvPrTable, kIsoCdTable,
    kIsoPrTable, kSizeQualityCdTable, kSizeQualityPrTable, kWhiteBalanceTable, kMeteringTable, kFlashTable,
    kFlashSTable, kFocusPointsCdTable, kFocusPointsPrTable, kAfDistanceTable, kCompensationTable,
    kPhotoEffectTable;

/// True when `model` holds `text` somewhere after its first character.
bool ModelHasAfterFirst(const CString& model, const char* text);
/// The PRSDK aperture table of a model: its own when it has one, else the general one.
CameraValueTable AvPrTableForModel(const CString& model);
