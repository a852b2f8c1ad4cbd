// CWaitCursor: the busy cursor for as long as the object lives (they nest).
#pragma once

class CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
  /// Shows the busy cursor again after something (a message box) took it away.
  void Restore();

 private:
  bool m_shown = false;
};
