// The property and attribute-editor maps of the persistent classes: entries,
// chains and lookups along them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "kvrep/srepobject.h"
#include "sym/foundation/sdsym.h"
#include "sym/foundation/sympropmap.h"

namespace {

const SPropertyEntry* OwnProperty(const SPropertyMap* map, DWORD id) {
  for (const SPropertyEntry* e = map->entries; e->id != 0; ++e)
    if (e->id == id) return e;
  return nullptr;
}

int CountProperties(const SPropertyMap* map) {
  int n = 0;
  for (const SPropertyEntry* e = map->entries; e->id != 0; ++e) ++n;
  return n;
}
int CountEditors(const SAttrEditorMap* map) {
  int n = 0;
  for (const SAttrEditorEntry* e = map->entries; e->id != 0; ++e) ++n;
  return n;
}

TEST(SymPropertyMaps, EntryCountsPerClass) {
  struct Case {
    int cls;
    int properties;
    int editors;
  };
  const Case cases[] = {
      {SYMCLS_SSymBase, 15, 0},      {SYMCLS_SSymBasePen, 3, 1},    {SYMCLS_SSymStd, 4, 1},
      {SYMCLS_SSymBlob, 1, 0},       {SYMCLS_SSymSolid, 18, 2},     {SYMCLS_SSymSolidText, 4, 1},
      {SYMCLS_SSymText, 1, 0},       {SYMCLS_SSymBitmap, 1, 0},     {SYMCLS_SSymPredefined, 1, 0},
      {SYMCLS_SSymTreeLine, 1, 0},   {SYMCLS_SSymComposite, 1, 0},  {SYMCLS_SSymPolyBase, 5, 0},
      {SYMCLS_SSymPolygon, 8, 2},    {SYMCLS_SSymPolyline, 12, 1},  {SYMCLS_SSymLinkBase, 2, 2},
      {SYMCLS_SSymLinkStd, 6, 0},    {SYMCLS_SSymLinkSym, 6, 1},    {SYMCLS_SSymSwimLane, 1, 0},
      {SYMCLS_SSymArrow, 0, 0},      {SYMCLS_SSymArc, 0, 0},        {SYMCLS_SSymRectangle, 0, 0},
      {SYMCLS_SSymPie, 0, 0},        {SYMCLS_SSymBlankRectangle, 0, 0}, {SYMCLS_SSymRoundRect, 0, 0},
      {SYMCLS_SSymEllipse, 0, 0},    {SYMCLS_SSymSwim, 0, 0},       {SYMCLS_SSymSwimGroup, 0, 0},
      {SYMCLS_SSymMetafile, 0, 0},   {SYMCLS_SSymOle, 0, 0},        {SYMCLS_SSymGroup, 0, 0},
      {SYMCLS_SSymSwimColn, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(g_symClasses[c.cls].name);
    ASSERT_NE(SSymGetPropertyMap(c.cls), nullptr);
    EXPECT_EQ(CountProperties(SSymGetPropertyMap(c.cls)), c.properties);
    EXPECT_EQ(CountEditors(SSymGetAttrEditorMap(c.cls)), c.editors);
    // A getter-only entry never carries a setter, whatever the class stored.
    for (const SPropertyEntry* e = SSymGetPropertyMap(c.cls)->entries; e->id != 0; ++e) {
      if (e->flags == 0x4) {
        EXPECT_EQ(e->setter, nullptr) << std::hex << e->id;
      }
    }
  }
}

TEST(SymPropertyMaps, ChainsEndAtTheRepositoryRoots) {
  struct Case {
    int cls;
    std::vector<int> chain;  // the class, then each base map's class
  };
  const Case cases[] = {
      {SYMCLS_SSymRectangle,
       {SYMCLS_SSymRectangle, SYMCLS_SSymSolidText, SYMCLS_SSymSolid, SYMCLS_SSymStd, SYMCLS_SSymBasePen,
        SYMCLS_SSymBase}},
      {SYMCLS_SSymSwimColn,
       {SYMCLS_SSymSwimColn, SYMCLS_SSymPolyBase, SYMCLS_SSymStd, SYMCLS_SSymBasePen, SYMCLS_SSymBase}},
      {SYMCLS_SSymLinkSym,
       {SYMCLS_SSymLinkSym, SYMCLS_SSymLinkStd, SYMCLS_SSymLinkBase, SYMCLS_SSymPolyBase, SYMCLS_SSymStd,
        SYMCLS_SSymBasePen, SYMCLS_SSymBase}},
      {SYMCLS_SSymGroup, {SYMCLS_SSymGroup, SYMCLS_SSymComposite, SYMCLS_SSymBase}},
      {SYMCLS_SSymOle, {SYMCLS_SSymOle, SYMCLS_SSymBlob, SYMCLS_SSymBase}},
      {SYMCLS_SSymSwimLane, {SYMCLS_SSymSwimLane, SYMCLS_SSymBasePen, SYMCLS_SSymBase}},
      {SYMCLS_SSymTreeLine, {SYMCLS_SSymTreeLine, SYMCLS_SSymStd, SYMCLS_SSymBasePen, SYMCLS_SSymBase}},
      {SYMCLS_SSymArrow, {SYMCLS_SSymArrow, SYMCLS_SSymStd, SYMCLS_SSymBasePen, SYMCLS_SSymBase}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(g_symClasses[c.cls].name);
    const SPropertyMap* pm = SSymGetPropertyMap(c.cls);
    const SAttrEditorMap* am = SSymGetAttrEditorMap(c.cls);
    for (int link : c.chain) {
      EXPECT_EQ(pm, SSymGetPropertyMap(link));
      EXPECT_EQ(am, SSymGetAttrEditorMap(link));
      ASSERT_NE(pm->base, nullptr);
      ASSERT_NE(am->base, nullptr);
      pm = pm->base();
      am = am->base();
    }
    EXPECT_EQ(pm, &SRepObject::propertyMap);
    EXPECT_EQ(am, &SRepObject::attrEditorMap);
  }
  // Every class's chain ends at the roots.
  for (int c = 0; c < SYMCLS_Count; ++c) {
    if (c == SYMCLS_SSymDiagram || c == SYMCLS_SSymPictureFile) continue;
    const SPropertyMap* pm = SSymGetPropertyMap(c);
    int depth = 0;
    while (pm->base && depth++ < 16) pm = pm->base();
    EXPECT_EQ(pm, &SRepObject::propertyMap) << g_symClasses[c].name;
  }
}

TEST(SymPropertyMaps, LookupsFindTheNearestEntry) {
  const SClassInfo* none = nullptr;
  const SClassInfo* color = &SRepAttrEditorColor::__clsinf;
  const SClassInfo* object = &SRepAttrEditorObject::__clsinf;
  struct Case {
    int cls;
    DWORD id;
    int owner;  // class whose own map holds the entry found, -1 for none
    WORD length;
    WORD type;
    DWORD flags;
    const SClassInfo* editor;
  };
  const Case cases[] = {
      {SYMCLS_SSymRectangle, 0x0201001C, SYMCLS_SSymSolid, 0, 0x3, 0xC, color},         // FillColor
      {SYMCLS_SSymRectangle, 0x01000002, SYMCLS_SSymBase, 254, 0x9, 0x4, none},         // Name
      {SYMCLS_SSymEllipse, 0x0100000B, SYMCLS_SSymBase, 254, 0x9, 0x4, none},           // DispName
      {SYMCLS_SSymBase, 0x020100BA, SYMCLS_SSymBase, 0, 0x8003, 0x4, none},             // Diagram
      {SYMCLS_SSymBase, 0x02010001, SYMCLS_SSymBase, 0, 0xF, 0x0, none},                // ClipRect
      {SYMCLS_SSymBase, 0x02010012, SYMCLS_SSymBase, 0, 0x6, 0x0, none},                // Flags
      {SYMCLS_SSymBase, 0x01000012, SYMCLS_SSymBase, 0, 0x8, 0x0, none},                // MDAT
      {SYMCLS_SSymGroup, 0x02010013, SYMCLS_SSymBase, 0, 0xE, 0xC, none},               // Pos
      {SYMCLS_SSymRectangle, 0x02010006, SYMCLS_SSymSolidText, 0, 0x3, 0x0, color},     // Font
      {SYMCLS_SSymSwimColn, 0x02010006, -1, 0, 0, 0, none},                             // not through the polyline
      {SYMCLS_SSymPolyline, 0x02010006, SYMCLS_SSymPolyline, 0, 0x3, 0x0, color},
      {SYMCLS_SSymLinkSym, 0x02010006, SYMCLS_SSymLinkSym, 0, 0x3, 0x0, color},
      {SYMCLS_SSymLinkSym, 0x0201001F, SYMCLS_SSymLinkSym, 0, 0xA, 0xC, none},          // FontName
      {SYMCLS_SSymSolid, 0x020100B9, SYMCLS_SSymSolid, 0, 0x4, 0x0, none},              // IsManuallyResized
      {SYMCLS_SSymGroup, 0x020100B9, SYMCLS_SSymComposite, 0, 0x4, 0xC, none},
      {SYMCLS_SSymLinkSym, 0x02010040, SYMCLS_SSymLinkBase, 0, 0x8003, 0xC, object},    // Src
      {SYMCLS_SSymLinkStd, 0x02010041, SYMCLS_SSymLinkBase, 0, 0x8003, 0xC, object},    // Dst
      {SYMCLS_SSymLinkSym, 0x02000466, SYMCLS_SSymLinkStd, 0, 0xE, 0x0, none},          // CtrTxtOffset
      {SYMCLS_SSymText, 0x0201000A, SYMCLS_SSymText, 0, 0xB, 0x8, none},                // BlobData
      {SYMCLS_SSymRoundRect, 0x0201000A, SYMCLS_SSymStd, 0, 0xB, 0x8, none},
      {SYMCLS_SSymBitmap, 0x0201000A, SYMCLS_SSymBlob, 0, 0xB, 0xC, none},
      {SYMCLS_SSymBitmap, 0x02010052, SYMCLS_SSymBitmap, 0, 0x1, 0xC, none},            // BackgroundPictureID
      {SYMCLS_SSymPie, 0x020100B2, SYMCLS_SSymSolid, 0, 0x3, 0xC, color},               // GradientEndColor
      {SYMCLS_SSymPie, 0x0201001D, SYMCLS_SSymStd, 0, 0x3, 0xC, color},                 // ShadowColor
      {SYMCLS_SSymArc, 0x02010018, SYMCLS_SSymStd, 0, 0x2, 0x0, none},                  // ShadowStyle
      {SYMCLS_SSymSwimLane, 0x02010019, SYMCLS_SSymBasePen, 0, 0x3, 0xC, color},        // LineColor
      {SYMCLS_SSymSwimLane, 0x020100BD, SYMCLS_SSymSwimLane, 0, 0x2, 0x0, none},        // Group
      {SYMCLS_SSymSwimLane, 0x02010018, -1, 0, 0, 0, none},                             // no shadow on lanes
      {SYMCLS_SSymSwimColn, 0x02010003, SYMCLS_SSymPolyBase, 0, 0x10, 0x0, none},       // ListPt
      {SYMCLS_SSymPolygon, 0x02010031, SYMCLS_SSymPolyBase, 0, 0x4, 0x4, none},         // IsARSupported
      {SYMCLS_SSymPolygon, 0x0201001C, SYMCLS_SSymPolygon, 0, 0x3, 0xC, color},
      {SYMCLS_SSymPolygon, 0x02010056, SYMCLS_SSymPolygon, 0, 0xA, 0xC, none},          // BackgroundPictureFile
      {SYMCLS_SSymPredefined, 0x020100B4, SYMCLS_SSymPredefined, 0, 0x3, 0x0, none},    // SymbolType
      {SYMCLS_SSymTreeLine, 0x0200141A, SYMCLS_SSymTreeLine, 0, 0x3, 0x0, none},        // Distance
      {SYMCLS_SSymSwimGroup, 0x01000009, SYMCLS_SSymSolidText, 0, 0xA, 0x0, none},      // Text
      {SYMCLS_SSymRectangle, 0x02099999, -1, 0, 0, 0, none},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << g_symClasses[c.cls].name << " " << std::hex << c.id);
    const SPropertyEntry* e = SRepFindProperty(SSymGetPropertyMap(c.cls), c.id);
    EXPECT_EQ(SRepFindAttrEditor(SSymGetAttrEditorMap(c.cls), c.id), c.editor);
    if (c.owner < 0) {
      EXPECT_EQ(e, nullptr);
      continue;
    }
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e, OwnProperty(SSymGetPropertyMap(c.owner), c.id));
    EXPECT_EQ(e->length, c.length);
    EXPECT_EQ(e->type, c.type);
    EXPECT_EQ(e->flags, c.flags);
  }
}

TEST(SymPropertyMaps, RecordMapsOfDiagramAndPictureFile) {
  for (int c : {SYMCLS_SSymDiagram, SYMCLS_SSymPictureFile}) {
    SCOPED_TRACE(g_symClasses[c].name);
    const SAttrEditorMap* am = SSymGetAttrEditorMap(g_symClasses[c].clsid);
    ASSERT_NE(am, nullptr);
    EXPECT_EQ(SSymGetPropertyMap(c), nullptr);
    EXPECT_EQ(CountEditors(am), 1);
    EXPECT_EQ(am->entries[0].id, 0x01000002u);
    EXPECT_EQ(am->entries[0].editor, &SRepAttrEditor::__clsinf);
    ASSERT_NE(am->base, nullptr);
    EXPECT_EQ(am->base(), &SRepObjectBaseRegistry::attrEditorMap);
  }
  EXPECT_EQ(SSymGetAttrEditorMap(CLSID_SSymDiagram), &SSymDiagramRegistry::attrEditorMap);
  EXPECT_EQ(SSymGetAttrEditorMap(CLSID_SSymPictureFile), &SSymPictureFileRegistry::attrEditorMap);
}

TEST(SymPropertyMaps, UnknownClassesHaveNoMaps) {
  EXPECT_EQ(SSymGetPropertyMap(MakeGUID("{36083F6E-1A49-11D1-83D9-444553540000}")), nullptr);
  EXPECT_EQ(SSymGetAttrEditorMap(GUID_NULL), nullptr);
  EXPECT_EQ(SSymGetPropertyMap(-1), nullptr);
  EXPECT_EQ(SSymGetAttrEditorMap(SYMCLS_Count), nullptr);
  EXPECT_EQ(SSymGetPropertyMap(CLSID_SSymRectangle), &SymMap::SSymRectangle::propertyMap);
}

TEST(SymPropertyMaps, ClassesStoreAccessorsIntoTheirOwnEntries) {
  SRepGetter getter = [](SRepObject*, SRepVariant&) -> HRESULT { return S_OK; };
  SRepSetter setter = [](SRepObject*, const SRepVariant&) -> HRESULT { return S_OK; };
  static const SRepField field{getter, setter};
  // What the start-up stored, put back at the end.
  const SPropertyEntry* fill = SRepFindProperty(SSymGetPropertyMap(SYMCLS_SSymSolid), 0x0201001C);
  const SPropertyEntry* rect = SRepFindProperty(SSymGetPropertyMap(SYMCLS_SSymBase), 0x02010001);
  const SRepGetter fillGetter = fill->getter;
  const SRepSetter fillSetter = fill->setter;
  const SRepField* rectField = rect->field;
  // FillColor is SSymSolid's own; the rectangle's map does not hold it.
  EXPECT_FALSE(SSymSetPropertyAccessors(SYMCLS_SSymRectangle, 0x0201001C, getter, setter));
  ASSERT_TRUE(SSymSetPropertyAccessors(SYMCLS_SSymSolid, 0x0201001C, getter, setter));
  const SPropertyEntry* e = SRepFindProperty(SSymGetPropertyMap(SYMCLS_SSymRectangle), 0x0201001C);
  EXPECT_EQ(e->getter, getter);
  EXPECT_EQ(e->setter, setter);
  EXPECT_EQ(e->flags, 0xCu);
  ASSERT_TRUE(SSymSetPropertyField(SYMCLS_SSymBase, 0x02010001, &field));
  EXPECT_TRUE(SRepFindProperty(SSymGetPropertyMap(SYMCLS_SSymEllipse), 0x02010001)->IsField());
  EXPECT_FALSE(SSymSetPropertyField(SYMCLS_SSymDiagram, 0x01000002, &field));
  EXPECT_FALSE(SSymSetPropertyField(SYMCLS_SSymBase, 0, &field));
  // Leave the tables as the start-up left them.
  SSymSetPropertyAccessors(SYMCLS_SSymSolid, 0x0201001C, fillGetter, fillSetter);
  SSymSetPropertyField(SYMCLS_SSymBase, 0x02010001, rectField);
}

}  // namespace

