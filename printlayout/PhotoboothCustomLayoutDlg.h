// The custom print-layout editor: a table of the twelve photo boxes at the left with the
// layout's images, captions, printer and file buttons below it, and the page at the right, where
// the mouse and the keys edit the layout. Every edit can be undone.
#pragma once

#include <vector>

#include "platform/mfc/dialog.h"
#include "printlayout/LayoutEditorDialogs.h"
#include "printlayout/LayoutEditorInteraction.h"
#include "printlayout/MyEdit.h"
#include "printlayout/PhotoboothLayoutRenderer.h"
#include "printlayout/PhotoPositionEditDlg.h"

#define IDD_PHOTOBOOTH_CUSTOM_LAYOUT 213
#define IDR_LAYOUT_EDITOR_KEYS 249
#define IDC_LAYOUT_CURSOR_MOVE 246
#define IDC_LAYOUT_CURSOR_ROTATE 247
#define IDC_LAYOUT_SHOW_BACKGROUND 1323
#define IDC_LAYOUT_SHOW_OVERLAY 1324
#define IDC_LAYOUT_SHOW_CAPTIONS 1325
#define IDC_LAYOUT_EDIT_CAPTIONS 1326
#define IDC_LAYOUT_SWATCH 1329
#define IDC_LAYOUT_CHOOSE_COLOUR 1330
#define IDC_LAYOUT_SHOW_COLOUR 1331
#define IDC_LAYOUT_UNDO 1332
#define IDC_LAYOUT_REDO 1333
#define IDC_LAYOUT_IMPORT_BACKGROUND 1345
#define IDC_LAYOUT_IMPORT_OVERLAY 1346
#define IDC_LAYOUT_SHOW_MARGINS 1348
#define IDC_LAYOUT_EXPORT 1350
#define IDC_LAYOUT_IMPORT 1351
#define IDC_LAYOUT_DELETE_BACKGROUND 1367
#define IDC_LAYOUT_DELETE_OVERLAY 1368
#define IDC_LAYOUT_PRINTER_SETUP 1202
#define IDC_LAYOUT_TEST_PAGE 1003
#define IDC_LAYOUT_PRESETS 1249

/// Control ids of row i of the box table: combo, Left, Top, Width, Height, Angle, "...".
extern const int kLayoutRowCombo[12];
extern const int kLayoutRowEdits[12][5];
extern const int kLayoutRowButton[12];

/// Everything one undo step brings back.
struct LayoutUndoSnapshot {
  int photos = 0;
  COLORREF background = 0;
  LayoutShowFlags show;
  std::vector<int> boxSelection;
  std::vector<int> captionSelection;
  LayoutEditBox boxes[kLayoutBoxCount];
  PhotoboothCaption captions[kLayoutCaptionCount];
};

class CPhotoboothCustomLayoutDlg : public CDialog {
 public:
  CPhotoboothCustomLayoutDlg(CWnd* parent, int aspectWidth, int aspectHeight);
  ~CPhotoboothCustomLayoutDlg() override;

  // In before DoModal, out after IDOK.
  int m_nNumberOfPhotos = 4;
  CString m_strImageDir;
  COLORREF m_backgroundColour = RGB(255, 255, 255);
  CString m_strQRcode;
  int m_nQRcodeQuality = 0;
  PhotoboothCustomLayoutBox m_layoutBoxes[kLayoutBoxCount];
  PhotoboothCaption m_captions[kLayoutCaptionCount];

  /// Page size and resolution of the application's printer; zeros when there is none.
  void ReadPageMetrics();
  /// Draws on `dc` at the dialog's client size; records an undo step with the tag.
  void DrawLayout(HDC dc, int undoTag);
  void Redraw(int undoTag);
  void UpdateControls();
  /// The state at the undo position comes back.
  void RestoreUndo();
  void RecordUndo(int tag);
  /// Reads a layout file into the editor; every failure is reported inside.
  BOOL ImportLayout(const char* path);
  void OnExportLayout();
  /// "Print Test Page": the layout at printer resolution, printed, or saved as an image with Shift.
  void PrintLayout();
  /// The test page of the layout on a new image of the page's size; FALSE when it cannot be made.
  BOOL ComposeTestPage(class PipSession& page, int pageWidth, int pageHeight);

  PrintLayoutModel m_model;
  PhotoboothLayoutRenderer m_renderer{m_model};
  LayoutEditorInteraction m_editor{m_model, m_renderer};
  std::vector<LayoutUndoSnapshot> m_undo;
  int m_nUndoPosition = 0;
  bool m_bUndoSuspended = false;
  int m_nLastUndoTag = 0;
  /// Open while the user types a box's position; timer 1 mirrors it into the layout.
  CPhotoPositionEditDlg* m_pPositionDlg = nullptr;
  /// Open while the caption editor runs; timer 1 mirrors it into the layout.
  LayoutCaptionEditRequest* m_pCaptionEdit = nullptr;
  /// The caption editor, QR-code dialog and template browser, given by the opener.
  LayoutEditorDialogs m_childDialogs;
  /// The Left, Top, Width, Height and Angle edits of each row.
  CMyEdit m_edits[kLayoutBoxCount][5];

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  BOOL PreTranslateMessage(MSG* msg) override;

 private:
  int ControlsRight() const;
  void FillCombos();
  void MoveDataToControls();
  void ReadControls();
  /// Reads row `row`'s five edits into its box.
  void ReadRow(int row);
  /// Reads back every row whose edits the user changed since they were last filled, so that
  /// no redraw writes over a typed value; true when one was read.
  bool ReadTypedRows();
  /// The row and field of a row edit, false for any other control.
  static bool RowEditOf(int id, int& row, int& field);
  void PaintSwatch();
  void OnComboChanged(int row);
  void OnShowClicked(int id);
  void OnChooseColour();
  void OnPresets();
  void OnPrinterSetup();
  void OnUndo();
  void OnRedo();
  void OnContextMenu(POINT client);
  void OnEditPosition(int row);
  void OnTimer1();
  /// Copies the open caption editor's caption into the layout; true when something changed.
  bool MirrorCaptionEditor();
  void OnEditCaptions();
  void OnEditQRCode();
  void OnImportLayout();
  void ImportLayer(bool background);
  void DeleteLayer(bool background);
  /// Copies an image over a layer file through a temporary name; reports a failure.
  bool CopyLayer(const CString& source, const CString& target);
  void OnDropFiles(HDROP drop);
  int Ask(const char* text, UINT type);
  LayoutUndoSnapshot CurrentState() const;
  static bool SameState(const LayoutUndoSnapshot& a, const LayoutUndoSnapshot& b);
  void UpdateUndoButtons();
  CString LayerPath(const char* name) const;

  int m_nAspectWidth;
  int m_nAspectHeight;
  HACCEL m_hAccelerators = nullptr;
  HCURSOR m_hMoveCursor = nullptr;
  HCURSOR m_hRotateCursor = nullptr;
  HCURSOR m_hSizeAllCursor = nullptr;
  HCURSOR m_hArrowCursor = nullptr;
  HBITMAP m_hSwatch = nullptr;
  bool m_bInitialised = false;
  /// What each row edit was last filled with.
  CString m_shownText[kLayoutBoxCount][5];
};
