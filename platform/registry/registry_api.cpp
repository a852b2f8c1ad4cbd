// RegCreateKeyEx and friends: argument checks, rights, and copying data out to the caller.
#include <cstring>

#include "platform/registry/registry_p.h"

using namespace regstore;

LONG regstore::CopyValueData(const std::string& bytes, LPBYTE data, LPDWORD dataSize) {
  if (!dataSize) return ERROR_SUCCESS;
  DWORD size = static_cast<DWORD>(bytes.size());
  LONG error = ERROR_SUCCESS;
  // A short buffer is left as it was: the caller keeps its default.
  if (data && *dataSize < size) error = ERROR_MORE_DATA;
  else if (data && size) std::memcpy(data, bytes.data(), size);
  *dataSize = size;
  return error;
}

LSTATUS RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD /*reserved*/, LPSTR /*keyClass*/, DWORD /*options*/,
                        REGSAM access, LPSECURITY_ATTRIBUTES /*security*/, PHKEY result, LPDWORD disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  return Guarded([&]() -> LONG {
    std::vector<std::string> names;
    OpenKey parent;
    LONG error = SplitKeyPath(subKey, &names);
    if (error == ERROR_SUCCESS) error = ResolveHandle(key, &parent);
    KeyId id = 0;
    bool created = false;
    if (error == ERROR_SUCCESS) error = CreateKey(parent.id, names, Allows(parent, KEY_CREATE_SUB_KEY), &id, &created);
    HiveEndRead(error);
    if (error != ERROR_SUCCESS) return error;
    HKEY handle = AddHandle(id, access);
    if (!handle) return ERROR_NOT_ENOUGH_MEMORY;
    *result = handle;
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    return ERROR_SUCCESS;
  });
}

LSTATUS RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD /*options*/, REGSAM access, PHKEY result) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  return Guarded([&]() -> LONG {
    std::vector<std::string> names;
    OpenKey parent;
    KeyId id = 0;
    LONG error = SplitKeyPath(subKey, &names);
    if (error == ERROR_SUCCESS) error = ResolveHandle(key, &parent);
    if (error == ERROR_SUCCESS) error = FindKey(parent.id, names, &id);
    HiveEndRead(error);
    if (error != ERROR_SUCCESS) return error;
    HKEY handle = AddHandle(id, access);
    if (!handle) return ERROR_NOT_ENOUGH_MEMORY;
    *result = handle;
    return ERROR_SUCCESS;
  });
}

LSTATUS RegCloseKey(HKEY key) {
  return Guarded([&]() -> LONG { return RemoveHandle(key); });
}

LSTATUS RegFlushKey(HKEY key) {
  return Guarded([&]() -> LONG {
    OpenKey open;
    LONG error = ResolveHandle(key, &open);
    return error == ERROR_SUCCESS ? KeyExists(open.id) : error;
  });
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize) {
  if (reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  return Guarded([&]() -> LONG {
    std::string name, bytes;
    OpenKey open;
    DWORD storedType = REG_NONE;
    LONG error = ValueNameOf(valueName, &name);
    if (error == ERROR_SUCCESS) error = ResolveHandle(key, &open);
    if (error == ERROR_SUCCESS && !Allows(open, KEY_QUERY_VALUE)) error = ERROR_ACCESS_DENIED;
    if (error == ERROR_SUCCESS) error = QueryValue(open.id, name, &storedType, &bytes);
    HiveEndRead(error);
    if (error != ERROR_SUCCESS) return error;
    if (type) *type = storedType;
    return CopyValueData(bytes, data, dataSize);
  });
}

LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD /*reserved*/, DWORD type, const BYTE* data,
                       DWORD dataSize) {
  if (!data && dataSize) return ERROR_INVALID_PARAMETER;
  return Guarded([&]() -> LONG {
    std::string name;
    OpenKey open;
    LONG error = ValueNameOf(valueName, &name);
    if (error == ERROR_SUCCESS) error = ResolveHandle(key, &open);
    if (error == ERROR_SUCCESS && !Allows(open, KEY_SET_VALUE)) error = ERROR_ACCESS_DENIED;
    // Values read as defaults while the file was held must not replace the stored ones.
    if (error == ERROR_SUCCESS && HiveReadsMissed()) error = ERROR_ACCESS_DENIED;
    if (error == ERROR_SUCCESS) error = SetValue(open.id, name, type, data, dataSize);
    return error;
  });
}

LSTATUS RegDeleteValueA(HKEY key, LPCSTR valueName) {
  return Guarded([&]() -> LONG {
    std::string name;
    OpenKey open;
    LONG error = ValueNameOf(valueName, &name);
    if (error == ERROR_SUCCESS) error = ResolveHandle(key, &open);
    if (error == ERROR_SUCCESS && !Allows(open, KEY_SET_VALUE)) error = ERROR_ACCESS_DENIED;
    if (error == ERROR_SUCCESS && HiveReadsMissed()) error = ERROR_ACCESS_DENIED;
    if (error == ERROR_SUCCESS) error = DeleteValue(open.id, name);
    return error;
  });
}

namespace {

// Finds subKey under key and deletes it as asked; an empty path names key itself.
LSTATUS DeleteSubKey(HKEY key, LPCSTR subKey, bool withSubKeys, bool keepKey) {
  return Guarded([&]() -> LONG {
    std::vector<std::string> names;
    OpenKey open;
    KeyId id = 0;
    LONG error = SplitKeyPath(subKey, &names);
    if (error == ERROR_SUCCESS) error = ResolveHandle(key, &open);
    if (error == ERROR_SUCCESS) error = FindKey(open.id, names, &id);
    if (error == ERROR_SUCCESS && HiveReadsMissed()) error = ERROR_ACCESS_DENIED;
    if (error == ERROR_SUCCESS) error = DeleteKey(id, withSubKeys, keepKey);
    return error;
  });
}

}  // namespace

LSTATUS RegDeleteKeyA(HKEY key, LPCSTR subKey) {
  if (!subKey) return ERROR_INVALID_PARAMETER;
  return DeleteSubKey(key, subKey, /*withSubKeys=*/false, /*keepKey=*/false);
}

LSTATUS RegDeleteTreeA(HKEY key, LPCSTR subKey) {
  bool keepKey = !subKey || !*subKey;
  return DeleteSubKey(key, subKey, /*withSubKeys=*/true, keepKey);
}

LSTATUS SHDeleteKeyA(HKEY key, LPCSTR subKey) {
  if (!subKey) return ERROR_INVALID_PARAMETER;
  return DeleteSubKey(key, subKey, /*withSubKeys=*/true, /*keepKey=*/false);
}
