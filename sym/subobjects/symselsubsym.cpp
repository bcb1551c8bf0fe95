#include "sym/subobjects/symselsubsym.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "kvcore/sexception.h"
#include "kvrep/srepobject.h"
#include "kvrep/srepsession.h"
#include "sym/render/symclip.h"
#include "sym/subobjects/symsubgrid.h"
#include "sym/symbol/symintfeditor.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfplace.h"
#include "sym/symbol/symintfselection.h"
#include "sym/symbol/symintfview.h"

namespace {

// The attributes that name an object, as the grid may show them.
bool IsNameAttribute(LONG id) {
  return id == SSymSubGridAttr::DisplayName || id == SSymSubGridAttr::Name || id == SSymSubGridAttr::Code;
}

// The description of a model object.
constexpr LONG kDescription = 0x2000001;

// The family of extended attributes: ids with all of these bits, other than
// the family id itself, are collections the model object does not check.
constexpr LONG kExtendedFamily = 0x40E0000;

// The object's name with the names of its parents above it, outermost first,
// separated by "."; the root of the repository (the object without parent)
// takes no part.
SString FullNameOf(ISRepObject* object) {
  std::vector<SString> names;
  SComWrap<ISRepObject, &IID_ISRepObject> at(object);
  for (int depth = 0; depth < 256 && !at.IsNull(); ++depth) {
    SComOut<ISRepObject> parent;
    const bool top = FAILED(at->GetParent(&parent)) || !parent;
    if (top && !names.empty()) break;
    SRepObject* impl = SRepObject::FromInterface(at);
    names.push_back(impl ? impl->GetObjShortName() : SString());
    if (top) break;
    at = SComWrap<ISRepObject, &IID_ISRepObject>(parent.Get());
  }
  SString full;
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    if (!full.IsEmpty()) full += u'.';
    full += *it;
  }
  return full;
}

// The text of an attribute of a repository object; empty when it has none.
SString AttributeText(ISRepObject* object, LONG id) {
  SString text;
  if (SRepObject* impl = SRepObject::FromInterface(object)) impl->GetAttributeText(id, &text);
  return text;
}

bool IsEmptyRect(const SSymRect& r) { return r.x1 == r.x2 || r.y1 == r.y2; }

}  // namespace

double SSymSelHighlightLightness(double l) { return l < 0.2 ? 0.8 - l : std::min(0.75 * l, 0.4); }

SSymSelSubSym::SSymSelSubSym(ISRepObject* object, ISSymbol* owner, const SSymSelSubSymData& data)
    : SRepFaces(data.m_rect, nullptr),
      m_pObject(object),
      m_pOwner(owner),
      m_pSubGrid(dynamic_cast<SSymSubGrid*>(data.m_pSubGrid)),
      m_pRow(dynamic_cast<SSymSubGridRow*>(data.m_pRow)) {}

SSymSelSubSym::~SSymSelSubSym() = default;

// ---- the owner's model and the listed collection ----------------------------------------------

SSymSelSubSym::RepObj SSymSelSubSym::ModelObject() const {
  if (!m_pOwner) return SComWrap<ISRepObject, &IID_ISRepObject>();
  SComWrap<ISSymObject> host(m_pOwner);
  if (host.IsNull()) return SComWrap<ISRepObject, &IID_ISRepObject>();
  SComOut<ISRepObject> model;
  if (FAILED(host->GetModelObject(&model)) || !model) return SComWrap<ISRepObject, &IID_ISRepObject>();
  return SComWrap<ISRepObject, &IID_ISRepObject>(model.Get());
}

bool SSymSelSubSym::ListedCollection(RepObj& model, LONG& id, DWORD& flags) const {
  if (!m_pSubGrid) return false;
  SSymSubGridRowFactory* rows = m_pSubGrid->GetSubGridRowFactory();
  if (!rows) return false;
  model = ModelObject();
  if (model.IsNull()) return false;
  id = rows->GetDISPID();
  SComOut<ISRepClassCol> col;
  if (FAILED(model->GetCollection(id, &col)) || !col) return false;
  SComOut<ISRepClassColDef> def;
  if (FAILED(col.Get()->GetCollectionDef(&def)) || !def) return false;
  flags = def.Get()->GetDefFlags();
  return true;
}

bool SSymSelSubSym::IsCompositeSubObj() {
  SComWrap<ISRepObject, &IID_ISRepObject> model;
  LONG id = 0;
  DWORD flags = 0;
  return ListedCollection(model, id, flags) && (flags & CompositionFlags) == CompositionFlags;
}

