#include "sym/dialogs/symdlgfrmtobjt.h"

#include <optional>
#include <vector>

#include "kvrep/srepextras.h"
#include "kvrep/srepsession.h"
#include "kvrep/sreptypelib.h"
#include "sym/dialogs/symdlgbase.h"
#include "sym/dialogs/symgridwnd.h"
#include "sym/edit/symselection.h"
#include "sym/subobjects/symsubgrid.h"
#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintfhost.h"
#include "win/winctrl.h"

namespace {

// A whole decimal number (an optional sign, then digits only).
std::optional<long> ReadWhole(const SString& part) {
  const std::u16string& s = part.str();
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) negative = s[i++] == u'-';
  if (i == s.size()) return std::nullopt;
  long value = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < u'0' || s[i] > u'9') return std::nullopt;
    if (value > 100000000L) return std::nullopt;  // far beyond any size or component
    value = value * 10 + (s[i] - u'0');
  }
  return negative ? -value : value;
}

const SString& LineEnds() {
  static const SString ends(u" \t\r\n");
  return ends;
}

}  // namespace

// ---- font texts ------------------------------------------------------------------------

LONG SSymDlgFrmtObjt::StyleFromLetters(const SString& letters) {
  const int n = letters.GetLength();
  if (n == 0) return 0;
  LONG style = SSymFont::Normal;
  int next = 0;
  switch (letters.GetAt(0)) {
    case u'N': next = 1; break;
    case u'I':
      style = SSymFont::Italic;
      next = 1;
      break;
    case u'B':
      style = SSymFont::Bold;
      next = 1;
      if (n > 1 && letters.GetAt(1) == u'I') {
        style |= SSymFont::Italic;
        next = 2;
      }
      break;
    case u'U':
    case u'S': break;  // the older form: a regular font's effects alone
    default: return 0;
  }
  for (int i = next; i < n; ++i) {
    if (letters.GetAt(i) == u'U') style |= SSymFont::Underline;
    else if (letters.GetAt(i) == u'S') style |= SSymFont::StrikeOut;
    else return 0;
  }
  return style;
}

SString SSymDlgFrmtObjt::LettersFromStyle(LONG style) {
  SString letters;
  if (style & SSymFont::Bold) letters += u'B';
  if (style & SSymFont::Italic) letters += u'I';
  if (letters.IsEmpty()) letters += u'N';
  if (style & SSymFont::Underline) letters += u'U';
  if (style & SSymFont::StrikeOut) letters += u'S';
  return letters;
}

SString SSymDlgFrmtObjt::FontToString(const SSymFonts& font) {
  const SSymFont& f = font.m_font;
  const COLORREF color = font.m_color.GetColor();
  return f.GetFaceName() + "," + SString::FromInt(f.GetSize()) + "," + LettersFromStyle(f.GetStyle()) + "," +
         SString::FromInt(color & 0xFF) + "," + SString::FromInt((color >> 8) & 0xFF) + "," +
         SString::FromInt((color >> 16) & 0xFF);
}

SSymFonts* SSymDlgFrmtObjt::StringToFont(const SString& text, SSymFonts* font, const SString& defaultText) {
  if (!font || text.IsEmpty() || text == defaultText) return nullptr;
  std::vector<SString> parts;
  SStringTokenizer tok(text, SString(u","), true);
  while (tok.HasMoreTokens()) parts.push_back(tok.NextToken());
  if (parts.size() != 6) return nullptr;
  const SString blanks(u" \t");
  for (SString& p : parts) p.Trim(blanks);

  const SString& face = parts[0];
  if (face.IsEmpty() || face.GetLength() > 31) return nullptr;
  const std::optional<long> size = ReadWhole(parts[1]);
  if (!size) return nullptr;
  const LONG style = StyleFromLetters(parts[2]);
  if (style == 0) return nullptr;
  COLORREF color = 0;
  for (int i = 0; i < 3; ++i) {
    const std::optional<long> c = ReadWhole(parts[std::size_t(3 + i)]);
    if (!c || *c < 0 || *c > 255) return nullptr;
    color |= COLORREF(*c) << (8 * i);
  }
  // Every part is sound: only now does the entry change.
  font->m_font.SetFaceName(face);
  font->m_font.SetSize(*size < 1 ? 8 : *size);
  font->m_font.SetStyle(style);
  font->m_color = color;
  return font;
}

