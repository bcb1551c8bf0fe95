#include "kvxml/dom.h"

#include "win/winutf8.h"

#include <pugixml.hpp>

#include <charconv>
#include <cmath>

#include "kvxml/domimpl.h"

// ---- texts --------------------------------------------------------------------------

namespace {

bool IsXmlChar(char32_t c) {
  if (c < 0x20) return c == 0x09 || c == 0x0A || c == 0x0D;
  if (c >= 0xD800 && c <= 0xDFFF) return false;
  return c != 0xFFFE && c != 0xFFFF && c <= 0x10FFFF;
}

// Name characters as XML 1.0 (fifth edition) gives them.
bool IsNameStart(char32_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || (c >= 0xC0 && c <= 0xD6) ||
         (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) || (c >= 0x370 && c <= 0x37D) ||
         (c >= 0x37F && c <= 0x1FFF) || (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
         (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) || (c >= 0xF900 && c <= 0xFDCF) ||
         (c >= 0xFDF0 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0xEFFFF);
}
bool IsNameChar(char32_t c) {
  return IsNameStart(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
         (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

std::u32string Decode(const SString& s) {
  std::u32string out;
  const std::u16string& u = s.str();
  for (std::size_t i = 0; i < u.size(); ++i) {
    char32_t c = u[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < u.size() && u[i + 1] >= 0xDC00 && u[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (u[i + 1] - 0xDC00);
      ++i;
    }
    out += c;
  }
  return out;
}

}  // namespace

std::string DOMString::ToXmlUtf8() const {
  std::string out;
  out.reserve(m_s.str().size());
  for (char32_t c : Decode(m_s))
    if (IsXmlChar(c)) KvAppendUtf8(out, c);
  return out;
}

bool DOMIsXmlName(const DOMString& name) {
  const std::u32string s = Decode(name.str());
  if (s.empty() || !IsNameStart(s[0])) return false;
  for (char32_t c : s)
    if (!IsNameChar(c)) return false;
  return true;
}

[[noreturn]] void DOMThrow(short code, const char* what) { throw DOM_DOMException(code, SString(what)); }

// ---- access to the handles' insides ------------------------------------------------

namespace {
pugi::xml_node N(void* p) { return pugi::xml_node(static_cast<pugi::xml_node_struct*>(p)); }
void* P(pugi::xml_node n) { return n.internal_object(); }

// Nodes the caller can see: every node but the holder of unattached nodes.
pugi::xml_node Visible(const DOMDocImpl& d, pugi::xml_node n) {
  while (n && d.IsHidden(n)) n = n.next_sibling();
  return n;
}
pugi::xml_node VisibleBack(const DOMDocImpl& d, pugi::xml_node n) {
  while (n && d.IsHidden(n)) n = n.previous_sibling();
  return n;
}
}  // namespace

DOMDocImpl::DOMDocImpl() { limbo = doc.append_child(pugi::node_element); }

pugi::xml_node DOMDocImpl::Root() const {
  for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
    if (n.type() == pugi::node_element && !IsHidden(n)) return n;
  return pugi::xml_node();
}

pugi::xml_node DOMDocImpl::Doctype() const {
  for (pugi::xml_node n = doc.first_child(); n; n = n.next_sibling())
    if (n.type() == pugi::node_doctype && !IsHidden(n)) return n;
  return pugi::xml_node();
}

struct DOMAccess {
  template <class T>
  static T Make(const std::shared_ptr<DOMDocImpl>& d, pugi::xml_node n) {
    if (!n) return T();
    return T(d, P(n));
  }
  static DOMDocImpl* Doc(const DOM_Node& n) { return n.m_doc.get(); }
  static const std::shared_ptr<DOMDocImpl>& DocPtr(const DOM_Node& n) { return n.m_doc; }
  static pugi::xml_node Node(const DOM_Node& n) { return N(n.m_node); }
};

pugi::xml_node DOMNodeOf(const DOM_Node& n) { return DOMAccess::Node(n); }
DOMDocImpl* DOMDocOf(const DOM_Node& n) { return DOMAccess::Doc(n); }

// ---- DOM_Node ---------------------------------------------------------------------------

void DOM_Node::Check() const {
  if (!m_node) DOMThrow(DOM_DOMException::NOT_SUPPORTED_ERR, "null node");
}

short DOM_Node::getNodeType() const {
  Check();
  switch (N(m_node).type()) {
    case pugi::node_element: return ELEMENT_NODE;
    case pugi::node_pcdata:
    case pugi::node_cdata: return TEXT_NODE;
    case pugi::node_pi: return PROCESSING_INSTRUCTION_NODE;
    case pugi::node_comment: return COMMENT_NODE;
    case pugi::node_document: return DOCUMENT_NODE;
    case pugi::node_doctype: return DOCUMENT_TYPE_NODE;
    case pugi::node_declaration: return XML_DECL_NODE;
    default: return 0;
  }
}

DOMString DOM_Node::getNodeName() const {
  Check();
  pugi::xml_node n = N(m_node);
  switch (n.type()) {
    case pugi::node_pcdata:
    case pugi::node_cdata: return DOMString("#text");
    case pugi::node_document: return DOMString("#document");
    case pugi::node_doctype: return DOMString(m_doc->doctypeName);
    default: return DOMString(SString::FromUtf8(n.name()));
  }
}

DOMString DOM_Node::getNodeValue() const {
  Check();
  pugi::xml_node n = N(m_node);
  if (n.type() == pugi::node_element || n.type() == pugi::node_document || n.type() == pugi::node_doctype)
    return DOMString();
  return DOMString(SString::FromUtf8(n.value()));
}

DOM_Node DOM_Node::getParentNode() const {
  Check();
  pugi::xml_node n = N(m_node);
  pugi::xml_node p = n.parent();
  if (p == m_doc->limbo || m_doc->IsHidden(n)) return DOM_Node();
  return DOMAccess::Make<DOM_Node>(m_doc, p);
}

DOM_Node DOM_Node::getFirstChild() const {
  Check();
  pugi::xml_node n = N(m_node);
  if (n == m_doc->limbo) return DOM_Node();
  return DOMAccess::Make<DOM_Node>(m_doc, Visible(*m_doc, n.first_child()));
}

DOM_Node DOM_Node::getLastChild() const {
  Check();
  return DOMAccess::Make<DOM_Node>(m_doc, VisibleBack(*m_doc, N(m_node).last_child()));
}

DOM_Node DOM_Node::getNextSibling() const {
  Check();
  pugi::xml_node n = N(m_node);
  if (n.parent() == m_doc->limbo || m_doc->IsHidden(n)) return DOM_Node();
  return DOMAccess::Make<DOM_Node>(m_doc, Visible(*m_doc, n.next_sibling()));
}

DOM_Node DOM_Node::getPreviousSibling() const {
  Check();
  pugi::xml_node n = N(m_node);
  if (n.parent() == m_doc->limbo || m_doc->IsHidden(n)) return DOM_Node();
  return DOMAccess::Make<DOM_Node>(m_doc, VisibleBack(*m_doc, n.previous_sibling()));
}

DOM_Document DOM_Node::getOwnerDocument() const {
  Check();
  return DOMAccess::Make<DOM_Document>(m_doc, m_doc->doc);
}

namespace {

// Whether `child` may become a child of `parent`; throws when not.
void CheckInsert(const std::shared_ptr<DOMDocImpl>& pd, pugi::xml_node parent, const std::shared_ptr<DOMDocImpl>& cd,
                 pugi::xml_node child) {
  if (!parent || !child) DOMThrow(DOM_DOMException::NOT_SUPPORTED_ERR, "null node");
  if (pd != cd) DOMThrow(DOM_DOMException::WRONG_DOCUMENT_ERR, "node of another document");
  for (pugi::xml_node a = parent; a; a = a.parent())
    if (a == child) DOMThrow(DOM_DOMException::HIERARCHY_REQUEST_ERR, "a node cannot hold itself");
  const pugi::xml_node_type pt = parent.type(), ct = child.type();
  if (ct == pugi::node_document) DOMThrow(DOM_DOMException::HIERARCHY_REQUEST_ERR, "document as a child");
  if (pt == pugi::node_document) {
    if (ct == pugi::node_pcdata || ct == pugi::node_cdata)
      DOMThrow(DOM_DOMException::HIERARCHY_REQUEST_ERR, "text outside the root element");
    if (ct == pugi::node_element) {
      pugi::xml_node root = pd->Root();
      if (root && root != child) DOMThrow(DOM_DOMException::HIERARCHY_REQUEST_ERR, "second root element");
    }
    if (ct == pugi::node_doctype) {
      pugi::xml_node dt = pd->Doctype();
      if (dt && dt != child) DOMThrow(DOM_DOMException::HIERARCHY_REQUEST_ERR, "second document type");
    }
  } else if (pt == pugi::node_element) {
    if (ct == pugi::node_doctype || ct == pugi::node_declaration)
      DOMThrow(DOM_DOMException::HIERARCHY_REQUEST_ERR, "prolog node inside an element");
  } else {
    DOMThrow(DOM_DOMException::HIERARCHY_REQUEST_ERR, "this node holds no children");
  }
}

}  // namespace

DOM_Node DOM_Node::appendChild(const DOM_Node& child) {
  Check();
  pugi::xml_node p = N(m_node), c = N(child.m_node);
  CheckInsert(m_doc, p, child.m_doc, c);
  if (!p.append_move(c)) DOMThrow(DOM_DOMException::HIERARCHY_REQUEST_ERR, "cannot append");
  m_doc->hidden.erase(c.internal_object());
  return child;
}

DOM_Node DOM_Node::insertBefore(const DOM_Node& child, const DOM_Node& ref) {
  if (ref.isNull()) return appendChild(child);
  Check();
  pugi::xml_node p = N(m_node), c = N(child.m_node), r = N(ref.m_node);
  if (ref.m_doc != m_doc || r.parent() != p) DOMThrow(DOM_DOMException::NOT_FOUND_ERR, "reference is no child");
  if (c == r) return child;
  CheckInsert(m_doc, p, child.m_doc, c);
  if (!p.insert_move_before(c, r)) DOMThrow(DOM_DOMException::HIERARCHY_REQUEST_ERR, "cannot insert");
  m_doc->hidden.erase(c.internal_object());
  return child;
}

DOM_Node DOM_Node::removeChild(const DOM_Node& child) {
  Check();
  pugi::xml_node p = N(m_node), c = N(child.m_node);
  if (!c || child.m_doc != m_doc || c.parent() != p || m_doc->IsHidden(c))
    DOMThrow(DOM_DOMException::NOT_FOUND_ERR, "not a child");
  if (c.type() == pugi::node_declaration || c.type() == pugi::node_doctype)
    m_doc->hidden.insert(c.internal_object());
  else
    m_doc->limbo.append_move(c);
  return child;
}

// ---- elements, texts, prolog nodes -------------------------------------------------

DOM_Element::DOM_Element(const DOM_Node& node) {
  if (!node.isNull() && DOMAccess::Node(node).type() == pugi::node_element) {
    m_doc = DOMAccess::DocPtr(node);
    m_node = P(DOMAccess::Node(node));
  }
}

void DOM_Element::setAttribute(const DOMString& name, const DOMString& value) {
  Check();
  if (!DOMIsXmlName(name)) DOMThrow(DOM_DOMException::INVALID_CHARACTER_ERR, "bad attribute name");
  pugi::xml_node n = N(m_node);
  const std::string key = name.ToXmlUtf8();
  pugi::xml_attribute a = n.attribute(key.c_str());
  if (!a) a = n.append_attribute(key.c_str());
  a.set_value(value.ToXmlUtf8().c_str());
}

void DOM_Element::setAttribute(const DOMString& name, long long value) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  setAttribute(name, DOMString(std::string(buf, r.ptr).c_str()));
}

void DOM_Element::setAttribute(const DOMString& name, double value) {
  if (!std::isfinite(value)) DOMThrow(DOM_DOMException::NOT_SUPPORTED_ERR, "number is not finite");
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, value);
  setAttribute(name, DOMString(std::string(buf, r.ptr).c_str()));
}

namespace {
// An ASCII XML name: a letter, '_' or ':' first, then also digits, '-' and '.'.
bool IsAsciiXmlName(const char* s) {
  if (!s || !*s) return false;
  auto start = [](unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':'; };
  if (!start(static_cast<unsigned char>(*s))) return false;
  for (const char* p = s + 1; *p; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (!start(c) && !(c >= '0' && c <= '9') && c != '-' && c != '.') return false;
  }
  return true;
}
// Printable ASCII (and tab, LF, CR): nothing to drop, nothing to convert.
bool IsPlainAscii(const char* s) {
  for (const char* p = s; *p; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c >= 0x7F || (c < 0x20 && c != '\t' && c != '\n' && c != '\r')) return false;
  }
  return true;
}
}  // namespace

void DOM_Element::setAttribute(const char* name, const DOMString& value) {
  if (!IsAsciiXmlName(name)) {
    setAttribute(DOMString(name), value);
    return;
  }
  Check();
  pugi::xml_node n = N(m_node);
  pugi::xml_attribute a = n.attribute(name);
  if (!a) a = n.append_attribute(name);
  a.set_value(value.ToXmlUtf8().c_str());
}

void DOM_Element::setAttribute(const char* name, const char* value) {
  if (!IsAsciiXmlName(name) || !value || !IsPlainAscii(value)) {
    setAttribute(DOMString(name), DOMString(value ? value : ""));
    return;
  }
  Check();
  pugi::xml_node n = N(m_node);
  pugi::xml_attribute a = n.attribute(name);
  if (!a) a = n.append_attribute(name);
  a.set_value(value);
}

void DOM_Element::setAttribute(const char* name, long long value) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf - 1, value);
  *r.ptr = '\0';
  setAttribute(name, static_cast<const char*>(buf));
}

