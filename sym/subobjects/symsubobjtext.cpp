#include "sym/subobjects/symsubobjtext.h"

#include <algorithm>
#include <memory>

#include "kvcore/srtfdocument.h"
#include "kvcore/sstringmap.h"
#include "kvrep/srepattredit.h"
#include "kvrep/srepextras.h"
#include "kvrep/srepsession.h"
#include "sym/render/symcanv.h"
#include "sym/render/symdeftcanv.h"
#include "sym/symbol/symintfdisppref.h"
#include "sym/symbol/symintfeditor.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfview.h"

namespace {
using ShortcutFace = SComWrap<ISRepShortcut, &IID_ISRepShortcut>;

// Ancestors advised for their display names.
constexpr DWORD kAncestorMask = 0x2100000B;
// A parent chain longer than this is taken as a loop.
constexpr int kMaxDepth = 256;
// Room kept free inside a box owner for a text that would fill it.
constexpr LONG kWidthInset = 300;
constexpr LONG kHeightInset = 100;
// A custom picture owner shows the text below it, at least this wide.
constexpr LONG kBelowMinimum = 7200;
// A label smaller than this (width plus height) counts as just made.
constexpr LONG kSmallLabel = 36;


// The object's parent (counted), or null at the top.
ISRepObject* ParentOf(ISRepObject* obj) {
  ISRepObject* parent = nullptr;
  if (!obj || FAILED(obj->GetParent(&parent))) return nullptr;
  return parent;
}

bool IsWritable(ISRepObject* obj, LONG id) { return obj && obj->IsAttrReadOnly(id, nullptr) == S_FALSE; }
}  // namespace

// ---- construction -------------------------------------------------------------------------------
SSymSubObjText::SSymSubObjText() = default;

SSymSubObjText::SSymSubObjText(ISRepObject* object, LONG id, const SString& prefix, const SString& suffix,
                               SStringMap* table, int defer)
    : m_dispid(id), m_strPrefix(prefix), m_strSuffix(suffix), m_pTableConversion(table) {
  if (!object) return;
  if (defer) {
    // Kept, not yet bound: the host's SetObject (or the first drawing) binds it.
    m_pObject = object;
    m_pObject->AddRef();
    return;
  }
  SSymSubObjText::SetObject(object);
}

SSymSubObjText::~SSymSubObjText() {
  Unbind();
  delete m_pTableConversion;
  m_pTableConversion = nullptr;
  DropRelay();
  m_strPrefix = SString();
  m_strSuffix = SString();
}

void* SSymSubObjText::QueryFamily(REFIID iid) {
  if (iid == IID_ISRepObjSink) return static_cast<ISRepObjSink*>(this);
  return SSymSubText::QueryFamily(iid);
}

LONG SSymSubObjText::NormalizeId(LONG id) {
  if ((id & ExtendedFamily) == ExtendedFamily && id != ExtendedFamily) return ExtendedFamily;
  return id;
}

// ---- binding ------------------------------------------------------------------------------------
ISRepObject* SSymSubObjText::ValueObject() const { return m_pObject ? SRepUnrefShct(m_pObject, 1, 1) : nullptr; }

ISRepObject* SSymSubObjText::AdvisedObject() const {
  if (!m_pObject) return nullptr;
  if (m_pObject->IsShortcut()) {
    ShortcutFace shortcut(m_pObject);
    SComOut<ISRepObject> target;
    if (!shortcut.IsNull() && SUCCEEDED(shortcut->GetTarget(&target)) && target && !target->IsDeleted())
      return target.Get();  // the shortcut holds it
  }
  return m_pObject;
}

void SSymSubObjText::AdviseAncestors(ISRepObject* object, bool advise) {
  ISRepObject* at = ParentOf(object);
  for (int depth = 0; at && depth < kMaxDepth; ++depth) {
    if (advise) at->Advise(kAncestorMask, SinkFace());
    else at->Unadvise(SinkFace());
    ISRepObject* next = ParentOf(at);
    at->Release();
    at = next;
  }
  if (at) at->Release();
}

