// Text on the canvas: fonts realised at the zoom for drawing and at the
// canvas's first scale for measuring, the text style word, wrapping,
// truncation, rotated and filled text, and RTF text.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "kvcore/srtfdocument.h"
#include "kvlib/scounthelper.h"
#include "sym/render/symcanv.h"
#include "sym/render/symviewsite.h"
#include "win/emf.h"

namespace {

// A device measure from a scaled double, held within the integer range
// (huge fonts, sizes and widths at extreme zooms pass it).
int ClampInt(double v) { return static_cast<int>(std::clamp(v, -2147483647.0, 2147483647.0)); }

const SString& Ellipsis() {
  static const SString s(u"...");
  return s;
}

// Cuts a line into tokens at the break characters, each separator being a
// token of its own, so that joining the tokens gives the line back.
std::vector<SString> Tokens(const SString& line, const SString& breaks) {
  std::vector<SString> out;
  std::u16string cur;
  for (char16_t c : line.str()) {
    if (breaks.Find(c) >= 0) {
      if (!cur.empty()) out.emplace_back(cur);
      cur.clear();
      out.emplace_back(std::u16string(1, c));
    } else {
      cur.push_back(c);
    }
  }
  if (!cur.empty()) out.emplace_back(cur);
  return out;
}

bool IsBlank(const SString& s) {
  for (char16_t c : s.str())
    if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n') return false;
  return true;
}

LONG AbsHeight(const SSymRect& r) {
  const long long h = std::llabs(static_cast<long long>(r.y1) - r.y2) + 1;
  return h > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<LONG>(h);
}
LONG AbsWidth(const SSymRect& r) {
  const long long w = std::llabs(static_cast<long long>(r.x2) - r.x1) + 1;
  return w > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<LONG>(w);
}

// x1 <= x2, y1 >= y2.
SSymRect Normal(const SSymRect& r) {
  return SSymRect(std::min(r.x1, r.x2), std::max(r.y1, r.y2), std::max(r.x1, r.x2), std::min(r.y1, r.y2));
}

}  // namespace

// ---- fonts ---------------------------------------------------------------------------------

SIZE SSymCanvas::GetFontSize(SSymCanvasScaler& s, LOGFONTW& lf) {
  return SIZE{ClampInt(lf.lfWidth * s.m_scaleX), ClampInt(lf.lfHeight * 100.0 * s.m_scaleY)};
}

SSymCanvas::FontLine* SSymCanvas::MakeFontLine(const SSymFont& font, int height, int width) {
  LOGFONTW lf = font.GetLOGFONT();
  lf.lfHeight = height;
  lf.lfWidth = width;
  auto* line = new FontLine();
  line->m_font.CreateFontIndirect(&lf);
  if (m_pDC && line->m_font.IsValid()) {
    HGDIOBJ old = m_pDC->SelectObject(line->m_font);
    m_pDC->GetTextMetrics(&line->m_tm);
    if (old) m_pDC->SelectObject(old);
  }
  return line;
}

SSymCanvas::FontLine* SSymCanvas::LookupNormFont(const SSymFont& font) {
  if (!m_pDC) return nullptr;
  if (FontLine* found = m_normFonts.Find(font)) return found;
  SHandleCountHelper counter("AddFontInCanvasCacheNorm");
  LOGFONTW lf = font.GetLOGFONT();
  int h = ClampInt(lf.lfHeight * 100.0 * m_scalerInit.m_scaleY);
  if (h == 0) h = 1;
  const int w = ClampInt(lf.lfWidth * m_scalerInit.m_scaleX);
  FontLine* line = MakeFontLine(font, h, w);
  m_normFonts.SetAt(font, line);
  return line;
}

SFont* SSymCanvas::LookupFont(const SSymFont& font) {
  if (!m_pDC) return nullptr;
  FontLine* entry = nullptr;
  if (FontLine* found = m_fontCache.Find(font)) {
    entry = found;
  } else {
    SHandleCountHelper counter("AddFontInCanvasCache");
    LOGFONTW lf = font.GetLOGFONT();
    const SIZE size = GetFontSize(m_scaler, lf);
    entry = MakeFontLine(font, size.cy ? size.cy : 1, size.cx);
    m_fontCache.SetAt(font, entry);
  }
  LookupNormFont(font);
  return &entry->m_font;
}

