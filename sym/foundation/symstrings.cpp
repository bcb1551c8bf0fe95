#include "sym/foundation/symstrings.h"

#include "sym/foundation/symclassdesc.h"
#include "sym/foundation/symmetadata.h"

namespace {
struct SStringRow {
  UINT id;
  const char* text;
};

// The messages and names.
constexpr SStringRow kStrings[] = {
      {1060, "Diagram %d"},
      {1061, "inch"},
      {1063, "mm"},
      {1065, "pixel"},
      {1050, "Multiple selection"},
      {1066, "Symbol Format"},
      {1073, "Link Symbol Text"},
      {1078, "DPI"},
      {1079, "Portrait"},
      {1080, "Landscape"},
      {1081, "mm"},
      {1082, "Inches"},
      {1105, "Note"},
      {1308, "Polyline"},
      {1309, "Polygon"},
      {1310, "Rectangle"},
      {1311, "RoundRect"},
      {1312, "Ellipse"},
      {1313, "Arc"},
      {1314, "Text"},
      {1315, "Link Symbol"},
      {1316, "Group Symbol"},
      {1317, "Unknown Symbol"},
      {1327, "Changing position of symbols"},
      {1328, "Changing format of symbols"},
      {1329, "Changing font style of symbols"},
      {1330, "Changing text style of symbols"},
      {1331, "Changing line style of symbols"},
      {1332, "Changing size of symbols"},
      {1333, "Changing list of points of a polyline symbol"},
      {1334, "Changing text position of symbols"},
      {1335, "Grouping a list of symbols"},
      {1336, "Ungrouping a list of symbols"},
      {1337, "Show a list of symbols"},
      {1338, "Hide a list of symbols"},
      {1339, "Protecting a list of symbols"},
      {1340, "Unprotecting a list of symbols"},
      {1341, "Changing shadow style of a list of symbols"},
      {1342, "Changing adjust text of symbols"},
      {1343, "Inversing link symbol extremities"},
      {1344, "Changing link symbol extremity"},
      {1378, "Text"},
      {1395, "custom size (%d x %d)"},
      {1397, "The symbol %s must have a diagram"},
      {1403, "Notation"},
      {1404, "The edit font is not valid !"},
      {1405, "Hierarchical"},
      {1406, "Organic"},
      {1407, "Orthogonal"},
      {1408, "Circular"},
      {1409, "Tree"},
      {1410, "Snowflake"},
      {1411, "Basic"},
      {1414, "Group"},
      {1415, "Invalid link symbol extremity"},
      {1478, "kvlayout16.dll"},
      {1479, "Could not load the auto layout library (%s)."},
      {1480, "The auto layout library (%s) is not up to date."},
      {1416, "An object (symbol) should not have more than one parent (%s)"},
      {1417, "Mandatory"},
      {1450, "Top to Bottom"},
      {1451, "Bottom to Top"},
      {1452, "Left to Right"},
      {1453, "Right to Left"},
      {1454, "Radiation"},
      {1455, "Cycle"},
      {1456, "Snowflake"},
      {1457, "Basic"},
      {1476, "Orientation :"},
      {1477, "Shape :"},
};

// The labels of the members of the persistent classes, from their
// descriptions (a collection without a label has id 0).
#define KV_SYM_LABEL_A(konst, code, name, id, type, store, slot, def, editor, objClass, list, label, text) {label, text},
#define KV_SYM_LABEL_CF(konst, code, name, id, relation, element, label, text) {label, text},
#define KV_SYM_LABEL_CB(konst, code, name, id, relation, label, text) {label, text},
#define KV_SYM_LABEL_CLASS(cls) \
  KV_SYM_DESC_##cls(KV_SYM_SKIP, KV_SYM_LABEL_A, KV_SYM_LABEL_A, KV_SYM_LABEL_CF, KV_SYM_LABEL_CB, KV_SYM_SKIP)
constexpr SStringRow kMemberLabels[] = {KV_SYM_CLASSES(KV_SYM_LABEL_CLASS)};
#undef KV_SYM_LABEL_CLASS
#undef KV_SYM_LABEL_CB
#undef KV_SYM_LABEL_CF
#undef KV_SYM_LABEL_A

// The lists of values of the attributes.
#define KV_SYM_LIST_ROW(name, id, text) {id, text},
constexpr SStringRow kLists[] = {KV_SYM_LISTS(KV_SYM_LIST_ROW)};
#undef KV_SYM_LIST_ROW

// The string ids of the classes' own labels (SSymGetClassLabel answers them).
#define KV_SYM_CLASS_LABEL_K(cls, name, parent, mapBase, id, flags, number, label, ...) label,
#define KV_SYM_CLASS_LABEL_CLASS(cls) \
  KV_SYM_DESC_##cls(KV_SYM_CLASS_LABEL_K, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP, KV_SYM_SKIP)
constexpr UINT kClassLabels[] = {KV_SYM_CLASSES(KV_SYM_CLASS_LABEL_CLASS)};
#undef KV_SYM_CLASS_LABEL_CLASS
#undef KV_SYM_CLASS_LABEL_K

constexpr bool SameText(const char* a, const char* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

// A member label shared by several classes must read the same in each, have
// a text when it has an id, and take no id of a message or of a class label:
// the string table has one text per id.
constexpr bool OneTextPerId() {
  for (std::size_t i = 0; i < std::size(kMemberLabels); ++i) {
    const SStringRow& l = kMemberLabels[i];
    if (l.id == 0) continue;
    if (!*l.text) return false;
    for (std::size_t j = i + 1; j < std::size(kMemberLabels); ++j)
      if (kMemberLabels[j].id == l.id && !SameText(kMemberLabels[j].text, l.text)) return false;
    for (const SStringRow& m : kStrings)
      if (m.id == l.id) return false;
    for (UINT c : kClassLabels)
      if (c == l.id) return false;
    for (const SStringRow& v : kLists)
      if (v.id == l.id) return false;
  }
  for (const SStringRow& v : kLists) {
    for (const SStringRow& m : kStrings)
      if (m.id == v.id) return false;
    for (UINT c : kClassLabels)
      if (c == v.id) return false;
  }
  return true;
}
static_assert(OneTextPerId(), "a label or list id with two texts, no text, or the id of another string");

const char* Find(const SStringRow* begin, const SStringRow* end, UINT id) {
  for (const SStringRow* r = begin; r != end; ++r)
    if (r->id == id) return r->text;
  return nullptr;
}
}  // namespace

SString SSymLoadString(UINT id) {
  if (id == 0) return SString();
  if (const char* text = Find(std::begin(kStrings), std::end(kStrings), id)) return SString(text);
  if (const char* text = Find(std::begin(kMemberLabels), std::end(kMemberLabels), id)) return SString(text);
  if (const char* text = Find(std::begin(kLists), std::end(kLists), id)) return SString(text);
  return SSymGetClassLabel(id);
}
