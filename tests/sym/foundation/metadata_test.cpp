// Reads the library's METADATA resource with a reader of its own and checks
// that every byte is accounted for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "sym/foundation/sdsym.h"
#include "sym/foundation/symmetadata.h"
#include "sym/foundation/symstrings.h"
#include "sym/foundation/sympropmap.h"
#include "win/winres.h"

namespace {

struct MetaMember {
  unsigned kind = 0;  // 6 collection, 7 attribute, 8 method
  std::string code;
  std::uint32_t id = 0;
  std::uint32_t computed = 0;  // attributes: 0, 0xC or 0xD
  std::uint32_t label = 0;     // string id of the label
  std::uint32_t list = 0;      // attributes: string id of the list of values
  std::uint16_t length = 0, type = 0;
  std::string def;
  std::uint32_t parameters = 0;
};
struct MetaClass {
  std::string code, name, parent;
  std::uint32_t flags = 0, number = 0, label = 0;
  GUID clsid{}, parentId{};
  std::vector<MetaMember> members;
};
struct MetaEnum {
  std::string name;
  std::map<std::int32_t, std::string> values;
};
struct Metamodel {
  std::vector<MetaClass> classes;
  std::vector<MetaEnum> enums;
  int attributes = 0, collections = 0, methods = 0, parameters = 0, values = 0;
};

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : m_p(data), m_size(size) {}
  std::size_t Pos() const { return m_pos; }
  std::uint8_t U8() {
    Need(1);
    return m_p[m_pos++];
  }
  std::uint16_t U16() {
    std::uint16_t lo = U8();
    return static_cast<std::uint16_t>(lo | (U8() << 8));
  }
  std::uint32_t U32() {
    std::uint32_t lo = U16();
    return lo | (static_cast<std::uint32_t>(U16()) << 16);
  }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  std::string Text() {
    std::uint8_t n = U8();
    if (n == 0) throw std::runtime_error("text without terminator at " + std::to_string(m_pos));
    Need(n);
    if (m_p[m_pos + n - 1] != 0) throw std::runtime_error("text not terminated at " + std::to_string(m_pos));
    std::string s(reinterpret_cast<const char*>(m_p + m_pos), n - 1);
    m_pos += n;
    return s;
  }
  GUID Guid() {
    Need(16);
    GUID g = GuidFromBytes(m_p + m_pos);
    m_pos += 16;
    return g;
  }
  // A metaclass identifier {362D41Ex-9D82-11D1-8E5D-444553540000}: answers x.
  unsigned Metaclass() {
    GUID g = Guid();
    GUID base = MakeGUID("{362D41E0-9D82-11D1-8E5D-444553540000}");
    unsigned x = g.Data1 - base.Data1;
    g.Data1 = base.Data1;
    if (g != base || x > 0xF) throw std::runtime_error("not a metaclass identifier at " + std::to_string(m_pos));
    return x;
  }
  void Expect(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(std::string(what) + " at " + std::to_string(m_pos));
  }

 private:
  void Need(std::size_t n) {
    if (m_pos + n > m_size) throw std::runtime_error("read past the end at " + std::to_string(m_pos));
  }
  const std::uint8_t* m_p;
  std::size_t m_size;
  std::size_t m_pos = 0;
};