bool SSymSelSubSym::CanAddNewSubObj(int& ordered) {
  SComWrap<ISRepObject, &IID_ISRepObject> model;
  LONG id = 0;
  DWORD flags = 0;
  if (!ListedCollection(model, id, flags) || (flags & CompositionFlags) != CompositionFlags) return false;
  const bool extended = (id & kExtendedFamily) == kExtendedFamily && id != kExtendedFamily;
  if (!extended) {
    SRepObject* impl = SRepObject::FromInterface(model);
    SString message(u"Sub_Symbol_Add");
    const CLSID listed = m_pSubGrid->GetSubGridRowFactory()->GetCLSID();
    if (!impl || impl->CanCreateObject(id, listed, -1, &message) != 0) return false;
  }
  if (flags & SRepCol_Ordered) ordered = 1;
  return true;
}

int SSymSelSubSym::AddNewSubObj(int append, ISSymSelection& selection) {
  // Clearing the selection drops the selection's reference to this mark.
  SComWrap<ISSymbol> keepAlive(Sym());
  int ordered = 0;
  if (!m_pSubGrid || !CanAddNewSubObj(ordered) || (!append && !ordered)) return 0;
  SComWrap<ISRepObject, &IID_ISRepObject> model = ModelObject();
  SSymSubGridRowFactory* rows = m_pSubGrid->GetSubGridRowFactory();
  SComOut<ISRepClassCol> col;
  if (model.IsNull() || FAILED(model->GetCollection(rows->GetDISPID(), &col)) || !col) return 0;
  LONG pos = -1;
  if (!append) {
    pos = m_pObject ? col.Get()->GetPos(m_pObject) : -1;
    if (pos < 0) return 0;  // the row's object has left the collection
  }

  SComWrap<ISRepObject, &IID_ISRepObject> created;
  {
    SRepCreateContext step(model.Get());
    SComOut<ISRepSession> session;
    if (FAILED(model->GetSession(&session)) || !session) return 0;
    void* made = nullptr;
    if (FAILED(session.Get()->CreateObject(rows->GetCLSID(), IID_ISRepObject, &made)) || !made) return 0;
    SComOut<ISRepObject> object(static_cast<ISRepObject*>(made));
    if (FAILED(col.Get()->Insert(object.Get(), pos))) {
      object.Get()->Delete();
      return 0;
    }
    created = SComWrap<ISRepObject, &IID_ISRepObject>(object.Get());
  }

  SSymView* view = selection.GetView();
  selection.Clear(1);
  if (m_pOwner) {
    SSymLockViewCanvas lock(view);
    if (lock.GetCanvas()) m_pOwner->Draw(*lock.GetCanvas());
  }
  SSymSelSubSymData data;
  ISRepObject* found = m_pSubGrid->GetNeighbourRowObject(1, append ? nullptr : m_pObject, data);
  if (found && SRepAreSameObjects(found, created)) {
    auto* mark = new SSymSelSubSym(found, m_pOwner, data);
    SComWrap<ISSymbol> held(mark->Sym());
    selection.Add(mark->Sym(), 1);
    mark->EditInPlace(view, SSymPoint(), 0);
  }
  return 1;
}

// ---- ISSymbol ------------------------------------------------------------------------------

HRESULT SSymSelSubSym::GetDiagram(ISSymDiagram** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return m_pOwner ? m_pOwner->GetDiagram(out) : S_FALSE;
}

SSymRect SSymSelSubSym::ClipToCompositeAncestors(SSymRect rect) const {
  SComWrap<ISSymbol> at(m_pOwner);
  for (int depth = 0; depth < 256 && !at.IsNull(); ++depth) {
    SComOut<ISSymOwner> owner;
    if (FAILED(at->GetOwner(&owner)) || !owner) break;
    SComWrap<ISSymCompSym> comp(owner.Get());
    if (comp.IsNull()) break;
    // A pool or a lane keeps its members by its own rules.
    if (!SComWrap<ISSwimlane>(owner.Get()).IsNull()) break;
    SSymBase* base = SSymBase::FromInterface(owner.Get());
    if (base && (base->m_state & 0xC000)) rect = Intersect(rect, comp->GetDrawRect());
    at = SComWrap<ISSymbol>(owner.Get());
  }
  return rect;
}

