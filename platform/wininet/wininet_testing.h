// Test seams of the WinINet stand-in: shorter time-outs, and a log of what the client asked
// for, so tests can check ports and flags without a server on privileged ports.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/windef.h"

/// Connect and idle time-outs in milliseconds; 0 restores the default (60 s, 30 s).
void WinInetSetTimeoutsForTesting(DWORD connectMs, DWORD idleMs);
/// The overall deadline of one request, from sending it to the end of its reply, in
/// milliseconds; 0 restores the default (300 s).
void WinInetSetDeadlineForTesting(DWORD deadlineMs);

struct WinInetRequestRecord {
  std::string host;
  WORD port;
  std::string verb;
  std::string objectName;
  DWORD flags;
};
/// Every HttpOpenRequest of this process, in order.
std::vector<WinInetRequestRecord> WinInetRequestLogForTesting();
/// Number of HttpQueryInfo calls of this process.
DWORD WinInetQueryInfoCallsForTesting();
/// Clears the log and the counters.
void WinInetResetLogForTesting();
