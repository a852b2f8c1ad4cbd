#include "support/XmlDocument.h"

#include <expat.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "platform/win32/codepage.h"
#include "platform/win32/trace.h"

namespace {

// The expat user data: elements are built under a nameless holder. Text is collected plain
// while an element is open and escaped when it closes, so stored text has one form.
struct XmlTreeBuilder {
  XmlNode m_holder{nullptr, ""};
  XmlNode* m_current = &m_holder;
  XML_Parser m_parser = nullptr;
  bool m_failed = false;
  // The character data since the last tag, as read (UTF-8), and where its trailing line break
  // and indentation start when they are the file's own layout (npos: no such tail).
  std::string m_run;
  size_t m_layoutTail = std::string::npos;
  bool m_runHasBreakReference = false;  // the run holds a line break written as a reference
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsLayout(const std::string& text) {
  for (char c : text)
    if (!IsBlank(c)) return false;
  return true;
}

// Rules for the text of an element, so that what the writer wrote reads back the same: a run
// of character data beside a child element that is only white space, all of it as written, is
// layout and dropped; a line break with indentation that ends a run before a child tag is the
// writer's layout too. Any other run is kept whole, blanks included. A line break written as a
// character reference (as the writer writes every break of a text) is text, never layout, and
// so is a run that holds one.
void TakeRun(XmlTreeBuilder* builder, bool beforeChild) {
  std::string& run = builder->m_run;
  XmlNode* node = builder->m_current;
  if (beforeChild && builder->m_layoutTail != std::string::npos) run.erase(builder->m_layoutTail);
  bool besideChild = beforeChild || node->m_firstChild;
  const bool layout = besideChild && !builder->m_runHasBreakReference && IsLayout(run);
  if (!run.empty() && node != &builder->m_holder && !layout)
    node->m_text += Utf8TextToAnsi(run.data(), static_cast<int>(run.size()));
  run.clear();
  builder->m_layoutTail = std::string::npos;
  builder->m_runHasBreakReference = false;
}

void FinishText(XmlNode* node) { node->m_text = XmlEscapeText(node->m_text); }

void Fail(XmlTreeBuilder* builder) {
  builder->m_failed = true;
  XML_StopParser(builder->m_parser, XML_FALSE);
}

void XMLCALL OnStartElement(void* userData, const XML_Char* name, const XML_Char** attributes) {
  auto* builder = static_cast<XmlTreeBuilder*>(userData);
  try {
    TakeRun(builder, true);
    XmlNode* node = builder->m_current->AddElement(name, nullptr);
    builder->m_current = node;
    for (int i = 0; attributes && attributes[i] && attributes[i + 1]; i += 2)
      node->AddAttribute(attributes[i], Utf8AttributeToAnsi(attributes[i + 1]));
  } catch (const std::bad_alloc&) {
    Fail(builder);
  }
}

void XMLCALL OnEndElement(void* userData, const XML_Char*) {
  auto* builder = static_cast<XmlTreeBuilder*>(userData);
  try {
    TakeRun(builder, false);
    FinishText(builder->m_current);
  } catch (const std::bad_alloc&) {
    Fail(builder);
  }
  XmlNode* parent = builder->m_current->m_parent;
  builder->m_current = parent ? parent : &builder->m_holder;
}

void XMLCALL OnCharacterData(void* userData, const XML_Char* text, int length) {
  auto* builder = static_cast<XmlTreeBuilder*>(userData);
  if (length <= 0 || builder->m_current == &builder->m_holder) return;
  // Written as it reads (a line break may be CR LF in the file), not as a reference like "&#xA;".
  int bytes = XML_GetCurrentByteCount(builder->m_parser);
  bool literal = bytes == length || (length == 1 && text[0] == '\n' && bytes == 2);
  try {
    for (int i = 0; i < length; ++i) {
      if (literal && text[i] == '\n')
        builder->m_layoutTail = builder->m_run.size() + i;
      else if (!literal || (text[i] != ' ' && text[i] != '\t'))
        builder->m_layoutTail = std::string::npos;
    }
    builder->m_run.append(text, static_cast<size_t>(length));
    if (!literal && std::memchr(text, '\n', static_cast<size_t>(length))) builder->m_runHasBreakReference = true;
    if (!literal && std::memchr(text, '\r', static_cast<size_t>(length))) builder->m_runHasBreakReference = true;
  } catch (const std::bad_alloc&) {
    Fail(builder);
  }
}

CString ErrorText(XML_Parser parser) {
  CString text;
  text.Format("%s at line %lu", XML_ErrorString(XML_GetErrorCode(parser)),
              static_cast<unsigned long>(XML_GetCurrentLineNumber(parser)));
  return text;
}

class Parse {
 public:
  explicit Parse(const char* encoding) {
    m_builder.m_parser = m_parser = XML_ParserCreate(encoding);
    if (!m_parser) return;
    XML_SetUserData(m_parser, &m_builder);
    XML_SetElementHandler(m_parser, OnStartElement, OnEndElement);
    XML_SetCharacterDataHandler(m_parser, OnCharacterData);
  }
  ~Parse() {
    if (m_parser) XML_ParserFree(m_parser);
    m_builder.m_holder.Destroy();
  }
  bool Ok() const { return m_parser != nullptr; }

