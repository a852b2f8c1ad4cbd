#include "support/XmlNode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/XmlDocument.h"

namespace {

struct TreeDeleter {
  void operator()(XmlNode* node) const {
    node->Destroy();
    delete node;
  }
};
using Tree = std::unique_ptr<XmlNode, TreeDeleter>;

Tree Parse(const std::string& text) { return Tree(XmlDocument::LoadBuffer(text.data(), text.size())); }

std::string Write(const XmlNode& root) {
  CString out;
  root.Serialize(out, 0);
  return out.str();
}

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = ::testing::TempDir() + "tavorin-xml-XXXXXX";
    m_path = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempFolder() {
    std::string command = "rm -rf '" + m_path + "'";
    if (!m_path.empty()) (void)std::system(command.c_str());
  }
  std::string File(const char* name, const std::string& content) const {
    std::string path = m_path + "/" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
    return path;
  }

 private:
  std::string m_path;
};

}  // namespace

TEST(XmlNodeTest, AddElementStoresEscapedTextAndGetTextDecodesIt) {
  XmlNode root(nullptr, "root");
  XmlNode* child = root.AddElement("a", "x<y & \"z\"\r\nnext");
  EXPECT_EQ(child->m_text, "x&lt;y &amp; \"z\"&#xA;next");
  EXPECT_EQ(child->GetText(), "x<y & \"z\"\rnext");
  XmlNode* accented = root.AddElement("b", "caf\xE9 \xD7");
  EXPECT_EQ(accented->m_text, "caf&#xE9; \xD7");
  EXPECT_EQ(accented->GetText(), "caf\xE9 \xD7");
  root.Destroy();
}

TEST(XmlNodeTest, EscapingInOnePassEqualsTheReplacementsInTheirOrder) {
  auto replaced = [](CString text) {
    text.Replace("&", "&amp;");
    text.Replace("\r\n", "\r");
    text.Replace("\n", "\r");
    text.Replace("\r", "&#xA;");
    text.Replace("<", "&lt;");
    text.Replace(">", "&gt;");
    for (int c = 0xC0; c <= 0xFF; ++c) {
      if (c == 0xD7 || c == 0xF7) continue;
      char entity[8];
      std::snprintf(entity, sizeof entity, "&#x%02X;", c);
      text.Replace(CString(static_cast<char>(c), 1), entity);
    }
    return text;
  };
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  const std::string texts[] = {all, "\r\r\n\n\r", "&#xE9; &amp; <&>", "a\r\nb\nc\rd\n", "", "\xC0\xD7\xF7\xFF"};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text);
    EXPECT_EQ(std::string(XmlEscapeText(CString(text.c_str())).GetString()),
              std::string(replaced(CString(text.c_str())).GetString()));
  }
}

TEST(XmlNodeTest, WritesEightBitTextAsUtf8) {
  XmlNode root(nullptr, "r");
  root.AddElement("e", "\xE9");
  root.AddElement("euro", "\x80");
  root.AddElement("deg", "\xB0");
  EXPECT_EQ(Write(root), "<r>\n<e>&#xE9;</e>\n<euro>\xE2\x82\xAC</euro>\n<deg>\xC2\xB0</deg>\n</r>\n");
  root.Destroy();
}

TEST(XmlNodeTest, SerializeIndentsFromTheSecondLevel) {
  XmlNode root(nullptr, "root");
  XmlNode* child = root.AddElement("child", nullptr);
  child->AddElement("grand", "t")->AddAttribute("id", "1");
  EXPECT_EQ(Write(root), "<root>\n<child>\n  <grand id=\"1\">t</grand>\n</child>\n</root>\n");
  root.Destroy();
}

TEST(XmlNodeTest, NamelessHolderWritesOnlyItsChildren) {
  XmlNode root(nullptr, "root");
  XmlNode* holder = root.AddElement("", nullptr);
  holder->AddElement("a", "1");
  EXPECT_EQ(Write(root), "<root>\n  <a>1</a>\n</root>\n");
  root.Destroy();
}

