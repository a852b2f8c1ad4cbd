// Kernel objects behind HANDLE: events, threads and whatever else can be waited on or closed.
// All waitable state is guarded by one process-wide mutex and one condition variable, which
// keeps waits on several objects simple and correct; the program has few such objects.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "platform/win32/windef.h"

namespace win32_p {

struct KernelObject {
  virtual ~KernelObject() = default;
  /// Called with KernelMutex() held: true when a wait on the object would be satisfied now.
  virtual bool isSignaled() const { return false; }
  /// Called with KernelMutex() held once a wait was satisfied (auto-reset events clear here).
  virtual void acquire() {}
  /// Called when the last handle is closed, before the object is deleted.
  virtual void onLastClose() {}
  std::atomic<int> refs{1};
};

std::mutex& KernelMutex();
std::condition_variable& KernelSignal();

/// Registers a new object and returns its handle (one reference held by the handle).
HANDLE RegisterKernelObject(KernelObject* object);
/// Returns the object with one extra reference, or nullptr (last error set) for a bad handle.
KernelObject* RetainKernelObject(HANDLE handle);
/// Drops one reference; deletes the object on the last one.
void ReleaseKernelObject(KernelObject* object);

}  // namespace win32_p
