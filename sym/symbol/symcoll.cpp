#include "sym/symbol/symcoll.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "kvcore/sexception.h"
#include "kvrep/srepsession.h"
#include "sym/foundation/symlistpt.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symactionrects.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symsolid.h"

KV_IMPLEMENT_DYNCREATE(SSymCollection, SObject);

namespace {

SSymFormatEx FormatOf(ISSymbol* symbol) {
  SSymFormatEx format;
  symbol->GetFormat(format);
  return format;
}

// Index of an end's arrow in the format record (ends 4, 2, 8).
int ArrowIndex(int end) { return end == 2 ? 1 : end == 8 ? 2 : 0; }

// One user step on the repository of the first member (none when empty).
std::unique_ptr<SRepCreateContext> OpenStep(const SComTbl<ISSymbol, ISSymbol*>& list) {
  if (list.GetCount() == 0) return nullptr;
  return std::make_unique<SRepCreateContext>(SSymGetRepObject(list.GetAt(0)));
}

ISRepSession* SessionOf(ISSymbol* symbol) {
  ISRepObject* obj = symbol ? SSymGetRepObject(symbol) : nullptr;
  SComOut<ISRepSession> session;
  if (obj && obj->GetSession(&session) == S_OK && session) {
    return session.Get();  // the object keeps its session alive
  }
  return nullptr;
}

SSymSize InclusiveSize(const SSymRect& r) { return SSymSize(r.Width(), r.Height()); }

// One user step of a setter over the members: each member's format before
// its change goes into one format record, which the step keeps for undo;
// the member's own setter then makes the change.
class FormatStep {
 public:
  explicit FormatStep(const SComTbl<ISSymbol, ISSymbol*>& list)
      : m_ctx(list.GetCount() ? SSymGetRepObject(list.GetAt(0)) : nullptr) {}
  ~FormatStep() {
    ISRepContext* ctx = m_ctx.GetContext();
    if (!m_action || !ctx) return;
    // The record holds the formats before a change made: taking the change
    // back (in a lockout) is the same run as an undo.
    if (ctx->IsLockout()) m_action->m_bExecuted = 1;
    m_ctx.AddRepAction(std::move(m_action));
  }
  FormatStep(const FormatStep&) = delete;
  FormatStep& operator=(const FormatStep&) = delete;

  // Keeps the member's current value of the feature given by flags.
  void Keep(ISSymbol* symbol, DWORD flags) {
    SSymFormatEx before = FormatOf(symbol);
    before.m_flags = flags;
    before.m_points.clear();
    if (!(flags & SSymFormatEx::FlagFonts)) before.m_fonts = SSymLstFonts();
    if (!m_action) m_action = std::make_unique<SSymActionFormat>(m_ctx.GetContext());
    m_action->AddSymbol(symbol, before);
  }