TEST(XmlNodeTest, AddNumberElementWritesRationals) {
  const struct {
    double value;
    const char* text;
  } rows[] = {{0.5, "5/10"},     {2, "2/1"},         {-1.25, "-125/100"}, {0, "0/1"},
              {2.5, "25/10"},    {32.032, "32032/1000"}, {1.001, "1001/1000"}, {-0.1, "-1/10"},
              {0.00001, "0/1"},  {1.0 / 3, "33333333/100000000"}, {25.123456789, "251234567/10000000"},
              {3e9, "2147483647/1"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    XmlNode root(nullptr, "r");
    EXPECT_EQ(root.AddNumberElement("n", row.value)->GetText(), row.text);
    root.Destroy();
  }
}

TEST(XmlNodeTest, FindDescendantSearchesSiblingsBeforeChildren) {
  Tree tree = Parse("<r><a><x id=\"deep\"/></a><b><x id=\"later\"/></b><x id=\"sibling\"/></r>");
  ASSERT_TRUE(tree);
  XmlNode* found = tree->m_firstChild->FindDescendant("x");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->FindAttribute("id")->m_value, "sibling");
  EXPECT_EQ(tree->FindDescendant("r"), tree.get());
  EXPECT_EQ(tree->FindDescendant("none"), nullptr);
  EXPECT_EQ(tree->FindChild("x")->FindAttribute("id")->m_value, "sibling");
  EXPECT_EQ(tree->FindChild("X"), nullptr);
}

TEST(XmlNodeTest, FindChildWithAttributeSkipsChildrenWithoutIt) {
  Tree tree = Parse("<r><k a=\"1\"/><k b=\"2\"/></r>");
  ASSERT_TRUE(tree);
  XmlNode* found = tree->FindChildWithAttribute("k", "b");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->FindAttribute("b")->m_value, "2");
  EXPECT_EQ(tree->FindChildWithAttribute("k", "c"), nullptr);
  EXPECT_EQ(tree->FindAttribute(nullptr), nullptr);
}

TEST(XmlNodeTest, AttributesKeepOrderAndDuplicates) {
  XmlNode node(nullptr, "n");
  node.AddAttribute("a", "1");
  node.AddAttribute("b", "2");
  node.AddAttribute("a", "3");
  EXPECT_EQ(Write(node), "<n a=\"1\" b=\"2\" a=\"3\"></n>\n");
  node.Destroy();
}

