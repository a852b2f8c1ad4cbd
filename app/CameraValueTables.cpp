// The value tables of the camera-setting combos.
#include "app/CameraValueTables.h"

#include <cstddef>
#include <initializer_list>
#include <iterator>
#include <utility>
#include <vector>

namespace {

const ComboTableRow kExpModeRows[] = {
    {0, "Auto"},
    {1, "Program"},
    {2, "Tv"},
    {3, "Av"},
    {4, "Manual"}};
const ComboTableRow kTvCdRows[] = {
    {24, "15\""},
    {27, "13\""},
    {29, "10\""},
    {32, "8\""},
    {35, "6\""},
    {37, "5\""},
    {40, "4\""},
    {43, "3.2\""},
    {45, "2.5\""},
    {48, "2\""},
    {51, "1.6\""},
    {53, "1.3\""},
    {56, "1\""},
    {59, "0.8\""},
    {61, "0.6\""},
    {64, "0.5\""},
    {67, "0.4\""},
    {69, "0.3\""},
    {72, "1/4"},
    {75, "1/5"},
    {77, "1/6"},
    {80, "1/8"},
    {83, "1/10"},
    {85, "1/13"},
    {88, "1/15"},
    {91, "1/20"},
    {93, "1/25"},
    {96, "1/30"},
    {99, "1/40"},
    {101, "1/50"},
    {104, "1/60"},
    {107, "1/80"},
    {109, "1/100"},
    {112, "1/125"},
    {115, "1/160"},
    {117, "1/200"},
    {120, "1/250"},
    {123, "1/320"},
    {125, "1/400"},
    {128, "1/500"},
    {131, "1/640"},
    {133, "1/800"},
    {136, "1/1000"},
    {139, "1/1250"},
    {141, "1/1600"},
    {144, "1/2000"},
    {147, "1/2500"},
    {149, "1/3200"},
    {152, "1/4000"},
    {65535, "Auto"}};

// Builds a table from runs of rows, in order.
std::vector<ComboTableRow> Joined(std::initializer_list<std::pair<const ComboTableRow*, size_t>> runs) {
  std::vector<ComboTableRow> rows;
  for (const auto& [first, count] : runs) rows.insert(rows.end(), first, first + count);
  return rows;
}

const ComboTableRow kAutoAperture[] = {{65535, "Auto"}};
const ComboTableRow kBulb[] = {{4, "bulb"}};
// The apertures both SDKs offer, and the smaller ones only the PRSDK offers.
const ComboTableRow kAvWideRows[] = {
    {20, "1.8"},
    {21, "1.8"},
    {24, "2"},
    {27, "2.2"},
    {28, "2.5"},
    {29, "2.5"},
    {32, "2.8"},
    {32, "2.8"},
    {35, "3.2"},
    {36, "3.5"},
    {37, "3.5"},
    {40, "4"},
    {40, "4"},
    {44, "4.5"},
    {43, "4.5"},
    {45, "5"},
    {48, "5.6"},
    {48, "5.6"},
    {51, "6.3"},
    {52, "6.7"},
    {53, "7.1"},
    {56, "8"},
    {56, "8"}};
const ComboTableRow kAvNarrowRows[] = {
    {59, "9"},
    {60, "9.5"},
    {61, "10"},
    {64, "11"},
    {64, "11"},
    {67, "12"},
    {68, "13"},
    {69, "14"},
    {72, "16"},
    {72, "16"},
    {75, "18"},
    {76, "19"},
    {77, "20"},
    {80, "22"},
    {80, "22"}};

// The PRSDK offers bulb before the same speeds as the CDSDK.
const std::vector<ComboTableRow> kTvPrRows = Joined({{kBulb, 1}, {kTvCdRows, std::size(kTvCdRows)}});
const std::vector<ComboTableRow> kAvCdRows = Joined({{kAvWideRows, std::size(kAvWideRows)}, {kAutoAperture, 1}});
const std::vector<ComboTableRow> kAvPrRows = Joined(
    {{kAvWideRows, std::size(kAvWideRows)}, {kAvNarrowRows, std::size(kAvNarrowRows)}, {kAutoAperture, 1}});
const ComboTableRow kIsoCdRows[] = {
    {64, "50"},
    {72, "100"},
    {80, "200"},
    {88, "400"},
    {0, "Auto"}};
const ComboTableRow kIsoPrRows[] = {
    {0, "Auto"},
    {40, "6"},
    {43, "8"},
    {45, "10"},
    {48, "12"},
    {51, "16"},
    {53, "20"},
    {56, "25"},
    {59, "32"},
    {61, "40"},
    {64, "54"},
    {67, "64"},
    {69, "80"},
    {72, "100"},
    {75, "125"},
    {77, "160"},
    {80, "200"},
    {83, "250"},
    {85, "320"},
    {88, "400"},
    {91, "500"},
    {93, "640"},
    {96, "800"},
    {99, "1000"},
    {101, "1250"},
    {104, "1600"},
    {107, "2000"},
    {109, "2500"},
    {112, "3200"},
    {115, "4000"},
    {117, "5000"},
    {120, "6400"}};
const ComboTableRow kSizeQualityCdRows[] = {
    {4, "Raw"},
    {5, "Large/superfine"},
    {3, "Large/fine"},
    {2, "Large/normal"},
    {65541, "Medium/superfine"},
    {65539, "Medium/fine"},
    {65538, "Medium/normal"},
    {327685, "Medium1/superfine"},
    {327683, "Medium1/fine"},
    {327682, "Medium1/normal"},
    {393221, "Medium2/superfine"},
    {393219, "Medium2/fine"},
    {393218, "Medium2/normal"},
    {458757, "Medium3/superfine"},
    {458755, "Medium3/fine"},
    {458754, "Medium3/normal"},
    {131077, "Small/superfine"},
    {131075, "Small/fine"},
    {131074, "Small/normal"}};
const ComboTableRow kSizeQualityPrRows[] = {
    {4, "Raw"},
    {5, "Large/superfine"},
    {3, "Large/fine"},
    {2, "Large/normal"},
    {65541, "Medium1/superfine"},
    {65539, "Medium1/fine"},
    {65538, "Medium1/normal"},
    {196613, "Medium2/superfine"},
    {196611, "Medium2/fine"},
    {196610, "Medium2/normal"},
    {458757, "Medium3/superfine"},
    {458755, "Medium3/fine"},
    {458754, "Medium3/normal"},
    {131077, "Small/superfine"},
    {131075, "Small/fine"},
    {131074, "Small/normal"}};
const ComboTableRow kWhiteBalanceRows[] = {
    {0, "Auto"},
    {1, "Daylight"},
    {2, "Cloudy"},
    {3, "Tungsten"},
    {4, "Fluorescent"},
    {7, "Fluorescent H"},
    {5, "Flash"},
    {15, "Custom1"},
    {16, "Custom2"},
    {6, "Custom"}};
const ComboTableRow kMeteringRows[] = {
    {3, "Evaluative"},
    {1, "Spot"},
    {0, "Center-weighted"}};
const ComboTableRow kFlashRows[] = {
    {0, "Off"},
    {2, "On"},
    {6, "On + Red-eye"},
    {1, "Auto"},
    {5, "Auto + Red-eye"}};
const ComboTableRow kFlashSRows[] = {
    {2, "On"},
    {6, "On + Red-eye"}};
const ComboTableRow kFocusPointsCdRows[] = {
    {0, "MF"},
    {12289, "Auto"},
    {12292, "Left"},
    {12291, "Center"},
    {12290, "Right"}};
const ComboTableRow kFocusPointsPrRows[] = {
    {12289, "Auto"},
    {12291, "Center"}};
const ComboTableRow kAfDistanceRows[] = {
    {1, "Auto"},
    {3, "Close-up"}};
const ComboTableRow kCompensationRows[] = {
    {8, "+2"},
    {11, "+1 2/3"},
    {13, "+1 1/3"},
    {16, "+1"},
    {19, "+2/3"},
    {21, "+1/3"},
    {24, "None"},
    {27, "-1/3"},
    {29, "-2/3"},
    {32, "-1"},
    {35, "-1 1/3"},
    {37, "-1 2/3"},
    {40, "-2"}};
const ComboTableRow kPhotoEffectRows[] = {
    {0, "Off"},
    {1, "Vivid"},
    {2, "Neutral"},
    {3, "Low sharpening"},
    {4, "Sepia"},
    {5, "B&W"},
    {6, "Custom"}};

}  // namespace