void SSymCanvas::SetFont(const SSymFont& font) {
  // Labels set the same font box after box: while it is still the one in the
  // context there is nothing to look up or select again.
  if (m_pDC && m_pFontLine && font == m_font && m_pDC->GetCurrentFont() == HFONT(m_pFontLine->m_font)) return;
  if (m_pDC) {
    if (SFont* f = LookupFont(font)) m_pDC->SelectObject(*f);
  }
  m_font = font;
  m_pFontLine = m_fontCache.Find(font);
}

int SSymCanvas::GetFont(SSymFont& font) const {
  font = m_font;
  return 1;
}

// ---- measuring ------------------------------------------------------------------------------

int SSymCanvas::LineWidthVP(const SString& line) {
  if (!m_pDC || line.IsEmpty() || m_scalerInit.m_scaleX == 0.0) return 0;
  LONG px;
  if (line.Find(u'\t') >= 0) {
    px = LOWORD(::GetTabbedTextExtentW(m_pDC->GetSafeHdc(), line.c_str(), line.GetLength(), 0, nullptr));
  } else {
    px = m_pDC->GetTextExtent(line).cx;
  }
  return ClampInt(px / m_scalerInit.m_scaleX + 0.5);
}

SSymSize SSymCanvas::GetTextExtent(const SString& text) {
  if (!m_pDC || text.IsEmpty()) return SSymSize(0, 0);
  FontLine* norm = LookupNormFont(m_font);
  if (!norm || m_scalerInit.m_scaleY == 0.0) return SSymSize(0, 0);
  HGDIOBJ old = m_pDC->SelectObject(norm->m_font);
  int cx = 0, lines = 0;
  for (const SString& line : SSplitLines(text)) {
    cx = std::max(cx, LineWidthVP(line));
    ++lines;
  }
  if (old) m_pDC->SelectObject(old);
  const int cy =
      ClampInt((norm->m_tm.tmHeight + norm->m_tm.tmExternalLeading) / m_scalerInit.m_scaleY * lines);
  return SSymSize(cx, cy);
}

SSymSize SSymCanvas::GetTextExtent(const SString& text, const SSymFont& font) {
  return WithFont(font, [&] { return GetTextExtent(text); });
}

// The height alone needs no widths: the line count and the font's line height.
int SSymCanvas::GetTextHeight(const SString& text) {
  if (!m_pDC || text.IsEmpty()) return 0;
  FontLine* norm = LookupNormFont(m_font);
  if (!norm || m_scalerInit.m_scaleY == 0.0) return 0;
  int lines = 0;
  for (const SString& line : SSplitLines(text)) {
    (void)line;
    ++lines;
  }
  return ClampInt((norm->m_tm.tmHeight + norm->m_tm.tmExternalLeading) / m_scalerInit.m_scaleY * lines);
}
int SSymCanvas::GetTextHeight(const SString& text, const SSymFont& font) { return GetTextExtent(text, font).cy; }
int SSymCanvas::GetTextHeight(const SString& text, int style, int width) {
  return (style & 0x1000) ? GetWrapTextExtent(text, width).cy : GetTextHeight(text);
}