Metamodel Read(const std::uint8_t* data, std::size_t size) {
  Reader r(data, size);
  Metamodel mm;
  r.Expect(r.U8() == 0x21 && r.U8() == 0x53 && r.U8() == 0x29 && r.U8() == 0x56, "magic");
  for (int i = 0; i < 28; ++i) r.Expect(r.U8() == 0, "reserved zero");
  r.Expect(r.U8() == 3, "format byte");
  r.Expect(r.Text() == "Sym", "module code");
  r.Expect(r.Text() == "KvCommon", "common module");
  r.Expect(r.Guid() == MakeGUID("{2B975AA0-A490-11D1-A8B7-006097355D43}"), "module identifier");
  r.Expect(r.U32() == 401, "version");
  r.Expect(r.U16() == 255 && r.U16() == 255 && r.U16() == 16 && r.U16() == 100, "header words");
  const std::uint32_t named = r.U32();
  r.Expect(named == 2, "named type count");
  const char* names[] = {"[ISSymbol]", "[SSymView]"};
  const std::uint16_t codes[] = {0x8003, 0x8002};
  for (std::uint32_t i = 0; i < named; ++i) {
    r.Expect(r.Text() == names[i], "named type");
    r.Expect(r.U16() == 0 && r.U16() == 6, "named type base");
    r.Expect(r.U16() == 0 && r.U16() == codes[i], "named type code");
  }
  const std::uint32_t ids = r.U32();
  r.Expect(ids == 1, "identifier count");
  r.Expect(r.Guid() == MakeGUID("{A7061922-995F-11D1-8057-00600870004B}"), "identifier");

  const std::uint32_t classCount = r.U32();
  for (std::uint32_t c = 0; c < classCount; ++c) {
    MetaClass cls;
    r.Expect(r.Metaclass() == 4, "class record");
    r.Expect(r.U8() == 2, "class byte");
    cls.code = r.Text();
    cls.name = r.Text();
    cls.flags = r.U32();
    cls.clsid = r.Guid();
    cls.number = r.U32();
    cls.label = r.U32();
    r.Expect(r.U32() == 0, "class zero word");
    const std::uint32_t parents = r.U32();
    r.Expect(parents == 1, "parent count");
    cls.parent = r.Text();
    cls.parentId = r.Guid();
    const std::uint32_t members = r.U32();
    for (std::uint32_t m = 0; m < members; ++m) {
      MetaMember mem;
      mem.kind = r.Metaclass();
      r.Expect(mem.kind == 6 || mem.kind == 7 || mem.kind == 8, "member kind");
      r.Expect(r.U8() == 2, "member byte");
      mem.code = r.Text();
      r.Text();  // name
      mem.id = r.U32();
      mem.computed = r.U32();
      mem.label = r.U32();
      r.Expect(r.U8() <= 1, "redefinition mark");
      const std::uint32_t extensions = r.U32();
      for (std::uint32_t e = 0; e < extensions; ++e) {
        r.Expect(r.Text() == "CLSS", "extension key");
        r.U16();
        r.U16();
        r.Text();
      }
      if (mem.kind == 7) {
        mem.length = r.U16();
        mem.type = r.U16();
        r.U32();  // flags
        mem.list = r.U32();
        mem.def = r.Text();
        ++mm.attributes;
      } else if (mem.kind == 6) {
        r.U32();  // relation and roles
        const std::uint32_t flags = r.U32();
        r.Expect(r.U32() <= 1, "forward mark");
        r.Expect(r.U8() == 0, "collection byte");
        r.Expect(r.I32() == -1, "collection -1");
        if (flags & 0x80) r.Guid();
        ++mm.collections;
      } else {
        r.U16();
        r.U16();
        r.U32();
        r.Text();  // native result type
        r.Text();  // result name
        mem.parameters = r.U32();
        for (std::uint32_t p = 0; p < mem.parameters; ++p) {
          r.Expect(r.Metaclass() == 9, "parameter record");
          r.Text();
          r.U16();
          r.U16();
          r.Expect(r.U8() <= 1, "in byte");
          r.Expect(r.U8() <= 1, "out byte");
          r.Text();
          r.Text();
          ++mm.parameters;
        }
        ++mm.methods;
      }
      cls.members.push_back(mem);
    }
    mm.classes.push_back(cls);
  }
  const std::uint32_t enumCount = r.U32();
  for (std::uint32_t e = 0; e < enumCount; ++e) {
    MetaEnum en;
    r.Expect(r.Metaclass() == 2, "enumeration record");
    r.Expect(r.U8() == 0, "enumeration byte");
    en.name = r.Text();
    r.U16();
    r.U16();
    const std::uint32_t values = r.U32();
    for (std::uint32_t v = 0; v < values; ++v) {
      r.Expect(r.Metaclass() == 3, "value record");
      std::string name = r.Text();
      en.values[r.I32()] = name;
      ++mm.values;
    }
    mm.enums.push_back(en);
  }
  r.Expect(r.Pos() == size, "bytes left after the last enumeration");
  return mm;
}

