#include "sym/links/symlinetext.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "kvcore/scascade.h"
#include "kvrep/srepsession.h"
#include "sym/render/symcanv.h"
#include "sym/symbol/symaction.h"
#include "sym/symbol/symintfdisppref.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfview.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;
using i64 = long long;

// Halves of sums truncate toward zero, taken in 64 bits.
LONG Half(i64 a, i64 b) { return static_cast<LONG>((a + b) / 2); }
SSymPoint Mid(const SSymPoint& a, const SSymPoint& b) { return SSymPoint(Half(a.x, b.x), Half(a.y, b.y)); }
SSymPoint CentreOf(const SSymRect& r) { return Mid(SSymPoint(r.x1, r.y1), SSymPoint(r.x2, r.y2)); }
LONG Clamp32(i64 v) { return static_cast<LONG>(std::clamp<i64>(v, INT32_MIN, INT32_MAX)); }
SSymPoint Plus(const SSymPoint& a, i64 dx, i64 dy) { return SSymPoint(Clamp32(a.x + dx), Clamp32(a.y + dy)); }
SSymSize Delta(const SSymPoint& to, const SSymPoint& from) {
  return SSymSize(Clamp32(static_cast<i64>(to.x) - from.x), Clamp32(static_cast<i64>(to.y) - from.y));
}
i64 Squared(const SSymPoint& a, const SSymPoint& b) {
  const i64 dx = static_cast<i64>(a.x) - b.x, dy = static_cast<i64>(a.y) - b.y;
  return dx * dx + dy * dy;
}
// Doubles are truncated toward zero when stored.
LONG Trunc(double v) { return SSymTruncate(v); }

bool Answers(IUnknown* unk, REFIID iid) {
  if (!unk) return false;
  void* p = nullptr;
  if (FAILED(unk->QueryInterface(iid, &p)) || !p) return false;
  static_cast<IUnknown*>(p)->Release();
  return true;
}

SRepVariant PointValue(const SSymPoint& p) {
  SRepVariant v;
  v.SetPOINT(SRep_Point{p.x, p.y});
  return v;
}
}  // namespace

// ---- records -------------------------------------------------------------------------------------
LONG SSymLineTextHelper::OffsetId(int index) {
  switch (index) {
    case 1: return SymAttr::SrcTxtOffset;
    case 2: return SymAttr::DstTxtOffset;
    default: return SymAttr::CtrTxtOffset;
  }
}

LONG SSymLineTextHelper::WidthId(int index) {
  switch (index) {
    case 1: return SymAttr::SrcTxtWidth;
    case 2: return SymAttr::DstTxtWidth;
    default: return SymAttr::CtrTxtWidth;
  }
}

void SSymLineTextHelper::InitLstValue() {
  for (TextRecord& r : m_texts) r = TextRecord{};
}

int SSymLineTextHelper::KeepMovedLabel(ISSymbol* sub) {
  const int i = IndexOf(sub);
  if (i < 0) return -1;
  SSymPoint position(0, 0), anchor(0, 0);
  RecomputeTextOffset(i, position, anchor);
  SaveOffset(i, anchor);
  return i;
}

int SSymLineTextHelper::IndexOf(IUnknown* label) const {
  SSymSubs* subs = SSymSubs::FromInterface(label);
  if (!subs) return -1;
  for (int i = 0; i < TextCount; ++i)
    if (m_texts[i].text && static_cast<SSymSubs*>(m_texts[i].text) == subs) return i;
  return -1;
}

void SSymLineTextHelper::AppendLabelRects(std::vector<SSymRect>& out) const {
  for (const TextRecord& record : m_texts)
    if (record.text) {
      SSymRect r = record.text->GetClipRect(1, 0);
      r.Normalize();
      out.push_back(r);
    }
}

int SSymLineTextHelper::CountLines(const SString& text) {
  const int n = text.GetLength();
  if (n == 0) return 0;
  int lines = 1;
  for (int i = 0; i < n; ++i) {
    const char16_t c = text.GetAt(i);
    if (c == u'\r') {
      if (text.GetAt(i + 1) == u'\n') ++i;
      if (i + 1 < n) ++lines;
    } else if (c == u'\n' && i + 1 < n) {
      ++lines;
    }
  }
  return lines;
}

