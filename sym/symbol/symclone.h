// The clone chain: the symbols of one model object and one symbol type in one
// diagram are clones of each other. Their repository objects are chained
// through the successor collection (its first member is the next clone) and
// its reverse side, the predecessor collection. SSymCloneSymbolHelper walks
// and repairs that chain: every walk stops after 100 steps, and the count walk
// cuts the link that closes a cycle.
#pragma once

#include "kvcore/scomds.h"
#include "kvcore/sstring.h"
#include "kvcore/stree.h"
#include "kvrep/srepextras.h"
#include "sym/symbol/syminterfaces.h"

class SSymCloneSymbolHelper {
 public:
  static constexpr LONG SuccColl = 0x201000D;
  static constexpr LONG PredColl = 0x281000D;
  static constexpr int MaxSteps = 100;

  // E_POINTER for a null object or out; 1 and an empty result past the end.
  static HRESULT GetClone(ISRepObject* object, int n, ISSymClone** out);
  static int GetCloneCount(ISRepObject* object);
  static int GetCloneNo(ISSymClone* clone);
  static void AddCloneNumber(ISRepObject* object, SString& text, ISSymClone* clone);
  static int GetDispName(ISRepObject* object, ISRepObject* named, SString* out);
  static int GetName(ISRepObject* object, ISRepObject* named, SString* out);
  static int GetCode(ISRepObject* object, ISRepObject* named, SString* out);
  static void AddClone(ISRepObject* object, ISRepObject* clone);
  static void RemoveClone(ISRepObject* object);
  // The clone (not counted for the caller; the repository keeps it), or null.
  static ISSymbol* CreateClone(ISSymbol* symbol, SRepMapObject* map, ISSymbol** srcEnd, ISSymbol** dstEnd);
  static int OnCloneCreation(ISRepObject* clone, ISRepContext* context);
  static int OnDiagramAttach(ISRepObject* object, ISRepObject* diagram);
  static int OnDiagramDetach(ISRepObject* object, ISRepObject* diagram, int flag);
  static int OnCloneDeletion(ISRepObject* object);
  static int OnClonePredInsert(ISRepObject* object, ISRepObject* pred);
  static int OnClonePredRemove(ISRepObject* object, ISRepObject* other);
  static int OnCloneSuccRemove(ISRepObject* object, ISRepObject* other);

 private:
  static int GetNames(ISRepObject* object, ISRepObject* named, SString* out, LONG first, LONG second);
};
