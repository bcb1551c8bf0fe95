#include "sym/subobjects/symsubmulti.h"

#include <algorithm>
#include <cstdlib>

#include "kvcore/srtfdocument.h"
#include "kvrep/srepattredit.h"
#include "kvrep/srepextras.h"
#include "kvrep/srepregistry.h"
#include "kvrep/srepsession.h"
#include "sym/render/symcanv.h"
#include "sym/render/symdeftcanv.h"
#include "sym/subobjects/symsubboundtext.h"
#include "sym/symbol/symintfeditor.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfview.h"

namespace {
constexpr DWORD kAllChanges = 0x07000000;
constexpr LONG kName = 0x01000002;
constexpr LONG kCode = 0x01000004;
constexpr LONG kDisplayName = 0x0100000B;
// A label smaller than this (width plus height) counts as just made.
constexpr LONG kSmallLabel = 36;


bool IsWritable(ISRepObject* obj, LONG id) { return obj && obj->IsAttrReadOnly(id, nullptr) == S_FALSE; }

// An extended attribute is edited only where the extended-attribute
// interface describes it for the object's class and lets it be written.
bool PassesExtendedTest(ISRepObject* obj, LONG id) {
  if (!SRepIsExtendedAttr(id)) return true;
  SRepExaIntf* exa = SRepExaIntf::GetExaIntf();
  CLSID clsid{};
  const SRepExaRecord* record = exa && obj->GetCLSID(&clsid) == S_OK ? exa->Find(clsid, id) : nullptr;
  return record && record->IsReadOnly(obj) == 0;
}


// The positions where the lines of text start (a CR LF pair is one break).
std::vector<int> LineStarts(const SString& text) {
  std::vector<int> starts{0};
  const int n = text.GetLength();
  for (int i = 0; i < n; ++i) {
    const char16_t c = text.GetAt(i);
    if (c == u'\r' && i + 1 < n && text.GetAt(i + 1) == u'\n') ++i;
    if (c == u'\r' || c == u'\n') starts.push_back(i + 1);
  }
  return starts;
}
}  // namespace

SSymSubObjTextMulti::SSymSubObjTextMulti() = default;

// The base is built unbound and the object bound once the list is known,
// so that binding finds the editors of every attribute.
SSymSubObjTextMulti::SSymSubObjTextMulti(ISRepObject* object, const STable<SSymAttrData>& list)
    : SSymSubObjText(nullptr, 0, SString(), SString(), nullptr, 1), m_lstDispid(list) {
  if (object) SSymSubObjText::SetObject(object);
}

SSymSubObjTextMulti::~SSymSubObjTextMulti() = default;

void SSymSubObjTextMulti::SetLstDispid(const STable<SSymAttrData>& list) {
  if (list.GetCount() == m_lstDispid.GetCount()) {
    bool same = true;
    for (int i = 0; same && i < list.GetCount(); ++i) same = list[i] == m_lstDispid[i];
    if (same) return;
  }
  m_lstDispid = list;
  if (m_lstDispid.GetCount() == 0) return;
  if (m_flags & SUBS_INITIALIZED) InitValue();
  else InitializeSubSym();
  if (!m_bAdvised) AdviseToObject();
}

void SSymSubObjTextMulti::SetFormat(const SStringTable* format) {
  if (format) m_format = *format;
}

void SSymSubObjTextMulti::SyncAttributes(SRepRegistry* registry) {
  for (int i = 0; i < m_lstDispid.GetCount(); ++i) SyncOneAttribute(registry, m_lstDispid[i].m_dispid);
}

void SSymSubObjTextMulti::AdviseToObject() {
  if (!m_pObject || m_lstDispid.GetCount() == 0 || m_bAdvised) return;
  ISRepObject* target = AdvisedObject();
  if (!target || FAILED(target->Advise(kAllChanges, SinkFace()))) return;
  m_bAdvised = 1;
  target->AddRef();
  m_pAdvised = target;
}

BOOL SSymSubObjTextMulti::CanRename() {
  if (!m_pObject) return 0;
  for (int i = 0; i < m_lstDispid.GetCount(); ++i)
    if (m_lstDispid[i].m_dispid == kDisplayName) return IsWritable(m_pObject, kDisplayName) ? 1 : 0;
  return 0;
}

