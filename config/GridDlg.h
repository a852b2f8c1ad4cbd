// CGridDlg: the grid drawn over the displayed photo: divisions each way, on/off, line colour.
#pragma once

#include "platform/mfc/dialog.h"

#define IDD_GRID 141
#define IDC_GRID_COLOUR 1003
#define IDC_GRID_HORIZONTAL 1042
#define IDC_GRID_VERTICAL 1043
#define IDC_GRID_HORIZONTAL_SPIN 1044
#define IDC_GRID_VERTICAL_SPIN 1045
#define IDC_GRID_ENABLE 1046
#define IDC_GRID_SWATCH 141

class CGridDlg : public CDialog {
 public:
  explicit CGridDlg(CWnd* parent = nullptr);
  ~CGridDlg() override;

  int m_nHorizontalDivisions = 2;
  int m_nVerticalDivisions = 2;
  BOOL m_bDisplayGrid = FALSE;
  COLORREF m_nColour = 0;

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT type) override;

 private:
  /// Moves the edit's number one step (positive: up), kept within 2-50.
  void StepDivisions(int editId, int delta);
  void OnChooseColour();
  HBRUSH m_swatchBrush = nullptr;
};
