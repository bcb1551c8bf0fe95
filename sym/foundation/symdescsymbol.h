// The description of the symbol core: the base symbol, the pen, the standard
// (shadowed) symbol, the blob symbol, the solid symbol and the solid symbol
// with text (see symclassdesc.h for the columns).
#pragma once

// clang-format off
#define KV_SYM_DESC_SSymBase(K, A, AX, CF, CB, M) \
  K(SSymBase, "BaseSymbol", RepSRepObject, RepSRepObject, 0x36083F70, 0x90440d, 18, 1059, "Base Symbol", "SYMBASE", "Base Symbols", 0, 0) \
  /* Const     Code       Name                Id          Type   Store   Slot Default         Editor ObjClass     List */ \
  A(ClipRect,  ClipRect,  "Rect",             0x02010001, RECT,  FIELD,  11, "S_NULL_RECT",   NONE,  NONE,        NONE) \
  A(Flags,     Flags,     "Flags",            0x02010012, FLAGS, FIELD,  12, "0",             NONE,  NONE,        NONE) \
  A(CDAT,      CDAT,      "CreationDate",     0x01000010, DATE,  FIELD,  13, "S_NULL_DATE",   NONE,  NONE,        NONE) \
  A(MDAT,      MDAT,      "ModificationDate", 0x01000012, DATE,  FIELD,  14, "S_NULL_DATE",   NONE,  NONE,        NONE) \
  A(Diagram,   Diagram,   "Diagram",          0x020100BA, SYM,   GET,     0, "",              NONE,  SSymDiagram, NONE) \
  A(DispName,  DispName,  "DisplayName",      0x0100000B, STR,   GET,     1, "",              NONE,  NONE,        NONE) \
  A(Name,      Name,      "Name",             0x01000002, STR,   GET,     2, "",              NONE,  NONE,        NONE) \
  A(Code,      Code,      "Code",             0x01000004, STR,   GET,     3, "",              NONE,  NONE,        NONE) \
  A(Pos,       Pos,       "Position",         0x02010013, PT,    GETSET,  4, "S_NULL_POINT",  NONE,  NONE,        NONE) \
  A(Size,      Size,      "Size",             0x02010014, PT,    GETSET,  5, "S_NULL_POINT",  NONE,  NONE,        NONE) \
  A(Hidden,    Hidden,    "Hidden",           0x02010016, BOOL,  GETSET,  8, "FALSE",         NONE,  NONE,        NONE) \
  A(Protected, Protected, "Protected",        0x02010017, BOOL,  GETSET,  9, "FALSE",         NONE,  NONE,        NONE) \
  A(Height,    Height,    "Height",           0x02001415, INT,   GETSET,  6, "0",             NONE,  NONE,        NONE) \
  A(Width,     Width,     "Width",            0x02001416, INT,   GETSET,  7, "0",             NONE,  NONE,        NONE) \
  A(RelPos,    RelPos,    "RelatedPosition",  0x02010100, PT,    GETSET, 10, "S_NULL_POINT",  NONE,  NONE,        NONE) \
  CB(ParentColl, Diagram, "Owner", 0x02810015, 1)

#define KV_SYM_DESC_SSymBasePen(K, A, AX, CF, CB, M) \
  K(SSymBasePen, "SymbolPen", SSymBase, SSymBase, 0x36083F74, 0x10440d, 18, 1045, "SymbolPen", "SPEN", "SymbolPens", 0, 0) \
  /* Const     Code       Name         Id          Type   Store   Slot Default Editor ObjClass List */ \
  A(LineColor, LineColor, "LineColor", 0x02010019, INT,   GETSET, 0,   "0",    COLOR, NONE,    NONE) \
  A(DashStyle, DashStyle, "DashStyle", 0x0201001A, SMALL, GETSET, 1,   "0",    NONE,  NONE,    DASH) \
  A(LineWidth, LineWidth, "LineWidth", 0x0201001B, SMALL, GETSET, 2,   "1",    NONE,  NONE,    WIDTH)

#define KV_SYM_DESC_SSymStd(K, A, AX, CF, CB, M) \
  K(SSymStd, "StandardSymbol", SSymBasePen, SSymBasePen, 0x36083F71, 0x10440d, 18, 1039, "Standard symbol", "STD", "Standard symbols", 0, 0) \
  /* Const       Code         Name           Id          Type   Store   Slot Default     Editor ObjClass List */ \
  A(HasAShadow,  HasAShadow,  "Shadow",      0x02010002, BOOL,  GETSET, 1,   "FALSE",    NONE,  NONE,    NONE) \
  A(ShadowStyle, ShadowStyle, "ShadowStyle", 0x02010018, SMALL, FIELD,  0,   "0",        NONE,  NONE,    SHADOW) \
  A(ShadowColor, ShadowColor, "ShadowColor", 0x0201001D, INT,   GETSET, 2,   "0xC0C0C0", COLOR, NONE,    NONE) \
  A(BlobData,    BlobData,    "Blob",        0x0201000A, BIN,   BLOB,   3,   "",         NONE,  NONE,    NONE)