// ---- text ---------------------------------------------------------------------------------------
SString SSymSubObjTextMulti::Piece(int index) const {
  const SSymAttrData& record = m_lstDispid[index];
  const LONG id = record.m_dispid;
  SRepRegistry* registry = SRepRegistry::FindFor(m_pObject);
  SRepAttrEditor* editor = registry ? registry->GetAttrEditor(id) : nullptr;
  ISRepObject* shown = ValueObject();
  if (!shown) shown = m_pObject;
  SString text;
  if (editor) editor->GetValueText(shown, text);

  if (id == DispidBracketed) {
    if (!text.IsEmpty() && !(m_flags & SUBS_NOBRACKETS)) text = SString(u"<<") + text + SString(u">>");
  } else if (id - DispidOrdering == 0 || id - DispidOrdering == 1) {
    if (text.EqualsNoCase(SString(u"Unordered")) || text.Left(10).EqualsNoCase(SString(u"Non ordonn")))
      text = SString();
  } else if (id == kName || id == kDisplayName || id == kCode) {
    if (ISSymbol* owner = GetParentSymbol()) {
      SComWrap<ISSymClone> clone(owner);
      if (!clone.IsNull()) clone->CloneText(text);
    }
  }
  if (text.IsEmpty()) return text;

  if (m_format.GetCount() > 0) {
    // A position the table does not reach shows the value alone.
    SString piece = index < m_format.GetCount() ? m_format[index] : SString(u"%s");
    piece.Replace(SString(u"%s"), text);
    return piece;
  }
  if (editor && SRepAttrTypeKind(editor->GetAttrType()) == SRepAttrType_Bool) {
    // The boolean rule with the record's labels: one for true, one for
    // false; without labels the descriptive text for true, nothing for false.
    SRepVariant value;
    const bool on = shown->GetAttribute(id, &value) == S_OK && value.IsIntegerKind() &&
                    static_cast<BYTE>(value.GetINT64()) != 0;
    if (!record.m_strFirst.IsEmpty() || !record.m_strSecond.IsEmpty())
      return on ? record.m_strFirst : record.m_strSecond;
    if (!on) return SString();
    SRepExaIntf* exa = SRepExaIntf::GetExaIntf();
    const SRepExaRecord* described = exa ? exa->Find(SRepGetExtClsid(m_pObject, id), id) : nullptr;
    return described ? described->GetText() : SString();
  }
  if (SRtfDocument::IsRtf(text)) text = SRtfDocument::RtfToText(text);
  return record.m_strFirst + text + record.m_strSecond;
}

SString SSymSubObjTextMulti::BuildText(std::vector<int>* lines) const {
  SString text;
  if (lines) lines->clear();
  const bool formatted = m_format.GetCount() > 0;
  for (int i = 0; i < m_lstDispid.GetCount(); ++i) {
    // An attribute that shows nothing takes no line (not even an empty one).
    const SString piece = Piece(i);
    if (piece.IsEmpty()) continue;
    if (!formatted && !text.IsEmpty()) text += SString(u"\n");
    text += piece;
    // The lines that begin in this piece are its own (a formatted piece
    // that continues a line leaves that line to the piece that began it).
    if (lines)
      for (std::size_t l = lines->size(), n = LineStarts(text).size(); l < n; ++l) lines->push_back(i);
  }
  return text;
}

void SSymSubObjTextMulti::InitValue() {
  if (!m_pObject) return;
  m_bPending = 0;
  m_text = BuildText(nullptr);
  const SSymRect old = m_rect;
  if (m_text.IsEmpty()) {
    m_rect.SetSize(0, 0);
    return;
  }
  SSymRect rect = SSymMeasureSubText(*this);
  SSymRect here = old;
  here.Normalize();
  rect.SetCenter(here.GetCenter());
  m_rect = rect;

  // A label on a line tells the line of a clear change of size, except
  // while an undo step records.
  ISSymSubSink* sink = GetParent();
  if (!sink || SComWrap<ISSymPolyline>(sink).IsNull()) return;
  const LONG change = std::abs(rect.Width() - old.Width()) + std::abs(rect.Height() - old.Height());
  if (change <= ResizeNotice) return;
  SComOut<ISRepSession> session;
  if (SUCCEEDED(m_pObject->GetSession(&session)) && session && SRepGetUndoContext(session.Get())) return;
  sink->OnSubSymResize(SymFace(), old.Width() + old.Height() < kSmallLabel ? 1 : 0);
}

