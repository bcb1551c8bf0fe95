#include "sym/subobjects/symsubgrid.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "kvcore/sdc.h"
#include "kvcore/sexception.h"
#include "kvrep/srepregistry.h"
#include "sym/render/symcanv.h"
#include "sym/symbol/symintfdisppref.h"
#include "sym/symbol/symintfeditor.h"
#include "sym/symbol/symintfselection.h"
#include "sym/symbol/symintfview.h"
#include "sym/symbol/symintfowner.h"

KV_IMPLEMENT_CLASSINFO(SSymSubGrid, SObject);

namespace {

// Normalised: x1 <= x2 and y2 <= y1 (y grows upward).
bool IsNormalised(const SSymRect& r) { return r.x1 <= r.x2 && r.y2 <= r.y1; }

// A canvas draws on a printer when its context carries the printer mark; a
// canvas without a context does not.
bool IsPrinting(SSymCanvas& canvas) {
  SDC* dc = canvas.GetCanvasDC();
  return dc && dc->m_nFlag == 1;
}

// The diagram's wrapping preferences; false when the grid's symbol has none.
bool DiagramWrap(ISSymbol* owner, SPrefDataWrap& wrap) {
  if (!owner) return false;
  SComOut<ISSymDiagram> diagram;
  if (FAILED(owner->GetDiagram(&diagram)) || !diagram) return false;
  ISSymDispPref* pref = SSymGetDispPrefPtr(diagram.Get());
  if (!pref) return false;
  wrap = pref->GetDataWrap();
  return true;
}

int LineCount(const SString& text) { return std::max(1, static_cast<int>(SSplitLines(text).size())); }

}  // namespace

SSymSubGrid::SSymSubGrid() = default;

SSymSubGrid::SSymSubGrid(const SSymRect& rect) : SSymSubsFonts(rect) {}

SSymSubGrid::~SSymSubGrid() {
  if (SLibGridRowFactory* rows = GetRowFactory()) rows->Terminate();
  if (SLibGridColFactory* cols = GetColFactory()) cols->Terminate();
  m_lstRowFonts.RemoveAll();
}

void* SSymSubGrid::QueryFamily(REFIID iid) { return SSymSubsFonts::QueryFamily(iid); }

SSymSubGridRowFactory* SSymSubGrid::GetSubGridRowFactory() const {
  return dynamic_cast<SSymSubGridRowFactory*>(GetRowFactory());
}

SSymSubGridColFactory* SSymSubGrid::GetSubGridColFactory() const {
  return dynamic_cast<SSymSubGridColFactory*>(GetColFactory());
}

SSymSubGridCol* SSymSubGrid::GetNameColumn(unsigned long* index) const {
  const unsigned long n = GetColCount();
  for (unsigned long i = 0; i < n; ++i) {
    auto* col = dynamic_cast<SSymSubGridCol*>(GetGridCol(i));
    if (col && col->IsNameColumn()) {
      if (index) *index = i;
      return col;
    }
  }
  if (index) *index = 0;
  return dynamic_cast<SSymSubGridCol*>(GetGridCol(0));
}

int SSymSubGrid::TextHeight(SSymCanvas& canvas, const SSymFont& font) {
  return std::abs(canvas.GetTextHeight(SString(u"a"), font));
}

int SSymSubGrid::GetVisibleRowCount() const {
  int n = 0;
  for (unsigned long i = 0, count = GetRowCount(); i < count; ++i) {
    auto* row = dynamic_cast<SSymSubGridRow*>(GetGridRow(i));
    if (row && row->m_bVisible) ++n;
  }
  return n;
}

void SSymSubGrid::InitializeSubSym() {
  SSymSubGridRowFactory* rows = GetSubGridRowFactory();
  if (rows && rows->GetRepObject()) SSymSubsFonts::InitializeSubSym();
}

// ---- drawing -----------------------------------------------------------------------------------
HRESULT SSymSubGrid::Draw(SSymCanvas& canvas) {
  if (m_flags & (SUBS_HIDDEN | SUBS_DRAWING)) return 1;
  m_flags |= SUBS_DRAWING;
  struct Clear {
    DWORD& flags;
    ~Clear() { flags &= ~SUBS_DRAWING; }
  } clear{m_flags};
  if (!IsInitialized()) InitializeSubSym();
  return DrawOrAdjust(canvas, 0);
}

