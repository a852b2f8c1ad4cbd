#include "platform/win32/nls.h"

#include <langinfo.h>
#include <locale.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/codepage.h"
#include "platform/win32/error.h"

namespace {

std::string UserNumericItem(nl_item item, const char* fallback) {
  locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
  if (!user) return fallback;
  std::string value = nl_langinfo_l(item, user);
  freelocale(user);
  // A narrow no-break space (used as thousands separator) has no 1252 form; the plain
  // no-break space does.
  for (size_t at; (at = value.find("\xE2\x80\xAF")) != std::string::npos;) value.replace(at, 3, "\xC2\xA0");
  return AnsiFromUtf8(value);
}

bool TimeLocaleIsUtf8() {
  const char* name = setlocale(LC_TIME, nullptr);
  if (!name) return false;
  std::string lower;
  for (const char* p = name; *p; ++p) lower += static_cast<char>(AnsiToLower(static_cast<unsigned char>(*p)));
  return lower.find("utf-8") != std::string::npos || lower.find("utf8") != std::string::npos;
}

}  // namespace

int GetLocaleInfoA(LCID, LCTYPE type, LPSTR data, int dataLength) {
  std::string value;
  switch (type) {
    case LOCALE_SDECIMAL:
      value = UserNumericItem(RADIXCHAR, ".");
      // A number always has a decimal separator, even where the locale names none.
      if (value.empty()) value.push_back('.');
      break;
    case LOCALE_STHOUSAND: value = UserNumericItem(THOUSEP, ","); break;
    default: SetLastError(ERROR_INVALID_FLAGS); return 0;
  }
  int needed = static_cast<int>(value.size()) + 1;
  if (dataLength == 0) return needed;
  if (!data || dataLength < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(data, value.c_str(), value.size() + 1);
  return needed;
}

const char* SetTimeLocaleFromSystem() { return setlocale(LC_TIME, ""); }

size_t StrftimeAnsi(char* buffer, size_t size, const char* format, const struct tm* time) {
  if (!buffer || size == 0) return 0;
  buffer[0] = '\0';
  if (!format || !time) return 0;
  const bool utf8 = TimeLocaleIsUtf8();
  std::string nativeFormat = utf8 ? AnsiToUtf8(format) : std::string(format);
  if (nativeFormat.empty()) return 0;
  // A UTF-8 result is longer than its 1252 form, so allow room before converting.
  std::vector<char> native(size * 4 + 1);
  size_t length = strftime(native.data(), native.size(), nativeFormat.c_str(), time);
  if (length == 0) return 0;
  std::string result(native.data(), length);
  if (utf8) result = AnsiFromUtf8(result);
  if (result.size() >= size) return 0;
  std::memcpy(buffer, result.c_str(), result.size() + 1);
  return result.size();
}
