// Writes the METADATA resource of the diagram library: the binary metamodel
// of its persistent classes (classes with their attributes, collections and
// methods, then the enumerations), little-endian throughout.
//
//   symmetagen <out.bin> <out.inc>
//
// out.bin receives the bytes; out.inc the same bytes as a C initialiser list.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// ---- type codes --------------------------------------------------------------
enum : std::uint16_t {
  T_NATIVE = 0x0,
  T_OID = 0x1,
  T_SMALL = 0x2,
  T_INT = 0x3,
  T_BOOL = 0x4,
  T_FLAGS = 0x6,
  T_DATE = 0x8,
  T_STR = 0x9,
  T_TEXT = 0xA,
  T_BIN = 0xB,
  T_PT = 0xE,
  T_RECT = 0xF,
  T_PTLIST = 0x10,
  T_VIEW = 0x8002,
  T_SYM = 0x8003,
};

// ---- the output --------------------------------------------------------------
struct Out {
  std::vector<std::uint8_t> b;
  void u8(unsigned v) { b.push_back(static_cast<std::uint8_t>(v)); }
  void u16(unsigned v) {
    u8(v & 0xFF);
    u8((v >> 8) & 0xFF);
  }
  void u32(std::uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  }
  void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
  // One byte: the byte count with the terminating zero; then the bytes.
  void text(const char* s) {
    std::size_t n = std::strlen(s);
    if (n > 254) {
      std::fprintf(stderr, "symmetagen: text longer than 254 characters: %s\n", s);
      std::exit(1);
    }
    u8(static_cast<unsigned>(n + 1));
    for (std::size_t i = 0; i < n; ++i) u8(static_cast<unsigned char>(s[i]));
    u8(0);
  }
  void typeRef(unsigned length, unsigned code) {
    u16(length);
    u16(code);
  }
  // A GUID in its memory layout: Data1, Data2, Data3 little-endian, Data4 as is.
  void guid(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3, std::uint64_t d4) {
    u32(d1);
    u16(d2);
    u16(d3);
    for (int i = 7; i >= 0; --i) u8(static_cast<unsigned>((d4 >> (8 * i)) & 0xFF));
  }
  // {362D41Ex-9D82-11D1-8E5D-444553540000}
  void metaclass(unsigned x) { guid(0x362D41E0u + x, 0x9D82, 0x11D1, 0x8E5D444553540000ull); }
  // {360836xx-1A49-11D1-83D9-444553540000}
  void classId(std::uint32_t first) { guid(first, 0x1A49, 0x11D1, 0x83D9444553540000ull); }
};

enum MetaKind : unsigned {
  MK_ENUM = 2,
  MK_VALUE = 3,
  MK_CLASS = 4,
  MK_COLL = 6,
  MK_ATTR = 7,
  MK_METHOD = 8,
  MK_PARAM = 9,
  MK_ROOT_OBJECT = 0,
  MK_ROOT_OBJECTBASE = 0xA
};

// ---- the description ----------------------------------------------------------
struct Param {
  const char* name;
  const char* native;
  const char* def;
  bool out;
};

enum Kind { ATTR, COLL, METHOD };
struct Member {
  Kind kind = ATTR;
  const char* code = "";
  const char* name = "";
  std::uint32_t id = 0;
  // attribute
  std::uint16_t type = 0;
  std::uint16_t length = 0;
  std::uint32_t computed = 0;  // 0, 0xC (getter and setter) or 0xD (getter only)
  const char* def = "";
  const char* clss = nullptr;  // class of an object-valued attribute
  std::uint32_t list = 0;      // string id of the list of values
  // collection
  std::uint16_t relation = 0;
  bool forward = false;
  std::uint32_t element = 0;  // first word of the element class identifier
  // method
  const char* result = "void";
  std::vector<Param> params;
};

Member Make(Kind kind, const char* code, const char* name, std::uint32_t id) {
  Member m;
  m.kind = kind;
  m.code = code;
  m.name = name;
  m.id = id;
  return m;
}
Member A(const char* code, const char* name, std::uint32_t id, std::uint16_t type, const char* def = "",
         std::uint32_t computed = 0) {
  Member m = Make(ATTR, code, name, id);
  m.type = type;
  m.length = type == T_STR ? 254 : 0;
  m.def = def;
  m.computed = computed;
  return m;
}
Member AC(const char* code, const char* name, std::uint32_t id, std::uint16_t type, const char* def = "") {
  return A(code, name, id, type, def, 0xC);
}
Member AG(const char* code, const char* name, std::uint32_t id, std::uint16_t type, const char* def = "") {
  return A(code, name, id, type, def, 0xD);
}
Member Obj(Member m, const char* clss) {
  m.clss = clss;
  return m;
}
Member List(Member m, std::uint32_t list) {
  m.list = list;
  return m;
}
// A forward collection (owner side) with its element class.
Member CF(const char* code, const char* name, std::uint32_t id, std::uint16_t relation, std::uint32_t element) {
  Member m = Make(COLL, code, name, id);
  m.relation = relation;
  m.forward = true;
  m.element = element;
  return m;
}
// A back-pointer collection (member id with bit 0x00800000).
Member CB(const char* code, const char* name, std::uint32_t id, std::uint16_t relation) {
  Member m = Make(COLL, code, name, id);
  m.relation = relation;
  return m;
}
Member M(const char* code, std::uint32_t id, const char* result, std::vector<Param> params = {}) {
  Member m = Make(METHOD, code, code, id);
  m.result = result;
  m.params = std::move(params);
  return m;
}
Param P(const char* name, const char* native, const char* def = "") { return Param{name, native, def, false}; }
Param PO(const char* name, const char* native) { return Param{name, native, "", true}; }

