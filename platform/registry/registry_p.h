// Internals shared by the registry files: the SQLite hive, its key and value rows, the handle table.
//
// Everything here runs under RegistryMutex(), which the Reg* functions take for the whole call.
// Names are kept as the caller's 1252 bytes; lookups go through their case-folded form.
#pragma once

#include <cstdint>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "platform/registry/registry.h"

struct sqlite3;
struct sqlite3_stmt;

namespace regstore {

using KeyId = int64_t;
/// The row of HKEY_CURRENT_USER; created with the hive.
inline constexpr KeyId kCurrentUserRoot = 1;
/// Names longer than these are refused, as the platform refuses them.
inline constexpr size_t kMaxKeyNameLength = 255;
inline constexpr size_t kMaxValueNameLength = 16383;
inline constexpr size_t kMaxKeyDepth = 512;

std::mutex& RegistryMutex();
void HiveStartCall();
/// Every Reg* call ends here with its result.
void HiveEndCall(LONG error);
/// Set while a write transaction is begun: writes wait longer for another writer.
void HiveSetWriting(bool writing);

/// Runs the body of one Reg* call under the registry lock; nothing thrown inside reaches the caller.
template <typename Body>
LSTATUS Guarded(Body&& body) noexcept {
  try {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    HiveStartCall();
    LSTATUS result = body();
    HiveEndCall(result);
    return result;
  } catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
  } catch (...) {
    return ERROR_INVALID_FUNCTION;
  }
}

// Names (registry_names.cpp).
/// Splits a backslash path into key names, dropping empty ones; ERROR_INVALID_PARAMETER for a
/// name over 255 bytes or more than 512 levels. NULL is the empty path.
LONG SplitKeyPath(LPCSTR path, std::vector<std::string>* names);
/// ERROR_INVALID_PARAMETER for a name over 16383 bytes; NULL is the default value "".
LONG ValueNameOf(LPCSTR valueName, std::string* name);
/// The 1252 lower-case form used for comparing names.
std::string FoldName(const std::string& name);

// The hive file (registry_hive.cpp).
/// Opens the hive on first use, recovering from a damaged file. ERROR_CANTOPEN when it cannot.
LONG HiveOpen();
/// The open connection; only valid after HiveOpen succeeded.
sqlite3* HiveDb();
/// Changes whenever a different hive is opened: handles of an older one are stale.
uint64_t HiveGeneration();
/// A prepared statement from the connection's cache (reset before reuse); NULL with the error.
sqlite3_stmt* HiveStatement(const char* sql, int* rc);
/// Called when SQLite reports a damaged file mid-run: the next HiveOpen checks and replaces it.
void HiveMarkDamaged();
/// Every Reg* call starts here: it forgets whether the last call found the file held.
void HiveStartCall();
/// A read ended with `error`: when another process held the file, the run's reads are missed.
void HiveEndRead(LONG error);
/// True once a read was missed: settings the caller holds were not loaded, so none are written.
bool HiveReadsMissed();
/// Reads the file once more after missed reads; true (reads count as made again) when it answers.
bool HiveRetryMissedReads();
void HiveClose();
/// The hive file: $TAVORIN_REGISTRY, else $XDG_CONFIG_HOME (or ~/.config) /tavorin/registry.sqlite3.
std::string HivePath();
/// Maps a SQLite result to the nearest Win32 error (and notes a damaged file).
LONG ErrorFromSqlite(int rc, bool writing);

// Keys and values (registry_store.cpp). Every call checks that the key still exists.
LONG KeyExists(KeyId key);
LONG FindKey(KeyId from, const std::vector<std::string>& names, KeyId* found);
/// canCreate false: a missing level gives ERROR_ACCESS_DENIED instead of being made.
LONG CreateKey(KeyId from, const std::vector<std::string>& names, bool canCreate, KeyId* found, bool* created);
LONG QueryValue(KeyId key, const std::string& name, DWORD* type, std::string* data);
LONG SetValue(KeyId key, const std::string& name, DWORD type, const BYTE* data, DWORD size);
LONG DeleteValue(KeyId key, const std::string& name);
/// keepKey: remove only the sub-keys and values; otherwise the key goes too. ERROR_ACCESS_DENIED
/// for the root or, when !withSubKeys, a key that still has sub-keys.
LONG DeleteKey(KeyId key, bool withSubKeys, bool keepKey);
/// ERROR_NO_MORE_ITEMS past the end.
LONG EnumKey(KeyId key, DWORD index, std::string* name);
LONG EnumValue(KeyId key, DWORD index, std::string* name, DWORD* type, std::string* data);

// Handles (registry_handles.cpp).
struct OpenKey {
  KeyId id = 0;
  REGSAM access = 0;
};
/// Opens the hive if needed (ERROR_CANTOPEN). ERROR_INVALID_HANDLE for a handle that is not open,
/// ERROR_KEY_DELETED for one of an older hive.
LONG ResolveHandle(HKEY key, OpenKey* open);
inline bool Allows(const OpenKey& open, REGSAM right) { return (open.access & right) == right; }
/// Copies value data out as RegQueryValueEx does (registry_api.cpp): a NULL buffer only gets the
/// size; a short one gets ERROR_MORE_DATA, the size needed, and is left alone.
LONG CopyValueData(const std::string& bytes, LPBYTE data, LPDWORD dataSize);
/// NULL when the table cannot grow.
HKEY AddHandle(KeyId id, REGSAM access);
LONG RemoveHandle(HKEY key);
void ForgetHandles();

}  // namespace regstore
