// Objects written with the repository's stream manager and read back into a
// session of their own, as a saved file is opened again: the round trip the
// persistence tests of every symbol family share.
#pragma once

#include <vector>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/sstream.h"
#include "kvrep/srepsession.h"
#include "kvrep/srepstream.h"

namespace kvtest {

// What came back. The objects read and the new session are held by the
// record and let go with it, objects first.
struct Reloaded {
  HRESULT saved = E_FAIL, loaded = E_FAIL;
  // Nothing was reported through the exception dialog while reading.
  bool silent = false;
  SRepSession* session = nullptr;
  std::vector<ISRepObject*> objects;

  Reloaded() = default;
  Reloaded(const Reloaded&) = delete;
  Reloaded& operator=(const Reloaded&) = delete;
  ~Reloaded() {
    for (ISRepObject* o : objects)
      if (o) o->Release();
    if (session) session->Release();
  }
};

// Writes `written` and reads it into a new session; `out` is filled in place
// (the record owns what it holds, so it is not copied).
inline void ReloadInNewSession(const std::vector<ISRepObject*>& written, Reloaded& out) {
  SOutputGlobal bytes;
  SRepStreamManager mgr;
  out.saved = mgr.Save(bytes, written);
  if (FAILED(out.saved)) return;
  out.session = new SRepSession();
  out.session->AddRef();
  SInputBuffer in(bytes.GetData(), bytes.GetSize());
  SExceptionDialog::ClearLog();
  out.loaded = mgr.Load(in, nullptr, out.session, 1, &out.objects);
  out.silent = SExceptionDialog::Log().empty();
}

}  // namespace kvtest