int SSymCanvas::GetTextWidth(const SString& text, const SSymFont& font) {
  const SSymFont saved = m_font;
  SetFont(font);
  int result = 0;
  const int mode = m_dataWrap.m_nWrapMode;
  const int trunc = m_dataWrap.m_nTruncLength, wrap = m_dataWrap.m_nWrapLength;
  // Measured with the font at the normal scale, as every other measure, so
  // that widths computed from texts do not change with the zoom.
  FontLine* norm = LookupNormFont(font);
  auto width = [&](const SString& s) -> int {
    if (!m_pDC || !norm || s.IsEmpty() || m_scalerInit.m_scaleX == 0.0) return 0;
    HGDIOBJ old = m_pDC->SelectObject(norm->m_font);
    const LONG px = LOWORD(::GetTabbedTextExtentW(m_pDC->GetSafeHdc(), s.c_str(), s.GetLength(), 0, nullptr));
    if (old) m_pDC->SelectObject(old);
    return ClampInt(px / m_scalerInit.m_scaleX + 0.5);
  };
  if (mode == SPrefDataWrap::Truncate && trunc >= 5 && trunc < text.GetLength()) {
    for (const SString& line : SSplitLines(text)) {
      SString l = line.GetLength() > trunc ? line.Left(trunc) + Ellipsis() : line;
      result = std::max(result, width(l));
    }
  } else if (mode == SPrefDataWrap::Wrap && wrap >= 5 && wrap < text.GetLength()) {
    for (const SString& line : SSplitLines(text))
      for (int i = 0; i < line.GetLength(); i += wrap) result = std::max(result, width(line.Mid(i, wrap)));
  } else {
    result = GetTextExtent(text).cx;
  }
  SetFont(saved);
  return result;
}

// The wrapping rule shared by drawing and measuring: the lines of `text`
// wrapped into `width`. With `limit`, stops once the room from roomTop down
// to roomBottom is used up (the line that passes it included).
int SSymCanvas::WrapLines(const SString& text, int width, STable<SWrapLine>& lines, int* lineHeight, int roomTop,
                          int roomBottom, bool limit) {
  long long top = roomTop;
  bool stop = false;
  auto emit = [&](const SString& s) {
    if (stop) return;
    SWrapLine l;
    l.m_strText = s;
    l.m_nWidth = GetTextExtent(s).cx;
    lines.Add(l);
    top -= GetTextHeight(s);
    if (limit && top < roomBottom) stop = true;
  };
  auto widthOf = [&](const SString& s) { return GetTextExtent(s).cx; };
  const SString breaks = m_dataWrap.m_strBreakChars.IsEmpty() ? SString(u" ") : m_dataWrap.m_strBreakChars;
  for (const SString& line : SSplitLines(text)) {
    if (stop) break;
    if (line.IsEmpty()) {
      emit(SString(u" "));
      continue;
    }
    // Appended in place: a line of many short words stays linear.
    std::u16string cur;
    long long curW = 0;
    for (const SString& token : Tokens(line, breaks)) {
      if (stop) break;
      const int tw = widthOf(token);
      if (curW + tw <= width) {
        cur += token.str();
        curW += tw;
        continue;
      }
      if (!cur.empty()) {
        if (!IsBlank(SString(cur))) emit(SString(cur));
        cur.clear();
        curW = 0;
      }
      if (tw > width && token.GetLength() > 5) {
        // A word wider than the line is cut into the longest pieces (at
        // least 5 characters) that fit; the rest that fits starts the next
        // line. Each piece is found by doubling and then halving, measuring
        // only pieces about as long as a line, never the whole rest of the
        // word: a label of one huge word is cut in linear time.
        const int len = token.GetLength();
        int pos = 0;
        while (!stop && len - pos > 5) {
          auto fits = [&](int n) { return widthOf(token.Mid(pos, n)) <= width; };
          int good = 5, bad = -1;
          for (int n = 10; bad < 0; n *= 2) {
            if (n >= len - pos) {
              if (fits(len - pos)) good = len - pos;
              else bad = len - pos;
              break;
            }
            if (fits(n)) good = n;
            else bad = n;
          }
          if (bad < 0) break;  // the rest fits on one line
          while (bad - good > 1) {
            const int mid = good + (bad - good) / 2;
            if (fits(mid)) good = mid;
            else bad = mid;
          }
          emit(token.Mid(pos, good));
          pos += good;
        }
        cur = token.Mid(pos).str();
        curW = widthOf(token.Mid(pos));
      } else {
        cur = token.str();
        curW = tw;
      }
    }
    if (!cur.empty()) emit(SString(cur));
  }
  if (lineHeight) *lineHeight = GetTextHeight(SString(u" "));
  return lines.GetCount();
}