HRESULT SSymSubGrid::DrawOrAdjust(SSymCanvas& canvas, int adjust) {
  if (IsHidden()) {
    const SSymPoint c = m_rect.GetCenter();
    m_rect = SSymRect(c.x, c.y, c.x, c.y);
    return 1;
  }
  // Too small to read on a screen; a printed page shows it all the same.
  if (!adjust && canvas.GetZoom() <= MinimumZoom && !IsPrinting(canvas)) return 1;
  SSymSubGridRowFactory* rows = GetSubGridRowFactory();
  if (rows && !rows->HasState(SLibGridRowFactory::StateLoaded)) rows->Initialize();
  if (!adjust) {
    canvas.SetFont(m_font);
    canvas.SetFontColor(m_fontColor);
  }
  const int visible = GetVisibleRowCount();
  if (m_nDisplayMode != ModeCollapsed && visible != 0) return DrawOrAdjustGrid(canvas, adjust);
  return DrawOrAdjustBox(canvas, adjust, visible);
}

HRESULT SSymSubGrid::DrawOrAdjustBox(SSymCanvas& canvas, int adjust, int visible) {
  const LONG h = TextHeight(canvas, m_font);
  LONG height = h;
  if (visible != 0) {
    if (m_nCollapsedHeight > 0) {
      height = m_nCollapsedHeight;
    } else if (m_nCollapsedHeight < 0 && m_pGroup) {
      const long long group = m_pGroup->GetClipRect(0, 0).Height();
      height = static_cast<LONG>(-static_cast<long long>(m_nCollapsedHeight) * group / 100);
    }
    // A percentage without a group to take it of: one text line.
  }
  SSymRect box = m_rect;
  box.y2 = box.y1 - height;
  box.x2 = box.x1 + CollapsedWidth;
  if (!adjust && visible != 0) canvas.DrawText(box, SString(u" ..."), CellTextStyle);
  SetClipRect(box);
  return 0;
}

HRESULT SSymSubGrid::DrawOrAdjustGrid(SSymCanvas& canvas, int adjust) {
  SSymRect r = m_rect;
  const unsigned long nCols = GetColCount();
  if (nCols == 0) return 1;
  const int h = TextHeight(canvas, m_font);
  r.x1 += LeftMargin;
  LONG advance = LeftMargin;
  if (m_pIcon) {
    const LONG iconWidth = static_cast<LONG>(IconWidthFactor * h);
    r.x1 += iconWidth + IconSpacing;
    advance = LeftMargin + IconSpacing + iconWidth;
  }
  unsigned long nameIndex = 0;
  SSymSubGridCol* nameCol = GetNameColumn(&nameIndex);
  if (!nameCol) return E_POINTER;
  if (!adjust) {
    ISSymbol* owner = GetParentSymbol();
    if (!owner) throw SECOMException(E_POINTER);
    SSymRect ownerRect = owner->GetClipRect(0, 0);
    ownerRect.Normalize();
    r.x2 = std::min(r.x2, ownerRect.x2 - RightInset);
  }
  auto gapOf = [nCols](unsigned long i, const SSymSubGridCol* col) {
    return i == nCols - 1 ? LastColumnGap : col->m_nGap;
  };
  // The name column lays the rows out first; when it is not the first
  // column it is only measured here and drawn at its own place below.
  const int nameAdjust = !adjust && nameIndex == 0 ? 0 : 1;
  HRESULT hr = DrawOrAdjustGridNameColumn(canvas, nameAdjust, r, h, nameCol, 1);
  if (hr >= 0 && (adjust || nameIndex == 0) && nameCol->m_nWidth > 0) {
    const LONG step = nameCol->m_nWidth + gapOf(nameIndex, nameCol);
    r.x1 += step;
    advance += step;
  }
  for (unsigned long i = nameIndex == 0 ? 1 : 0; i < nCols; ++i) {
    auto* col = dynamic_cast<SSymSubGridCol*>(GetGridCol(i));
    if (!col || (i == nameIndex && adjust)) continue;
    const HRESULT res = i == nameIndex ? DrawOrAdjustGridNameColumn(canvas, 0, r, h, col, 0)
                                       : DrawOrAdjustGridColumn(canvas, adjust, r, h, col);
    if (res >= 0 && col->m_nWidth > 0) {
      const LONG step = col->m_nWidth + gapOf(i, col);
      r.x1 += step;
      advance += step;
    }
    if (res == 1) break;
  }
  if (!adjust) {
    SSymRect iconRect = m_rect;
    iconRect.x1 += IconSpacing;
    int width = 0;
    DrawOrAdjustIconGridColumn(canvas, 0, iconRect, h, &width);
  }
  SSymSubGridRowFactory* rows = GetSubGridRowFactory();
  if (!rows) return E_FAIL;
  LONG height = rows->GetTrailingHeight();
  for (int i = 0; i < rows->GetRowCount(); ++i) {
    SSymSubGridRow* row = rows->GetSubGridRow(i);
    if (row && row->m_nLineHeight != 0) height += row->m_nLineHeight * std::max<LONG>(row->m_nLines, 1);
  }
  SSymRect grid = m_rect;
  grid.x2 = grid.x1 + static_cast<LONG>(WidthGrowth * advance);
  grid.y2 = grid.y1 - height;
  SetClipRect(grid);
  return 0;
}