const MetaClass* FindClass(const Metamodel& mm, const std::string& code) {
  for (const MetaClass& c : mm.classes)
    if (c.code == code) return &c;
  return nullptr;
}

GUID SymClsid(std::uint32_t first) {
  GUID g = MakeGUID("{36083F00-1A49-11D1-83D9-444553540000}");
  g.Data1 = first;
  return g;
}

class MetadataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SResourceBytes bytes = SSymGetMetadata();
    ASSERT_TRUE(bytes);
    m_data = bytes.data;
    m_size = bytes.size;
    m_mm = Read(m_data, m_size);
  }
  const std::uint8_t* m_data = nullptr;
  std::size_t m_size = 0;
  Metamodel m_mm;
};

}  // namespace

TEST_F(MetadataTest, ResourceIsFoundThroughTheModuleResources) {
  HMODULE h = SSymGetInstanceHandle();
  HRSRC res = FindResourceW(h, MAKEINTRESOURCEW(1000), u"metadata");  // type names ignore case
  ASSERT_NE(res, nullptr);
  EXPECT_EQ(LockResource(LoadResource(h, res)), m_data);
  EXPECT_EQ(SizeofResource(h, res), m_size);
}

TEST_F(MetadataTest, TotalsAndFullConsumption) {
  // Read() has consumed every byte.
  EXPECT_EQ(m_mm.classes.size(), 33u);
  EXPECT_EQ(m_mm.attributes, 119);
  EXPECT_EQ(m_mm.collections, 11);
  EXPECT_EQ(m_mm.methods, 66);
  EXPECT_EQ(m_mm.parameters, 84);
  EXPECT_EQ(m_mm.enums.size(), 4u);
  EXPECT_EQ(m_mm.values, 73);
}

TEST_F(MetadataTest, ClassTable) {
  const char* order[] = {"SSymDiagram", "SSymBase", "SSymBasePen", "SSymStd", "SSymBlob", "SSymSolid", "SSymArrow",
                         "SSymPolyBase", "SSymPolygon", "SSymPolyline", "SSymArc", "SSymSolidText", "SSymRectangle",
                         "SSymPie", "SSymBlankRectangle", "SSymRoundRect", "SSymEllipse", "SSymText",
                         "SSymPredefined", "SSymLinkBase", "SSymLinkStd", "SSymLinkSym", "SSymBitmap",
                         "SSymMetafile", "SSymComposite", "SSymGroup", "SSymOle", "SSymSwimLane", "SSymSwimColn",
                         "SSymSwimGroup", "SSymPictureFile", "SSymSwim", "SSymTreeLine"};
  ASSERT_EQ(m_mm.classes.size(), std::size(order));
  for (std::size_t i = 0; i < std::size(order); ++i) EXPECT_EQ(m_mm.classes[i].code, order[i]);

  struct Row {
    const char* code;
    const char* name;
    std::uint32_t flags, clsid;
    const char* parent;
    std::uint32_t number, label;
  };
  const Row rows[] = {
      {"SSymDiagram", "BaseDiagram", 0x102301, 0x36083F6D, "Rep::SRepObjectBase", 21, 1019},
      {"SSymBase", "BaseSymbol", 0x90440d, 0x36083F70, "Rep::SRepObject", 18, 1059},
      {"SSymSwimColn", "SwimlaneLineSymbol", 0x440c, 0x36083F81, "Sym::SSymPolyline", 19, 1044},
      {"SSymPictureFile", "PictureFile", 0xc100, 0x36083F84, "Rep::SRepObjectBase", 15, 1369},
      {"SSymSwim", "BaseSpecificSwimlaneSymbol", 0x10440c, 0x36083F85, "Sym::SSymSolidText", 0, 1046},
      // The lines and links.
      {"SSymPolyBase", "PolylineBase", 0x10440d, 0x36083F59, "Sym::SSymStd", 12, 1018},
      {"SSymPolygon", "PolygonSymbol", 0x440c, 0x36083F69, "Sym::SSymPolyBase", 13, 1024},
      {"SSymPolyline", "PolylineSymbol", 0x440c, 0x36083F60, "Sym::SSymPolyBase", 12, 1017},
      {"SSymLinkBase", "LinkSymbolBase", 0x10440d, 0x36083F75, "Sym::SSymPolyBase", 11, 1047},
      {"SSymLinkStd", "StandardLinkSymbol", 0x10440d, 0x36083F76, "Sym::SSymLinkBase", 11, 1048},
      {"SSymLinkSym", "LinkSymbol", 0x440c, 0x36083F64, "Sym::SSymLinkStd", 11, 1030},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.code);
    const MetaClass* c = FindClass(m_mm, row.code);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->name, row.name);
    EXPECT_EQ(c->flags, row.flags);
    EXPECT_EQ(c->clsid, SymClsid(row.clsid));
    EXPECT_EQ(c->parent, row.parent);
    EXPECT_EQ(c->number, row.number);
    EXPECT_EQ(c->label, row.label);
  }
  // Parent identifiers: the repository roots, or the parent class's own.
  EXPECT_EQ(FindClass(m_mm, "SSymBase")->parentId, MakeGUID("{362D41E0-9D82-11D1-8E5D-444553540000}"));
  EXPECT_EQ(FindClass(m_mm, "SSymDiagram")->parentId, MakeGUID("{362D41EA-9D82-11D1-8E5D-444553540000}"));
  EXPECT_EQ(FindClass(m_mm, "SSymSwimColn")->parentId, SymClsid(0x36083F60));
}

