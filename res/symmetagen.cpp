// Writes the METADATA resource of the diagram library: the binary metamodel
// of its persistent classes (classes with their attributes, collections and
// methods, then the enumerations), little-endian throughout.
//
//   symmetagen <out.bin> <out.inc>
//
// out.bin receives the bytes; out.inc the same bytes as a C initialiser list.
// The classes and their members come from the library's class descriptions
// (sym/foundation/symclassdesc.h), the ones the library's own tables are made
// from; the enumerations are written here.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "sym/foundation/symclassdesc.h"

namespace {

// ---- type codes --------------------------------------------------------------
// The attribute types come from the description; these are the others.
enum : std::uint16_t {
  T_NATIVE = 0x0,
  T_INT = SSymDesc::T_INT,
  T_FLAGS = SSymDesc::T_FLAGS,
  T_VIEW = 0x8002,
  T_SYM = SSymDesc::T_SYM,
};

// ---- the output --------------------------------------------------------------
struct Out {
  std::vector<std::uint8_t> b;
  void u8(unsigned v) { b.push_back(static_cast<std::uint8_t>(v)); }
  void u16(unsigned v) {
    u8(v & 0xFF);
    u8((v >> 8) & 0xFF);
  }
  void u32(std::uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  }
  void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
  // One byte: the byte count with the terminating zero; then the bytes.
  void text(const char* s) {
    std::size_t n = std::strlen(s);
    if (n > 254) {
      std::fprintf(stderr, "symmetagen: text longer than 254 characters: %s\n", s);
      std::exit(1);
    }
    u8(static_cast<unsigned>(n + 1));
    for (std::size_t i = 0; i < n; ++i) u8(static_cast<unsigned char>(s[i]));
    u8(0);
  }
  void typeRef(unsigned length, unsigned code) {
    u16(length);
    u16(code);
  }
  // A GUID in its memory layout: Data1, Data2, Data3 little-endian, Data4 as is.
  void guid(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3, std::uint64_t d4) {
    u32(d1);
    u16(d2);
    u16(d3);
    for (int i = 7; i >= 0; --i) u8(static_cast<unsigned>((d4 >> (8 * i)) & 0xFF));
  }
  // {362D41Ex-9D82-11D1-8E5D-444553540000}
  void metaclass(unsigned x) { guid(0x362D41E0u + x, 0x9D82, 0x11D1, 0x8E5D444553540000ull); }
  // {360836xx-1A49-11D1-83D9-444553540000}
  void classId(std::uint32_t first) { guid(first, 0x1A49, 0x11D1, 0x83D9444553540000ull); }
};

enum MetaKind : unsigned {
  MK_ENUM = 2,
  MK_VALUE = 3,
  MK_CLASS = 4,
  MK_COLL = 6,
  MK_ATTR = 7,
  MK_METHOD = 8,
  MK_PARAM = 9,
  MK_ROOT_OBJECT = 0,
  MK_ROOT_OBJECTBASE = 0xA
};

// ---- the description ----------------------------------------------------------
struct Param {
  const char* name;
  const char* native;
  const char* def;
  bool out;
};

enum Kind { ATTR, COLL, METHOD };
struct Member {
  Kind kind = ATTR;
  const char* code = "";
  const char* name = "";
  std::uint32_t id = 0;
  std::uint32_t label = 0;  // string id of its label, 0 for none (methods)
  // attribute
  std::uint16_t type = 0;
  std::uint16_t length = 0;
  std::uint32_t computed = 0;  // 0, 0xC (getter and setter) or 0xD (getter only)
  const char* def = "";
  std::string clss;        // class of an object-valued attribute, empty for none
  std::uint32_t list = 0;  // string id of the list of values
  // collection
  std::uint16_t relation = 0;
  bool forward = false;
  std::string elementClass;   // the element class of an owning collection
  std::uint32_t element = 0;  // first word of its identifier
  // method
  const char* result = "void";
  std::vector<Param> params;
};

Member Make(Kind kind, const char* code, const char* name, std::uint32_t id, std::uint32_t label = 0) {
  Member m;
  m.kind = kind;
  m.code = code;
  m.name = name;
  m.id = id;
  m.label = label;
  return m;
}
// An attribute row of a description; objClass is a class of the library or
// NONE.
Member Attribute(const char* code, const char* name, std::uint32_t id, SSymDesc::Type type, SSymDesc::Store store,
                 const char* def, const char* objClass, std::uint32_t list, std::uint32_t label) {
  Member m = Make(ATTR, code, name, id, label);
  m.type = type;
  m.length = SSymDesc::LengthOf(type);
  m.def = def;
  m.computed = SSymDesc::MetaComputed(store);
  if (std::strcmp(objClass, "NONE") != 0) m.clss = std::string("Sym::") + objClass;
  m.list = list;
  return m;
}
// A forward collection (owner side) with its element class.
Member Forward(const char* code, const char* name, std::uint32_t id, std::uint16_t relation, const char* element,
               std::uint32_t label) {
  Member m = Make(COLL, code, name, id, label);
  m.relation = relation;
  m.forward = true;
  m.elementClass = element;
  return m;
}
// A back-pointer collection (member id with bit 0x00800000).
Member Back(const char* code, const char* name, std::uint32_t id, std::uint16_t relation, std::uint32_t label) {
  Member m = Make(COLL, code, name, id, label);
  m.relation = relation;
  return m;
}
Member Method(const char* code, std::uint32_t id, const char* result, std::vector<Param> params) {
  Member m = Make(METHOD, code, code, id);
  m.result = result;
  m.params = std::move(params);
  return m;
}
Param P(const char* name, const char* native, const char* def = "") { return Param{name, native, def, false}; }
Param PO(const char* name, const char* native) { return Param{name, native, "", true}; }

struct Class {
  const char* code;
  const char* name;
  std::uint32_t flags;
  std::uint32_t id;  // first word of the class identifier
  std::string parent;
  std::uint32_t number;
  std::uint32_t label;
  std::vector<Member> members;
};

// The metamodel name of a parent given in a description: a repository root
// or a class of the library.
std::string Qualified(const char* parent) {
  if (std::strcmp(parent, "RepSRepObject") == 0) return "Rep::SRepObject";
  if (std::strcmp(parent, "RepSRepObjectBase") == 0) return "Rep::SRepObjectBase";
  return std::string("Sym::") + parent;
}

const Class* FindClass(const std::vector<Class>& all, const std::string& qualified);

std::vector<Class> Classes() {
  std::vector<Class> c;
#define GEN_K(cls, name, parent, mapBase, id, flags, number, label, ...) \
  c.push_back({#cls, name, flags, id, Qualified(#parent), number, label, {}});
#define GEN_A(konst, code, name, id, type, store, slot, def, editor, objClass, list, label, labelText)          \
  c.back().members.push_back(Attribute(#code, name, id, SSymDesc::T_##type, SSymDesc::S_##store, def, #objClass, \
                                       SSymDesc::List_##list, label));
#define GEN_CF(konst, code, name, id, relation, element, label, labelText) \
  c.back().members.push_back(Forward(#code, name, id, relation, #element, label));
#define GEN_CB(konst, code, name, id, relation, label, labelText) \
  c.back().members.push_back(Back(#code, name, id, relation, label));
#define GEN_M(code, id, result, ...) c.back().members.push_back(Method(code, id, result, {__VA_ARGS__}));
#define GEN_CLASS(cls) KV_SYM_DESC_##cls(GEN_K, GEN_A, KV_SYM_SKIP, GEN_CF, GEN_CB, GEN_M)
  KV_SYM_CLASSES(GEN_CLASS)
#undef GEN_CLASS
#undef GEN_M
#undef GEN_CB
#undef GEN_CF
#undef GEN_A
#undef GEN_K
  for (Class& cls : c)
    for (Member& m : cls.members) {
      if (m.elementClass.empty()) continue;
      const Class* element = FindClass(c, "Sym::" + m.elementClass);
      if (!element) {
        std::fprintf(stderr, "symmetagen: %s.%s: unknown element class %s\n", cls.code, m.code,
                     m.elementClass.c_str());
        std::exit(1);
      }
      m.element = element->id;
    }
  return c;
}

struct Enum {
  const char* name;
  std::uint16_t type;
  std::vector<std::pair<std::string, std::int32_t>> values;
};

std::vector<Enum> Enums() {
  std::vector<Enum> e;
  e.push_back({"SSymDiagFlags", T_FLAGS, {{"SDiagAutoAdjust", 1}, {"SDiagAutoLayout", 2}, {"SDiagCopySymbol", 4}}});
  e.push_back({"AutoLayoutStyle",
               T_INT,
               {{"al_style_default", -1},
                {"al_style_hierarchic", 0},
                {"al_style_organic", 1},
                {"al_style_orthogonal", 2},
                {"al_style_circular", 3},
                {"al_style_tree", 4},
                {"al_style_snowflake", 5},
                {"al_style_basic", 6}}});
  e.push_back({"AutoLayoutOrientation",
               T_INT,
               {{"al_orient_default", -1},
                {"al_orient_top_to_bottom", 0},
                {"al_orient_bottom_to_top", 1},
                {"al_orient_left_to_right", 2},
                {"al_orient_right_to_left", 3},
                {"al_orient_radiation", 4},
                {"al_orient_cycle", 5},
                {"al_orient_snowflake", 6},
                {"al_orient_basic", 7}}});
  Enum arrows{"LinkArrowValue", T_INT, {}};
  for (int v = 0; v <= 54; ++v) {
    if (v == 11 || v == 15) continue;
    arrows.values.emplace_back(v == 24 ? std::string("arrow_noarrow") : "arrow_" + std::to_string(v), v);
  }
  e.push_back(arrows);
  return e;
}

// ---- writing -------------------------------------------------------------------
struct Totals {
  int classes = 0, attributes = 0, collections = 0, methods = 0, parameters = 0, enums = 0, values = 0;
};

const Class* FindClass(const std::vector<Class>& all, const std::string& qualified) {
  for (const Class& c : all)
    if (qualified == std::string("Sym::") + c.code) return &c;
  return nullptr;
}

// A member redefines one of an ancestor class of the metamodel when an
// ancestor holds the same member id.
bool Redefines(const std::vector<Class>& all, const Class& cls, std::uint32_t id) {
  for (const Class* p = FindClass(all, cls.parent); p; p = FindClass(all, p->parent))
    for (const Member& m : p->members)
      if (m.id == id) return true;
  return false;
}

void WriteMember(Out& o, const std::vector<Class>& all, const Class& cls, const Member& m, Totals& t) {
  o.metaclass(m.kind == ATTR ? MK_ATTR : m.kind == COLL ? MK_COLL : MK_METHOD);
  o.u8(2);
  o.text(m.code);
  o.text(m.name);
  o.u32(m.id);
  o.u32(m.kind == ATTR ? m.computed : 0);
  o.u32(m.label);
  o.u8(Redefines(all, cls, m.id) ? 1 : 0);
  if (!m.clss.empty()) {
    o.u32(1);
    o.text("CLSS");
    o.typeRef(0, SSymDesc::T_TEXT);
    o.text(m.clss.c_str());
  } else {
    o.u32(0);
  }
  switch (m.kind) {
    case ATTR:
      o.typeRef(m.length, m.type);
      o.u32(m.computed ? 0x400 : 0);
      o.u32(m.list);
      o.text(m.def);
      ++t.attributes;
      break;
    case COLL:
      o.u32(static_cast<std::uint32_t>(m.relation) | (static_cast<std::uint32_t>(m.forward ? 1 : 2) << 16));
      o.u32(m.element ? 0x80 : 0);
      o.u32(m.forward ? 1 : 0);
      o.u8(0);
      o.i32(-1);
      if (m.element) o.classId(m.element);
      ++t.collections;
      break;
    case METHOD: {
      const bool none = std::strcmp(m.result, "void") == 0;
      o.typeRef(0, T_NATIVE);
      o.u32(0);
      o.text(m.result);
      o.text(none ? "!!!" : "result");
      o.u32(static_cast<std::uint32_t>(m.params.size()));
      for (const Param& p : m.params) {
        o.metaclass(MK_PARAM);
        o.text(p.name);
        o.typeRef(0, T_NATIVE);
        o.u8(1);
        o.u8(p.out ? 1 : 0);
        o.text(p.native);
        o.text(p.def);
        ++t.parameters;
      }
      ++t.methods;
      break;
    }
  }
}

std::vector<std::uint8_t> Build(Totals& t) {
  const std::vector<Class> classes = Classes();
  const std::vector<Enum> enums = Enums();
  Out o;
  // Header.
  for (unsigned char ch : {0x21, 0x53, 0x29, 0x56}) o.u8(ch);
  for (int i = 0; i < 28; ++i) o.u8(0);
  o.u8(3);
  o.text("Sym");
  o.text("KvCommon");
  o.guid(0x2B975AA0, 0xA490, 0x11D1, 0xA8B7006097355D43ull);
  o.u32(401);
  o.u16(255);
  o.u16(255);
  o.u16(16);
  o.u16(100);
  o.u32(2);
  o.text("[ISSymbol]");
  o.typeRef(0, T_FLAGS);
  o.typeRef(0, T_SYM);
  o.text("[SSymView]");
  o.typeRef(0, T_FLAGS);
  o.typeRef(0, T_VIEW);
  o.u32(1);
  o.guid(0xA7061922, 0x995F, 0x11D1, 0x805700600870004Bull);
  // Classes, each followed by its members.
  o.u32(static_cast<std::uint32_t>(classes.size()));
  for (const Class& c : classes) {
    o.metaclass(MK_CLASS);
    o.u8(2);
    o.text(c.code);
    o.text(c.name);
    o.u32(c.flags);
    o.classId(c.id);
    o.u32(c.number);
    o.u32(c.label);
    o.u32(0);
    o.u32(1);
    o.text(c.parent.c_str());
    if (c.parent == "Rep::SRepObject")
      o.metaclass(MK_ROOT_OBJECT);
    else if (c.parent == "Rep::SRepObjectBase")
      o.metaclass(MK_ROOT_OBJECTBASE);
    else if (const Class* parent = FindClass(classes, c.parent))
      o.classId(parent->id);
    else {
      std::fprintf(stderr, "symmetagen: %s: unknown parent %s\n", c.code, c.parent.c_str());
      std::exit(1);
    }
    o.u32(static_cast<std::uint32_t>(c.members.size()));
    for (const Member& m : c.members) WriteMember(o, classes, c, m, t);
    ++t.classes;
  }
  // Enumerations.
  o.u32(static_cast<std::uint32_t>(enums.size()));
  for (const Enum& e : enums) {
    o.metaclass(MK_ENUM);
    o.u8(0);
    o.text(e.name);
    o.typeRef(0, e.type);
    o.u32(static_cast<std::uint32_t>(e.values.size()));
    for (const auto& [name, value] : e.values) {
      o.metaclass(MK_VALUE);
      o.text(name.c_str());
      o.i32(value);
      ++t.values;
    }
    ++t.enums;
  }
  return o.b;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: symmetagen <out.bin> <out.inc>\n");
    return 2;
  }
  Totals t;
  const std::vector<std::uint8_t> bytes = Build(t);
  FILE* bin = std::fopen(argv[1], "wb");
  if (!bin || std::fwrite(bytes.data(), 1, bytes.size(), bin) != bytes.size() || std::fclose(bin) != 0) {
    std::fprintf(stderr, "symmetagen: cannot write %s\n", argv[1]);
    return 1;
  }
  std::string inc;
  char buf[8];
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%u,", bytes[i]);
    inc += buf;
    if (i % 24 == 23) inc += '\n';
  }
  inc += '\n';
  FILE* f = std::fopen(argv[2], "wb");
  if (!f || std::fwrite(inc.data(), 1, inc.size(), f) != inc.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "symmetagen: cannot write %s\n", argv[2]);
    return 1;
  }
  std::printf("METADATA: %zu bytes: %d classes, %d attributes, %d collections, %d methods, %d parameters, "
              "%d enumerations, %d values\n",
              bytes.size(), t.classes, t.attributes, t.collections, t.methods, t.parameters, t.enums, t.values);
  return 0;
}
