#include "sym/subobjects/symsubs.h"

#include <cstdlib>
#include <memory>

#include "kvrep/srepobject.h"
#include "kvrep/srepsession.h"
#include "sym/foundation/symstream.h"
#include "sym/render/symcanv.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfview.h"

namespace {
bool IsNormalised(const SSymRect& r) { return r.x1 <= r.x2 && r.y2 <= r.y1; }

// Line-label width attributes of a line.
constexpr LONG kCtrTxtWidth = 0x0200046B;
constexpr LONG kSrcTxtWidth = 0x0200046C;
constexpr LONG kDstTxtWidth = 0x0200046D;

// A transform of a line label that changes its width by less than this
// leaves it as it is (the label was only nudged).
constexpr LONG kLabelWidthSlack = 45;
// How far outside its rectangle a point still hits a sub-object.
constexpr LONG kHitMargin = 75;
// The selection mark of a sub-object is this many device pixels wide.
constexpr LONG kActiveMarginPixels = 6;

// Queries unk for I: null when it lacks it; any other failure throws.
template <class I>
SComWrap<I> Face(IUnknown* unk) {
  if (!unk) return SComWrap<I>();
  return SComWrap<I>(unk);
}
}  // namespace

SSymSubs::SSymSubs() { m_flags = (m_flags & ~SSymSubsFlag::OwnBits) | SSymSubsFlag::Editable | SSymSubsFlag::KeepEmpty; }

SSymSubs::SSymSubs(const SSymRect& rect) : SSymSubs() {
  m_rect = rect;
  m_rect.Normalize();
}

SSymSubs::SSymSubs(const SSymSubs& source, int) : m_rect(source.m_rect), m_flags(source.m_flags) {
  SetParent(source.m_pParent, source.m_bCountedParent);
}

SSymSubs::~SSymSubs() { SetParent(nullptr); }

void SSymSubs::DestroySelf() { delete this; }

SSymSubs* SSymSubs::FromInterface(IUnknown* unk) {
  if (!unk) return nullptr;
  void* p = nullptr;
  if (unk->QueryInterface(IID_SSymSubs, &p) != S_OK || !p) return nullptr;
  auto* subs = static_cast<SSymSubs*>(p);
  subs->Release();  // the caller's reference keeps the object
  return subs;
}

