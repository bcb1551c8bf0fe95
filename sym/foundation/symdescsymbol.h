// The description of the symbol core: the base symbol, the pen, the standard
// (shadowed) symbol, the blob symbol, the solid symbol and the solid symbol
// with text (see symclassdesc.h for the columns).
#pragma once

// clang-format off
#define KV_SYM_DESC_SSymBase(K, A, AX, CF, CB, M) \
  K(SSymBase, "BaseSymbol", RepSRepObject, RepSRepObject, 0x36083F70, 0x90440d, 18, 1059, "Base Symbol", "SYMBASE", "Base Symbols", 0, 0) \
  /* Const     Code       Name                Id          Type   Store   Slot Default         Editor ObjClass     List  Label */ \
  A(ClipRect,  ClipRect,  "Rect",             0x02010001, RECT,  FIELD,  11, "S_NULL_RECT",   NONE,  NONE,        NONE, 1007, "Rect\nRECT") \
  A(Flags,     Flags,     "Flags",            0x02010012, FLAGS, FIELD,  12, "0",             NONE,  NONE,        NONE, 1715, "Flags\nFLAGS") \
  A(CDAT,      CDAT,      "CreationDate",     0x01000010, DATE,  FIELD,  13, "S_NULL_DATE",   NONE,  NONE,        NONE, 1722, "Creation Date\nCDAT") \
  A(MDAT,      MDAT,      "ModificationDate", 0x01000012, DATE,  FIELD,  14, "S_NULL_DATE",   NONE,  NONE,        NONE, 1723, "Modification Date\nMDAT") \
  A(Diagram,   Diagram,   "Diagram",          0x020100BA, SYM,   GET,     0, "",              NONE,  SSymDiagram, NONE, 1724, "Diagram\nDIAGRAM") \
  A(DispName,  DispName,  "DisplayName",      0x0100000B, STR,   GET,     1, "",              NONE,  NONE,        NONE, 1702, "Display Name\nDISPNAME") \
  A(Name,      Name,      "Name",             0x01000002, STR,   GET,     2, "",              NONE,  NONE,        NONE, 1700, "Name\nNAME") \
  A(Code,      Code,      "Code",             0x01000004, STR,   GET,     3, "",              NONE,  NONE,        NONE, 1701, "Code\nCODE") \
  A(Pos,       Pos,       "Position",         0x02010013, PT,    GETSET,  4, "S_NULL_POINT",  NONE,  NONE,        NONE, 1725, "Position\nPOS") \
  A(Size,      Size,      "Size",             0x02010014, PT,    GETSET,  5, "S_NULL_POINT",  NONE,  NONE,        NONE, 1726, "Size\nSIZE") \
  A(Hidden,    Hidden,    "Hidden",           0x02010016, BOOL,  GETSET,  8, "FALSE",         NONE,  NONE,        NONE, 1727, "Hidden\nHIDDEN") \
  A(Protected, Protected, "Protected",        0x02010017, BOOL,  GETSET,  9, "FALSE",         NONE,  NONE,        NONE, 1728, "Protected\nPROTECTED") \
  A(Height,    Height,    "Height",           0x02001415, INT,   GETSET,  6, "0",             NONE,  NONE,        NONE, 1729, "Height\nHEIGHT") \
  A(Width,     Width,     "Width",            0x02001416, INT,   GETSET,  7, "0",             NONE,  NONE,        NONE, 1730, "Width\nWIDTH") \
  A(RelPos,    RelPos,    "RelatedPosition",  0x02010100, PT,    GETSET, 10, "S_NULL_POINT",  NONE,  NONE,        NONE, 1731, "Related Position\nRELPOS") \
  CB(ParentColl, Diagram, "Owner", 0x02810015, 1, 1732, "Owner\nOWNER")

#define KV_SYM_DESC_SSymBasePen(K, A, AX, CF, CB, M) \
  K(SSymBasePen, "SymbolPen", SSymBase, SSymBase, 0x36083F74, 0x10440d, 18, 1045, "SymbolPen", "SPEN", "SymbolPens", 0, 0) \
  /* Const     Code       Name         Id          Type   Store   Slot Default Editor ObjClass List   Label */ \
  A(LineColor, LineColor, "LineColor", 0x02010019, INT,   GETSET, 0,   "0",    COLOR, NONE,    NONE,  1733, "Line Color\nLINECOLR") \
  A(DashStyle, DashStyle, "DashStyle", 0x0201001A, SMALL, GETSET, 1,   "0",    NONE,  NONE,    DASH,  1734, "Dash Style\nDASHSTYL") \
  A(LineWidth, LineWidth, "LineWidth", 0x0201001B, SMALL, GETSET, 2,   "1",    NONE,  NONE,    WIDTH, 1735, "Line Width\nLINEWDTH")