TEST_F(MetadataTest, MembersInOrderWithTheirKinds) {
  const MetaClass* base = FindClass(m_mm, "SSymBase");
  ASSERT_NE(base, nullptr);
  const std::uint32_t ids[] = {0x02010001, 0x02010012, 0x01000010, 0x01000012, 0x020100BA, 0x0100000B,
                               0x01000002, 0x01000004, 0x02010013, 0x02010014, 0x02010016, 0x02010017,
                               0x02001415, 0x02001416, 0x02010100, 0x02810015};
  ASSERT_EQ(base->members.size(), std::size(ids));
  for (std::size_t i = 0; i < std::size(ids); ++i) EXPECT_EQ(base->members[i].id, ids[i]) << i;
  EXPECT_EQ(base->members.back().kind, 6u);  // the owner collection
  EXPECT_EQ(base->members[6].length, 254);   // Name
  EXPECT_EQ(base->members[6].type, 0x9);

  const MetaClass* diagram = FindClass(m_mm, "SSymDiagram");
  ASSERT_NE(diagram, nullptr);
  ASSERT_EQ(diagram->members.size(), 83u);
  EXPECT_EQ(diagram->members[21].code, "Symbols");
  EXPECT_EQ(diagram->members[21].kind, 6u);
  EXPECT_EQ(diagram->members[22].code, "Add");
  EXPECT_EQ(diagram->members[22].kind, 8u);
  EXPECT_EQ(diagram->members.back().id, 0x02001499u);

  // Types from the property maps.
  const MetaClass* links = FindClass(m_mm, "SSymLinkBase");
  ASSERT_NE(links, nullptr);
  EXPECT_EQ(links->members[0].type, 0x8003);
  const MetaClass* poly = FindClass(m_mm, "SSymPolyBase");
  EXPECT_EQ(poly->members[0].type, 0x10);
  for (const char* empty : {"SSymArrow", "SSymArc", "SSymRectangle", "SSymGroup", "SSymSwim", "SSymSwimColn"})
    EXPECT_TRUE(FindClass(m_mm, empty)->members.empty()) << empty;
}