HRESULT SSymSubs::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_ISSymbol || iid == IID_ISSymEditInPlace) {
    *out = static_cast<ISSymEditInPlace*>(this);
  } else if (iid == IID_SSymSubs) {
    *out = this;
  } else {
    *out = QueryFamily(iid);
    if (!*out) return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

void* SSymSubs::QueryFamily(REFIID) { return nullptr; }

ULONG SSymSubs::Release() {
  const ULONG left = --m_cRef;
  if (left == 0) DestroySelf();
  return left;
}

void SSymSubs::SetParent(ISSymSubSink* parent, bool counted) {
  if (parent == m_pParent && counted == m_bCountedParent) return;
  if (parent && counted) parent->AddRef();
  ISSymSubSink* old = m_pParent;
  const bool oldCounted = m_bCountedParent;
  m_pParent = parent;
  m_bCountedParent = parent && counted;
  if (old && oldCounted) old->Release();
}

ISSymbol* SSymSubs::GetParentSymbol() const {
  if (!m_pParent) return nullptr;
  SComWrap<ISSymbol> s(m_pParent);
  return s.Get();  // the parent reference keeps it
}

SComWrap<ISSymbol> SSymSubs::ParentSymbol() const { return Face<ISSymbol>(m_pParent); }

SComWrap<ISRepObject, &IID_ISRepObject> SSymSubs::ParentObject() const {
  if (!m_pParent) return {};
  return SComWrap<ISRepObject, &IID_ISRepObject>(m_pParent);
}

HRESULT SSymSubs::_GetOwner(void**, const GUID&) { return E_FAIL; }

LONG SSymSubs::LabelWidthId(int position) {
  switch (position) {
    case 0: return kCtrTxtWidth;
    case 1: return kSrcTxtWidth;
    case 2: return kDstTxtWidth;
    default: return 0;
  }
}

void SSymSubs::SetClipRect(const SSymRect& rect) {
  if (IsNormalised(rect)) m_rect = rect;
}

void SSymSubs::InitializeSubSym() {
  if (m_flags & SSymSubsFlag::Initialized) return;
  m_flags |= SSymSubsFlag::Initialized;
  const bool set = !(m_flags & SSymSubsFlag::Updating);
  if (set) m_flags |= SSymSubsFlag::Updating;
  InitValue();
  if (set) m_flags &= ~SSymSubsFlag::Updating;
}

HRESULT SSymSubs::OnGetBlobData(SOutputStream&) const { return S_OK; }
HRESULT SSymSubs::OnSetBlobData(SInputStream&) { return S_OK; }

// ---- ISSymbol ------------------------------------------------------------------------------------
HRESULT SSymSubs::DrawHandles(SSymCanvas& canvas) {
  // Whatever the handles ask of the diagram's object runs outside any context.
  std::unique_ptr<SCurrentContextChange> noContext;
  SComOut<ISSymDiagram> diagram;
  if (SUCCEEDED(GetDiagram(&diagram)) && diagram) {
    SComWrap<ISRepObject, &IID_ISRepObject> object(diagram.Get());
    if (!object.IsNull()) noContext = std::make_unique<SCurrentContextChange>(object.Get(), nullptr);
  }
  if (!IsHidden()) canvas.DrawHandles(GetClipRect(1, 0));
  return S_OK;
}

HRESULT SSymSubs::DrawIfVisible(SSymCanvas& canvas, const SSymRect& rect, int* second) {
  if (!IsVisibleInRect(canvas, rect)) {
    if (second) *second = 0;
    return S_OK;
  }
  Draw(canvas);
  const int again = Needs2ndDraw(canvas);
  if (second) *second = again;
  return S_OK;
}

HRESULT SSymSubs::DrawSecondPassIfVisible(SSymCanvas& canvas, const SSymRect& rect) {
  if (IsVisibleInRect(canvas, rect)) DrawSecondPass(canvas);
  return S_OK;
}

HRESULT SSymSubs::Redraw(SSymCanvas*) {
  if (m_flags & SSymSubsFlag::Drawing) return (m_flags & SSymSubsFlag::Updating) ? 1 : E_FAIL;
  if (!m_pParent) return E_FAIL;
  ISSymbol* parent = GetParentSymbol();
  if (SSymBase* base = SSymBase::FromInterface(parent); base && (base->m_state & SSymBase::StateNoRedraw)) return S_OK;
  if (parent) {
    SComOut<ISSymDiagram> diagram;
    if (SUCCEEDED(parent->GetDiagram(&diagram)) && diagram && SSymViewDefersDrawing(diagram->GetFirstView()))
      return S_OK;
  }
  m_pParent->RedrawSubSym(this);
  return S_OK;
}

HRESULT SSymSubs::Show(int show) {
  if (IsHidden() && show) {
    m_flags &= ~SSymSubsFlag::Hidden;
    Redraw(nullptr);
  } else if (!IsHidden() && !show) {
    m_flags |= SSymSubsFlag::Hidden;
    Redraw(nullptr);
  }
  return S_OK;
}

SSymRect SSymSubs::GetActiveRect(SSymCanvas& canvas, int) {
  SSymRect r = GetClipRect(1, 0);
  r.Normalize();
  const SSymSize d = canvas.m_scaler.DPtoVP(SIZE{kActiveMarginPixels, kActiveMarginPixels});
  r.Inflate(std::abs(d.cx), std::abs(d.cy));
  void* p = nullptr;
  if (QueryInterface(IID_ISSymPen, &p) == S_OK && p) {
    auto* pen = static_cast<ISSymPen*>(p);
    const LONG width = pen->GetPen().GetWidth();
    pen->Release();
    if (width > 1) r.Inflate(width, width);
  }
  return r;
}

HRESULT SSymSubs::MoveBy(const SSymSize& offset, int redraw) {
  if (offset.cx == 0 && offset.cy == 0) return S_OK;
  if (redraw) Redraw(nullptr);
  m_rect.OffsetRect(offset.cx, offset.cy);
  // A sub-object moved as part of the editing view's selection tells its
  // parent, which keeps where it now stands (a line keeps its label's offset).
  if (m_pParent) {
    SComOut<ISSymDiagram> diagram;
    if (SUCCEEDED(GetDiagram(&diagram)) && diagram) {
      SSymView* view = diagram->GetFirstView();
      if (SSymIsEditView(view) && SSymViewSelectionContains(view, this)) m_pParent->OnSubSymMove(this, redraw);
    }
  }
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymSubs::Transform(const SSymMatrix& matrix, int redraw) {
  if (!matrix.IsFinite()) return E_INVALIDARG;
  const SSymRect old = m_rect;
  SSymRect t = matrix.Transform(old);
  SSymMatrix m = matrix;
  const bool label = (m_flags & SSymSubsFlag::LabelWidth) != 0;
  if (label) {
    if (std::abs(t.Width() - old.Width()) < kLabelWidthSlack) return S_OK;
    t.Normalize();
    GetTextSize(t);
    m.SetTransform(old, t);
  }
  if (redraw) Redraw(nullptr);
  if (m.Get(0, 1) == 0 && m.Get(1, 0) == 0) {
    m_rect = label ? t : m.Transform(old);
  } else {
    // Turned or sheared: the size stays, the centre follows the matrix.
    m_rect.SetCenter(m.Transform(old.GetCenter()));
  }
  m_rect.Normalize();
  if (label) {
    SComWrap<ISRepObject, &IID_ISRepObject> object = ParentObject();
    SRepObject* impl = SRepObject::FromInterface(object.Get());
    if (!impl) throw SECOMException("SSymSubs::Transform", __FILE__, __LINE__, E_POINTER);
    if (!impl->IsInUndoContext()) {
      SRepCreateContext context(object.Get(), 1, 1, 0);
      // The size record holds the parent's own rectangle: undoing the step
      // gives the label its width back and leaves the parent where it is
      // (the label's rectangle here would squeeze the whole line into it).
      ISSymbol* parent = GetParentSymbol();
      if (parent) context.AddRepAction(std::make_unique<SSymActionSize>(parent, SSymRectAccess::Get(parent)));
      void* text = nullptr;
      if (QueryInterface(IID_ISSymText, &text) != S_OK || !text) return E_FAIL;
      static_cast<IUnknown*>(text)->Release();
      if (const LONG id = LabelWidthId(LabelPosition())) object->SetAttribute(id, SRepVariant::Long(m_rect.Width()));
    }
  }
  if (redraw) Redraw(nullptr);
  return S_OK;
}

BOOL SSymSubs::IsVisibleInRect(SSymCanvas& canvas, const SSymRect& rect) {
  if (IsHidden()) return 0;
  SSymRect a = GetActiveRect(canvas, 0);
  SSymRect b = rect;
  b.Normalize();
  return a.Intersects(b) ? 1 : 0;
}

BOOL SSymSubs::IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) {
  if (IsHidden()) return 0;
  SSymRect r = GetClipRect(1, 0);
  r.Normalize();
  int index = 0;
  if (handle && canvas.HitTestHandles(r, &index, pt)) {
    *handle = index;
    return 1;
  }
  SSymRect near = r;
  near.Inflate(kHitMargin, kHitMargin);
  if (near.PtInRect(pt)) return 1;
  if (!sub) return 0;
  *sub = nullptr;
  IsPtInSubSym(canvas, pt, handle, sub);
  return *sub ? 1 : 0;
}

HRESULT SSymSubs::Clone(ISSymbol** out, int) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return E_NOTIMPL;
}

