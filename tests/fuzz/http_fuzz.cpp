// Feeds arbitrary bytes to the HTTP client's URL analysis and decoders and to the WinINet
// stand-in's reply-line parsing. Whatever a length function says is exactly what its writer
// writes into a buffer of that size; analysed parts stay inside the text and in order.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "http/HttpClientException.h"
#include "http/HttpEncoder.h"
#include "http/HttpUrlAnalyzer.h"
#include "platform/wininet/httpparse_p.h"

using namespace Vonar;

namespace {

// Calls the length function and the writer; they must agree on the length or on the error.
template <typename Length, typename Write>
void Agree(Length length, Write write) {
  DWORD expected = 0;
  DWORD lengthError = 0, writeError = 0;
  try {
    expected = length();
  } catch (const httpclientexceptionA& e) {
    lengthError = e.ErrorCode() ? e.ErrorCode() : 1;
  }
  std::vector<char> buffer(lengthError ? 1 : expected + 1);
  try {
    write(buffer.data());
    if (!lengthError && (buffer[expected] != '\0' || std::strlen(buffer.data()) > expected)) __builtin_trap();
  } catch (const httpclientexceptionA& e) {
    writeError = e.ErrorCode() ? e.ErrorCode() : 1;
  }
  if (lengthError != writeError) __builtin_trap();
}

void CheckAnalysis(const std::string& url, UINT codePage) {
  CHttpUrlAnalyzerA a;
  a.Analyze(url.c_str(), codePage);
  const size_t n = std::strlen(url.c_str());
  DWORD ends[][2] = {{a.SchemeOffset(), a.SchemeLength()}, {a.HostOffset(), a.HostLength()},
                     {a.PortOffset(), a.PortLength()},     {a.PathOffset(), a.PathLength()},
                     {a.QueryOffset(), a.QueryLength()},   {a.FragmentOffset(), a.FragmentLength()}};
  for (auto& part : ends)
    if (static_cast<size_t>(part[0]) + part[1] > n) __builtin_trap();
  if (n && a.FragmentOffset() + a.FragmentLength() != n) __builtin_trap();
  if (a.PathOffset() > a.QueryOffset() || a.QueryOffset() > a.FragmentOffset()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const UINT codePage = (data[0] & 1) ? 932 : 1252;
  const BOOL utf8 = (data[0] & 2) != 0;
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);  // cut at the first zero by the C calls

  CheckAnalysis(text, codePage);
  Agree([&] { return CHttpEncoderA::UrlDecodeLenA(text.c_str(), utf8, codePage); },
        [&](char* out) { CHttpEncoderA::UrlDecodeA(out, text.c_str(), utf8, codePage); });
  Agree([&] { return CHttpEncoderA::Utf8DecodeLen(text.c_str(), codePage); },
        [&](char* out) { CHttpEncoderA::Utf8Decode(out, text.c_str(), codePage); });
  Agree([&] { return CHttpEncoderA::UrlEncodeLenA(text.c_str(), utf8, codePage); },
        [&](char* out) { CHttpEncoderA::UrlEncodeA(out, text.c_str(), utf8, codePage); });
  if (!utf8 && codePage == 1252) {
    // Byte-wise encoding always decodes back to the same bytes.
    std::string plain = text.c_str();
    std::vector<char> encoded(CHttpEncoderA::UrlEncodeLenA(plain.c_str()) + 1);
    CHttpEncoderA::UrlEncodeA(encoded.data(), plain.c_str());
    std::vector<char> decoded(CHttpEncoderA::UrlDecodeLenA(encoded.data()) + 1);
    CHttpEncoderA::UrlDecodeA(decoded.data(), encoded.data());
    if (plain != decoded.data()) __builtin_trap();
  }

  // Reply lines arrive without a terminator: parse an exact-size copy.
  std::vector<char> line(text.begin(), text.end());
  int code = 0;
  std::string reason, name, value;
  if (wininet_p::ParseStatusLine(line.data(), line.size(), code, reason) && (code < 0 || code > 999)) __builtin_trap();
  if (wininet_p::ParseHeaderLine(line.data(), line.size(), name, value) && (name.empty() || name.find(':') != std::string::npos))
    __builtin_trap();
  unsigned long number = 0;
  wininet_p::ParseDecimal32(text, number);
  return 0;
}