#define KV_SYM_DESC_SSymStd(K, A, AX, CF, CB, M) \
  K(SSymStd, "StandardSymbol", SSymBasePen, SSymBasePen, 0x36083F71, 0x10440d, 18, 1039, "Standard symbol", "STD", "Standard symbols", 0, 0) \
  /* Const       Code         Name           Id          Type   Store   Slot Default     Editor ObjClass List    Label */ \
  A(HasAShadow,  HasAShadow,  "Shadow",      0x02010002, BOOL,  GETSET, 1,   "FALSE",    NONE,  NONE,    NONE,   1736, "Shadow\nSHADOW") \
  A(ShadowStyle, ShadowStyle, "ShadowStyle", 0x02010018, SMALL, FIELD,  0,   "0",        NONE,  NONE,    SHADOW, 1737, "Shadow Style\nSHDWSTYL") \
  A(ShadowColor, ShadowColor, "ShadowColor", 0x0201001D, INT,   GETSET, 2,   "0xC0C0C0", COLOR, NONE,    NONE,   1738, "Shadow Color\nSHDWCOLR") \
  A(BlobData,    BlobData,    "Blob",        0x0201000A, BIN,   BLOB,   3,   "",         NONE,  NONE,    NONE,   1041, "Blob\nBLOB")

#define KV_SYM_DESC_SSymBlob(K, A, AX, CF, CB, M) \
  K(SSymBlob, "BlobedSymbol", SSymBase, SSymBase, 0x36083F73, 0x440d, 18, 1097, "Blobbed Symbol", "BLOBSYM", "Blobbed Symbols", 0, 0) \
  /* Const Code      Name    Id          Type Store   Slot Default Editor ObjClass List  Label */ \
  A(,      BlobData, "Blob", 0x0201000A, BIN, GETSET, 0,   "",     NONE,  NONE,    NONE, 1041, "Blob\nBLOB")

