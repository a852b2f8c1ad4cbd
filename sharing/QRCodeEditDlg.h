// CQRCodeEditDlg: the text the photobooth prints as a QR code and its error-correction
// level, with the code redrawn at every change.
#pragma once

#include "platform/mfc/afxwin.h"
#include "platform/mfc/dialog.h"

/// The preview square: draws the code of its text and level.
class CQRCodePreview : public CWnd {
 public:
  void SetCode(const CString& text, int level);
  int PaintCount() const { return m_paints; }
  const CString& PaintedText() const { return m_paintedText; }
  int PaintedLevel() const { return m_paintedLevel; }

 protected:
  void OnPaint() override;

 private:
  CString m_text;
  int m_level = 0;
  int m_paints = 0;
  CString m_paintedText;
  int m_paintedLevel = -1;
};

class CQRCodeEditDlg : public CDialog {
 public:
  explicit CQRCodeEditDlg(CWnd* parent = nullptr);

  CString m_text;
  int m_level = 0;  // 0 Low, 1 Medium, 2 High, 3 Highest

  CQRCodePreview m_preview;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

 private:
  void Redraw();
};
