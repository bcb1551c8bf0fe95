// An interface of a repository object class that extends the repository
// object's own interface (ISRepObjectBase), so that a caller holding it
// reaches the object's attributes, collections and life cycle without a
// second query:
//
//   class SSymDiagram : public SRepFaces<SSymDiagram, SRepObjectFace<SSymDiagramImpl, ISSymDiagram>, ...>
//
// The object then holds two ISRepObjectBase parts: the repository's (the
// one QueryInterface answers for IUnknown and ISRepObject, and the one the
// repository keeps in its collections) and the interface's. Every
// repository operation of the interface's part is the object's own, so
// both parts answer alike; a class further down that overrides an
// operation overrides it for both.
#pragma once

#include <type_traits>

#include "kvrep/srepobject.h"

template <class Impl, class Face>
class SRepObjectFace : public Impl, public Face {
  static_assert(std::is_base_of_v<SRepObject, Impl>, "the implementation is a repository object");
  static_assert(std::is_base_of_v<ISRepObjectBase, Face>, "the face extends the repository object's interface");

 public:
  using Impl::Impl;

  // The repository's part: the one the repository itself hands out.
  ISRepObjectBase* RepObject() { return static_cast<Impl*>(this); }

  // ---- IUnknown
  HRESULT QueryInterface(REFIID iid, void** ppv) override { return Impl::QueryInterface(iid, ppv); }
  ULONG AddRef() override { return Impl::AddRef(); }
  ULONG Release() override { return Impl::Release(); }
  // ---- ISRepObject
  HRESULT GetCLSID(CLSID* out) override { return Impl::GetCLSID(out); }
  HRESULT GetSession(ISRepSession** out) override { return Impl::GetSession(out); }
  HRESULT GetParent(ISRepObject** out) override { return Impl::GetParent(out); }
  HRESULT GetParentColl(ISRepClassCol** out) override { return Impl::GetParentColl(out); }
  HRESULT GetAttribute(LONG id, SRepVariant* value) override { return Impl::GetAttribute(id, value); }
  HRESULT SetAttribute(LONG id, const SRepVariant& value) override { return Impl::SetAttribute(id, value); }
  HRESULT GetAttributeDefault(LONG id, SRepVariant* value) override { return Impl::GetAttributeDefault(id, value); }
  HRESULT HasAttribute(LONG id) override { return Impl::HasAttribute(id); }
  HRESULT IsAttrReadOnly(LONG id, const SRepVariant* value = nullptr) override {
    return Impl::IsAttrReadOnly(id, value);
  }
  HRESULT GetCollection(LONG id, ISRepClassCol** out) override { return Impl::GetCollection(id, out); }
  HRESULT HasCollection(LONG id) override { return Impl::HasCollection(id); }
  HRESULT IsCollectionEmpty(LONG id) override { return Impl::IsCollectionEmpty(id); }
  BOOL IsDeleted() override { return Impl::IsDeleted(); }
  BOOL IsDeleting() override { return Impl::IsDeleting(); }
  BOOL IsShortcut() override { return Impl::IsShortcut(); }
  HRESULT Delete() override { return Impl::Delete(); }
  HRESULT Duplicate(ISRepObject** out, BOOL withChildren) override { return Impl::Duplicate(out, withChildren); }
  HRESULT Advise(DWORD mask, ISRepObjSink* sink) override { return Impl::Advise(mask, sink); }
  HRESULT Unadvise(ISRepObjSink* sink) override { return Impl::Unadvise(sink); }
  // ---- ISRepObjectBase
  HRESULT GetModel(ISRepObject** out) override { return Impl::GetModel(out); }
  HRESULT GetReplicationObject(IUnknown** out) override { return Impl::GetReplicationObject(out); }
};