 private:
  SRepCreateContext m_ctx;
  std::unique_ptr<SSymActionFormat> m_action;
};

// One user step that calls `set` on every member answering the face `Face`,
// in list order, after keeping its value of the feature `flags` for undo.
// `set` makes the change through the member's own setter and answers that
// setter's result.
template <class Face, class Set>
void SetOnMembers(const SComTbl<ISSymbol, ISSymbol*>& members, DWORD flags, Set set) {
  FormatStep step(members);
  // A copy of the list: a setter may change the membership.
  SComTbl<ISSymbol, ISSymbol*> list(members);
  for (ISSymbol* s : list) {
    SComWrap<Face> face(s);
    if (face.IsNull()) continue;
    step.Keep(s, flags);
    set(face.Get());
  }
}

// The value that every member answering the face `Face` shares: `none` when
// no member answers it, `mixed` as soon as two differ. Members are visited
// from the last to the first, or from the first with `forward`; `get` reads
// the value of one member.
template <class Face, class T, class Get>
T CommonValue(const SComTbl<ISSymbol, ISSymbol*>& list, T none, T mixed, Get get, bool forward = false) {
  T value = none;
  bool first = true;
  const int n = list.GetCount();
  for (int k = 0; k < n; ++k) {
    ISSymbol* s = list.GetAt(forward ? k : n - 1 - k);
    SComWrap<Face> face(s);
    if (face.IsNull()) continue;
    const T v = get(s, face.Get());
    if (first) {
      value = v;
      first = false;
    } else if (v != value) {
      return mixed;
    }
  }
  return value;
}

// The notation values of a member that is a link: the arrow types of the
// ends 2, 4 and 8 and the pen style its notation prescribes, preset to 24,
// 24, 24 and 1. False for a member that is not a link or has no notation.
bool NotationOf(ISSymbol* s, int (&values)[4]) {
  values[0] = values[1] = values[2] = 24;
  values[3] = 1;
  SComWrap<ISSymLink> link(s);
  return !link.IsNull() && link->GetNotationValue(values) != 0;
}
// The notation value of the arrow at an end: end 2 the first, end 8 the
// third, any other end the second.
int NotationArrowIndex(int end) { return end == 2 ? 0 : end == 8 ? 2 : 1; }

}  // namespace

const SSymFonts* SSymFormatTextFont(const SSymLstFonts& fonts) {
  if (fonts.GetCount() == 0) return nullptr;
  for (int i = 1; i < fonts.GetCount(); ++i)
    if (fonts.GetAt(i).m_name == SString(u"Text")) return &fonts.GetAt(i);
  return &fonts.GetAt(0);
}

// ---- life -------------------------------------------------------------------------------------
SSymCollection::SSymCollection(int initial, int step) : m_list(initial, step), m_bag(50, 25) {}

SSymCollection::SSymCollection(const SSymCollection& other) : SObject(), m_list(other.m_list), m_bag(other.m_bag) {}

SSymCollection::~SSymCollection() = default;

void* SSymCollection::operator new(std::size_t size) {
  void* p = std::malloc(size ? size : 1);
  if (!p) throw SEOutOfMemory("void *__cdecl SSymCollection::operator new(unsigned int)", "sym/src/symcoll", 0);
  return p;
}

void SSymCollection::operator delete(void* p) noexcept { std::free(p); }

// ---- membership -------------------------------------------------------------------------------
void SSymCollection::Add(ISSymbol* symbol) { Insert(-1, symbol); }

void SSymCollection::Insert(int index, ISSymbol* symbol) {
  if (!symbol || m_bag.Contains(symbol)) return;
  m_list.InsertAt(index, symbol);
  m_bag.Add(symbol);
}

void SSymCollection::MoveTo(ISSymbol* symbol, int index) {
  const int from = m_list.IndexOf(symbol);
  if (!symbol || from < 0 || m_list.GetAt(index) == symbol) return;
  if (index < 0 || index >= m_list.GetCount()) index = m_list.GetCount() - 1;
  m_list.MoveTo(from, index);
}

void SSymCollection::Remove(ISSymbol* symbol) {
  if (!symbol || !m_bag.Contains(symbol)) return;
  // The list's reference goes first; the set's keeps the symbol alive until then.
  m_list.RemoveAt(m_list.IndexOf(symbol));
  m_bag.Remove(symbol);
}

SSymRect SSymCollection::GetClipRect() {
  SSymRect r(0, 0, 0, 0);
  for (ISSymbol* s : m_list) r = Union(r, s->GetClipRect(1, 1));
  return r;
}