HRESULT SSymSubGrid::DrawOrAdjustGridNameColumn(SSymCanvas& canvas, int adjust, SSymRect& rect, int textHeight,
                                                SSymSubGridCol* col, int layoutRows) {
  if (!col) return E_POINTER;
  if (!adjust && !IsNormalised(rect)) return 1;
  SSymSubGridRowFactory* rows = GetSubGridRowFactory();
  if (!rows) return E_FAIL;
  const int count = rows->GetRowCount();
  if (layoutRows) {
    for (int i = 0; i < count; ++i) {
      if (SSymSubGridRow* row = rows->GetSubGridRow(i)) {
        row->m_nLineHeight = 0;
        row->m_nLines = 0;
      }
    }
  }
  SPrefDataWrap wrap;
  const bool wrapping = count > 0 && col->IsNameColumn() && DiagramWrap(GetParentSymbol(), wrap);

  const SSymFont gridFont = m_font;
  const SSymColor gridColor = m_fontColor;
  SSymRect work = rect;
  int shown = 0, filtered = 0, stopAt = -1;
  enum { None, Limit, Room } stop = None;
  LONG widest = 0;
  for (int i = 0; i < count; ++i) {
    SSymSubGridRow* row = rows->GetSubGridRow(i);
    if (!row || !row->GetObject()) continue;
    if (IsFilterEnabled() && !rows->ObjectMatchFilter(row->GetObject())) {
      ++filtered;
      continue;
    }
    if (!row->m_bVisible || !row->m_bDisplayed) continue;
    ++shown;
    if (m_nDisplayMode == ModeRowLimit && m_nMaxRows > 0 && shown == m_nMaxRows + 1) {
      stop = Limit;
      stopAt = i;
      break;
    }
    SString text;
    col->OnGetValue(row, text);
    const LONG style = row->m_nStyleBits != -1 ? (row->m_nStyleBits | gridFont.m_style) : -1;
    LONG lines = 1;
    if (!text.IsEmpty() && wrapping) {
      const SString wrapped = WrapText(text, &wrap);
      if (wrapped != text) {
        text = wrapped;
        if (wrap.m_nWrapMode == SPrefDataWrap::Wrap) lines = LineCount(text);
      }
    }
    // The row's style is carried by the grid font while the row is measured.
    if (style != -1 && style != gridFont.m_style) {
      m_font.m_style = style;
      canvas.SetFont(m_font);
    }
    SSymFonts* entry = row->m_pFonts;
    if (!entry && rows->GetDefaultFonts() && row->m_bSpecificFont) {
      rows->ChangeRowStyle(0, row);
      entry = rows->GetSpecificRowFonts(row);
    }
    LONG width = 0, lineHeight = textHeight;
    if (entry) {
      canvas.SetFont(entry->m_font);
      canvas.SetFontColor(entry->m_color);
      width = canvas.GetTextExtent(text, entry->m_font).cx;
      lineHeight = TextHeight(canvas, entry->m_font);
    } else {
      canvas.SetFont(gridFont);
      canvas.SetFontColor(gridColor);
      width = canvas.GetTextExtent(text, m_font).cx;
    }
    if (!adjust) canvas.DrawText(work, text, static_cast<int>(GetTextStyle(col)));
    widest = std::max(widest, width);
    if (!adjust) {
      work.y1 -= lines * lineHeight;
      if (work.y1 < work.y2) {
        stop = Room;
        stopAt = i;
      }
    }
    if (row->m_bSpecificFont) {
      canvas.SetFont(gridFont);
      canvas.SetFontColor(gridColor);
    }
    m_font.m_style = gridFont.m_style;
    if (layoutRows) {
      row->m_nStyle = style;
      row->m_nLines = lines;
      row->m_nLineHeight = lineHeight;
    }
    if (stop == Room) break;
  }
  if (layoutRows) rows->SetTrailingHeight(0);
  auto drawDots = [&]() {
    if (adjust) return;
    canvas.SetFont(gridFont);
    canvas.SetFontColor(gridColor);
    canvas.DrawText(work, SString(u"..."), static_cast<int>(GetTextStyle(col)));
  };
  if (stop == None) {
    // Rows left out other than by the filter are told by a "..." line.
    if (shown + filtered < static_cast<int>(GetRowCount())) {
      drawDots();
      rows->SetTrailingHeight(textHeight);
    }
  } else if (stop == Limit) {
    drawDots();
    if (layoutRows) {
      SSymSubGridRow* row = rows->GetSubGridRow(stopAt);
      row->m_nStyle = -1;
      row->m_nLines = 0;
      row->m_nLineHeight = textHeight;
    }
  }
  if (stop != None) {
    for (int i = stopAt + 1; i < count; ++i) {
      if (SSymSubGridRow* row = rows->GetSubGridRow(i)) {
        row->m_nLineHeight = 0;
        row->m_nLines = 0;
      }
    }
  }
  m_font = gridFont;
  col->m_nWidth = widest;
  return 0;
}