TEST_F(MetadataTest, Enumerations) {
  ASSERT_EQ(m_mm.enums.size(), 4u);
  EXPECT_EQ(m_mm.enums[0].name, "SSymDiagFlags");
  EXPECT_EQ(m_mm.enums[0].values, (std::map<std::int32_t, std::string>{
                                      {1, "SDiagAutoAdjust"}, {2, "SDiagAutoLayout"}, {4, "SDiagCopySymbol"}}));
  EXPECT_EQ(m_mm.enums[1].name, "AutoLayoutStyle");
  EXPECT_EQ(m_mm.enums[1].values.size(), 8u);
  EXPECT_EQ(m_mm.enums[2].name, "AutoLayoutOrientation");
  EXPECT_EQ(m_mm.enums[2].values.size(), 9u);
  const MetaEnum& arrows = m_mm.enums[3];
  EXPECT_EQ(arrows.name, "LinkArrowValue");
  EXPECT_EQ(arrows.values.size(), 53u);
  EXPECT_EQ(arrows.values.begin()->first, 0);
  EXPECT_EQ(arrows.values.rbegin()->first, 54);
  EXPECT_EQ(arrows.values.count(11), 0u);
  EXPECT_EQ(arrows.values.count(15), 0u);
  EXPECT_EQ(arrows.values.at(24), "arrow_noarrow");
}

// The reader itself refuses a resource cut short.
TEST_F(MetadataTest, ReaderRejectsTruncatedResource) {
  EXPECT_THROW(Read(m_data, m_size - 1), std::runtime_error);
  std::vector<std::uint8_t> longer(m_data, m_data + m_size);
  longer.push_back(0);
  EXPECT_THROW(Read(longer.data(), longer.size()), std::runtime_error);
}

// The METADATA bytes as the class descriptions make them: their count and
// an FNV-1a hash of them, so that any change of the resource is seen here.
TEST_F(MetadataTest, BytesAreUnchanged) {
  EXPECT_EQ(m_size, 26667u);
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (std::size_t i = 0; i < m_size; ++i) hash = (hash ^ m_data[i]) * 0x100000001b3ull;
  EXPECT_EQ(hash, 0x9a4f400c64bb4667ull);
}

// ---- the property maps against the metamodel ---------------------------------------------
namespace {
std::string Hex(std::uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(v));
  return buf;
}

// The computed word of the metamodel that goes with the flags of a map entry.
std::uint32_t ComputedOf(DWORD flags) { return flags == 0x0 ? 0x0 : flags == 0x4 ? 0xD : 0xC; }

const MetaMember* FindAttribute(const Metamodel& mm, const MetaClass* cls, std::uint32_t id) {
  for (int depth = 0; cls && depth < 32; ++depth) {
    for (const MetaMember& m : cls->members)
      if (m.kind == 7 && m.id == id) return &m;
    const MetaClass* parent = nullptr;
    for (const MetaClass& c : mm.classes)
      if (c.clsid == cls->parentId) parent = &c;
    cls = parent;
  }
  return nullptr;
}

using MapOf = std::function<const SPropertyMap*(int cls)>;

// Every class of the table against its metamodel class: identifier and
// parent; every own entry of its property map is an attribute of the class
// or of a metamodel ancestor, and every attribute of the class is found along
// its map chain, each with the same type, length and kind of access. One line
// per disagreement.
std::vector<std::string> CrossCheck(const Metamodel& mm, const MapOf& mapOf) {
  std::vector<std::string> faults;
  const GUID roots[] = {MakeGUID("{362D41E0-9D82-11D1-8E5D-444553540000}"),
                        MakeGUID("{362D41EA-9D82-11D1-8E5D-444553540000}")};
  for (int c = 0; c < SYMCLS_Count; ++c) {
    const SSymClassDesc& desc = g_symClasses[c];
    const std::string name = desc.name;
    const MetaClass* meta = FindClass(mm, name);
    if (!meta) {
      faults.push_back(name + ": not in the metamodel");
      continue;
    }
    if (meta->clsid != desc.clsid) faults.push_back(name + ": identifier differs");
    const GUID parent = desc.parent >= 0 ? g_symClasses[desc.parent].clsid : roots[-desc.parent - 1];
    if (meta->parentId != parent) faults.push_back(name + ": parent differs");
    const SPropertyMap* map = mapOf(c);
    if (!map) {
      if (meta->parent != "Rep::SRepObjectBase") faults.push_back(name + ": no property map");
      continue;
    }
    auto agree = [&](const SPropertyEntry& e, const MetaMember& m, const std::string& what) {
      if (e.type != m.type) faults.push_back(name + ": " + what + " " + Hex(e.id) + " type differs");
      if (e.length != m.length) faults.push_back(name + ": " + what + " " + Hex(e.id) + " length differs");
      if (ComputedOf(e.flags) != m.computed) faults.push_back(name + ": " + what + " " + Hex(e.id) + " access differs");
    };
    for (const SPropertyEntry* e = map->entries; e->id != 0; ++e) {
      const MetaMember* m = FindAttribute(mm, meta, e->id);
      if (!m)
        faults.push_back(name + ": map entry " + Hex(e->id) + " is no attribute of the metamodel");
      else
        agree(*e, *m, "map entry");
    }
    for (const MetaMember& m : meta->members) {
      if (m.kind != 7) continue;
      const SPropertyEntry* e = SRepFindProperty(map, m.id);
      if (!e)
        faults.push_back(name + ": attribute " + m.code + " " + Hex(m.id) + " has no map entry");
      else
        agree(*e, m, "attribute " + m.code);
    }
  }
  return faults;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string all;
  for (const std::string& l : lines) all += l + "\n";
  return all;
}
}  // namespace

