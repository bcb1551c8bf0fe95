// The description of the lines: the point-list base, polygons, polylines,
// the link symbols and the tree junction line (see symclassdesc.h for the
// columns).
#pragma once

// clang-format off
// The point-list base repeats the position and size of the base symbol under
// codes of its own; its map leaves them to the base symbol's entries.
#define KV_SYM_DESC_SSymPolyBase(K, A, AX, CF, CB, M) \
  K(SSymPolyBase, "PolylineBase", SSymStd, SSymStd, 0x36083F59, 0x10440d, 12, 1018, "BasePolyline", "PLBS", "BasePolyline", 0, 10) \
  /* Const         Code           Name                          Id          Type    Store   Slot Default         Editor ObjClass List    Label */ \
  A(ListPt,        ListPt,        "ListOfPoints",               0x02010003, PTLIST, FIELD,   0, "",              NONE,  NONE,    NONE,   1750, "List Points\nPTLIST") \
  A(LineStyle,     LineStyle,     "CornerStyle",                0x02010004, INT,    FIELD,   1, "0",             NONE,  NONE,    CORNER, 1751, "Corner Style\nSTYLE") \
  A(ARState,       ARState,       "AutomaticRoutingState",      0x02010030, INT,    FIELD,   2, "0",             NONE,  NONE,    NONE,   1752, "Automatic routing state\nARSTATE") \
  A(Arrows,        Arrows,        "ArrowStyle",                 0x02010008, INT,    GETSET,  3, "0",             NONE,  NONE,    NONE,   1753, "Arrows\nARROW") \
  A(LnkPos,        LnkPos,        "LinkPosition",               0x02010013, PT,     GETSET, -1, "S_NULL_POINT",  NONE,  NONE,    NONE,   1725, "Position\nPOS") \
  A(LnkSize,       LnkSize,       "LinkSize",                   0x02010014, PT,     GETSET, -1, "S_NULL_POINT",  NONE,  NONE,    NONE,   1726, "Size\nSIZE") \
  A(IsARSupported, IsARSupported, "IsAutomaticRoutingSupported", 0x02010031, BOOL,  GET,     4, "FALSE",         NONE,  NONE,    NONE,   1754, "Is Automatic routing supported\nARSUPPROTED")

#define KV_SYM_DESC_SSymPolygon(K, A, AX, CF, CB, M) \
  K(SSymPolygon, "PolygonSymbol", SSymPolyBase, SSymPolyBase, 0x36083F69, 0x440c, 13, 1024, "Polygon", "POLYGON", "Polygons", 1, 10) \
  /* Const Code                   Name                     Id          Type  Store   Slot Default       Editor ObjClass         List  Label */ \
  A(,      Transparent,           "Transparent",           0x020100B5, BOOL, GETSET, 0,   "FALSE",      NONE,  NONE,            NONE, 1379, "Transparent\nTRNSPRNT") \
  A(,      FillColor,             "FillColor",             0x0201001C, INT,  GETSET, 1,   "0xFFFFFF",   COLOR, NONE,            NONE, 1362, "Fill Color\nFILLCOLR") \
  A(,      BrushStyle,            "BrushStyle",            0x02010020, INT,  GETSET, 2,   "1",          NONE,  NONE,            NONE, 1363, "Brush Style\nBRSHSTYL") \
  A(,      GradientFillMode,      "GradientFillMode",      0x02010021, INT,  GETSET, 3,   "0",          NONE,  NONE,            NONE, 1364, "Gradient Fill Mode\nGRADMODE") \
  A(,      GradientEndColor,      "GradientEndColor",      0x020100B2, INT,  GETSET, 4,   "0x767676",   COLOR, NONE,            NONE, 1365, "Gradient End Color\nGRADCOLR") \
  A(,      PictureFillMode,       "PictureFillMode",       0x020100B3, INT,  GETSET, 5,   "12",         NONE,  NONE,            NONE, 1366, "Picture Fill Mode\nPICTMODE") \
  A(,      BackgroundPictureID,   "BackgroundPictureID",   0x02010052, OID,  GETSET, 6,   "S_NULL_OID", NONE,  SSymPictureFile, NONE, 1376, "Background Picture ID\nBCKPCTID") \
  A(,      BackgroundPictureFile, "BackgroundPictureFile", 0x02010056, TEXT, GETSET, 7,   "",           NONE,  NONE,            NONE, 1390, "Background Picture File\nBCKPCTFILE")