HRESULT SSymSubGrid::DrawOrAdjustGridColumn(SSymCanvas& canvas, int adjust, SSymRect& rect, int textHeight,
                                            SSymSubGridCol* col) {
  if (!col) return E_POINTER;
  if (!adjust && !IsNormalised(rect)) return 1;
  SSymSubGridRowFactory* rows = GetSubGridRowFactory();
  if (!rows) return E_FAIL;
  const LONG attr = col->GetAttrId();
  SSymPen savedPen;
  canvas.GetPen(savedPen);
  bool picture = false;
  if (attr != 0) {
    if (SRepRegistry* reg = SRepRegistry::Find(rows->GetCLSID())) {
      const SRepAttrDef* def = reg->GetClassDef()->GetAttribute(attr);
      picture = def && def->type == SRepVT_PTLIST;
    }
  }
  if (picture) canvas.SetPen(SSymPen(SSymPen::Solid, 0, m_fontColor));

  const SSymFont gridFont = m_font;
  const SSymColor gridColor = m_fontColor;
  const LONG bottom = rect.y2;
  LONG top = rect.y1, workBottom = bottom;
  LONG widest = 0;
  for (int i = 0; i < rows->GetRowCount(); ++i) {
    SSymSubGridRow* row = rows->GetSubGridRow(i);
    if (!row || row->m_nLineHeight == 0) continue;
    const bool dots = row->m_nLines == 0;
    ISRepObject* obj = dots ? nullptr : row->GetObject();
    SString text;
    if (dots) {
      if (widest > 0) text = SString(u"...");
    } else {
      if (!obj) continue;
      if (IsFilterEnabled() && !rows->ObjectMatchFilter(obj)) continue;
      if (!row->m_bVisible || !row->m_bDisplayed) continue;
      if (picture) text = SString(u"   ");
      else col->OnGetValue(row, text);
    }
    const LONG style = row->m_nStyle;
    if (style != -1 && style != gridFont.m_style) {
      m_font.m_style = style;
      canvas.SetFont(m_font);
    }
    SSymFonts* entry = dots ? nullptr : row->m_pFonts;
    if (!dots && !entry && rows->GetDefaultFonts() && row->m_bSpecificFont) {
      rows->ChangeRowStyle(0, row);
      entry = rows->GetSpecificRowFonts(row);
    }
    LONG width = 0;
    if (entry) {
      canvas.SetFont(entry->m_font);
      canvas.SetFontColor(entry->m_color);
      width = canvas.GetTextExtent(text, entry->m_font).cx;
    } else {
      canvas.SetFont(gridFont);
      canvas.SetFontColor(gridColor);
      width = canvas.GetTextExtent(text, m_font).cx;
    }
    const LONG end = top - row->m_nLineHeight * std::max<LONG>(row->m_nLines, 1);
    SSymRect cell(rect.x1, top, rect.x2, end);
    // A row that runs well past the bottom is cut there.
    if (end <= workBottom - BottomTolerance) cell.y2 = workBottom;
    if (!adjust) {
      if (!picture) {
        canvas.DrawText(cell, text, static_cast<int>(GetTextStyle(col)));
      } else if (obj && cell.Height() >= textHeight) {
        SRepVariant value;
        if (obj->GetAttribute(attr, &value) == S_OK && value.GetType() == SRepVT_PTLIST) {
          SSymListPt pts;
          for (const SRep_Point& p : value.GetPLst().pts) pts.Add(SSymPoint(p.x, p.y));
          DrawIcon(canvas, cell, &pts);
        }
      }
    }
    widest = std::max(widest, width);
    m_font.m_style = gridFont.m_style;
    if (!dots && row->m_bSpecificFont) {
      canvas.SetFont(gridFont);
      canvas.SetFontColor(gridColor);
    }
    if (!adjust) {
      top = end;
      workBottom = bottom - BottomTolerance;
      if (end < bottom - BottomTolerance) break;
    }
  }
  m_font = gridFont;
  col->m_nWidth = widest;
  if (picture) canvas.SetPen(savedPen);
  return 0;
}

