// Eight ready-made print layouts computed from the printer page, the printer margins, five user
// margins and the photo aspect. The dialog shows them with a live preview; the setup wizard uses
// the same object without a window (InitPageMetrics, one generator, then m_boxes).
#pragma once

#include "platform/mfc/dialog.h"
#include "printlayout/PhotoboothCustomLayoutBox.h"

#define IDD_PRESET_PRINT_LAYOUTS 225
#define IDC_PRESET_MARGINS_GROUP 1250
#define IDC_PRESET_TOP 1251
#define IDC_PRESET_BOTTOM 1252
#define IDC_PRESET_LEFT 1253
#define IDC_PRESET_RIGHT 1254
#define IDC_PRESET_SPACING 1255
#define IDC_PRESET_DOUBLE_STRIP4 1256
#define IDC_PRESET_1LARGE_3SMALL 1257
#define IDC_PRESET_SINGLE_STRIP4 1258
#define IDC_PRESET_2ROWS_OF_2 1259
#define IDC_PRESET_TOP_SIZE 1261
#define IDC_PRESET_BOTTOM_SIZE 1262
#define IDC_PRESET_RIGHT_SIZE 1263
#define IDC_PRESET_LEFT_SIZE 1264
#define IDC_PRESET_SPACING_SIZE 1265
#define IDC_PRESET_DOUBLE_STRIP3 1266
#define IDC_PRESET_SINGLE_STRIP3 1267
#define IDC_PRESET_SINGLE_PHOTO 1268
#define IDC_PRESET_SINGLE_STRIP2 1269

// Shared by every use of the presets and kept by the settings store; a negative margin or
// spacing means a tenth of the printer's horizontal resolution.
extern int g_nPresetLayoutTopMargin;
extern int g_nPresetLayoutBottomMargin;
extern int g_nPresetLayoutLeftMargin;
extern int g_nPresetLayoutRightMargin;
extern int g_nPresetLayoutSpacing;
/// The last preset chosen: 0 double strip of 4, 1 single strip of 4, 2 one large and three
/// small, 3 two rows of two, 4 double strip of 3, 5 single strip of 3, 6 single photo,
/// 7 single strip of 2.
extern int g_nPresetLayout;

class CPresetPrintLayoutsDlg : public CDialog {
 public:
  CPresetPrintLayoutsDlg(CWnd* parent, int aspectWidth, int aspectHeight);
  ~CPresetPrintLayoutsDlg() override;

  /// Clears the boxes, reads page size and resolution of the application's printer (kept as
  /// they were when it cannot be reached), the five settings and the printer margins.
  void InitPageMetrics();

  void LayoutDoubleStrip3();
  void LayoutDoubleStrip4();
  void LayoutSingleStrip2();
  void LayoutSingleStrip3();
  void LayoutSingleStrip4();
  void Layout2RowsOf2();
  void Layout1Large3Small();
  void LayoutSinglePhoto();
  /// Runs the generator of a preset code (unknown codes: double strip of 4).
  void GeneratePreset(int code);

  /// Size captions, a checked radio and its generator.
  void GenerateLayout();
  void DrawPreview(HDC dc);

  int m_nPageWidth = 0;
  int m_nPageHeight = 0;
  int m_nDpiX = 0;
  int m_nDpiY = 0;
  PhotoboothCustomLayoutBox m_boxes[kLayoutBoxCount];
  RECT m_guides[8];
  int m_nPrinterTopMargin = 0;
  int m_nPrinterBottomMargin = 0;
  int m_nPrinterLeftMargin = 0;
  int m_nPrinterRightMargin = 0;
  HBITMAP m_hPreview = nullptr;
  int m_nPreviewWidth = 0;
  int m_nPreviewHeight = 0;
  int m_nPreviewLeft = 0;
  int m_nPreviewTop = 0;
  int m_nTopMargin = 50;
  int m_nBottomMargin = 50;
  int m_nLeftMargin = 50;
  int m_nRightMargin = 50;
  int m_nSpacing = 50;
  int m_nRotation = 0;
  int m_nAspectWidth;
  int m_nAspectHeight;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

 private:
  struct Region;
  Region MakeRegion() const;
  void ClearBoxes(int used, const int* selectors, int rotation);
  void SingleStrip(int n);
  void DoubleStrip(int n);
  void OnPresetClicked(int id);
  void OnMarginChanged(int id);
  /// The edit that has the keyboard focus among the five (0 for none).
  int m_nFocusedEdit = 0;
};
