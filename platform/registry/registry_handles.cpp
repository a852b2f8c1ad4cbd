// The table of open key handles. Handles are numbers from the table, never pointers, so a stale
// or made-up handle is refused instead of followed.
#include <unordered_map>

#include "platform/registry/registry_p.h"

namespace regstore {
namespace {

struct Entry {
  KeyId id;
  REGSAM access;
  uint64_t generation;  // of the hive the key id belongs to
};

struct Table {
  std::unordered_map<uintptr_t, Entry> entries;
  uintptr_t next = 0x1000;  // numbers are not reused, so a closed handle stays invalid
};

Table& TheTable() {
  static Table* table = new Table;
  return *table;
}

uintptr_t NumberOf(HKEY key) { return reinterpret_cast<uintptr_t>(key); }

}  // namespace

std::mutex& RegistryMutex() {
  static std::mutex* mutex = new std::mutex;
  return *mutex;
}

LONG ResolveHandle(HKEY key, OpenKey* open) {
  const Entry* entry = nullptr;
  if (key != HKEY_CURRENT_USER) {
    auto found = TheTable().entries.find(NumberOf(key));
    if (found == TheTable().entries.end()) return ERROR_INVALID_HANDLE;
    entry = &found->second;
  }
  LONG error = HiveOpen();
  if (error != ERROR_SUCCESS) return error;
  if (!entry) {
    open->id = kCurrentUserRoot;
    open->access = KEY_ALL_ACCESS;
    return ERROR_SUCCESS;
  }
  if (entry->generation != HiveGeneration()) return ERROR_KEY_DELETED;
  open->id = entry->id;
  open->access = entry->access;
  return ERROR_SUCCESS;
}

HKEY AddHandle(KeyId id, REGSAM access) {
  Table& table = TheTable();
  uintptr_t number = table.next;
  if (number == NumberOf(HKEY_CURRENT_USER) || number == 0) return nullptr;
  table.entries.emplace(number, Entry{id, access, HiveGeneration()});
  table.next += 4;
  return reinterpret_cast<HKEY>(number);
}

LONG RemoveHandle(HKEY key) {
  if (key == HKEY_CURRENT_USER) return ERROR_SUCCESS;
  return TheTable().entries.erase(NumberOf(key)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

void ForgetHandles() { TheTable().entries.clear(); }

}  // namespace regstore
