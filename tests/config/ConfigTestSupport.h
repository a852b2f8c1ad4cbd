// Reading a settings dialog's controls and pressing its spin arrows the way a user does.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QToolButton>
#include <QWidget>
#include <string>

#include "platform/mfc/dialog.h"
#include "platform/user/controls.h"
#include "platform/user/window_p.h"

inline std::string Text(CDialog* dialog, int id) {
  CString text;
  dialog->GetDlgItemText(id, text);
  return text.GetString();
}

inline int Selection(CDialog* dialog, int id) { return static_cast<int>(dialog->SendDlgItemMessage(id, CB_GETCURSEL)); }

inline bool Enabled(CDialog* dialog, int id) {
  CWnd* item = dialog->GetDlgItem(id);
  return item && item->IsWindowEnabled();
}

/// Clicks the up (true) or down arrow of a spin control with the mouse.
inline void ClickSpin(CDialog* dialog, int spinId, bool up) {
  QWidget* spin = user_p::WidgetOf(::GetDlgItem(dialog->m_hWnd, spinId));
  ASSERT_NE(spin, nullptr);
  QList<QToolButton*> arrows = spin->findChildren<QToolButton*>();
  ASSERT_EQ(arrows.size(), 2);
  QToolButton* arrow = nullptr;
  for (QToolButton* candidate : arrows)
    if (candidate->arrowType() == (up ? Qt::UpArrow : Qt::DownArrow)) arrow = candidate;
  ASSERT_NE(arrow, nullptr);
  QPointF centre(arrow->width() / 2.0, arrow->height() / 2.0);
  QMouseEvent press(QEvent::MouseButtonPress, centre, arrow->mapToGlobal(centre), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(arrow, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, centre, arrow->mapToGlobal(centre), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(arrow, &release);
}
