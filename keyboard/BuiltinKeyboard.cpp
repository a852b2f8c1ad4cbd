#include "keyboard/BuiltinKeyboard.h"

#include <algorithm>

namespace {

class KeyAdder {
 public:
  KeyAdder(const KeyboardGeometry& geometry, CArray<CKey, CKey>& keys) : m_g(geometry), m_keys(keys) {}

  void Add(const char* legend, const char* shifted, const char* code, const char* shiftedCode, int x, int row,
           int width) {
    m_keys.Add(CKey(legend, shifted, code, shiftedCode, x, m_g.RowTop(row), width, m_g.m_keyHeight));
  }
  // One legend everywhere.
  void Same(const char* text, int x, int row, int width) { Add(text, text, text, text, x, row, width); }
  // A legend with its own code.
  void Coded(const char* legend, const char* code, int x, int row, int width) { Add(legend, legend, code, code, x, row, width); }
  void Pair(const char* lower, const char* upper, int x, int row, int width) { Add(lower, upper, lower, upper, x, row, width); }

  // Keys n = first.. of a row from a list of lower/upper pairs ("qQ" style two-character strings).
  int Letters(const char* lower, const char* upper, int row, int first) {
    int n = first;
    for (int i = 0; lower[i]; ++i, ++n) {
      char l[2] = {lower[i], '\0'};
      char u[2] = {upper[i], '\0'};
      Pair(l, u, At(row, n), row, m_g.m_keyWidth);
    }
    return n;
  }
  int At(int row, int n) const { return m_g.RowStart(row) + n * m_g.m_step; }
  int ToEdge(int x) const { return m_g.m_width - m_g.m_gap - x; }