// ---- the bindings of the registered classes ------------------------------------------------
namespace {
const int kRegistered[] = {SYMCLS_SSymBase, SYMCLS_SSymBasePen, SYMCLS_SSymStd,
                           SYMCLS_SSymBlob, SYMCLS_SSymSolid,   SYMCLS_SSymSolidText};

TEST(SymClassBindings, EveryRegisteredClassIsWhole) {
  for (int c : kRegistered) EXPECT_TRUE(SSymIsClassRegistered(c)) << g_symClasses[c].name;
  EXPECT_TRUE(SSymIsClassRegistered(SYMCLS_SSymPolygon));
  EXPECT_TRUE(SSymIsClassRegistered(SYMCLS_SSymPolyline));
  EXPECT_TRUE(SSymIsClassRegistered(SYMCLS_SSymSwim));
  EXPECT_TRUE(SSymIsClassRegistered(SYMCLS_SSymSwimColn));
  EXPECT_TRUE(SSymIsClassRegistered(SYMCLS_SSymSwimGroup));
  EXPECT_FALSE(SSymIsClassRegistered(-1));
  EXPECT_FALSE(SSymIsClassRegistered(SYMCLS_Count));
  const auto faults = SSymCheckClassBindings();
  EXPECT_TRUE(faults.empty()) << faults.front();
  // The accessors take the attribute's type from the description.
  const SPropertyEntry* e = SRepFindProperty(SSymGetPropertyMap(SYMCLS_SSymSolidText), SymAttr::DashStyle);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->type, 0x2);
  EXPECT_NE(e->getter, nullptr);
  EXPECT_NE(e->setter, nullptr);
}

