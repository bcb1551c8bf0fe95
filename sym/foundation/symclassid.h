// Class identifiers of the library's persistent classes, of the repository's
// two root classes, and the interface identifiers of the symbol interfaces.
#pragma once

#include "win/windef.h"

// ---- persistent classes: {360836xx-1A49-11D1-83D9-444553540000} ------------
inline constexpr CLSID CLSID_SSymPolyBase = MakeGUID("{36083F59-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymPolyline = MakeGUID("{36083F60-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymRectangle = MakeGUID("{36083F61-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymEllipse = MakeGUID("{36083F62-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymText = MakeGUID("{36083F63-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymLinkSym = MakeGUID("{36083F64-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymBitmap = MakeGUID("{36083F65-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymMetafile = MakeGUID("{36083F66-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymGroup = MakeGUID("{36083F67-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymOle = MakeGUID("{36083F68-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymPolygon = MakeGUID("{36083F69-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymRoundRect = MakeGUID("{36083F6A-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymComposite = MakeGUID("{36083F6B-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymArrow = MakeGUID("{36083F6C-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymDiagram = MakeGUID("{36083F6D-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymArc = MakeGUID("{36083F6F-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymBase = MakeGUID("{36083F70-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymStd = MakeGUID("{36083F71-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymSolid = MakeGUID("{36083F72-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymBlob = MakeGUID("{36083F73-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymBasePen = MakeGUID("{36083F74-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymLinkBase = MakeGUID("{36083F75-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymLinkStd = MakeGUID("{36083F76-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymSwimLane = MakeGUID("{36083F80-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymSwimColn = MakeGUID("{36083F81-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymSolidText = MakeGUID("{36083F82-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymPredefined = MakeGUID("{36083F83-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymPictureFile = MakeGUID("{36083F84-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymSwim = MakeGUID("{36083F85-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymTreeLine = MakeGUID("{36083F86-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymPie = MakeGUID("{36083F87-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymBlankRectangle = MakeGUID("{36083F88-1A49-11D1-83D9-444553540000}");
inline constexpr CLSID CLSID_SSymSwimGroup = MakeGUID("{36083F89-1A49-11D1-83D9-444553540000}");

// The first words that bound the range of the library's class identifiers.
inline constexpr std::uint32_t SSymClassIdFirst = 0x36083F59u;
inline constexpr std::uint32_t SSymClassIdLast = 0x36083F89u;

// ---- the repository's root classes ------------------------------------------
inline constexpr CLSID CLSID_RepSRepObject = MakeGUID("{362D41E0-9D82-11D1-8E5D-444553540000}");
inline constexpr CLSID CLSID_RepSRepObjectBase = MakeGUID("{362D41EA-9D82-11D1-8E5D-444553540000}");

// ---- symbol interfaces: {155E21xx-0445-11D1-83D9-444553540000} ---------------
inline constexpr IID IID_ISSymPen = MakeGUID("{155E2140-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymLine = MakeGUID("{155E2141-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymPolyline = MakeGUID("{155E2142-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymShadow = MakeGUID("{155E2143-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymBrush = MakeGUID("{155E2144-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymFont = MakeGUID("{155E2145-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymText = MakeGUID("{155E2146-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymLink = MakeGUID("{155E2147-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymLinkable = MakeGUID("{155E2148-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymGroup = MakeGUID("{155E2149-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymClone = MakeGUID("{155E214A-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymOle = MakeGUID("{155E214B-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymTooltip = MakeGUID("{155E214C-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymOwner = MakeGUID("{155E214D-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymDiagram = MakeGUID("{155E214E-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymbol = MakeGUID("{155E214F-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymSubSink = MakeGUID("{155E2150-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymFonts = MakeGUID("{155E2151-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymbolInit = MakeGUID("{155E2152-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymAdjust = MakeGUID("{155E2153-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymComplex = MakeGUID("{155E2154-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymSlave = MakeGUID("{155E2155-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymEditInPlace = MakeGUID("{155E2156-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymSwimPool = MakeGUID("{155E2157-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSwimlane = MakeGUID("{155E2158-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymInSwim = MakeGUID("{155E2159-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymCompSym = MakeGUID("{155E215A-0445-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymCustomShape = MakeGUID("{155E2200-0445-11D1-83D9-444553540000}");

// ---- other interfaces of the library and of its host ---------------------------
inline constexpr IID IID_ISVerbSource = MakeGUID("{4FADD6E1-4EF2-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymDataSrc = MakeGUID("{1E1AC440-194A-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymSubSym = MakeGUID("{1E1AC442-194A-11D1-83D9-444553540000}");
inline constexpr IID IID_ISSymTree = MakeGUID("{511194E8-331A-457F-9D95-DA7BB042FF81}");
inline constexpr IID IID_ISSymPort = MakeGUID("{EF4BFD5B-5C90-429D-ABF4-4BB402729ABE}");
inline constexpr IID IID_ISSymAction = MakeGUID("{B5928D56-8F91-4A1B-BADF-239C030EFAF5}");
inline constexpr IID IID_ISSymCustomSymbol = MakeGUID("{F1CC6006-8DF7-4584-B9F9-5F83BFD09768}");
inline constexpr IID IID_ISSymObject = MakeGUID("{E2E5AE52-B43C-11D2-82C5-0008C75A860B}");
inline constexpr IID IID_ISSymCompView = MakeGUID("{E2E5AE62-B43C-11D2-82C5-0008C75A860B}");