  /// False once the parser stopped; the tree built so far stays and Error() says why.
  bool Feed(const char* bytes, int length, bool final) {
    if (XML_Parse(m_parser, bytes, length, final) == XML_STATUS_OK) return true;
    m_error = m_builder.m_failed ? CString("out of memory") : ErrorText(m_parser);
    TRACE("XmlDocument - %s!\n", m_error.GetString());
    return false;
  }
  /// Empty while every byte fed so far parsed.
  const CString& Error() const { return m_error; }

  /// Detaches the root from the holder; NULL when no element was read or memory ran out.
  XmlNode* TakeRoot() {
    if (m_builder.m_failed) return nullptr;
    // Elements left open by a damaged file still get their text in stored form.
    if (m_builder.m_current != &m_builder.m_holder) TakeRun(&m_builder, false);
    for (XmlNode* node = m_builder.m_current; node && node != &m_builder.m_holder; node = node->m_parent)
      FinishText(node);
    XmlNode* root = m_builder.m_holder.m_firstChild;
    if (!root) return nullptr;
    m_builder.m_holder.m_firstChild = root->m_nextSibling;
    m_builder.m_holder.m_lastChild = nullptr;
    root->m_nextSibling = nullptr;
    root->m_parent = nullptr;
    XmpNormaliseTree(root);
    return root;
  }