TEST(XmlNodeTest, AttributeValuesAreEscapedAndComeBackUnchanged) {
  const char* values[] = {"say \"hi\"", "a & b", "<key>", "caf\xE9 \x80 \xC3\xA9", "tab\there\r\nline", "it's"};
  for (const char* value : values) {
    SCOPED_TRACE(value);
    XmlNode root(nullptr, "key");
    root.AddAttribute("label", value);
    std::string written = Write(root);
    root.Destroy();
    Tree read = Parse("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + written);
    ASSERT_TRUE(read) << written;
    ASSERT_TRUE(read->FindAttribute("label"));
    EXPECT_EQ(read->FindAttribute("label")->m_value, value);
    EXPECT_EQ(Write(*read), written);
  }
}

TEST(XmlNodeTest, TextSurvivesWriteReadWrite) {
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  const std::string texts[] = {"&amp; &lt; &#xE9; &#65; &quot;", "<![CDATA[x]]>", "line\r\nbreak\rand\nmore",
                               "\xC0\xFF\xD7\xF7\x80\x81\x9F", "  spaced  ", std::string(100000, 'x') + "\xE9"};
  for (const std::string& text : texts) {
    SCOPED_TRACE(text.substr(0, 40));
    XmlNode root(nullptr, "root");
    root.AddElement("t", text.c_str());
    std::string first = Write(root);
    CString expected = root.m_firstChild->GetText();
    root.Destroy();
    Tree read = Parse(first);
    ASSERT_TRUE(read);
    ASSERT_TRUE(read->FindChild("t"));
    EXPECT_EQ(read->FindChild("t")->GetText(), expected);
    EXPECT_EQ(Write(*read), first);
    XmlNode again(nullptr, "root");
    again.AddElement("t", read->FindChild("t")->GetText());
    EXPECT_EQ(Write(again), first);
    again.Destroy();
  }
  // Control characters other than tab and line breaks have no XML form; the file must still parse.
  XmlNode root(nullptr, "root");
  root.AddElement("t", all.c_str());
  Tree read = Parse(Write(root));
  root.Destroy();
  ASSERT_TRUE(read);
  ASSERT_TRUE(read->FindChild("t"));
  EXPECT_EQ(read->FindChild("t")->GetText().Right(64), CString(all.substr(all.size() - 64)));
}

TEST(XmlNodeTest, ReadsUtf8AndTheEuroSign) {
  Tree tree = Parse("<r a=\"\xEF\xBB\xBF\xC3\xA9\">\xC3\xA9\xE2\x82\xAC\xC2\xB0</r>");
  ASSERT_TRUE(tree);
  EXPECT_EQ(tree->GetText(), "\xE9\x80\xB0");
  EXPECT_EQ(tree->FindAttribute("a")->m_value, "\xE9");
}

TEST(XmlNodeTest, LoadFileReadsEveryChunkBoundary) {
  TempFolder folder;
  for (size_t size : {511u, 512u, 513u, 1023u, 1024u, 1025u, 5000u}) {
    SCOPED_TRACE(size);
    std::string head = "<r><a>", tail = "</a><last>end</last></r>";
    std::string body(size - head.size() - tail.size(), 'x');
    std::string path = folder.File("chunks.xml", head + body + tail);
    Tree tree(XmlDocument::LoadFile(path.c_str()));
    ASSERT_TRUE(tree);
    ASSERT_TRUE(tree->FindChild("last"));
    EXPECT_EQ(tree->FindChild("last")->GetText(), "end");
    EXPECT_EQ(tree->FindChild("a")->GetText(), CString(body));
  }
  EXPECT_EQ(XmlDocument::LoadFile((std::string(::testing::TempDir()) + "/no-such-tavorin.xml").c_str()), nullptr);
}

TEST(XmlNodeTest, DamagedInputYieldsWhatWasReadBeforeTheErrorAndSaysSo) {
  const struct {
    const char* text;
    bool root;
    const char* lastChild;
    bool damaged;
  } rows[] = {
      {"<r><a>1</a><b>2</b><c>3</oops></r>", true, "c", true},
      {"<r><a>1</a>", true, "a", true},
      {"", false, nullptr, true},
      {"not xml", false, nullptr, true},
      {"<r a=\"1\" a=\"2\"/>", false, nullptr, true},
      {"<r><a>&undefined;</a></r>", true, "a", true},
      {"<r>\x01</r>", true, nullptr, true},
      {"<r><a>&#x0;</a></r>", true, "a", true},
      {"<r/><second/>", true, nullptr, true},
      {"<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
       "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]><r>&c;&c;</r>",
       true, nullptr, false},
      {"<r><a>1</a><b>2</b></r>\n", true, "b", false},
  };
  TempFolder folder;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    CString error = "stale";
    Tree tree(XmlDocument::LoadBuffer(row.text, std::strlen(row.text), nullptr, &error));
    EXPECT_EQ(static_cast<bool>(tree), row.root);
    EXPECT_EQ(!error.IsEmpty(), row.damaged) << error.GetString();
    if (tree && row.lastChild) {
      XmlNode* last = tree->m_firstChild;
      while (last && last->m_nextSibling) last = last->m_nextSibling;
      ASSERT_TRUE(last);
      EXPECT_EQ(last->GetName(), row.lastChild);
    }
    // The same bytes from a file say the same.
    error = "stale";
    Tree fromFile(XmlDocument::LoadFile(folder.File("damaged.xml", row.text).c_str(), nullptr, &error));
    EXPECT_EQ(static_cast<bool>(fromFile), row.root);
    EXPECT_EQ(!error.IsEmpty(), row.damaged) << error.GetString();
  }
  // The message names expat's reason and line; a missing file is no damage.
  CString error;
  Tree cut(XmlDocument::LoadBuffer("<r>\n<a>\n", 9, nullptr, &error));
  EXPECT_TRUE(cut);
  EXPECT_NE(std::string(error).find("at line 3"), std::string::npos) << error.GetString();
  error = "stale";
  const std::string missing = folder.File("present.xml", "") + "-missing";
  EXPECT_EQ(XmlDocument::LoadFile(missing.c_str(), nullptr, &error), nullptr);
  EXPECT_TRUE(error.IsEmpty());
}

TEST(XmlNodeTest, LongSiblingListsAreBuiltInOrder) {
  // 200,000 siblings: built by walking the list for each one, this took minutes.
  std::string text = "<r>";
  for (int i = 0; i < 200000; ++i) text += "<a/>";
  text += "<last/></r>";
  CString error;
  Tree tree(XmlDocument::LoadBuffer(text.data(), text.size(), nullptr, &error));
  ASSERT_TRUE(tree);
  EXPECT_TRUE(error.IsEmpty());
  int count = 0;
  XmlNode* last = nullptr;
  for (XmlNode* node = tree->m_firstChild; node; node = node->m_nextSibling, ++count) last = node;
  EXPECT_EQ(count, 200001);
  ASSERT_TRUE(last);
  EXPECT_EQ(last->GetName(), "last");
  EXPECT_EQ(last->m_parent, tree.get());

  // Appending after the list was changed by hand still lands at its end.
  XmlNode holder(nullptr, "h");
  XmlNode* a = holder.AddElement("a", nullptr);
  XmlNode* b = holder.AddElement("b", nullptr);
  a->m_nextSibling = nullptr;  // a caller takes "b" out and says so
  holder.m_lastChild = nullptr;
  XmlNode* c = holder.AddElement("c", nullptr);
  EXPECT_EQ(a->m_nextSibling, c);
  holder.Destroy();
  delete b;
}

