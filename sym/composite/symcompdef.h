// The definition record of a composite class: one per class, shared by all
// its composites and read only (a copy of children clears CompCopying for
// its duration). It says which collections of the composite's model object
// hold the objects its child symbols stand for, which symbol types are
// children of which kind, and which symbol classes may stand for a new child.
#pragma once

#include <algorithm>
#include <utility>
#include <vector>

#include "kvrep/srepintf.h"

struct SSymCompDef {
  // Values of nFlags.
  enum : DWORD {
    CompAdjustChildRect = 0x02,  // the sub-symbol first adjusts the children rectangle
    CompCompleteAll = 0x04,      // completion creates every missing child
    CompCopying = 0x08,          // cleared while children are copied
    CompFreeChildren = 0x10,     // a symbol without a model object may become a child
  };
  // Sorted (symbol type, collection id) pairs, searched by binary search.
  using TypeMap = std::vector<std::pair<LONG, LONG>>;

  LONG nMarginX = 0;  // horizontal margin around the children (diagram units)
  LONG nMarginY = 0;  // vertical margin around the children
  mutable DWORD nFlags = 0;  // mutable: a copy of children clears CompCopying for its length
  TypeMap mapTypeToColl;   // the collection that holds the objects of children of a symbol type
  TypeMap mapTypeToColl2;  // as mapTypeToColl, searched first
  std::vector<LONG> tabChildColls;  // further collections whose every member needs a child symbol
  std::vector<LONG> tabType3;       // sorted; 0 stands for every type below 79
  std::vector<LONG> tabType1;       // sorted
  std::vector<GUID> tabChildClasses;  // symbol classes that may stand for a new child
  LONG nSubObjColl = 0;  // the collection the children stand for; 0 means 0x02000023

  // The collection of a symbol type in a map; 0 when the type is not listed.
  static LONG Find(const TypeMap& map, LONG type) {
    auto it = std::lower_bound(map.begin(), map.end(), type,
                               [](const std::pair<LONG, LONG>& e, LONG t) { return e.first < t; });
    return it != map.end() && it->first == type ? it->second : 0;
  }
  static bool Lists(const std::vector<LONG>& sorted, LONG type) {
    return std::binary_search(sorted.begin(), sorted.end(), type);
  }
  // The collection the objects of children of a symbol type live in:
  // mapTypeToColl2 first, then mapTypeToColl; 0 when neither lists the type.
  LONG GetCollForType(LONG type) const {
    const LONG c = Find(mapTypeToColl2, type);
    return c ? c : Find(mapTypeToColl, type);
  }
  LONG GetSubObjColl() const { return nSubObjColl ? nSubObjColl : 0x02000023; }
};