struct Class {
  const char* code;
  const char* name;
  std::uint32_t flags;
  std::uint32_t id;  // first word of the class identifier
  const char* parent;
  std::uint32_t number;
  std::uint32_t label;
  std::vector<Member> members;
};

constexpr std::uint32_t ROOT_OBJECT = 0;
constexpr std::uint32_t ROOT_OBJECTBASE = 1;

// String ids of the lists of values.
constexpr std::uint32_t LIST_DASH = 1600, LIST_WIDTH = 1601, LIST_SHADOW = 1602, LIST_GROUP = 1603,
                        LIST_ORIENT = 1604, LIST_DIAGFLAGS = 1605;

std::vector<Class> Classes() {
  const char* SYMBASE = "Sym::SSymBase";
  std::vector<Class> c;
  c.push_back({"SSymDiagram", "BaseDiagram", 0x102301, 0x36083F6D, "Rep::SRepObjectBase", 21, 1019,
               {
                   A("Name", "Name", 0x01000002, T_STR),
                   A("Code", "Code", 0x01000004, T_STR),
                   AG("DispName", "DisplayName", 0x0100000B, T_STR),
                   A("Desc", "Description", 0x04000001, T_TEXT),
                   A("Note", "Annotation", 0x04000002, T_TEXT),
                   AG("HasNote", "HasAnnotation", 0x04000004, T_BOOL, "FALSE"),
                   A("Comment", "Comment", 0x02000001, T_TEXT),
                   A("DispPrefSave", "DisplayPreferences", 0x02010022, T_TEXT),
                   A("Scale", "Scale", 0x02010025, T_INT, "100"),
                   A("PaperSize", "PaperSize", 0x02010023, T_PT, "S_NULL_POINT"),
                   A("PaperSource", "PaperSource", 0x02010028, T_INT, "-1"),
                   A("Margins", "PageMargins", 0x02010024, T_RECT, "S_NULL_RECT"),
                   A("PgSize", "PageSize", 0x02010026, T_PT, "S_NULL_POINT"),
                   A("PgFormat", "PageFormat", 0x0201003D, T_INT, "-1"),
                   List(A("PgOrientation", "PageOrientation", 0x02010027, T_SMALL, "0"), LIST_ORIENT),
                   List(A("Flags", "DiagramFlags", 0x02010038, T_FLAGS, "0"), LIST_DIAGFLAGS),
                   A("Foot", "PageFooter", 0x0201003A, T_TEXT, "TEXT(\"%PAGE% / %TOTALPAGE%\")"),
                   A("Head", "PageHeader", 0x0201003B, T_TEXT),
                   A("Nmbr", "PageNumbering", 0x0201003C, T_BOOL, "TRUE"),
                   A("Content", "Content", 0x02010039, T_BIN),
                   A("SwimHeight", "SwimlaneHeadingHeight", 0x0201003E, T_INT, "-1"),
                   CF("Symbols", "Symbols", 0x02010015, 1, 0x36083F70),
                   M("Add", 0x02001431, "HRESULT", {P("pSymbol", "ISSymbol*")}),
                   M("Remove", 0x02001432, "HRESULT", {P("pSymbol", "ISSymbol*")}),
                   M("MoveTo", 0x02001433, "HRESULT", {P("pSymbol", "ISSymbol*"), P("nPos", "int")}),
                   M("Contains", 0x02001434, "BOOL", {P("pSymbol", "ISSymbol*")}),
                   M("GetPos", 0x02001435, "int", {P("pSymbol", "ISSymbol*")}),
                   M("GetClipRect", 0x02001436, "SSymRect", {P("bVisibleOnly", "int", "0")}),
                   M("PageSetup", 0x02001437, "BOOL", {P("hWndParent", "HWND", "NULL")}),
                   M("PrinterSetup", 0x0200148F, "BOOL", {P("hWndParent", "HWND", "NULL")}),
                   M("V6PageSetup", 0x02001438, "BOOL", {P("hWndParent", "HWND", "NULL")}),
                   M("GetPageSetup", 0x02001439, "SPrinterCache*"),
                   M("DuplicatePageSetup", 0x0200143A, "HRESULT", {P("pSource", "ISSymDiagram*")}),
                   M("Print", 0x02001487, "HRESULT", {P("pPrintData", "SSymPrintData*", "NULL")}),
                   M("GetDispPrefPtr", 0x0200143C, "SSymDispPref*"),
                   M("RedrawAllViews", 0x0200143D, "void", {P("bErase", "int", "0")}),
                   M("SnapToGrid", 0x0200143E, "void", {PO("rect", "SSymRect&")}),
                   M("SnapToGrid", 0x0200143F, "void", {PO("point", "SSymPoint&")}),
                   M("SnapObjToGrid", 0x0200143B, "void", {P("pSymbol", "ISSymbol*")}),
                   M("AttachSymbol", 0x02001440, "HRESULT", {P("pSymbol", "ISSymbol*"), P("pOwner", "ISSymbol*")}),
                   M("AdjustSymbolToText", 0x02001461, "BOOL",
                     {P("pSymbol", "ISSymbol*"), P("bRedraw", "int", "1"), P("bForce", "int", "0")}),
                   M("CreateDispPref", 0x02001443, "SSymDispPref*", {P("bLoad", "int", "1")}),
                   M("CanAutoLayout", 0x02001486, "BOOL", {P("pSubset", "STable<ISSymbol*>*", "NULL")}),
                   M("CreateAutoLayoutMgr", 0x02001495, "SSymAutoLayoutBase*", {P("param", "SSymAutoLayoutParam&")}),
                   M("AutoLayout", 0x02001444, "BOOL"),
                   M("AutoLayout", 0x02001498, "BOOL", {P("param", "SSymAutoLayoutParam&")}),
                   M("AutoLayout", 0x02001445, "BOOL",
                     {P("nStyle", "AutoLayoutStyle", "-1"), P("nOrientation", "AutoLayoutOrientation", "-1"),
                      P("bAllowSynonyms", "BOOL", "FALSE")}),
                   M("AddView", 0x02001446, "void", {P("pView", "SSymView*")}),
                   M("RemoveView", 0x02001447, "void", {P("pView", "SSymView*")}),
                   M("GetFirstView", 0x02001448, "SSymView*"),
                   M("GetView", 0x02001449, "SSymView*", {P("nIndex", "int")}),
                   M("GetViewCount", 0x0200144A, "int"),
                   M("GetHolder", 0x0200144B, "SRepControlHolder*"),
                   M("SetHolder", 0x0200144C, "void", {P("pHolder", "SRepControlHolder*")}),
                   M("AddSymInRectToSel", 0x0200144D, "void",
                     {P("pSelection", "SSymSelection*"), P("rect", "const SSymRect&")}),
                   M("CanShowSym", 0x0200144E, "BOOL", {P("pSymbol", "ISSymbol*"), P("pObject", "ISRepObject*", "NULL")}),
                   M("UpdateSymMove", 0x0200144F, "void", {P("pSymbol", "ISSymbol*"), P("offset", "SSymPoint")}),
                   M("AddPicture", 0x02001480, "HRESULT", {P("pPicture", "ISRepObject*")}),
                   M("RemovePicture", 0x02001481, "HRESULT", {P("pPicture", "ISRepObject*")}),
                   M("FindPicture", 0x02001482, "ISRepObject*", {P("nPictureID", "long")}),
                   M("CanAttachSymbol", 0x02001483, "BOOL", {P("pSymbol", "ISSymbol*")}),
                   M("ApplyDispPref", 0x02001484, "void", {P("bRedraw", "int", "1")}),
                   M("ExportImage", 0x02001488, "HRESULT", {P("path", "LPCWSTR")}),
                   M("GetSymCLSID", 0x02001489, "CLSID", {P("pObject", "ISRepObject*")}),
                   M("CanAttachObject", 0x0100009A, "BOOL", {P("pObject", "ISRepObject*")}),
                   M("AttachObject", 0x0100009D, "ISSymbol*", {P("pObject", "ISRepObject*"), P("pOwner", "ISSymbol*", "NULL")}),
                   M("AttachObject", 0x0100009E, "ISSymbol*", {P("pObject", "ISRepObject*"), P("point", "SSymPoint"), P("pOwner", "ISSymbol*", "NULL")}),
                   M("AttachObject", 0x0100009F, "ISSymbol*", {P("pObject", "ISRepObject*"), P("rect", "SSymRect"), P("pOwner", "ISSymbol*", "NULL")}),
                   M("AttachLinkObject", 0x010000A0, "ISSymbol*", {P("pObject", "ISRepObject*"), P("bRoute", "int", "1")}),
                   M("AttachLinkObject", 0x010000A8, "ISSymbol*",
                     {P("pObject", "ISRepObject*"), P("pSource", "ISSymbol*"), P("pDestination", "ISSymbol*"), P("bRoute", "int", "1")}),
                   M("AttachLinkObject", 0x010000A1, "ISSymbol*",
                     {P("pObject", "ISRepObject*"), P("pSource", "ISRepObject*"), P("pDestination", "ISRepObject*"), P("bRoute", "int", "1")}),
                   M("AttachObjectWithSym", 0x010000B2, "ISSymbol*",
                     {P("pObject", "ISRepObject*"), P("pSymbol", "ISSymbol*"), P("pOwner", "ISSymbol*", "NULL")}),
                   M("AttachLinkObjectWithSym", 0x010000B3, "ISSymbol*",
                     {P("pObject", "ISRepObject*"), P("pSymbol", "ISSymbol*"), P("bRoute", "int", "1")}),
                   M("FindSymbol", 0x010000A2, "ISSymbol*", {P("pObject", "ISRepObject*"), P("pOwner", "ISSymbol*", "NULL")}),
                   M("IsLink", 0x01001211, "BOOL", {P("pObject", "ISRepObject*")}),
                   M("GetSwimLaneList", 0x0200148A, "void", {PO("list", "SComTable<ISSymbol>&")}),
                   M("AttachToComposite", 0x0200148B, "HRESULT",
                     {P("pSymbol", "ISSymbol*"), P("pComposite", "ISSymbol*")}),
                   M("DetachFromComposite", 0x0200148C, "HRESULT", {P("pSymbol", "ISSymbol*")}),
                   M("HasCompositeBehavior", 0x0200148D, "BOOL", {P("pSymbol", "ISSymbol*")}),
                   M("SupportPreviewCommand", 0x0200148E, "BOOL", {P("nCommandID", "UINT")}),
                   M("IsSymEditable", 0x02001496, "BOOL", {P("pSymbol", "ISSymbol*"), P("pObject", "ISRepObject*")}),
                   M("SetCompEditable", 0x02001497, "void", {P("bEditable", "BOOL")}),
                   M("AdjustSwimHeight", 0x02001499, "void", {P("bRedraw", "int", "1")}),
               }});
  c.push_back({"SSymBase", "BaseSymbol", 0x90440d, 0x36083F70, "Rep::SRepObject", 18, 1059,
               {
                   A("ClipRect", "Rect", 0x02010001, T_RECT, "S_NULL_RECT"),
                   A("Flags", "Flags", 0x02010012, T_FLAGS, "0"),
                   A("CDAT", "CreationDate", 0x01000010, T_DATE, "S_NULL_DATE"),
                   A("MDAT", "ModificationDate", 0x01000012, T_DATE, "S_NULL_DATE"),
                   Obj(AG("Diagram", "Diagram", 0x020100BA, T_SYM), "Sym::SSymDiagram"),
                   AG("DispName", "DisplayName", 0x0100000B, T_STR),
                   AG("Name", "Name", 0x01000002, T_STR),
                   AG("Code", "Code", 0x01000004, T_STR),
                   AC("Pos", "Position", 0x02010013, T_PT, "S_NULL_POINT"),
                   AC("Size", "Size", 0x02010014, T_PT, "S_NULL_POINT"),
                   AC("Hidden", "Hidden", 0x02010016, T_BOOL, "FALSE"),
                   AC("Protected", "Protected", 0x02010017, T_BOOL, "FALSE"),
                   AC("Height", "Height", 0x02001415, T_INT, "0"),
                   AC("Width", "Width", 0x02001416, T_INT, "0"),
                   AC("RelPos", "RelatedPosition", 0x02010100, T_PT, "S_NULL_POINT"),
                   CB("Diagram", "Owner", 0x02810015, 1),
               }});
  c.push_back({"SSymBasePen", "SymbolPen", 0x10440d, 0x36083F74, "Sym::SSymBase", 18, 1045,
               {
                   AC("LineColor", "LineColor", 0x02010019, T_INT, "0"),
                   List(AC("DashStyle", "DashStyle", 0x0201001A, T_SMALL, "0"), LIST_DASH),
                   List(AC("LineWidth", "LineWidth", 0x0201001B, T_SMALL, "1"), LIST_WIDTH),
               }});
  c.push_back({"SSymStd", "StandardSymbol", 0x10440d, 0x36083F71, "Sym::SSymBasePen", 18, 1039,
               {
                   AC("HasAShadow", "Shadow", 0x02010002, T_BOOL, "FALSE"),
                   List(A("ShadowStyle", "ShadowStyle", 0x02010018, T_SMALL, "0"), LIST_SHADOW),
                   AC("ShadowColor", "ShadowColor", 0x0201001D, T_INT, "0xC0C0C0"),
                   AC("BlobData", "Blob", 0x0201000A, T_BIN),
               }});
  c.push_back({"SSymBlob", "BlobedSymbol", 0x440d, 0x36083F73, "Sym::SSymBase", 18, 1097,
               {AC("BlobData", "Blob", 0x0201000A, T_BIN)}});
  c.push_back({"SSymSolid", "SolidSymbol", 0x10440d, 0x36083F72, "Sym::SSymStd", 18, 1040,
               {
                   AC("Transparent", "Transparent", 0x020100B5, T_BOOL, "FALSE"),
                   AC("FillColor", "FillColor", 0x0201001C, T_INT, "0xFFFFFF"),
                   AC("BrushStyle", "BrushStyle", 0x02010020, T_INT, "1"),
                   AC("GradientFillMode", "GradientFillMode", 0x02010021, T_INT, "0"),
                   AC("GradientEndColor", "GradientEndColor", 0x020100B2, T_INT, "0x767676"),
                   AC("PictureFillMode", "PictureFillMode", 0x020100B3, T_INT, "12"),
                   A("IsAutoAdjusted", "AutoAdjustToText", 0x02010009, T_BOOL, "FALSE"),
                   A("IsManuallyResized", "ManuallyResized", 0x020100B9, T_BOOL, "FALSE"),
                   AC("KeepAspect", "KeepAspect", 0x020100B6, T_BOOL, "FALSE"),
                   AC("KeepCenter", "KeepCenter", 0x020100B7, T_BOOL, "FALSE"),
                   AC("KeepSize", "KeepSize", 0x020100B8, T_BOOL, "FALSE"),
                   AC("CustomPictureType", "CustomPictureType", 0x02010050, T_INT, "0"),
                   A("CustomTextMode", "CustomTextMode", 0x02010051, T_INT, "0"),
                   Obj(AC("BackgroundPictureID", "BackgroundPictureID", 0x02010052, T_OID, "S_NULL_OID"),
                       "Sym::SSymPictureFile"),
                   Obj(AC("CustomPictureID", "CustomPictureID", 0x02010053, T_OID, "S_NULL_OID"),
                       "Sym::SSymPictureFile"),
                   AC("BackgroundPictureFile", "BackgroundPictureFile", 0x02010056, T_TEXT),
                   AC("CustomPictureFile", "CustomPictureFile", 0x02010057, T_TEXT),
                   AC("CustomShapeType", "CustomShapeType", 0x02010058, T_INT, "0"),
                   CB("LinkSrc", "SourceOfLinks", 0x0281000E, 2),
                   CB("LinkDst", "DestinationOfLinks", 0x0281000F, 3),
               }});
  c.push_back({"SSymArrow", "ArrowSymbol", 0x440d, 0x36083F6C, "Sym::SSymStd", 11, 1033, {}});
  c.push_back({"SSymPolyBase", "PolylineBase", 0x10440d, 0x36083F59, "Sym::SSymStd", 12, 1018,
               {
                   A("ListPt", "ListOfPoints", 0x02010003, T_PTLIST),
                   A("LineStyle", "CornerStyle", 0x02010004, T_INT, "0"),
                   A("ARState", "AutomaticRoutingState", 0x02010030, T_INT, "0"),
                   AC("Arrows", "ArrowStyle", 0x02010008, T_INT, "0"),
                   AC("LnkPos", "LinkPosition", 0x02010013, T_PT, "S_NULL_POINT"),
                   AC("LnkSize", "LinkSize", 0x02010014, T_PT, "S_NULL_POINT"),
                   AG("IsARSupported", "IsAutomaticRoutingSupported", 0x02010031, T_BOOL, "FALSE"),
               }});
  c.push_back({"SSymPolygon", "PolygonSymbol", 0x440c, 0x36083F69, "Sym::SSymPolyBase", 13, 1024,
               {
                   AC("Transparent", "Transparent", 0x020100B5, T_BOOL, "FALSE"),
                   AC("FillColor", "FillColor", 0x0201001C, T_INT, "0xFFFFFF"),
                   AC("BrushStyle", "BrushStyle", 0x02010020, T_INT, "1"),
                   AC("GradientFillMode", "GradientFillMode", 0x02010021, T_INT, "0"),
                   AC("GradientEndColor", "GradientEndColor", 0x020100B2, T_INT, "0x767676"),
                   AC("PictureFillMode", "PictureFillMode", 0x020100B3, T_INT, "12"),
                   Obj(AC("BackgroundPictureID", "BackgroundPictureID", 0x02010052, T_OID, "S_NULL_OID"),
                       "Sym::SSymPictureFile"),
                   AC("BackgroundPictureFile", "BackgroundPictureFile", 0x02010056, T_TEXT),
               }});
  c.push_back({"SSymPolyline", "PolylineSymbol", 0x440c, 0x36083F60, "Sym::SSymPolyBase", 12, 1017,
               {
                   A("CtrTxtOffset", "CenterTextOffset", 0x02000466, T_PT, "S_NULL_POINT"),
                   A("SrcTxtOffset", "SourceTextOffset", 0x02000467, T_PT, "S_NULL_POINT"),
                   A("DstTxtOffset", "DestinationTextOffset", 0x02000468, T_PT, "S_NULL_POINT"),
                   A("Style", "TextStyle", 0x02010007, T_INT, "0x211"),
                   A("Font", "FontColor", 0x02010006, T_INT, "0"),
                   AC("FontName", "FontName", 0x0201001F, T_TEXT, "Arial,8,N"),
                   AC("CtrText", "CenterText", 0x02001417, T_TEXT),
                   AC("SrcText", "SourceText", 0x02001418, T_TEXT),
                   AC("DstText", "DestinationText", 0x02001419, T_TEXT),
                   A("CtrTxtWidth", "CenterTextWidth", 0x0200046B, T_INT, "-1"),
                   A("SrcTxtWidth", "SourceTextWidth", 0x0200046C, T_INT, "-1"),
                   A("DstTxtWidth", "DestinationTextWidth", 0x0200046D, T_INT, "-1"),
               }});
  c.push_back({"SSymArc", "ArcSymbol", 0x440c, 0x36083F6F, "Sym::SSymStd", 7, 1075, {}});
  c.push_back({"SSymSolidText", "SolidTextSymbol", 0x10440d, 0x36083F82, "Sym::SSymSolid", 8, 1368,
               {
                   A("Text", "Text", 0x01000009, T_TEXT),
                   A("Style", "TextStyle", 0x02010007, T_INT, "0x211"),
                   A("Font", "FontColor", 0x02010006, T_INT, "0"),
                   AC("FontName", "FontName", 0x0201001F, T_TEXT, "Arial,8,N"),
               }});
  c.push_back({"SSymRectangle", "RectangleSymbol", 0x440c, 0x36083F61, "Sym::SSymSolidText", 8, 1015, {}});
  c.push_back({"SSymPie", "PieSymbol", 0x440c, 0x36083F87, "Sym::SSymSolidText", 8, 1307, {}});
  c.push_back(
      {"SSymBlankRectangle", "BlankRectangleSymbol", 0x440c, 0x36083F88, "Sym::SSymSolidText", 8, 1306, {}});
  c.push_back({"SSymRoundRect", "RoundRectangleSymbol", 0x10440c, 0x36083F6A, "Sym::SSymSolidText", 10, 1025, {}});
  c.push_back({"SSymEllipse", "EllipseSymbol", 0x440c, 0x36083F62, "Sym::SSymSolidText", 9, 1026, {}});
  c.push_back({"SSymText", "TextSymbol", 0x440c, 0x36083F63, "Sym::SSymSolidText", 5, 1028, {}});
  c.push_back({"SSymPredefined", "PredefinedSymbol", 0x440c, 0x36083F83, "Sym::SSymSolidText", 18, 1135,
               {A("SymbolType", "SymbolType", 0x020100B4, T_INT, "0")}});
  c.push_back({"SSymLinkBase", "LinkSymbolBase", 0x10440d, 0x36083F75, "Sym::SSymPolyBase", 11, 1047,
               {
                   Obj(AC("Src", "SourceSymbol", 0x02010040, T_SYM), SYMBASE),
                   Obj(AC("Dst", "DestinationSymbol", 0x02010041, T_SYM), SYMBASE),
                   CF("LinkSrc", "LinkSource", 0x0201000E, 2, 0x36083F72),
                   CF("LinkDst", "LinkDestination", 0x0201000F, 3, 0x36083F72),
               }});
  c.push_back({"SSymLinkStd", "StandardLinkSymbol", 0x10440d, 0x36083F76, "Sym::SSymLinkBase", 11, 1048,
               {
                   A("CtrTxtOffset", "CenterTextOffset", 0x02000466, T_PT, "S_NULL_POINT"),
                   A("SrcTxtOffset", "SourceTextOffset", 0x02000467, T_PT, "S_NULL_POINT"),
                   A("DstTxtOffset", "DestinationTextOffset", 0x02000468, T_PT, "S_NULL_POINT"),
                   A("CtrTxtWidth", "CenterTextWidth", 0x0200046B, T_INT, "-1"),
                   A("SrcTxtWidth", "SourceTextWidth", 0x0200046C, T_INT, "-1"),
                   A("DstTxtWidth", "DestinationTextWidth", 0x0200046D, T_INT, "-1"),
               }});
  c.push_back({"SSymLinkSym", "LinkSymbol", 0x440c, 0x36083F64, "Sym::SSymLinkStd", 11, 1030,
               {
                   A("Style", "TextStyle", 0x02010007, T_INT, "0x211"),
                   A("Font", "FontColor", 0x02010006, T_INT, "0"),
                   AC("FontName", "FontName", 0x0201001F, T_TEXT, "Arial,8,N"),
                   AC("CtrText", "CenterText", 0x02001417, T_TEXT),
                   AC("SrcText", "SourceText", 0x02001418, T_TEXT),
                   AC("DstText", "DestinationText", 0x02001419, T_TEXT),
               }});
  c.push_back({"SSymBitmap", "BitmapSymbol", 0x440c, 0x36083F65, "Sym::SSymBlob", 16, 1034,
               {
                   AC("DeprecatedBlobData", "Blob", 0x0201000A, T_BIN),
                   Obj(AC("BackgroundPictureID", "BackgroundPictureID", 0x02010052, T_OID, "S_NULL_OID"),
                       "Sym::SSymPictureFile"),
               }});
  c.push_back({"SSymMetafile", "MetafileSymbol", 0x440c, 0x36083F66, "Sym::SSymBlob", 15, 1037, {}});
  c.push_back({"SSymComposite", "CompositeSymbol", 0x440c, 0x36083F6B, "Sym::SSymBase", 18, 1035,
               {
                   AC("IsManuallyResized", "ManuallyResized", 0x020100B9, T_BOOL, "FALSE"),
                   CF("Symbols", "Symbols", 0x02010015, 1, 0x36083F70),
               }});
  c.push_back({"SSymGroup", "GroupSymbol", 0x440c, 0x36083F67, "Sym::SSymComposite", 14, 1036, {}});
  c.push_back({"SSymOle", "OleSymbol", 0x440c, 0x36083F68, "Sym::SSymBlob", 17, 1038, {}});
  c.push_back({"SSymSwimLane", "SwimlaneGroupSymbol", 0x440c, 0x36083F80, "Sym::SSymBasePen", 20, 1043,
               {
                   List(A("Group", "GroupType", 0x020100BD, T_SMALL, "0"), LIST_GROUP),
                   CF("SubSym", "SubSymbols", 0x02010015, 1, 0x36083F70),
               }});
  c.push_back({"SSymSwimColn", "SwimlaneLineSymbol", 0x440c, 0x36083F81, "Sym::SSymPolyline", 19, 1044, {}});
  c.push_back({"SSymSwimGroup", "SwimlaneSubGroupSymbol", 0x440c, 0x36083F89, "Sym::SSymSolidText", 20, 1413,
               {CF("SubSym", "SubSymbols", 0x02010015, 1, 0x36083F70)}});
  c.push_back({"SSymPictureFile", "PictureFile", 0xc100, 0x36083F84, "Rep::SRepObjectBase", 15, 1369,
               {
                   A("Name", "Name", 0x01000002, T_STR),
                   A("PictureID", "PictureID", 0x02010036, T_INT, "0"),
                   A("PictureType", "PictureType", 0x02010042, T_INT, "0"),
                   A("Path", "Path", 0x02010043, T_TEXT),
                   A("Content", "Content", 0x02010044, T_BIN),
                   CB("Model", "Model", 0x01800081, 4),
                   M("SetPicture", 0x02010045, "HRESULT", {P("pPicture", "SPictureInfo*")}),
                   M("GetPicture", 0x02010046, "SPictureInfo*"),
                   M("IncRefCount", 0x02010047, "long"),
                   M("DecRefCount", 0x02010048, "long"),
                   M("GetRefCount", 0x02010049, "long"),
               }});
  c.push_back({"SSymSwim", "BaseSpecificSwimlaneSymbol", 0x10440c, 0x36083F85, "Sym::SSymSolidText", 0, 1046, {}});
  c.push_back({"SSymTreeLine", "TreeJunctionLineSymbol", 0x440c, 0x36083F86, "Sym::SSymStd", 12, 1099,
               {
                   A("LineClipRect", "Rect", 0x02010001, T_RECT, "S_NULL_RECT"),
                   A("Distance", "LineDistance", 0x0200141A, T_INT, "0"),
                   CB("ParentSymbol", "ParentSymbol", 0x0280141B, 5),
               }});
  return c;
}

