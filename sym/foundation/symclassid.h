// Class identifiers of the library's persistent classes, of the repository's
// two root classes, and the interface identifiers of the symbol interfaces.
#pragma once

#include <cstdint>

#include "sym/foundation/symclassdesc.h"
#include "win/windef.h"

// ---- persistent classes: {360836xx-1A49-11D1-83D9-444553540000} ------------
// CLSID_<class> of every class described in symclassdesc.h.
constexpr CLSID SSymMakeClassId(std::uint32_t first) {
  return CLSID{first, 0x1A49, 0x11D1, {0x83, 0xD9, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
}
#define KV_SYM_CLSID_ROW(cls, name, parent, mapBase, id, ...) inline constexpr CLSID CLSID_##cls = SSymMakeClassId(id);
#define KV_SYM_CLSID_CLASS(cls) \
  KV_SYM_DESC_##cls(KV_SYM_CLSID_ROW, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP)
KV_SYM_CLASSES(KV_SYM_CLSID_CLASS)
#undef KV_SYM_CLSID_CLASS
#undef KV_SYM_CLSID_ROW

// The first words of the class identifiers, in metamodel order.
namespace sym_detail {
#define KV_SYM_ID_ROW(cls, name, parent, mapBase, id, ...) id,
#define KV_SYM_ID_CLASS(cls) KV_SYM_DESC_##cls(KV_SYM_ID_ROW, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP)
inline constexpr std::uint32_t kClassIds[] = {KV_SYM_CLASSES(KV_SYM_ID_CLASS)};
#undef KV_SYM_ID_CLASS
#undef KV_SYM_ID_ROW

constexpr std::uint32_t ClassIdBound(bool last) {
  std::uint32_t bound = kClassIds[0];
  for (std::uint32_t id : kClassIds)
    if (last ? id > bound : id < bound) bound = id;
  return bound;
}
}  // namespace sym_detail

// The first words that bound the range of the library's class identifiers.
inline constexpr std::uint32_t SSymClassIdFirst = sym_detail::ClassIdBound(false);
inline constexpr std::uint32_t SSymClassIdLast = sym_detail::ClassIdBound(true);

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