// ---- editing -------------------------------------------------------------------------------------
std::vector<SSymSubObjTextMulti::Editable> SSymSubObjTextMulti::CollectEditable(HRESULT* failure) {
  std::vector<Editable> editable;
  *failure = S_OK;
  for (int i = 0; i < m_lstDispid.GetCount(); ++i) {
    const LONG id = GetDispidToEdit(m_pObject, m_lstDispid[i].m_dispid);
    if (!IsWritable(m_pObject, id) || !PassesExtendedTest(m_pObject, id)) continue;
    SRepVariant value;
    const HRESULT hr = m_pObject->GetAttribute(id, &value);
    if (FAILED(hr)) {
      *failure = hr;
      return {};
    }
    if (!value.GetAsText().IsEmpty()) editable.push_back({id, i});
  }
  return editable;
}

std::vector<SSymRect> SSymSubObjTextMulti::LineRects(SSymView* view, int count) const {
  const SSymFont font = m_font;
  LONG height = 0;
  {
    SSymLockViewCanvas lock(view);
    if (SSymCanvas* canvas = lock.GetCanvas()) {
      height = std::abs(canvas->GetTextExtent(SString(u"W"), font).cy);
    } else {
      SSymDeftCanvas screen;
      height = std::abs(screen.GetTextExtent(SString(u"W"), font).cy);
    }
  }
  height = std::max<LONG>(height, 1);
  SSymRect clip = const_cast<SSymSubObjTextMulti*>(this)->GetClipRect(1, 1);
  clip.Normalize();
  std::vector<SSymRect> rects;
  for (int i = 0; i < count; ++i) rects.emplace_back(clip.x1, clip.y1 - i * height, clip.x2, clip.y1 - (i + 1) * height);
  return rects;
}

HRESULT SSymSubObjTextMulti::EditInPlace(SSymView* view, const SSymPoint& pt, int flag) {
  if (!m_pObject || !view) return E_POINTER;
  if (IsHidden()) return 1;
  HRESULT failure = S_OK;
  const std::vector<Editable> editable = CollectEditable(&failure);
  if (FAILED(failure)) return failure;
  if (editable.empty()) return 1;

  // Each line belongs to the attribute whose value it shows: a value of
  // several lines takes them all, an attribute showing nothing takes none.
  std::vector<int> lineRecord;
  BuildText(&lineRecord);
  const std::vector<SSymRect> lines = LineRects(view, static_cast<int>(lineRecord.size()));
  auto positionOf = [&](int record) {
    for (std::size_t e = 0; e < editable.size(); ++e)
      if (editable[e].record == record) return static_cast<int>(e);
    return -1;
  };
  auto firstLineOf = [&](int record) {
    for (std::size_t l = 0; l < lineRecord.size(); ++l)
      if (lineRecord[l] == record) return static_cast<int>(l);
    return -1;
  };

  int start = -1;
  int namePosition = -1;
  for (std::size_t e = 0; e < editable.size(); ++e)
    if (editable[e].id == kName || editable[e].id == kDisplayName ||
        m_lstDispid[editable[e].record].m_dispid == kName || m_lstDispid[editable[e].record].m_dispid == kDisplayName)
      namePosition = static_cast<int>(e);
  if (flag == 0 && namePosition >= 0) {
    start = namePosition;
  } else {
    int hit = -1;
    for (std::size_t l = 0; l < lines.size(); ++l) {
      SSymRect r = lines[l];
      r.Normalize();
      if (r.PtInRect(pt)) {
        hit = static_cast<int>(l);
        break;
      }
    }
    if (hit >= 0) {
      // The attribute shown on that line, and only it: a line of a
      // read-only or empty attribute edits nothing.
      start = positionOf(lineRecord[static_cast<std::size_t>(hit)]);
      if (start < 0) return 1;
    } else if (editable.size() == 1) {
      start = 0;
    }
  }
  // Off every line: the attribute of the compartment itself, when it has one.
  Editable chosen{m_dispid, -1};
  if (start >= 0) chosen = editable[static_cast<std::size_t>(start)];
  else if (m_dispid == 0 || !IsWritable(m_pObject, m_dispid)) return 1;
  if (!PassesExtendedTest(m_pObject, chosen.id)) return 1;
  SRepVariant value;
  if (const HRESULT hr = m_pObject->GetAttribute(chosen.id, &value); FAILED(hr)) return hr;

  ISSymInPlaceEditor* editor = SSymCreateInPlaceEditor();
  if (!editor) return E_OUTOFMEMORY;
  STable<SSymSubsFonts*> members;
  members.Add(this);
  const SSymRect clip = GetClipRect(1, 1);
  int ran = -1;
  if (editable.size() == 1 || start < 0) {
    editor->InitGroup(view, clip, members, 0, STable<LONG>());
    const int line = firstLineOf(chosen.record);
    const SSymRect rect = line >= 0 ? lines[static_cast<std::size_t>(line)] : clip;
    const int made = editor->CreateAttrCtrl(m_pObject, chosen.id, view, m_font, rect, SSymSize());
    if (made != 0) {
      // No in-place control for that kind of attribute: nothing to edit.
      delete editor;
      return 1;
    }
    ran = editor->Execute(0);
  } else {
    STable<LONG> ids;
    for (const Editable& e : editable) ids.Add(e.id);
    editor->InitGroup(view, clip, members, start, ids);
    ran = editor->Execute(0);
  }
  // The control runs its whole editing before Execute returns.
  delete editor;
  return ran == 0 ? S_OK : E_FAIL;
}

