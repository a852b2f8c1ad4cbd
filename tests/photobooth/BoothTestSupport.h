// Helpers of the booth tests: keys typed into a window as the display server delivers them, a
// booth images folder with pictures and sounds, and a booth window over a real view.
#pragma once

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <string>

#include "photobooth/FullscreenDlg.h"
#include "platform/dshow/mmsystem.h"
#include "platform/user/window_p.h"
#include "tests/app/AppTestSupport.h"

/// Presses and releases the key on the window, with the modifier keys held around it.
inline void PressKey(HWND window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QWidget* widget = user_p::WidgetOf(window);
  ASSERT_NE(nullptr, widget);
  QWidget* target = QApplication::focusWidget() && QApplication::focusWidget()->window() == widget->window()
                        ? QApplication::focusWidget()
                        : widget;
  std::vector<Qt::Key> held;
  if (modifiers & Qt::ControlModifier) held.push_back(Qt::Key_Control);
  if (modifiers & Qt::AltModifier) held.push_back(Qt::Key_Alt);
  if (modifiers & Qt::ShiftModifier) held.push_back(Qt::Key_Shift);
  Qt::KeyboardModifiers down = Qt::NoModifier;
  for (Qt::Key modifier : held) {
    QKeyEvent press(QEvent::KeyPress, modifier, down);
    QApplication::sendEvent(target, &press);
    down |= modifier == Qt::Key_Control ? Qt::ControlModifier
                                        : (modifier == Qt::Key_Alt ? Qt::AltModifier : Qt::ShiftModifier);
  }
  QKeyEvent press(QEvent::KeyPress, key, modifiers);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers);
  QApplication::sendEvent(target, &release);
  for (auto it = held.rbegin(); it != held.rend(); ++it) {
    QKeyEvent up(QEvent::KeyRelease, *it, modifiers);
    QApplication::sendEvent(target, &up);
  }
}

/// Makes the window the active one, as a click on it would.
inline void Activate(HWND window) {
  QWidget* widget = user_p::WidgetOf(window);
  ASSERT_NE(nullptr, widget);
  widget->window()->activateWindow();
  PumpUntil([&] { return widget->window()->isActiveWindow(); }, 5000);
}

/// A plain JPEG of one colour.
inline void WriteJpeg(const std::filesystem::path& path, int width, int height, QColor colour) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(colour);
  ASSERT_TRUE(image.save(QString::fromStdString(path.string()), "JPG", 95));
}

/// A file that stands for a sound: PlaySound only needs it to exist here.
inline void WriteSound(const std::filesystem::path& path) { std::ofstream(path) << "RIFF"; }

/// A fresh booth images folder for one test.
inline std::filesystem::path FreshBoothFolder(const std::string& name) {
  std::filesystem::path folder = std::filesystem::path(TestFolder()) / name;
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}