HRESULT SSymSubs::AdjustText(SSymCanvas& canvas, int redraw, int) {
  if (!m_pParent) return E_POINTER;
  if (m_flags & SSymSubsFlag::LabelWidth) {
    void* text = nullptr;
    if (QueryInterface(IID_ISSymText, &text) != S_OK || !text) return E_FAIL;
    static_cast<IUnknown*>(text)->Release();
    const LONG id = LabelWidthId(LabelPosition());
    if (!id) return S_OK;
    // The width becomes automatic again: measured from the text.
    if (SComWrap<ISRepObject, &IID_ISRepObject> object = ParentObject(); !object.IsNull())
      object->SetAttribute(id, SRepVariant::Long(-1));
  }
  if (redraw) Redraw(nullptr);
  const HRESULT hr = DrawOrAdjust(canvas, 1);
  if (FAILED(hr)) return hr;
  if (redraw) Redraw(nullptr);
  return S_OK;
}

HRESULT SSymSubs::GetDiagram(ISSymDiagram** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  ISSymbol* parent = GetParentSymbol();
  return parent ? parent->GetDiagram(out) : S_OK;
}

HRESULT SSymSubs::GetGroupOwner(ISSymGroup** out, int walk) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return walk ? E_NOINTERFACE : S_OK;
}

HRESULT SSymSubs::IsPtInSubSym(SSymCanvas&, const SSymPoint&, int*, ISSymbol** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  return S_OK;
}

HRESULT SSymSubs::GetMainSymbol(ISSymbol** out) {
  if (!out) return E_POINTER;
  *out = GetParentSymbol();
  if (*out) (*out)->AddRef();
  return S_OK;
}

// ---- the family's algorithms ---------------------------------------------------------------------
SSymRect SSymSubs::ComputeTextRect(SSymCanvas& canvas) {
  const SSymRect stored = GetClipRect(0, 0);
  SSymRect saved = stored;
  saved.Normalize();
  if (!(saved == stored)) SetClipRect(saved);
  DrawOrAdjust(canvas, 1);
  const SSymRect needed = GetClipRect(0, 0);
  SetClipRect(saved);
  return needed;
}