const CameraValueTable kExpModeTable{kExpModeRows, static_cast<int>(std::size(kExpModeRows))};
const CameraValueTable kTvCdTable{kTvCdRows, static_cast<int>(std::size(kTvCdRows))};
const CameraValueTable kTvPrTable{kTvPrRows.data(), static_cast<int>(kTvPrRows.size())};
const CameraValueTable kAvCdTable{kAvCdRows.data(), static_cast<int>(kAvCdRows.size())};
const CameraValueTable kAvPrTable{kAvPrRows.data(), static_cast<int>(kAvPrRows.size())};
const CameraValueTable kIsoCdTable{kIsoCdRows, static_cast<int>(std::size(kIsoCdRows))};
const CameraValueTable kIsoPrTable{kIsoPrRows, static_cast<int>(std::size(kIsoPrRows))};
const CameraValueTable kSizeQualityCdTable{kSizeQualityCdRows, static_cast<int>(std::size(kSizeQualityCdRows))};
const CameraValueTable kSizeQualityPrTable{kSizeQualityPrRows, static_cast<int>(std::size(kSizeQualityPrRows))};
const CameraValueTable kWhiteBalanceTable{kWhiteBalanceRows, static_cast<int>(std::size(kWhiteBalanceRows))};
const CameraValueTable kMeteringTable{kMeteringRows, static_cast<int>(std::size(kMeteringRows))};
const CameraValueTable kFlashTable{kFlashRows, static_cast<int>(std::size(kFlashRows))};
const CameraValueTable kFlashSTable{kFlashSRows, static_cast<int>(std::size(kFlashSRows))};
const CameraValueTable kFocusPointsCdTable{kFocusPointsCdRows, static_cast<int>(std::size(kFocusPointsCdRows))};
const CameraValueTable kFocusPointsPrTable{kFocusPointsPrRows, static_cast<int>(std::size(kFocusPointsPrRows))};
const CameraValueTable kAfDistanceTable{kAfDistanceRows, static_cast<int>(std::size(kAfDistanceRows))};
const CameraValueTable kCompensationTable{kCompensationRows, static_cast<int>(std::size(kCompensationRows))};
const CameraValueTable kPhotoEffectTable{kPhotoEffectRows, static_cast<int>(std::size(kPhotoEffectRows))};