std::vector<std::string> Sorted(std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  return lines;
}
// The lines about the classes the library itself registers (other tests
// register a class of their own).
std::vector<std::string> OfTheLibrarysClasses(const std::vector<std::string>& faults) {
  std::vector<std::string> kept;
  for (const std::string& line : faults)
    for (int c : kRegistered)
      if (line.rfind(std::string(g_symClasses[c].name) + ":", 0) == 0) kept.push_back(line);
  return Sorted(kept);
}

// An entry left without what its access needs is named with its class, the
// class that declares it, and its code; every registered class whose map
// chain holds it is reported.
TEST(SymClassBindings, AnUnboundAttributeIsNamed) {
  struct Case {
    int owner;
    LONG id;
    bool clearGetter, clearSetter;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {SYMCLS_SSymSolid, SymAttr::FillColor, true, true,
       {"SSymSolid: attribute FillColor (0x0201001C) is declared but not bound",
        "SSymSolidText: attribute FillColor (0x0201001C) of SSymSolid is declared but not bound"}},
      {SYMCLS_SSymSolidText, SymAttr::FontName, false, true,  // a setter missing is as bad
       {"SSymSolidText: attribute FontName (0x0201001F) is declared but not bound"}},
      {SYMCLS_SSymBase, SymAttr::Diagram, true, false,
       {"SSymBase: attribute Diagram (0x020100BA) is declared but not bound",
        "SSymBlob: attribute Diagram (0x020100BA) of SSymBase is declared but not bound",
        "SSymSolid: attribute Diagram (0x020100BA) of SSymBase is declared but not bound",
        "SSymStd: attribute Diagram (0x020100BA) of SSymBase is declared but not bound",
        "SSymBasePen: attribute Diagram (0x020100BA) of SSymBase is declared but not bound",
        "SSymSolidText: attribute Diagram (0x020100BA) of SSymBase is declared but not bound"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(SSymAttributeCode(c.owner, static_cast<DWORD>(c.id)));
    const SPropertyEntry* e = SRepFindProperty(SSymGetPropertyMap(c.owner), static_cast<DWORD>(c.id));
    ASSERT_NE(e, nullptr);
    const SRepGetter getter = e->getter;
    const SRepSetter setter = e->setter;
    SSymSetPropertyAccessors(c.owner, static_cast<DWORD>(c.id), c.clearGetter ? nullptr : getter,
                             c.clearSetter ? nullptr : setter);
    const auto faults = OfTheLibrarysClasses(SSymCheckClassBindings());
    SSymSetPropertyAccessors(c.owner, static_cast<DWORD>(c.id), getter, setter);
    EXPECT_EQ(faults, Sorted(c.expected));
  }
  EXPECT_TRUE(SSymCheckClassBindings().empty());
}

// The library's attach refuses to go on with an unbound attribute, and says which.
TEST(SymClassBindingsDeathTest, AttachStopsOnAnUnboundAttribute) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        SSymSetPropertyAccessors(SYMCLS_SSymSolid, SymAttr::FillColor, nullptr, nullptr);
        DllMain(SSymGetInstanceHandle(), DLL_PROCESS_ATTACH, nullptr);
      },
      "SSymSolid: attribute FillColor \\(0x0201001C\\) is declared but not bound");
}
}  // namespace