 private:
  XmlTreeBuilder m_builder;
  XML_Parser m_parser = nullptr;
  CString m_error;
};

void SetError(CString* error, const CString& text) {
  if (error) *error = text;
}

}  // namespace

XmlNode* XmlDocument::LoadFile(const char* path, const char* encoding, CString* error) {
  SetError(error, "");
  if (!path) return nullptr;
  try {
    Parse parse(encoding);
    if (!parse.Ok()) {
      SetError(error, "out of memory");
      return nullptr;
    }
    FILE* file = std::fopen(NativePath(path).c_str(), "r");
    if (!file) return nullptr;  // no document, so nothing damaged
    char chunk[512];
    bool readFailed = false;
    for (;;) {
      size_t got = std::fread(chunk, 1, sizeof chunk, file);
      bool final = got < sizeof chunk;
      // A read error is not the end of the document.
      if (final && std::ferror(file)) {
        readFailed = true;
        break;
      }
      if (!parse.Feed(chunk, static_cast<int>(got), final) || final) break;
    }
    std::fclose(file);
    XmlNode* root = parse.TakeRoot();
    if (readFailed)
      SetError(error, "cannot read the file");
    else if (!parse.Error().IsEmpty())
      SetError(error, parse.Error());
    else if (!root)
      SetError(error, "out of memory");
    return root;
  } catch (const std::bad_alloc&) {
    SetError(error, "out of memory");
    return nullptr;
  }
}

XmlNode* XmlDocument::LoadBuffer(const char* bytes, size_t length, const char* encoding, CString* error) {
  SetError(error, "");
  if (!bytes && length) {
    SetError(error, "no text");
    return nullptr;
  }
  try {
    Parse parse(encoding);
    if (!parse.Ok()) {
      SetError(error, "out of memory");
      return nullptr;
    }
    // expat takes an int length; larger buffers go in as consecutive pieces.
    const size_t kPiece = INT_MAX / 2;
    do {
      size_t piece = length < kPiece ? length : kPiece;
      if (!parse.Feed(bytes, static_cast<int>(piece), piece == length)) break;
      bytes += piece;
      length -= piece;
    } while (length > 0);
    XmlNode* root = parse.TakeRoot();
    if (!parse.Error().IsEmpty())
      SetError(error, parse.Error());
    else if (!root)
      SetError(error, "out of memory");
    return root;
  } catch (const std::bad_alloc&) {
    SetError(error, "out of memory");
    return nullptr;
  }
}

namespace {

bool StartsWith(const CString& text, const char* prefix) { return text.Find(prefix) == 0; }

CString PrefixOf(const CString& name) {
  int colon = name.Find(':');
  return colon > 0 ? name.Left(colon) : CString();
}

std::vector<XmlNode*> Descriptions(XmlNode* rdf) {
  std::vector<XmlNode*> list;
  for (XmlNode* child = rdf->m_firstChild; child; child = child->m_nextSibling)
    if (child->m_name == "rdf:Description") list.push_back(child);
  return list;
}

}  // namespace

void XmpNormaliseTree(XmlNode* root) {
  if (!root || root->m_name != "x:xmpmeta") return;
  XmlNode* rdf = root->FindChild("rdf:RDF");
  if (!rdf && root->m_firstChild) rdf = root->m_firstChild->FindDescendant("rdf:RDF");
  if (!rdf) return;

  CString documentId;
  for (XmlNode* child = rdf->m_firstChild; child && documentId.IsEmpty(); child = child->m_nextSibling) {
    XmlAttribute* about = child->FindAttribute("rdf:about");
    if (about && StartsWith(about->m_value, "uuid:")) documentId = about->m_value;
  }

  // Lists are walked once with a link to the current entry, so that taking an entry out costs
  // nothing more and a hostile packet of many attributes or elements stays linear.
  for (XmlNode* description : Descriptions(rdf)) {
    // Every namespace after the first gets a description of its own; "crs" stays with "crss".
    bool first = true;
    XmlNode* target = nullptr;
    CString previous;
    for (XmlAttribute** link = &description->m_attributes; *link;) {
      XmlAttribute* attribute = *link;
      const CString& name = attribute->m_name;
      bool moved = false;
      if (StartsWith(name, "xmlns:")) {
        if (first) {
          first = false;
        } else {
          if (!(name == "xmlns:crs" && previous == "xmlns:crss")) {
            target = new XmlNode(nullptr, "rdf:Description");
            target->AddAttribute("rdf:about", documentId);
            rdf->AppendChild(target);
          }
          if (target) {
            target->AddAttribute(name, attribute->m_value);
            moved = true;
          }
        }
        previous = name;
      }
      if (moved) {
        *link = attribute->m_next;
        description->m_lastAttribute = nullptr;
        delete attribute;
      } else {
        link = &attribute->m_next;
      }
    }
  }

  // From here on no declaration moves: the first description declaring each prefix is fixed.
  std::map<std::string, XmlNode*> declaring;
  for (XmlNode* description : Descriptions(rdf))
    for (XmlAttribute* attribute = description->m_attributes; attribute; attribute = attribute->m_next)
      if (StartsWith(attribute->m_name, "xmlns:") && attribute->m_name.GetLength() > 6)
        declaring.emplace(attribute->m_name.Mid(6).str(), description);
  auto declaringDescription = [&declaring](const CString& prefix) -> XmlNode* {
    if (prefix.IsEmpty()) return nullptr;
    auto found = declaring.find(prefix.str());
    return found == declaring.end() ? nullptr : found->second;
  };

  for (XmlNode* description : Descriptions(rdf)) {
    for (XmlAttribute** link = &description->m_attributes; *link;) {
      XmlAttribute* attribute = *link;
      CString prefix = PrefixOf(attribute->m_name);
      XmlNode* owner = !prefix.IsEmpty() && prefix != "xmlns" ? declaringDescription(prefix) : nullptr;
      if (owner) {
        owner->AddElement(attribute->m_name, attribute->m_value);
        *link = attribute->m_next;
        description->m_lastAttribute = nullptr;
        delete attribute;
      } else {
        link = &attribute->m_next;
      }
    }
  }

  for (XmlNode* description : Descriptions(rdf)) {
    for (XmlNode** link = &description->m_firstChild; *link;) {
      XmlNode* element = *link;
      CString prefix = PrefixOf(element->m_name);
      for (XmlAttribute** attributeLink = &element->m_attributes; *attributeLink;) {
        XmlAttribute* attribute = *attributeLink;
        if (!prefix.IsEmpty() && PrefixOf(attribute->m_name) == prefix) {
          element->AddElement(attribute->m_name, attribute->m_value);
          *attributeLink = attribute->m_next;
          element->m_lastAttribute = nullptr;
          delete attribute;
        } else {
          attributeLink = &attribute->m_next;
        }
      }
      if (element->m_firstChild && !StartsWith(element->m_firstChild->m_name, "rdf:") &&
          !element->FindAttribute("rdf:parseType"))
        element->AddAttribute("rdf:parseType", "Resource");
      XmlNode* owner = declaringDescription(prefix);
      if (owner && owner != description) {
        *link = element->m_nextSibling;
        description->m_lastChild = nullptr;
        owner->AppendChild(element);
      } else {
        link = &element->m_nextSibling;
      }
    }
  }
}