void SSymSubObjText::DropRelay() {
  SRepValueRelay* relay = m_pValueRelay;
  m_pValueRelay = nullptr;
  if (!relay) return;
  relay->Detach();
  delete relay;
}

void SSymSubObjText::Unadvise() {
  ISRepObject* registered = m_pAdvised;
  m_pAdvised = nullptr;
  const bool advised = m_bAdvised != 0;
  m_bAdvised = 0;
  if (!registered) return;
  if (advised) registered->Unadvise(SinkFace());
  // The ancestors of a shortcut's target were advised for their names.
  if (registered != m_pObject) AdviseAncestors(registered, false);
  registered->Release();
}

void SSymSubObjText::Unbind() {
  Unadvise();
  if (ISRepObject* old = m_pObject) {
    m_pObject = nullptr;
    old->Release();
  }
}

void SSymSubObjText::SetObject(ISRepObject* object) {
  if (object) {
    // Only the shortcut face is asked for; its absence is the normal case.
    ShortcutFace probe(object);
    (void)probe;
  }
  const bool same = object == m_pObject || (object && m_pObject && SRepAreSameObjects(object, m_pObject));
  if (same) {
    // The same object binds again only when it is not registered: a
    // shortcut whose target was deleted, or an object kept but not yet bound.
    if (!object || m_bAdvised) return;
    if (!object->IsShortcut() && (m_pAttrEditor || m_dispid == 0)) return;
  }
  if (object) object->AddRef();
  // The relay and the registration belong to the object bound before.
  DropRelay();
  Unadvise();
  ISRepObject* old = m_pObject;
  m_pObject = object;
  if (old) old->Release();
  m_pAttrEditor = nullptr;
  if (!m_pObject) return;

  if (SRepUnrefShct(m_pObject, 1, 1) || m_dispid == DispidDisplayName || m_dispid == DispidName) {
    if (SRepRegistry* registry = SRepRegistry::FindFor(m_pObject)) SyncAttributes(registry);
  }
  AdviseToObject();
}

void SSymSubObjText::SyncAttributes(SRepRegistry* registry) { m_pAttrEditor = SyncOneAttribute(registry, m_dispid); }

SRepAttrEditor* SSymSubObjText::SyncOneAttribute(SRepRegistry* registry, LONG id) {
  if (id == 0 || !registry) return nullptr;
  SRepAttrEditor* editor = registry->GetAttrEditor(id);
  if (!editor || !editor->HasRelay()) return editor;
  // The relay follows the value the text shows (a shortcut's target).
  ISRepObject* shown = ValueObject();
  if (!shown) shown = m_pObject;
  SRepVariant value;
  if (shown && shown->GetAttribute(id, &value) == S_OK) {
    DropRelay();
    SRepValueRelay* relay = nullptr;
    if (SUCCEEDED(editor->CreateRelay(shown, value, SinkFace(), &relay))) m_pValueRelay = relay;
  }
  value.ReleaseData();
  return editor;
}

void SSymSubObjText::AdviseToObject() {
  const LONG mask = NormalizeId(m_dispid);
  if (mask == 0 || m_bAdvised) return;
  ISRepObject* target = AdvisedObject();
  if (!target) return;
  // A deleted object takes no sink: the text stays unregistered.
  if (FAILED(target->Advise(static_cast<DWORD>(mask) | SRepAdviseOneAttr, SinkFace()))) return;
  m_bAdvised = 1;
  target->AddRef();
  m_pAdvised = target;
  if (target != m_pObject) AdviseAncestors(target, true);
}

void SSymSubObjText::SetDispid(LONG id) {
  if (id == m_dispid) return;
  // The object is taken out and bound again for the new attribute.
  ISRepObject* taken = m_pObject;
  if (taken) taken->AddRef();
  DropRelay();
  Unbind();
  m_pAttrEditor = nullptr;
  m_dispid = id;
  if (taken) {
    SetObject(taken);
    taken->Release();
  }
  if (m_flags & SUBS_INITIALIZED) InitValue();
  else InitializeSubSym();
}