HRESULT SSymCollection::MoveBy(const SSymSize& offset, int flag) {
  if (offset.cx == 0 && offset.cy == 0) return S_OK;
  // A pool that heads the diagram and is not moved itself is held until the
  // moves are done (its lanes may rearrange as members move).
  SComWrap<ISSymSwimPool> pool;
  if (GetCount() > 0) {
    SComWrap<ISSymDiagram> diagram;
    if (SUCCEEDED(GetAt(0)->GetDiagram(&diagram)) && !diagram.IsNull()) {
      SComOut<ISRepClassCol> symbols;
      if (SUCCEEDED(diagram->GetSymbols(&symbols)) && symbols) {
        SComOut<ISRepObject> first;
        if (symbols->GetCount() > 0 && SUCCEEDED(symbols->Item(0, &first)) && first) {
          SComWrap<ISSymbol> firstSym(first.Get());
          if (!firstSym.IsNull() && !Contains(firstSym.Get())) pool = SComWrap<ISSymSwimPool>(first.Get());
        }
      }
    }
  }
  HRESULT result = S_OK;
  // A copy of the list: a move may change the membership.
  SComTbl<ISSymbol, ISSymbol*> list(m_list);
  for (ISSymbol* s : list) {
    s->GetClipRect(0, 0);
    const HRESULT hr = s->MoveBy(offset, flag);
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
  }
  return result;
}

HRESULT SSymCollection::Transform(const SSymMatrix& matrix, int flag) {
  if (!matrix.IsFinite()) return E_INVALIDARG;
  HRESULT result = S_OK;
  SComTbl<ISSymbol, ISSymbol*> list(m_list);
  for (ISSymbol* s : list) {
    const HRESULT hr = s->Transform(matrix, flag);
    if (FAILED(hr) && SUCCEEDED(result)) result = hr;
  }
  return result;
}

// ---- common values ----------------------------------------------------------------------------
void SSymCollection::GetPen(SSymPen& pen) {
  pen = SSymPen(1, 0, SSymColor(0));
  bool first = true;
  for (int i = GetCount() - 1; i >= 0; --i) {
    ISSymbol* s = GetAt(i);
    SComWrap<ISSymPen> face(s);
    if (face.IsNull()) continue;
    const SSymPen p = FormatOf(s).m_pen;
    if (first) {
      pen = p;
      // A link drawn with its notation's own pen style shows no style of its own.
      int notation[4];
      if (NotationOf(s, notation) && pen.m_style == notation[3]) pen.m_style = 0;
      first = false;
      continue;
    }
    if (pen.m_color.GetColor() != p.m_color.GetColor()) pen.m_color = SSymColor(MixedColor);
    if (pen.m_width != p.m_width) pen.m_width = -1;
    if (pen.m_style != p.m_style) pen.m_style = 0;
  }
}

LONG SSymCollection::GetPenStyle() {
  return CommonValue<ISSymLine>(m_list, LONG(0), LONG(0),
                                [](ISSymbol* s, ISSymLine*) { return FormatOf(s).m_pen.m_style; });
}

LONG SSymCollection::GetLineStyle() {
  return CommonValue<ISSymLine>(m_list, LONG(0), LONG(4), [](ISSymbol*, ISSymLine* f) { return f->GetLineStyle(); });
}

namespace {
void MergeBrush(SSymBrush& result, const SSymBrush& b) {
  if (result.m_color.GetColor() != b.m_color.GetColor()) result.m_color = SSymColor(SSymCollection::MixedColor);
  if (result.m_style != b.m_style) result.m_style = SSymCollection::MixedBrushStyle;
  if (result.m_style == 2 && result.m_hatch != b.m_hatch) result.m_hatch = SSymCollection::MixedHatch;
  if (result.m_endColor.GetColor() != b.m_endColor.GetColor()) result.m_endColor = SSymColor(SSymCollection::MixedColor);
}

// The brush common to the members answering `Face` (visited from the last to
// the first; the first brush taken whole, each later one merged in); the
// default brush when none answers.
template <class Face, class Get>
void CommonBrush(const SComTbl<ISSymbol, ISSymbol*>& list, SSymBrush& brush, Get get) {
  brush = SSymBrush();
  bool first = true;
  for (int i = list.GetCount() - 1; i >= 0; --i) {
    ISSymbol* s = list.GetAt(i);
    SComWrap<Face> face(s);
    if (face.IsNull()) continue;
    const SSymBrush b = get(s);
    if (first) {
      brush = b;
      first = false;
    } else {
      MergeBrush(brush, b);
    }
  }
}
}  // namespace

