#include "platform/win32/handle.h"

#include <unordered_set>

#include "platform/win32/error.h"
#include "platform/win32/kernel_object_p.h"

namespace win32_p {

namespace {
// Handles are the objects' addresses; only registered ones with open handles are accepted,
// so a stale or made-up handle is reported instead of dereferenced.
std::unordered_set<KernelObject*>& LiveObjects() {
  static auto* live = new std::unordered_set<KernelObject*>;
  return *live;
}
}  // namespace

std::mutex& KernelMutex() {
  static auto* mutex = new std::mutex;
  return *mutex;
}

std::condition_variable& KernelSignal() {
  static auto* signal = new std::condition_variable;
  return *signal;
}

HANDLE RegisterKernelObjectLocked(KernelObject* object) {
  LiveObjects().insert(object);
  return object;
}

HANDLE RegisterKernelObject(KernelObject* object) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  return RegisterKernelObjectLocked(object);
}

KernelObject* RetainKernelObject(HANDLE handle) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  auto* object = static_cast<KernelObject*>(handle);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !LiveObjects().count(object)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  object->refs.fetch_add(1);
  return object;
}

void ReleaseKernelObject(KernelObject* object) {
  // Only a live object can gain references, and a live one has a handle holding one, so the
  // count cannot climb back from zero.
  if (object->refs.fetch_sub(1) == 1) delete object;
}

}  // namespace win32_p

BOOL CloseHandle(HANDLE handle) {
  using namespace win32_p;
  auto* object = static_cast<KernelObject*>(handle);
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !LiveObjects().count(object)) {
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    if (--object->handles == 0) {
      LiveObjects().erase(object);
      object->onLastHandleClosed();
    }
  }
  ReleaseKernelObject(object);
  return TRUE;
}
