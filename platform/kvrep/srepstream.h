// The repository's own data format: objects with their attributes, the
// children of their owning collections, and the links among them, written
// to a stream and read back into a session (copy and paste, drag and drop).
#pragma once

#include <map>
#include <utility>
#include <vector>

#include "kvcore/sstream.h"
#include "kvrep/srepobject.h"

// While a save reads its objects nothing changes them, so an attribute worked
// out over many other objects (a group's over its whole nest) may keep its
// answers for as long as the save lasts instead of working them out again
// for every object that asks. Scopes open on one thread nest.
class SRepSaveScope {
 public:
  SRepSaveScope();
  ~SRepSaveScope();
  SRepSaveScope(const SRepSaveScope&) = delete;
  SRepSaveScope& operator=(const SRepSaveScope&) = delete;
  // The innermost scope open on this thread, or null outside a save.
  static SRepSaveScope* Current();
  // The answer kept for an object's attribute, or null.
  const LONG* Find(const void* object, LONG id) const;
  void Keep(const void* object, LONG id, LONG value) { m_kept[{object, id}] = value; }

 private:
  SRepSaveScope* m_outer;
  std::map<std::pair<const void*, LONG>, LONG> m_kept;
};

class SRepStreamManager {
 public:
  // Writes the objects (each with its owned children). Attributes that are
  // object references and links between the objects written are kept when
  // both ends are written; others are dropped. E_POINTER for a null object.
  HRESULT Save(SOutputStream& out, const std::vector<ISRepObject*>& objects);
  // Reads objects written by Save into session: each class must be
  // registered; the whole stream is checked before any object is made
  // (STG_E_READFAULT for a damaged stream, REGDB_E_CLASSNOTREG for an
  // unknown class). The top objects join root's carried collection when a
  // root is given, and every object made is appended to loaded when given.
  // Changes are recorded in the session's open context.
  HRESULT Load(SInputStream& in, SRepRootObject* root, ISRepSession* session, int flags = 1,
               std::vector<ISRepObject*>* loaded = nullptr);
};