void SSymCollection::GetBrush(SSymBrush& brush) {
  CommonBrush<ISSymBrush>(m_list, brush, [](ISSymbol* s) { return FormatOf(s).m_brush; });
}

void SSymCollection::GetShadow(SSymBrush& brush) {
  CommonBrush<ISSymShadow>(m_list, brush, [](ISSymbol* s) { return SSymBrush(FormatOf(s).m_shadowColor); });
}

int SSymCollection::GetFilled() {
  int filled = 0, hollow = 0;
  for (ISSymbol* s : m_list) {
    SComWrap<ISSymBrush> face(s);
    if (face.IsNull()) continue;
    (FormatOf(s).m_fill ? filled : hollow) += 1;
  }
  if (filled && !hollow) return 1;
  if (hollow && !filled) return 0;
  return 2;
}

LONG SSymCollection::GetShadowStyle() {
  return CommonValue<ISSymShadow>(m_list, LONG(-1), LONG(-1),
                                  [](ISSymbol*, ISSymShadow* f) { return LONG(f->GetShadowStyle()); });
}

bool SSymCollection::GetFont(SSymFont& font) {
  font = SSymFont();
  font.m_faceName = SGetArialString();
  font.m_size = 8;
  font.m_style = 1;
  font.m_family = 0;
  font.m_pitch = 0;
  font.m_option = 1;
  font.m_angle = 0;
  bool any = false;
  for (int i = GetCount() - 1; i >= 0; --i) {
    ISSymbol* s = GetAt(i);
    SComWrap<ISSymFont> face(s);
    if (face.IsNull()) continue;
    const SSymFormatEx format = FormatOf(s);
    const SSymFonts* entry = SSymFormatTextFont(format.m_fonts);
    if (!entry) continue;
    const SSymFont& f = entry->m_font;
    if (!any) {
      font = f;
      any = true;
      continue;
    }
    if (font.m_faceName != f.m_faceName) font.m_faceName = SString();
    if (font.GetSize() != f.GetSize()) font.m_size = 8;
    if (font.m_style != f.m_style) font.m_style = 0;
    if (font.m_family != f.m_family) font.m_family = -1;
    if (font.m_pitch != f.m_pitch) font.m_pitch = -1;
    if (font.m_option != f.m_option) font.m_option = -1;
  }
  return any;
}

void SSymCollection::GetFonts(SSymLstFonts& fonts) {
  for (ISSymbol* s : m_list) {
    SComWrap<ISSymFonts> face(s);
    if (face.IsNull()) continue;
    const SSymFormatEx format = FormatOf(s);
    for (int i = 0; i < format.m_fonts.GetCount(); ++i) {
      const SSymFonts& e = format.m_fonts.GetAt(i);
      bool known = false;
      for (int j = 0; j < fonts.GetCount() && !known; ++j) known = fonts.GetAt(j) == e;
      if (!known) fonts.Add(e);
    }
  }
}

DWORD SSymCollection::GetFontColor() {
  DWORD color = 0;
  bool first = true;
  for (int i = GetCount() - 1; i >= 0; --i) {
    ISSymbol* s = GetAt(i);
    SComWrap<ISSymFont> face(s);
    if (face.IsNull()) continue;
    const SSymFormatEx format = FormatOf(s);
    const SSymFonts* entry = SSymFormatTextFont(format.m_fonts);
    if (!entry) continue;
    if (first) {
      color = entry->m_color.GetColor();
      first = false;
    } else if (entry->m_color.GetColor() != color) {
      return MixedColor;
    }
  }
  return color;
}

LONG SSymCollection::GetFontStyle() {
  LONG style = 0;
  bool first = true;
  for (ISSymbol* s : m_list) {
    SComWrap<ISSymFont> face(s);
    if (face.IsNull()) continue;
    style = first ? face->GetFontStyle() : (style & face->GetFontStyle());
    first = false;
  }
  return style;
}

