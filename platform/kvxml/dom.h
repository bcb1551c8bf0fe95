// The XML document object model: documents, elements, attributes, text
// nodes, the XML declaration, processing instructions and the document type.
//
// Nodes are handles: copying a handle copies the reference, and a node lives
// as long as any handle of its document. Texts come in as UTF-16 and are kept
// as UTF-8; characters that XML 1.0 cannot carry (controls other than tab,
// LF and CR, U+FFFE, U+FFFF, lone surrogates) are dropped on the way in.
// Numbers given to setAttribute are written in the C locale's form
// whatever the process locale says ("0.5", never "0,5").
#pragma once

#include <memory>
#include <string>

#include "kvcore/sexception.h"
#include "kvcore/sstring.h"

struct DOMDocImpl;

// A text of the model. Holds UTF-16.
class DOMString {
 public:
  DOMString() = default;
  DOMString(const SString& text) : m_s(text) {}
  DOMString(const char16_t* text) : m_s(text) {}
  DOMString(const char* utf8) : m_s(utf8) {}
  const SString& str() const { return m_s; }
  bool IsEmpty() const { return m_s.IsEmpty(); }
  // The text as UTF-8 with the characters XML cannot carry removed.
  std::string ToXmlUtf8() const;
  friend bool operator==(const DOMString& a, const DOMString& b) { return a.m_s == b.m_s; }

 private:
  SString m_s;
};

// Errors of the model, with the DOM's exception codes.
class DOM_DOMException : public SException {
 public:
  enum ExceptionCode {
    INDEX_SIZE_ERR = 1,
    HIERARCHY_REQUEST_ERR = 3,
    WRONG_DOCUMENT_ERR = 4,
    INVALID_CHARACTER_ERR = 5,
    NOT_FOUND_ERR = 8,
    NOT_SUPPORTED_ERR = 9,
    INVALID_STATE_ERR = 11,
  };
  DOM_DOMException(short code, const SString& message) : SException(message, SString()), code(code) {}
  const char* GetClassName() const override { return "DOM_DOMException"; }
  short code;
};

class DOM_Document;

class DOM_Node {
 public:
  enum NodeType {
    ELEMENT_NODE = 1,
    TEXT_NODE = 3,
    PROCESSING_INSTRUCTION_NODE = 7,
    COMMENT_NODE = 8,
    DOCUMENT_NODE = 9,
    DOCUMENT_TYPE_NODE = 10,
    XML_DECL_NODE = 13,
  };

  DOM_Node() = default;
  bool isNull() const { return m_node == nullptr; }
  // The same node (not equal contents).
  bool operator==(const DOM_Node& o) const { return m_node == o.m_node; }
  bool operator!=(const DOM_Node& o) const { return m_node != o.m_node; }

  short getNodeType() const;
  DOMString getNodeName() const;
  DOMString getNodeValue() const;
  DOM_Node getParentNode() const;
  DOM_Node getFirstChild() const;
  DOM_Node getLastChild() const;
  DOM_Node getNextSibling() const;
  DOM_Node getPreviousSibling() const;
  DOM_Document getOwnerDocument() const;
  bool hasChildNodes() const { return !getFirstChild().isNull(); }

  // Moves `child` (of the same document) to the end of this node's
  // children; answers it. HIERARCHY_REQUEST_ERR when the child is this
  // node or holds it, when it cannot go here (a second root element, a text
  // at document level, children under a text); WRONG_DOCUMENT_ERR for a
  // node of another document; NOT_SUPPORTED_ERR on a null handle.
  DOM_Node appendChild(const DOM_Node& child);
  // The same before `ref` (a child of this node; a null ref appends).
  // NOT_FOUND_ERR when ref is not a child of this node.
  DOM_Node insertBefore(const DOM_Node& child, const DOM_Node& ref);
  DOM_Node removeChild(const DOM_Node& child);

 protected:
  friend struct DOMAccess;
  DOM_Node(std::shared_ptr<DOMDocImpl> doc, void* node) : m_doc(std::move(doc)), m_node(node) {}
  void Check() const;

  std::shared_ptr<DOMDocImpl> m_doc;
  void* m_node = nullptr;  // the parser library's node
};