#define KV_SYM_DESC_SSymBlob(K, A, AX, CF, CB, M) \
  K(SSymBlob, "BlobedSymbol", SSymBase, SSymBase, 0x36083F73, 0x440d, 18, 1097, "Blobbed Symbol", "BLOBSYM", "Blobbed Symbols", 0, 0) \
  /* Const Code      Name    Id          Type Store   Slot Default Editor ObjClass List */ \
  A(,      BlobData, "Blob", 0x0201000A, BIN, GETSET, 0,   "",     NONE,  NONE,    NONE)

#define KV_SYM_DESC_SSymSolid(K, A, AX, CF, CB, M) \
  K(SSymSolid, "SolidSymbol", SSymStd, SSymStd, 0x36083F72, 0x10440d, 18, 1040, "Solid symbol", "SOLID", "Solid symbols", 0, 0) \
  /* Const                 Code                   Name                     Id          Type  Store   Slot Default       Editor ObjClass         List */ \
  A(Transparent,           Transparent,           "Transparent",           0x020100B5, BOOL, GETSET,  0, "FALSE",       NONE,  NONE,            NONE) \
  A(FillColor,             FillColor,             "FillColor",             0x0201001C, INT,  GETSET,  1, "0xFFFFFF",    COLOR, NONE,            NONE) \
  A(BrushStyle,            BrushStyle,            "BrushStyle",            0x02010020, INT,  GETSET,  2, "1",           NONE,  NONE,            NONE) \
  A(GradientFillMode,      GradientFillMode,      "GradientFillMode",      0x02010021, INT,  GETSET,  3, "0",           NONE,  NONE,            NONE) \
  A(GradientEndColor,      GradientEndColor,      "GradientEndColor",      0x020100B2, INT,  GETSET,  4, "0x767676",    COLOR, NONE,            NONE) \
  A(PictureFillMode,       PictureFillMode,       "PictureFillMode",       0x020100B3, INT,  GETSET,  5, "12",          NONE,  NONE,            NONE) \
  A(IsAutoAdjusted,        IsAutoAdjusted,        "AutoAdjustToText",      0x02010009, BOOL, FIELD,   6, "FALSE",       NONE,  NONE,            NONE) \
  A(IsManuallyResized,     IsManuallyResized,     "ManuallyResized",       0x020100B9, BOOL, FIELD,   7, "FALSE",       NONE,  NONE,            NONE) \
  A(KeepAspect,            KeepAspect,            "KeepAspect",            0x020100B6, BOOL, GETSET,  8, "FALSE",       NONE,  NONE,            NONE) \
  A(KeepCenter,            KeepCenter,            "KeepCenter",            0x020100B7, BOOL, GETSET,  9, "FALSE",       NONE,  NONE,            NONE) \
  A(KeepSize,              KeepSize,              "KeepSize",              0x020100B8, BOOL, GETSET, 10, "FALSE",       NONE,  NONE,            NONE) \
  A(CustomPictureType,     CustomPictureType,     "CustomPictureType",     0x02010050, INT,  GETSET, 11, "0",           NONE,  NONE,            NONE) \
  A(CustomTextMode,        CustomTextMode,        "CustomTextMode",        0x02010051, INT,  FIELD,  12, "0",           NONE,  NONE,            NONE) \
  A(BackgroundPictureID,   BackgroundPictureID,   "BackgroundPictureID",   0x02010052, OID,  GETSET, 13, "S_NULL_OID",  NONE,  SSymPictureFile, NONE) \
  A(CustomPictureID,       CustomPictureID,       "CustomPictureID",       0x02010053, OID,  GETSET, 14, "S_NULL_OID",  NONE,  SSymPictureFile, NONE) \
  A(BackgroundPictureFile, BackgroundPictureFile, "BackgroundPictureFile", 0x02010056, TEXT, GETSET, 15, "",            NONE,  NONE,            NONE) \
  A(CustomPictureFile,     CustomPictureFile,     "CustomPictureFile",     0x02010057, TEXT, GETSET, 16, "",            NONE,  NONE,            NONE) \
  A(CustomShapeType,       CustomShapeType,       "CustomShapeType",       0x02010058, INT,  GETSET, 17, "0",           NONE,  NONE,            NONE) \
  CB(SourceOfLinks, LinkSrc, "SourceOfLinks", 0x0281000E, 2) \
  CB(DestinationOfLinks, LinkDst, "DestinationOfLinks", 0x0281000F, 3)

#define KV_SYM_DESC_SSymSolidText(K, A, AX, CF, CB, M) \
  K(SSymSolidText, "SolidTextSymbol", SSymSolid, SSymSolid, 0x36083F82, 0x10440d, 8, 1368, "Solid Text", "SOLDTEXT", "Solid Texts", 0, 0) \
  /* Const     Code      Name         Id          Type  Store   Slot Default      Editor ObjClass List */ \
  A(Text,      Text,     "Text",      0x01000009, TEXT, FIELD,  0,   "",          NONE,  NONE,    NONE) \
  A(TextStyle, Style,    "TextStyle", 0x02010007, INT,  FIELD,  2,   "0x211",     NONE,  NONE,    NONE) \
  A(FontColor, Font,     "FontColor", 0x02010006, INT,  FIELD,  1,   "0",         COLOR, NONE,    NONE) \
  A(FontName,  FontName, "FontName",  0x0201001F, TEXT, GETSET, 3,   "Arial,8,N", NONE,  NONE,    NONE)
// clang-format on