void DOM_Element::setAttribute(const char* name, double value) {
  if (!std::isfinite(value)) DOMThrow(DOM_DOMException::NOT_SUPPORTED_ERR, "number is not finite");
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf - 1, value);
  *r.ptr = '\0';
  setAttribute(name, static_cast<const char*>(buf));
}

DOMString DOM_Element::getAttribute(const DOMString& name) const {
  Check();
  return DOMString(SString::FromUtf8(N(m_node).attribute(name.ToXmlUtf8().c_str()).value()));
}

bool DOM_Element::hasAttribute(const DOMString& name) const {
  Check();
  return static_cast<bool>(N(m_node).attribute(name.ToXmlUtf8().c_str()));
}

void DOM_Element::removeAttribute(const DOMString& name) {
  Check();
  N(m_node).remove_attribute(name.ToXmlUtf8().c_str());
}

void DOM_Text::appendData(const DOMString& text) {
  Check();
  pugi::xml_node n = N(m_node);
  n.set_value((std::string(n.value()) + text.ToXmlUtf8()).c_str());
}

DOMString DOM_XMLDecl::getVersion() const {
  Check();
  return DOMString(SString::FromUtf8(N(m_node).attribute("version").value()));
}
DOMString DOM_XMLDecl::getEncoding() const {
  Check();
  return DOMString(SString::FromUtf8(N(m_node).attribute("encoding").value()));
}
DOMString DOM_XMLDecl::getStandalone() const {
  Check();
  return DOMString(SString::FromUtf8(N(m_node).attribute("standalone").value()));
}

