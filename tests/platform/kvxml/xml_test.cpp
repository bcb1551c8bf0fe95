#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "kvxml/dom.h"
#include "kvxml/sdomdocument.h"
#include "support/temp_files.h"
#include "support/outside_readers.h"

namespace {

namespace fs = std::filesystem;

using kvtest::HaveTool;
using kvtest::ReadFile;
using kvtest::TempDir;

// A small document: declaration, document type, root with children.
DOM_Document MakeDoc() {
  DOM_DOMImplementation& impl = DOM_DOMImplementation::getImplementation();
  DOM_DocumentType type = impl.createDocumentType("note", "-//KV//DTD Note//EN", "note.dtd");
  DOM_Document doc = impl.createDocument("urn:kv", "note", type);
  doc.insertBefore(doc.createXMLDecl("1.0", "UTF-8", "no"), doc.getDoctype());
  return doc;
}

std::string Text(const DOM_Document& doc, int options = 3) {
  DOM_Document d = doc;
  return SDOMDocument(&d).ToString(options).ToUtf8();
}

TEST(XmlDocument, PrologRootAndChildrenInOrder) {
  DOM_Document doc = MakeDoc();
  DOM_Element root = doc.getDocumentElement();
  ASSERT_FALSE(root.isNull());
  EXPECT_EQ(root.getTagName().str(), SString("note"));
  root.setAttribute("b", "2");
  root.setAttribute("a", "1");
  root.setAttribute("b", "3");  // replaced in place
  DOM_Element to = doc.createElement("to");
  EXPECT_TRUE(to.getParentNode().isNull());  // created, not attached
  to.appendChild(doc.createTextNode(u"Tove & <Jani>"));
  root.appendChild(to);
  DOM_Element empty = doc.createElement("empty");
  root.insertBefore(empty, to);
  root.appendChild(doc.createProcessingInstruction("kv", "x=1"));

  const std::string s = Text(doc);
  EXPECT_EQ(s.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
                    "<!DOCTYPE note PUBLIC \"-//KV//DTD Note//EN\" \"note.dtd\">\n"
                    "<note b=\"3\" a=\"1\">",
                    0),
            0u)
      << s;
  EXPECT_NE(s.find("<empty />"), std::string::npos) << s;
  EXPECT_LT(s.find("<empty"), s.find("<to>"));
  EXPECT_NE(s.find("<to>Tove &amp; &lt;Jani&gt;</to>"), std::string::npos) << s;
  EXPECT_NE(s.find("<?kv x=1?>"), std::string::npos) << s;

  // Without the prolog bit only the tree is written; without indentation on one line.
  const std::string bare = Text(doc, 0);
  EXPECT_EQ(bare.rfind("<note", 0), 0u) << bare;
  EXPECT_EQ(bare.find('\n'), bare.size() - 1);

  // Navigation shows no internal nodes.
  EXPECT_EQ(doc.getFirstChild().getNodeType(), DOM_Node::XML_DECL_NODE);
  EXPECT_EQ(doc.getLastChild(), DOM_Node(root));
  EXPECT_EQ(root.getFirstChild(), DOM_Node(empty));
  EXPECT_EQ(empty.getNextSibling(), DOM_Node(to));
}

TEST(XmlDocument, AttributeAndTextEscapingAndDroppedCharacters) {
  DOM_Document doc = MakeDoc();
  DOM_Element root = doc.getDocumentElement();
  // Controls other than tab, LF and CR, U+FFFE, U+FFFF and lone surrogates
  // cannot be written in XML 1.0; a valid pair (U+1F600) stays.
  std::u16string in = u"a\x01" u"b\x0B" u"c\t\n";
  in += char16_t(0xFFFE);
  in += char16_t(0xFFFF);
  in += char16_t(0xD800);  // lone high surrogate
  in += u"d";
  in += char16_t(0xDC00);  // lone low surrogate
  in += u"\U0001F600\u00E9\"<&>";
  root.setAttribute("v", SString(in));
  root.appendChild(doc.createTextNode(SString(in)));
  const std::string s = Text(doc);
  EXPECT_NE(s.find("v=\"abc&#09;&#10;d\xF0\x9F\x98\x80\xC3\xA9&quot;&lt;&amp;>\""), std::string::npos) << s;
  EXPECT_NE(s.find(">abc\t\nd\xF0\x9F\x98\x80\xC3\xA9\"&lt;&amp;&gt;</note>"), std::string::npos) << s;
  for (unsigned char c : s) EXPECT_TRUE(c >= 0x20 || c == '\t' || c == '\n' || c == '\r') << int(c);
  EXPECT_EQ(s.find("\xEF\xBF\xBE"), std::string::npos);
  EXPECT_EQ(s.find("\xEF\xBF\xBF"), std::string::npos);
  EXPECT_EQ(s.find("\xED"), std::string::npos);  // no encoded surrogate
}