void SSymSubObjText::SetTableConversion(SStringMap* table) {
  if (table == m_pTableConversion) return;
  delete m_pTableConversion;
  m_pTableConversion = table;
}

HRESULT SSymSubObjText::Delete() {
  SSymSubsHold hold(this);
  delete m_pTableConversion;
  m_pTableConversion = nullptr;
  DropRelay();
  m_pAttrEditor = nullptr;
  Unbind();
  return S_OK;
}

// ---- text ---------------------------------------------------------------------------------------
SString SSymSubObjText::BooleanText() const {
  // The value of the object shown (a shortcut's target): a shortcut has no
  // attribute of its own.
  ISRepObject* shown = ValueObject();
  SRepVariant value;
  const bool on = shown && shown->GetAttribute(m_dispid, &value) == S_OK && value.IsIntegerKind() &&
                  static_cast<BYTE>(value.GetINT64()) != 0;
  if (!m_strPrefix.IsEmpty() || !m_strSuffix.IsEmpty()) return on ? m_strPrefix : m_strSuffix;
  if (!on) return SString();
  SRepExaIntf* exa = SRepExaIntf::GetExaIntf();
  if (!exa) return SString();
  const SRepExaRecord* record = exa->Find(SRepGetExtClsid(m_pObject, m_dispid), m_dispid);
  return record ? record->GetText() : SString();
}

int SSymSubObjText::UpdateText(SString& text, SSymRect& rect) const {
  if (!m_pObject || !m_pAttrEditor) return 0;
  bool picture = (m_flags & SUBS_PICTURE) != 0;
  if (picture) {
    SComWrap<ISSymCustomShape> custom(GetParentSymbol());
    picture = custom.IsNull() || custom->CustomShapeTest1() == 0;
  }
  if (picture) {
    // A placeholder that the picture replaces when drawn.
    text = SString(u"X");
  } else {
    m_pAttrEditor->GetValueText(ValueObject(), text);
    if (!text.IsEmpty()) {
      if (SRtfDocument::IsRtf(text)) text = SRtfDocument::RtfToText(text);
      SString converted;
      if (m_pTableConversion) {
        // A value the table does not hold shows as it is.
        if (m_pTableConversion->Lookup(text, converted)) text = converted;
      } else if (SRepAttrTypeKind(m_pAttrEditor->GetAttrType()) == SRepAttrType_Bool) {
        text = BooleanText();
      } else {
        text = m_strPrefix + text + m_strSuffix;
      }
    }
  }
  if (text.IsEmpty()) {
    rect.SetSize(0, 0);
    return 0;
  }
  return 1;
}

int SSymSubObjText::UpdateOwnText() { return UpdateText(m_text, m_rect); }

HRESULT SSymSubObjText::GetText(SString& text) {
  text = m_text;
  if (text.IsEmpty() && m_pAttrEditor) {
    SSymRect none;
    UpdateText(text, none);
  }
  return S_OK;
}

void SSymSubObjText::InitializeSubSym() {
  if (!m_pObject || (m_flags & SUBS_INITIALIZED)) return;
  m_flags |= SUBS_INITIALIZED;
  const bool set = !(m_flags & SUBS_UPDATING);
  if (set) m_flags |= SUBS_UPDATING;
  InitValue();
  if (set) m_flags &= ~SUBS_UPDATING;
}

