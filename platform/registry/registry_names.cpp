// Key paths and names: splitting, limits, and the case-folded form used for comparisons.
#include <cstring>

#include "platform/registry/registry_p.h"
#include "platform/win32/codepage.h"

namespace regstore {

LONG SplitKeyPath(LPCSTR path, std::vector<std::string>* names) {
  names->clear();
  if (!path) return ERROR_SUCCESS;
  const char* p = path;
  while (*p) {
    const char* end = std::strchr(p, '\\');
    if (!end) end = p + std::strlen(p);
    // "A\\B" and "A\B\" name the same key as "A\B": empty names are skipped.
    if (end > p) {
      if (static_cast<size_t>(end - p) > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
      if (names->size() >= kMaxKeyDepth) return ERROR_INVALID_PARAMETER;
      names->emplace_back(p, end);
    }
    p = *end ? end + 1 : end;
  }
  return ERROR_SUCCESS;
}

LONG ValueNameOf(LPCSTR valueName, std::string* name) {
  if (!valueName) {
    name->clear();
    return ERROR_SUCCESS;
  }
  size_t length = strnlen(valueName, kMaxValueNameLength + 1);
  if (length > kMaxValueNameLength) return ERROR_INVALID_PARAMETER;
  name->assign(valueName, length);
  return ERROR_SUCCESS;
}

std::string FoldName(const std::string& name) {
  std::string folded(name);
  for (char& c : folded) c = static_cast<char>(AnsiToLower(static_cast<unsigned char>(c)));
  return folded;
}

}  // namespace regstore