void SSymLineTextHelper::DropLabel(SSymSubText* label) {
  if (!label) return;
  // A label may outlive its line (an undo record can hold it): it must not
  // keep pointing at the line once the line lets it go.
  label->SetParent(nullptr, false);
  label->Release();
}

// ---- the line through its faces -------------------------------------------------------------------
bool SSymLineTextHelper::Points(SSymListPt& out) {
  ISSymbol* sym = GetISymbol();
  SComWrap<ISSymPolyline> line(sym);
  if (line.IsNull() || FAILED(line->GetListPt(out))) return false;
  return out.GetCount() >= 2;
}

bool SSymLineTextHelper::IsLink() { return Answers(GetISymbol(), IID_ISSymLink); }

SComWrap<ISSymbol> SSymLineTextHelper::EndSymbol(int end) {
  SComWrap<ISSymLink> link(GetISymbol());
  if (link.IsNull()) return SComWrap<ISSymbol>();
  SComOut<ISSymbol> s;
  if (FAILED(link->GetAttachSym(end, &s)) || !s) return SComWrap<ISSymbol>();
  return SComWrap<ISSymbol>(s.Get());
}

// ---- texts ---------------------------------------------------------------------------------------------
SString SSymLineTextHelper::GetText(int index) const {
  SString text;
  if (SSymSubText* label = GetLabel(index)) label->GetText(text);
  return text;
}

ISSymText* SSymLineTextHelper::GetSubText(int index) const {
  SSymSubText* label = GetLabel(index);
  return label ? label->TextFace() : nullptr;
}

void SSymLineTextHelper::SetSubText(int index, SSymSubText* text) {
  if (!IsIndex(index)) {
    DropLabel(text);  // the reference handed over has nowhere to go
    return;
  }
  m_texts[index].text = text;
  if (text && IsLink()) RepositionSymText(index);
}

int SSymLineTextHelper::CreateSubSym(int index) {
  if (!IsIndex(index)) return 0;
  if (m_texts[index].text) return 1;
  ISSymbol* sym = GetISymbol();
  auto* label = new SSymSubText();
  label->AddRef();
  label->InitializeSubSym();
  SComWrap<ISSymSubSink> sink(sym);
  // The line owns its labels; a counted parent would keep both alive.
  label->SetParent(sink.Get(), false);
  label->_SetTextStyle(LabelTextStyle);
  SComWrap<ISSymFont> font(sym);
  if (!font.IsNull()) {
    label->_SetFont(font->GetFont());
    label->_SetFontColor(font->GetFontColor());
  }
  SetSubText(index, label);
  return 1;
}

void SSymLineTextHelper::DeleteText(int index) {
  if (!IsIndex(index) || !m_texts[index].text) return;
  SSymSubText* label = std::exchange(m_texts[index].text, nullptr);
  label->Delete();
  DropLabel(label);
}

void SSymLineTextHelper::RemoveSubSym(int index) {
  if (!IsIndex(index) || !m_texts[index].text) return;
  SSymSubText* label = std::exchange(m_texts[index].text, nullptr);
  DropLabel(label);
  SetSubText(index, nullptr);
}

void SSymLineTextHelper::SetText(int index, const SString& text) {
  if (!IsIndex(index)) return;
  const bool link = IsLink();
  if (!link && text.IsEmpty()) {
    DeleteText(index);
    return;
  }
  if (!m_texts[index].text) CreateSubSym(index);
  SSymSubText* label = m_texts[index].text;
  label->SetText(text, 1);
  label->SetFlag(SSymSubsFlag::TopGap, true);
  ISSymbol* sym = GetISymbol();
  SComWrap<ISSymFont> font(sym);
  if (font.IsNull()) return;
  SSymView* view = nullptr;
  if (sym) {
    SComOut<ISSymDiagram> diagram;
    if (SUCCEEDED(sym->GetDiagram(&diagram)) && diagram) view = diagram->GetFirstView();
  }
  SSymLockViewCanvas lock(view);  // the screen when there is no view
  SSymSize ext(0, 0);
  if (SSymCanvas* canvas = lock.GetCanvas()) ext = canvas->GetTextExtent(text, font->GetFont());
  SSymRect r = label->GetClipRect(0, 0);
  r.Normalize();
  r.SetSize(std::abs(ext.cx), std::abs(ext.cy));
  label->SetRect(r);
  if (link) RepositionSymText(index);
}