DOMString DOM_DocumentType::getName() const {
  Check();
  return DOMString(m_doc->doctypeName);
}
DOMString DOM_DocumentType::getPublicId() const {
  Check();
  return DOMString(m_doc->publicId);
}
DOMString DOM_DocumentType::getSystemId() const {
  Check();
  return DOMString(m_doc->systemId);
}

// ---- documents ------------------------------------------------------------------------

DOM_Element DOM_Document::createElement(const DOMString& tagName) const {
  Check();
  if (!DOMIsXmlName(tagName)) DOMThrow(DOM_DOMException::INVALID_CHARACTER_ERR, "bad element name");
  pugi::xml_node e = m_doc->limbo.append_child(tagName.ToXmlUtf8().c_str());
  if (!e) throw SEOutOfMemory(__PRETTY_FUNCTION__, __FILE__, __LINE__);
  return DOMAccess::Make<DOM_Element>(m_doc, e);
}

DOM_Text DOM_Document::createTextNode(const DOMString& data) const {
  Check();
  pugi::xml_node t = m_doc->limbo.append_child(pugi::node_pcdata);
  if (!t) throw SEOutOfMemory(__PRETTY_FUNCTION__, __FILE__, __LINE__);
  t.set_value(data.ToXmlUtf8().c_str());
  return DOMAccess::Make<DOM_Text>(m_doc, t);
}

