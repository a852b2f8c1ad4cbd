#include "platform/mfc/cstring.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/win32/codepage.h"

namespace {

const char kWhitespace[] = " \t\r\n\v\f";

int Clamp(int value, int low, int high) { return std::max(low, std::min(value, high)); }

bool Contains(const char* chars, char c) { return chars && c != '\0' && std::strchr(chars, c) != nullptr; }

}  // namespace

CString::CString(const char* text, int length) {
  if (text && length > 0) m_text.assign(text, strnlen(text, static_cast<size_t>(length)));
}

CString::CString(char c, int repeat) {
  if (repeat > 0) m_text.assign(static_cast<size_t>(repeat), c);
}

char CString::GetAt(int index) const {
  if (index < 0 || index >= GetLength()) return '\0';
  return m_text[index];
}

void CString::SetAt(int index, char c) {
  if (index >= 0 && index < GetLength()) m_text[index] = c;
}

CString CString::Left(int count) const { return CString(m_text.substr(0, Clamp(count, 0, GetLength()))); }

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
  first = Clamp(first, 0, GetLength());
  count = Clamp(count, 0, GetLength() - first);
  return CString(m_text.substr(first, count));
}

CString CString::Right(int count) const {
  count = Clamp(count, 0, GetLength());
  return CString(m_text.substr(GetLength() - count));
}