// Names and values given in UTF-8 end up exactly as the same texts given in
// UTF-16; a bad name is refused either way.
TEST(XmlDocument, Utf8AttributesMatchUtf16Ones) {
  const char* values[] = {"plain", "a<b&c\"d'", "tab\there", "\x01dropped", "\xC3\xA9t\xC3\xA9", ""};
  DOM_Document one = MakeDoc(), two = MakeDoc();
  DOM_Element a = one.getDocumentElement(), b = two.getDocumentElement();
  int i = 0;
  for (const char* v : values) {
    const std::string name = "n" + std::to_string(i++) + "-x.y";
    a.setAttribute(name.c_str(), v);
    b.setAttribute(DOMString(SString::FromUtf8(name)), DOMString(SString::FromUtf8(v)));
  }
  a.setAttribute("n0-x.y", "again");  // replaces, keeps the place
  b.setAttribute(DOMString(SString::FromUtf8("n0-x.y")), DOMString(SString::FromUtf8("again")));
  a.setAttribute("num", 42);
  b.setAttribute(DOMString(SString::FromUtf8("num")), 42);
  a.setAttribute("real", 0.25);
  b.setAttribute(DOMString(SString::FromUtf8("real")), 0.25);
  EXPECT_EQ(Text(one), Text(two));
  for (const char* bad : {"", "1st", "a b", "x<"}) {
    EXPECT_THROW(a.setAttribute(bad, "v"), DOM_DOMException) << bad;
    EXPECT_THROW(a.setAttribute(bad, 3), DOM_DOMException) << bad;
  }
}

// Switches LC_ALL to a locale whose decimal separator is a comma; generates
// one with localedef into a private folder when none is installed.
class CommaLocale {
 public:
  CommaLocale() {
    old_ = std::setlocale(LC_ALL, nullptr);
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8"})
      if (std::setlocale(LC_ALL, name)) return;
    if (std::system("command -v localedef >/dev/null 2>&1") != 0) return;
    const std::string cmd = "localedef -i de_DE -f UTF-8 " + (dir_.path / "de_DE.UTF-8").string() + " >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0) return;
    ::setenv("LOCPATH", dir_.path.c_str(), 1);
    std::setlocale(LC_ALL, "de_DE.UTF-8");
  }
  ~CommaLocale() {
    std::setlocale(LC_ALL, old_.c_str());
    ::unsetenv("LOCPATH");
  }
  bool Active() const { return std::localeconv()->decimal_point[0] == ','; }

 private:
  std::string old_;
  TempDir dir_{"kvxml_locales"};
};

TEST(XmlDocument, NumbersIgnoreTheProcessLocale) {
  CommaLocale comma;
  if (!comma.Active()) GTEST_SKIP() << "no locale with a decimal comma can be made here";
  char buf[16];
  std::snprintf(buf, sizeof buf, "%.1f", 0.5);
  ASSERT_STREQ(buf, "0,5");  // the locale is really in effect
  DOM_Document doc = MakeDoc();
  DOM_Element root = doc.getDocumentElement();
  root.setAttribute("half", 0.5);
  root.setAttribute("big", 1234567.25);
  root.setAttribute("neg", -0.125);
  root.setAttribute("int", 1234567);
  root.setAttribute("ll", -9000000000LL);
  const std::string s = Text(doc);
  EXPECT_NE(s.find("half=\"0.5\""), std::string::npos) << s;
  EXPECT_NE(s.find("big=\"1234567.25\""), std::string::npos) << s;
  EXPECT_NE(s.find("neg=\"-0.125\""), std::string::npos) << s;
  EXPECT_NE(s.find("int=\"1234567\""), std::string::npos) << s;
  EXPECT_NE(s.find("ll=\"-9000000000\""), std::string::npos) << s;
}

