// RegEnumKeyEx and RegEnumValue: walking the sub-keys and values of an open key by index.
#include <cstring>

#include "platform/registry/registry_p.h"

using namespace regstore;

namespace {

// Copies a name with its terminator into a buffer of *length characters; *length becomes the
// name's length. A short buffer is left alone.
LONG CopyName(const std::string& name, LPSTR buffer, LPDWORD length) {
  if (name.size() + 1 > *length) return ERROR_MORE_DATA;
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  *length = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

}  // namespace

LSTATUS RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD nameLength, LPDWORD reserved, LPSTR keyClass,
                      LPDWORD classLength, LPFILETIME lastWriteTime) {
  if (!name || !nameLength || reserved || (keyClass && !classLength)) return ERROR_INVALID_PARAMETER;
  return Guarded([&]() -> LONG {
    OpenKey open;
    std::string found;
    LONG error = ResolveHandle(key, &open);
    if (error == ERROR_SUCCESS && !Allows(open, KEY_ENUMERATE_SUB_KEYS)) error = ERROR_ACCESS_DENIED;
    if (error == ERROR_SUCCESS) error = EnumKey(open.id, index, &found);
    HiveEndRead(error);
    if (error == ERROR_SUCCESS) error = CopyName(found, name, nameLength);
    if (error != ERROR_SUCCESS) return error;
    if (keyClass && *classLength) keyClass[0] = '\0';
    if (classLength) *classLength = 0;
    if (lastWriteTime) *lastWriteTime = FILETIME{0, 0};
    return ERROR_SUCCESS;
  });
}

LSTATUS RegEnumValueA(HKEY key, DWORD index, LPSTR valueName, LPDWORD valueNameLength, LPDWORD reserved,
                      LPDWORD type, LPBYTE data, LPDWORD dataSize) {
  if (!valueName || !valueNameLength || reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  return Guarded([&]() -> LONG {
    OpenKey open;
    std::string found, bytes;
    DWORD storedType = REG_NONE;
    LONG error = ResolveHandle(key, &open);
    if (error == ERROR_SUCCESS && !Allows(open, KEY_QUERY_VALUE)) error = ERROR_ACCESS_DENIED;
    if (error == ERROR_SUCCESS) error = EnumValue(open.id, index, &found, &storedType, &bytes);
    HiveEndRead(error);
    if (error == ERROR_SUCCESS) error = CopyName(found, valueName, valueNameLength);
    if (error != ERROR_SUCCESS) return error;
    if (type) *type = storedType;
    return CopyValueData(bytes, data, dataSize);
  });
}
