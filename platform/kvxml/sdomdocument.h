// SDOMDocument: writes a document of the object model as XML text.
#pragma once

#include "kvcore/sstream.h"
#include "kvxml/dom.h"

class SDOMDocument {
 public:
  // Option bits of Write.
  enum {
    WriteIndent = 1,  // one node per line, indented by two blanks per level
    WriteProlog = 2,  // the XML declaration, document type and nodes before the root
  };

  SDOMDocument() = default;
  explicit SDOMDocument(DOM_Document* document) : m_pDocument(document) {}
  virtual ~SDOMDocument() = default;

  // The document written (not owned).
  void SetDOMDocument(DOM_Document* document) { m_pDocument = document; }
  DOM_Document* GetDOMDocument() const { return m_pDocument; }

  // The document as text. Throws DOM_DOMException (INVALID_STATE_ERR)
  // without a document.
  SString ToString(int options) const;
  // Writes the document onto a text stream (in the stream's encoding; the
  // declaration names that encoding). Throws DOM_DOMException without a
  // document and SEIOException when the stream cannot write.
  void Write(SOutputStringStream& out, int options) const;
  // Writes the document to a file, UTF-8 (any code but the UTF-16 one) or
  // UTF-16 little-endian with a byte-order mark. FALSE, with no file left
  // behind, when the document is missing or the file cannot be written
  // completely.
  BOOL Write(const SString& path, DWORD encoding, int options) const;

 private:
  std::string Serialize(int options, const char* encodingName) const;

  DOM_Document* m_pDocument = nullptr;
};