void SSymSubObjText::InitValue() {
  if (!m_pObject || !m_pAttrEditor) return;
  m_bPending = 0;
  ISRepObject* shown = ValueObject();

  // ---- picture
  SRepAttrPicture picture;
  if (m_flags & SUBS_PICTURE) {
    m_flags &= ~SUBS_PICTURERIGHT;
    if (FAILED(m_pAttrEditor->GetValuePicture(shown, picture))) {
      m_flags &= ~SUBS_PICTURE;
      _SetMetaFile(nullptr, 0);
      _SetPictureIcon(nullptr, 0);
    } else if (picture.metafile) {
      SSymDeftCanvas screen;
      _SetMetaFile(picture.metafile, screen.GetTextExtent(SString(u"X"), m_font).cy);
      _SetPictureIcon(nullptr, 0);
    } else {
      _SetPictureIcon(picture.icon, 16);
      _SetMetaFile(nullptr, 0);
    }
  }
  if (!(m_flags & SUBS_PICTURE)) {
    // A value whose editor gives it a picture is shown as that picture.
    m_flags &= ~SUBS_PICTURERIGHT;
    if (SUCCEEDED(m_pAttrEditor->GetValuePicture(shown, picture))) {
      m_flags |= SUBS_PICTURE;
      _SetPictureIcon(picture.icon, 16);
      if (picture.metafile) {
        SSymDeftCanvas screen;
        _SetMetaFile(picture.metafile, screen.GetTextExtent(SString(u"X"), m_font).cy);
      }
    } else {
      _SetPictureIcon(nullptr, 0);
    }
  }

  // ---- text
  if (!UpdateOwnText()) return;

  // ---- measure, on the diagram's first view when it has a canvas
  const SSymRect old = m_rect;
  SSymRect text;
  ISSymbol* owner = GetParentSymbol();
  SSymView* view = nullptr;
  SComOut<ISSymDiagram> diagram;
  if (owner && SUCCEEDED(owner->GetDiagram(&diagram)) && diagram) view = diagram->GetFirstView();
  bool measured = false;
  if (view) {
    SSymLockViewCanvas lock(view);
    if (SSymCanvas* canvas = lock.GetCanvas()) {
      text = ComputeTextRect(*canvas);
      measured = true;
    }
  }
  if (!measured) {
    SSymDeftCanvas screen;
    text = ComputeTextRect(screen);
  }
  text.Normalize();

  // ---- placement
  const bool onLine = owner && !SComWrap<ISSymPolyline>(owner).IsNull();
  if (owner && !onLine) {
    SSymRect box = owner->GetClipRect(0, 0);
    box.Normalize();
    text.SetCenter(box.GetCenter());
    LONG wl = box.Width();
    LONG hl = box.Height();
    SComWrap<ISSymCustomShape> custom(owner);
    if (!custom.IsNull() && custom->CustomShapeTest1() != 0) {
      // Below a custom picture, not over it.
      text.OffsetRect(0, -box.Height());
      wl = std::max<LONG>(2 * box.Width(), kBelowMinimum);
      hl = 2 * box.Height();
      m_flags &= ~(SUBS_PICTURE | SUBS_PICTURERIGHT);
      _SetPictureIcon(nullptr, 0);
    }
    LONG tw = text.Width();
    LONG th = text.Height();
    if (tw > wl - kWidthInset) {
      tw = std::max<LONG>(wl - kWidthInset, 1);
      th = hl - kHeightInset;
    }
    th = std::max<LONG>(std::min(th, hl - kHeightInset), 1);
    text.SetSize(tw, th);
  } else {
    SSymRect here = m_rect;
    here.Normalize();
    text.SetCenter(here.GetCenter());
  }
  m_rect = text;

  // ---- a label tells its line, except while an undo step records
  SComWrap<ISSymPolyline> line(GetParent());
  if (line.IsNull()) return;
  const LONG change = std::abs(text.Width() - old.Width()) + std::abs(text.Height() - old.Height());
  if (change <= ResizeNotice) return;
  SComOut<ISRepSession> session;
  if (SUCCEEDED(m_pObject->GetSession(&session)) && session && SRepGetUndoContext(session.Get())) return;
  GetParent()->OnSubSymResize(SymFace(), old.Width() + old.Height() < kSmallLabel ? 1 : 0);
}