struct Enum {
  const char* name;
  std::uint16_t type;
  std::vector<std::pair<std::string, std::int32_t>> values;
};

std::vector<Enum> Enums() {
  std::vector<Enum> e;
  e.push_back({"SSymDiagFlags", T_FLAGS, {{"SDiagAutoAdjust", 1}, {"SDiagAutoLayout", 2}, {"SDiagCopySymbol", 4}}});
  e.push_back({"AutoLayoutStyle",
               T_INT,
               {{"al_style_default", -1},
                {"al_style_hierarchic", 0},
                {"al_style_organic", 1},
                {"al_style_orthogonal", 2},
                {"al_style_circular", 3},
                {"al_style_tree", 4},
                {"al_style_snowflake", 5},
                {"al_style_basic", 6}}});
  e.push_back({"AutoLayoutOrientation",
               T_INT,
               {{"al_orient_default", -1},
                {"al_orient_top_to_bottom", 0},
                {"al_orient_bottom_to_top", 1},
                {"al_orient_left_to_right", 2},
                {"al_orient_right_to_left", 3},
                {"al_orient_radiation", 4},
                {"al_orient_cycle", 5},
                {"al_orient_snowflake", 6},
                {"al_orient_basic", 7}}});
  Enum arrows{"LinkArrowValue", T_INT, {}};
  for (int v = 0; v <= 54; ++v) {
    if (v == 11 || v == 15) continue;
    arrows.values.emplace_back(v == 24 ? std::string("arrow_noarrow") : "arrow_" + std::to_string(v), v);
  }
  e.push_back(arrows);
  return e;
}