void SSymSubs::OnResize() {
  SComWrap<ISRepObject, &IID_ISRepObject> object = ParentObject();
  bool recording = false;
  if (!object.IsNull()) {
    SComOut<ISRepSession> session;
    if (SUCCEEDED(object->GetSession(&session)) && session) recording = SRepGetUndoContext(session.Get()) != nullptr;
  }
  SComWrap<ISSymAdjust> adjust = Face<ISSymAdjust>(m_pParent);
  if (!adjust.IsNull() && !recording && adjust->IsAdjusted()) {
    SComOut<ISSymDiagram> diagram;
    if (ISSymbol* parent = GetParentSymbol(); parent && SUCCEEDED(parent->GetDiagram(&diagram)) && diagram)
      diagram->AdjustSymbolToText(parent, 1, 0);
    return;
  }
  if (ISSymbol* parent = GetParentSymbol()) parent->Redraw(nullptr);
}

namespace {
// A count of leading characters that does not split a surrogate pair: one
// less when the last one kept is the first half of a pair.
int WholeCount(const SString& text, int count) {
  if (count > 0 && count < text.GetLength() && text.GetAt(count - 1) >= 0xD800 && text.GetAt(count - 1) <= 0xDBFF)
    return count - 1;
  return count;
}
}  // namespace

SString SSymSubs::WrapText(const SString& text, const SPrefDataWrap* wrap, SSymCanvas*, int) {
  if (!wrap) return text;
  const int mode = wrap->m_nWrapMode;
  if (mode != SPrefDataWrap::Truncate && mode != SPrefDataWrap::Wrap) return text;
  int limit = mode == SPrefDataWrap::Truncate ? wrap->m_nTruncLength : wrap->m_nWrapLength;
  if (limit < 5) limit = 5;
  if (text.GetLength() <= limit) return text;
  if (mode == SPrefDataWrap::Truncate) return text.Left(WholeCount(text, limit)) + SString(u"...");
  const SString& breaks = wrap->m_strBreakChars;
  SString result;
  SString rest = text;
  while (!rest.IsEmpty()) {
    SString piece = rest.Left(WholeCount(rest, limit));
    if (piece.GetLength() == rest.GetLength()) {
      rest = SString();
    } else {
      if (!breaks.IsEmpty()) {
        // Back from the limit to the last wrap character, so long as the
        // line keeps at least five characters.
        for (int i = piece.GetLength() - 1; i >= 4; --i) {
          if (breaks.Find(piece.GetAt(i)) >= 0) {
            piece = piece.Left(i + 1);
            break;
          }
        }
      }
      rest = rest.Mid(piece.GetLength());
    }
    if (!result.IsEmpty()) result += SString(u"\r\n");
    result += piece;
  }
  return result;
}

// ---- SSymSubsFonts -------------------------------------------------------------------------------
void* SSymSubsFonts::QueryFamily(REFIID iid) {
  if (iid == IID_ISSymFonts || iid == IID_ISVerbSource) return static_cast<ISSymFonts*>(this);
  return SSymSubs::QueryFamily(iid);
}

HRESULT SSymSubsFonts::DoVerb(LONG verb, const MSG* message, HWND window, const RECT* rect) {
  SComWrap<ISVerbSource> verbs = Face<ISVerbSource>(GetParentSymbol());
  if (verbs.IsNull()) return E_FAIL;
  return verbs->DoVerb(verb, message, window, rect);
}

int SSymSubsFonts::GetFont(const SString& name, SSymFonts* out) {
  if (!(name == m_fonts.m_name)) return 0;
  if (out) *out = m_fonts;
  return 1;
}

int SSymSubsFonts::SetFont(const SString& name, const SSymFonts& fonts, int redraw) {
  if (!(name == m_fonts.m_name)) return 0;
  m_fonts = fonts;
  if (redraw) Redraw(nullptr);
  return 1;
}

int SSymSubsFonts::CopyFont(const SString& name, const SSymFonts& fonts, int redraw) {
  if (!(name == m_fonts.m_name)) return 0;
  m_fonts.Copy(fonts);
  if (redraw) Redraw(nullptr);
  return 1;
}

int SSymSubsFonts::SetFontsColor(SSymColor color) {
  if (m_fonts.m_color.GetColor() == color.GetColor()) return 0;
  m_fonts.m_color = color;
  return 1;
}

void SSymSubsFonts::AddFonts(SSymLstFonts* list) const {
  if (list) list->Add(m_fonts);
}

HRESULT SSymSubsFonts::OnGetBlobData(SOutputStream& out) const {
  SSymOutputStream stream(out);
  stream << m_fonts.m_font;
  return S_OK;
}

HRESULT SSymSubsFonts::OnSetBlobData(SInputStream& in) {
  SSymInputStream stream(in);
  SString text;
  stream >> text;
  m_fonts.m_font.SetAsString(text);
  return S_OK;
}

void SSymSubsFonts::GetParentSubSymList(STable<SSymSubsFonts*>& list) {
  SComWrap<ISSymSubSym> host = Face<ISSymSubSym>(GetParentSymbol());
  if (!host.IsNull()) {
    host->GetSubSymList(list, 1);
    return;
  }
  list.Add(this);
}