bool SSymCollection::GetFontStyle(LONG bits) {
  for (ISSymbol* s : m_list) {
    SComWrap<ISSymFont> face(s);
    if (!face.IsNull() && (face->GetFontStyle() & bits) != bits) return false;
  }
  return true;
}

LONG SSymCollection::GetTextStyle() {
  return CommonValue<ISSymFont>(
      m_list, LONG(0), LONG(0), [](ISSymbol*, ISSymFont* f) { return f->GetTextStyle(); }, true);
}

LONG SSymCollection::GetArrow(int end) {
  return CommonValue<ISSymPolyline>(m_list, LONG(MixedArrow), LONG(MixedArrow), [end](ISSymbol* s, ISSymPolyline*) {
    LONG arrow = FormatOf(s).m_arrows[ArrowIndex(end)];
    // A link's arrow that its notation prescribes counts as -1.
    int notation[4];
    if (NotationOf(s, notation) && arrow == notation[NotationArrowIndex(end)]) arrow = -1;
    return arrow;
  });
}

int SSymCollection::GetAutoAdjusted() {
  int yes = 0, no = 0;
  for (ISSymbol* s : m_list) {
    SComWrap<ISSymAdjust> face(s);
    if (face.IsNull()) continue;
    (face->IsAdjusted() ? yes : no) += 1;
  }
  if (yes && no) return 2;
  return no ? 0 : 1;
}

int SSymCollection::GetKeep(int word) {
  int yes = 0, no = 0;
  for (ISSymbol* s : m_list) {
    SComWrap<ISSymAdjust> face(s);
    if (face.IsNull()) continue;
    const SSymFormatEx f = FormatOf(s);
    if (!(f.m_flags & (SSymFormatEx::FlagMargin1 << word))) continue;
    (f.m_margins[word] ? yes : no) += 1;
  }
  if (yes && no) return 2;
  return yes ? 1 : 0;
}

namespace {
// A member shown as an icon (icon-mode attribute 2).
bool IsIconMember(ISSymbol* s) {
  ISRepObject* obj = SSymGetRepObject(s);
  SRepVariant v;
  return obj && obj->GetAttribute(SymAttr::IconMode, &v) == S_OK && v.GetType() == SRepVT_LONG && v.GetLONG() == 2;
}
bool IsManagedPicture(const std::vector<SPictureInfo*>& table, SPictureInfo* picture) {
  for (SPictureInfo* p : table)
    if (p == picture) return true;
  return false;
}
}  // namespace

SPictureInfo* SSymCollection::GetCustomPicture() {
  SPictureManager manager;
  const std::vector<SPictureInfo*>& table = manager.GetPictureInfoTable();
  SPictureInfo* result = nullptr;
  for (int i = GetCount() - 1; i >= 0; --i) {
    ISSymbol* s = GetAt(i);
    SComWrap<ISSymCustomShape> face(s);
    if (face.IsNull()) continue;
    SPictureInfo* p = face->GetCustomPicture();
    if (p && IsIconMember(s) && !IsManagedPicture(table, p)) p = nullptr;
    if (!result) {
      result = p;
    } else if (p != result) {
      return nullptr;
    }
  }
  return result;
}

LONG SSymCollection::GetCustomTextMode() {
  SPictureManager manager;
  const std::vector<SPictureInfo*>& table = manager.GetPictureInfoTable();
  LONG result = -1;
  for (int i = GetCount() - 1; i >= 0; --i) {
    ISSymbol* s = GetAt(i);
    SComWrap<ISSymCustomShape> face(s);
    if (face.IsNull()) continue;
    LONG mode = face->GetCustomTextMode();
    if (IsIconMember(s) && !IsManagedPicture(table, face->GetCustomPicture())) mode = -1;
    if (result == -1) {
      result = mode;
    } else if (mode != result) {
      return -1;
    }
  }
  return result;
}