// ---- the sub-object format text ----------------------------------------------------------

HRESULT SSymDlgFrmtObjt::ReadSection(const SString& text, const SString& collection, FontMap& entries,
                                     LONG* mode) {
  if (collection.IsEmpty()) return S_FALSE;
  const SString header = collection + " ";
  // The header starts a line: neither the tail of a longer name nor a
  // piece of an entry's value counts.
  int at = -1;
  for (int from = 0; (at = text.Find(header, from)) >= 0; from = at + 1) {
    const char16_t before = at > 0 ? text.GetAt(at - 1) : u'\n';
    if (before == u'\n' || before == u'\r') break;
  }
  if (at < 0) return S_FALSE;

  const std::vector<SString> lines = SSplitLines(text.Mid(at));
  SString modeText = lines.empty() ? SString() : lines[0].Mid(header.GetLength());
  modeText.TrimRight(LineEnds());
  const std::optional<long> read = ReadWhole(modeText);
  if (!read || *read < 0 || *read > 2) return E_INVALIDARG;

  FontMap found;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    SString line = lines[i];
    line.TrimRight(LineEnds());
    if (line.IsEmpty()) break;
    if (line.GetAt(0) == u'{') {
      const int blank = line.Find(u' ');
      SString key = blank < 0 ? line : line.Left(blank);
      if (key.GetLength() < 2 || key.GetAt(key.GetLength() - 1) != u'}') return E_INVALIDARG;
      found.SetAt(key, blank < 0 ? SString() : line.Mid(blank + 1));
    } else if (line.GetAt(0) == u'#') {
      int first = 0;
      while (first < line.GetLength() && line.GetAt(first) == u'#') ++first;
      const int close = line.Find(u'#', first);
      if (close <= first) return E_INVALIDARG;
      SString value = line.Mid(close + 1);
      value.TrimLeft(LineEnds());
      found.SetAt("#" + line.Mid(first, close - first) + "#", value);
    } else {
      break;  // the next section's header
    }
  }
  for (const auto& entry : found) entries.SetAt(entry.key, entry.value);
  if (mode) *mode = *read;
  return S_OK;
}

LONG SSymDlgFrmtObjt::FindAllFont(const SString& text, const SString& collection, FontMap& entries) {
  LONG mode = -1;
  return ReadSection(text, collection, entries, &mode) == S_OK ? mode : -1;
}

// ---- the rows of the page's tabs ---------------------------------------------------------------

HRESULT SSymDlgFrmtObjt::FillTab(Tab& tab, const SString& text) {
  FontMap entries;
  LONG mode = -1;
  const HRESULT hr = ReadSection(text, tab.publicName, entries, &mode);
  if (hr != S_OK) mode = -1;
  for (Row& row : tab.rows) {
    const SString* value = row.key.IsEmpty() ? nullptr : entries.Find(row.key);
    SString font = value ? *value : SString();
    row.displayed = !(mode == 1 || (mode == 2 && !value));
    if (!font.IsEmpty() && font.GetAt(0) == u',') {
      int n = 0;
      while (n < font.GetLength() && font.GetAt(n) == u',') ++n;
      font = font.Mid(n);
      row.displayed = false;
    }
    row.font = font == tab.defaultFont ? SString() : font;
  }
  return FAILED(hr) ? hr : S_OK;
}

SString SSymDlgFrmtObjt::BuildText(const std::vector<Tab>& tabs) {
  SString text;
  for (const Tab& tab : tabs) {
    struct Kept {
      const Row* row;
      SString value;
    };
    std::vector<Kept> kept;
    std::size_t displayed = 0;
    for (const Row& row : tab.rows) {
      // A font the text form cannot hold, or the default one, is none.
      SSymFonts probe;
      const SString font = StringToFont(row.font, &probe, tab.defaultFont) ? row.font : SString();
      if (row.displayed) {
        ++displayed;
        kept.push_back({&row, font});
      } else if (!font.IsEmpty()) {
        kept.push_back({&row, "," + font});
      }
    }
    const int mode = displayed == tab.rows.size() ? 0 : displayed == 0 ? 1 : 2;
    text += tab.publicName + " " + SString::FromInt(mode) + "\n";
    for (const Kept& k : kept) {
      if (k.row->key.IsEmpty() || (mode != 2 && k.value.IsEmpty())) continue;
      text += k.row->key;
      if (!k.value.IsEmpty()) text += " " + k.value;
      text += "\n";
    }
  }
  return text;
}

