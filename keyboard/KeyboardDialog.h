// CKeyboardDialog: the full-screen touch keyboard. The opener sets the layout folder (and may
// pre-fill field texts), runs it modally and, after 1 (OK), reads the field texts and check
// boxes; 2 means cancelled or timed out. It draws itself from four whole-keyboard images
// composed from its keys or loaded from the layout folder.
#pragma once

#include <functional>
#include <memory>

#include "keyboard/KeyboardEditor.h"
#include "platform/gdiplus/gdiplus.h"
#include "platform/mfc/afxwin.h"

class CKeyboardDialog : public CDialog {
 public:
  /// Test mode keeps the normal mouse pointer visible.
  CKeyboardDialog(CWnd* parent, BOOL testMode, int keyboardType);
  ~CKeyboardDialog() override;

  BOOL OnInitDialog() override;
  BOOL PreTranslateMessage(MSG* msg) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  KeyboardTextField& Field(int index) { return m_editor.m_layout.m_fields[index]; }
  KeyboardCheckBox& CheckBox(int index) { return m_editor.m_layout.m_checkBoxes[index]; }
  /// The first key, in key order, strictly containing the point (image coordinates); NULL when none.
  const CKey* KeyFromPoint(CPoint point) const;
  /// Redraws into the off-screen bitmap and copies it to the window.
  void DrawKeyboard();
  /// The layout file, the four images and their name (type 1 always "email_keyboard").
  void SaveKeyboardLayout();

  CString m_layoutFolder;
  CString m_layoutName;
  KeyboardEditor m_editor;
  BOOL m_bTestMode;
  /// Seconds of the clock the time-out counts in (a seam for tests).
  std::function<LONGLONG()> m_nowSeconds;

  Gdiplus::Bitmap* m_images[4] = {};  // upper, upper pressed, lower, lower pressed
  CPoint m_imageOrigin;
  CSize m_imageSize;
  int m_gap = 0;
  int m_legendPointSize = 800;
  CKey m_pressedKey;
  bool m_cursorVisible = true;

 protected:
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
  void OnTimer(UINT_PTR id) override;
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnRButtonDown(UINT flags, CPoint point) override { OnLButtonDown(flags, point); }
  void OnMouseMove(UINT flags, CPoint point) override;
  void OnLButtonUp(UINT flags, CPoint point) override;
  void OnRButtonUp(UINT flags, CPoint point) override { OnLButtonUp(flags, point); }
  void OnChar(UINT c, UINT repeat, UINT flags) override;

 private:
  void LoadLayout();
  void ComposeImages();
  void LoadImageFiles();
  void PaintTo(CDC* target);
  void DrawFields(CDC* dc);
  void DrawCheckBoxes(CDC* dc);
  void CopyKeyFrom(CDC* dc, int image, const CKey& key);
  void Perform(const CKey& key);
  void Carry(KeyboardOutcome outcome);
  void TouchFields(CPoint point);
  void OpenSubKeyboard(int field);
  void RecordActivity() { m_lastActivity = m_nowSeconds(); }
  void ShowError(const CString& text);

  CDC m_memDC;
  CBitmap m_offscreen;
  CBitmap* m_oldBitmap = nullptr;
  CFont m_textFont;
  HCURSOR m_hInvisibleCursor = nullptr;
  LONGLONG m_lastActivity = 0;
  ULONGLONG m_lastToggleTick = 0;
  ULONGLONG m_lastReleaseTick = 0;
  bool m_captured = false;
  bool m_subKeyboardOpen = false;
};
