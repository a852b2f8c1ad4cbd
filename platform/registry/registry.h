// The current user's registry: keys, typed values, recursive delete, enumeration.
//
// Keys live in one SQLite file ($TAVORIN_REGISTRY, else $XDG_CONFIG_HOME/tavorin/registry.sqlite3),
// opened on first use and shared safely with other processes. Key paths are backslash-separated;
// empty components collapse, so "A\\B\" names the same key as "A\B". Key and value names compare
// without regard to 1252 case and keep the case they were created with. Value data is stored as
// the exact bytes given: REG_SZ is not checked for a terminator and REG_EXPAND_SZ is never expanded.
//
// Every function returns a Win32 error code (ERROR_SUCCESS on success) and leaves the last-error
// value alone. A handle that is not open gives ERROR_INVALID_HANDLE. A handle whose key was deleted
// (by this or another process) gives ERROR_KEY_DELETED for every call but RegCloseKey; writes never
// recreate the key. A hive that cannot be opened gives ERROR_CANTOPEN; a damaged file is reported,
// kept beside as "<name>.damaged-<time>" and replaced by an empty hive. All functions are thread-safe.
#pragma once

#include <string>

#include "platform/win32/error.h"
#include "platform/win32/windef.h"

typedef LONG LSTATUS;
typedef DWORD REGSAM;
typedef HKEY* PHKEY;

#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))

#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_CREATE_SUB_KEY 0x0004u
#define KEY_ENUMERATE_SUB_KEYS 0x0008u
#define KEY_NOTIFY 0x0010u
#define KEY_CREATE_LINK 0x0020u
#define KEY_READ 0x20019u
#define KEY_WRITE 0x20006u
#define KEY_ALL_ACCESS 0xF003Fu

#define REG_OPTION_NON_VOLATILE 0x00000000u

#define REG_CREATED_NEW_KEY 0x00000001u
#define REG_OPENED_EXISTING_KEY 0x00000002u

#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_MULTI_SZ 7u

/// Opens subKey under key, creating every missing level. An empty or NULL subKey opens key again.
/// On failure *result is NULL. The caller closes *result with RegCloseKey.
LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD reserved, LPSTR keyClass, DWORD options, REGSAM access,
                        LPSECURITY_ATTRIBUTES security, PHKEY result, LPDWORD disposition);
/// ERROR_FILE_NOT_FOUND when any level is missing; *result is NULL then. The caller closes *result.
LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
/// Closing a predefined root is a harmless success.
LSTATUS RegCloseKey(HKEY key);
/// Nothing to do: every write is already durable when it returns.
LSTATUS RegFlushKey(HKEY key);

/// NULL data asks for the size only. A short buffer gives ERROR_MORE_DATA, the size needed in
/// *dataSize and an untouched buffer; a missing value gives ERROR_FILE_NOT_FOUND. *type is set
/// whenever the value exists. A NULL or empty name is the key's default value.
LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize);
/// Stores the dataSize bytes as given (REG_SZ sizes should count the terminator). Overwriting keeps
/// the name's first spelling. ERROR_ACCESS_DENIED on a handle opened without KEY_SET_VALUE.
LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize);
/// ERROR_FILE_NOT_FOUND when the value does not exist.
LSTATUS RegDeleteValueA(HKEY key, LPCSTR valueName);

/// Deletes subKey and its values; ERROR_ACCESS_DENIED when it still has sub-keys.
LSTATUS RegDeleteKeyA(HKEY key, LPCSTR subKey);
/// Deletes subKey with all its sub-keys and values; with a NULL subKey, empties key but keeps it.
LSTATUS RegDeleteTreeA(HKEY key, LPCSTR subKey);
/// Deletes subKey with all its sub-keys and values.
LSTATUS SHDeleteKeyA(HKEY key, LPCSTR subKey);

/// Sub-keys in name order (case folded). *nameLength holds the buffer size in characters and
/// receives the length without terminator; a short buffer gives ERROR_MORE_DATA. Past the last
/// one: ERROR_NO_MORE_ITEMS. Class and write time are not kept: class is "" and time is zero.
LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved, LPSTR keyClass,
                      LPDWORD classLength, LPFILETIME lastWriteTime);
/// Values in the order they were created; name, type and data as for RegEnumKeyExA and
/// RegQueryValueExA (a short name or data buffer gives ERROR_MORE_DATA).
LSTATUS RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameLength, LPDWORD reserved,
                      LPDWORD type, LPBYTE data, LPDWORD dataSize);

#define RegCreateKeyEx RegCreateKeyExA
#define RegOpenKeyEx RegOpenKeyExA
#define RegQueryValueEx RegQueryValueExA
#define RegSetValueEx RegSetValueExA
#define RegDeleteValue RegDeleteValueA
#define RegDeleteKey RegDeleteKeyA
#define RegDeleteTree RegDeleteTreeA
#define SHDeleteKey SHDeleteKeyA
#define RegEnumKeyEx RegEnumKeyExA
#define RegEnumValue RegEnumValueA

/// TRUE once a read failed because another program held the settings file (after a few short
/// waits): what the caller holds are defaults, so from then on this run writes and deletes no
/// value (ERROR_ACCESS_DENIED) rather than replace the stored settings.
BOOL RegistryReadsMissed();
/// After missed reads, tries the file once more (at most one short wait): TRUE when it reads
/// now, and writes are allowed again. The caller loads its settings again before it writes any,
/// since what it holds are defaults. TRUE at once when no read was missed.
BOOL RegistryRetryMissedReads();
/// Where a damaged settings file was kept this run ("<name>.damaged-<time>"), or "".
std::string RegistryDamagedFileKept();
