// The sample host's data model: packages holding entities (with their
// attributes), relations between entities, composites (a process of steps)
// and lanes (the units responsible for entities). Every class is a
// repository class of its own, registered once per process with the
// collections that tie them together; the package at the top of a model
// hears of objects moved under new parents. Model objects offer one verb,
// "Properties", which this headless host only counts.
#pragma once

#include "kvrep/srepfaces.h"
#include "kvrep/srepmodel.h"
#include "kvrep/srepsession.h"
#include "sym/symbol/symintfsymbol.h"

// Classes of the model.
inline constexpr CLSID CLSID_SHostPackage = MakeGUID("{7A3C1E00-52B4-4F0A-9C61-0D2E4B8A1001}");
inline constexpr CLSID CLSID_SHostEntity = MakeGUID("{7A3C1E00-52B4-4F0A-9C61-0D2E4B8A1002}");
inline constexpr CLSID CLSID_SHostAttribute = MakeGUID("{7A3C1E00-52B4-4F0A-9C61-0D2E4B8A1003}");
inline constexpr CLSID CLSID_SHostRelation = MakeGUID("{7A3C1E00-52B4-4F0A-9C61-0D2E4B8A1004}");
inline constexpr CLSID CLSID_SHostProcess = MakeGUID("{7A3C1E00-52B4-4F0A-9C61-0D2E4B8A1005}");
inline constexpr CLSID CLSID_SHostLane = MakeGUID("{7A3C1E00-52B4-4F0A-9C61-0D2E4B8A1006}");

// Member ids of the model.
namespace SHostId {
inline constexpr LONG Name = 0x01000002, Code = 0x01000004, DataType = 0x04000010;
// Package contents (owning, primary side).
inline constexpr LONG Packages = 0x02000040, Entities = 0x02000041, Relations = 0x02000042,
                      Processes = 0x02000043, Lanes = 0x02000044;
// An entity's attributes; a process's steps (entities it is made of); the
// entities a lane is responsible for.
inline constexpr LONG Attributes = 0x02000045, Steps = 0x02000046, Responsible = 0x02000047;
// The two ends of a relation (single references): first end, second end.
inline constexpr LONG FirstEnd = 0x0200001A, SecondEnd = 0x02000019;
// The entity an attribute refers to (an object-valued attribute; none by
// default): the attribute is a key of that entity kept in another one.
inline constexpr LONG References = 0x04000011;
// A symbol's model object (single) and, reversed, a model object's symbols.
inline constexpr LONG Shows = 0x04000087, ShownBy = 0x04800087;
}  // namespace SHostId

// Verbs of model objects.
inline constexpr LONG SHostVerbProperties = 0;
// The answer to a verb the object does not offer.
inline constexpr HRESULT SHOST_E_INVALIDVERB = static_cast<HRESULT>(0x80040000u);

// Registers the model's classes (once; later calls do nothing).
void SHostRegisterModel();

// Model objects of every class but the package.
class SHostObject : public SRepFaces<SHostObject, SRepObjectMem, ISVerbSource> {
 public:
  SHostObject(const CLSID& clsid, ISRepSession* session) : SRepFaces(clsid, session) {}
  SHostObject(const SHostObject& source) = default;
  HRESULT DoVerb(LONG verb, const MSG* message, HWND window, const RECT* rect) override;
  LONG EnumVerbs() override { return 1; }
  int m_nOpened = 0;  // how often "Properties" ran
};

// A package; the top package of a model is the model.
class SHostPackage : public SRepFaces<SHostPackage, SRepModelObject, ISVerbSource> {
 public:
  explicit SHostPackage(ISRepSession* session) : SRepFaces(CLSID_SHostPackage, session) {}
  SHostPackage(const SHostPackage& source) = default;
  HRESULT DoVerb(LONG verb, const MSG* message, HWND window, const RECT* rect) override;
  LONG EnumVerbs() override { return 1; }
  int m_nOpened = 0;
};

// Making model objects in a session. Each answers the new object (the owner
// holds it; no reference is handed out), or null when the owner is null,
// deleted or of the wrong class.
SHostPackage* SHostNewModel(ISRepSession* session, const SString& name);  // counted for the caller
SRepObject* SHostAddPackage(ISRepObject* package, const SString& name);
SRepObject* SHostAddEntity(ISRepObject* package, const SString& name);
SRepObject* SHostAddAttribute(ISRepObject* entity, const SString& name, const SString& type);
// A relation of the package from `first` to `second` (entities of any package of the same session).
SRepObject* SHostAddRelation(ISRepObject* package, const SString& name, ISRepObject* first, ISRepObject* second);
SRepObject* SHostAddProcess(ISRepObject* package, const SString& name);
SRepObject* SHostAddLane(ISRepObject* package, const SString& name);

// Makes an attribute refer to an entity (null: to none); false when either
// is not of its class or the attribute refuses the value.
bool SHostSetReference(ISRepObject* attribute, ISRepObject* entity);
// The Name of an object (empty for null or none).
SString SHostNameOf(ISRepObject* object);
// True for a link object: an object with the second-end collection.
bool SHostIsLinkObject(ISRepObject* object);
// The first (end 0) or second (end 1) end of a link object (not counted), or null.
ISRepObject* SHostLinkEnd(ISRepObject* link, int end);
