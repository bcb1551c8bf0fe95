#include "sym/foundation/symmetadata.h"

#include <cstdint>
#include <span>

#include "sym/foundation/sdsym.h"
#include "win/winres.h"

#if __has_include("kvrep/sreptypelib.h")
#include "kvrep/sreptypelib.h"
#define KV_SYM_HAVE_TYPELIB 1
#endif

namespace {
// Written at build time by res/symmetagen.
const unsigned char s_metadata[] = {
#include "symmetadata.inc"
};

// Registered right after the module state is built, unregistered when the
// library unloads.
KvResourceRegistration s_metadataResource __attribute__((init_priority(104)))(
    SSymGetInstanceHandle(), u"METADATA", MAKEINTRESOURCEW(SSymMetadataId), s_metadata, sizeof s_metadata);

#ifdef KV_SYM_HAVE_TYPELIB
// The repository reads registered resources through this lookup: the module
// state it is given is the one this library registered with.
std::span<const std::uint8_t> LookupResource(void* moduleState, UINT id, LPCWSTR type) {
  auto* state = static_cast<SModuleState*>(moduleState);
  if (!state || !type) return {};
  SResourceBytes bytes = state->FindResourceBytes(type, id);
  return {bytes.data, bytes.size};
}

// The repository reads the class labels of the metamodel through this
// lookup; other modules' strings are not this library's to answer.
SString LookupString(void* moduleState, UINT id) {
  if (moduleState != SSymGetModuleState()) return SString();
  return SSymGetClassLabel(id);
}

// The lookups live in this library: they are taken back when the library unloads.
struct SLookupGuard {
  bool installed = false;
  ~SLookupGuard() {
    if (installed) {
      SRepSetResourceLookup(nullptr);
      SRepSetStringLookup(nullptr);
    }
  }
};
SLookupGuard s_lookupGuard;
#endif
}  // namespace

SString SSymGetClassLabel(UINT id) {
  // The label strings of the metamodel's classes: the label, the short code
  // and the plural, one per line.
  static const struct {
    UINT id;
    const char16_t* text;
  } kLabels[] = {
      {1019, u"Diagram\nDIAG\n@CLSSNAMES=Diagrams"},
      {1059, u"Base Symbol\nSYMBASE\n@CLSSNAMES=Base Symbols"},
      {1045, u"SymbolPen\nSPEN\n@CLSSNAMES=SymbolPens"},
      {1039, u"Standard symbol\nSTD\n@CLSSNAMES=Standard symbols"},
      {1097, u"Blobbed Symbol\nBLOBSYM\n@CLSSNAMES=Blobbed Symbols"},
      {1040, u"Solid symbol\nSOLID\n@CLSSNAMES=Solid symbols"},
      {1033, u"Arrow\nARROW\n@CLSSNAMES=Arrows"},
      {1018, u"BasePolyline\nPLBS\n@CLSSNAMES=BasePolyline"},
      {1024, u"Polygon\nPOLYGON\n@CLSSNAMES=Polygons"},
      {1017, u"Polyline\nPTLIST\n@CLSSNAMES=Polylines"},
      {1075, u"Arc\nARC\n@CLSSNAMES=Arcs"},
      {1368, u"Solid Text\nSOLDTEXT\n@CLSSNAMES=Solid Texts"},
      {1015, u"Rectangle\nRECT\n@CLSSNAMES=Rectangles"},
      {1307, u"Pie\nPIE\n@CLSSNAMES=Pies"},
      {1306, u"Blank Rectangle\nBLRE\n@CLSSNAMES=Blank Rectangles"},
      {1025, u"Round Rectangle\nROUNDRECT\n@CLSSNAMES=Round Rectangles"},
      {1026, u"Ellipse\nELLIPSE\n@CLSSNAMES=Ellipses"},
      {1028, u"Text\nTEXT\n@CLSSNAMES=Texts"},
      {1135, u"Predefined Symbol\nPREDEFINED\n@CLSSNAMES=Predefined Symbols"},
      {1047, u"LinkBase Symbol\nLINKBASE\n@CLSSNAMES=LinkBase Symbols"},
      {1048, u"Standard Link Symbol\nSTDLINKSYM\n@CLSSNAMES=Standard Link Symbols"},
      {1030, u"Link Symbol\nLINKSYM\n@CLSSNAMES=Link Symbols"},
      {1034, u"Bitmap\nBITMAP\n@CLSSNAMES=Bitmaps"},
      {1037, u"Metafile\nMETAFILE\n@CLSSNAMES=Metafiles"},
      {1035, u"Composite Symbol\nCOMPOSITE\n@CLSSNAMES=Composite Symbols"},
      {1036, u"Group Symbol\nGRPS\n@CLSSNAMES=Group Symbols"},
      {1038, u"OLE\nOLE\n@CLSSNAMES=OLEs"},
      {1043, u"Swimlane\nSWIMLANE\n@CLSSNAMES=Swimlanes"},
      {1044, u"SwimColn\nSWIMCOLN\n@CLSSNAMES=SwimColns"},
      {1413, u"Swimlane Group\nSWIMGRP\n@CLSSNAMES=Swimlane Groups"},
      {1369, u"Picture File\nPCTF\n@CLSSNAMES=Picture Files"},
      {1046, u"Swimlane\nSWIMLINE\n@CLSSNAMES=Swimlanes"},
      {1099, u"Branch\nTREELINE\n@CLSSNAMES=Branch"},
  };
  for (const auto& l : kLabels)
    if (l.id == id) return SString(l.text);
  return SString();
}

SResourceBytes SSymGetMetadata() { return SSymGetModuleState()->FindResourceBytes(SSymMetadataType, SSymMetadataId); }

void SSymRegisterMetadata() {
#ifdef KV_SYM_HAVE_TYPELIB
  ISRepTypeLibManager* manager = GetTypeLibManager();
  if (!manager) return;
  SRepSetResourceLookup(&LookupResource);
  SRepSetStringLookup(&LookupString);
  s_lookupGuard.installed = true;
  manager->RegisterTypeLib(SSymGetModuleState(), SSymMetadataId, 0, u"METADATA");
#endif
}