class DOM_Element : public DOM_Node {
 public:
  DOM_Element() = default;
  // The same node seen as an element; null when it is not one.
  explicit DOM_Element(const DOM_Node& node);
  DOMString getTagName() const { return getNodeName(); }
  // Sets (or replaces) an attribute. INVALID_CHARACTER_ERR for a name that
  // is not an XML name.
  void setAttribute(const DOMString& name, const DOMString& value);
  void setAttribute(const DOMString& name, int value) { setAttribute(name, static_cast<long long>(value)); }
  void setAttribute(const DOMString& name, long value) { setAttribute(name, static_cast<long long>(value)); }
  void setAttribute(const DOMString& name, long long value);
  // The shortest text that reads back as the same number, in C-locale form.
  void setAttribute(const DOMString& name, double value);
  // Names and values given in UTF-8 (as writers of documents mostly give
  // them) go in without passing through UTF-16 when they are plain ASCII.
  void setAttribute(const char* name, const DOMString& value);
  void setAttribute(const char* name, const char* value);
  void setAttribute(const char* name, int value) { setAttribute(name, static_cast<long long>(value)); }
  void setAttribute(const char* name, long value) { setAttribute(name, static_cast<long long>(value)); }
  void setAttribute(const char* name, long long value);
  void setAttribute(const char* name, double value);
  // The empty text when there is no such attribute.
  DOMString getAttribute(const DOMString& name) const;
  bool hasAttribute(const DOMString& name) const;
  void removeAttribute(const DOMString& name);

 protected:
  friend struct DOMAccess;
  using DOM_Node::DOM_Node;
};

class DOM_Text : public DOM_Node {
 public:
  DOM_Text() = default;
  DOMString getData() const { return getNodeValue(); }
  void appendData(const DOMString& text);

 protected:
  friend struct DOMAccess;
  using DOM_Node::DOM_Node;
};

class DOM_ProcessingInstruction : public DOM_Node {
 public:
  DOM_ProcessingInstruction() = default;
  DOMString getTarget() const { return getNodeName(); }
  DOMString getData() const { return getNodeValue(); }

 protected:
  friend struct DOMAccess;
  using DOM_Node::DOM_Node;
};

// The XML declaration (version, encoding, standalone).
class DOM_XMLDecl : public DOM_Node {
 public:
  DOM_XMLDecl() = default;
  DOMString getVersion() const;
  DOMString getEncoding() const;
  DOMString getStandalone() const;

 protected:
  friend struct DOMAccess;
  using DOM_Node::DOM_Node;
};

class DOM_DocumentType : public DOM_Node {
 public:
  DOM_DocumentType() = default;
  DOMString getName() const;
  DOMString getPublicId() const;
  DOMString getSystemId() const;

 protected:
  friend struct DOMAccess;
  using DOM_Node::DOM_Node;
};

class DOM_Document : public DOM_Node {
 public:
  DOM_Document() = default;
  // New nodes of this document, not yet in its tree.
  DOM_Element createElement(const DOMString& tagName) const;
  DOM_Text createTextNode(const DOMString& data) const;
  DOM_ProcessingInstruction createProcessingInstruction(const DOMString& target, const DOMString& data) const;
  DOM_XMLDecl createXMLDecl(const DOMString& version, const DOMString& encoding, const DOMString& standalone) const;
  DOM_Element getDocumentElement() const;
  // The document type node of the document (null when it has none).
  DOM_DocumentType getDoctype() const;

 protected:
  friend struct DOMAccess;
  using DOM_Node::DOM_Node;
};

class DOM_DOMImplementation {
 public:
  static DOM_DOMImplementation& getImplementation();
  // A document type node for createDocument.
  DOM_DocumentType createDocumentType(const DOMString& qualifiedName, const DOMString& publicId,
                                      const DOMString& systemId) const;
  // A document with a root element of `qualifiedName` and, when `doctype`
  // is not null, a copy of that document type ahead of it (the document's
  // own is getDoctype()). The namespace name is kept by the document; the
  // root's xmlns attribute is the caller's to set.
  DOM_Document createDocument(const DOMString& namespaceURI, const DOMString& qualifiedName,
                              const DOM_DocumentType& doctype) const;
};
