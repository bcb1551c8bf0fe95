// What the tree's source files share: repository ids, the model object of a
// symbol, collection walks that survive changes, and a depth guard that
// keeps the recursive tree operations finite when trees were made to hold
// each other.
#pragma once

#include <vector>

#include "kvrep/srepextras.h"
#include "kvrep/srepmodel.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintfowner.h"

class SSymTreeLine;

namespace SSymTreeUtil {

using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// Member ids of the repository.
inline constexpr LONG kShownBy = 0x04800087;    // the symbols that show a model object
inline constexpr LONG kShortcuts = 0x0480019F;  // the shortcuts of a model object
inline constexpr LONG kMdat = 0x01000012;       // ModificationDate
inline constexpr LONG kReverseBit = 0x00800000;

// The fixed distances of the layout, in graphic units.
inline constexpr LONG kSpacing = 2000;  // from the parent's edge to its children
inline constexpr LONG kGap = 1000;      // between two subtrees
inline constexpr LONG kBoxHalf = 300;   // half the side of the expand box

// The symbol state bit that keeps a tree from drawing its children.
inline constexpr DWORD kStateNoChildren = 0x8;

inline constexpr int kMaxDepth = 64;
inline constexpr int kMaxWalk = 100000;

extern thread_local int g_treeDepth;
// Counts one level of a recursive tree operation; ok is false past kMaxDepth.
struct TreeDepth {
  bool ok;
  TreeDepth() : ok(g_treeDepth < kMaxDepth) { ++g_treeDepth; }
  ~TreeDepth() { --g_treeDepth; }
  TreeDepth(const TreeDepth&) = delete;
  TreeDepth& operator=(const TreeDepth&) = delete;
};

// The model object a symbol shows (counted), or empty: none, or deleted.
RepObjWrap ModelOf(ISSymbol* symbol);
bool IsGone(ISRepObject* object);
// An object's collection, or empty; never made by asking.
SComOut<ISRepClassCol> ExistingCollection(ISRepObject* object, LONG id);
// The members of an object's collection (counted).
std::vector<RepObjWrap> MembersOf(ISRepObject* object, LONG id);
// The object that `object` replicates (counted), or empty.
RepObjWrap ReplicaOf(ISRepObject* object);
// The target of a shortcut (counted), or empty.
RepObjWrap TargetOf(ISRepObject* object);
// Packages end the upward walk of the cycle test.
bool IsPackage(ISRepObject* object);
// Both given and one COM object.
bool Same(IUnknown* a, IUnknown* b);
// The branch line of a tree symbol: the first item of its Symbols, when a branch line.
SSymTreeLine* LineOf(SSymBase& symbol);
// The direct children of a tree (counted), branch line left out.
std::vector<SComWrap<ISSymbol>> ChildrenOf(ISSymTree* tree);

}  // namespace SSymTreeUtil
