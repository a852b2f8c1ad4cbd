// The end of a session from outside: a logout or `kill` (SIGTERM), Ctrl+C in the terminal
// (SIGINT) or a closed terminal (SIGHUP) close the main window as its close box does, so the
// program saves its settings and lets its camera go. A second signal ends it at once.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

#include "platform/mfc/winapp.h"

namespace {

int g_signalPipe[2] = {-1, -1};
volatile sig_atomic_t g_signalled = 0;

void OnEndSignal(int signalNumber) {
  if (g_signalled) {
    signal(signalNumber, SIG_DFL);
    raise(signalNumber);
    return;
  }
  g_signalled = 1;
  char byte = static_cast<char>(signalNumber);
  ssize_t written = write(g_signalPipe[1], &byte, 1);  // only async-signal-safe calls here
  (void)written;
}

void CloseMainWindow() {
  char byte = 0;
  while (read(g_signalPipe[0], &byte, 1) > 0) {
  }
  if (CWnd* main = AfxGetMainWnd(); main && main->m_hWnd)
    main->PostMessage(WM_CLOSE);
  else
    ::PostQuitMessage(0);
}

}  // namespace

void AfxCloseMainWindowOnSignals() {
  if (g_signalPipe[0] >= 0) return;
  if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] { CloseMainWindow(); });
  struct sigaction action {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signalNumber : {SIGTERM, SIGINT, SIGHUP}) sigaction(signalNumber, &action, nullptr);
}

BOOL AfxIsSessionEnding() { return g_signalled ? TRUE : FALSE; }