#define KV_SYM_DESC_SSymSolid(K, A, AX, CF, CB, M) \
  K(SSymSolid, "SolidSymbol", SSymStd, SSymStd, 0x36083F72, 0x10440d, 18, 1040, "Solid symbol", "SOLID", "Solid symbols", 0, 0) \
  /* Const                 Code                   Name                     Id          Type  Store   Slot Default       Editor ObjClass         List  Label */ \
  A(Transparent,           Transparent,           "Transparent",           0x020100B5, BOOL, GETSET,  0, "FALSE",       NONE,  NONE,            NONE, 1379, "Transparent\nTRNSPRNT") \
  A(FillColor,             FillColor,             "FillColor",             0x0201001C, INT,  GETSET,  1, "0xFFFFFF",    COLOR, NONE,            NONE, 1362, "Fill Color\nFILLCOLR") \
  A(BrushStyle,            BrushStyle,            "BrushStyle",            0x02010020, INT,  GETSET,  2, "1",           NONE,  NONE,            NONE, 1363, "Brush Style\nBRSHSTYL") \
  A(GradientFillMode,      GradientFillMode,      "GradientFillMode",      0x02010021, INT,  GETSET,  3, "0",           NONE,  NONE,            NONE, 1364, "Gradient Fill Mode\nGRADMODE") \
  A(GradientEndColor,      GradientEndColor,      "GradientEndColor",      0x020100B2, INT,  GETSET,  4, "0x767676",    COLOR, NONE,            NONE, 1365, "Gradient End Color\nGRADCOLR") \
  A(PictureFillMode,       PictureFillMode,       "PictureFillMode",       0x020100B3, INT,  GETSET,  5, "12",          NONE,  NONE,            NONE, 1366, "Picture Fill Mode\nPICTMODE") \
  A(IsAutoAdjusted,        IsAutoAdjusted,        "AutoAdjustToText",      0x02010009, BOOL, FIELD,   6, "FALSE",       NONE,  NONE,            NONE, 1739, "Auto Adjust To Text\nAUTOADJ") \
  A(IsManuallyResized,     IsManuallyResized,     "ManuallyResized",       0x020100B9, BOOL, FIELD,   7, "FALSE",       NONE,  NONE,            NONE, 1389, "Resized\nRESIZED") \
  A(KeepAspect,            KeepAspect,            "KeepAspect",            0x020100B6, BOOL, GETSET,  8, "FALSE",       NONE,  NONE,            NONE, 1740, "Keep Aspect\nKEEPASPT") \
  A(KeepCenter,            KeepCenter,            "KeepCenter",            0x020100B7, BOOL, GETSET,  9, "FALSE",       NONE,  NONE,            NONE, 1741, "Keep Center\nKEEPCNTR") \
  A(KeepSize,              KeepSize,              "KeepSize",              0x020100B8, BOOL, GETSET, 10, "FALSE",       NONE,  NONE,            NONE, 1742, "Keep Size\nKEEPSIZE") \
  A(CustomPictureType,     CustomPictureType,     "CustomPictureType",     0x02010050, INT,  GETSET, 11, "0",           NONE,  NONE,            NONE, 1743, "Custom Picture Type\nCSTPCTTP") \
  A(CustomTextMode,        CustomTextMode,        "CustomTextMode",        0x02010051, INT,  FIELD,  12, "0",           NONE,  NONE,            NONE, 1744, "Custom Text Mode\nCSTTXTMD") \
  A(BackgroundPictureID,   BackgroundPictureID,   "BackgroundPictureID",   0x02010052, OID,  GETSET, 13, "S_NULL_OID",  NONE,  SSymPictureFile, NONE, 1376, "Background Picture ID\nBCKPCTID") \
  A(CustomPictureID,       CustomPictureID,       "CustomPictureID",       0x02010053, OID,  GETSET, 14, "S_NULL_OID",  NONE,  SSymPictureFile, NONE, 1745, "Custom Picture ID\nCSTPCTID") \
  A(BackgroundPictureFile, BackgroundPictureFile, "BackgroundPictureFile", 0x02010056, TEXT, GETSET, 15, "",            NONE,  NONE,            NONE, 1390, "Background Picture File\nBCKPCTFILE") \
  A(CustomPictureFile,     CustomPictureFile,     "CustomPictureFile",     0x02010057, TEXT, GETSET, 16, "",            NONE,  NONE,            NONE, 1746, "Custom Picture File\nCSTPCTFILE") \
  A(CustomShapeType,       CustomShapeType,       "CustomShapeType",       0x02010058, INT,  GETSET, 17, "0",           NONE,  NONE,            NONE, 1747, "Custom Shape Type\nCSTSHPTP") \
  CB(SourceOfLinks, LinkSrc, "SourceOfLinks", 0x0281000E, 2, 1748, "Source of Links\nSRCLINKS") \
  CB(DestinationOfLinks, LinkDst, "DestinationOfLinks", 0x0281000F, 3, 1749, "Destination of Links\nDSTLINKS")

#define KV_SYM_DESC_SSymSolidText(K, A, AX, CF, CB, M) \
  K(SSymSolidText, "SolidTextSymbol", SSymSolid, SSymSolid, 0x36083F82, 0x10440d, 8, 1368, "Solid Text", "SOLDTEXT", "Solid Texts", 0, 0) \
  /* Const     Code      Name         Id          Type  Store   Slot Default      Editor ObjClass List  Label */ \
  A(Text,      Text,     "Text",      0x01000009, TEXT, FIELD,  0,   "",          NONE,  NONE,    NONE, 1757, "Text\nTEXT") \
  A(TextStyle, Style,    "TextStyle", 0x02010007, INT,  FIELD,  2,   "0x211",     NONE,  NONE,    NONE, 1031, "Text Style\nTEXTSTYLE") \
  A(FontColor, Font,     "FontColor", 0x02010006, INT,  FIELD,  1,   "0",         COLOR, NONE,    NONE, 1029, "Font Color\nCOLOR") \
  A(FontName,  FontName, "FontName",  0x0201001F, TEXT, GETSET, 3,   "Arial,8,N", NONE,  NONE,    NONE, 1096, "Font Name\nFNAM")
// clang-format on