// ---- the tabs of a symbol ------------------------------------------------------------------------

namespace {

using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// The text of an attribute the object has; empty otherwise.
SString TextAttr(ISRepObject* obj, LONG id) {
  SRepVariant value;
  if (!obj || obj->HasAttribute(id) != S_OK || obj->GetAttribute(id, &value) != S_OK) return SString();
  return value.GetType() == SRepVT_TEXT || value.GetType() == SRepVT_STRING ? value.GetTEXT() : SString();
}

// A boolean attribute the object has and that is false.
bool FalseAttr(ISRepObject* obj, LONG id) {
  SRepVariant value;
  return obj->HasAttribute(id) == S_OK && obj->GetAttribute(id, &value) == S_OK && value.GetType() == SRepVT_BOOL &&
         !value.GetBOOL();
}

SString HexId(LONG id) {
  static const char16_t digits[] = u"0123456789ABCDEF";
  SString text;
  for (int shift = 28; shift >= 0; shift -= 4) text += digits[(DWORD(id) >> shift) & 0xF];
  return text;
}

// The key of a sub-object in the text: its name attribute when that has the
// form "#name#"; empty (never written) otherwise.
SString KeyOf(ISRepObject* obj) {
  const SString key = TextAttr(obj, SSymDlgFrmtObjt::KeyAttr);
  const int n = key.GetLength();
  if (n < 3 || key.GetAt(0) != u'#' || key.GetAt(n - 1) != u'#' || key.Mid(1, n - 2).Find(u'#') >= 0) return SString();
  return key;
}

}  // namespace

void SSymDlgFrmtObjt::CollectTabs(ISSymbol* symbol, std::vector<Tab>& tabs, std::vector<SSymSubGrid*>* grids) {
  tabs.clear();
  if (grids) grids->clear();
  SComWrap<ISSymSubSym> subs(symbol);
  if (subs.IsNull()) return;
  STable<SSymSubsFonts*> list;
  subs->GetSubSymList(list, 1);
  for (int i = 0; i < list.GetCount(); ++i) {
    auto* grid = dynamic_cast<SSymSubGrid*>(list.GetAt(i));
    SSymSubGridRowFactory* factory = grid ? grid->GetSubGridRowFactory() : nullptr;
    ISRepObject* owner = factory ? factory->GetRepObject() : nullptr;
    if (!owner) continue;
    Tab tab;
    const CLSID ownerClass = SRepGetExtClsid(owner);
    tab.title = SRepGetCollName(ownerClass, factory->GetDISPID());
    tab.publicName = SRepGetAttrCollPublicName(ownerClass, factory->GetDISPID());
    if (tab.publicName.IsEmpty()) tab.publicName = SRepGetPublicName(factory->GetCLSID());
    // A collection the metamodels do not name is known by its id, which
    // does not change from one session to the next.
    if (tab.publicName.IsEmpty()) tab.publicName = SString(u"Collection") + HexId(factory->GetDISPID());
    if (tab.title.IsEmpty()) tab.title = SString(u"Sub-objects");
    tab.defaultFont = FontToString(*grid->GetOwnFontsEntry());
    for (int r = 0; r < factory->GetRowCount(); ++r) {
      SRepGridRow* row = factory->GetRow(r);
      ISRepObject* obj = row ? row->GetObject() : nullptr;
      if (!obj || obj->IsDeleted() || FalseAttr(obj, ListedAttr)) continue;
      SString name = TextAttr(obj, SSymSubGridAttr::DisplayName);
      if (name.IsEmpty()) name = TextAttr(obj, SSymSubGridAttr::Name);
      tab.rows.push_back({KeyOf(obj), name, SString(), true});
    }
    tabs.push_back(std::move(tab));
    if (grids) grids->push_back(grid);
  }
}