// ---- anchors --------------------------------------------------------------------------------------------
int SSymLineTextHelper::GetIntersectPoint(int index, SSymPoint& end, SSymPoint& next) {
  SSymListPt pts;
  if (!Points(pts)) return 0;
  const int n = pts.GetCount();
  if (index == 1 || index == 2) {
    const int endIndex = index - 1;
    SComWrap<ISSymbol> sym = EndSymbol(endIndex);
    SComWrap<ISSymLinkable> linkable(sym);
    if (!linkable.IsNull()) {
      if (index == 1) {
        for (int i = 0; i + 1 < n; ++i) {
          SSymPoint at = pts[i];
          if (linkable->GetIntersection(SSymSegment(pts[i], pts[i + 1]), &at)) {
            end = at;
            next = pts[i + 1];
            return 1;
          }
        }
      } else {
        for (int i = n - 1; i >= 1; --i) {
          SSymPoint at = pts[i];
          if (linkable->GetIntersection(SSymSegment(pts[i - 1], pts[i]), &at)) {
            end = at;
            next = pts[i - 1];
            return 1;
          }
        }
      }
    }
    end = index == 1 ? pts[0] : pts[n - 1];
    next = index == 1 ? pts[1] : pts[n - 2];
    return 1;
  }
  if (index == 0) {
    SSymPoint e1, n1, e2;
    end = CentreAnchor(e1, n1, e2);
    return 1;
  }
  return 0;
}

SSymPoint SSymLineTextHelper::CentreAnchor(SSymPoint& e1, SSymPoint& n1, SSymPoint& e2) {
  SSymPoint n2;
  GetIntersectPoint(1, e1, n1);
  GetIntersectPoint(2, e2, n2);
  SSymListPt pts;
  Points(pts);
  const int n = pts.GetCount();
  int i1 = -1, i2 = -1;
  for (int i = 0; i < n; ++i) {
    if (pts[i] == n1) i1 = i;
    if (pts[i] == n2) i2 = i;
  }
  const int m = (i1 + i2) / 2;
  if (i2 < i1 || m < 0 || m >= n) return Mid(e1, e2);
  if ((i1 + i2) % 2 != 0) return m + 1 < n ? Mid(pts[m], pts[m + 1]) : pts[m];
  return pts[m];
}