bool SSymSelSubSym::SymbolsAbove(ISSymDiagram* diagram, const SSymRect& rect,
                                 std::vector<SComWrap<ISSymbol>>& above) const {
  SComOut<ISRepClassCol> symbols;
  if (!diagram || FAILED(diagram->GetSymbols(&symbols)) || !symbols) return true;
  ISRepClassCol* col = symbols.Get();
  // The owner's place in the drawing order: its own, or that of the
  // top-level symbol that holds it.
  LONG ownerPos = -1;
  SComWrap<ISSymbol> at(m_pOwner);
  for (int depth = 0; depth < 256 && !at.IsNull() && ownerPos < 0; ++depth) {
    SComWrap<ISRepObject, &IID_ISRepObject> obj(at);
    if (!obj.IsNull()) ownerPos = col->GetPos(obj);
    if (ownerPos >= 0) break;
    SComOut<ISSymOwner> owner;
    if (FAILED(at->GetOwner(&owner)) || !owner) break;
    at = SComWrap<ISSymbol>(owner.Get());
  }
  // From the top of the order down to the owner.
  for (LONG i = col->GetCount() - 1; i > ownerPos; --i) {
    SComOut<ISRepObject> item;
    if (FAILED(col->Item(i, &item)) || !item) continue;
    SComWrap<ISSymbol> sym(item.Get());
    if (sym.IsNull() || sym->IsHidden()) continue;
    const SSymRect r = sym->GetClipRect(0, 0);
    if (!r.Intersects(rect)) continue;
    if (r.ContainsRect(rect)) return false;
    above.insert(above.begin(), sym);
  }
  return true;
}

void SSymSelSubSym::RedrawWithin(SSymCanvas& canvas, const SSymRect& rect, const std::vector<SComWrap<ISSymbol>>& above,
                                 const SSymBrush* ownerBrush) {
  SSymRect clip = rect;
  SCanvasClipRgn scope(canvas, clip);
  if (SComWrap<ISSymBrush> brush(m_pOwner); ownerBrush && !brush.IsNull()) {
    // The owner is drawn once, in the given brush; its own is set back
    // before anything above it is drawn, also when the drawing throws.
    const SSymBrush former = brush->GetBrush();
    brush->SetBrush(*ownerBrush, 0);
    try {
      m_pOwner->Draw(canvas);
    } catch (...) {
      brush->SetBrush(former, 0);
      throw;
    }
    brush->SetBrush(former, 0);
  } else {
    m_pOwner->Draw(canvas);
  }
  for (const auto& sym : above) sym->Draw(canvas);
}

HRESULT SSymSelSubSym::DrawHandles(SSymCanvas& canvas) {
  SComWrap<ISSymBrush> brush(m_pOwner);
  if (!m_pOwner || brush.IsNull()) return E_POINTER;
  SComOut<ISSymDiagram> diagram;
  if (FAILED(m_pOwner->GetDiagram(&diagram)) || !diagram) return E_FAIL;

  const SSymBrush former = brush->GetBrush();
  SSymColor highlight(former.m_color.GetColor() & 0xFFFFFF);
  double h = 0, s = 0, l = 0;
  highlight.GetHSLColor(h, s, l);
  highlight.SetHSLColor(h, s, SSymSelHighlightLightness(l));

  const SSymRect rect = ClipToCompositeAncestors(m_rect);
  std::vector<SComWrap<ISSymbol>> above;
  if (IsEmptyRect(rect) || !SymbolsAbove(diagram.Get(), m_rect, above)) return S_OK;
  const SSymBrush lit(highlight);
  RedrawWithin(canvas, rect, above, &lit);
  return S_OK;
}

void SSymSelSubSym::RedrawOwnerShape(SSymCanvas& canvas) {
  SComWrap<ISSymShadow> shadow(m_pOwner);
  if (shadow.IsNull()) return;
  SSymRect area = ClipToCompositeAncestors(m_pOwner->GetClipRect(0, 0));
  SCanvasClipRgn clip(canvas, area);
  shadow->DrawSymbol(canvas);
}

HRESULT SSymSelSubSym::RemoveFromSelection(SSymCanvas& canvas) {
  if (!m_pOwner) return S_OK;
  SComOut<ISSymDiagram> diagram;
  m_pOwner->GetDiagram(&diagram);
  std::vector<SComWrap<ISSymbol>> above;
  if (!SymbolsAbove(diagram.Get(), m_rect, above)) return S_OK;
  const SSymRect rect = ClipToCompositeAncestors(m_rect);
  if (!IsEmptyRect(rect)) RedrawWithin(canvas, rect, above);
  return S_OK;
}

// ---- ISSymTooltip ----------------------------------------------------------------------------

HRESULT SSymSelSubSym::GetTooltip(SString& text) {
  if (!m_pObject) return 0;
  text = FullNameOf(m_pObject);
  if (m_pObject->HasAttribute(kDescription) == S_OK) {
    SString description = AttributeText(m_pObject, kDescription);
    description.Trim(SString(u" \t\r\n"));
    if (!description.IsEmpty()) {
      const std::vector<SString> lines = SSplitLines(description);
      for (std::size_t i = 0; i < lines.size() && i < std::size_t(TooltipLines); ++i) text += "\r\n" + lines[i];
    }
  }
  return 1;
}