#define KV_SYM_DESC_SSymPolyline(K, A, AX, CF, CB, M) \
  K(SSymPolyline, "PolylineSymbol", SSymPolyBase, SSymPolyBase, 0x36083F60, 0x440c, 12, 1017, "Polyline", "PTLIST", "Polylines", 1, 10) \
  /* Const        Code          Name                     Id          Type  Store   Slot Default         Editor ObjClass List  Label */ \
  A(CtrTxtOffset, CtrTxtOffset, "CenterTextOffset",      0x02000466, PT,   FIELD,   0, "S_NULL_POINT",  NONE,  NONE,    NONE, 1110, "Centered Text Offset\nCOFS") \
  A(SrcTxtOffset, SrcTxtOffset, "SourceTextOffset",      0x02000467, PT,   FIELD,   1, "S_NULL_POINT",  NONE,  NONE,    NONE, 1111, "Source Text Offset\nSOFS") \
  A(DstTxtOffset, DstTxtOffset, "DestinationTextOffset", 0x02000468, PT,   FIELD,   2, "S_NULL_POINT",  NONE,  NONE,    NONE, 1112, "Destination Text Offset\nDOFS") \
  A(,             Style,        "TextStyle",             0x02010007, INT,  FIELD,   7, "0x211",         NONE,  NONE,    NONE, 1031, "Text Style\nTEXTSTYLE") \
  A(,             Font,         "FontColor",             0x02010006, INT,  FIELD,   6, "0",             COLOR, NONE,    NONE, 1029, "Font Color\nCOLOR") \
  A(,             FontName,     "FontName",              0x0201001F, TEXT, GETSET,  8, "Arial,8,N",     NONE,  NONE,    NONE, 1096, "Font Name\nFNAM") \
  A(CtrText,      CtrText,      "CenterText",            0x02001417, TEXT, GETSET,  9, "",              NONE,  NONE,    NONE, 1113, "Center Text\nCTEXT") \
  A(SrcText,      SrcText,      "SourceText",            0x02001418, TEXT, GETSET, 10, "",              NONE,  NONE,    NONE, 1114, "Source Text\nSTEXT") \
  A(DstText,      DstText,      "DestinationText",       0x02001419, TEXT, GETSET, 11, "",              NONE,  NONE,    NONE, 1115, "Destination Text\nDTEXT") \
  A(CtrTxtWidth,  CtrTxtWidth,  "CenterTextWidth",       0x0200046B, INT,  FIELD,   3, "-1",            NONE,  NONE,    NONE, 1175, "Centered Text Width\nCWID") \
  A(SrcTxtWidth,  SrcTxtWidth,  "SourceTextWidth",       0x0200046C, INT,  FIELD,   4, "-1",            NONE,  NONE,    NONE, 1176, "Source Text Width\nSWID") \
  A(DstTxtWidth,  DstTxtWidth,  "DestinationTextWidth",  0x0200046D, INT,  FIELD,   5, "-1",            NONE,  NONE,    NONE, 1177, "Destination Text Width\nDWID")

#define KV_SYM_DESC_SSymLinkBase(K, A, AX, CF, CB, M) \
  K(SSymLinkBase, "LinkSymbolBase", SSymPolyBase, SSymPolyBase, 0x36083F75, 0x10440d, 11, 1047, "LinkBase Symbol", "LINKBASE", "LinkBase Symbols", 0, 0) \
  /* Const Code Name                 Id          Type Store   Slot Default Editor  ObjClass  List  Label */ \
  A(Src,   Src, "SourceSymbol",      0x02010040, SYM, GETSET, 0,   "",     OBJECT, SSymBase, NONE, 1755, "Source Symbol\nSRC") \
  A(Dst,   Dst, "DestinationSymbol", 0x02010041, SYM, GETSET, 1,   "",     OBJECT, SSymBase, NONE, 1756, "Destination Symbol\nDST") \
  CF(LinkSrc, LinkSrc, "LinkSource", 0x0201000E, 2, SSymSolid, 0, "") \
  CF(LinkDst, LinkDst, "LinkDestination", 0x0201000F, 3, SSymSolid, 0, "")