namespace {
// Point-list symbols have no size of their own unless they are composites.
bool HasOwnSize(ISSymbol* s) {
  SComWrap<ISSymPolyline> poly(s);
  if (poly.IsNull()) return true;
  SComWrap<IUnknown, &IID_ISSymComplex> complex(s);
  return !complex.IsNull();
}
}  // namespace

void SSymCollection::GetSize(SSymSize& size) {
  size = SSymSize(0, 0);
  bool first = true;
  for (int i = GetCount() - 1; i >= 0; --i) {
    ISSymbol* s = GetAt(i);
    if (!HasOwnSize(s)) continue;
    const SSymSize m = InclusiveSize(s->GetClipRect(0, 0));
    if (first) {
      size = m;
      first = false;
      continue;
    }
    if (size.cx != m.cx) size.cx = 0;
    if (size.cy != m.cy || size.cy == 0) size = SSymSize(0, 0);
  }
}

void SSymCollection::GetNormalSize(SSymSize& size) {
  size = SSymSize(0, 0);
  bool first = true;
  for (ISSymbol* s : m_list) {
    if (!HasOwnSize(s)) continue;
    const SSymSize m = s->GetNormalSize();
    if (first) {
      size = m;
      first = false;
      continue;
    }
    if (size.cx != m.cx) size.cx = 0;
    if (size.cy != m.cy) size.cy = 0;
  }
}

// ---- setters ----------------------------------------------------------------------------------
// Every setter runs as one user step; each member that answers the feature's
// interface gets the change through its own setter, with the caller's redraw
// flag, in list order.
void SSymCollection::SetPen(const SSymPen& pen, int flag) {
  SetOnMembers<ISSymPen>(m_list, SSymFormatEx::FlagPen, [&](ISSymPen* p) { return p->SetPen(pen, flag); });
}

namespace {
// The member's pen with one word replaced, through its own pen setter (a
// line without a pen face has no pen to change).
template <class Change>
HRESULT ChangePen(ISSymLine* line, int flag, Change change) {
  SComWrap<ISSymPen> pen(line);
  if (pen.IsNull()) return S_FALSE;
  SSymPen p = pen->GetPen();
  change(p);
  return pen->SetPen(p, flag);
}
}  // namespace

void SSymCollection::SetPenStyle(LONG style, int flag) {
  SetOnMembers<ISSymLine>(m_list, SSymFormatEx::FlagPen,
                          [&](ISSymLine* l) { return ChangePen(l, flag, [&](SSymPen& p) { p.m_style = style; }); });
}

void SSymCollection::SetPenWidth(LONG width, int flag) {
  SetOnMembers<ISSymLine>(m_list, SSymFormatEx::FlagPen,
                          [&](ISSymLine* l) { return ChangePen(l, flag, [&](SSymPen& p) { p.m_width = width; }); });
}

void SSymCollection::SetLineStyle(LONG style, int flag) {
  auto step = OpenStep(m_list);
  for (ISSymbol* s : m_list) {
    SComWrap<ISSymLine> face(s);
    if (face.IsNull()) continue;
    const LONG old = face->GetLineStyle();
    if (old == style) continue;
    face->SetLineStyle(style, flag);
    if (step) step->AddRepAction(std::make_unique<SSymActionLineStyle>(face.Get(), old, SSymAction_Set));
  }
}

void SSymCollection::SetBrush(const SSymBrush& brush, int flag) {
  SetOnMembers<ISSymBrush>(m_list, SSymFormatEx::FlagBrush, [&](ISSymBrush* b) { return b->SetBrush(brush, flag); });
}

void SSymCollection::SetShadow(const SSymBrush& brush, int flag) {
  SetOnMembers<ISSymShadow>(m_list, SSymFormatEx::FlagShadowColor,
                            [&](ISSymShadow* sh) { return sh->SetShadow(brush, flag); });
}

