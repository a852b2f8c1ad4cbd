// Private: the Qt widget behind a window of a registered class (frames, views, dialogs).
// It turns Qt's events into the window's messages and shows its back buffer.
#pragma once

#include <QImage>
#include <QWidget>
#include <mutex>

#include "platform/user/winmsg.h"

namespace user_p {

class HwndWidget : public QWidget {
 public:
  HwndWidget(HWND hwnd, QWidget* parent, Qt::WindowFlags flags);

  HWND Hwnd() const { return m_hwnd; }

  /// The back buffer that window DCs draw on, sized to the client area. Lock BufferMutex()
  /// around every use; any thread may draw, the UI thread shows it.
  QImage* Buffer();
  std::recursive_mutex& BufferMutex() { return m_bufferMutex; }
  /// Marks the buffer as the window's picture from now on (the first DC made on it).
  void UseBuffer() { m_bufferInUse = true; }
  bool InPaint() const { return m_inPaint; }

  /// Colour key of a layered window (-1: none). Pixels of that colour are see-through: made
  /// transparent where a compositor exists, else cut out of the window's shape after each paint.
  void SetColorKey(long colorKey) {
    m_colorKey = colorKey;
    if (colorKey < 0) clearMask();
  }

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  LRESULT Input(UINT message, WPARAM wParam, LPARAM lParam);
  void ShapeToColorKey();
  void ActivationChanged();

  HWND m_hwnd;
  QImage m_buffer;
  std::recursive_mutex m_bufferMutex;
  bool m_bufferInUse = false;
  bool m_inPaint = false;
  long m_colorKey = -1;
  bool m_active = false;
};

/// Offers every key press of the program's widgets (controls included) to the UI message
/// filter first, so accelerators work whatever has the focus. Installed once.
void EnsureInputFilter();
/// Offers an input message to the UI message filter; TRUE when the filter took it.
BOOL PreTranslateInput(MSG* msg);
/// The widget that SetCursor changes (the one under the mouse).
void SetCursorTarget(QWidget* widget);
/// Builds the key-state flags of mouse messages (MK_*) from Qt's current state.
WPARAM MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
/// The virtual-key code of a Qt key event; 0 when it has none.
UINT VirtualKeyOf(const QKeyEvent* event);
/// Records a key as down or up for GetKeyState.
void SetKeyDown(UINT vk, bool down);

}  // namespace user_p
