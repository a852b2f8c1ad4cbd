// The MIME builder: base64 for files, quoted-printable UTF-8 for text, RFC 2047 for
// header values that are not plain ASCII.
#include <strings.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/csmail/csmail.h"
#include "platform/win32/codepage.h"

namespace CSMail {
namespace {

const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64(const std::string& data, size_t lineLength) {
  std::string out;
  out.reserve(data.size() * 4 / 3 + data.size() / 38 + 8);
  size_t column = 0;
  size_t i = 0;
  auto put = [&](char c) {
    out += c;
    if (lineLength && ++column == lineLength) {
      out += "\r\n";
      column = 0;
    }
  };
  for (; i + 2 < data.size(); i += 3) {
    unsigned v = (static_cast<unsigned char>(data[i]) << 16) | (static_cast<unsigned char>(data[i + 1]) << 8) |
                 static_cast<unsigned char>(data[i + 2]);
    put(kBase64[v >> 18]);
    put(kBase64[(v >> 12) & 63]);
    put(kBase64[(v >> 6) & 63]);
    put(kBase64[v & 63]);
  }
  if (i < data.size()) {
    unsigned v = static_cast<unsigned char>(data[i]) << 16;
    if (i + 1 < data.size()) v |= static_cast<unsigned char>(data[i + 1]) << 8;
    put(kBase64[v >> 18]);
    put(kBase64[(v >> 12) & 63]);
    put(i + 1 < data.size() ? kBase64[(v >> 6) & 63] : '=');
    put('=');
  }
  if (lineLength && column) out += "\r\n";
  return out;
}

// Lines end in CRLF whatever the template used; soft breaks keep lines under 76.
std::string QuotedPrintable(const std::string& utf8) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  size_t column = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
    if (c == '\n' || c == '\r') {
      out += "\r\n";
      column = 0;
      continue;
    }
    bool lineEnd = i + 1 == utf8.size() || utf8[i + 1] == '\n' || utf8[i + 1] == '\r';
    std::string piece;
    if ((c >= 33 && c <= 126 && c != '=') || ((c == ' ' || c == '\t') && !lineEnd)) {
      piece = static_cast<char>(c);
    } else {
      piece = {'=', hex[c >> 4], hex[c & 15]};
    }
    if (column + piece.size() > 75) {
      out += "=\r\n";
      column = 0;
    }
    out += piece;
    column += piece.size();
  }
  if (column) out += "\r\n";
  return out;
}

// A header value on one line: line breaks become spaces (a guest's text must never start
// a header of its own), and anything beyond printable ASCII is sent as encoded words.
std::string HeaderValue(const std::string& ansi) {
  std::string oneLine;
  bool plain = true;
  for (char ch : ansi) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\r' || c == '\n' || c == '\t') ch = ' ', c = ' ';
    if (c < 0x20 || c >= 0x7f) plain = false;
    oneLine += ch;
  }
  if (plain && oneLine.find("=?") == std::string::npos) return oneLine;
  std::string utf8 = AnsiToUtf8(oneLine);
  std::string out;
  size_t start = 0;
  while (start < utf8.size()) {
    // 45 bytes make 60 base64 characters: each encoded word stays within 75; never split
    // inside a UTF-8 sequence.
    size_t end = std::min(utf8.size(), start + 45);
    while (end < utf8.size() && end > start + 1 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
    if (!out.empty()) out += "\r\n ";
    out += "=?UTF-8?B?" + Base64(utf8.substr(start, end - start), 0) + "?=";
    start = end;
  }
  return out;
}

std::string Boundary() {
  static std::atomic<unsigned> counter{0};
  char text[64];
  std::snprintf(text, sizeof text, "=_tavorin_%lx_%u_%x", static_cast<long>(std::time(nullptr)), ++counter,
                static_cast<unsigned>(std::rand()));
  return text;
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string MimeTypeOf(const std::string& name) {
  size_t dot = name.find_last_of('.');
  std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
  if (!strcasecmp(ext.c_str(), "jpg") || !strcasecmp(ext.c_str(), "jpeg")) return "image/jpeg";
  if (!strcasecmp(ext.c_str(), "png")) return "image/png";
  if (!strcasecmp(ext.c_str(), "gif")) return "image/gif";
  if (!strcasecmp(ext.c_str(), "mp4")) return "video/mp4";
  return "application/octet-stream";
}

// A file name inside a quoted parameter: quotes, backslashes and controls would end it early.
std::string QuotedFileName(const std::string& name) {
  std::string safe;
  for (char ch : name) {
    unsigned char c = static_cast<unsigned char>(ch);
    safe += (c < 0x20 || c == '"' || c == '\\' || c >= 0x7f) ? '_' : ch;
  }
  return "\"" + safe + "\"";
}

void WriteOtherHeaders(const BodyPart& part, std::string& out) {
  for (const auto& [name, value] : part.Headers())
    if (strcasecmp(name.c_str(), "Content-Type") != 0) out += name + ": " + HeaderValue(value) + "\r\n";
}

void WritePart(const BodyPart& part, std::string& out) {
  std::string type = part.Header("Content-Type");
  if (!part.Children().empty()) {
    if (type.empty() || strncasecmp(type.c_str(), "multipart/", 10) != 0) type = "multipart/mixed";
    std::string boundary = Boundary();
    out += "Content-Type: " + HeaderValue(type) + "; boundary=\"" + boundary + "\"\r\n";
    WriteOtherHeaders(part, out);
    out += "\r\n";
    for (const auto& child : part.Children()) {
      out += "--" + boundary + "\r\n";
      WritePart(*child, out);
    }
    out += "--" + boundary + "--\r\n";
    return;
  }
  if (!part.File().empty()) {
    std::ifstream in(part.File(), std::ios::binary);
    if (!in.is_open()) throw CSMailError{CSMAIL_E_FAIL, "Cannot open attachment " + part.File()};
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw CSMailError{CSMAIL_E_FAIL, "Cannot read attachment " + part.File()};
    std::string name = BaseName(part.File());
    if (type.empty()) type = MimeTypeOf(name);
    bool inlined = !part.Header("Content-ID").empty();
    out += "Content-Type: " + HeaderValue(type) + "; name=" + QuotedFileName(name) + "\r\n";
    out += "Content-Transfer-Encoding: base64\r\n";
    out += std::string("Content-Disposition: ") + (inlined ? "inline" : "attachment") +
           "; filename=" + QuotedFileName(name) + "\r\n";
    WriteOtherHeaders(part, out);
    out += "\r\n" + Base64(data, 76);
    return;
  }
  if (type.empty()) type = "text/plain";
  std::string lower = type;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (lower.find("charset") == std::string::npos) type += "; charset=utf-8";
  out += "Content-Type: " + HeaderValue(type) + "\r\n";
  out += "Content-Transfer-Encoding: quoted-printable\r\n";
  WriteOtherHeaders(part, out);
  out += "\r\n" + QuotedPrintable(AnsiToUtf8(part.Text()));
}

}  // namespace

std::string Message::Build() const {
  std::string out;
  char date[64];
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::strftime(date, sizeof date, "%a, %d %b %Y %H:%M:%S %z", &local);
  out += std::string("Date: ") + date + "\r\n";
  out += "From: <" + from_ + ">\r\n";
  std::string to;
  for (const std::string& address : recipients_) to += (to.empty() ? "<" : ", <") + address + ">";
  out += "To: " + to + "\r\n";
  out += "Subject: " + HeaderValue(subject_) + "\r\n";
  out += "MIME-Version: 1.0\r\n";
  WritePart(body_, out);
  return out;
}

}  // namespace CSMail
