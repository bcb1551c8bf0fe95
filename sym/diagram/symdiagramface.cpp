// The operations of ISSymDiagram that have no family of their own: the
// repository object's operations the diagram answers itself, the typed
// access to its members, and the operations a diagram type of a host fills
// (the library's own diagram answers them as a plain diagram).
#include "kvcore/swinapp.h"
#include "kvrep/srepregistry.h"
#include "sym/diagram/symdiagram.h"
#include "sym/symbol/symintfsymbol.h"

namespace {
// The repository collections a diagram shares with picture files.
constexpr LONG kShortcutsCol = 0x0480019F;
constexpr LONG kRepCol311 = 0x04800311;
constexpr LONG kRepCol312 = 0x04800312;
// The creation stamp the repository keeps on every object.
constexpr LONG kCreationDate = 0x01000010;
constexpr LONG kCreationUser = 0x01000011;

// The stored value of a member read by `read`, `empty` when it is not set.
template <class V, class Read>
V StoredOr(SRepObject& o, LONG id, V empty, Read read) {
  SRepVariant v;
  return o.GetAttribute(id, &v) == S_OK && !v.IsEmpty() ? read(v) : empty;
}
// Stores the variant `write` fills.
template <class Write>
HRESULT StoreAs(SRepObject& o, LONG id, Write write) {
  SRepVariant v;
  write(v);
  return o.SetAttribute(id, v);
}

// Typed access to a stored member by its metamodel type: the string types
// through the repository's text helpers (the bounded string keeps its
// length), the others through variants of their own kind.
template <SSymDesc::Type T>
struct StoredMember;
template <>
struct StoredMember<SSymDesc::T_STR> {
  static SString Get(SRepObject& o, LONG id) {
    return StoredOr(o, id, SString(), [](auto& v) { return v.GetSTRING(); });
  }
  static HRESULT Set(SRepObject& o, LONG id, const SString& v) { return o.Set_CHAR(id, v); }
};
template <>
struct StoredMember<SSymDesc::T_TEXT> : StoredMember<SSymDesc::T_STR> {
  static HRESULT Set(SRepObject& o, LONG id, const SString& v) { return o.Set_TEXT(id, v); }
};
template <>
struct StoredMember<SSymDesc::T_INT> {
  static LONG Get(SRepObject& o, LONG id) {
    return StoredOr(o, id, LONG{0}, [](auto& v) { return v.GetLONG(); });
  }
  static HRESULT Set(SRepObject& o, LONG id, const LONG& v) { return o.Set_INT(id, v); }
};
template <>
struct StoredMember<SSymDesc::T_FLAGS> {
  static LONG Get(SRepObject& o, LONG id) {
    return StoredOr(o, id, LONG{0}, [](auto& v) { return static_cast<LONG>(v.GetFLAGS()); });
  }
  static HRESULT Set(SRepObject& o, LONG id, const LONG& f) {
    return StoreAs(o, id, [&](auto& v) { v.SetFLAGS(static_cast<DWORD>(f)); });
  }
};
template <>
struct StoredMember<SSymDesc::T_PT> {
  static SRep_Point Get(SRepObject& o, LONG id) {
    return StoredOr(o, id, SRep_Point_null, [](auto& v) { return v.GetPOINT(); });
  }
  static HRESULT Set(SRepObject& o, LONG id, const SRep_Point& p) {
    return StoreAs(o, id, [&](auto& v) { v.SetPOINT(p); });
  }
};
template <>
struct StoredMember<SSymDesc::T_RECT> {
  static SRep_Rect Get(SRepObject& o, LONG id) {
    return StoredOr(o, id, SRep_Rect_null, [](auto& v) { return v.GetRECT(); });
  }
  static HRESULT Set(SRepObject& o, LONG id, const SRep_Rect& r) {
    return StoreAs(o, id, [&](auto& v) { v.SetRECT(r); });
  }
};

// Puts the viewer mode back as it was, on every path out.
class ViewerMode {
 public:
  explicit ViewerMode(bool on) : m_bOld(g_IsViewer()) { g_SetViewer(on); }
  ~ViewerMode() { g_SetViewer(m_bOld); }
  ViewerMode(const ViewerMode&) = delete;
  ViewerMode& operator=(const ViewerMode&) = delete;

 private:
  bool m_bOld;
};
}  // namespace