#define KV_SYM_DESC_SSymLinkStd(K, A, AX, CF, CB, M) \
  K(SSymLinkStd, "StandardLinkSymbol", SSymLinkBase, SSymLinkBase, 0x36083F76, 0x10440d, 11, 1048, "Standard Link Symbol", "STDLINKSYM", "Standard Link Symbols", 0, 0) \
  /* Const Code          Name                     Id          Type Store  Slot Default         Editor ObjClass List  Label */ \
  A(,      CtrTxtOffset, "CenterTextOffset",      0x02000466, PT,  FIELD, 0,   "S_NULL_POINT", NONE,  NONE,    NONE, 1110, "Centered Text Offset\nCOFS") \
  A(,      SrcTxtOffset, "SourceTextOffset",      0x02000467, PT,  FIELD, 1,   "S_NULL_POINT", NONE,  NONE,    NONE, 1111, "Source Text Offset\nSOFS") \
  A(,      DstTxtOffset, "DestinationTextOffset", 0x02000468, PT,  FIELD, 2,   "S_NULL_POINT", NONE,  NONE,    NONE, 1112, "Destination Text Offset\nDOFS") \
  A(,      CtrTxtWidth,  "CenterTextWidth",       0x0200046B, INT, FIELD, 3,   "-1",           NONE,  NONE,    NONE, 1175, "Centered Text Width\nCWID") \
  A(,      SrcTxtWidth,  "SourceTextWidth",       0x0200046C, INT, FIELD, 4,   "-1",           NONE,  NONE,    NONE, 1176, "Source Text Width\nSWID") \
  A(,      DstTxtWidth,  "DestinationTextWidth",  0x0200046D, INT, FIELD, 5,   "-1",           NONE,  NONE,    NONE, 1177, "Destination Text Width\nDWID")

#define KV_SYM_DESC_SSymLinkSym(K, A, AX, CF, CB, M) \
  K(SSymLinkSym, "LinkSymbol", SSymLinkStd, SSymLinkStd, 0x36083F64, 0x440c, 11, 1030, "Link Symbol", "LINKSYM", "Link Symbols", 1, 10) \
  /* Const Code      Name               Id          Type  Store   Slot Default      Editor ObjClass List  Label */ \
  A(,      Style,    "TextStyle",       0x02010007, INT,  FIELD,  1,   "0x211",     NONE,  NONE,    NONE, 1031, "Text Style\nTEXTSTYLE") \
  A(,      Font,     "FontColor",       0x02010006, INT,  FIELD,  0,   "0",         COLOR, NONE,    NONE, 1029, "Font Color\nCOLOR") \
  A(,      FontName, "FontName",        0x0201001F, TEXT, GETSET, 2,   "Arial,8,N", NONE,  NONE,    NONE, 1096, "Font Name\nFNAM") \
  A(,      CtrText,  "CenterText",      0x02001417, TEXT, GETSET, 3,   "",          NONE,  NONE,    NONE, 1113, "Center Text\nCTEXT") \
  A(,      SrcText,  "SourceText",      0x02001418, TEXT, GETSET, 4,   "",          NONE,  NONE,    NONE, 1114, "Source Text\nSTEXT") \
  A(,      DstText,  "DestinationText", 0x02001419, TEXT, GETSET, 5,   "",          NONE,  NONE,    NONE, 1115, "Destination Text\nDTEXT")

// The junction line keeps its own rectangle under a code of its own; its map
// leaves it to the base symbol's entry.
#define KV_SYM_DESC_SSymTreeLine(K, A, AX, CF, CB, M) \
  K(SSymTreeLine, "TreeJunctionLineSymbol", SSymStd, SSymStd, 0x36083F86, 0x440c, 12, 1099, "Branch", "TREELINE", "Branch", 1, 10) \
  /* Const        Code          Name           Id          Type  Store  Slot Default        Editor ObjClass List  Label */ \
  A(LineClipRect, LineClipRect, "Rect",         0x02010001, RECT, FIELD, -1, "S_NULL_RECT", NONE,  NONE,    NONE, 1007, "Rect\nRECT") \
  A(Distance,     Distance,     "LineDistance", 0x0200141A, INT,  FIELD,  0, "0",           NONE,  NONE,    NONE, 1008, "Distance Line\nDISTLINE") \
  CB(ParentSymbol, ParentSymbol, "ParentSymbol", 0x0280141B, 5, 1109, "Parent of the Branch Symbol\nPRNTCOL")
// clang-format on
