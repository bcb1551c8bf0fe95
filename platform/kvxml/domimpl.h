// Inside the object model: the parser library's document behind the handles.
// Private to the XML library.
#pragma once

#include <pugixml.hpp>

#include <set>

#include "kvxml/dom.h"

struct DOMDocImpl {
  DOMDocImpl();
  // The root element (the holder of unattached nodes is never one).
  pugi::xml_node Root() const;
  pugi::xml_node Doctype() const;

  pugi::xml_document doc;
  pugi::xml_node limbo;  // holds nodes created and not (or no longer) in the tree
  // Declarations and document types can only live at document level: the
  // ones not (or no longer) in the tree stay there, hidden.
  std::set<pugi::xml_node_struct*> hidden;
  bool IsHidden(pugi::xml_node n) const { return n == limbo || hidden.count(n.internal_object()) != 0; }
  SString namespaceURI;
  SString doctypeName;
  SString publicId;
  SString systemId;
};

pugi::xml_node DOMNodeOf(const DOM_Node& n);
DOMDocImpl* DOMDocOf(const DOM_Node& n);
bool DOMIsXmlName(const DOMString& name);
[[noreturn]] void DOMThrow(short code, const char* what);