// ---- the repository object's operations ----------------------------------------------------------
HRESULT SSymDiagram::GetCollection(REFCLSID elementClass, ISRepClassCol** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  const SRepRegistry* entry = SRepRegistry::Find(elementClass);
  if (entry && entry->IsKindOf(CLSID_SSymBase)) return GetSymbols(out);
  return GetCollectionForClass(elementClass, out, false);
}

BOOL SSymDiagram::IsChanged() { return (GetState() & SRepState_Changed) != 0 ? 1 : 0; }

HRESULT SSymDiagram::CreateObject(const CLSID& clsid, void** out, const IID& iid, LONG kind, int pos, bool unused) {
  return SSymDiagramImpl::CreateObject(clsid, out, iid, kind, pos, unused);
}

HRESULT SSymDiagram::CanCreateObject(LONG id, const CLSID& clsid, LONG pos, SString* message) {
  return SSymDiagramImpl::CanCreateObject(id, clsid, pos, message);
}

LONG SSymDiagram::InternalAutoFix(SStringTable& messages, int checkParents) {
  return SSymDiagramImpl::InternalAutoFix(messages, checkParents);
}

BOOL SSymDiagram::IsKindOf(REFGUID clsid) { return SSymDiagramMem::IsKindOf(clsid) ? 1 : 0; }

DWORD SSymDiagram::GetAttributeFlags(LONG id) { return SSymDiagramMem::GetAttributeFlags(id); }

DWORD SSymDiagram::GetAttributeType(LONG id) { return SSymDiagramMem::GetAttributeType(id); }

LONG SSymDiagram::OnClose() {
  CloseHook();
  return 0;
}

LONG SSymDiagram::OnCloseInViewer() {
  ViewerMode viewer(true);
  CloseHook();
  return 0;
}

std::int64_t SSymDiagram::GetCreationDate() {
  return StoredOr(*this, kCreationDate, std::int64_t{0}, [](auto& v) { return v.GetDATE(); });
}

SString SSymDiagram::GetCreationUser() { return StoredMember<SSymDesc::T_STR>::Get(*this, kCreationUser); }

// ---- collections shared with picture files ----------------------------------------------------------
HRESULT SSymDiagram::GetShortcutCol(ISRepClassCol** out) { return SRepObjectFace::GetCollection(kShortcutsCol, out); }

HRESULT SSymDiagram::GetRepCol311(ISRepClassCol** out) { return SRepObjectFace::GetCollection(kRepCol311, out); }

HRESULT SSymDiagram::GetRepCol312(ISRepClassCol** out) { return SRepObjectFace::GetCollection(kRepCol312, out); }

HRESULT SSymDiagram::GetExtlGenDepdCol(ISRepClassCol** out) {
  // The repository keeps no generated dependencies outside the model.
  if (!out) return E_POINTER;
  *out = nullptr;
  return S_FALSE;
}

// ---- stored members -----------------------------------------------------------------------------------
#define KV_SYM_DIAG_STORED_ROW_DEFINE(konst, code, name, id, type, store, ...) \
  KV_SYM_DIAG_STORED_IF_##store(KV_SYM_DIAG_STORED_DEFINE, code, type, id)
#define KV_SYM_DIAG_STORED_DEFINE(code, type, id)                                                                \
  KV_SYM_DIAG_CTYPE_##type SSymDiagram::Get##code() { return StoredMember<SSymDesc::T_##type>::Get(*this, id); } \
  HRESULT SSymDiagram::Set##code(const KV_SYM_DIAG_CTYPE_##type& value) {                                        \
    return StoredMember<SSymDesc::T_##type>::Set(*this, id, value);                                              \
  }
KV_SYM_DIAG_STORED(DEFINE)
#undef KV_SYM_DIAG_STORED_DEFINE
#undef KV_SYM_DIAG_STORED_ROW_DEFINE

// ---- computed members ---------------------------------------------------------------------------------
// The setters go through the attribute storage, which compares first (the
// same value answers S_FALSE and changes nothing) and reports a stored
// change to the repository.
SString SSymDiagram::GetDispName() { return SSymDiagramImpl::GetDispName(); }

HRESULT SSymDiagram::SetDispName(const SString& name) { return SetAttribute(IdDispName, SRepVariant::Text(name)); }

