// The repository's own data format: objects with their attributes, the
// children of their owning collections, and the links among them, written
// to a stream and read back into a session (copy and paste, drag and drop).
#pragma once

#include <vector>

#include "kvcore/sstream.h"
#include "kvrep/srepobject.h"

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