// ---- the page ------------------------------------------------------------------------------------

namespace {

const SString& TrueText() {
  static const SString t(u"TRUE");
  return t;
}
const SString& FalseText() {
  static const SString t(u"FALSE");
  return t;
}

// A column of a tab's grid, knowing which of the three it is.
class RowsCol : public SLibGridCol {
 public:
  explicit RowsCol(unsigned long index) : m_index(index) {}
  unsigned long m_index;
};

// A row of a tab's grid over the page's record of that sub-object.
class RowsRow : public SLibGridRow {
 public:
  explicit RowsRow(SSymDlgFrmtObjt::Row* row) : m_row(row) {}
  HRESULT GetValue(const SLibGridCol* col, SString& text) const override {
    const auto* c = dynamic_cast<const RowsCol*>(col);
    if (!c) return E_INVALIDARG;
    switch (c->m_index) {
      case SSymDlgFrmtObjt::NameCol: text = m_row->name; return S_OK;
      case SSymDlgFrmtObjt::FontCol: text = m_row->font; return S_OK;
      case SSymDlgFrmtObjt::DisplayCol: text = m_row->displayed ? TrueText() : FalseText(); return S_OK;
      default: return E_INVALIDARG;
    }
  }
  HRESULT SetValue(const SLibGridCol* col, const SString& text) override {
    const auto* c = dynamic_cast<const RowsCol*>(col);
    if (!c) return E_INVALIDARG;
    switch (c->m_index) {
      case SSymDlgFrmtObjt::FontCol: m_row->font = text; return S_OK;
      case SSymDlgFrmtObjt::DisplayCol:
        if (text != TrueText() && text != FalseText()) return E_INVALIDARG;
        m_row->displayed = text == TrueText();
        return S_OK;
      default: return E_ACCESSDENIED;  // the name is read-only
    }
  }

 private:
  SSymDlgFrmtObjt::Row* m_row;
};

// The grid of one tab: a click on a display cell turns it over.
class RowsGrid : public SSymGridWnd {
 public:
  int OnGridRowColClick(unsigned long row, unsigned long col, UINT flags) override {
    if (col != SSymDlgFrmtObjt::DisplayCol) return SSymGridWnd::OnGridRowColClick(row, col, flags);
    SString text;
    if (FAILED(GetCellValue(row, col, text))) return 0;
    const SString& turned = text == TrueText() ? FalseText() : TrueText();
    if (FAILED(SetCellValue(row, col, turned, 1))) return 0;
    SetGridCellText(row, col, turned);
    return 1;
  }
};

constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;

struct Templates {
  Templates() {
    SSymRegisterPageTemplates(
        {SSymDlgFrmtObjt::TemplateId, SSymDlgFrmtObjt::TemplateId, u"Sub-Objects", nullptr, nullptr}, 262, 168,
        {
            {SSymDlgFrmtObjt::TabsId, SDlgItemKind::Tab, u"<No extended attributes defined for this object>", 7, 7,
             248, 136, kShown | WS_TABSTOP},
            {SSymDlgFrmtObjt::SelectAllId, SDlgItemKind::Button, u"Select &All", 7, 148, 60, 14, kShown | WS_TABSTOP},
            {SSymDlgFrmtObjt::UnselectAllId, SDlgItemKind::Button, u"&Unselect All", 71, 148, 60, 14,
             kShown | WS_TABSTOP},
            {SSymDlgFrmtObjt::EditFontId, SDlgItemKind::Button, u"Edit &Font...", 195, 148, 60, 14,
             kShown | WS_TABSTOP},
        });
  }
};
Templates s_templates;

}  // namespace

KV_BEGIN_MESSAGE_MAP(SSymDlgFrmtObjt, SPropertyPage)
KV_ON_BN_CLICKED(SSymDlgFrmtObjt::SelectAllId, OnSelectAll)
KV_ON_BN_CLICKED(SSymDlgFrmtObjt::UnselectAllId, OnUnselectAll)
KV_ON_COMMAND(SSymDlgFrmtObjt::SelAllTabsId, OnSelAllTabs)
KV_ON_COMMAND(SSymDlgFrmtObjt::UnselAllTabsId, OnUnSelAllTabs)
KV_ON_BN_CLICKED(SSymDlgFrmtObjt::EditFontId, OnEditFont)
KV_ON_NOTIFY(TCN_SELCHANGE, SSymDlgFrmtObjt::TabsId, OnTabChange)
KV_ON_WM_DESTROY()
KV_END_MESSAGE_MAP()

