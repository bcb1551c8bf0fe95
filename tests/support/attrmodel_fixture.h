// A small model class for texts bound to attributes: a name, a code and a
// display name, a boolean, a coded kind whose editor gives one value a
// picture, an object reference, a read-only text, a text that may hold RTF,
// a text without an attribute editor, the bracketed and the ordering
// attributes that multi-attribute texts treat apart, a boolean extended
// attribute, and an owning collection of children (so that items have
// packages above them).
#pragma once

#include "kvrep/srepattredit.h"
#include "kvrep/srepextras.h"
#include "kvrep/srepobject.h"
#include "kvrep/srepsession.h"

inline constexpr CLSID CLSID_TItem = MakeGUID("{5E7A0001-0000-4000-8000-0000000000A1}");
namespace titem {
inline constexpr LONG kName = 0x01000002, kDisplay = 0x0100000B, kFlag = 0x02000101, kKind = 0x02000102,
                      kRef = 0x02000103, kLocked = 0x02000104, kNote = 0x02000105, kExt = 0x040E0007,
                      kChildren = 0x02010015, kMissing = 0x02000199;
inline constexpr LONG kCode = 0x01000004, kBare = 0x02000106, kBracketed = 0x02000005, kOrdering = 0x02001408;
}

class TItem : public SRepObjectMem {
 public:
  explicit TItem(ISRepSession* s = nullptr) : SRepObjectMem(CLSID_TItem, s) {}
  TItem(const TItem& o) = default;
  const SPropertyMap* GetPropertyMap() const override { return &propertyMap; }
  const SAttrEditorMap* GetAttrEditorMap() const override { return &attrEditorMap; }

  SString m_name;
  SString m_display;
  bool m_flag = false;
  LONG m_kind = 1;

  static SPropertyEntry entries[];
  static const SPropertyMap propertyMap;
  static SAttrEditorEntry editorEntries[];
  static const SAttrEditorMap attrEditorMap;
};

// The kind's values: 1 "Entity", 2 "Table" (with an icon), 3 "View".
class TKindEditor : public SRepAttrEditorList {
  KV_DECLARE_CLASSINFO()
 public:
  TKindEditor();
};

// The class registry entry of TItem.
SRepRegistry& TItemRegistry();
// A new item in the session (reference added), named.
TItem* NewItem(ISRepSession* s, const char* name);
// A new item named `name` among parent's children when a parent is given
// (reference added).
TItem* NewItem(ISRepSession* s, const SString& name, ISRepObject* parent);
