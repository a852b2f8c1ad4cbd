// Kernel objects behind HANDLE: events, threads, processes, files and whatever else can be
// waited on or closed. All waitable state is guarded by one process-wide mutex and one
// condition variable, which keeps waits on several objects simple and correct; the program
// has few such objects.
//
// Two counts keep an object alive: open handles (guarded by KernelMutex()) and references
// (handles plus anyone using the object right now). A handle value is accepted only while
// its object has open handles, so closing a handle twice is refused instead of freeing an
// object that a running thread still uses.
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
  /// Called with KernelMutex() held when the last handle is closed (names are dropped here).
  virtual void onLastHandleClosed() {}
  std::atomic<int> refs{1};
  int handles = 1;  // guarded by KernelMutex()
};

std::mutex& KernelMutex();
std::condition_variable& KernelSignal();

/// Registers a new object and returns its handle (one handle, one reference).
HANDLE RegisterKernelObject(KernelObject* object);
/// Same, for a caller that already holds KernelMutex().
HANDLE RegisterKernelObjectLocked(KernelObject* object);
/// Returns the object with one extra reference, or nullptr (last error set) for a bad handle.
KernelObject* RetainKernelObject(HANDLE handle);
/// Returns the object as T with one extra reference, or nullptr (ERROR_INVALID_HANDLE) when
/// the handle is bad or names another kind of object.
template <typename T>
T* RetainKernelObjectAs(HANDLE handle);
/// Drops one reference; deletes the object on the last one.
void ReleaseKernelObject(KernelObject* object);

}  // namespace win32_p

#include "platform/win32/error.h"

template <typename T>
T* win32_p::RetainKernelObjectAs(HANDLE handle) {
  KernelObject* object = RetainKernelObject(handle);
  if (!object) return nullptr;
  if (auto* typed = dynamic_cast<T*>(object)) return typed;
  ReleaseKernelObject(object);
  SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}
