// Texts bound to the model, the test kit: a fixture with a compartment
// holder placed in a diagram that has display preferences, a holder that
// rewrites names as clones do, and items of the attribute model
// (support/attrmodel_fixture.h), shortcuts and other sessions made on
// request and kept to the end of the test.
#pragma once

#include <vector>

#include "kvrep/srepextras.h"
#include "kvrep/srepsession.h"
#include "support/attrmodel_fixture.h"
#include "support/compartments_fixture.h"
#include "support/diagram_fixture.h"

// Sets a text attribute.
inline void TSetText(ISRepObject* o, LONG id, const char16_t* text) {
  o->SetAttribute(id, SRepVariant::Text(SString(text)));
}

// A compartment holder whose clone service marks every text it is shown
// with a trailing "*".
class TCloneHost : public SRepFaces<TCloneHost, THost, ISSymClone> {
 public:
  explicit TCloneHost(ISRepSession* s) : SRepFaces(s) {}
  BOOL IsCloneNumbering() override { return 1; }
  void CloneText(SString& text) override { text += u"*"; }
};

class BoundTextFixture : public DiagramFixture {
 protected:
  void SetUp() override {
    DiagramFixture::SetUp();
    TItemRegistry();
    m_prefDiagram = NewDiagram();
    m_host = AddTo<THost>(m_prefDiagram);
  }
  void TearDown() override {
    for (SRepObject* o : m_objects) o->Release();
    m_objects.clear();
    for (SRepSession* s : m_sessions) s->Release();
    m_sessions.clear();
    DiagramFixture::TearDown();
  }
  // An object of the fixture's session (or of `session`), kept to the end.
  SRepObject* Obj(const char16_t* name, ISRepObject* parent = nullptr, ISRepSession* session = nullptr) {
    SRepObject* o = NewItem(session ? session : Session(), SString(name), parent);
    m_objects.push_back(o);
    return o;
  }
  // A shortcut to target made in the fixture's session, kept to the end.
  SRepShortcut* Shortcut(ISRepObject* target) {
    auto* s = new SRepShortcut(target, Session());
    s->AddRef();
    m_objects.push_back(s);
    return s;
  }
  // A second session (kept to the end) with the given option word.
  SRepSession* OtherSession(DWORD options) {
    auto* s = new SRepSession();
    s->AddRef();
    s->SetOptions(options);
    m_sessions.push_back(s);
    return s;
  }
  // Sets a display preference of the holder's diagram.
  void SetPref(const char16_t* key, int on) {
    m_prefDiagram->GetDispPrefPtr()->SetValue(SSymDispPref::GetObjectPath(), SString(key), on,
                                              SSymDispPref::LocDiagram);
  }
  // Hands a compartment to the holder (which deletes it at its end).
  template <class T>
  T* Hold(T* text, THost* host = nullptr) {
    return (host ? host : m_host)->Add(text);
  }

  TPrefDiagram* m_prefDiagram = nullptr;
  THost* m_host = nullptr;
  std::vector<SRepObject*> m_objects;
  std::vector<SRepSession*> m_sessions;
};