bool SSymLineTextHelper::ComputeTextOffset(int index, SSymPoint& position, SSymPoint& anchor) {
  SSymSubText* label = GetLabel(index);
  if (!label) return false;
  if (IsLink() && (EndSymbol(0).IsNull() || EndSymbol(1).IsNull())) return false;
  SSymListPt pts;
  if (!Points(pts)) return false;
  const SSymRect cr = label->GetClipRect(0, 0);
  const i64 w = std::llabs(static_cast<i64>(cr.x2) - cr.x1), h = std::llabs(static_cast<i64>(cr.y1) - cr.y2);
  const int lines = CountLines(label->Text());

  if (index == 1 || index == 2) {
    SSymPoint e, nx;
    GetIntersectPoint(index, e, nx);
    i64 dx = static_cast<i64>(nx.x) - e.x, dy = static_cast<i64>(nx.y) - e.y;
    if (std::llabs(dx) < 36) dx = 0;
    if (std::llabs(dy) < 36) dy = 0;
    i64 ux, uy;
    if (dx != 0 && dy != 0) {
      const double rx = static_cast<double>(dy) / static_cast<double>(dx);
      const double ry = static_cast<double>(dx) / static_cast<double>(dy);
      ux = Trunc(AnchorStep / std::sqrt(1 + rx * rx));
      uy = Trunc(AnchorStep / std::sqrt(1 + ry * ry));
      if (dx < 0) ux = -ux;
      if (dy < 0) uy = -uy;
    } else if (dx == 0) {
      ux = 0;
      uy = dy > 0 ? AnchorStep : -AnchorStep;
    } else {
      ux = dx > 0 ? AnchorStep : -AnchorStep;
      uy = 0;
    }
    const SSymPoint a = Plus(e, ux, uy);
    const i64 hw = (w + 1) / 2;
    const i64 hh = lines <= 1 ? (h + 1) / 2 : (lines % 2 ? (h + 1) / (2 * lines) : 0);
    double q = 0;
    if (dy != 0) {
      const double r = static_cast<double>(dx) / static_cast<double>(dy);
      q = r / std::sqrt(1 + r * r);
    }
    i64 px, py;
    if (dx >= 0) {
      if (dy > 0) {
        px = Trunc(static_cast<double>(hw) * (2 * q - 1));
        py = hh;
      } else if (dy == 0) {
        px = hw;
        py = hh;
      } else {
        px = hw;
        py = Trunc(static_cast<double>(hh) * (-2 * q - 1));
      }
    } else {
      if (dy < 0) {
        px = Trunc(static_cast<double>(hw) * (1 - 2 * q));
        py = -hh;
      } else if (dy == 0) {
        px = -hw;
        py = -hh;
      } else {
        px = -hw;
        py = Trunc(static_cast<double>(hh) * (1 + 2 * q));
      }
    }
    anchor = a;
    position = Plus(a, px, py);
    return true;
  }

  // The centre label.
  SSymPoint e1, n1, e2;
  SSymPoint a = CentreAnchor(e1, n1, e2);
  const i64 ax = std::llabs(static_cast<i64>(e1.x) - e2.x), ay = std::llabs(static_cast<i64>(e1.y) - n1.y);
  const bool flat = ax > 0 && static_cast<double>(ay) / static_cast<double>(ax) < 0.1;
  i64 s = 0;
  if (flat) s = lines <= 1 ? (h + 1) / 2 + 72 : (lines % 2 ? (h + 1) / (2 * lines) : 0);
  if (ISSymbol* sym = GetISymbol()) {
    SSymFormatEx format;
    sym->GetFormat(format);
    if (format.m_arrows[1] != 24) s += 1700;
  }
  if (static_cast<i64>(e2.y) - e1.y >= 5) s = -s;
  const SSymPoint p = Plus(a, 0, s);
  if (flat || ay == 0) a.y = p.y;
  anchor = a;
  position = p;
  return true;
}

void SSymLineTextHelper::RecomputeTextOffset(int index, SSymPoint& position, SSymPoint& anchor) {
  SSymPoint p = position, a = anchor;
  if (ComputeTextOffset(index, p, a)) {
    position = p;
    anchor = a;
  }
}

// ---- offsets -------------------------------------------------------------------------------------------
void SSymLineTextHelper::WriteOffset(int index, const SSymPoint& offset) {
  RepObjWrap obj(GetISymbol());
  if (obj.IsNull()) {
    m_texts[index].offset = offset;
    return;
  }
  SetDefaultAllowed noDefaults;
  obj->SetAttribute(OffsetId(index), PointValue(offset));
}

void SSymLineTextHelper::SaveOffset(int index, SSymPoint& anchor) {
  SSymSubText* label = GetLabel(index);
  if (!label) return;
  RepObjWrap obj(GetISymbol());
  if (!obj.IsNull()) {
    SRepObject* impl = SRepObject::FromInterface(obj.Get());
    if (impl && impl->IsInUndoContext()) return;
  }
  const SSymPoint c = CentreOf(label->GetClipRect(0, 0));
  const SSymSize d = Delta(c, anchor);
  const SSymPoint offset(d.cx, d.cy);
  if (offset == m_texts[index].offset) return;
  WriteOffset(index, offset);
}

