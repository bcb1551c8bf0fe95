// SLibItemManager: named text variables and the translation of templates
// that name them as %NAME% (page headers and footers, for instance). A
// field whose name is known is replaced by its value; an unknown field, a
// lone '%' and "%%" are left as they stand, so a template never loses text
// it does not understand.
#pragma once

#include <map>

#include "kvcore/sstring.h"

class SLibItemManager {
 public:
  // Sets (or replaces) the value of a variable; names compare case-sensitively.
  void SetItem(const SString& name, const SString& value) { m_items[name] = value; }
  void RemoveItem(const SString& name) { m_items.erase(name); }
  void RemoveAll() { m_items.clear(); }
  bool HasItem(const SString& name) const { return m_items.count(name) != 0; }
  // The value of a variable; empty for an unknown one.
  SString GetItem(const SString& name) const;
  // The template with every known %NAME% replaced by its value. Values are
  // not translated again.
  SString Translate(const SString& text) const;

 private:
  std::map<SString, SString> m_items;
};
