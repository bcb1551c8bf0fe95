#include "sym/foundation/sympropmap.h"

#include "kvrep/srepobject.h"

namespace {
// Type codes of the metamodel.
constexpr WORD T_OID = 0x1;
constexpr WORD T_SMALL = 0x2;
constexpr WORD T_INT = 0x3;
constexpr WORD T_BOOL = 0x4;
constexpr WORD T_FLAGS = 0x6;
constexpr WORD T_DATE = 0x8;
constexpr WORD T_STRING = 0x9;
constexpr WORD T_TEXT = 0xA;
constexpr WORD T_BINARY = 0xB;
constexpr WORD T_POINT = 0xE;
constexpr WORD T_RECT = 0xF;
constexpr WORD T_PTLIST = 0x10;
constexpr WORD T_SYMBOL = 0x8003;  // [ISSymbol]

// Entry flags.
constexpr DWORD F_FIELD = 0x0;
constexpr DWORD F_GET = 0x4;
constexpr DWORD F_BLOB = 0x8;
constexpr DWORD F_GETSET = 0xC;

template <int C>
const SPropertyMap* PropertyBase() {
  constexpr int b = g_symClasses[C].mapBase;
  if constexpr (b >= 0)
    return SSymGetPropertyMap(b);
  else
    return &SRepObject::propertyMap;
}
template <int C>
const SAttrEditorMap* EditorBase() {
  constexpr int b = g_symClasses[C].mapBase;
  if constexpr (b >= 0)
    return SSymGetAttrEditorMap(b);
  else
    return &SRepObject::attrEditorMap;
}
const SAttrEditorMap* RepObjectBaseEditors() { return &SRepObjectBaseRegistry::attrEditorMap; }

const SClassInfo* const kPlain = &SRepAttrEditor::__clsinf;
const SClassInfo* const kColor = &SRepAttrEditorColor::__clsinf;
const SClassInfo* const kObject = &SRepAttrEditorObject::__clsinf;
}  // namespace