// ---- placement -----------------------------------------------------------------------------------------
void SSymLineTextHelper::RepositionSymText(int index) {
  SSymSubText* label = GetLabel(index);
  if (!label) return;
  const SSymPoint c = CentreOf(label->GetClipRect(0, 0));
  SSymPoint p = c, a(0, 0);
  // Without anchors the label stays where it is (it is not thrown onto the
  // origin).
  if (!ComputeTextOffset(index, p, a)) return;
  const SSymPoint offset = m_texts[index].offset;
  const bool automatic = offset == SSymPoint(0, 0);
  const SSymPoint t = automatic ? p : Plus(a, offset.x, offset.y);
  if (t != c) label->MoveBy(Delta(t, c), 0);
  if (!automatic) return;
  ISSymbol* sym = GetISymbol();
  if (!sym) return;
  SComOut<ISSymDiagram> diagram;
  if (FAILED(sym->GetDiagram(&diagram)) || !diagram) return;
  if (!IsCorrectDistance(index, t)) {
    SSymSize d = Delta(a, t);
    SComWrap<ISSymbol> source = EndSymbol(0);
    if (Answers(source.Get(), IID_ISSymComplex) || Answers(source.Get(), IID_ISSymSlave)) d.cy = 0;
    label->MoveBy(d, 0);
    return;
  }
  SSymRect r = label->GetClipRect(0, 0);
  if (IsTextIn(index, r)) label->MoveBy(Delta(a, t), 0);
}

int SSymLineTextHelper::IsTextIn(int, SSymRect& rect) {
  SComWrap<ISSymbol> a = EndSymbol(0), b = EndSymbol(1);
  if (a.IsNull() || b.IsNull()) return 0;
  SSymRect r = rect;
  r.Normalize();
  for (ISSymbol* s : {a.Get(), b.Get()}) {
    SSymRect e = s->GetClipRect(0, 0);
    e.Normalize();
    if (r.Intersects(e)) return 1;
  }
  return 0;
}

int SSymLineTextHelper::IsCorrectDistance(int index, SSymPoint centre) {
  if (!IsIndex(index)) return 1;
  ISSymbol* sym = GetISymbol();
  if (!sym) return 1;
  SComOut<ISSymDiagram> diagram;
  if (FAILED(sym->GetDiagram(&diagram)) || !diagram) return 1;
  if (ISSymDispPref* pref = SSymGetDispPrefPtr(diagram.Get()); pref && !pref->GetConstrainLabels()) return 1;
  SSymListPt pts;
  if (!Points(pts)) return 1;
  const int n = pts.GetCount();
  bool near = false, nearFirst = false, nearLast = false;
  for (int i = 0; i + 1 < n; ++i) {
    if (SSymSegment(pts[i], pts[i + 1]).Distance(centre) < 5000) {
      near = true;
      if (i == 0) nearFirst = true;
      if (i == n - 2) nearLast = true;
    }
  }
  const SSymRect bound = pts.GetBoundRect();
  const double W = static_cast<double>(bound.Width()), H = static_cast<double>(bound.Height());
  double L = static_cast<double>(static_cast<i64>(static_cast<float>((W * W + H * H) * 0.25)));
  constexpr i64 kClose = 20250000;  // 4500 squared
  if (index == 1 || index == 2) {
    L *= 0.5;
    SSymPoint e, nx;
    GetIntersectPoint(index, e, nx);
    const i64 d = Squared(e, centre);
    if (SSymSubText* label = GetLabel(index)) {
      const SSymRect cr = label->GetClipRect(0, 0);
      const double half = static_cast<double>((std::llabs(static_cast<i64>(cr.x2) - cr.x1) + 1) / 2 + 300);
      L = std::max(L, half * half);
    }
    if (L <= kClose) return d <= kClose ? 1 : 0;
    return near && static_cast<double>(d) <= L ? 1 : 0;
  }
  if (!near) return 0;
  if (!nearFirst && !nearLast) return 1;
  L *= 0.25;
  const bool link = IsLink();
  for (int end = 0; end < 2; ++end) {
    if (end == 0 ? !nearFirst : !nearLast) continue;
    SSymPoint ref;
    if (link) {
      SComWrap<ISSymbol> s = EndSymbol(end);
      if (s.IsNull()) return 1;
      ref = CentreOf(s->GetClipRect(0, 0));
    } else {
      ref = end == 0 ? pts[0] : pts[n - 1];
    }
    if (static_cast<double>(Squared(ref, centre)) <= L) return 0;
  }
  return 1;
}