// ---- drawing ------------------------------------------------------------------------------------
HRESULT SSymSubObjText::DrawOrAdjust(SSymCanvas& canvas, int adjust) {
  SPrefDataWrap saved = canvas.GetDataWrap();
  if (m_dispid == DispidName || m_dispid == DispidDisplayName) {
    SComOut<ISSymDiagram> diagram;
    if (ISSymbol* owner = GetParentSymbol(); owner && SUCCEEDED(owner->GetDiagram(&diagram)) && diagram)
      if (ISSymDispPref* pref = SSymGetDispPrefPtr(diagram.Get())) {
        SPrefDataWrap wrap = pref->GetDataWrap();
        canvas.SetDataWrap(wrap);
      }
  }
  if (!adjust) {
    // Registers again a shortcut whose target went away and came back.
    if (m_pObject) SetObject(m_pObject);
    // A change heard while it was not to be followed is caught up now.
    if (m_bPending) InitValue();
  }
  if (m_text.IsEmpty() && m_pAttrEditor) UpdateOwnText();
  const HRESULT hr = SSymSubText::DrawOrAdjust(canvas, adjust);
  canvas.SetDataWrap(saved);
  return hr;
}

// ---- following the model ------------------------------------------------------------------------
BOOL SSymSubObjText::ChangeInContext() const {
  if (!m_pObject) return 1;
  SComOut<ISRepSession> session;
  ShortcutFace shortcut(m_pObject->IsShortcut() ? m_pObject : nullptr);
  if (!shortcut.IsNull() && shortcut->IsExternal()) {
    SComOut<ISRepSessionExternHelper> helper;
    if (SUCCEEDED(shortcut->GetExternHelper(&helper)) && helper) {
      SComWrap<ISRepSessionExtern, &IID_ISRepSessionExtern> external(helper.Get());
      if (!external.IsNull()) external->GetSession(&session);
    }
  } else {
    m_pObject->GetSession(&session);
  }
  if (!session) return 1;
  SComOut<ISRepContext> context;
  if (FAILED(session->GetCurrentContext(&context)) || !context || context->GetState() != 0) return 1;
  ISSymbol* owner = GetParentSymbol();
  if (!owner) return 0;
  SComOut<ISSymDiagram> diagram;
  if (FAILED(owner->GetDiagram(&diagram)) || !diagram) return 1;
  return diagram->ChangeInContext() ? 1 : 0;
}

HRESULT SSymSubObjText::OnChange(ISRepObject* object, LONG id) {
  const bool mine = id == NormalizeId(m_dispid) || id == m_dispid;
  if (!ChangeInContext()) {
    if (mine) m_bPending = 1;
    return S_OK;
  }
  SSymSubsHold hold(this);
  if (mine) {
    if (!(m_flags & SUBS_INITIALIZED)) {
      InitializeSubSym();
    } else {
      Redraw(nullptr);
      InitValue();
      Redraw(nullptr);
    }
    OnResize();
  } else if (id == ParentLinked && object) {
    object->Advise(kAncestorMask, SinkFace());
    AdviseAncestors(object, true);
    InitValue();
    Redraw(nullptr);
  } else if (id == ParentUnlinked && object) {
    // The registered object keeps its registration: only the names of its
    // former ancestors are no longer heard.
    if (!SRepAreSameObjects(object, m_pAdvised)) object->Unadvise(SinkFace());
    AdviseAncestors(object, false);
  }
  return S_OK;
}

HRESULT SSymSubObjText::OnFlush(ISRepObject*) {
  if (!m_pObject || !ChangeInContext()) return S_OK;
  SSymSubsHold hold(this);
  if (m_flags & SUBS_INITIALIZED) InitValue();
  else InitializeSubSym();
  Redraw(nullptr);
  return S_OK;
}