#define PROP(id, length, type, flags) {id, length, type, nullptr, flags, nullptr, nullptr}
#define PROP_END {0, 0, 0, nullptr, 0, nullptr, nullptr}
#define EDIT(id, editor) {id, editor}
#define EDIT_END {0, nullptr}
#define MAPS(cls)                                                                                        \
  const SPropertyMap SymMap::cls::propertyMap = {&PropertyBase<SYMCLS_##cls>, SymMap::cls::propertyEntries}; \
  const SAttrEditorMap SymMap::cls::attrEditorMap = {&EditorBase<SYMCLS_##cls>, SymMap::cls::attrEditorEntries};
#define NO_EDITORS(cls) SAttrEditorEntry SymMap::cls::attrEditorEntries[] = {EDIT_END};
#define NO_PROPERTIES(cls) SPropertyEntry SymMap::cls::propertyEntries[] = {PROP_END};

// ---- SSymBase ----------------------------------------------------------------------
SPropertyEntry SymMap::SSymBase::propertyEntries[] = {
    PROP(0x020100BA, 0, T_SYMBOL, F_GET),      // Diagram
    PROP(0x0100000B, 254, T_STRING, F_GET),    // DispName
    PROP(0x01000002, 254, T_STRING, F_GET),    // Name
    PROP(0x01000004, 254, T_STRING, F_GET),    // Code
    PROP(0x02010013, 0, T_POINT, F_GETSET),    // Pos
    PROP(0x02010014, 0, T_POINT, F_GETSET),    // Size
    PROP(0x02001415, 0, T_INT, F_GETSET),      // Height
    PROP(0x02001416, 0, T_INT, F_GETSET),      // Width
    PROP(0x02010016, 0, T_BOOL, F_GETSET),     // Hidden
    PROP(0x02010017, 0, T_BOOL, F_GETSET),     // Protected
    PROP(0x02010100, 0, T_POINT, F_GETSET),    // RelPos
    PROP(0x02010001, 0, T_RECT, F_FIELD),      // ClipRect
    PROP(0x02010012, 0, T_FLAGS, F_FIELD),     // Flags
    PROP(0x01000010, 0, T_DATE, F_FIELD),      // CDAT
    PROP(0x01000012, 0, T_DATE, F_FIELD),      // MDAT
    PROP_END};
NO_EDITORS(SSymBase)
MAPS(SSymBase)

// ---- SSymBasePen -------------------------------------------------------------------
SPropertyEntry SymMap::SSymBasePen::propertyEntries[] = {
    PROP(0x02010019, 0, T_INT, F_GETSET),    // LineColor
    PROP(0x0201001A, 0, T_SMALL, F_GETSET),  // DashStyle
    PROP(0x0201001B, 0, T_SMALL, F_GETSET),  // LineWidth
    PROP_END};
SAttrEditorEntry SymMap::SSymBasePen::attrEditorEntries[] = {EDIT(0x02010019, kColor), EDIT_END};
MAPS(SSymBasePen)

// ---- SSymStd -----------------------------------------------------------------------
SPropertyEntry SymMap::SSymStd::propertyEntries[] = {
    PROP(0x02010018, 0, T_SMALL, F_FIELD),   // ShadowStyle
    PROP(0x02010002, 0, T_BOOL, F_GETSET),   // HasAShadow
    PROP(0x0201001D, 0, T_INT, F_GETSET),    // ShadowColor
    PROP(0x0201000A, 0, T_BINARY, F_BLOB),   // BlobData
    PROP_END};
SAttrEditorEntry SymMap::SSymStd::attrEditorEntries[] = {EDIT(0x0201001D, kColor), EDIT_END};
MAPS(SSymStd)

// ---- SSymBlob ----------------------------------------------------------------------
SPropertyEntry SymMap::SSymBlob::propertyEntries[] = {
    PROP(0x0201000A, 0, T_BINARY, F_GETSET),  // BlobData
    PROP_END};
NO_EDITORS(SSymBlob)
MAPS(SSymBlob)

// ---- SSymSolid ---------------------------------------------------------------------
SPropertyEntry SymMap::SSymSolid::propertyEntries[] = {
    PROP(0x020100B5, 0, T_BOOL, F_GETSET),   // Transparent
    PROP(0x0201001C, 0, T_INT, F_GETSET),    // FillColor
    PROP(0x02010020, 0, T_INT, F_GETSET),    // BrushStyle
    PROP(0x02010021, 0, T_INT, F_GETSET),    // GradientFillMode
    PROP(0x020100B2, 0, T_INT, F_GETSET),    // GradientEndColor
    PROP(0x020100B3, 0, T_INT, F_GETSET),    // PictureFillMode
    PROP(0x02010009, 0, T_BOOL, F_FIELD),    // IsAutoAdjusted
    PROP(0x020100B9, 0, T_BOOL, F_FIELD),    // IsManuallyResized
    PROP(0x020100B6, 0, T_BOOL, F_GETSET),   // KeepAspect
    PROP(0x020100B7, 0, T_BOOL, F_GETSET),   // KeepCenter
    PROP(0x020100B8, 0, T_BOOL, F_GETSET),   // KeepSize
    PROP(0x02010050, 0, T_INT, F_GETSET),    // CustomPictureType
    PROP(0x02010051, 0, T_INT, F_FIELD),     // CustomTextMode
    PROP(0x02010052, 0, T_OID, F_GETSET),    // BackgroundPictureID
    PROP(0x02010053, 0, T_OID, F_GETSET),    // CustomPictureID
    PROP(0x02010056, 0, T_TEXT, F_GETSET),   // BackgroundPictureFile
    PROP(0x02010057, 0, T_TEXT, F_GETSET),   // CustomPictureFile
    PROP(0x02010058, 0, T_INT, F_GETSET),    // CustomShapeType
    PROP_END};
SAttrEditorEntry SymMap::SSymSolid::attrEditorEntries[] = {
    EDIT(0x0201001C, kColor),  // FillColor
    EDIT(0x020100B2, kColor),  // GradientEndColor
    EDIT_END};
MAPS(SSymSolid)

// ---- SSymSolidText -----------------------------------------------------------------
SPropertyEntry SymMap::SSymSolidText::propertyEntries[] = {
    PROP(0x01000009, 0, T_TEXT, F_FIELD),    // Text
    PROP(0x02010006, 0, T_INT, F_FIELD),     // Font
    PROP(0x02010007, 0, T_INT, F_FIELD),     // Style
    PROP(0x0201001F, 0, T_TEXT, F_GETSET),   // FontName
    PROP_END};
SAttrEditorEntry SymMap::SSymSolidText::attrEditorEntries[] = {EDIT(0x02010006, kColor), EDIT_END};
MAPS(SSymSolidText)

// ---- SSymText ----------------------------------------------------------------------
SPropertyEntry SymMap::SSymText::propertyEntries[] = {
    PROP(0x0201000A, 0, T_BINARY, F_BLOB),  // BlobData
    PROP_END};
NO_EDITORS(SSymText)
MAPS(SSymText)

// ---- SSymBitmap --------------------------------------------------------------------
SPropertyEntry SymMap::SSymBitmap::propertyEntries[] = {
    PROP(0x02010052, 0, T_OID, F_GETSET),  // BackgroundPictureID
    PROP_END};
NO_EDITORS(SSymBitmap)
MAPS(SSymBitmap)

// ---- SSymPredefined ----------------------------------------------------------------
SPropertyEntry SymMap::SSymPredefined::propertyEntries[] = {
    PROP(0x020100B4, 0, T_INT, F_FIELD),  // SymbolType
    PROP_END};
NO_EDITORS(SSymPredefined)
MAPS(SSymPredefined)

// ---- SSymTreeLine ------------------------------------------------------------------
SPropertyEntry SymMap::SSymTreeLine::propertyEntries[] = {
    PROP(0x0200141A, 0, T_INT, F_FIELD),  // Distance
    PROP_END};
NO_EDITORS(SSymTreeLine)
MAPS(SSymTreeLine)

// ---- SSymComposite -----------------------------------------------------------------
SPropertyEntry SymMap::SSymComposite::propertyEntries[] = {
    PROP(0x020100B9, 0, T_BOOL, F_GETSET),  // IsManuallyResized
    PROP_END};
NO_EDITORS(SSymComposite)
MAPS(SSymComposite)

// ---- SSymPolyBase ------------------------------------------------------------------
SPropertyEntry SymMap::SSymPolyBase::propertyEntries[] = {
    PROP(0x02010003, 0, T_PTLIST, F_FIELD),  // ListPt
    PROP(0x02010004, 0, T_INT, F_FIELD),     // LineStyle
    PROP(0x02010030, 0, T_INT, F_FIELD),     // ARState
    PROP(0x02010008, 0, T_INT, F_GETSET),    // Arrows
    PROP(0x02010031, 0, T_BOOL, F_GET),      // IsARSupported
    PROP_END};
NO_EDITORS(SSymPolyBase)
MAPS(SSymPolyBase)

// ---- SSymPolygon -------------------------------------------------------------------
SPropertyEntry SymMap::SSymPolygon::propertyEntries[] = {
    PROP(0x020100B5, 0, T_BOOL, F_GETSET),  // Transparent
    PROP(0x0201001C, 0, T_INT, F_GETSET),   // FillColor
    PROP(0x02010020, 0, T_INT, F_GETSET),   // BrushStyle
    PROP(0x02010021, 0, T_INT, F_GETSET),   // GradientFillMode
    PROP(0x020100B2, 0, T_INT, F_GETSET),   // GradientEndColor
    PROP(0x020100B3, 0, T_INT, F_GETSET),   // PictureFillMode
    PROP(0x02010052, 0, T_OID, F_GETSET),   // BackgroundPictureID
    PROP(0x02010056, 0, T_TEXT, F_GETSET),  // BackgroundPictureFile
    PROP_END};
SAttrEditorEntry SymMap::SSymPolygon::attrEditorEntries[] = {
    EDIT(0x0201001C, kColor),  // FillColor
    EDIT(0x020100B2, kColor),  // GradientEndColor
    EDIT_END};
MAPS(SSymPolygon)

// ---- SSymPolyline ------------------------------------------------------------------
SPropertyEntry SymMap::SSymPolyline::propertyEntries[] = {
    PROP(0x02000466, 0, T_POINT, F_FIELD),   // CtrTxtOffset
    PROP(0x02000467, 0, T_POINT, F_FIELD),   // SrcTxtOffset
    PROP(0x02000468, 0, T_POINT, F_FIELD),   // DstTxtOffset
    PROP(0x0200046B, 0, T_INT, F_FIELD),     // CtrTxtWidth
    PROP(0x0200046C, 0, T_INT, F_FIELD),     // SrcTxtWidth
    PROP(0x0200046D, 0, T_INT, F_FIELD),     // DstTxtWidth
    PROP(0x02010006, 0, T_INT, F_FIELD),     // Font
    PROP(0x02010007, 0, T_INT, F_FIELD),     // Style
    PROP(0x0201001F, 0, T_TEXT, F_GETSET),   // FontName
    PROP(0x02001417, 0, T_TEXT, F_GETSET),   // CtrText
    PROP(0x02001418, 0, T_TEXT, F_GETSET),   // SrcText
    PROP(0x02001419, 0, T_TEXT, F_GETSET),   // DstText
    PROP_END};
SAttrEditorEntry SymMap::SSymPolyline::attrEditorEntries[] = {EDIT(0x02010006, kColor), EDIT_END};
MAPS(SSymPolyline)

// ---- SSymLinkBase ------------------------------------------------------------------
SPropertyEntry SymMap::SSymLinkBase::propertyEntries[] = {
    PROP(0x02010040, 0, T_SYMBOL, F_GETSET),  // Src
    PROP(0x02010041, 0, T_SYMBOL, F_GETSET),  // Dst
    PROP_END};
SAttrEditorEntry SymMap::SSymLinkBase::attrEditorEntries[] = {
    EDIT(0x02010040, kObject),  // Src
    EDIT(0x02010041, kObject),  // Dst
    EDIT_END};
MAPS(SSymLinkBase)

// ---- SSymLinkStd -------------------------------------------------------------------
SPropertyEntry SymMap::SSymLinkStd::propertyEntries[] = {
    PROP(0x02000466, 0, T_POINT, F_FIELD),  // CtrTxtOffset
    PROP(0x02000467, 0, T_POINT, F_FIELD),  // SrcTxtOffset
    PROP(0x02000468, 0, T_POINT, F_FIELD),  // DstTxtOffset
    PROP(0x0200046B, 0, T_INT, F_FIELD),    // CtrTxtWidth
    PROP(0x0200046C, 0, T_INT, F_FIELD),    // SrcTxtWidth
    PROP(0x0200046D, 0, T_INT, F_FIELD),    // DstTxtWidth
    PROP_END};
NO_EDITORS(SSymLinkStd)
MAPS(SSymLinkStd)

// ---- SSymLinkSym -------------------------------------------------------------------
SPropertyEntry SymMap::SSymLinkSym::propertyEntries[] = {
    PROP(0x02010006, 0, T_INT, F_FIELD),     // Font
    PROP(0x02010007, 0, T_INT, F_FIELD),     // Style
    PROP(0x0201001F, 0, T_TEXT, F_GETSET),   // FontName
    PROP(0x02001417, 0, T_TEXT, F_GETSET),   // CtrText
    PROP(0x02001418, 0, T_TEXT, F_GETSET),   // SrcText
    PROP(0x02001419, 0, T_TEXT, F_GETSET),   // DstText
    PROP_END};
SAttrEditorEntry SymMap::SSymLinkSym::attrEditorEntries[] = {EDIT(0x02010006, kColor), EDIT_END};
MAPS(SSymLinkSym)

// ---- SSymSwimLane ------------------------------------------------------------------
SPropertyEntry SymMap::SSymSwimLane::propertyEntries[] = {
    PROP(0x020100BD, 0, T_SMALL, F_FIELD),  // Group
    PROP_END};
NO_EDITORS(SSymSwimLane)
MAPS(SSymSwimLane)

// ---- classes that add no entries ---------------------------------------------------
#define EMPTY_MAPS(cls) NO_PROPERTIES(cls) NO_EDITORS(cls) MAPS(cls)
EMPTY_MAPS(SSymArrow)
EMPTY_MAPS(SSymArc)
EMPTY_MAPS(SSymRectangle)
EMPTY_MAPS(SSymPie)
EMPTY_MAPS(SSymBlankRectangle)
EMPTY_MAPS(SSymRoundRect)
EMPTY_MAPS(SSymEllipse)
EMPTY_MAPS(SSymSwim)
EMPTY_MAPS(SSymSwimGroup)
EMPTY_MAPS(SSymMetafile)
EMPTY_MAPS(SSymOle)
EMPTY_MAPS(SSymGroup)
EMPTY_MAPS(SSymSwimColn)

// ---- the record maps of the diagram and the picture file ---------------------------
SAttrEditorEntry SSymDiagramRegistry::attrEditorEntries[] = {EDIT(0x01000002, kPlain), EDIT_END};
const SAttrEditorMap SSymDiagramRegistry::attrEditorMap = {&RepObjectBaseEditors,
                                                           SSymDiagramRegistry::attrEditorEntries};
SAttrEditorEntry SSymPictureFileRegistry::attrEditorEntries[] = {EDIT(0x01000002, kPlain), EDIT_END};
const SAttrEditorMap SSymPictureFileRegistry::attrEditorMap = {&RepObjectBaseEditors,
                                                               SSymPictureFileRegistry::attrEditorEntries};

// ---- lookup --------------------------------------------------------------------------
namespace {
struct ClassMaps {
  const SPropertyMap* properties;
  const SAttrEditorMap* editors;
  SPropertyEntry* own;
};

struct MapTable {
  ClassMaps m[SYMCLS_Count];
};

const ClassMaps& MapsOf(int c) {
  static const MapTable table = [] {
    MapTable t{};
#define FILL(cls) \
  t.m[SYMCLS_##cls] = {&SymMap::cls::propertyMap, &SymMap::cls::attrEditorMap, SymMap::cls::propertyEntries};
    KV_SYM_MAP_CLASSES(FILL)
#undef FILL
    t.m[SYMCLS_SSymDiagram] = {nullptr, &SSymDiagramRegistry::attrEditorMap, nullptr};
    t.m[SYMCLS_SSymPictureFile] = {nullptr, &SSymPictureFileRegistry::attrEditorMap, nullptr};
    return t;
  }();
  return table.m[c];
}

SPropertyEntry* OwnEntry(int c, DWORD id) {
  if (c < 0 || c >= SYMCLS_Count || id == 0) return nullptr;
  SPropertyEntry* e = MapsOf(c).own;
  for (; e && e->id != 0; ++e)
    if (e->id == id) return e;
  return nullptr;
}
}  // namespace

const SPropertyMap* SSymGetPropertyMap(int c) {
  return c >= 0 && c < SYMCLS_Count ? MapsOf(c).properties : nullptr;
}
const SAttrEditorMap* SSymGetAttrEditorMap(int c) {
  return c >= 0 && c < SYMCLS_Count ? MapsOf(c).editors : nullptr;
}
const SPropertyMap* SSymGetPropertyMap(REFCLSID clsid) { return SSymGetPropertyMap(SSymFindClassIndex(clsid)); }
const SAttrEditorMap* SSymGetAttrEditorMap(REFCLSID clsid) { return SSymGetAttrEditorMap(SSymFindClassIndex(clsid)); }

bool SSymSetPropertyField(int c, DWORD id, const SRepField* field) {
  SPropertyEntry* e = OwnEntry(c, id);
  if (!e) return false;
  e->field = field;
  return true;
}
bool SSymSetPropertyAccessors(int c, DWORD id, SRepGetter getter, SRepSetter setter) {
  SPropertyEntry* e = OwnEntry(c, id);
  if (!e) return false;
  e->getter = getter;
  e->setter = setter;
  return true;
}
