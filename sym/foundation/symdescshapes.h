// The description of the shapes: arrows, arcs, the solid shapes with text,
// predefined shapes and the picture symbols (see symclassdesc.h for the
// columns).
#pragma once

// clang-format off
#define KV_SYM_DESC_SSymArrow(K, A, AX, CF, CB, M) \
  K(SSymArrow, "ArrowSymbol", SSymStd, SSymStd, 0x36083F6C, 0x440d, 11, 1033, "Arrow", "ARROW", "Arrows", 0, 40)

#define KV_SYM_DESC_SSymArc(K, A, AX, CF, CB, M) \
  K(SSymArc, "ArcSymbol", SSymStd, SSymStd, 0x36083F6F, 0x440c, 7, 1075, "Arc", "ARC", "Arcs", 1, 10)

#define KV_SYM_DESC_SSymRectangle(K, A, AX, CF, CB, M) \
  K(SSymRectangle, "RectangleSymbol", SSymSolidText, SSymSolidText, 0x36083F61, 0x440c, 8, 1015, "Rectangle", "RECT", "Rectangles", 1, 10)

#define KV_SYM_DESC_SSymPie(K, A, AX, CF, CB, M) \
  K(SSymPie, "PieSymbol", SSymSolidText, SSymSolidText, 0x36083F87, 0x440c, 8, 1307, "Pie", "PIE", "Pies", 1, 10)

#define KV_SYM_DESC_SSymBlankRectangle(K, A, AX, CF, CB, M) \
  K(SSymBlankRectangle, "BlankRectangleSymbol", SSymSolidText, SSymSolidText, 0x36083F88, 0x440c, 8, 1306, "Blank Rectangle", "BLRE", "Blank Rectangles", 1, 10)

#define KV_SYM_DESC_SSymRoundRect(K, A, AX, CF, CB, M) \
  K(SSymRoundRect, "RoundRectangleSymbol", SSymSolidText, SSymSolidText, 0x36083F6A, 0x10440c, 10, 1025, "Round Rectangle", "ROUNDRECT", "Round Rectangles", 1, 10)

#define KV_SYM_DESC_SSymEllipse(K, A, AX, CF, CB, M) \
  K(SSymEllipse, "EllipseSymbol", SSymSolidText, SSymSolidText, 0x36083F62, 0x440c, 9, 1026, "Ellipse", "ELLIPSE", "Ellipses", 1, 10)

// The text symbol's map streams the blob itself; the metamodel keeps the
// standard symbol's attribute.
#define KV_SYM_DESC_SSymText(K, A, AX, CF, CB, M) \
  K(SSymText, "TextSymbol", SSymSolidText, SSymSolidText, 0x36083F63, 0x440c, 5, 1028, "Text", "TEXT", "Texts", 1, 10) \
  /* Const Code      Name    Id          Type Store Slot Default Editor ObjClass List  Label */ \
  AX(,     BlobData, "Blob", 0x0201000A, BIN, BLOB, 0,   "",     NONE,  NONE,    NONE, 1041, "Blob\nBLOB")

#define KV_SYM_DESC_SSymPredefined(K, A, AX, CF, CB, M) \
  K(SSymPredefined, "PredefinedSymbol", SSymSolidText, SSymSolidText, 0x36083F83, 0x440c, 18, 1135, "Predefined Symbol", "PREDEFINED", "Predefined Symbols", 1, 10) \
  /* Const      Code        Name          Id          Type Store  Slot Default Editor ObjClass List  Label */ \
  A(SymbolType, SymbolType, "SymbolType", 0x020100B4, INT, FIELD, 0,   "0",    NONE,  NONE,    NONE, 1136, "Symbol Type\nSYMBTYPE")

// The bitmap's metamodel keeps a blob of the old format under its own code;
// its map finds the blob symbol's entry.
#define KV_SYM_DESC_SSymBitmap(K, A, AX, CF, CB, M) \
  K(SSymBitmap, "BitmapSymbol", SSymBlob, SSymBlob, 0x36083F65, 0x440c, 16, 1034, "Bitmap", "BITMAP", "Bitmaps", 1, 10) \
  /* Const              Code                 Name                   Id          Type Store   Slot Default       Editor ObjClass         List  Label */ \
  A(DeprecatedBlobData, DeprecatedBlobData,  "Blob",                0x0201000A, BIN, GETSET, -1, "",            NONE,  NONE,            NONE, 1041, "Blob\nBLOB") \
  A(,                   BackgroundPictureID, "BackgroundPictureID", 0x02010052, OID, GETSET,  0, "S_NULL_OID",  NONE,  SSymPictureFile, NONE, 1376, "Background Picture ID\nBCKPCTID")

#define KV_SYM_DESC_SSymMetafile(K, A, AX, CF, CB, M) \
  K(SSymMetafile, "MetafileSymbol", SSymBlob, SSymBlob, 0x36083F66, 0x440c, 15, 1037, "Metafile", "METAFILE", "Metafiles", 1, 10)

#define KV_SYM_DESC_SSymOle(K, A, AX, CF, CB, M) \
  K(SSymOle, "OleSymbol", SSymBlob, SSymBlob, 0x36083F68, 0x440c, 17, 1038, "OLE", "OLE", "OLEs", 1, 10)
// clang-format on