SSymDlgFrmtObjt::SSymDlgFrmtObjt(SSymSelection* selection) : SPropertyPage(TemplateId) {
  if (selection && selection->GetCount() == 1) m_pSymbol = selection->GetAt(0);
  SetHelpContext(HelpContext);
}

SSymDlgFrmtObjt::~SSymDlgFrmtObjt() {
  // The grids point into the rows: they go first.
  if (m_hWnd) DestroyWindow();
  DestroyGrids();
}

void SSymDlgFrmtObjt::DestroyGrids() {
  for (auto it = m_grids.rbegin(); it != m_grids.rend(); ++it)
    if ((*it)->m_hWnd) (*it)->DestroyWindow();
  m_grids.clear();
}

void SSymDlgFrmtObjt::OnDestroy() { DestroyGrids(); }

BOOL SSymDlgFrmtObjt::OnInitDialog() {
  m_tabs.clear();
  m_read.clear();
  m_model = static_cast<ISRepObject*>(nullptr);
  m_bEdited = false;
  m_edited = SString();
  m_nDamaged = 0;
  SComWrap<ISSymObject> shown(m_pSymbol);
  if (!shown.IsNull()) {
    SComOut<ISRepObject> model;
    if (shown->GetModelObject(&model) == S_OK && model) m_model = model.Get();
  }
  AttachDlgItem(TabsId, &m_tabCtrl);
  SString text;
  if (!m_model.IsNull() && !m_model->IsDeleted()) {
    CollectTabs(m_pSymbol, m_tabs, &m_subGrids);
    text = TextAttr(m_model.Get(), FormatAttr);
  }
  std::vector<bool> damaged;
  for (Tab& tab : m_tabs) {
    damaged.push_back(FAILED(FillTab(tab, text)));
    if (damaged.back()) ++m_nDamaged;
  }
  m_read = m_tabs;

  RECT area{};
  m_tabCtrl.GetClientRect(&area);
  const int width = area.right - area.left - 8;
  for (std::size_t t = 0; t < m_tabs.size(); ++t) {
    m_tabCtrl.InsertItem(int(t), m_tabs[t].title.c_str());
    auto grid = std::make_unique<RowsGrid>();
    const RECT place{4, 24, area.right - 4, area.bottom - 4};
    if (!grid->CreateEx(0, nullptr, nullptr, WS_CHILD | (t == 0 ? WS_VISIBLE : 0), place, &m_tabCtrl, int(t + 1)))
      break;
    grid->SetSymGrid(m_subGrids[t]);
    auto* cols = new SLibGridColFactory(grid.get());
    grid->SetColFactory(cols);
    const char16_t* titles[ColCount] = {u"Name", u"Specific Font", u"D"};
    const int widths[ColCount] = {width * 35 / 100, width * 50 / 100, width - width * 35 / 100 - width * 50 / 100};
    for (unsigned long c = 0; c < ColCount; ++c) {
      SGridColConf conf;
      conf.m_nIndex = LONG(c);
      conf.m_nWidth = widths[c];
      conf.m_sTitle = SString(titles[c]);
      cols->AddCol(std::make_unique<RowsCol>(c), conf);
      grid->SetColWidth(c, widths[c]);
    }
    auto* rows = new SLibGridRowFactory(grid.get());
    grid->SetRowFactory(rows);
    for (Row& row : m_tabs[t].rows) rows->AddRow(-1, std::make_unique<RowsRow>(&row));
    if (damaged[t]) grid->SetWarning(SString(u"The saved display of these sub-objects cannot be read."), -1, -1);
    m_grids.push_back(std::move(grid));
    ShowRows(t);
  }
  // The current cell starts on the first row of the first tab.
  if (!m_grids.empty() && !m_tabs[0].rows.empty()) {
    const int y = SGridWndTB::ToolbarHeight + 2;
    m_grids[0]->SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(2, y));
  }
  return SPropertyPage::OnInitDialog();
}

