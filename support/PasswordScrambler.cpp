#include "support/PasswordScrambler.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The one scrambling key. Texts longer than the key reuse it from its first byte.
const char kScrambleKey[] =
    "Kx7 pQ2;mV9-rT4,wZ1 bN8;cJ5-hF3,yL6 dG0;sA2-eU7,kW9 oI4;tR1-vB5,nM8 "
    "qH3;uC6-fD0,jX2 gE7;lP9-zS4,k";
static_assert(sizeof(kScrambleKey) - 1 == 97, "the scrambling key has 97 characters");
const size_t kKeyLength = sizeof(kScrambleKey) - 1;

}  // namespace

CString ScramblePassword(const char* text) {
  std::string hex;
  for (size_t i = 0; text && text[i]; ++i) {
    unsigned value = static_cast<unsigned char>(text[i] ^ kScrambleKey[i % kKeyLength]);
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02x", value);
    hex += pair;
  }
  return CString(std::string(hex.rbegin(), hex.rend()));
}

CString UnscramblePassword(const char* text) {
  if (!text) return CString();
  std::string reversed(text);
  reversed.assign(reversed.rbegin(), reversed.rend());
  std::string plain;
  for (size_t i = 0; i < reversed.size(); i += 2) {
    char pair[3] = {reversed[i], i + 1 < reversed.size() ? reversed[i + 1] : '\0', '\0'};
    char* end = nullptr;
    unsigned long value = std::strtoul(pair, &end, 16);
    // strtoul would take a sign or blanks; only leading hex digits count.
    if (end == pair || !std::strchr("0123456789abcdefABCDEF", pair[0])) continue;
    char c = static_cast<char>(value ^ static_cast<unsigned char>(kScrambleKey[(i / 2) % kKeyLength]));
    if (c != '\0') plain += c;
  }
  return CString(plain);
}
