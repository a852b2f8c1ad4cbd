#include "support/TextTemplate.h"

#include <cstdio>
#include <cstring>

#include "platform/win32/codepage.h"

namespace {

// Texts nested deeper than this are left as written rather than risk the stack.
const int kMaxNesting = 200;

bool IsAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
// Bytes 0x80 and above belong to words.
bool IsWordByte(unsigned char c) { return c >= 0x80 || IsAsciiAlnum(c); }
bool IsLetter(unsigned char c) { return AnsiToLower(c) != c || AnsiToUpper(c) != c; }

bool StartsWith(const CString& text, const char* prefix) {
  return std::strncmp(text.GetString(), prefix, std::strlen(prefix)) == 0;
}

// Reads "prefix" followed by count integers each closed by a comma; returns the position of the text after them.
int ReadNumbers(const CString& call, const char* prefix, int count, int* numbers) {
  if (!StartsWith(call, prefix)) return -1;
  const char* p = call.GetString() + std::strlen(prefix);
  for (int i = 0; i < count; ++i) {
    int consumed = -1;
    if (std::sscanf(p, "%d,%n", &numbers[i], &consumed) != 1 || consumed < 0) return -1;
    p += consumed;
  }
  return static_cast<int>(p - call.GetString());
}

CString Field(const CString& text, int n) {
  if (n < 1) return CString();
  int start = 0;
  CString word;
  for (int i = 0; i < n; ++i) {
    word = text.Tokenize(" _-.", start);
    if (start < 0) return CString();
  }
  return word;
}

CString FirstWord(const CString& text) {
  int length = text.GetLength(), i = 0;
  while (i < length && !IsWordByte(text[i])) ++i;
  int start = i;
  while (i < length && IsWordByte(text[i])) ++i;
  return text.Mid(start, i - start);
}

CString LastWord(const CString& text) {
  int end = text.GetLength();
  while (end > 0 && !IsWordByte(text[end - 1])) --end;
  int start = end;
  while (start > 0 && IsWordByte(text[start - 1])) --start;
  return text.Mid(start, end - start);
}

// The result of one call text such as "{left,3,abc}"; false when no form matches.
bool Evaluate(const CString& call, CString& result) {
  CString body = call.Left(call.GetLength() - 1);  // without the closing brace
  int numbers[2];
  int at;
  if ((at = ReadNumbers(body, "{left,", 1, numbers)) >= 0) {
    result = body.Mid(at).Left(numbers[0]);
  } else if ((at = ReadNumbers(body, "{mid,", 2, numbers)) >= 0) {
    // Two numbers only when a comma follows the second: "{mid,2,2023-01}" takes the one-number form.
    result = body.Mid(at).Mid(numbers[0], numbers[1]);
  } else if ((at = ReadNumbers(body, "{mid,", 1, numbers)) >= 0) {
    result = body.Mid(at).Mid(numbers[0]);
  } else if ((at = ReadNumbers(body, "{right,", 1, numbers)) >= 0) {
    result = body.Mid(at).Right(numbers[0]);
  } else if ((at = ReadNumbers(body, "{field,", 1, numbers)) >= 0) {
    result = Field(body.Mid(at), numbers[0]);
  } else if (StartsWith(body, "{first,")) {
    result = FirstWord(body.Mid(7));
  } else if (StartsWith(body, "{last,")) {
    result = LastWord(body.Mid(6));
  } else if (StartsWith(body, "{lower,")) {
    result = body.Mid(7);
    result.MakeLower();
  } else if (StartsWith(body, "{upper,")) {
    result = body.Mid(7);
    result.MakeUpper();
  } else if (StartsWith(body, "{capitalize,")) {
    result = body.Mid(12);
    result.MakeLower();
    for (int i = 0; i < result.GetLength(); ++i) {
      unsigned char c = result[i];
      if (IsLetter(c)) {
        result.SetAt(i, static_cast<char>(AnsiToUpper(c)));
        break;
      }
    }
  } else if (StartsWith(body, "{default,")) {
    CString args = body.Mid(9);
    int comma = args.Find(',');
    if (comma < 0) return false;
    CString value = args.Left(comma);
    value.Trim(' ');
    result = value.IsEmpty() ? args.Mid(comma + 1) : value;
  } else if (StartsWith(body, "{if,")) {
    CString args = body.Mid(4);
    int first = args.Find(',');
    int second = first < 0 ? -1 : args.Find(',', first + 1);
    if (second < 0) return false;
    CString condition = args.Left(first);
    condition.Trim(' ');
    result = condition.IsEmpty() ? args.Mid(second + 1) : args.Mid(first + 1, second - first - 1);
  } else {
    return false;
  }
  return true;
}

// False when the nesting is too deep; the caller then stops too and the text stays as it is.
bool Expand(CString& text, int depth) {
  int position = 0;
  for (;;) {
    int open = text.Find('{', position);
    if (open < 0) break;
    int close = text.Find('}', open);
    if (close < 0) break;
    int inner = text.Find('{', open + 1);
    if (inner >= 0 && inner < close) {
      if (depth >= kMaxNesting) return false;
      CString rest = text.Mid(inner);
      if (!Expand(rest, depth + 1)) return false;
      text = text.Left(inner) + rest;
      close = text.Find('}', open);
      if (close < 0) break;
    }
    CString call = text.Mid(open, close - open + 1);
    CString result;
    if (Evaluate(call, result)) text.Replace(call, result);
    position = open + 1;
  }
  return true;
}

}  // namespace

void ExpandTextTemplate(const CMapStringToString& values, CString& text) {
  POSITION position = values.GetStartPosition();
  while (position) {
    CString key, value;
    values.GetNextAssoc(position, key, value);
    if (!key.IsEmpty()) text.Replace(key, value);
  }
  ExpandTemplateFunctions(text);
}

void ExpandTemplateFunctions(CString& text) {
  CString expanded = text;
  if (Expand(expanded, 0)) text = expanded;
}