BOOL SSymDiagram::GetHasNote() { return SSymDiagramImpl::GetHasNote(); }

LONG SSymDiagram::GetPgSize() { return SSymDiagramImpl::GetPgSize(); }

HRESULT SSymDiagram::SetPgSize(LONG size) { return SetAttribute(IdPgSize, SRepVariant::Long(size)); }

LONG SSymDiagram::GetPgFormat() { return SSymDiagramImpl::GetPgFormat(); }

HRESULT SSymDiagram::SetPgFormat(LONG format) { return SetAttribute(IdPgFormat, SRepVariant::Long(format)); }

SBlob SSymDiagram::GetContent() { return SSymDiagramImpl::GetContent(); }

HRESULT SSymDiagram::SetContent(const SBlob& content) {
  SRepVariant v;
  v.SetBINARY(std::vector<std::uint8_t>(content.GetData(), content.GetData() + content.GetSize()));
  return SetAttribute(IdContent, v);
}

// ---- page setup and printing ------------------------------------------------------------------------
int SSymDiagram::PageSetup() { return SSymDiagramImpl::PageSetup(); }

int SSymDiagram::PrinterSetup() { return SSymDiagramImpl::PrinterSetup(); }

int SSymDiagram::V6PageSetup() { return SSymDiagramImpl::V6PageSetup(); }

SPrinterCache* SSymDiagram::GetPageSetup() { return SSymDiagramImpl::GetPageSetup(); }

void SSymDiagram::DuplicatePageSetup(const SPrinterCache& source) { SSymDiagramImpl::DuplicatePageSetup(source); }

HRESULT SSymDiagram::Print(SSymPrintData* data) { return SSymDiagramImpl::Print(data); }

// ---- preferences, grid, holder ------------------------------------------------------------------------
SSymDispPref* SSymDiagram::GetDispPrefPtr() { return SSymDiagramImpl::GetDispPrefPtr(); }

HRESULT SSymDiagram::SnapObjToGrid(ISSymbol*, SSymRect& rect) { return SSymDiagramImpl::SnapToGrid(rect); }

HRESULT SSymDiagram::CreateDispPref() { return SSymDiagramImpl::CreateDispPref(); }

SRepControlHolder* SSymDiagram::GetHolder() { return SSymDiagramImpl::GetHolder(); }

void SSymDiagram::SetHolder(SRepControlHolder* holder) { SSymDiagramImpl::SetHolder(holder); }

// ---- selection, pictures, classes ---------------------------------------------------------------------
HRESULT SSymDiagram::AddSymInRectToSel(const SSymRect& frame, ISSymSelection* selection, int children) {
  return SSymDiagramImpl::AddSymInRectToSel(frame, selection, children);
}

BOOL SSymDiagram::CanShowSym(REFCLSID clsid) { return SSymDiagramImpl::CanShowSym(clsid); }

HRESULT SSymDiagram::AddPicture(const void* picture) { return SSymDiagramImpl::AddPicture(picture); }

HRESULT SSymDiagram::RemovePicture(const void* picture) { return SSymDiagramImpl::RemovePicture(picture); }

ISRepObject* SSymDiagram::FindPicture(LONG) { return nullptr; }

// ---- the metamodel's object attachment: nothing in the library's own diagram ----------------------------
BOOL SSymDiagram::CanAttachObject(ISRepObject*) { return 0; }

ISSymbol* SSymDiagram::AttachObject(ISRepObject*, ISSymbol*) { return nullptr; }

ISSymbol* SSymDiagram::AttachObject(ISRepObject*, const SSymRect&, ISSymbol*) { return nullptr; }

ISSymbol* SSymDiagram::AttachLinkObject(ISRepObject*, int) { return nullptr; }

ISSymbol* SSymDiagram::AttachLinkObject(ISRepObject*, ISRepObject*, ISRepObject*, int) { return nullptr; }

// ---- swimlanes, composites, preview -------------------------------------------------------------------
SComTable<ISSymbol> SSymDiagram::GetSwimLaneList() { return SSymDiagramImpl::GetSwimLaneList(); }

BOOL SSymDiagram::HasCompositeBehavior(ISRepObject* object) {
  return SSymDiagramImpl::HasCompositeBehavior(object) ? 1 : 0;
}

BOOL SSymDiagram::SupportPreviewCommand(UINT) { return 0; }
