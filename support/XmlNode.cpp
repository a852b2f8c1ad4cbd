#include "support/XmlNode.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

CString Indent(int level) { return level > 1 ? CString(' ', 2 * (level - 1)) : CString(); }

// Attribute values are stored plain; quoting them here keeps the file readable by any parser.
CString EscapeAttribute(const CString& value) {
  CString out;
  for (int i = 0; i < value.GetLength(); ++i) {
    char c = value[i];
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\t': out += "&#x9;"; break;
      case '\n': out += "&#xA;"; break;
      case '\r': out += "&#xD;"; break;
      default: out += c;
    }
  }
  return TextToUtf8(out);
}

bool HasAttribute(const XmlNode* node, const char* name) { return node->FindAttribute(name) != nullptr; }

// Reads the digits of a character reference; false when there are none or the value is out of range.
bool ReadCharRef(const CString& text, int start, int end, int base, unsigned& code) {
  if (start >= end) return false;
  code = 0;
  for (int i = start; i < end; ++i) {
    char c = text[i];
    int digit = c >= '0' && c <= '9' ? c - '0'
                : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
                : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
    if (digit < 0) return false;
    code = code * base + digit;
    if (code > 0x10FFFF) return false;
  }
  return true;
}

}  // namespace

XmlNode::XmlNode(XmlNode* parent, const char* name) : m_parent(parent), m_name(name) {}

void XmlNode::AppendChild(XmlNode* node) {
  node->m_parent = this;
  node->m_nextSibling = nullptr;
  // The remembered last child keeps a long list from being walked for every element; code
  // that unlinks children clears it, and then one walk finds the end again.
  if (!m_lastChild) {
    m_lastChild = m_firstChild;
    while (m_lastChild && m_lastChild->m_nextSibling) m_lastChild = m_lastChild->m_nextSibling;
  }
  if (m_lastChild)
    m_lastChild->m_nextSibling = node;
  else
    m_firstChild = node;
  m_lastChild = node;
}

XmlNode* XmlNode::AddElement(const char* name, const char* text) {
  XmlNode* node = new XmlNode(this, name);
  if (text) node->m_text = XmlEscapeText(text);
  AppendChild(node);
  return node;
}

XmlNode* XmlNode::AddIntElement(const char* name, int value) {
  CString text;
  text.Format("%d", value);
  return AddElement(name, text);
}

XmlNode* XmlNode::AddNumberElement(const char* name, double value) {
  double a = std::fabs(value);
  if (!std::isfinite(a)) a = 0;
  // Values like 32.032 scale to 32031.99999...: within rounding noise they count as whole.
  auto wholeAt = [a](double d, double& numerator) {
    double scaled = d * a;
    double nearest = std::round(scaled);
    if (std::fabs(scaled - nearest) < 1e-12 * (1 + scaled)) {
      numerator = nearest;
      return true;
    }
    numerator = std::floor(scaled);
    return scaled - numerator <= 0.0001;
  };
  double d = 1, numerator = 0;
  if (!wholeAt(1, numerator)) {
    while (d <= 10000000) {
      d *= 10;
      if (wholeAt(d, numerator)) break;
    }
  }
  // A numerator that does not fit 32 bits gives up precision, never wraps.
  while (numerator > INT_MAX && d > 1) {
    d /= 10;
    wholeAt(d, numerator);
  }
  if (numerator > INT_MAX) numerator = INT_MAX;
  CString text;
  text.Format(value < 0 ? "-%d/%d" : "%d/%d", static_cast<int>(numerator), static_cast<int>(d));
  return AddElement(name, text);
}

void XmlNode::AddAttribute(const char* name, const char* value) {
  XmlAttribute* attribute = new XmlAttribute(name, value);
  if (!m_lastAttribute) {
    m_lastAttribute = m_attributes;
    while (m_lastAttribute && m_lastAttribute->m_next) m_lastAttribute = m_lastAttribute->m_next;
  }
  if (m_lastAttribute)
    m_lastAttribute->m_next = attribute;
  else
    m_attributes = attribute;
  m_lastAttribute = attribute;
}