TEST_F(MetadataTest, PropertyMapsAgreeWithTheMetamodel) {
  const auto faults = CrossCheck(m_mm, [](int c) { return SSymGetPropertyMap(c); });
  EXPECT_TRUE(faults.empty()) << Joined(faults);
}

// The cross-check sees a planted disagreement, in the maps or in the metamodel.
TEST_F(MetadataTest, CrossCheckReportsAPlantedDisagreement) {
  const SPropertyMap* real = SSymGetPropertyMap(SYMCLS_SSymSolid);
  ASSERT_NE(real, nullptr);
  struct Case {
    const char* what;
    std::function<void(std::vector<SPropertyEntry>&, Metamodel&)> plant;
    std::vector<std::string> expected;  // each a line of the report
  };
  const Case cases[] = {
      {"map id",
       [](std::vector<SPropertyEntry>& entries, Metamodel&) { entries[1].id = 0x0201001E; },
       {"SSymSolid: map entry 0x0201001E is no attribute of the metamodel",
        "SSymSolid: attribute FillColor 0x0201001C has no map entry"}},
      {"map type",
       [](std::vector<SPropertyEntry>& entries, Metamodel&) { entries[1].type = 0x2; },
       {"SSymSolid: map entry 0x0201001C type differs", "SSymSolid: attribute FillColor 0x0201001C type differs"}},
      {"metamodel id",
       [](std::vector<SPropertyEntry>&, Metamodel& mm) {
         for (MetaClass& c : mm.classes)
           for (MetaMember& m : c.members)
             if (c.code == "SSymSolid" && m.code == "KeepSize") m.id = 0x020100BF;
       },
       {"SSymSolid: map entry 0x020100B8 is no attribute of the metamodel",
        "SSymSolid: attribute KeepSize 0x020100BF has no map entry"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<SPropertyEntry> entries;
    for (const SPropertyEntry* e = real->entries;; ++e) {
      entries.push_back(*e);
      if (e->id == 0) break;
    }
    Metamodel mm = m_mm;
    c.plant(entries, mm);
    const SPropertyMap planted{real->base, entries.data()};
    const auto faults =
        CrossCheck(mm, [&](int cls) { return cls == SYMCLS_SSymSolid ? &planted : SSymGetPropertyMap(cls); });
    EXPECT_EQ(faults, c.expected) << Joined(faults);
  }
}

// Every class of the metamodel has its label string: label, short code and plural.
TEST_F(MetadataTest, EveryClassHasItsLabelString) {
  for (const MetaClass& c : m_mm.classes) {
    const std::string label = SSymGetClassLabel(c.label).ToUtf8();
    EXPECT_NE(label.find("\n@CLSSNAMES="), std::string::npos) << c.code << ": " << label;
    EXPECT_EQ(std::count(label.begin(), label.end(), '\n'), 2) << c.code;
  }
  EXPECT_EQ(SSymGetClassLabel(1019).ToUtf8(), "Diagram\nDIAG\n@CLSSNAMES=Diagrams");
  EXPECT_EQ(SSymGetClassLabel(1099).ToUtf8(), "Branch\nTREELINE\n@CLSSNAMES=Branch");
  EXPECT_EQ(SSymGetClassLabel(1413).ToUtf8(), "Swimlane Group\nSWIMGRP\n@CLSSNAMES=Swimlane Groups");
  EXPECT_TRUE(SSymGetClassLabel(1000).IsEmpty());
}

// ---- the labels of the members ------------------------------------------------------------
namespace {
const MetaMember* FindMember(const MetaClass& cls, const std::string& code, unsigned kind) {
  for (const MetaMember& m : cls.members)
    if (m.code == code && m.kind == kind) return &m;
  return nullptr;
}
}  // namespace

// The label of a member, read from the metamodel, and its text from the
// library's string table.
TEST_F(MetadataTest, MemberLabelsReadBackWithTheirTexts) {
  struct Row {
    const char* cls;
    const char* code;
    unsigned kind;
    std::uint32_t label;
    const char* text;
  };
  const Row rows[] = {
      {"SSymBitmap", "DeprecatedBlobData", 7, 1041, "Blob\nBLOB"},
      {"SSymBitmap", "BackgroundPictureID", 7, 1376, "Background Picture ID\nBCKPCTID"},
      {"SSymSolid", "BackgroundPictureID", 7, 1376, "Background Picture ID\nBCKPCTID"},
      {"SSymStd", "BlobData", 7, 1041, "Blob\nBLOB"},
      {"SSymPictureFile", "Name", 7, 1370, "Picture Name\nPICTNAME\n\nNAME"},
      {"SSymPictureFile", "Content", 7, 1373, "Picture Contents\nPICTCTNT\n\nCTNT"},
      {"SSymPolygon", "Transparent", 7, 1379, "Transparent\nTRNSPRNT"},
      {"SSymPolygon", "GradientEndColor", 7, 1365, "Gradient End Color\nGRADCOLR"},
      {"SSymPolygon", "BackgroundPictureFile", 7, 1390, "Background Picture File\nBCKPCTFILE"},
      {"SSymPolyline", "CtrTxtOffset", 7, 1110, "Centered Text Offset\nCOFS"},
      {"SSymLinkStd", "DstTxtWidth", 7, 1177, "Destination Text Width\nDWID"},
      {"SSymLinkSym", "Style", 7, 1031, "Text Style\nTEXTSTYLE"},
      {"SSymLinkSym", "SrcText", 7, 1114, "Source Text\nSTEXT"},
      {"SSymSolidText", "Font", 7, 1029, "Font Color\nCOLOR"},
      {"SSymTreeLine", "LineClipRect", 7, 1007, "Rect\nRECT"},
      {"SSymTreeLine", "Distance", 7, 1008, "Distance Line\nDISTLINE"},
      {"SSymTreeLine", "ParentSymbol", 6, 1109, "Parent of the Branch Symbol\nPRNTCOL"},
      {"SSymSwimLane", "Group", 7, 1412, "Swimlane Group Type\nSWIMGPTP"},
      {"SSymComposite", "IsManuallyResized", 7, 1389, "Resized\nRESIZED"},
      {"SSymPolyBase", "LineStyle", 7, 1751, "Corner Style\nSTYLE"},
      {"SSymPolyBase", "IsARSupported", 7, 1754, "Is Automatic routing supported\nARSUPPROTED"},
      {"SSymLinkBase", "Src", 7, 1755, "Source Symbol\nSRC"},
      // The base symbol's rectangle and the line's own share their label.
      {"SSymBase", "ClipRect", 7, 1007, "Rect\nRECT"},
      {"SSymDiagram", "SwimHeight", 7, 1720, "Swimlane Header Height\nSWIMHGHT"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.cls) + "." + row.code);
    const MetaClass* c = FindClass(m_mm, row.cls);
    ASSERT_NE(c, nullptr);
    const MetaMember* m = FindMember(*c, row.code, row.kind);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->label, row.label);
    EXPECT_EQ(SSymLoadString(m->label).ToUtf8(), row.text);
  }
}

