// Reading XML files and buffers into XmlNode trees with expat.
#pragma once

#include <cstddef>

#include "support/XmlNode.h"

class XmlDocument {
 public:
  /// Returns the root of what was read before any parse error, or NULL (missing file, no element);
  /// the caller owns the tree and frees it with XmlNode::Destroy and delete. A non-null `error`
  /// is emptied, then holds why a document that was there could not be read whole (damaged or
  /// cut text, a read error, memory); a caller that applies what it reads refuses the tree then.
  /// A file that cannot be opened leaves it empty.
  static XmlNode* LoadFile(const char* path, const char* encoding = nullptr, CString* error = nullptr);
  /// As LoadFile, for text in memory; the bytes stay the caller's.
  static XmlNode* LoadBuffer(const char* bytes, size_t length, const char* encoding = nullptr,
                             CString* error = nullptr);
};

/// Rearranges an XMP packet (root "x:xmpmeta") into one rdf:Description per namespace; other trees are left alone.
void XmpNormaliseTree(XmlNode* root);
