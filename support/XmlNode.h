// The program's own XML element tree. Writers build it with the typed element builders and
// serialise it; XmlDocument parses files into the same tree.
//
// Stored text is always in escaped form (as AddElement stores it): the reader escapes what
// the parser delivers, so GetText decodes exactly once and a parsed tree serialises back to
// the same bytes. Attribute values are stored plain and escaped only when written.
#pragma once

#include "platform/mfc/cstring.h"

class XmlAttribute {
 public:
  XmlAttribute(const char* name, const char* value) : m_name(name), m_value(value) {}

  CString m_name;
  CString m_value;
  XmlAttribute* m_next = nullptr;
};

class XmlNode {
 public:
  XmlNode(XmlNode* parent, const char* name);

  /// Sets the node's parent to this node and appends it after the last child.
  void AppendChild(XmlNode* node);
  /// Appends a child element; a non-null text is stored escaped. This node owns the child.
  XmlNode* AddElement(const char* name, const char* text);
  /// AddElement with the text "%d".
  XmlNode* AddIntElement(const char* name, int value);
  /// AddElement with a rational text such as "5/10" or "-125/100".
  XmlNode* AddNumberElement(const char* name, double value);
  /// Appends an attribute (a second one of the same name is appended too).
  void AddAttribute(const char* name, const char* value);

  CString GetName() const { return m_name; }
  /// Returns NULL when no direct child has that name.
  XmlNode* FindChild(const char* name) const;
  /// This node, then its following siblings and their subtrees, then its children; NULL when absent.
  XmlNode* FindDescendant(const char* name);
  /// Returns NULL when no direct child of that name carries the attribute.
  XmlNode* FindChildWithAttribute(const char* name, const char* attributeName) const;
  /// Returns NULL when the node has no attribute of that name.
  XmlAttribute* FindAttribute(const char* name) const;
  /// The decoded text; line breaks come back as single CR characters.
  CString GetText() const;

  /// Frees the children, the following siblings and the attributes; the caller deletes this node.
  void Destroy();

  /// Appends this node, its subtree and its following siblings; level 0 empties the string first.
  void Serialize(CString& out, int level) const;

  XmlNode* m_parent = nullptr;
  XmlNode* m_firstChild = nullptr;
  XmlNode* m_nextSibling = nullptr;
  CString m_name;
  CString m_text;
  XmlAttribute* m_attributes = nullptr;
  // Ends of the two lists, so that appending does not walk them; NULL means "not known" and
  // must be set so by any code that unlinks from a list directly.
  XmlNode* m_lastChild = nullptr;
  XmlAttribute* m_lastAttribute = nullptr;
};

/// The escaped form AddElement stores: &amp;, &lt;, &gt;, line breaks as &#xA;, letters 0xC0-0xFF as entities.
CString XmlEscapeText(const CString& text);
/// 8-bit text to UTF-8 as written to files (0x80 is the euro sign).
CString TextToUtf8(const CString& text);
/// UTF-8 text from a file back to 8-bit (two-byte forms and the euro sign).
CString Utf8TextToAnsi(const char* bytes, int length);
/// As Utf8TextToAnsi, dropping a byte-order mark.
CString Utf8AttributeToAnsi(const char* value);
