// The repository's interfaces: objects, sessions, collections, contexts and
// the sinks that hear of changes.
#pragma once

#include <memory>

#include "kvcore/scomds.h"
#include "kvrep/srepvariant.h"
#include "win/windef.h"

struct ISRepObject;
struct ISRepSession;
struct ISRepClassCol;
struct ISRepClassColDef;
struct ISRepContext;
struct ISRepObjSink;
struct ISRepClassColSink;
class SRepActionBase;

// Result codes of the repository.
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);  // unknown attribute id
inline constexpr HRESULT DISP_E_TYPEMISMATCH = static_cast<HRESULT>(0x80020005u);    // wrong variant kind
inline constexpr HRESULT DISP_E_BADINDEX = static_cast<HRESULT>(0x8002000Bu);        // position outside a collection
inline constexpr HRESULT CO_E_OBJNOTCONNECTED = static_cast<HRESULT>(0x800401FDu);   // object deleted
inline constexpr HRESULT SREP_E_READONLY = E_ACCESSDENIED;                           // read-only attribute or session

// The bit that tells the two sides of a collection apart: the reverse side
// of collection id is id ^ SRepReverseBit.
inline constexpr LONG SRepReverseBit = 0x00800000;
// Advise mask bit: only the attribute id in the low bits is of interest.
inline constexpr DWORD SRepAdviseOneAttr = 0x20000000;

inline constexpr IID IID_ISRepObject = MakeGUID("{96381B60-1253-11D1-83D9-444553540000}");
inline constexpr IID IID_ISRepObjectBase = MakeGUID("{96381B6F-1253-11D1-83D9-444553540000}");
inline constexpr IID IID_ISRepSession = MakeGUID("{CD012760-3B37-11D1-83D9-444553540000}");
inline constexpr IID IID_ISRepPictureHolder = MakeGUID("{19A7794C-6524-45B6-BCA6-756AB861870E}");
// Identities that give the implementing object itself.
inline constexpr IID IID_SRepObjectMem = MakeGUID("{3D841590-C344-45F5-A3CB-88973FE3B25D}");
inline constexpr IID IID_SRepObjectMem2 = MakeGUID("{96381B70-1253-11D1-83D9-444553540000}");
inline constexpr IID IID_SRepObjectMem3 = MakeGUID("{55BC6809-8E8B-11D2-B8FB-00600870004B}");
inline constexpr IID IID_SRepSessionImpl = MakeGUID("{461A595D-BD6C-4820-BE23-CA706F84C78A}");
// Interfaces whose identifiers are this library's own.
inline constexpr IID IID_ISRepClassCol = MakeGUID("{6B0E2D10-5A31-4C6E-9E11-2F6A1C0B7D01}");
inline constexpr IID IID_ISRepClassColDef = MakeGUID("{6B0E2D10-5A31-4C6E-9E11-2F6A1C0B7D02}");
inline constexpr IID IID_ISRepContext = MakeGUID("{6B0E2D10-5A31-4C6E-9E11-2F6A1C0B7D03}");
inline constexpr IID IID_ISRepObjSink = MakeGUID("{6B0E2D10-5A31-4C6E-9E11-2F6A1C0B7D04}");
inline constexpr IID IID_ISRepClassColSink = MakeGUID("{6B0E2D10-5A31-4C6E-9E11-2F6A1C0B7D05}");
inline constexpr IID IID_ISRepShortcut = MakeGUID("{6B0E2D10-5A31-4C6E-9E11-2F6A1C0B7D06}");
inline constexpr IID IID_ISRepDataSrc = MakeGUID("{6B0E2D10-5A31-4C6E-9E11-2F6A1C0B7D07}");
inline constexpr IID IID_ISRepRootObject = MakeGUID("{6B0E2D10-5A31-4C6E-9E11-2F6A1C0B7D08}");
inline constexpr IID IID_ISRepModelServiceProvider = MakeGUID("{6B0E2D10-5A31-4C6E-9E11-2F6A1C0B7D09}");
inline constexpr IID IID_ISRepBaseReplication = MakeGUID("{6B0E2D10-5A31-4C6E-9E11-2F6A1C0B7D0A}");
inline constexpr IID IID_ISRepSessionView = MakeGUID("{6B0E2D10-5A31-4C6E-9E11-2F6A1C0B7D0B}");

// Root classes of the repository.
inline constexpr CLSID CLSID_SRepObject = MakeGUID("{362D41E0-9D82-11D1-8E5D-444553540000}");
inline constexpr CLSID CLSID_SRepObjectBase = MakeGUID("{362D41EA-9D82-11D1-8E5D-444553540000}");