int SSymCanvas::GetDetailWrapText(const SString& text, int width, STable<SWrapLine>& lines, int& lineHeight) {
  return WrapLines(text, width, lines, &lineHeight, 0, 0, false);
}

SSymSize SSymCanvas::GetWrapTextExtent(const SString& text, int width) {
  if (!m_pDC || text.IsEmpty()) return SSymSize(0, 0);
  STable<SWrapLine> lines;
  WrapLines(text, width, lines, nullptr, 0, 0, false);
  std::u16string out;  // appended in place: the lines of a huge label join in linear time
  for (int i = 0; i < lines.GetCount(); ++i) {
    out += lines[i].m_strText.str();
    out += u"\r\n";
  }
  return GetTextExtent(SString(out));
}

SSymSize SSymCanvas::GetWrapTextExtent(const SString& text, const SSymFont& font, int width) {
  return WithFont(font, [&] { return GetWrapTextExtent(text, width); });
}

SSymSize SSymCanvas::GetTruncTextExtent(const SString& text, int width) {
  if (!m_pDC || text.IsEmpty()) return SSymSize(0, 0);
  const SSymSize e = GetTextExtent(Ellipsis());
  int cx = 0, n = 0;
  for (const SString& line : SSplitLines(text)) {
    if (line.IsEmpty()) continue;
    ++n;
    const SString cut = TruncateLine(line, width, e.cx);
    if (!cut.IsEmpty()) cx = std::max(cx, GetTextExtent(cut).cx);
  }
  return SSymSize(cx, n * e.cy);
}

SSymSize SSymCanvas::GetTruncTextExtent(const SString& text, const SSymFont& font, int width) {
  return WithFont(font, [&] { return GetTruncTextExtent(text, width); });
}

// ---- drawing ------------------------------------------------------------------------------------

void SSymCanvas::DrawText(const SSymRect& r, const SString& text, int style) {
  if (text.IsEmpty()) return;
  if (m_font.m_angle != 0) {
    SSymRect rr(r);
    const int flags = GetDrawStyle(rr, text, style);
    DrawText(text, rr, flags);
  } else if (style & 0x1000) {
    DrawWrapText(r, text, style);
  } else if (style & 0x2000) {
    DrawTruncText(r, text, style);
  } else {
    DrawNormText(r, text, style);
  }
}

namespace {
void SetTextBackground(SSymCanvas& c, SDC* dc, int style, const SSymBrush& bk) {
  if (!dc) return;
  if ((style & 0x800) && !c.HasBackgroundBitmap()) {
    dc->SetBkMode(OPAQUE);
    dc->SetBkColor(bk.GetColor().GetColor());
  } else {
    dc->SetBkMode(TRANSPARENT);
  }
}
}  // namespace

void SSymCanvas::DrawNormText(const SSymRect& r, const SString& text, int style) {
  if (m_font.m_angle != 0) {
    DrawText(text, r, DT_NOPREFIX | DT_EXPANDTABS);
    return;
  }
  int flags = DT_NOPREFIX | DT_EXPANDTABS;
  if (style & 0x100) flags |= DT_SINGLELINE;
  if (style & 0x400) flags |= DT_NOCLIP;
  SetTextBackground(*this, m_pDC, style, m_bkBrush);
  if ((style & 0x0F) == 2) flags |= DT_CENTER;
  if ((style & 0x0F) == 4) flags |= DT_RIGHT;
  SSymRect rr = Normal(r);
  const int v = style & 0xF0;
  if (v == 0x20 || v == 0x40) {
    if (style & 0x100) {
      flags |= v == 0x20 ? DT_VCENTER : DT_BOTTOM;
    } else {
      const long long h = std::llabs(static_cast<long long>(GetTextHeight(text)));
      long long d = AbsHeight(rr) - h;
      if (v == 0x20) d /= 2;
      if (d > 0) rr.y1 = static_cast<LONG>(rr.y1 - d);
    }
  }
  if (style & 0x1000) flags &= ~static_cast<int>(DT_SINGLELINE);
  DrawText(text, rr, flags);
}