TEST(XmlNodeTest, XmpPacketOfManyNamespacesIsRearrangedInLinearTime) {
  // 100,000 namespaces, each with an attribute and an element: looking up the declaring
  // description by walking every description for each of them took hours.
  const int count = 100000;
  std::string text = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"r\"><rdf:Description rdf:about=\"uuid:7\"";
  for (int i = 0; i < count; ++i) text += " xmlns:p" + std::to_string(i) + "=\"u\"";
  for (int i = 0; i < count; ++i) text += " p" + std::to_string(i) + ":a=\"v" + std::to_string(i) + "\"";
  text += ">";
  for (int i = 0; i < count; i += 1000) text += "<p" + std::to_string(i) + ":e>t</p" + std::to_string(i) + ":e>";
  text += "</rdf:Description></rdf:RDF></x:xmpmeta>";
  Tree tree = Parse(text);
  ASSERT_TRUE(tree);
  XmlNode* rdf = tree->FindChild("rdf:RDF");
  ASSERT_TRUE(rdf);
  std::vector<XmlNode*> descriptions;
  for (XmlNode* d = rdf->m_firstChild; d; d = d->m_nextSibling) descriptions.push_back(d);
  ASSERT_EQ(descriptions.size(), static_cast<size_t>(count));
  // The first keeps namespace 0 with its attribute turned element and its own element.
  XmlNode* first = descriptions[0];
  ASSERT_TRUE(first->FindAttribute("xmlns:p0"));
  EXPECT_FALSE(first->FindAttribute("p0:a"));
  ASSERT_TRUE(first->FindChild("p0:a"));
  EXPECT_EQ(first->FindChild("p0:a")->GetText(), "v0");
  EXPECT_TRUE(first->FindChild("p0:e"));
  // Each later namespace has a description of its own holding what is in it.
  XmlNode* later = descriptions[5000];
  ASSERT_TRUE(later->FindAttribute("xmlns:p5000"));
  EXPECT_EQ(later->FindAttribute("rdf:about")->m_value, "uuid:7");
  ASSERT_TRUE(later->FindChild("p5000:a"));
  EXPECT_EQ(later->FindChild("p5000:a")->GetText(), "v5000");
  EXPECT_TRUE(later->FindChild("p5000:e"));
  EXPECT_FALSE(first->FindChild("p5000:e"));
}

TEST(XmlNodeTest, XmpMovesKeepEveryListAppendable) {
  Tree tree = Parse(
      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"r\">"
      "<rdf:Description rdf:about=\"uuid:1\" xmlns:dc=\"d\" xmlns:xmp=\"m\" xmp:Rating=\"3\">"
      "<xmp:Label>L</xmp:Label><dc:title>T</dc:title></rdf:Description></rdf:RDF></x:xmpmeta>");
  ASSERT_TRUE(tree);
  XmlNode* rdf = tree->FindChild("rdf:RDF");
  ASSERT_TRUE(rdf);
  for (XmlNode* description = rdf->m_firstChild; description; description = description->m_nextSibling) {
    XmlNode* added = description->AddElement("added", nullptr);
    description->AddAttribute("added", "1");
    XmlNode* last = description->m_firstChild;
    while (last->m_nextSibling) last = last->m_nextSibling;
    EXPECT_EQ(last, added);
    XmlAttribute* attribute = description->m_attributes;
    while (attribute->m_next) attribute = attribute->m_next;
    EXPECT_EQ(attribute->m_name, "added");
  }
}

