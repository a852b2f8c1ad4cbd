// CTemplateBrowserDlg: picks a print-layout template (".pblt") of a folder by its thumbnail.
// Templates dropped on the window from the file manager are copied into the folder.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/mfc/dialog.h"
#include "platform/mfc/gdiobjects.h"
#include "platform/mfc/imagelist.h"
#include "platform/mfc/listctrl.h"

#define IDD_TEMPLATE_BROWSER 251
#define IDC_TEMPLATE_LIST 1079
#define IDC_TEMPLATE_FOLDER 1368
#define IDC_TEMPLATE_OPEN_FOLDER 1369

/// One listed template: its path and, once drawn, its thumbnail.
struct TemplateRGBImage {
  CString path;
  std::vector<BYTE> pixels;  // B,G,R rows top first, each padded to 4 bytes as a DIB's; empty until loaded
  int width = 0;
  int height = 0;
};

/// The text cut to fit `maxWidth` pixels in the DC's font: "..." appended, then characters
/// dropped before it until it fits. A text that fits is returned as it is.
CString ShortenTemplateLabel(HDC dc, const char* text, int maxWidth);

class CTemplateBrowserDlg : public CDialog {
 public:
  static const int kThumbnailSize = 200;
  static const int kLabelWidth = 196;

  explicit CTemplateBrowserDlg(CWnd* parent = nullptr);

  /// In: the folder to show. After a scan it has no trailing separator.
  CString m_strTemplateFolder;
  /// Out after IDOK: the full path of the first selected template; empty when none was selected.
  CString m_strResultPath;

  /// The listed templates (index = list item); for tests.
  const std::vector<TemplateRGBImage>& Entries() const { return m_entries; }
  CListCtrl& List() { return m_list; }

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void OnOK() override;
  void OnSize(UINT type, int cx, int cy) override;
  void OnGetMinMaxInfo(MINMAXINFO* info) override;
  void OnShowWindow(BOOL show, UINT status) override;
  void OnDropFiles(HDROP drop) override;

 private:
  void Scan();
  void LayOut(int cx, int cy);
  void OpenFolder();
  /// Loads the entry's thumbnail unless it has one; a failure leaves it empty for the next try.
  void LoadThumbnail(TemplateRGBImage& entry);
  void DrawItem(NMLVCUSTOMDRAW* draw);
  /// Copies one dropped template in after asking; true when copied.
  bool CopyDropped(const CString& source, const CString& destination);
  void SelectTemplate(const CString& title);

  CListCtrl m_list;
  CImageList m_images;
  CFont m_labelFont;
  int m_nLabelHeight = 16;
  std::vector<TemplateRGBImage> m_entries;
};
