// The property maps and attribute-editor maps of the library's persistent
// classes: per class, the entries (member id, length, type code, flags,
// editor class) and the chain to the base class's maps, ending at the
// repository's root maps.
//
// The maps of symbol class C are SymMap::C::propertyMap and
// SymMap::C::attrEditorMap; the class answers their addresses from
// GetPropertyMap and GetAttrEditorMap. Value places and accessors are
// stored into the entries by the class's start-up initialiser
// (SSymSetPropertyField, SSymSetPropertyAccessors) before any lookup.
#pragma once

#include "kvrep/sreppropmap.h"
#include "sym/foundation/symclassreg.h"

// The symbol classes that own property and attribute-editor maps (every
// persistent class but the diagram and the picture file).
#define KV_SYM_MAP_CLASSES(X)                                                                            \
  X(SSymBase) X(SSymBasePen) X(SSymStd) X(SSymBlob) X(SSymSolid) X(SSymSolidText) X(SSymArrow)          \
  X(SSymPolyBase) X(SSymPolygon) X(SSymPolyline) X(SSymArc) X(SSymRectangle) X(SSymPie)                 \
  X(SSymBlankRectangle) X(SSymRoundRect) X(SSymEllipse) X(SSymText) X(SSymPredefined) X(SSymLinkBase)  \
  X(SSymLinkStd) X(SSymLinkSym) X(SSymBitmap) X(SSymMetafile) X(SSymComposite) X(SSymGroup) X(SSymOle) \
  X(SSymSwimLane) X(SSymSwimColn) X(SSymSwimGroup) X(SSymSwim) X(SSymTreeLine)

namespace SymMap {
#define KV_SYM_DECLARE_MAPS(cls)                  \
  struct cls {                                    \
    static SPropertyEntry propertyEntries[];      \
    static const SPropertyMap propertyMap;        \
    static SAttrEditorEntry attrEditorEntries[];  \
    static const SAttrEditorMap attrEditorMap;    \
  };
KV_SYM_MAP_CLASSES(KV_SYM_DECLARE_MAPS)
#undef KV_SYM_DECLARE_MAPS
}  // namespace SymMap

// The attribute-editor map of the diagram's class record: one entry, Name
// with the plain editor, chained to the repository's
// SRepObjectBaseRegistry::attrEditorMap.
class SSymDiagramRegistry {
 public:
  static SAttrEditorEntry attrEditorEntries[];
  static const SAttrEditorMap attrEditorMap;
};

// The attribute-editor map of the picture file's class record, of the same
// form and entry.
class SSymPictureFileRegistry {
 public:
  static SAttrEditorEntry attrEditorEntries[];
  static const SAttrEditorMap attrEditorMap;
};

// The maps of the class of index c (class identifier clsid). Null for an
// unknown class; the diagram and the picture file have no property map here
// and answer their record maps as attribute-editor maps.
const SPropertyMap* SSymGetPropertyMap(int c);
const SAttrEditorMap* SSymGetAttrEditorMap(int c);
const SPropertyMap* SSymGetPropertyMap(REFCLSID clsid);
const SAttrEditorMap* SSymGetAttrEditorMap(REFCLSID clsid);

// Stores the value place, or the getter and setter, of the own entry id of
// the property map of class c; false when the class's own map has no such
// entry.
bool SSymSetPropertyField(int c, DWORD id, const SRepField* field);
bool SSymSetPropertyAccessors(int c, DWORD id, SRepGetter getter, SRepSetter setter);