HRESULT SSymSubGrid::DrawOrAdjustIconGridColumn(SSymCanvas& canvas, int adjust, SSymRect& rect, int textHeight,
                                                int* width) {
  if (!m_pIcon) return 1;
  if (adjust) {
    if (width) *width = static_cast<int>(IconWidthFactor * textHeight);
    return 0;
  }
  if (rect.Width() < textHeight) return 1;
  if (width) *width = textHeight;
  SSymSubGridRowFactory* rows = GetSubGridRowFactory();
  if (!rows) return E_FAIL;
  SSymPen savedPen;
  canvas.GetPen(savedPen);
  canvas.SetPen(SSymPen(SSymPen::Solid, 0, m_fontColor));
  LONG top = rect.y1;
  for (int i = 0; i < rows->GetRowCount(); ++i) {
    SSymSubGridRow* row = rows->GetSubGridRow(i);
    if (!row) continue;
    SSymRect cell(rect.x1, top, rect.x1 + textHeight, top - row->m_nLineHeight);
    if (cell.y2 < rect.y2 - IconOverrun) break;
    DrawIcon(canvas, cell, m_pIcon);
    top -= row->m_nLineHeight * std::max<LONG>(row->m_nLines, 1);
    if (top < rect.y2) break;
  }
  canvas.SetPen(savedPen);
  return 0;
}

HRESULT SSymSubGrid::DrawIcon(SSymCanvas& canvas, SSymRect& cell, const SSymListPt* icon) {
  if (!icon || icon->GetCount() == 0) return 1;
  const LONG s = TextHeight(canvas, m_font);
  const LONG c = cell.Height();
  const LONG size = std::min(s, c);
  const double k = size / 100.0;
  if (canvas.GetZoom() * k < IconMinimumScaledSize) return 0;
  const LONG left = std::min(cell.x1, cell.x2);
  const LONG bottom = std::min(cell.y1, cell.y2);
  // Rounded half away from zero, as lround does.
  const LONG x0 = static_cast<LONG>(std::lround(left + 10 * k));
  LONG y0 = static_cast<LONG>(std::lround(bottom + 10 * k));
  if (size < c) y0 += (c - size) / 2;
  const float f = static_cast<float>(k * 0.8);
  SSymListPt stroke;
  auto flush = [&]() {
    if (stroke.GetCount() > 0) canvas.Polyline(stroke, 0);
    stroke = SSymListPt();
  };
  for (const SSymPoint& p : *icon) {
    if (p.x == -1 && p.y == -1) {
      flush();
      continue;
    }
    const LONG px = std::clamp<LONG>(p.x, 0, 100);
    const LONG py = std::clamp<LONG>(p.y, 0, 100);
    stroke.Add(SSymPoint(static_cast<LONG>(px * f) + x0, static_cast<LONG>(py * f) + y0));
  }
  flush();
  return 0;
}