// A persistent object. Attribute ids unknown to the object's class answer
// DISP_E_MEMBERNOTFOUND; operations on a deleted object CO_E_OBJNOTCONNECTED.
struct ISRepObject : IUnknown {
  virtual HRESULT GetCLSID(CLSID* out) = 0;
  virtual HRESULT GetSession(ISRepSession** out) = 0;  // S_FALSE and null without one
  virtual HRESULT GetParent(ISRepObject** out) = 0;    // S_FALSE and null at the top
  virtual HRESULT GetParentColl(ISRepClassCol** out) = 0;
  virtual HRESULT GetAttribute(LONG id, SRepVariant* value) = 0;
  // 0 when stored, 1 when the value did not change.
  virtual HRESULT SetAttribute(LONG id, const SRepVariant& value) = 0;
  virtual HRESULT GetAttributeDefault(LONG id, SRepVariant* value) = 0;
  virtual HRESULT HasAttribute(LONG id) = 0;  // S_OK or S_FALSE
  // S_OK when read-only, S_FALSE when writable.
  virtual HRESULT IsAttrReadOnly(LONG id, const SRepVariant* value = nullptr) = 0;
  virtual HRESULT GetCollection(LONG id, ISRepClassCol** out) = 0;
  virtual HRESULT HasCollection(LONG id) = 0;      // S_OK or S_FALSE
  virtual HRESULT IsCollectionEmpty(LONG id) = 0;  // S_OK or S_FALSE
  virtual BOOL IsDeleted() = 0;
  virtual BOOL IsDeleting() = 0;
  virtual BOOL IsShortcut() = 0;
  virtual HRESULT Delete() = 0;
  // A copy of the object (and of the members of its owning collections
  // when withChildren is non-zero), created in the same session.
  virtual HRESULT Duplicate(ISRepObject** out, BOOL withChildren) = 0;
  virtual HRESULT Advise(DWORD mask, ISRepObjSink* sink) = 0;
  virtual HRESULT Unadvise(ISRepObjSink* sink) = 0;

 protected:
  ~ISRepObject() = default;
};

struct ISRepObjectBase : ISRepObject {
  // The model the object belongs to: the top of its parent chain (the
  // object itself at the top). Reference added.
  virtual HRESULT GetModel(ISRepObject** out) = 0;
  // The object's replication (it answers ISRepBaseReplication, which names
  // the object replicated), or S_FALSE and null when the object replicates none.
  virtual HRESULT GetReplicationObject(IUnknown** out) = 0;

 protected:
  ~ISRepObjectBase() = default;
};

struct ISRepObjSink : IUnknown {
  virtual HRESULT OnChange(ISRepObject* obj, LONG id) = 0;
  virtual HRESULT OnDelete(ISRepObject* obj, int reason) = 0;
  virtual HRESULT OnFlush(ISRepObject* obj) = 0;

 protected:
  ~ISRepObjSink() = default;
};

struct ISRepClassColSink : IUnknown {
  virtual HRESULT OnObjColInsert(ISRepClassCol* col, ISRepObject* obj, int pos) = 0;
  virtual HRESULT OnObjColMove(ISRepClassCol* col, int from, int to) = 0;
  virtual HRESULT OnObjColRemove(ISRepClassCol* col, ISRepObject* obj) = 0;
  virtual HRESULT OnObjColDelete(ISRepClassCol* col) = 0;

 protected:
  ~ISRepClassColSink() = default;
};

// Flags of a collection definition.
enum SRepColFlags : DWORD {
  SRepCol_Owning = 0x1,     // members are the owner's children (deleted and duplicated with it)
  SRepCol_Ordered = 0x2,    // positions are kept
  SRepCol_Part = 0x10,      // members are parts of the owner in the model (shown inside it)
  SRepCol_Navigable = 0x20, // the owner reaches its members (a composite may take them as children)
  SRepCol_Single = 0x1000,  // a single-object reference: at most one member
};

// Bits of a session's option word.
enum SRepSessionOptions : DWORD {
  SRepOpt_NameDisplay = 0x40,  // objects are shown by Name rather than by Code
};

// The definition of one side of a relation. The primary side is the one a
// member is inserted through; the other side has the reverse id.
struct ISRepClassColDef : IUnknown {
  virtual LONG GetCollectionId() = 0;
  virtual BOOL IsPrimarySide() = 0;
  virtual DWORD GetDefFlags() = 0;
  virtual HRESULT GetElementClass(CLSID* out) = 0;
  // The id of the other side of the relation (GetCollectionId() ^ SRepReverseBit).
  virtual LONG GetReverseId() = 0;

 protected:
  ~ISRepClassColDef() = default;
};

// An ordered collection of one object. Positions run 0..count-1; an insert
// position of -1 appends. Bad positions answer DISP_E_BADINDEX.
struct ISRepClassCol : IUnknown {
  virtual LONG GetCount() = 0;
  virtual HRESULT Item(LONG pos, ISRepObject** out) = 0;
  virtual LONG GetPos(ISRepObject* obj) = 0;  // -1 when absent
  virtual HRESULT Insert(ISRepObject* obj, LONG pos = -1) = 0;
  virtual HRESULT Remove(LONG pos) = 0;
  virtual HRESULT Move(LONG from, LONG to) = 0;
  virtual LONG GetCollectionId() = 0;
  virtual HRESULT GetCollectionDef(ISRepClassColDef** out) = 0;
  virtual HRESULT GetOwner(ISRepObject** out) = 0;
  virtual HRESULT Advise(ISRepClassColSink* sink) = 0;
  virtual HRESULT Unadvise(ISRepClassColSink* sink) = 0;

