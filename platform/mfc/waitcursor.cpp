#include "platform/mfc/waitcursor.h"

#include <QCursor>
#include <QGuiApplication>

#include "platform/user/message.h"

CWaitCursor::CWaitCursor() {
  // Cursors belong to the UI thread; a worker's wait cursor shows nothing.
  if (IsUiThread()) {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    m_shown = true;
  }
}

CWaitCursor::~CWaitCursor() {
  if (m_shown && IsUiThread()) QGuiApplication::restoreOverrideCursor();
}

void CWaitCursor::Restore() {
  if (m_shown && IsUiThread()) QGuiApplication::changeOverrideCursor(QCursor(Qt::WaitCursor));
}