// Every attribute has a label of its own with a text (a label line and a
// short code); a collection has one or none; a method has none.
TEST_F(MetadataTest, NoMemberIsLeftWithoutItsLabel) {
  std::vector<std::string> faults;
  int labelled = 0;
  for (const MetaClass& c : m_mm.classes)
    for (const MetaMember& m : c.members) {
      const std::string where = c.code + "." + m.code + ": ";
      const std::string text = SSymLoadString(m.label).ToUtf8();
      if (m.kind == 8) {
        if (m.label != 0) faults.push_back(where + "a method with a label");
        continue;
      }
      if (m.kind == 6 && m.label == 0) continue;
      if (m.label == 0) faults.push_back(where + "no label");
      if (text.empty()) faults.push_back(where + "label " + std::to_string(m.label) + " has no text");
      if (text.find('\n') == std::string::npos || text.front() == '\n')
        faults.push_back(where + "label text without a label line and a short code: " + text);
      // Class labels and member labels are strings of their own.
      if (!SSymGetClassLabel(m.label).IsEmpty()) faults.push_back(where + "the label is a class's");
      ++labelled;
    }
  EXPECT_TRUE(faults.empty()) << Joined(faults);
  EXPECT_EQ(labelled, 119 + 11 - 2);  // the link base's two end collections have none
  // The string table answers the labels of classes as well, and nothing for 0.
  EXPECT_EQ(SSymLoadString(1019).ToUtf8(), "Diagram\nDIAG\n@CLSSNAMES=Diagrams");
  EXPECT_TRUE(SSymLoadString(0).IsEmpty());
}

