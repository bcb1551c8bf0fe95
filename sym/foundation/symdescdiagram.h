// The description of the diagram and of the picture file, the two record
// classes of the library (see symclassdesc.h for the columns).
#pragma once

// clang-format off
#define KV_SYM_DESC_SSymDiagram(K, A, AX, CF, CB, M) \
  K(SSymDiagram, "BaseDiagram", RepSRepObjectBase, RepSRepObjectBase, 0x36083F6D, 0x102301, 21, 1019, "Diagram", "DIAG", "Diagrams", 1, 0) \
  /* Const          Code           Name                     Id          Type   Store   Slot Default                          Editor ObjClass List    Label */ \
  A(,               Name,          "Name",                  0x01000002, STR,   FIELD,  -1, "",                               PLAIN, NONE, NONE,      1700, "Name\nNAME") \
  A(,               Code,          "Code",                  0x01000004, STR,   FIELD,  -1, "",                               NONE,  NONE, NONE,      1701, "Code\nCODE") \
  A(,               DispName,      "DisplayName",           0x0100000B, TEXT,  GET,    -1, "",                               NONE,  NONE, NONE,      1702, "Display Name\nDISPNAME") \
  A(Desc,           Desc,          "Description",           0x04000001, TEXT,  FIELD,  -1, "",                               NONE,  NONE, NONE,      1703, "Description\nDESC") \
  A(Note,           Note,          "Annotation",            0x04000002, TEXT,  FIELD,  -1, "",                               NONE,  NONE, NONE,      1704, "Annotation\nNOTE") \
  A(HasNote,        HasNote,       "Annotated",             0x04000004, BOOL,  GET,    -1, "FALSE",                          NONE,  NONE, NONE,      1705, "Annotated\nHASNOTE") \
  A(Comment,        Comment,       "Comment",               0x02000001, TEXT,  FIELD,  -1, "",                               NONE,  NONE, NONE,      1706, "Comment\nCOMMENT") \
  A(DispPrefSave,   DispPrefSave,  "DisplayPreferences",    0x02010022, TEXT,  FIELD,  -1, "",                               NONE,  NONE, NONE,      1707, "Display Preferences\nDISPPREF") \
  A(Scale,          Scale,         "Scale",                 0x02010025, INT,   FIELD,  -1, "100",                            NONE,  NONE, NONE,      1708, "Scale\nSCALE") \
  A(PaperSize,      PaperSize,     "PaperSize",             0x02010023, PT,    FIELD,  -1, "S_NULL_POINT",                   NONE,  NONE, NONE,      1709, "Paper Size\nPAPERSIZE") \
  A(PaperSource,    PaperSource,   "PaperSource",           0x02010028, INT,   FIELD,  -1, "-1",                             NONE,  NONE, NONE,      1710, "Paper Source\nPAPERSRC") \
  A(Margins,        Margins,       "PageMargins",           0x02010024, RECT,  FIELD,  -1, "S_NULL_RECT",                    NONE,  NONE, NONE,      1711, "Page Margins\nMARGINS") \
  A(PgSize,         PgSize,        "PageSize",              0x02010026, INT,   GET,    -1, "-1",                             NONE,  NONE, NONE,      1712, "Page Size\nPGSIZE") \
  A(PgFormat,       PgFormat,      "PageFormat",            0x0201003D, INT,   GET,    -1, "-1",                             NONE,  NONE, NONE,      1713, "Page Format\nPGFORMAT") \
  A(PgOrientation,  PgOrientation, "PageOrientation",       0x02010027, INT,   FIELD,  -1, "0",                              NONE,  NONE, ORIENT,    1714, "Page Orientation\nPGORIENT") \
  A(DiagramFlags,   Flags,         "Flags",                 0x02010038, FLAGS, FIELD,  -1, "0",                              NONE,  NONE, DIAGFLAGS, 1715, "Flags\nFLAGS") \
  A(Foot,           Foot,          "PageFooterTemplate",    0x0201003A, TEXT,  FIELD,  -1, "TEXT(\"%PAGE% / %TOTALPAGE%\")", NONE,  NONE, NONE,      1716, "Page Footer Template\nFOOT") \
  A(Head,           Head,          "PageHeaderTemplate",    0x0201003B, TEXT,  FIELD,  -1, "",                               NONE,  NONE, NONE,      1717, "Page Header Template\nHEAD") \
  A(Nmbr,           Nmbr,          "PageNumberTemplate",    0x0201003C, TEXT,  FIELD,  -1, "TEXT(\"%NUMBER%\")",             NONE,  NONE, NONE,      1718, "Page Number Template\nNMBR") \
  A(DiagramContent, Content,       "Content",               0x02010039, BIN,   GET,    -1, "",                               NONE,  NONE, NONE,      1719, "Content\nCONTENT") \
  A(SwimHeight,     SwimHeight,    "SwimlaneHeaderHeight",  0x0201003E, INT,   FIELD,  -1, "2000",                           NONE,  NONE, NONE,      1720, "Swimlane Header Height\nSWIMHGHT") \
  CF(Symbols, Symbols, "Symbols", 0x02010015, 1, SSymBase, 1721, "Symbols\nSYMBOLS") \
  M("Add", 0x02001431, "HRESULT", P("pSymbol", "ISSymbol*")) \
  M("Remove", 0x02001432, "HRESULT", P("pSymbol", "ISSymbol*")) \
  M("MoveTo", 0x02001433, "HRESULT", P("pSymbol", "ISSymbol*"), P("nPos", "int")) \
  M("Contains", 0x02001434, "BOOL", P("pSymbol", "ISSymbol*")) \
  M("GetPos", 0x02001435, "int", P("pSymbol", "ISSymbol*")) \
  M("GetClipRect", 0x02001436, "SSymRect", P("bVisibleOnly", "int", "0")) \
  M("PageSetup", 0x02001437, "BOOL", P("hWndParent", "HWND", "NULL")) \
  M("PrinterSetup", 0x0200148F, "BOOL", P("hWndParent", "HWND", "NULL")) \
  M("V6PageSetup", 0x02001438, "BOOL", P("hWndParent", "HWND", "NULL")) \
  M("GetPageSetup", 0x02001439, "SPrinterCache*") \
  M("DuplicatePageSetup", 0x0200143A, "HRESULT", P("pSource", "ISSymDiagram*")) \
  M("Print", 0x02001487, "HRESULT", P("pPrintData", "SSymPrintData*", "NULL")) \
  M("GetDispPrefPtr", 0x0200143C, "SSymDispPref*") \
  M("RedrawAllViews", 0x0200143D, "void", P("bErase", "int", "0")) \
  M("SnapToGrid", 0x0200143E, "void", PO("rect", "SSymRect&")) \
  M("SnapToGrid", 0x0200143F, "void", PO("point", "SSymPoint&")) \
  M("SnapObjToGrid", 0x0200143B, "void", P("pSymbol", "ISSymbol*")) \
  M("AttachSymbol", 0x02001440, "HRESULT", P("pSymbol", "ISSymbol*"), P("pOwner", "ISSymbol*")) \
  M("AdjustSymbolToText", 0x02001461, "BOOL", P("pSymbol", "ISSymbol*"), P("bRedraw", "int", "1"), P("bForce", "int", "0")) \
  M("CreateDispPref", 0x02001443, "SSymDispPref*", P("bLoad", "int", "1")) \
  M("CanAutoLayout", 0x02001486, "BOOL", P("pSubset", "STable<ISSymbol*>*", "NULL")) \
  M("CreateAutoLayoutMgr", 0x02001495, "SSymAutoLayoutBase*", P("param", "SSymAutoLayoutParam&")) \
  M("AutoLayout", 0x02001444, "BOOL") \
  M("AutoLayout", 0x02001498, "BOOL", P("param", "SSymAutoLayoutParam&")) \
  M("AutoLayout", 0x02001445, "BOOL", P("nStyle", "AutoLayoutStyle", "-1"), P("nOrientation", "AutoLayoutOrientation", "-1"), P("bAllowSynonyms", "BOOL", "FALSE")) \
  M("AddView", 0x02001446, "void", P("pView", "SSymView*")) \
  M("RemoveView", 0x02001447, "void", P("pView", "SSymView*")) \
  M("GetFirstView", 0x02001448, "SSymView*") \
  M("GetView", 0x02001449, "SSymView*", P("nIndex", "int")) \
  M("GetViewCount", 0x0200144A, "int") \
  M("GetHolder", 0x0200144B, "SRepControlHolder*") \
  M("SetHolder", 0x0200144C, "void", P("pHolder", "SRepControlHolder*")) \
  M("AddSymInRectToSel", 0x0200144D, "void", P("pSelection", "SSymSelection*"), P("rect", "const SSymRect&")) \
  M("CanShowSym", 0x0200144E, "BOOL", P("pSymbol", "ISSymbol*"), P("pObject", "ISRepObject*", "NULL")) \
  M("UpdateSymMove", 0x0200144F, "void", P("pSymbol", "ISSymbol*"), P("offset", "SSymPoint")) \
  M("AddPicture", 0x02001480, "HRESULT", P("pPicture", "ISRepObject*")) \
  M("RemovePicture", 0x02001481, "HRESULT", P("pPicture", "ISRepObject*")) \
  M("FindPicture", 0x02001482, "ISRepObject*", P("nPictureID", "long")) \
  M("CanAttachSymbol", 0x02001483, "BOOL", P("pSymbol", "ISSymbol*")) \
  M("ApplyDispPref", 0x02001484, "void", P("bRedraw", "int", "1")) \
  M("ExportImage", 0x02001488, "HRESULT", P("path", "LPCWSTR")) \
  M("GetSymCLSID", 0x02001489, "CLSID", P("pObject", "ISRepObject*")) \
  M("CanAttachObject", 0x0100009A, "BOOL", P("pObject", "ISRepObject*")) \
  M("AttachObject", 0x0100009D, "ISSymbol*", P("pObject", "ISRepObject*"), P("pOwner", "ISSymbol*", "NULL")) \
  M("AttachObject", 0x0100009E, "ISSymbol*", P("pObject", "ISRepObject*"), P("point", "SSymPoint"), P("pOwner", "ISSymbol*", "NULL")) \
  M("AttachObject", 0x0100009F, "ISSymbol*", P("pObject", "ISRepObject*"), P("rect", "SSymRect"), P("pOwner", "ISSymbol*", "NULL")) \
  M("AttachLinkObject", 0x010000A0, "ISSymbol*", P("pObject", "ISRepObject*"), P("bRoute", "int", "1")) \
  M("AttachLinkObject", 0x010000A8, "ISSymbol*", P("pObject", "ISRepObject*"), P("pSource", "ISSymbol*"), P("pDestination", "ISSymbol*"), P("bRoute", "int", "1")) \
  M("AttachLinkObject", 0x010000A1, "ISSymbol*", P("pObject", "ISRepObject*"), P("pSource", "ISRepObject*"), P("pDestination", "ISRepObject*"), P("bRoute", "int", "1")) \
  M("AttachObjectWithSym", 0x010000B2, "ISSymbol*", P("pObject", "ISRepObject*"), P("pSymbol", "ISSymbol*"), P("pOwner", "ISSymbol*", "NULL")) \
  M("AttachLinkObjectWithSym", 0x010000B3, "ISSymbol*", P("pObject", "ISRepObject*"), P("pSymbol", "ISSymbol*"), P("bRoute", "int", "1")) \
  M("FindSymbol", 0x010000A2, "ISSymbol*", P("pObject", "ISRepObject*"), P("pOwner", "ISSymbol*", "NULL")) \
  M("IsLink", 0x01001211, "BOOL", P("pObject", "ISRepObject*")) \
  M("GetSwimLaneList", 0x0200148A, "void", PO("list", "SComTable<ISSymbol>&")) \
  M("AttachToComposite", 0x0200148B, "HRESULT", P("pSymbol", "ISSymbol*"), P("pComposite", "ISSymbol*")) \
  M("DetachFromComposite", 0x0200148C, "HRESULT", P("pSymbol", "ISSymbol*")) \
  M("HasCompositeBehavior", 0x0200148D, "BOOL", P("pSymbol", "ISSymbol*")) \
  M("SupportPreviewCommand", 0x0200148E, "BOOL", P("nCommandID", "UINT")) \
  M("IsSymEditable", 0x02001496, "BOOL", P("pSymbol", "ISSymbol*"), P("pObject", "ISRepObject*")) \
  M("SetCompEditable", 0x02001497, "void", P("bEditable", "BOOL")) \
  M("AdjustSwimHeight", 0x02001499, "void", P("bRedraw", "int", "1"))

