// The type-library manager: libraries register the metamodel resource that
// describes their persistent classes.
//
// The manager reads the resource bytes through a lookup that the library
// side installs once (SRepSetResourceLookup) before it registers: given the
// module-state pointer it passes to RegisterTypeLib, the resource id and the
// resource type, the lookup answers the bytes (an empty span when absent).
// Tests may register bytes directly with RegisterBytes.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "kvrep/srepvariant.h"
#include "win/windef.h"

using SRepResourceLookup = std::span<const std::uint8_t> (*)(void* moduleState, UINT id, LPCWSTR type);
void SRepSetResourceLookup(SRepResourceLookup lookup);
// The strings of a module's string table (class labels among them), read
// the same way: given the module-state pointer of a registration and a
// string id, the lookup answers the text (empty when absent).
using SRepStringLookup = SString (*)(void* moduleState, UINT id);
void SRepSetStringLookup(SRepStringLookup lookup);

// One member of a metamodel class.
struct SRepMetaMember {
  enum Kind { Attribute, Collection, Method } kind = Attribute;
  std::string code;
  std::string name;
  LONG id = 0;
  DWORD flags = 0;
  WORD type = 0;             // attributes: the type code
  std::string defaultText;   // attributes: the default as written
  GUID elementClass = GUID_NULL;  // collections, when given
  bool forward = false;           // collections: the forward side
};

// One class record of a metamodel.
struct SRepMetaClass {
  std::string code;
  std::string name;
  DWORD flags = 0;
  GUID clsid = GUID_NULL;
  DWORD labelId = 0;
  DWORD iconIndex = 0;  // the class's icon in repository browsers
  std::vector<std::string> parents;
  std::vector<GUID> parentIds;
  std::vector<SRepMetaMember> members;
};

struct SRepMetaEnum {
  std::string name;
  std::vector<std::pair<std::string, LONG>> values;
};

// One registration.
struct SRepTypeLib {
  void* moduleState = nullptr;
  UINT id = 0;
  UINT lang = 0;
  std::u16string type;
  std::vector<std::uint8_t> bytes;
  std::string moduleCode;  // from the header ("Sym")
  std::vector<SRepMetaClass> classes;
  std::vector<SRepMetaEnum> enums;
  DWORD classCount = 0;  // the header's class count
};

struct ISRepTypeLibManager {
  // Registers the metamodel resource (id, type) of the module whose state is
  // given. E_POINTER for a null type, E_FAIL when the bytes cannot be had,
  // STG_E_READFAULT when they are not a whole metamodel (every byte is
  // read). Registering the same module and id again replaces the earlier
  // registration. The attributes of each class that has a registry entry
  // become known to that entry's class definition (with their parents).
  virtual HRESULT RegisterTypeLib(void* moduleState, UINT id, UINT lang, LPCWSTR type) = 0;
  virtual HRESULT RegisterBytes(void* moduleState, UINT id, std::span<const std::uint8_t> bytes) = 0;
  virtual int GetCount() const = 0;
  virtual const SRepTypeLib* GetAt(int i) const = 0;
  virtual void Clear() = 0;

 protected:
  ~ISRepTypeLibManager() = default;
};

// The process-wide manager, or null while disabled (tests of a library frame
// without a manager).
ISRepTypeLibManager* GetTypeLibManager();
// Gives the registry entry of the class (if any) the class's parents and
// the attributes its property maps do not keep.
void SRepApplyMetaClass(const SRepMetaClass& c);
// The metamodel record of a class among the registrations, or null.
const SRepMetaClass* SRepFindMetaClass(const GUID& clsid);
class SModuleState;
// The repository library's own module state (its resources).
SModuleState* SRepGetModuleState();

// Names from the registered metamodels; empty when unknown. The public
// name of a class is its metamodel name ("BaseDiagram"), its class name
// its code ("SSymDiagram"); a member's name is searched up the parent chain.
SString SRepGetPublicName(const GUID& clsid);
SString SRepGetClassName(const GUID& clsid);
// The label text of a class (its metamodel label string, e.g.
// "Rectangle\nRECT\n@CLSSNAMES=Rectangles"); empty when the class, its
// label or the string lookup is unknown.
SString SRepGetClassLabel(const GUID& clsid);
SString SRepGetAttrCollPublicName(const GUID& clsid, LONG id);
SString SRepGetAttrName(const GUID& clsid, LONG id);
SString SRepGetCollName(const GUID& clsid, LONG id);
void SRepEnableTypeLibManager(bool enabled);