// The lists of values of the attributes that have one: a label line, then
// one line per value, the value, a colon and its text.
TEST_F(MetadataTest, ListsOfValuesReadBackWithTheirTexts) {
  struct Row {
    const char* cls;
    const char* code;
    std::uint32_t list;
    const char* text;
  };
  const Row rows[] = {
      {"SSymStd", "ShadowStyle", 1098, "Shadow Style\n0:No Shadow\n1:Shadow\n2:3D Effect"},
      {"SSymSwimLane", "Group", 1164, "Swimlane Group Type\n0:User-Defined\n1:By Parent"},
      {"SSymBasePen", "LineWidth", 1094,
       "Line Width\n0:Single\n1:Double\n2:Triple\n3:4 points\n4:5 points\n5:6 points\n103:3 points empty\n"
       "104:4 points empty\n105:5 points empty\n106:6 points empty"},
      {"SSymPolyBase", "LineStyle", 1606,
       "Corner Style\n0:Normal\n1:Corner\n2:Round Corner\n3:Bezier\n8:Normal with Perpendicular Arrow\n"
       "11:Bezier with Perpendicular Arrow"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.cls) + "." + row.code);
    const MetaClass* c = FindClass(m_mm, row.cls);
    ASSERT_NE(c, nullptr);
    const MetaMember* m = FindMember(*c, row.code, 7);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->list, row.list);
    EXPECT_EQ(SSymLoadString(m->list).ToUtf8(), row.text);
  }

  std::vector<std::string> faults;
  for (const MetaClass& c : m_mm.classes)
    for (const MetaMember& m : c.members) {
      if (m.kind != 7 || m.list == 0) continue;
      const std::string where = c.code + "." + m.code + ": ";
      const std::string text = SSymLoadString(m.list).ToUtf8();
      std::vector<std::string> lines;
      for (std::size_t at = 0;;) {
        const std::size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) break;
        at = end + 1;
      }
      if (lines.size() < 2 || lines[0].empty()) faults.push_back(where + "no label line and values: " + text);
      for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::size_t colon = lines[i].find(':');
        char* end = nullptr;
        const std::string value = lines[i].substr(0, colon);
        std::strtol(value.c_str(), &end, 10);
        if (colon == std::string::npos || value.empty() || *end != 0 || colon + 1 == lines[i].size())
          faults.push_back(where + "not a value line: " + lines[i]);
      }
    }
  EXPECT_TRUE(faults.empty()) << Joined(faults);
}