 protected:
  ~ISRepClassCol() = default;
};

// A context of changes: a creation context (recording: its records hold the
// state before each change), a lockout context (not recording: its records
// hold the new state and are run when the context is applied), or the
// context of an undo or redo being applied.
struct ISRepContext : IUnknown {
  virtual BOOL IsRecording() = 0;
  virtual BOOL IsLockout() = 0;
  virtual BOOL IsApplying() = 0;
  // Hands a record over for good (dropped here when the context keeps no
  // records). E_POINTER for null.
  virtual HRESULT AddAction(std::unique_ptr<SRepActionBase> action) = 0;
  virtual SRepActionBase* GetLastAction() = 0;
  virtual int GetActionCount() = 0;
  virtual SRepActionBase* GetAction(int index) = 0;
  // Non-zero when the object was created in this context.
  virtual BOOL IsObjectInContext(ISRepObject* obj) = 0;
  // Locks an object in a lockout context: the context keeps it (counted)
  // until it ends, as it keeps the objects of its pending records. S_FALSE
  // in a context that defers nothing; E_POINTER for null, E_INVALIDARG for
  // an object of another session, CO_E_OBJNOTCONNECTED for a deleted one.
  virtual HRESULT LockObject(ISRepObject* obj) = 0;
  // Non-zero when the object is locked in the context (by LockObject or by
  // a pending record that changes it).
  virtual BOOL IsObjectLocked(ISRepObject* obj) = 0;
  virtual HRESULT GetSession(ISRepSession** out) = 0;
  // Non-zero while the context's records are being run.
  virtual int GetState() = 0;
  // Non-zero when the object must outlive the step even when it was emptied
  // (an owner that would delete itself once its last member left keeps itself).
  virtual BOOL IsKeepObject(ISRepObject* obj) = 0;

 protected:
  ~ISRepContext() = default;
};

struct ISRepPictureHolder : IUnknown {
  virtual HRESULT AddPicture(ISRepObject* user, const void* picture) = 0;
  virtual HRESULT RemovePicture(ISRepObject* user, const void* picture) = 0;
  virtual BOOL HasPicture(ISRepObject* user, const void* picture) = 0;
  // The number of users registered for a picture (0 for null or unknown).
  virtual LONG GetUseCount(const void* picture) = 0;

 protected:
  ~ISRepPictureHolder() = default;
};

struct ISRepSession : IUnknown {
  // Creates an object of the class through its registry entry and answers
  // iid of it. REGDB_E_CLASSNOTREG for an unknown class.
  virtual HRESULT CreateObject(REFCLSID clsid, REFIID iid, void** out) = 0;
  virtual HRESULT GetCurrentContext(ISRepContext** out) = 0;  // S_FALSE and null without one
  // The context that changes go to: the open creation or lockout context.
  virtual HRESULT GetLockoutContext(ISRepContext** out) = 0;
  virtual BOOL IsReadOnly() = 0;
  virtual BOOL IsBusy() = 0;
  virtual BOOL IsArrangeSuppressed() = 0;
  virtual BOOL IsHandlingSuppressed() = 0;
  virtual BOOL IsModified() = 0;
  virtual void SetModified(BOOL modified) = 0;
  virtual DWORD GetOptions() = 0;
  virtual HRESULT Undo() = 0;  // S_FALSE when there is nothing to undo
  virtual HRESULT Redo() = 0;
  virtual BOOL CanUndo() = 0;
  virtual BOOL CanRedo() = 0;

 protected:
  ~ISRepSession() = default;
};

// A model that hears of objects whose parent changed (flag 1: moved under a
// new parent by the caller). The answer is informative only.
struct ISRepModelServiceProvider : IUnknown {
  virtual HRESULT ObjectsReparented(ISRepObject* const* objects, int count, int flag) = 0;

 protected:
  ~ISRepModelServiceProvider() = default;
};

struct ISRepBaseReplication : IUnknown {
  // The object replicated (reference added), or S_FALSE and null.
  virtual HRESULT GetReplicationSource(ISRepObject** out) = 0;

 protected:
  ~ISRepBaseReplication() = default;
};

// A view of a session, locked while the session applies whole steps.
struct ISRepSessionView : IUnknown {
 protected:
  ~ISRepSessionView() = default;
};

// The set that records fill in CollectObjects: counted references, sorted,
// without duplicates.
using SRepObjectBag = SComBag<ISRepObject>;