void SSymDlgFrmtObjt::ShowRows(std::size_t tab) {
  if (tab >= m_grids.size()) return;
  SSymGridWnd& grid = *m_grids[tab];
  for (unsigned long r = 0; r < grid.GetGridRowCount(); ++r)
    for (unsigned long c = 0; c < ColCount; ++c) {
      SString text;
      grid.GetCellValue(r, c, text);
      grid.SetGridCellText(r, c, text);
    }
}

SSymGridWnd* SSymDlgFrmtObjt::ActiveGrid() const {
  const int t = m_tabCtrl.m_hWnd ? m_tabCtrl.GetCurSel() : -1;
  return t >= 0 && std::size_t(t) < m_grids.size() ? m_grids[std::size_t(t)].get() : nullptr;
}

void SSymDlgFrmtObjt::OnTabChange(NMHDR*, LRESULT* result) {
  const SSymGridWnd* active = ActiveGrid();
  for (const auto& grid : m_grids) grid->ShowWindow(grid.get() == active ? SW_SHOW : SW_HIDE);
  if (result) *result = 0;
}

void SSymDlgFrmtObjt::SetDisplayed(bool displayed, bool allTabs) {
  const SSymGridWnd* active = ActiveGrid();
  for (std::size_t t = 0; t < m_grids.size(); ++t) {
    SSymGridWnd& grid = *m_grids[t];
    if (!allTabs && &grid != active) continue;
    for (unsigned long r = 0; r < grid.GetGridRowCount(); ++r)
      grid.SetCellValue(r, DisplayCol, displayed ? TrueText() : FalseText(), 1);
    ShowRows(t);
  }
}

void SSymDlgFrmtObjt::OnEditFont() {
  SSymGridWnd* grid = ActiveGrid();
  if (!grid || grid->GetEditRow() == SGridWndTB::NoRow) return;
  const unsigned long row = grid->GetEditRow();
  const std::size_t t = std::size_t(m_tabCtrl.GetCurSel());
  SString text;
  if (FAILED(grid->GetCellValue(row, FontCol, text))) return;
  if (text.IsEmpty()) text = m_tabs[t].defaultFont;
  if (!SSymGridWnd::EditFont(text, this)) return;
  if (SUCCEEDED(grid->SetCellValue(row, FontCol, text, 1))) grid->SetGridCellText(row, FontCol, text);
}

BOOL SSymDlgFrmtObjt::OnKillActive() {
  if (SSymGridWnd* grid = ActiveGrid()) {
    unsigned long row = grid->GetEditRow(), col = FontCol;
    if (row != SGridWndTB::NoRow && !grid->OnValidateRow(row, col)) return FALSE;
  }
  return SPropertyPage::OnKillActive();
}

BOOL SSymDlgFrmtObjt::OnApply() {
  // Rows as they were read build no text: an unchanged page (or one over a
  // text it could not read) leaves the attribute as it is.
  if (m_pSymbol && !m_model.IsNull() && m_tabs != m_read) {
    m_edited = BuildText(m_tabs);
    m_bEdited = true;
  }
  return SPropertyPage::OnApply();
}

HRESULT SSymDlgFrmtObjt::WriteAttribute() {
  if (!m_pSymbol || m_model.IsNull() || !m_bEdited) return S_FALSE;
  if (m_model->IsDeleted()) return CO_E_OBJNOTCONNECTED;
  if (m_model->HasAttribute(FormatAttr) != S_OK) return S_FALSE;
  if (TextAttr(m_model.Get(), FormatAttr) == m_edited) return S_FALSE;
  // The text and the symbol's new fit are one step.
  SRepCreateContext step(m_model.Get(), 0, 1, 0);
  const HRESULT hr = m_model->SetAttribute(FormatAttr, SRepVariant::Text(m_edited));
  if (FAILED(hr)) return hr;
  SComWrap<ISSymAdjust> adjust(m_pSymbol);
  if (!adjust.IsNull() && adjust->IsAdjusted()) adjust->AutoAdjustText(1, 0);
  // What is written is the text read from now on.
  m_read = m_tabs;
  m_bEdited = false;
  return S_OK;
}
