#include "platform/win32/sync.h"

#include <chrono>
#include <map>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/error.h"
#include "platform/win32/kernel_object_p.h"

using namespace win32_p;

namespace {

std::recursive_mutex& MutexOf(LPCRITICAL_SECTION cs) {
  return *std::launder(reinterpret_cast<std::recursive_mutex*>(cs->storage));
}

struct Event;
std::map<std::string, Event*>& NamedEvents() {  // guarded by KernelMutex()
  static auto* events = new std::map<std::string, Event*>;
  return *events;
}

struct Event : KernelObject {
  bool manualReset = false;
  bool signaled = false;
  std::string name;
  bool isSignaled() const override { return signaled; }
  void acquire() override {
    if (!manualReset) signaled = false;
  }
  void onLastHandleClosed() override {
    if (name.empty()) return;
    auto it = NamedEvents().find(name);
    if (it != NamedEvents().end() && it->second == this) NamedEvents().erase(it);
  }
};

Event* RetainEvent(HANDLE handle) { return RetainKernelObjectAs<Event>(handle); }

}  // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION cs) { new (cs->storage) std::recursive_mutex; }
void DeleteCriticalSection(LPCRITICAL_SECTION cs) { MutexOf(cs).~recursive_mutex(); }
void EnterCriticalSection(LPCRITICAL_SECTION cs) { MutexOf(cs).lock(); }
void LeaveCriticalSection(LPCRITICAL_SECTION cs) { MutexOf(cs).unlock(); }
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION cs) { return MutexOf(cs).try_lock() ? TRUE : FALSE; }

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name) {
  auto* event = new (std::nothrow) Event;
  if (!event) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  event->manualReset = manualReset != FALSE;
  event->signaled = initialState != FALSE;
  if (!name || !*name) {
    SetLastError(ERROR_SUCCESS);
    return RegisterKernelObject(event);
  }
  // Look up and insert under one lock so that two threads opening a name meet one event.
  std::lock_guard<std::mutex> lock(KernelMutex());
  auto it = NamedEvents().find(name);
  if (it != NamedEvents().end()) {
    delete event;
    // Handles are object addresses: the second opener gets the same one, counted once more.
    it->second->refs.fetch_add(1);
    ++it->second->handles;
    SetLastError(ERROR_ALREADY_EXISTS);
    return it->second;
  }
  event->name = name;
  NamedEvents()[name] = event;
  SetLastError(ERROR_SUCCESS);
  return RegisterKernelObjectLocked(event);
}

BOOL SetEvent(HANDLE handle) {
  Event* event = RetainEvent(handle);
  if (!event) return FALSE;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    event->signaled = true;
  }
  KernelSignal().notify_all();
  ReleaseKernelObject(event);
  return TRUE;
}

BOOL ResetEvent(HANDLE handle) {
  Event* event = RetainEvent(handle);
  if (!event) return FALSE;
  {
    std::lock_guard<std::mutex> lock(KernelMutex());
    event->signaled = false;
  }
  ReleaseKernelObject(event);
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  return WaitForMultipleObjects(1, &handle, TRUE, milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
  if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !handles) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  std::vector<KernelObject*> objects;
  for (DWORD i = 0; i < count; ++i) {
    KernelObject* object = RetainKernelObject(handles[i]);
    if (!object) {
      for (KernelObject* held : objects) ReleaseKernelObject(held);
      return WAIT_FAILED;
    }
    objects.push_back(object);
  }

  DWORD result = WAIT_TIMEOUT;
  {
    std::unique_lock<std::mutex> lock(KernelMutex());
    auto ready = [&]() -> bool {
      if (waitAll) {
        for (KernelObject* object : objects)
          if (!object->isSignaled()) return false;
        for (KernelObject* object : objects) object->acquire();
        result = WAIT_OBJECT_0;
        return true;
      }
      for (DWORD i = 0; i < count; ++i) {
        if (objects[i]->isSignaled()) {
          objects[i]->acquire();
          result = WAIT_OBJECT_0 + i;
          return true;
        }
      }
      return false;
    };
    if (milliseconds == INFINITE) {
      KernelSignal().wait(lock, ready);
    } else {
      KernelSignal().wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
    }
  }
  for (KernelObject* object : objects) ReleaseKernelObject(object);
  return result;
}

void Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

ULONGLONG GetTickCount64() {
  using namespace std::chrono;
  return static_cast<ULONGLONG>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

DWORD GetTickCount() { return static_cast<DWORD>(GetTickCount64()); }

LONG InterlockedIncrement(LONG volatile* value) { return __atomic_add_fetch(value, 1, __ATOMIC_SEQ_CST); }
LONG InterlockedDecrement(LONG volatile* value) { return __atomic_sub_fetch(value, 1, __ATOMIC_SEQ_CST); }
LONG InterlockedExchange(LONG volatile* target, LONG value) {
  return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
LONG InterlockedCompareExchange(LONG volatile* target, LONG exchange, LONG comparand) {
  __atomic_compare_exchange_n(target, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return comparand;
}