XmlNode* XmlNode::FindChild(const char* name) const {
  for (XmlNode* child = m_firstChild; child; child = child->m_nextSibling)
    if (child->m_name == name) return child;
  return nullptr;
}

XmlNode* XmlNode::FindDescendant(const char* name) {
  // Iterative form of: this node, then the search from the next sibling, then from the first child.
  std::vector<XmlNode*> pending{this};
  while (!pending.empty()) {
    XmlNode* node = pending.back();
    pending.pop_back();
    if (node->m_name == name) return node;
    if (node->m_firstChild) pending.push_back(node->m_firstChild);
    if (node->m_nextSibling) pending.push_back(node->m_nextSibling);
  }
  return nullptr;
}

XmlNode* XmlNode::FindChildWithAttribute(const char* name, const char* attributeName) const {
  for (XmlNode* child = m_firstChild; child; child = child->m_nextSibling)
    if (child->m_name == name && child->FindAttribute(attributeName)) return child;
  return nullptr;
}

XmlAttribute* XmlNode::FindAttribute(const char* name) const {
  if (!name) return nullptr;
  for (XmlAttribute* attribute = m_attributes; attribute; attribute = attribute->m_next)
    if (attribute->m_name == name) return attribute;
  return nullptr;
}

CString XmlNode::GetText() const {
  CString text = m_text;
  int cdata = text.Find("<![CDATA[");
  if (cdata >= 0) {
    text = text.Mid(cdata + 9);
    if (text.Right(3) == "]]>") text = text.Left(text.GetLength() - 3);
  }
  // One pass, so an entity never decodes into another one.
  static const struct {
    const char* entity;
    char c;
  } kNamed[] = {{"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'}, {"&amp;", '&'}};
  CString out;
  int length = text.GetLength();
  for (int i = 0; i < length;) {
    char c = text[i];
    if (c == '&') {
      int end = text.Find(';', i);
      if (text[i + 1] == '#' && end > i) {
        bool hex = text[i + 2] == 'x';
        unsigned code = 0;
        bool ok = ReadCharRef(text, i + (hex ? 3 : 2), end, hex ? 16 : 10, code);
        out += ok && code > 0 && code <= 0xFF ? static_cast<char>(code) : '?';
        i = end + 1;
        continue;
      }
      bool named = false;
      for (const auto& entry : kNamed) {
        int n = static_cast<int>(std::strlen(entry.entity));
        if (std::strncmp(text.GetString() + i, entry.entity, n) == 0) {
          out += entry.c;
          i += n;
          named = true;
          break;
        }
      }
      if (named) continue;
    }
    out += c;
    ++i;
  }
  out.Replace("\r\n", "\r");
  out.Replace('\n', '\r');
  return out;
}

void XmlNode::Destroy() {
  // Iterative: a parsed file may nest or chain elements deeper than the stack allows.
  std::vector<XmlNode*> pending;
  if (m_firstChild) pending.push_back(m_firstChild);
  if (m_nextSibling) pending.push_back(m_nextSibling);
  m_firstChild = m_nextSibling = m_lastChild = nullptr;
  for (XmlAttribute* attribute = m_attributes; attribute;) {
    XmlAttribute* next = attribute->m_next;
    delete attribute;
    attribute = next;
  }
  m_attributes = m_lastAttribute = nullptr;
  m_name.Empty();
  m_text.Empty();
  while (!pending.empty()) {
    XmlNode* node = pending.back();
    pending.pop_back();
    if (node->m_firstChild) pending.push_back(node->m_firstChild);
    if (node->m_nextSibling) pending.push_back(node->m_nextSibling);
    node->m_firstChild = node->m_nextSibling = node->m_lastChild = nullptr;
    node->Destroy();
    delete node;
  }
}

void XmlNode::Serialize(CString& out, int level) const {
  if (level == 0) out.Empty();
  for (const XmlNode* node = this; node; node = node->m_nextSibling) {
    bool description = node->m_name == "rdf:Description";
    if (description && node->m_attributes && (HasAttribute(node, "xmlns:xapMM") || !node->m_firstChild)) continue;
    if (node->m_name.IsEmpty()) {
      if (node->m_firstChild) node->m_firstChild->Serialize(out, level + 1);
      continue;
    }
    out += Indent(level);
    out += "<";
    out += node->m_name;
    for (const XmlAttribute* attribute = node->m_attributes; attribute; attribute = attribute->m_next) {
      out += " ";
      out += attribute->m_name;
      out += "=\"";
      out += EscapeAttribute(attribute->m_value);
      out += "\"";
    }
    out += ">";
    if (node->m_name == "rdf:RDF") out += "\n";
    if (!node->m_text.IsEmpty()) {
      if (description && node->m_text.Left(4) == "<!--" && node->m_text.Find("-->") >= 0) {
        CString rest = node->m_text;
        int end;
        while (rest.Left(4) == "<!--" && (end = rest.Find("-->")) >= 0) {
          out += "\n" + Indent(level + 1) + rest.Left(end + 3);
          rest = rest.Mid(end + 3);
          rest.TrimLeft();
        }
        out += TextToUtf8(rest);
        if (!node->m_firstChild) out += "\n" + Indent(level + 1);
      } else {
        out += TextToUtf8(node->m_text);
      }
    }
    if (node->m_firstChild) {
      out += "\n";
      node->m_firstChild->Serialize(out, level + 1);
      out += Indent(level);
    }
    out += "</";
    out += node->m_name;
    out += ">\n";
    if (description) out += "\n";
  }
}

CString XmlEscapeText(const CString& text) {
  // One pass with the result of the replacements in their order: "&", CR LF, LF, CR, "<", ">",
  // then the letters 0xC0-0xFF but for the signs 0xD7 and 0xF7. No replacement makes text that
  // a later one would change, so a single look at each byte gives the same bytes.
  static const char kHex[] = "0123456789ABCDEF";
  const std::string& in = text.str();
  std::string out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(in[i]);
    switch (c) {
      case '&': out += "&amp;"; break;
      case '\r':
        if (i + 1 < in.size() && in[i + 1] == '\n') ++i;
        out += "&#xA;";
        break;
      case '\n': out += "&#xA;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default:
        if (c >= 0xC0 && c != 0xD7 && c != 0xF7) {
          const char entity[] = {'&', '#', 'x', kHex[c >> 4], kHex[c & 0xF], ';'};
          out.append(entity, sizeof entity);
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return CString(out);
}

CString TextToUtf8(const CString& text) {
  std::string out;
  out.reserve(text.GetLength());
  for (unsigned char c : text.str()) {
    if (c == 0x80) {
      out += "\xE2\x82\xAC";
    } else if (c > 0x80) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
      out += '?';  // XML has no form for these control characters
    } else {
      out += static_cast<char>(c);
    }
  }
  return CString(out);
}

CString Utf8TextToAnsi(const char* bytes, int length) {
  std::string out;
  if (!bytes || length <= 0) return CString();
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
  for (int i = 0; i < length; ++i) {
    unsigned char c = p[i];
    if (c >= 0xC0 && c <= 0xDF) {
      if (i + 1 < length) out += static_cast<char>(((c << 6) | (p[i + 1] & 0x3F)) & 0xFF);
      ++i;
    } else if (c == 0xE2 && i + 2 < length && p[i + 1] == 0x82 && p[i + 2] == 0xAC) {
      out += '\x80';
      i += 2;
    } else {
      out += static_cast<char>(c);
    }
  }
  return CString(out);
}

CString Utf8AttributeToAnsi(const char* value) {
  if (!value) return CString();
  CString text = Utf8TextToAnsi(value, static_cast<int>(std::strlen(value)));
  text.Replace("\xEF\xBB\xBF", "");
  return text;
}