// ---- hit testing -------------------------------------------------------------------------------
ISRepObject* SSymSubGrid::GetSubObjWithPt(const SSymCanvas&, SSymPoint& pt, SSymSelSubSymData& data) {
  if (GetColCount() == 0) return nullptr;
  const SSymRect r = m_rect;
  ISSymbol* owner = GetParentSymbol();
  if (!owner) return nullptr;
  SSymRect ownerRect = owner->GetClipRect(0, 0);
  ownerRect.Normalize();
  const SSymRect hit(ownerRect.x1, r.y1, ownerRect.x2, r.y2);
  if (pt.x < hit.x1 || pt.x > hit.x2 || pt.y > hit.y1 || pt.y < hit.y2) return nullptr;
  SSymSubGridRowFactory* rows = GetSubGridRowFactory();
  if (!rows || rows->GetRowCount() == 0) {
    data.m_pSubGrid = this;
    data.m_rect = hit;
    return nullptr;
  }
  if (!GetNameColumn(nullptr)) return nullptr;
  LONG top = r.y1;
  for (int i = 0; i < rows->GetRowCount(); ++i) {
    SSymSubGridRow* row = rows->GetSubGridRow(i);
    if (!row) continue;
    const LONG bottom = top - row->m_nLineHeight * row->m_nLines;
    // A band holds its top edge, not its bottom: a point on the boundary
    // belongs to the lower row.
    if (top > bottom && top >= pt.y && pt.y > bottom) {
      data.m_pSubGrid = this;
      data.m_pRow = row;
      data.m_rect = SSymRect(hit.x1, top, hit.x2, bottom);
      return row->GetObject();
    }
    top = bottom;
  }
  return nullptr;
}

ISRepObject* SSymSubGrid::GetNeighbourRowObject(int direction, ISRepObject* obj, SSymSelSubSymData& data) {
  struct Band {
    SSymSubGridRow* row;
    LONG top, bottom;
  };
  std::vector<Band> bands;
  SSymSubGridRowFactory* rows = GetSubGridRowFactory();
  LONG top = m_rect.y1;
  for (int i = 0; rows && i < rows->GetRowCount(); ++i) {
    SSymSubGridRow* row = rows->GetSubGridRow(i);
    if (!row) continue;
    const LONG bottom = top - row->m_nLineHeight * row->m_nLines;
    if (row->m_nLines > 0 && row->GetObject()) bands.push_back({row, top, bottom});
    top = bottom;
  }
  SSymRect extent = m_rect;
  if (ISSymbol* owner = GetParentSymbol()) {
    extent = owner->GetClipRect(0, 0);
    extent.Normalize();
  }
  int at = -1;
  for (int i = 0; obj && i < static_cast<int>(bands.size()); ++i)
    if (bands[static_cast<std::size_t>(i)].row->GetObject() == obj) at = i;
  const int n = static_cast<int>(bands.size());
  int pick = -1;
  if (direction == 1) pick = !obj || at < 0 ? n - 1 : at - 1;
  else if (direction == -1) pick = !obj ? 0 : (at < 0 ? -1 : at + 1);
  if (pick < 0 || pick >= n) {
    if (n == 0 && !obj) data.m_pSubGrid = this;
    return nullptr;
  }
  const Band& b = bands[static_cast<std::size_t>(pick)];
  data.m_pSubGrid = this;
  data.m_pRow = b.row;
  data.m_rect = SSymRect(extent.x1, b.top, extent.x2, b.bottom);
  return b.row->GetObject();
}