// ---- writing -------------------------------------------------------------------
struct Totals {
  int classes = 0, attributes = 0, collections = 0, methods = 0, parameters = 0, enums = 0, values = 0;
};

const Class* FindClass(const std::vector<Class>& all, const std::string& qualified) {
  for (const Class& c : all)
    if (qualified == std::string("Sym::") + c.code) return &c;
  return nullptr;
}

// A member redefines one of an ancestor class of the metamodel when an
// ancestor holds the same member id.
bool Redefines(const std::vector<Class>& all, const Class& cls, std::uint32_t id) {
  for (const Class* p = FindClass(all, cls.parent); p; p = FindClass(all, p->parent))
    for (const Member& m : p->members)
      if (m.id == id) return true;
  return false;
}

void WriteMember(Out& o, const std::vector<Class>& all, const Class& cls, const Member& m, std::uint32_t label,
                 Totals& t) {
  o.metaclass(m.kind == ATTR ? MK_ATTR : m.kind == COLL ? MK_COLL : MK_METHOD);
  o.u8(2);
  o.text(m.code);
  o.text(m.name);
  o.u32(m.id);
  o.u32(m.kind == ATTR ? m.computed : 0);
  o.u32(label);
  o.u8(Redefines(all, cls, m.id) ? 1 : 0);
  if (m.clss) {
    o.u32(1);
    o.text("CLSS");
    o.typeRef(0, T_TEXT);
    o.text(m.clss);
  } else {
    o.u32(0);
  }
  switch (m.kind) {
    case ATTR:
      o.typeRef(m.length, m.type);
      o.u32(m.computed ? 0x400 : 0);
      o.u32(m.list);
      o.text(m.def);
      ++t.attributes;
      break;
    case COLL:
      o.u32(static_cast<std::uint32_t>(m.relation) | (static_cast<std::uint32_t>(m.forward ? 1 : 2) << 16));
      o.u32(m.element ? 0x80 : 0);
      o.u32(m.forward ? 1 : 0);
      o.u8(0);
      o.i32(-1);
      if (m.element) o.classId(m.element);
      ++t.collections;
      break;
    case METHOD: {
      const bool none = std::strcmp(m.result, "void") == 0;
      o.typeRef(0, T_NATIVE);
      o.u32(0);
      o.text(m.result);
      o.text(none ? "!!!" : "result");
      o.u32(static_cast<std::uint32_t>(m.params.size()));
      for (const Param& p : m.params) {
        o.metaclass(MK_PARAM);
        o.text(p.name);
        o.typeRef(0, T_NATIVE);
        o.u8(1);
        o.u8(p.out ? 1 : 0);
        o.text(p.native);
        o.text(p.def);
        ++t.parameters;
      }
      ++t.methods;
      break;
    }
  }
}

