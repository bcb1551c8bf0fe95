#include "sym/shapes/symdemo.h"

#include <algorithm>

#include "sym/render/symcanv.h"

namespace {
const SSymRect kNewTextRect(0, 1000, 1000, 0);

void DrawSample(SSymCanvas& canvas, SSymSubText& t, const SSymRect& band) {
  canvas.SetFont(t.GetSubFont());
  canvas.SetFontColor(t.GetSubFontColor());
  canvas.DrawText(band, t.Text(), static_cast<int>(t.GetTextStyle()));
}

void ReleaseTexts(std::vector<SSymSubText*>& texts) {
  while (!texts.empty()) {
    SSymSubText* t = texts.back();
    texts.pop_back();
    t->Release();
  }
}
}  // namespace

// ---- the demonstration rectangle ------------------------------------------------------------
SSymDemoRect::SSymDemoRect(const SSymRect& rect, ISRepSession* session) : SSymRectangle(rect) {
  if (session) SetSession(session);
}

SSymDemoRect::~SSymDemoRect() { ReleaseTexts(); }

void SSymDemoRect::ReleaseTexts() { ::ReleaseTexts(m_texts); }

void SSymDemoRect::SetNbText(int n) {
  m_nNbText = std::clamp(n, 0, MaxTexts);
  while (GetTextCount() < m_nNbText) {
    auto* t = new SSymSubText(nullptr, SString(u"Text"), kNewTextRect);
    t->AddRef();
    m_texts.push_back(t);
  }
}

SSymSubText* SSymDemoRect::GetSubText(int i) const { return i >= 0 && i < GetTextCount() ? m_texts[i] : nullptr; }

HRESULT SSymDemoRect::DrawSymbol(SSymCanvas& canvas) {
  SSymRectangle::DrawSymbol(canvas);
  SSymRect r = m_rect;
  r.Normalize();
  const LONG L = r.x1, R = r.x2, T = r.y1, B = r.y2;
  const int shown = std::min(m_nNbText, GetTextCount());
  if (shown == 1) {
    DrawSample(canvas, *m_texts[0], SSymRect(L + TextIndent, T, R, B));
    return S_OK;
  }
  LONG top = T;
  for (int i = 0; i < shown; ++i) {
    SSymSubText& t = *m_texts[i];
    const LONG h = canvas.GetTextHeight(SString(u"a"), t.GetSubFont());
    if (top - h < B) break;
    DrawSample(canvas, t, SSymRect(L + TextIndent, top, R, top - h));
    top = top - h - TextGap;
    if (i != shown - 1) canvas.Line(SSymPoint(R, top), SSymPoint(L, top));
  }
  return S_OK;
}

HRESULT SSymDemoRect::Delete() {
  if (_IsDeletedOrInContext()) return SSymRectangle::Delete();
  SComWrap<ISSymbol> hold(Sym());
  const HRESULT hr = SSymRectangle::Delete();
  ReleaseTexts();
  return hr;
}

// ---- the demonstration polyline -------------------------------------------------------------
SSymDemoPoly::SSymDemoPoly(const SSymListPt& pts, ISRepSession* session) : SSymPolyline(pts, session) {
  CreateSubSymText();
}

SSymDemoPoly::~SSymDemoPoly() { ReleaseTexts(); }

void SSymDemoPoly::ReleaseTexts() { ::ReleaseTexts(m_texts); }

void SSymDemoPoly::SetNbText(int n) { m_nNbText = n < 0 ? 0 : n <= LabelCount ? n : LabelCount; }

SSymSubText* SSymDemoPoly::GetSubText(int i) const {
  return i >= 0 && i < static_cast<int>(m_texts.size()) ? m_texts[i] : nullptr;
}

void SSymDemoPoly::CreateSubSymText() {
  if (!m_texts.empty()) return;
  for (const char16_t* text : {u"Center", u"Source", u"Destination"}) {
    auto* t = new SSymSubText(nullptr, SString(text), kNewTextRect);
    t->AddRef();
    t->SetFlag(34, true);
    m_texts.push_back(t);
  }
  // Placed before they know their line: a label that moves asks its line
  // for the diagram, which a line under construction cannot answer.
  for (int i = 0; i < LabelCount; ++i) RepositionSymText(i);
  // The line owns its labels: the labels' link back is not counted, so that
  // the two never keep each other alive.
  for (SSymSubText* t : m_texts) t->SetParent(static_cast<ISSymSubSink*>(this), false);
}

void SSymDemoPoly::RepositionSymText(int index) {
  SSymSubText* label = GetSubText(index);
  const SSymListPt& pts = ListPoints();
  const int n = pts.GetCount();
  if (!label || n == 0 || index >= LabelCount) return;
  SSymRect r = label->GetClipRect(0, 0);
  const SSymPoint centre((r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2);
  SSymPoint target;
  if (index == 0) {
    target = n % 2 ? pts[n / 2] : SSymPoint((pts[n / 2 - 1].x + pts[n / 2].x) / 2, (pts[n / 2 - 1].y + pts[n / 2].y) / 2);
  } else {
    if (n < 2) return;
    const SSymPoint p = index == 1 ? pts[0] : pts[n - 1];
    const SSymPoint q = index == 1 ? pts[1] : pts[n - 2];
    const LONG dx = r.Width() / 2 + LabelGap, dy = r.Height() / 2 + LabelGap;
    // Away from the line: toward the negative side only when the end lies
    // clearly beyond its neighbour on that axis.
    target = SSymPoint(p.x - q.x >= 5 ? p.x - dx : p.x + dx, p.y - q.y >= 5 ? p.y - dy : p.y + dy);
  }
  label->MoveBy(SSymSize(target.x - centre.x, target.y - centre.y), 0);
}

HRESULT SSymDemoPoly::DrawSymbol(SSymCanvas& canvas) {
  SSymPolyBase::DrawSymbol(canvas);
  const int shown = std::min(m_nNbText, static_cast<int>(m_texts.size()));
  for (int i = 0; i < shown; ++i) {
    SSymSubText& t = *m_texts[i];
    const SSymSize extent = canvas.GetTextExtent(t.Text(), t.GetSubFont());
    SSymRect r = t.GetClipRect(0, 0);
    r.SetSize(extent.cx, extent.cy);
    t.SetClipRect(r);
    DrawSample(canvas, t, r);
  }
  return S_OK;
}

HRESULT SSymDemoPoly::Delete() {
  if (_IsDeletedOrInContext()) return SSymPolyline::Delete();
  SComWrap<ISSymbol> hold(Sym());
  const HRESULT hr = SSymPolyline::Delete();
  ReleaseTexts();
  return hr;
}
