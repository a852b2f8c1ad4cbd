// Driving a keyboard dialog the way a guest does: mouse and key events through the toolkit.
#pragma once

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>
#include <filesystem>
#include <string>

#include "keyboard/KeyboardDialog.h"
#include "platform/user/window_p.h"
#include "platform/win32/sync.h"

inline QWidget* WidgetOfDialog(CDialog* dialog) { return user_p::WidgetOf(dialog->m_hWnd); }

inline void Touch(CDialog* dialog, QPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier, QPoint releaseAt = {-1, -1}) {
  QWidget* widget = WidgetOfDialog(dialog);
  ASSERT_NE(widget, nullptr);
  if (releaseAt.x() < 0) releaseAt = at;
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton,
                    Qt::LeftButton, modifiers);
  QCoreApplication::sendEvent(widget, &press);
  QMouseEvent move(QEvent::MouseMove, QPointF(releaseAt), widget->mapToGlobal(QPointF(releaseAt)), Qt::NoButton,
                   Qt::LeftButton, modifiers);
  QCoreApplication::sendEvent(widget, &move);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(releaseAt), widget->mapToGlobal(QPointF(releaseAt)),
                      Qt::LeftButton, Qt::NoButton, modifiers);
  QCoreApplication::sendEvent(widget, &release);
}

inline QPoint CentreOf(const CKey& key) { return QPoint(key.m_x + key.m_width / 2, key.m_y + key.m_height / 2); }

/// The first key with that legend; fails the test when there is none.
inline CKey KeyWithLegend(CKeyboardDialog* keyboard, const char* legend) {
  const CArray<CKey, CKey>& keys = keyboard->m_editor.m_layout.m_keys;
  for (INT_PTR i = 0; i < keys.GetSize(); ++i) {
    if (keys[i].m_legend == legend) return keys[i];
  }
  ADD_FAILURE() << "no key " << legend;
  return CKey();
}

inline void TouchKey(CKeyboardDialog* keyboard, const char* legend) { Touch(keyboard, CentreOf(KeyWithLegend(keyboard, legend))); }

inline void TypeOnKeyboard(CDialog* dialog, const std::string& text) {
  QWidget* widget = WidgetOfDialog(dialog);
  for (char c : text) {
    Qt::Key key = c >= 'a' && c <= 'z' ? static_cast<Qt::Key>(Qt::Key_A + (c - 'a')) : Qt::Key_unknown;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(QChar(c)));
    QCoreApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(QChar(c)));
    QCoreApplication::sendEvent(widget, &release);
  }
}

inline void PressQtKey(CDialog* dialog, Qt::Key key, const QString& text = QString()) {
  QWidget* widget = WidgetOfDialog(dialog);
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(widget, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(widget, &release);
}

/// A fresh folder for one test.
inline std::filesystem::path FreshFolder(const std::string& name) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("kbd-" + std::to_string(::getpid()) + "-" + name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}
