// CString: the program's 8-bit string in the system code page (Windows-1252), with the
// members the program uses. Indexes out of range are clamped the way the original class
// clamps them, so a bad index gives an empty or shortened result, never a crash.
#pragma once

#include <cstdarg>
#include <string>
#include <type_traits>

#include "platform/win32/windef.h"

class CString {
 public:
  CString() = default;
  CString(const char* text) : m_text(text ? text : "") {}
  CString(const char* text, int length);
  CString(char c, int repeat = 1);
  CString(const std::string& text) : m_text(text) {}

  int GetLength() const { return static_cast<int>(m_text.size()); }
  bool IsEmpty() const { return m_text.empty(); }
  void Empty() { m_text.clear(); }
  const char* GetString() const { return m_text.c_str(); }
  operator const char*() const { return m_text.c_str(); }
  const std::string& str() const { return m_text; }

  /// Returns '\0' for an index out of range.
  char GetAt(int index) const;
  // A template so that any integer index picks this over the built-in pointer subscript.
  template <typename Index>
    requires std::is_integral_v<Index>
  char operator[](Index index) const {
    return index < 0 || static_cast<unsigned long long>(index) >= m_text.size() ? '\0' : m_text[index];
  }
  /// Ignored for an index out of range.
  void SetAt(int index, char c);

  CString Left(int count) const;
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString Right(int count) const;

  /// Each Find returns the index found, or -1 (also for a start past the end).
  int Find(char c, int start = 0) const;
  int Find(const char* sub, int start = 0) const;
  int ReverseFind(char c) const;
  int FindOneOf(const char* chars) const;

  /// Returns the number of replacements.
  int Replace(char oldChar, char newChar);
  int Replace(const char* oldText, const char* newText);
  int Remove(char c);
  /// Returns the new length; the index is clamped into the string.
  int Insert(int index, char c);
  int Insert(int index, const char* text);
  int Delete(int index, int count = 1);

  CString& Trim();
  CString& Trim(char c);
  CString& Trim(const char* chars);
  CString& TrimLeft();
  CString& TrimLeft(char c);
  CString& TrimLeft(const char* chars);
  CString& TrimRight();
  CString& TrimRight(char c);
  CString& TrimRight(const char* chars);

  CString& MakeLower();
  CString& MakeUpper();
  CString& MakeReverse();

  int Compare(const char* other) const;
  int CompareNoCase(const char* other) const;

  void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void AppendFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void FormatV(const char* format, va_list args);
  void AppendFormatV(const char* format, va_list args);

  /// Returns the next token after start and moves start past it; at the end returns an empty
  /// string and sets start to -1.
  CString Tokenize(const char* delimiters, int& start) const;
  CString SpanIncluding(const char* chars) const;
  CString SpanExcluding(const char* chars) const;

  /// A writable buffer of at least minLength characters plus a terminator.
  char* GetBuffer(int minLength = 0);
  char* GetBufferSetLength(int length);
  /// Ends buffer access; a length of -1 takes the text up to the first NUL.
  void ReleaseBuffer(int newLength = -1);

  CString& operator=(const char* text);
  CString& operator=(char c);
  CString& operator+=(const CString& other);
  CString& operator+=(const char* text);
  CString& operator+=(char c);
  void Append(const char* text, int length);

  friend CString operator+(const CString& a, const CString& b) { return CString(a.m_text + b.m_text); }
  friend CString operator+(const CString& a, const char* b) { return CString(a.m_text + (b ? b : "")); }
  friend CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.m_text); }
  friend CString operator+(const CString& a, char b) { return CString(a.m_text + b); }
  friend CString operator+(char a, const CString& b) { return CString(a + b.m_text); }

  friend bool operator==(const CString& a, const CString& b) { return a.m_text == b.m_text; }
  friend bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
  friend bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
  friend bool operator!=(const char* a, const CString& b) { return !(b == a); }
  friend bool operator<(const CString& a, const CString& b) { return a.m_text < b.m_text; }
  friend bool operator>(const CString& a, const CString& b) { return a.m_text > b.m_text; }
  friend bool operator<=(const CString& a, const CString& b) { return a.m_text <= b.m_text; }
  friend bool operator>=(const CString& a, const CString& b) { return a.m_text >= b.m_text; }

 private:
  std::string m_text;
};

typedef CString CStringA;