// ---- in-place editing --------------------------------------------------------------------------
namespace {

// The text of an attribute of obj through its attribute editor, else the
// value's own text.
HRESULT AttributeText(ISRepObject* obj, LONG id, SString& text) {
  text.Empty();
  SRepRegistry* reg = SRepRegistry::FindFor(obj);
  if (SRepAttrEditor* editor = reg ? reg->GetAttrEditor(id) : nullptr) return editor->GetValueText(obj, text);
  SRepVariant value;
  const HRESULT hr = obj->GetAttribute(id, &value);
  if (FAILED(hr)) return hr;
  text = value.GetAsText();
  return S_OK;
}

}  // namespace

HRESULT SSymSubGrid::EditInPlace(SSymEditInPlaceController* controller, SSymView* view, LONG dispid) {
  try {
    ISSymInPlaceEditor* editor = controller ? SSymEditorFace(controller) : nullptr;
    ISRepObject* obj = editor ? editor->GetEditObject() : nullptr;
    if (!obj || obj->IsAttrReadOnly(dispid) == S_OK) return 1;
    SSymSubGridRowFactory* rows = GetSubGridRowFactory();
    SSymSubGridRow* row = rows ? rows->GetSubGridRow(rows->FindObjPosByRows(obj)) : nullptr;
    if (!row) return 1;
    const SSymFont font = row->m_pFonts ? row->m_pFonts->m_font : m_font;
    if (obj->HasAttribute(dispid) != S_OK) return 1;
    SString text;
    const HRESULT hr = AttributeText(obj, dispid, text);
    if (FAILED(hr)) return hr;
    if (text.IsEmpty()) return 1;
    // The selected row mark is the text the editor works for.
    ISSymSelection* selection = SSymGetActiveSelection();
    if (!selection || selection->GetView() != view || selection->GetCount() == 0) return E_FAIL;
    SComOut<ISSymText> target;
    ISSymbol* first = selection->GetAt(0);
    if (!first || FAILED(first->QueryInterface(IID_ISSymText, reinterpret_cast<void**>(&target))) || !target)
      return E_FAIL;
    // The cell of the column that shows the attribute.
    SSymRect cell = editor->GetEditRect();
    LONG offset = 0;
    for (unsigned long i = 0, n = GetColCount(); i < n; ++i) {
      auto* col = dynamic_cast<SSymSubGridCol*>(GetGridCol(i));
      if (!col) continue;
      if (col->GetAttrId() == dispid) {
        cell.x1 = editor->GetEditRect().x1 + offset;
        cell.x2 = cell.x1 + col->m_nWidth;
        break;
      }
      offset += col->m_nWidth + col->m_nGap;
    }
    {
      SSymLockViewCanvas lock(view);
      cell.SetHeight(std::abs(lock.GetCanvas()->GetTextHeight(SString(u"A"), font)) + EditCellExtraHeight);
    }
    // A display name is edited as the session shows it: Name or Code.
    LONG attr = dispid;
    if (dispid == SSymSubGridAttr::DisplayName) {
      SComOut<ISRepSession> session;
      if (obj->GetSession(&session) == S_OK && session)
        attr = (session->GetOptions() & SRepOpt_NameDisplay) ? SSymSubGridAttr::Name : SSymSubGridAttr::Code;
    }
    if (editor->CreateAttrCtrl(obj, attr, view, font, cell, SSymSize()) == 1) return 1;
    return editor->Execute(0) >= 0 ? 0 : E_FAIL;
  } catch (...) {
    return E_FAIL;
  }
}

HRESULT SSymSubGrid::IsEditableInPlace(SSymEditInPlaceController* controller, SSymView*, LONG dispid) {
  ISSymInPlaceEditor* editor = controller ? SSymEditorFace(controller) : nullptr;
  ISRepObject* obj = editor ? editor->GetEditObject() : nullptr;
  if (!obj || obj->IsAttrReadOnly(dispid) == S_OK || obj->HasAttribute(dispid) != S_OK) return 1;
  SString text;
  const HRESULT hr = AttributeText(obj, dispid, text);
  if (FAILED(hr)) return hr;
  return text.IsEmpty() ? 1 : 0;
}

// ---- fonts -------------------------------------------------------------------------------------
const SSymFonts* SSymSubGrid::_GetRowFonts(const SString& name) const {
  const SSymFonts* entry = m_lstRowFonts.Find(name);
  return entry ? entry : &m_fonts;
}