bool ModelHasAfterFirst(const CString& model, const char* text) { return model.Find(text) > 0; }

namespace {

// Some models have one aperture more than the general table: a row of value 32767 placed
// next to the first row of the anchor value.
std::vector<ComboTableRow> WithExtraAperture(const char* label, int anchor, bool after) {
  std::vector<ComboTableRow> rows = kAvPrRows;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].value == anchor) {
      rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(i) + (after ? 1 : 0), ComboTableRow{32767, label});
      break;
    }
  }
  return rows;
}

CameraValueTable TableOf(const std::vector<ComboTableRow>& rows) {
  return CameraValueTable{rows.data(), static_cast<int>(rows.size())};
}

}  // namespace

CameraValueTable AvPrTableForModel(const CString& model) {
  static const std::vector<ComboTableRow> g9 = WithExtraAperture("4.8", 40, true);
  static const std::vector<ComboTableRow> a640 = WithExtraAperture("4.1", 40, true);
  static const std::vector<ComboTableRow> s5 = WithExtraAperture("2.7", 32, false);
  static const std::vector<ComboTableRow> sx = WithExtraAperture("4.3", 40, true);
  if (ModelHasAfterFirst(model, "G7") || ModelHasAfterFirst(model, "G9") || ModelHasAfterFirst(model, "G10"))
    return TableOf(g9);
  if (ModelHasAfterFirst(model, "A640")) return TableOf(a640);
  if (ModelHasAfterFirst(model, "S5 IS")) return TableOf(s5);
  if (ModelHasAfterFirst(model, "SX100 IS") || ModelHasAfterFirst(model, "SX110 IS")) return TableOf(sx);
  return kAvPrTable;
}