void SSymLineTextHelper::AdjustTextPos(int index) {
  SSymSubText* label = GetLabel(index);
  if (!label || !g_IsInitLineTextOffset()) return;
  const SSymPoint c = CentreOf(label->GetClipRect(0, 0));
  SSymRect r = label->GetClipRect(0, 0);
  if (IsCorrectDistance(index, c) && !IsTextIn(index, r)) return;
  SSymPoint p(0, 0), a(0, 0);
  SSymListPt pts;
  // Without anchors there is no place to go back to.
  if (!ComputeTextOffset(index, p, a)) return;
  RepObjWrap obj(GetISymbol());
  std::unique_ptr<SRepCreateContext> step;
  if (!obj.IsNull() && SRepObject::FromInterface(obj.Get()) && SRepObject::FromInterface(obj.Get())->GetSessionImpl())
    step = std::make_unique<SRepCreateContext>(obj.Get());
  if (m_texts[index].offset != SSymPoint(0, 0)) {
    SSymPoint at = c;
    SaveOffset(index, at);
  }
  const SSymSize delta = Delta(p, c);
  if (delta.cx == 0 && delta.cy == 0) return;
  ISRepContext* ctx = step ? step->GetContext() : nullptr;
  if (ctx && ctx->IsRecording()) {
    // The record holds the way back; the move is made here.
    auto move = std::make_unique<SSymActionMove>();
    move->AddSymbol(label->SymFace());
    move->m_offset = SSymSize(-delta.cx, -delta.cy);
    ctx->AddAction(std::move(move));
  }
  label->MoveBy(delta, 0);
}

void SSymLineTextHelper::RestoreOldTextPos(int index) {
  SSymSubText* label = GetLabel(index);
  if (!label) return;
  SSymPoint p(0, 0), a(0, 0);
  if (!ComputeTextOffset(index, p, a)) return;
  const SSymRect cr = label->GetClipRect(0, 0);
  const SSymPoint c = CentreOf(cr);
  if (index == 1 || index == 2) {
    SSymPoint e, nx;
    GetIntersectPoint(index, e, nx);
    const i64 w = std::llabs(static_cast<i64>(cr.x2) - cr.x1), h = std::llabs(static_cast<i64>(cr.y1) - cr.y2);
    const int lines = CountLines(label->Text());
    i64 hw = (w + 1) / 2;
    i64 hv = (h + 1) / 2;
    if (lines > 1 && std::llabs(static_cast<i64>(a.y) - e.y) < 120) hv = lines % 2 ? (h + 1) / (2 * lines) : 0;
    if (static_cast<i64>(e.x) - nx.x >= 5) hw = -hw;
    if (static_cast<i64>(e.y) - nx.y >= 5) hv = -hv;
    p = Plus(a, hw, hv);
  }
  // The saved offset counts from the anchor (as SaveOffset stores it); an
  // automatic label goes to its default place and stays automatic. Adding
  // the offset to the default place instead would move the label further at
  // every restore.
  const SSymPoint offset = m_texts[index].offset;
  const bool automatic = offset == SSymPoint(0, 0);
  const SSymPoint t = automatic ? p : Plus(a, offset.x, offset.y);
  const i64 manhattan = std::llabs(static_cast<i64>(t.x) - c.x) + std::llabs(static_cast<i64>(t.y) - c.y);
  if (manhattan > 70) label->MoveBy(Delta(t, c), 0);
  if (automatic) return;
  const SSymSize kept = Delta(t, a);
  WriteOffset(index, SSymPoint(kept.cx, kept.cy));
}