int SSymSubGrid::_GetRowFontsEx(const SString& name, SSymFonts* out) const {
  const SSymFonts* entry = m_lstRowFonts.Find(name);
  if (!entry) return 0;
  if (out) *out = *entry;
  return 1;
}

int SSymSubGrid::_SetRowFonts(const SString& name, const SSymFonts& fonts) {
  if (fonts.m_name != name) return 0;
  SSymFonts* entry = m_lstRowFonts.Find(name);
  if (!entry) return 0;
  entry->m_font = fonts.m_font;
  entry->m_color = fonts.m_color;
  entry->m_label = fonts.m_label;
  entry->m_extra = fonts.m_extra;
  return 1;
}

int SSymSubGrid::_CopyRowFonts(const SString& name, const SSymFonts& fonts) {
  SSymFonts* entry = m_lstRowFonts.Find(name);
  if (!entry) return 0;
  entry->Copy(fonts);
  return 1;
}

int SSymSubGrid::_AddRowFonts(const SString& name, const SSymFonts& fonts) {
  if (fonts.m_name != name) return 0;
  if (SSymFonts* entry = m_lstRowFonts.Find(name)) *entry = fonts;
  else m_lstRowFonts.Add(fonts);
  return 1;
}

int SSymSubGrid::GetFont(const SString& name, SSymFonts* out) {
  const SSymFonts* entry = _GetRowFonts(name);
  if (entry->m_name != name) return 0;
  if (out) *out = *entry;
  return 1;
}

int SSymSubGrid::SetFont(const SString& name, const SSymFonts& fonts, int redraw) {
  if (SSymSubsFonts::SetFont(name, fonts, redraw)) return 1;
  return _SetRowFonts(name, fonts);
}

int SSymSubGrid::CopyFont(const SString& name, const SSymFonts& fonts, int redraw) {
  if (SSymSubsFonts::CopyFont(name, fonts, redraw)) return 1;
  return _CopyRowFonts(name, fonts);
}

int SSymSubGrid::SetFontsColor(SSymColor color) {
  // The grid's own entry is reached through the rows' default; without a
  // row factory there is none to colour.
  SSymSubGridRowFactory* rows = GetSubGridRowFactory();
  SSymFonts* entry = rows ? rows->GetDefaultFonts() : nullptr;
  if (!entry) return 0;
  entry->m_color = color;
  return 1;
}

void SSymSubGrid::AddFonts(SSymLstFonts* list) const {
  if (!list) return;
  SSymSubsFonts::AddFonts(list);
  for (const SSymFonts& e : m_lstRowFonts) list->Add(e);
}

void SSymSubGrid::SetSubObjFont(ISRepObject* obj, SSymFonts* fonts) {
  SSymSubGridRowFactory* rows = GetSubGridRowFactory();
  SSymSubGridRow* row = rows ? rows->GetSubGridRow(rows->FindObjPosByRows(obj)) : nullptr;
  if (!row) return;
  if (fonts) {
    row->m_fonts = *fonts;
    row->m_pFonts = &row->m_fonts;
  } else {
    row->m_pFonts = nullptr;
  }
  row->m_bDisplayed = 1;
}

void SSymSubGrid::SetSubObjDisp(ISRepObject* obj, int displayed) {
  SSymSubGridRowFactory* rows = GetSubGridRowFactory();
  SSymSubGridRow* row = rows ? rows->GetSubGridRow(rows->FindObjPosByRows(obj)) : nullptr;
  if (row) row->m_bDisplayed = displayed;
}

// ---- grid hooks --------------------------------------------------------------------------------
void SSymSubGrid::Redraw() { SSymSubs::Redraw(nullptr); }

void SSymSubGrid::OnAddRow(unsigned long, SLibGridRow*) {
  // Rows that arrive while the factory loads are measured by the first
  // drawing; a row added later re-measures the columns and resizes.
  SSymSubGridRowFactory* rows = GetSubGridRowFactory();
  if (!rows || !rows->HasState(SLibGridRowFactory::StateLoaded)) return;
  rows->OnChange(nullptr, 0);
  if (ISSymSubSink* sink = GetParent()) sink->OnSubSymResize(nullptr, 0);
}