void SSymCollection::SetFont(const SSymFont& font, int flag) {
  SetOnMembers<ISSymFont>(m_list, SSymFormatEx::FlagFonts, [&](ISSymFont* f) { return f->SetFont(font, flag); });
}

void SSymCollection::SetFontColor(DWORD color, int flag) {
  SetOnMembers<ISSymFont>(m_list, SSymFormatEx::FlagFonts,
                          [&](ISSymFont* f) { return f->SetFontColor(SSymColor(color), flag); });
}

int SSymCollection::SetFonts(const SSymFonts& entry, int flag) {
  int changed = 0;
  SetOnMembers<ISSymFonts>(m_list, SSymFormatEx::FlagFonts, [&](ISSymFonts* f) {
    if (f->SetFont(entry.m_name, entry, flag)) changed = 1;
    return S_OK;
  });
  return changed;
}

void SSymCollection::SetArrow(int end, LONG type, int flag) {
  SetOnMembers<ISSymPolyline>(m_list, SSymFormatEx::FlagArrows,
                              [&](ISSymPolyline* p) { return p->SetArrow(end, type, flag); });
}

void SSymCollection::ToggleFontStyle(LONG bit, int flag) {
  auto step = OpenStep(m_list);
  const bool clear = GetFontStyle(bit);
  for (ISSymbol* s : m_list) {
    SComWrap<ISSymFont> face(s);
    if (face.IsNull()) continue;
    const LONG st = face->GetFontStyle();
    const LONG next = clear ? (st & ~bit) : (st | bit);
    if (next == st) continue;
    face->SetFontStyle(next, flag);
    if (step) step->AddRepAction(std::make_unique<SSymActionFontStyle>(face.Get(), st));
  }
}

// ---- undoable style changes -------------------------------------------------------------------
void SSymCollection::SetShadowStyle(SHORT style, int) {
  if (GetCount() == 0) return;
  SRepCreateContext ctx(SSymGetRepObject(GetAt(0)));
  std::unique_ptr<SSymActionShadow> action;
  // A composite's style is that of its members: the record takes each
  // member (at any depth) instead, so that every style it changes is one it
  // keeps itself. Through the composite, an undo would give all its members
  // one style back, and its members' own record, made inside this one, would
  // be taken back in the wrong order against it.
  SComTable<ISSymbol> todo;
  for (ISSymbol* s : m_list) todo.Add(s);
  for (int i = 0; i < todo.GetCount(); ++i) {
    ISSymbol* s = todo.GetAt(i);
    if (SComWrap<ISSymGroup> group(s); !group.IsNull()) {
      group->GetListSym(todo);
      continue;
    }
    SComWrap<ISSymShadow> face(s);
    if (face.IsNull()) continue;
    if (!action) action = std::make_unique<SSymActionShadow>();
    action->Add(s, style);
  }
  if (!action) return;
  // The shadow widens the members' clip rectangles, which the groups around
  // them fit again; the step keeps the groups' rectangles on both sides, as
  // a group may have had one its members do not give (after a resize).
  std::vector<SComWrap<ISSymbol>> groups;
  for (int i = 0; i < todo.GetCount(); ++i) {
    for (ISSymbol* s = todo.GetAt(i); s;) {
      SComOut<ISSymOwner> owner;
      if (s->GetOwner(&owner) != S_OK || !owner) break;
      SComWrap<ISSymGroup> group(owner.Get());
      SComWrap<ISSymbol> above(owner.Get());
      if (group.IsNull() || above.IsNull()) break;
      if (std::find_if(groups.begin(), groups.end(), [&](const SComWrap<ISSymbol>& g) { return g.Get() == above.Get(); }) !=
          groups.end())
        break;
      groups.push_back(above);
      s = above.Get();
    }
  }
  if (!groups.empty()) ctx.AddRepAction(std::make_unique<SSymActionRects>(SSymActionRects::Of(groups), true));
  // Running the record gives every member its new style and leaves the old
  // ones in the record, which the step keeps for undo.
  action->Execute();
  ctx.AddRepAction(std::move(action));
  if (!groups.empty()) ctx.AddRepAction(std::make_unique<SSymActionRects>(SSymActionRects::Of(groups), false));
}