DOM_ProcessingInstruction DOM_Document::createProcessingInstruction(const DOMString& target,
                                                                    const DOMString& data) const {
  Check();
  if (!DOMIsXmlName(target) || target.str().EqualsNoCase(SString("xml")))
    DOMThrow(DOM_DOMException::INVALID_CHARACTER_ERR, "bad processing instruction target");
  std::string d = data.ToXmlUtf8();
  if (d.find("?>") != std::string::npos)
    DOMThrow(DOM_DOMException::INVALID_CHARACTER_ERR, "processing instruction data holds ?>");
  pugi::xml_node pi = m_doc->limbo.append_child(pugi::node_pi);
  if (!pi) throw SEOutOfMemory(__PRETTY_FUNCTION__, __FILE__, __LINE__);
  pi.set_name(target.ToXmlUtf8().c_str());
  pi.set_value(d.c_str());
  return DOMAccess::Make<DOM_ProcessingInstruction>(m_doc, pi);
}

DOM_XMLDecl DOM_Document::createXMLDecl(const DOMString& version, const DOMString& encoding,
                                        const DOMString& standalone) const {
  Check();
  pugi::xml_node d = m_doc->doc.append_child(pugi::node_declaration);
  if (!d) throw SEOutOfMemory(__PRETTY_FUNCTION__, __FILE__, __LINE__);
  m_doc->hidden.insert(d.internal_object());
  d.set_name("xml");
  d.append_attribute("version").set_value(version.IsEmpty() ? "1.0" : version.ToXmlUtf8().c_str());
  if (!encoding.IsEmpty()) d.append_attribute("encoding").set_value(encoding.ToXmlUtf8().c_str());
  if (!standalone.IsEmpty()) d.append_attribute("standalone").set_value(standalone.ToXmlUtf8().c_str());
  return DOMAccess::Make<DOM_XMLDecl>(m_doc, d);
}