std::vector<std::uint8_t> Build(Totals& t) {
  const std::vector<Class> classes = Classes();
  const std::vector<Enum> enums = Enums();
  Out o;
  // Header.
  for (unsigned char ch : {0x21, 0x53, 0x29, 0x56}) o.u8(ch);
  for (int i = 0; i < 28; ++i) o.u8(0);
  o.u8(3);
  o.text("Sym");
  o.text("KvCommon");
  o.guid(0x2B975AA0, 0xA490, 0x11D1, 0xA8B7006097355D43ull);
  o.u32(401);
  o.u16(255);
  o.u16(255);
  o.u16(16);
  o.u16(100);
  o.u32(2);
  o.text("[ISSymbol]");
  o.typeRef(0, T_FLAGS);
  o.typeRef(0, T_SYM);
  o.text("[SSymView]");
  o.typeRef(0, T_FLAGS);
  o.typeRef(0, T_VIEW);
  o.u32(1);
  o.guid(0xA7061922, 0x995F, 0x11D1, 0x805700600870004Bull);
  // Classes, each followed by its members.
  std::uint32_t label = 2000;  // string ids of the member labels
  o.u32(static_cast<std::uint32_t>(classes.size()));
  for (const Class& c : classes) {
    o.metaclass(MK_CLASS);
    o.u8(2);
    o.text(c.code);
    o.text(c.name);
    o.u32(c.flags);
    o.classId(c.id);
    o.u32(c.number);
    o.u32(c.label);
    o.u32(0);
    o.u32(1);
    o.text(c.parent);
    if (std::strcmp(c.parent, "Rep::SRepObject") == 0)
      o.metaclass(MK_ROOT_OBJECT);
    else if (std::strcmp(c.parent, "Rep::SRepObjectBase") == 0)
      o.metaclass(MK_ROOT_OBJECTBASE);
    else
      o.classId(FindClass(classes, c.parent)->id);
    o.u32(static_cast<std::uint32_t>(c.members.size()));
    for (const Member& m : c.members) WriteMember(o, classes, c, m, label++, t);
    ++t.classes;
  }
  // Enumerations.
  o.u32(static_cast<std::uint32_t>(enums.size()));
  for (const Enum& e : enums) {
    o.metaclass(MK_ENUM);
    o.u8(0);
    o.text(e.name);
    o.typeRef(0, e.type);
    o.u32(static_cast<std::uint32_t>(e.values.size()));
    for (const auto& [name, value] : e.values) {
      o.metaclass(MK_VALUE);
      o.text(name.c_str());
      o.i32(value);
      ++t.values;
    }
    ++t.enums;
  }
  return o.b;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: symmetagen <out.bin> <out.inc>\n");
    return 2;
  }
  Totals t;
  const std::vector<std::uint8_t> bytes = Build(t);
  if (t.classes != 33 || t.attributes != 119 || t.collections != 11 || t.methods != 66 || t.parameters != 84 ||
      t.enums != 4 || t.values != 73) {
    std::fprintf(stderr,
                 "symmetagen: unexpected totals: %d classes, %d attributes, %d collections, %d methods, "
                 "%d parameters, %d enumerations, %d values\n",
                 t.classes, t.attributes, t.collections, t.methods, t.parameters, t.enums, t.values);
    return 1;
  }
  FILE* bin = std::fopen(argv[1], "wb");
  if (!bin || std::fwrite(bytes.data(), 1, bytes.size(), bin) != bytes.size() || std::fclose(bin) != 0) {
    std::fprintf(stderr, "symmetagen: cannot write %s\n", argv[1]);
    return 1;
  }
  std::string inc;
  char buf[8];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%u,", bytes[i]);
    inc += buf;
    if (i % 24 == 23) inc += '\n';
  }
  inc += '\n';
  FILE* f = std::fopen(argv[2], "wb");
  if (!f || std::fwrite(inc.data(), 1, inc.size(), f) != inc.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "symmetagen: cannot write %s\n", argv[2]);
    return 1;
  }
  std::printf("METADATA: %zu bytes\n", bytes.size());
  return 0;
}