HRESULT SSymSubObjTextMulti::EditInPlace(SSymEditInPlaceController* controller, SSymView* view, LONG id) {
  if (!m_pObject || !view) return E_POINTER;
  if (IsHidden()) return 1;
  if (m_pObject->HasAttribute(id) != S_OK) return 1;
  SRepVariant value;
  if (const HRESULT hr = m_pObject->GetAttribute(id, &value); FAILED(hr)) return hr;
  if (value.GetAsText().IsEmpty()) return 1;
  // The line of the attribute that shows id (as edited or as listed).
  HRESULT failure = S_OK;
  const std::vector<Editable> editable = CollectEditable(&failure);
  if (FAILED(failure)) return failure;
  int record = -1;
  for (const Editable& e : editable)
    if (e.id == id || m_lstDispid[e.record].m_dispid == id) {
      record = e.record;
      break;
    }
  if (record < 0) return 1;
  std::vector<int> lineRecord;
  BuildText(&lineRecord);
  const auto at = std::find(lineRecord.begin(), lineRecord.end(), record);
  if (at == lineRecord.end()) return 1;
  const SSymRect rect = LineRects(view, static_cast<int>(at - lineRecord.begin()) + 1).back();

  ISSymInPlaceEditor* editor = controller ? SSymEditorFace(controller) : SSymCreateInPlaceEditor();
  const bool madeHere = !controller;
  if (!editor) return E_OUTOFMEMORY;
  const int made = editor->CreateAttrCtrl(m_pObject, id, view, m_font, rect, SSymSize());
  const int ran = made == 0 ? editor->Execute(0) : 0;
  if (madeHere) delete editor;
  if (made != 0) return 1;
  return ran == 0 ? S_OK : E_FAIL;
}

HRESULT SSymSubObjTextMulti::IsEditableInPlace(SSymEditInPlaceController*, SSymView* view, LONG id) {
  if (!m_pObject || !view) return E_POINTER;
  if (IsHidden()) return 1;
  const LONG edited = GetDispidToEdit(m_pObject, id);
  if (!IsWritable(m_pObject, edited) || !PassesExtendedTest(m_pObject, edited)) return 1;
  if (m_pObject->HasAttribute(edited) != S_OK) return 1;
  SRepVariant value;
  if (const HRESULT hr = m_pObject->GetAttribute(edited, &value); FAILED(hr)) return hr;
  return value.GetAsText().IsEmpty() ? 1 : 0;
}

// ---- following the model ------------------------------------------------------------------------
HRESULT SSymSubObjTextMulti::OnChange(ISRepObject*, LONG id) {
  bool mine = false;
  for (int i = 0; !mine && i < m_lstDispid.GetCount(); ++i) mine = id == NormalizeId(m_lstDispid[i].m_dispid);
  if (!mine) return S_OK;
  if (!ChangeInContext()) {
    // Caught up at the next drawing.
    m_bPending = 1;
    return S_OK;
  }
  Rebuild();
  return S_OK;
}

void SSymSubObjTextMulti::Rebuild() {
  SSymSubsHold hold(this);
  if (m_flags & SUBS_INITIALIZED) {
    InitValue();
    Redraw(nullptr);
  } else {
    InitializeSubSym();
  }
  OnResize();
}

HRESULT SSymSubObjTextMulti::OnFlush(ISRepObject*) {
  if (!ChangeInContext()) return S_OK;
  Rebuild();
  return S_OK;
}

HRESULT SSymSubObjTextMulti::OnDelete(ISRepObject* object, int flag) {
  if (flag != 0 || !ChangeInContext() || !m_pObject) return S_OK;
  SSymSubsHold hold(this);
  if (!m_pObject->IsShortcut()) {
    Delete();
    return S_OK;
  }
  // A shortcut stays bound; the next drawing registers it again.
  if (m_bAdvised && object) object->Unadvise(SinkFace());
  DropRelay();
  m_bAdvised = 0;
  Unadvise();
  return S_OK;
}