int SSymCanvas::GetDrawStyle(SSymRect& r, const SString& text, int style) {
  int flags = DT_NOPREFIX | DT_EXPANDTABS | DT_SINGLELINE;
  SetTextBackground(*this, m_pDC, style, m_bkBrush);
  if ((style & 0x0F) == 2) flags |= DT_CENTER;
  if ((style & 0x0F) == 4) flags |= DT_RIGHT;
  r = Normal(r);
  const int v = style & 0xF0;
  if ((v == 0x20 || v == 0x40) && m_font.m_angle == 0) {
    const long long h = (style & 0x1000) ? GetWrapTextExtent(text, AbsWidth(r)).cy : GetTextHeight(text);
    const long long d = v == 0x20 ? (AbsHeight(r) - h) / 2 : static_cast<long long>(AbsHeight(r)) + 1 - h;
    if (d > 0) r.y1 = static_cast<LONG>(r.y1 - d);
  }
  if (style & 0x1000) flags &= ~static_cast<int>(DT_SINGLELINE);
  if (style & 0x400) flags |= DT_NOCLIP;
  return flags;
}

void SSymCanvas::DrawWrapText(const SSymRect& r, const SString& text, int style) {
  SSymRect rr(r);
  const int flags = GetDrawStyle(rr, text, style);
  STable<SWrapLine> lines;
  WrapLines(text, AbsWidth(rr), lines, nullptr, rr.y1, rr.y2, true);
  SString out;
  for (int i = 0; i < lines.GetCount(); ++i) out = out + lines[i].m_strText + SString(u"\r\n");
  if (!out.IsEmpty()) DrawText(out, rr, flags);
}

SString SSymCanvas::TruncateLine(const SString& line, int width, int ellipsisWidth) {
  if (GetTextExtent(line).cx <= width) return line;
  if (line.GetLength() <= 5) return SString();
  int n = 5;
  while (n < line.GetLength() && GetTextExtent(line.Left(n)).cx + ellipsisWidth <= width) ++n;
  if (n > 5) --n;
  return line.Left(n) + Ellipsis();
}

SString SSymCanvas::TruncateLines(const SSymRect& r, const SString& text) {
  const int W = AbsWidth(r), e = GetTextExtent(Ellipsis()).cx;
  SString out;
  for (const SString& line : SSplitLines(text)) {
    if (line.IsEmpty()) continue;
    const SString cut = TruncateLine(line, W, e);
    if (cut.IsEmpty()) continue;
    if (!out.IsEmpty()) out = out + SString(u"\r\n");
    out = out + cut;
  }
  return out;
}

void SSymCanvas::DrawTruncText(const SSymRect& r, const SString& text, int style) {
  SSymRect rr(r);
  const int flags = GetDrawStyle(rr, text, style);
  const SSymSize e = GetTextExtent(Ellipsis());
  const int W = AbsWidth(rr);
  long long y = rr.y1;
  for (const SString& line : SSplitLines(text)) {
    if (line.IsEmpty()) continue;
    const SString draw = TruncateLine(line, W, e.cx);
    if (!draw.IsEmpty() && y - e.cy > SSymCanvas::MinY * 4LL)
      DrawText(draw, SSymRect(rr.x1, static_cast<LONG>(y), rr.x2, static_cast<LONG>(y - e.cy)), flags);
    y -= e.cy;
  }
}