int CString::Find(char c, int start) const {
  if (start < 0 || start >= GetLength()) return -1;
  size_t at = m_text.find(c, start);
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(const char* sub, int start) const {
  if (!sub || start < 0 || start > GetLength()) return -1;
  size_t at = m_text.find(sub, start);
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(char c) const {
  size_t at = m_text.rfind(c);
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::FindOneOf(const char* chars) const {
  if (!chars || !*chars) return -1;
  size_t at = m_text.find_first_of(chars);
  return at == std::string::npos ? -1 : static_cast<int>(at);
}

int CString::Replace(char oldChar, char newChar) {
  int count = 0;
  for (char& c : m_text) {
    if (c == oldChar) {
      c = newChar;
      ++count;
    }
  }
  return count;
}

int CString::Replace(const char* oldText, const char* newText) {
  if (!oldText || !*oldText) return 0;
  const std::string from(oldText), to(newText ? newText : "");
  std::string result;
  int count = 0;
  size_t pos = 0;
  for (size_t at; (at = m_text.find(from, pos)) != std::string::npos; pos = at + from.size()) {
    result.append(m_text, pos, at - pos);
    result += to;
    ++count;
  }
  if (count == 0) return 0;
  result.append(m_text, pos, std::string::npos);
  m_text.swap(result);
  return count;
}

int CString::Remove(char c) {
  size_t before = m_text.size();
  m_text.erase(std::remove(m_text.begin(), m_text.end(), c), m_text.end());
  return static_cast<int>(before - m_text.size());
}

int CString::Insert(int index, char c) {
  m_text.insert(m_text.begin() + Clamp(index, 0, GetLength()), c);
  return GetLength();
}

int CString::Insert(int index, const char* text) {
  if (text) m_text.insert(Clamp(index, 0, GetLength()), text);
  return GetLength();
}

int CString::Delete(int index, int count) {
  if (index < 0) index = 0;
  if (index < GetLength() && count > 0) m_text.erase(index, std::min(count, GetLength() - index));
  return GetLength();
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(char c) { return TrimRight(c).TrimLeft(c); }
CString& CString::Trim(const char* chars) { return TrimRight(chars).TrimLeft(chars); }
CString& CString::TrimLeft() { return TrimLeft(kWhitespace); }
CString& CString::TrimRight() { return TrimRight(kWhitespace); }

CString& CString::TrimLeft(char c) {
  const char chars[2] = {c, '\0'};
  return TrimLeft(chars);
}

CString& CString::TrimRight(char c) {
  const char chars[2] = {c, '\0'};
  return TrimRight(chars);
}

CString& CString::TrimLeft(const char* chars) {
  size_t first = 0;
  while (first < m_text.size() && Contains(chars, m_text[first])) ++first;
  m_text.erase(0, first);
  return *this;
}

CString& CString::TrimRight(const char* chars) {
  size_t end = m_text.size();
  while (end > 0 && Contains(chars, m_text[end - 1])) --end;
  m_text.resize(end);
  return *this;
}

CString& CString::MakeLower() {
  for (char& c : m_text) c = static_cast<char>(AnsiToLower(static_cast<unsigned char>(c)));
  return *this;
}

CString& CString::MakeUpper() {
  for (char& c : m_text) c = static_cast<char>(AnsiToUpper(static_cast<unsigned char>(c)));
  return *this;
}

CString& CString::MakeReverse() {
  std::reverse(m_text.begin(), m_text.end());
  return *this;
}

int CString::Compare(const char* other) const { return std::strcmp(m_text.c_str(), other ? other : ""); }

int CString::CompareNoCase(const char* other) const {
  const auto* a = reinterpret_cast<const unsigned char*>(m_text.c_str());
  const auto* b = reinterpret_cast<const unsigned char*>(other ? other : "");
  for (;; ++a, ++b) {
    int ca = AnsiToLower(*a), cb = AnsiToLower(*b);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
}

void CString::Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
}

void CString::AppendFormat(const char* format, ...) {
  va_list args;
  va_start(args, format);
  AppendFormatV(format, args);
  va_end(args);
}

void CString::FormatV(const char* format, va_list args) {
  m_text.clear();
  AppendFormatV(format, args);
}

void CString::AppendFormatV(const char* format, va_list args) {
  if (!format) return;
  va_list measure;
  va_copy(measure, args);
  int needed = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  if (needed <= 0) return;
  size_t old = m_text.size();
  m_text.resize(old + static_cast<size_t>(needed) + 1);
  std::vsnprintf(&m_text[old], static_cast<size_t>(needed) + 1, format, args);
  m_text.resize(old + static_cast<size_t>(needed));
}

CString CString::Tokenize(const char* delimiters, int& start) const {
  if (start < 0 || start >= GetLength()) {
    start = -1;
    return CString();
  }
  size_t from = static_cast<size_t>(start);
  if (delimiters && *delimiters) {
    from = m_text.find_first_not_of(delimiters, from);
    if (from == std::string::npos) {
      start = -1;
      return CString();
    }
    size_t to = m_text.find_first_of(delimiters, from);
    if (to == std::string::npos) to = m_text.size();
    start = static_cast<int>(std::min(to + 1, m_text.size()));
    return CString(m_text.substr(from, to - from));
  }
  start = GetLength();
  return CString(m_text.substr(from));
}

CString CString::SpanIncluding(const char* chars) const {
  size_t end = chars ? m_text.find_first_not_of(chars) : 0;
  return CString(m_text.substr(0, end == std::string::npos ? m_text.size() : end));
}

CString CString::SpanExcluding(const char* chars) const {
  size_t end = chars && *chars ? m_text.find_first_of(chars) : std::string::npos;
  return CString(m_text.substr(0, end == std::string::npos ? m_text.size() : end));
}

char* CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) m_text.resize(static_cast<size_t>(minLength), '\0');
  return m_text.data();
}

char* CString::GetBufferSetLength(int length) {
  m_text.resize(static_cast<size_t>(std::max(length, 0)), '\0');
  return m_text.data();
}

void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) newLength = static_cast<int>(strnlen(m_text.c_str(), m_text.size()));
  m_text.resize(static_cast<size_t>(std::min(newLength, GetLength())));
}

CString& CString::operator=(const char* text) {
  if (text != m_text.c_str()) m_text = text ? text : "";
  return *this;
}

CString& CString::operator=(char c) {
  m_text.assign(1, c);
  return *this;
}

CString& CString::operator+=(const CString& other) {
  m_text += other.m_text;
  return *this;
}

CString& CString::operator+=(const char* text) {
  if (text) m_text += text;
  return *this;
}

CString& CString::operator+=(char c) {
  m_text += c;
  return *this;
}

void CString::Append(const char* text, int length) {
  if (text && length > 0) m_text.append(text, static_cast<size_t>(length));
}