#define KV_SYM_DESC_SSymPictureFile(K, A, AX, CF, CB, M) \
  K(SSymPictureFile, "PictureFile", RepSRepObjectBase, RepSRepObjectBase, 0x36083F84, 0xc100, 15, 1369, "Picture File", "PCTF", "Picture Files", 1, 0) \
  /* Const          Code         Name           Id          Type  Store  Slot Default Editor ObjClass List Label */ \
  A(,               Name,        "Name",        0x01000002, STR,  FIELD, -1, "",     PLAIN, NONE, NONE, 1370, "Picture Name\nPICTNAME\n\nNAME") \
  A(PictureID,      PictureID,   "PictureID",   0x02010036, OID,  FIELD, -1, "S_NULL_OID", NONE, NONE, NONE, 1388, "Picture ID\nPICTID\n\nPTID") \
  A(PictureType,    PictureType, "PictureType", 0x02010042, INT,  FIELD, -1, "0",    NONE,  NONE, NONE, 1371, "Picture Type\nPICTTYPE\n\nPTYP") \
  A(Path,           Path,        "Path",        0x02010043, TEXT, FIELD, -1, "",     NONE,  NONE, NONE, 1372, "Picture Path\nPICTPATH\n\nPPTH") \
  A(PictureContent, Content,     "Content",     0x02010044, BIN,  FIELD, -1, "",     NONE,  NONE, NONE, 1373, "Picture Contents\nPICTCTNT\n\nCTNT") \
  CB(PictureModel, Model, "Model", 0x01800081, 4, 1759, "Model\nMODEL") \
  M("SetPicture", 0x02010045, "HRESULT", P("pPicture", "SPictureInfo*")) \
  M("GetPicture", 0x02010046, "SPictureInfo*") \
  M("IncRefCount", 0x02010047, "long") \
  M("DecRefCount", 0x02010048, "long") \
  M("GetRefCount", 0x02010049, "long")
// clang-format on