void SSymCanvas::DrawText(const SString& text, const SSymRect& r, int flags) {
  if (!m_pDC || text.IsEmpty()) return;
  RECT rc = VPtoDPRect(r);
  if (m_bFillText) {
    if (UseFillEffect() && !SDrawBackground::IsRectTooSmall(rc)) {
      BeginPath();
      m_pDC->DrawText(text, &rc, static_cast<UINT>(flags));
      EndPath();
      if (m_pen.m_style == SSymPen::NoLine)
        FillPath(r);
      else
        StrokeAndFillPath(r);
      return;
    }
    if (m_bColor && m_pen.m_style != SSymPen::NoLine && !SDrawBackground::IsRectTooSmall(rc)) {
      BeginPath();
      m_pDC->DrawText(text, &rc, static_cast<UINT>(flags));
      EndPath();
      RECT again = rc;
      m_pDC->DrawText(text, &again, static_cast<UINT>(flags));
      StrokePath();
      return;
    }
  }
  const LONG angle = m_font.m_angle;
  if (angle == 2700) {
    const SSymSize ext = GetTextExtent(text);
    const int scx = ClampInt(ext.cx * m_scaleX);
    int x = (rc.left + rc.right) / 2 + ClampInt(ext.cy / 2.0 * m_scaleY);
    // Text at 270 degrees runs downward from its start, so it starts inside
    // the top edge (starting one text length lower would push it out of the
    // box): centred along the box's height with DT_CENTER, as text at 90
    // degrees is, ending at the bottom with DT_RIGHT, else a pixel below the
    // top edge, clear of a frame drawn on it.
    int y = rc.top + 1;
    if (flags & (DT_VCENTER | DT_CENTER)) {
      const int d = (rc.bottom - rc.top - scx) / 2 - 1;
      if (d >= 1) y = rc.top + d;
    } else if (flags & DT_RIGHT) {
      y = std::max(rc.top + 1, rc.bottom - 1 - scx);
    }
    m_pDC->ExtTextOut(x, y, ETO_CLIPPED, &rc, text);
    return;
  }
  if (angle == 900) {
    const SSymSize ext = GetTextExtent(text);
    const int cx = ClampInt(ext.cx * m_scaleX), cy = ClampInt(ext.cy * m_scaleY);
    int y;
    if (flags & DT_CENTER)
      y = (rc.top + rc.bottom) / 2 + cx / 2;
    else if (flags & DT_RIGHT)
      y = rc.top + cx + 1;
    else
      y = rc.bottom - 1;
    y = std::min(y, static_cast<int>(rc.bottom - 1));
    if (!(flags & DT_SINGLELINE)) {
      STable<SWrapLine> lines;
      int lh = 0;
      const int n = GetDetailWrapText(text, AbsHeight(r) - 1, lines, lh);
      if (n >= 2) {
        const int col = ClampInt(lh * m_scaleY) + 2;
        const int total = col * n;
        int x = rc.left;
        if (rc.right - rc.left - total >= 2) x = rc.left + (rc.right - rc.left - total) / 2;
        const int mid = (rc.top + rc.bottom) / 2;
        for (int i = 0; i < n; ++i) {
          const int w = ClampInt(lines[i].m_nWidth * m_scaleX);
          m_pDC->ExtTextOut(x + i * col, mid + w / 2, ETO_CLIPPED, &rc, lines[i].m_strText);
        }
        return;
      }
    }
    m_pDC->ExtTextOut((rc.left + rc.right - cy) / 2, y, ETO_CLIPPED, &rc, text);
    return;
  }
  m_pDC->DrawText(text, &rc, static_cast<UINT>(flags));
}

// ---- RTF ----------------------------------------------------------------------------------------------

void SSymCanvas::DrawRtfText(const SSymRect& r, const SString& rtf, int first, int last, int* end) {
  if (!m_pDC || rtf.IsEmpty()) return;
  const RECT rc = VPtoDPRect(r);
  SSaveDCScope save(*m_pDC);
  m_pDC->IntersectClipRect(rc.left - 1, rc.top - 1, rc.right + 1, rc.bottom + 1);
  if (m_dZoom == 100.0 && !m_pDC->m_nFlag) {
    SSymView* view = GetView();
    ISSymViewSite* site = view ? SSymGetViewSite() : nullptr;
    SRtfDocument doc(rtf, site ? site->GetSafeHwnd(view) : nullptr);
    const int px = std::max(1, m_pDC->GetDeviceCaps(LOGPIXELSX)), py = std::max(1, m_pDC->GetDeviceCaps(LOGPIXELSY));
    const RECT tw{MulDiv(rc.left, 1440, px), MulDiv(rc.top, 1440, py), MulDiv(rc.right, 1440, px),
                  MulDiv(rc.bottom, 1440, py)};
    const int result = doc.FormatRange(m_pDC->GetSafeHdc(), m_pDC->GetSafeHdc(), tw, tw, first, last, TRUE);
    if (end) *end = result;
    doc.FormatRange(nullptr, nullptr, tw, tw, 0, 0, FALSE);
    return;
  }
  SMetaFile mf;
  if (RTFToEMF(mf, rtf, r, first, last, end, nullptr)) DrawMetaFile(r, mf);
}