namespace {
// One step that gives every member answering ISSymFont the word `next(old)`
// through `set` and keeps an `Action` of the old word for undo. Nothing for
// an empty collection or a read-only session.
template <class Action, class Next>
void ChangeFontWord(const SComTbl<ISSymbol, ISSymbol*>& members, LONG (ISSymFont::*get)(),
                    HRESULT (ISSymFont::*set)(LONG, int), Next next, int flag) {
  if (members.GetCount() == 0) return;
  ISRepSession* session = SessionOf(members.GetAt(0));
  if (session && session->IsReadOnly()) return;
  SRepCreateContext ctx(session);
  SComTbl<ISSymbol, ISSymbol*> list(members);
  for (ISSymbol* s : list) {
    SComWrap<ISSymFont> face(s);
    if (face.IsNull()) continue;
    const LONG old = (face.Get()->*get)();
    (face.Get()->*set)(next(old), flag);
    ctx.AddRepAction(std::make_unique<Action>(face.Get(), old));
  }
}
}  // namespace

void SSymCollection::SetTextStyle(LONG style, int flag) {
  ChangeFontWord<SSymActionTextStyle>(
      m_list, &ISSymFont::GetTextStyle, &ISSymFont::SetTextStyle, [style](LONG old) { return (old & 0xF0) | style; },
      flag);
}

void SSymCollection::SetFontStyle(LONG style, int flag) {
  ChangeFontWord<SSymActionFontStyle>(m_list, &ISSymFont::GetFontStyle, &ISSymFont::SetFontStyle,
                                      [style](LONG old) { return old | style; }, flag);
}

void SSymCollection::AdjustText(SSymCanvas& canvas, int flag) {
  auto step = OpenStep(m_list);
  SComTbl<ISSymbol, ISSymbol*> list(m_list);
  for (ISSymbol* s : list) s->AdjustText(canvas, flag, 0);
}

void SSymCollection::NormalSize(int flag) {
  auto step = OpenStep(m_list);
  SComTbl<ISSymbol, ISSymbol*> list(m_list);
  for (ISSymbol* s : list) s->NormalSize(flag);
}

void SSymCollection::AlignLink() {
  if (GetCount() == 0) return;
  SRepCreateContext ctx(SessionOf(GetAt(0)));
  for (ISSymbol* s : m_list) {
    SComWrap<ISSymLink> link(s);
    if (link.IsNull()) continue;
    SComWrap<ISSymbol> a, b;
    if (FAILED(link->GetAttachSym(0, &a)) || FAILED(link->GetAttachSym(1, &b))) continue;
    if (a.IsNull() || b.IsNull() || SRepAreSameObjects(a.Get(), b.Get())) continue;
    SComWrap<ISSymPolyline> poly(s);
    if (poly.IsNull()) continue;
    const SSymRect ra = a->GetClipRect(0, 0), rb = b->GetClipRect(0, 0);
    SSymPoint p1((ra.x1 + ra.x2) / 2, (ra.y1 + ra.y2) / 2);
    SSymPoint p2((rb.x1 + rb.x2) / 2, (rb.y1 + rb.y2) / 2);
    if (std::labs(static_cast<long>(p2.x) - p1.x) < 10) p2.x = p1.x;
    if (std::labs(static_cast<long>(p2.y) - p1.y) < 10) p2.y = p1.y;
    SSymListPt current;
    poly->GetListPt(current);
    if (current.GetCount() == 2 && current.GetAt(0) == p1 && current.GetAt(1) == p2) continue;
    poly->SetListPt(SSymListPt{p1, p2}, 1, 0);
  }
}
