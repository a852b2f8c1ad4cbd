#include "platform/win32/handle.h"

#include <unordered_set>

#include "platform/win32/error.h"
#include "platform/win32/kernel_object_p.h"

namespace win32_p {

namespace {
// Handles are the objects' addresses; only registered ones are accepted, so a stale or
// made-up handle is reported instead of dereferenced.
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

HANDLE RegisterKernelObject(KernelObject* object) {
  std::lock_guard<std::mutex> lock(KernelMutex());
  LiveObjects().insert(object);
  return object;
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
  if (object->refs.fetch_sub(1) != 1) return;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    LiveObjects().erase(object);
  }
  object->onLastClose();
  delete object;
}

}  // namespace win32_p

BOOL CloseHandle(HANDLE handle) {
  // The retain validates the handle; dropping it and the handle's own reference closes it.
  win32_p::KernelObject* object = win32_p::RetainKernelObject(handle);
  if (!object) return FALSE;
  win32_p::ReleaseKernelObject(object);
  win32_p::ReleaseKernelObject(object);
  return TRUE;
}