int SSymCanvas::RTFToEMF(SMetaFile& mf, const SString& rtf, const SSymRect& r, int first, int last, int* end,
                         const char16_t* file) {
  SScreenDC screen;
  const double w = AbsWidth(r), h = AbsHeight(r);
  double fw = w * 2540.0 / 7200.0, fh = h * 2540.0 / 7200.0;
  // Correct by the screen's ratio of logical to physical pixels per inch.
  const int lx = screen.GetDeviceCaps(LOGPIXELSX), ly = screen.GetDeviceCaps(LOGPIXELSY);
  const int hres = screen.GetDeviceCaps(HORZRES), vres = screen.GetDeviceCaps(VERTRES);
  const int hsize = screen.GetDeviceCaps(HORZSIZE), vsize = screen.GetDeviceCaps(VERTSIZE);
  if (hsize > 0 && hres > 0) fw *= lx / (hres * 25.4 / hsize);
  if (vsize > 0 && vres > 0) fh *= ly / (vres * 25.4 / vsize);
  const RECT frame{0, 0, static_cast<LONG>(fw), static_cast<LONG>(fh)};
  HDC rec = ::CreateEnhMetaFileW(screen.GetSafeHdc(), file, &frame, nullptr);
  if (!rec) return 0;
  SRtfDocument doc(rtf);
  const RECT tw{0, 0, static_cast<LONG>(w / 5), static_cast<LONG>(h / 5)};
  const int result = doc.FormatRange(rec, screen.GetSafeHdc(), tw, tw, first, last, TRUE);
  if (end) *end = result;
  HENHMETAFILE emf = ::CloseEnhMetaFile(rec);
  if (!emf) return 0;
  mf.Attach(emf);
  return 1;
}

SSymSize SSymCanvas::GetRTFTextExtent(const SString& rtf, int width, int a, int b) {
  if (!m_pDC || rtf.IsEmpty()) return SSymSize(600, 600);
  std::u16string s = rtf.str();
  auto replace = [&s](const std::u16string& from, const std::u16string& to) {
    for (std::size_t p = s.find(from); p != std::u16string::npos; p = s.find(from, p + to.size()))
      s.replace(p, from.size(), to);
  };
  replace(u"\\page ", u"\\par ");
  replace(u"\\page\\", u"\\par\\");
  replace(u"\\page}", u"\\par}");
  SRtfDocument doc{SString(s)};
  const double nsx = m_scalerInit.m_scaleX, nsy = m_scalerInit.m_scaleY;
  if (nsx == 0.0 || nsy == 0.0) return SSymSize(600, 600);
  const SIZE px = doc.GetExtent(m_pDC->GetSafeHdc(), ClampInt(width * nsx), a, b);
  return SSymSize(ClampInt(px.cx / nsx + 0.5), ClampInt(px.cy / nsy + 0.5));
}

int SSymCanvas::GetRTFTextLength(const SString& rtf, int width, int height, int first) {
  if (rtf.IsEmpty() || !m_pDC) return 0;
  SRtfDocument doc(rtf);
  const int px = std::max(1, m_pDC->GetDeviceCaps(LOGPIXELSX)), py = std::max(1, m_pDC->GetDeviceCaps(LOGPIXELSY));
  const RECT rc{0, 0, ClampInt(width * m_scalerInit.m_scaleX * 1440 / px),
                ClampInt(height * m_scalerInit.m_scaleY * 1440 / py)};
  return doc.FormatRange(m_pDC->GetSafeHdc(), m_pDC->GetSafeHdc(), rc, rc, first, -1, FALSE);
}