// ---- ISSymText -------------------------------------------------------------------------------

HRESULT SSymSelSubSym::GetText(SString& text) {
  text.Empty();
  if (!m_pSubGrid || !m_pObject) return S_OK;
  SSymSubGridColFactory* cols = m_pSubGrid->GetSubGridColFactory();
  if (!cols) return S_OK;
  const STableDumb<long> ids = cols->GetDispidList();
  for (int i = 0; i < ids.GetCount(); ++i) {
    if (i > 0) text += u'\t';
    text += AttributeText(m_pObject, LONG(ids[i]));
  }
  return S_OK;
}

const SSymFont& SSymSelSubSym::GetFont() {
  static const SSymFont kDefault(SGetArialString(), 8);
  if (!m_pRow) return kDefault;
  if (const SSymFonts* own = m_pRow->GetFontsEntry()) return own->m_font;
  if (m_pSubGrid) return m_pSubGrid->GetSubFont();
  return kDefault;
}

SSymColor SSymSelSubSym::GetFontColor() {
  if (!m_pRow) return SSymColor(0u);
  if (const SSymFonts* own = m_pRow->GetFontsEntry()) return own->m_color;
  return m_pSubGrid ? m_pSubGrid->GetSubFontColor() : SSymColor(0u);
}

LONG SSymSelSubSym::GetFontStyle() {
  if (!m_pRow) return 0;
  if (const SSymFonts* own = m_pRow->GetFontsEntry()) return own->m_font.m_style;
  return m_pSubGrid ? m_pSubGrid->GetSubFont().m_style : 0;
}

// ---- renaming in place -----------------------------------------------------------------------

BOOL SSymSelSubSym::CanRename() {
  if (!m_pObject || !m_pSubGrid || !IsCompositeSubObj()) return FALSE;
  SSymSubGridColFactory* cols = m_pSubGrid->GetSubGridColFactory();
  if (!cols) return FALSE;
  const STableDumb<long> ids = cols->GetDispidList();
  for (int i = 0; i < ids.GetCount(); ++i) {
    const LONG id = LONG(ids[i]);
    if (IsNameAttribute(id)) return m_pObject->IsAttrReadOnly(id) == S_FALSE ? TRUE : FALSE;
  }
  return FALSE;
}

HRESULT SSymSelSubSym::EditInPlace(SSymView* view, const SSymPoint& pt, int atPoint) {
  if (!m_pOwner || SComWrap<ISSymSubSym>(m_pOwner).IsNull()) return 1;
  if (!m_pSubGrid) return E_POINTER;
  if (!CanRename()) return 1;
  SSymSubGridColFactory* cols = m_pSubGrid->GetSubGridColFactory();
  if (!cols) return 1;

  SSymRect rect = m_rect;
  const LONG left = m_pSubGrid->GetClipRect(0, 0).x1;
  rect.x1 = left + (m_pSubGrid->GetIcon() ? EditIndentIcon : EditIndent);

  // The columns lie side by side from that edge, each as wide as measured.
  const int count = cols->GetColCount();
  int column = 0;
  if (atPoint) {
    int lastWide = -1;
    bool found = false;
    LONG right = rect.x1;
    for (int i = 0; i < count && !found; ++i) {
      SSymSubGridCol* col = cols->GetSubGridCol(i);
      const LONG width = col ? col->m_nWidth : 0;
      if (width == 0) continue;
      lastWide = i;
      right += width;
      if (pt.x <= right) {
        column = i;
        found = true;
      }
    }
    if (!found) column = lastWide >= 0 ? lastWide : 0;
  }

  STable<SSymSubsFonts*> members;
  members.Add(m_pSubGrid);
  STable<LONG> ids;
  for (int i = 0; i < count; ++i) {
    SSymSubGridCol* col = cols->GetSubGridCol(i);
    ids.Add(col ? col->GetAttrId() : 0);
  }
  std::unique_ptr<ISSymInPlaceEditor> editor(SSymCreateInPlaceEditor());
  if (!editor) return 1;
  editor->InitGroup(view, rect, members, column, ids);
  editor->SetEditObject(m_pObject);
  if (SSymGetGroupEditing()) {
    editor->ExecuteGroup();
    return 0;
  }
  // The chosen column's attribute first, then those to its left.
  for (int i = column; i >= 0; --i) {
    if (i >= ids.GetCount()) continue;
    if (m_pSubGrid->EditInPlace(editor->GetController(), view, ids[i]) == 0) {
      if (i != column) editor->SetStartIndex(i);
      return 0;
    }
  }
  return 1;
}
