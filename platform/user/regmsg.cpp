// Registered window messages. The number is derived from the upper-cased name alone, so any
// process computes the same number for the same name without asking anyone.
#include <map>
#include <mutex>
#include <string>

#include "platform/user/message.h"
#include "platform/win32/codepage.h"
#include "platform/win32/trace.h"

namespace {

const UINT kFirst = 0xC000;
const UINT kCount = 0x4000;

std::mutex g_mutex;
std::map<UINT, std::string> g_names;  // number -> upper-cased name, to catch collisions

}  // namespace

UINT RegisterWindowMessageA(LPCSTR name) {
  if (!name || !*name) return 0;
  std::string upper;
  for (const char* p = name; *p; ++p) upper += static_cast<char>(AnsiToUpper(static_cast<unsigned char>(*p)));
  // FNV-1a over the upper-cased 1252 bytes.
  DWORD hash = 2166136261u;
  for (unsigned char c : upper) hash = (hash ^ c) * 16777619u;
  UINT number = kFirst + hash % kCount;
  std::lock_guard<std::mutex> lock(g_mutex);
  for (UINT tries = 0; tries < kCount; ++tries) {
    auto it = g_names.find(number);
    if (it == g_names.end()) {
      g_names[number] = upper;
      return number;
    }
    if (it->second == upper) return number;
    // Two names with one number in this process: the later one moves on, which only another
    // process that registers both names in the same order reproduces.
    TRACE("RegisterWindowMessage() - \"%s\" collides with \"%s\"\n", name, it->second.c_str());
    number = kFirst + (number - kFirst + 1) % kCount;
  }
  return 0;
}
