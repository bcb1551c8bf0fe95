// The model side of the repository: the object at the top of a model, which
// hears of objects moved under new parents, and the lookups that callers
// make by class rather than by member id.
#pragma once

#include "kvrep/srepobject.h"

// The top object of a model. It answers ISRepModelServiceProvider: objects
// whose parent changed are handed to OnObjectReparented one by one, those of
// other models and null entries passed over.
class SRepModelObject : public SRepObjectBaseImpl, public ISRepModelServiceProvider {
 public:
  explicit SRepModelObject(const CLSID& clsid = CLSID_SRepObjectBase, ISRepSession* session = nullptr)
      : SRepObjectBaseImpl(clsid, session) {}
  SRepModelObject(const SRepModelObject& source) : SRepObjectBaseImpl(source), ISRepModelServiceProvider() {}

  HRESULT QueryInterface(REFIID iid, void** ppv) override { return SRepObjectBaseImpl::QueryInterface(iid, ppv); }
  ULONG AddRef() override { return SRepObjectBaseImpl::AddRef(); }
  ULONG Release() override { return SRepObjectBaseImpl::Release(); }
  HRESULT InternalQueryInterface(REFIID iid, void** ppv) override;

  // S_OK when at least one object was taken, S_FALSE when none was;
  // E_POINTER for a null table with a positive count, E_INVALIDARG for a
  // negative count.
  HRESULT ObjectsReparented(ISRepObject* const* objects, int count, int flag) override;
  // The number of objects taken so far.
  int GetReparentedCount() const { return m_nReparented; }

 protected:
  virtual void OnObjectReparented(ISRepObject* object, int flag) { (void)object, (void)flag; }

 private:
  int m_nReparented = 0;
};

// The collection of obj that holds objects of class `element` (through the
// collection definitions of obj's class, SRepRegistry::GetClassColDef):
// S_OK and the collection (counted), S_FALSE and null when the class has
// none, E_POINTER for a null obj or out.
HRESULT SRepGetClassCollection(ISRepObject* obj, const CLSID& element, ISRepClassCol** out);