TEST(XmlNodeTest, BlankTextWrittenAsReferencesBesideAChildIsKept) {
  // Line breaks written as references are text even beside a child, so blank text with breaks
  // writes back the same; such a run once vanished on the second read.
  const struct {
    const char* text;
    const char* expected;
  } rows[] = {
      {"<r>&#xA;  &#xA;<a/></r>", "\r  \r"},
      {"<r><a/>&#32;</r>", ""},  // blanks beside a child are layout however written
      {"<r>\n  <a/>\n</r>", ""},  // the file's own layout
      {"<r>\n  \xC8\x8D<a/></r>", "\r  \r"},  // U+020D reads as a CR
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    Tree tree = Parse(row.text);
    ASSERT_TRUE(tree);
    EXPECT_EQ(tree->GetText(), row.expected);
    CString first, second;
    tree->Serialize(first, 0);
    Tree again = Parse(first.str());
    ASSERT_TRUE(again);
    again->Serialize(second, 0);
    EXPECT_EQ(second, first);
  }
}

TEST(XmlNodeTest, DeepNestingIsFreedWithoutExhaustingTheStack) {
  std::string text;
  for (int i = 0; i < 200000; ++i) text += "<a>";
  Tree tree = Parse(text);
  ASSERT_TRUE(tree);
  EXPECT_EQ(tree->FindDescendant("b"), nullptr);
}

TEST(XmlNodeTest, XmpPacketsGetOneDescriptionPerNamespace) {
  Tree tree = Parse(
      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"r\">"
      "<rdf:Description rdf:about=\"uuid:42\" xmlns:dc=\"d\" xmlns:xmp=\"m\" xmp:Rating=\"3\">"
      "<dc:title><rdf:Alt><rdf:li>T</rdf:li></rdf:Alt></dc:title><xmp:Label>L</xmp:Label>"
      "</rdf:Description></rdf:RDF></x:xmpmeta>");
  ASSERT_TRUE(tree);
  XmlNode* rdf = tree->FindChild("rdf:RDF");
  ASSERT_TRUE(rdf);
  XmlNode* first = rdf->m_firstChild;
  ASSERT_TRUE(first && first->m_nextSibling);
  XmlNode* second = first->m_nextSibling;
  EXPECT_TRUE(first->FindAttribute("xmlns:dc"));
  EXPECT_FALSE(first->FindAttribute("xmlns:xmp"));
  EXPECT_EQ(second->FindAttribute("rdf:about")->m_value, "uuid:42");
  EXPECT_TRUE(second->FindAttribute("xmlns:xmp"));
  EXPECT_EQ(second->FindChild("xmp:Rating")->GetText(), "3");
  EXPECT_TRUE(second->FindChild("xmp:Label"));
  EXPECT_FALSE(first->FindChild("xmp:Label"));
  EXPECT_TRUE(first->FindChild("dc:title"));
  EXPECT_FALSE(first->FindAttribute("xmp:Rating"));
}

TEST(XmlNodeTest, ParsedTreesWriteBackUnchanged) {
  XmlNode root(nullptr, "Tavorin");
  root.AddAttribute("version", "3.1");
  XmlNode* settings = root.AddElement("photobooth_settings", nullptr);
  settings->AddElement("photoboothCaption1Text", "Line one\r\nLine two\t");
  XmlNode* box = settings->AddElement("box", nullptr);
  box->AddIntElement("left", -12);
  box->AddNumberElement("border", 2.5);
  settings->AddElement("empty", "");
  std::string first = Write(root);
  root.Destroy();
  Tree read = Parse(first);
  ASSERT_TRUE(read);
  EXPECT_EQ(Write(*read), first);
  EXPECT_EQ(read->FindDescendant("photoboothCaption1Text")->GetText(), "Line one\rLine two\t");
  EXPECT_EQ(read->FindDescendant("border")->GetText(), "25/10");

}

// Runs of text beside child elements keep their blanks; white space alone there, and the line
// break with indentation the writer puts before a child, are layout.
TEST(XmlNodeTest, TextBesideChildElementsKeepsItsBlanks) {
  struct Row {
    const char* xml;
    const char* text;
  } rows[] = {
      {"<r>Hello <b>x</b>world</r>", "Hello world"},
      {"<r>Hello<b>x</b> world</r>", "Hello world"},
      {"<r>note \n  <a>1</a>\n  tail\t</r>", "note \r  tail\t"},  // a line break reads as CR
      {"<r>\n  <a>1</a>\n  <b>2</b>\n</r>", ""},
      {"<r>line&#xA;\n  <a>1</a></r>", "line\r"},
      {"<r> <a>1</a> </r>", ""},
      {"<t>  spaced  </t>", "  spaced  "},
      {"<t> </t>", " "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.xml);
    Tree read = Parse(row.xml);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->GetText(), row.text);
    std::string first = Write(*read);
    Tree again = Parse(first);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->GetText(), read->GetText());
    EXPECT_EQ(Write(*again), first);
  }
}