 private:
  const KeyboardGeometry& m_g;
  CArray<CKey, CKey>& m_keys;
};

void AddEmailRows(KeyAdder& k, const KeyboardGeometry& g) {
  const int J = g.m_keyWidth, gap = g.m_gap;
  int n = 0;
  for (const char* digit : {"1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "_"}) k.Same(digit, k.At(1, n++), 1, J);
  k.Same("Delete", k.At(1, n), 1, 2 * J + gap);
  n = k.Letters("qwertyuiop", "QWERTYUIOP", 2, 0);
  k.Same("-", k.At(2, n), 2, J);
  n = k.Letters("asdfghjkl", "ASDFGHJKL", 3, 0);
  k.Same("@", k.At(3, n++), 3, J);
  k.Same("&", k.At(3, n++), 3, J);
  k.Same(".com", k.At(3, n), 3, 2 * J + gap - 2 * (J + gap) / 3);
  k.Same("Shift", k.At(4, 0), 4, J);
  n = k.Letters("zxcvbnm", "ZXCVBNM", 4, 1);
  k.Same(".", k.At(4, n++), 4, J);
  k.Same("+", k.At(4, n++), 4, J);
  k.Same("Shift", k.At(4, n), 4, J + 3 * gap);
}

void AddSocialRows(KeyAdder& k, const KeyboardGeometry& g, bool message) {
  const int J = g.m_keyWidth, gap = g.m_gap;
  static const char* const kRow1[][2] = {{"1", "!"}, {"2", "@"}, {"3", "#"}, {"4", "$"}, {"5", "%"}, {"6", "^"},
                                         {"7", "&"}, {"8", "*"}, {"9", "("}, {"0", ")"}, {"_", "-"}, {"=", "+"}};
  int n = 0;
  for (const auto& pair : kRow1) k.Pair(pair[0], pair[1], k.At(1, n++), 1, J);
  k.Coded("Del", "Delete", k.At(1, n), 1, J);
  n = k.Letters("qwertyuiop", "QWERTYUIOP", 2, 0);
  k.Pair("[", "{", k.At(2, n++), 2, J);
  k.Pair("]", "}", k.At(2, n++), 2, J);
  k.Same("@", k.At(2, n), 2, k.ToEdge(k.At(2, n)));
  n = k.Letters("asdfghjkl", "ASDFGHJKL", 3, 0);
  k.Pair(";", ":", k.At(3, n++), 3, J);
  k.Pair("'", "\"", k.At(3, n++), 3, J);
  int wide = 2 * J + gap - 2 * (J + gap) / 3;
  if (message) {
    k.Coded("Return", "newline", k.At(3, n), 3, wide);
  } else {
    k.Same(".com", k.At(3, n), 3, wide);
  }
  k.Same("Shift", k.At(4, 0), 4, J);
  n = k.Letters("zxcvbnm", "ZXCVBNM", 4, 1);
  k.Pair(",", "<", k.At(4, n++), 4, J);
  k.Pair(".", ">", k.At(4, n++), 4, J);
  k.Pair("/", "?", k.At(4, n++), 4, J);
  k.Same("Shift", k.At(4, n), 4, J + 3 * gap);
}

void AddPhoneKeypad(KeyAdder& k, const KeyboardGeometry& g) {
  const int J = g.m_keyWidth, gap = g.m_gap, S = g.m_step;
  int x0 = (g.m_width - 3 * J - 2 * gap) / 2;
  static const char* const kRows[4][3] = {{"1", "2", "3"}, {"4", "5", "6"}, {"7", "8", "9"}, {"+", "0", nullptr}};
  for (int row = 1; row <= 4; ++row) {
    for (int column = 0; column < 3 && kRows[row - 1][column]; ++column) {
      k.Same(kRows[row - 1][column], x0 + column * S, row, J);
    }
    if (row == 1) k.Same("Delete", x0 + 3 * S, 1, 2 * J);
  }
  int send = (g.m_width - 6 * J - gap) / 2;
  k.Coded("Send MMS", "OK", send, 5, 3 * J);
  k.Coded("No thanks!", "Cancel", send + 3 * J + gap, 5, 3 * J);
}

}  // namespace

KeyboardGeometry::KeyboardGeometry(int clientWidth, int clientBottom)
    : m_width(clientWidth),
      m_bottom(clientBottom),
      m_gap(clientWidth / 100),
      m_keyWidth((clientWidth - 14 * m_gap) / 13),
      m_keyHeight(4 * m_keyWidth / 5),
      m_step(m_keyWidth + m_gap) {}

int KeyboardGeometry::RowStart(int row) const {
  switch (row) {
    case 2: return (m_keyWidth + m_gap) / 3 + m_gap;
    case 3: return 2 * (m_keyWidth + m_gap) / 3 + m_gap;
    default: return m_gap;
  }
}

void AddBuiltinKeys(int type, bool field2Defined, const KeyboardGeometry& g, CArray<CKey, CKey>& keys) {
  type = NormaliseKeyboardType(type);
  KeyAdder k(g, keys);
  const int J = g.m_keyWidth, gap = g.m_gap;
  switch (type) {
    case KeyboardGeneral:
    case KeyboardEmail:
    case KeyboardPassword:
      AddEmailRows(k, g);
      if (type == KeyboardPassword) {
        k.Same("OK", 3 * J + 4 * gap, 5, 3 * J + 2 * gap);
        k.Same("Cancel", 6 * J + 7 * gap, 5, 3 * J + 2 * gap);
      } else if (field2Defined) {
        k.Coded("Send email", "OK", gap, 5, 3 * J + 2 * gap);
        k.Coded("Space", " ", 3 * J + 4 * gap, 5, 6 * J + 5 * gap);
        k.Coded("No thanks!", "Cancel", 9 * J + 10 * gap, 5, k.ToEdge(9 * J + 10 * gap));
      } else {
        k.Coded("Send email", "OK", 3 * J + 4 * gap, 5, 3 * J + 2 * gap);
        k.Coded("No thanks!", "Cancel", 6 * J + 7 * gap, 5, 3 * J + 2 * gap);
      }
      break;
    case KeyboardFacebook:
    case KeyboardTwitter:
      AddSocialRows(k, g, false);
      k.Coded("Upload photo", "OK all", 3 * J + 4 * gap, 5, 3 * J + 2 * gap);
      k.Same("Cancel", 6 * J + 7 * gap, 5, 3 * J + 2 * gap);
      break;
    case KeyboardMessage:
      AddSocialRows(k, g, true);
      k.Same("OK", gap, 5, J + 3 * gap);
      k.Coded("Space", " ", J + 5 * gap, 5, 8 * J + 7 * gap);
      k.Coded("<=", "Left", 9 * J + 13 * gap, 5, J);
      k.Coded("=>", "Right", 10 * J + 14 * gap, 5, J);
      k.Same("Cancel", 11 * J + 15 * gap, 5, k.ToEdge(11 * J + 15 * gap));
      break;
    case KeyboardMms:
      AddPhoneKeypad(k, g);
      break;
  }
}

int TopOfKeys(const CArray<CKey, CKey>& keys) {
  int top = -1;
  for (INT_PTR i = 0; i < keys.GetSize(); ++i) top = top < 0 ? keys[i].m_y : std::min(top, keys[i].m_y);
  return top;
}

void PlaceTextFields(int type, KeyboardLayout& layout, int keysTop, int g, int k, int gap) {
  type = NormaliseKeyboardType(type);
  KeyboardTextField& first = layout.m_fields[0];
  if (type == KeyboardFacebook || type == KeyboardTwitter) {
    KeyboardTextField& second = layout.m_fields[1];
    second.m_y = keysTop - (5 * g + 6 * gap) / 4;
    first.m_y = std::max(second.m_y - 2 * g - 2 * gap, k + 3);
  } else if (first.m_rows > 1) {
    first.m_y = SaturateKeyboardNumber(static_cast<long long>(keysTop) - g / 4 -
                                       static_cast<long long>(g) * first.m_rows - gap);
  } else {
    first.m_y = keysTop - (5 * g + 6 * gap) / 4;
  }
}

SIZE LegendLimits(int type, const KeyboardGeometry& g) {
  int width = g.m_keyWidth - 10;
  if (NormaliseKeyboardType(type) == KeyboardMessage) {
    width = 2 * g.m_keyWidth + g.m_gap - 2 * (g.m_keyWidth + g.m_gap) / 3 - 6;
  }
  return SIZE{width, g.m_keyHeight - 6};
}