TEST(XmlDocument, TreeErrorsAreDomExceptions) {
  DOM_Document doc = MakeDoc();
  DOM_Element root = doc.getDocumentElement();
  DOM_Element a = doc.createElement("a");
  DOM_Element b = doc.createElement("b");
  root.appendChild(a);
  a.appendChild(b);
  auto code = [](auto&& f) -> int {
    try {
      f();
    } catch (const DOM_DOMException& e) {
      return e.code;
    }
    return 0;
  };
  EXPECT_EQ(code([&] { doc.createElement("1bad"); }), DOM_DOMException::INVALID_CHARACTER_ERR);
  EXPECT_EQ(code([&] { doc.createElement(""); }), DOM_DOMException::INVALID_CHARACTER_ERR);
  EXPECT_EQ(code([&] { root.setAttribute("a b", "x"); }), DOM_DOMException::INVALID_CHARACTER_ERR);
  EXPECT_EQ(code([&] { b.appendChild(a); }), DOM_DOMException::HIERARCHY_REQUEST_ERR);  // a holds b
  EXPECT_EQ(code([&] { a.appendChild(a); }), DOM_DOMException::HIERARCHY_REQUEST_ERR);
  EXPECT_EQ(code([&] { doc.appendChild(doc.createElement("second")); }), DOM_DOMException::HIERARCHY_REQUEST_ERR);
  EXPECT_EQ(code([&] { doc.appendChild(doc.createTextNode("x")); }), DOM_DOMException::HIERARCHY_REQUEST_ERR);
  EXPECT_EQ(code([&] { a.appendChild(doc.createXMLDecl("1.0", "", "")); }), DOM_DOMException::HIERARCHY_REQUEST_ERR);
  DOM_Document other = MakeDoc();
  EXPECT_EQ(code([&] { root.appendChild(other.createElement("x")); }), DOM_DOMException::WRONG_DOCUMENT_ERR);
  EXPECT_EQ(code([&] { root.insertBefore(doc.createElement("x"), b); }), DOM_DOMException::NOT_FOUND_ERR);
  EXPECT_EQ(code([&] { DOM_Element().setAttribute("x", "1"); }), DOM_DOMException::NOT_SUPPORTED_ERR);
  EXPECT_EQ(code([] { SDOMDocument().ToString(3); }), DOM_DOMException::INVALID_STATE_ERR);
  // A failed call leaves the tree as it was.
  EXPECT_EQ(Text(doc, 0), "<note><a><b/></a></note>\n");
}

TEST(XmlDocument, NodesOutliveTheDocumentHandle) {
  DOM_Element kept;
  {
    DOM_Document doc = MakeDoc();
    kept = doc.createElement("kept");
    doc.getDocumentElement().appendChild(kept);
  }
  kept.setAttribute("still", "here");
  EXPECT_EQ(kept.getAttribute("still").str(), SString("here"));
  EXPECT_EQ(Text(kept.getOwnerDocument(), 0), "<note><kept still=\"here\"/></note>\n");
}

TEST(XmlDocument, WritesFilesCompletelyOrNotAtAll) {
  TempDir dir;
  DOM_Document doc = MakeDoc();
  doc.getDocumentElement().appendChild(doc.createTextNode(u"\u00E9t\u00E9"));
  SDOMDocument writer(&doc);

  const fs::path utf8 = dir.path / "a.xml";
  ASSERT_TRUE(writer.Write(SString(utf8.string()), SOutputStringStream::EncodingUtf8, 3));
  const std::string bytes = ReadFile(utf8);
  EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"", 0), 0u);
  EXPECT_NE(bytes.find("<note>\xC3\xA9t\xC3\xA9</note>"), std::string::npos) << bytes;

  const fs::path utf16 = dir.path / "b.xml";
  ASSERT_TRUE(writer.Write(SString(utf16.string()), SOutputStringStream::EncodingUtf16, 3));
  const std::string wide = ReadFile(utf16);
  ASSERT_GE(wide.size(), 4u);
  EXPECT_EQ(wide.substr(0, 4), std::string("\xFF\xFE<\0", 4));
  EXPECT_NE(wide.find(std::string("U\0T\0F\0-\0" "1\0" "6\0", 12)), std::string::npos);

  // Through a text stream, as the export writes it.
  {
    SOutputFile file(SString((dir.path / "c.xml").string()));
    SOutputStringStream out(file);
    writer.Write(out, 3);
    out.Flush();
  }
  EXPECT_EQ(ReadFile(dir.path / "c.xml"), bytes);

  // A folder that does not exist: failure, and nothing left behind.
  const fs::path bad = dir.path / "missing" / "d.xml";
  EXPECT_FALSE(writer.Write(SString(bad.string()), SOutputStringStream::EncodingUtf8, 3));
  EXPECT_FALSE(fs::exists(dir.path / "missing"));
  // No document: failure, no file.
  EXPECT_FALSE(SDOMDocument().Write(SString((dir.path / "e.xml").string()), SOutputStringStream::EncodingUtf8, 3));
  EXPECT_FALSE(fs::exists(dir.path / "e.xml"));

  if (HaveTool("xmllint")) {
    for (const char* name : {"a.xml", "b.xml"}) {
      const std::string cmd = "xmllint --noout --nonet " + (dir.path / name).string() + " 2>&1";
      EXPECT_EQ(std::system(cmd.c_str()), 0) << name;
    }
  }
}

}  // namespace