HRESULT SSymSubObjText::OnDelete(ISRepObject* object, int flag) {
  if (flag != 0 || !ChangeInContext() || !m_pObject) return S_OK;
  SSymSubsHold hold(this);
  if (!m_pObject->IsShortcut()) {
    Delete();
    return S_OK;
  }
  // A shortcut stays bound; the next drawing registers it again.
  const bool registered = m_pAdvised && SRepAreSameObjects(object, m_pAdvised);
  if (m_bAdvised && object) object->Unadvise(SinkFace());
  DropRelay();
  if (registered || SRepAreSameObjects(object, m_pObject)) {
    m_bAdvised = 0;
    Unadvise();
  }
  return S_OK;
}

// ---- editing -------------------------------------------------------------------------------------
BOOL SSymSubObjText::CanRename() {
  return m_dispid == DispidDisplayName && m_pObject && IsWritable(m_pObject, m_dispid) ? 1 : 0;
}

LONG SSymSubObjText::GetDispidToEdit(ISRepObject* object, LONG id) {
  SComWrap<ISSymEditInPlace> owner(GetParentSymbol());
  if (owner.IsNull()) return id;
  return owner->GetDispidToEdit(object, id);
}

HRESULT SSymSubObjText::EditAttribute(SSymEditInPlaceController* controller, SSymView* view, bool measure) {
  if (!m_pObject || !view) return E_POINTER;
  if (IsHidden() || !(m_flags & SUBS_EDITABLE)) return 1;
  SString shown;
  GetText(shown);
  if (shown.IsEmpty()) return 1;
  const LONG id = GetDispidToEdit(m_pObject, m_dispid);
  if (!IsWritable(m_pObject, id)) return 1;
  if (NormalizeId(id) == ExtendedFamily && id != ExtendedFamily) {
    SRepExaIntf* exa = SRepExaIntf::GetExaIntf();
    CLSID clsid{};
    const SRepExaRecord* record = exa && m_pObject->GetCLSID(&clsid) == S_OK ? exa->Find(clsid, id) : nullptr;
    if (!record || record->IsReadOnly(m_pObject) != 0) return 1;
  }
  SSymFont font = m_font;

  // A choice among values: the control is as large as the largest of them.
  SSymSize size;
  if (measure && id == m_dispid && m_pAttrEditor && m_pAttrEditor->IsFreeText(0, 0) == 0) {
    SSymLockViewCanvas lock(view);
    std::unique_ptr<SSymDeftCanvas> screen;
    SSymCanvas* canvas = lock.GetCanvas();
    if (!canvas) {
      screen = std::make_unique<SSymDeftCanvas>();
      canvas = screen.get();
    }
    SStringTable values;
    m_pAttrEditor->GetValueList(ValueObject(), values);
    values.Add(m_text);
    for (int i = 0; i < values.GetCount(); ++i) {
      const SSymSize ext = canvas->GetTextExtent(values[i], font);
      size.cx = std::max(size.cx, std::abs(ext.cx));
      size.cy = std::max(size.cy, std::abs(ext.cy));
    }
  }

  ISSymInPlaceEditor* editor = controller ? SSymEditorFace(controller) : nullptr;
  const bool madeHere = !editor;
  if (madeHere) {
    editor = SSymCreateInPlaceEditor();
    if (!editor) return E_OUTOFMEMORY;
    STable<SSymSubsFonts*> list;
    GetParentSubSymList(list);
    editor->InitGroup(view, GetClipRect(0, 0), list, list.Find(this), STable<LONG>());
  }
  const int made = editor->CreateAttrCtrl(m_pObject, id, view, font, GetClipRect(1, 1), size);
  const int ran = made == 0 ? editor->Execute(0) : -1;
  // The control runs its whole editing before Execute returns.
  if (madeHere) delete editor;
  return made == 0 && ran == 0 ? S_OK : E_FAIL;
}

HRESULT SSymSubObjText::EditInPlace(SSymEditInPlaceController* controller, SSymView* view, const SSymPoint&) {
  return EditAttribute(controller, view, true);
}

HRESULT SSymSubObjText::EditInPlace(SSymView* view, const SSymPoint&, int) {
  return EditAttribute(nullptr, view, false);
}