DOM_Element DOM_Document::getDocumentElement() const {
  Check();
  return DOMAccess::Make<DOM_Element>(m_doc, m_doc->Root());
}

DOM_DocumentType DOM_Document::getDoctype() const {
  Check();
  return DOMAccess::Make<DOM_DocumentType>(m_doc, m_doc->Doctype());
}

DOM_DOMImplementation& DOM_DOMImplementation::getImplementation() {
  static DOM_DOMImplementation impl;
  return impl;
}

DOM_DocumentType DOM_DOMImplementation::createDocumentType(const DOMString& qualifiedName, const DOMString& publicId,
                                                           const DOMString& systemId) const {
  if (!DOMIsXmlName(qualifiedName)) DOMThrow(DOM_DOMException::INVALID_CHARACTER_ERR, "bad document type name");
  auto d = std::make_shared<DOMDocImpl>();
  d->doctypeName = qualifiedName.str();
  d->publicId = publicId.str();
  d->systemId = systemId.str();
  pugi::xml_node dt = d->doc.append_child(pugi::node_doctype);
  if (!dt) throw SEOutOfMemory(__PRETTY_FUNCTION__, __FILE__, __LINE__);
  return DOMAccess::Make<DOM_DocumentType>(d, dt);
}

DOM_Document DOM_DOMImplementation::createDocument(const DOMString& namespaceURI, const DOMString& qualifiedName,
                                                   const DOM_DocumentType& doctype) const {
  if (!DOMIsXmlName(qualifiedName)) DOMThrow(DOM_DOMException::INVALID_CHARACTER_ERR, "bad root element name");
  auto d = std::make_shared<DOMDocImpl>();
  d->namespaceURI = namespaceURI.str();
  if (!doctype.isNull()) {
    if (DOMAccess::Node(doctype).type() != pugi::node_doctype)
      DOMThrow(DOM_DOMException::WRONG_DOCUMENT_ERR, "not a document type");
    const DOMDocImpl* src = DOMAccess::Doc(doctype);
    d->doctypeName = src->doctypeName;
    d->publicId = src->publicId;
    d->systemId = src->systemId;
    if (!d->doc.append_child(pugi::node_doctype)) throw SEOutOfMemory(__PRETTY_FUNCTION__, __FILE__, __LINE__);
  }
  if (!d->doc.append_child(qualifiedName.ToXmlUtf8().c_str()))
    throw SEOutOfMemory(__PRETTY_FUNCTION__, __FILE__, __LINE__);
  return DOMAccess::Make<DOM_Document>(d, d->doc);
}
