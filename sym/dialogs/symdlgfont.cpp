#include "sym/dialogs/symdlgfont.h"

#include <iterator>
#include <utility>

#include "kvcore/smodulestate.h"
#include "sym/dialogs/symcolorwell.h"
#include "sym/foundation/sdsym.h"
#include "sym/foundation/symstrings.h"

namespace {
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
constexpr const char16_t* kStyles[] = {u"Regular", u"Italic", u"Bold", u"Bold Italic"};
constexpr const char16_t* kFaces[] = {u"Arial", u"Courier New", u"Tahoma", u"Times New Roman", u"Verdana"};
constexpr int kSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
// The largest size the page takes.
constexpr long kMaxSize = 1638;

struct Templates {
  Templates() { SSymFontPropertyPage::RegisterTemplates(); }
};
Templates s_templates;

bool Bold(LONG style) { return (style & SSymFont::Bold) != 0; }
bool Italic(LONG style) { return (style & SSymFont::Italic) != 0; }
bool Underline(LONG style) { return (style & SSymFont::Underline) != 0; }
bool StrikeOut(LONG style) { return (style & SSymFont::StrikeOut) != 0; }

// Keeps a field only while every entry agrees on it.
template <class T>
void Agree(std::optional<T>& field, const T& value) {
  if (field && !(*field == value)) field.reset();
}

int CheckOf(const std::optional<bool>& flag) { return flag ? (*flag ? BST_CHECKED : BST_UNCHECKED) : BST_INDETERMINATE; }
}  // namespace

// ---- the common font -----------------------------------------------------------------------

SSymFontChoice SSymFontChoice::Common(const SSymLstFonts& fonts, const std::vector<int>& entries) {
  SSymFontChoice c;
  bool first = true;
  for (int i : entries) {
    if (i < 0 || i >= fonts.GetCount()) continue;
    const SSymFonts& e = fonts.GetAt(i);
    const LONG style = e.m_font.GetStyle();
    if (first) {
      c.face = e.m_font.GetFaceName();
      c.size = e.m_font.GetSize();
      c.bold = Bold(style);
      c.italic = Italic(style);
      c.underline = Underline(style);
      c.strikeOut = StrikeOut(style);
      c.color = e.m_color.GetColor();
      first = false;
      continue;
    }
    Agree(c.face, e.m_font.GetFaceName());
    Agree(c.size, e.m_font.GetSize());
    Agree(c.bold, Bold(style));
    Agree(c.italic, Italic(style));
    Agree(c.underline, Underline(style));
    Agree(c.strikeOut, StrikeOut(style));
    Agree(c.color, e.m_color.GetColor());
  }
  return c;
}

void SSymFontChoice::StoreInto(SSymLstFonts& fonts, const std::vector<int>& entries) const {
  for (int i : entries) {
    if (i < 0 || i >= fonts.GetCount()) continue;
    SSymFonts& e = fonts.GetAt(i);
    if (face) e.m_font.SetFaceName(*face);
    if (size) e.m_font.SetSize(*size);
    LONG style = e.m_font.GetStyle();
    auto put = [&style](const std::optional<bool>& flag, LONG bit) {
      if (flag) style = *flag ? (style | bit) : (style & ~bit);
    };
    put(bold, SSymFont::Bold);
    put(italic, SSymFont::Italic);
    put(underline, SSymFont::Underline);
    put(strikeOut, SSymFont::StrikeOut);
    // Regular exactly when neither bold nor italic.
    style = (style & (SSymFont::Bold | SSymFont::Italic)) ? (style & ~LONG(SSymFont::Normal))
                                                           : (style | SSymFont::Normal);
    e.m_font.SetStyle(style);
    if (color) e.m_color = SSymColor(*color);
  }
}

// ---- the page ------------------------------------------------------------------------------------

void SSymFontPropertyPage::RegisterTemplates() {
  constexpr DWORD kCombo = kShown | WS_TABSTOP | WS_VSCROLL;
  constexpr DWORD kBox = kShown | WS_TABSTOP | BS_AUTOCHECKBOX;
  std::vector<SDlgItem> items = {
      {-1, SDlgItemKind::Static, u"Sym&bol:", 7, 4, 80, 8, kShown},
      {ListId, SDlgItemKind::ListBox, u"", 7, 14, 80, 118,
       kShown | WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_EXTENDEDSEL},
      {-1, SDlgItemKind::Static, u"&Font:", 94, 4, 80, 8, kShown},
      {FaceId, SDlgItemKind::ComboBox, u"", 94, 14, 80, 60, kCombo | CBS_DROPDOWN},
      {-1, SDlgItemKind::Static, u"Font st&yle:", 180, 4, 50, 8, kShown},
      {StyleId, SDlgItemKind::ComboBox, u"", 180, 14, 50, 60, kCombo | CBS_DROPDOWNLIST},
      {-1, SDlgItemKind::Static, u"&Size:", 236, 4, 26, 8, kShown},
      {SizeId, SDlgItemKind::ComboBox, u"", 236, 14, 26, 60, kCombo | CBS_DROPDOWN},
      {-1, SDlgItemKind::Button, u" Effects ", 94, 32, 80, 100, kShown | BS_GROUPBOX},
      {StrikeOutId, SDlgItemKind::Button, u"Stri&keout", 100, 44, 66, 10, kBox},
      {UnderlineId, SDlgItemKind::Button, u"&Underline", 100, 58, 66, 10, kBox},
      {-1, SDlgItemKind::Static, u"&Color:", 100, 72, 66, 8, kShown},
      {ColorId, SDlgItemKind::ColorWell, u"", 100, 82, 66, 44, kShown | WS_TABSTOP},
      {-1, SDlgItemKind::Button, u" Preview ", 180, 32, 82, 100, kShown | BS_GROUPBOX},
      {SampleId, SDlgItemKind::Static, SampleText, 186, 44, 70, 82, kShown | SS_CENTER},
  };
  SSymRegisterPageTemplates(
      {TemplateId, TemplateModeId, u"Font", u"&Apply font to symbols", u"Allow &users to modify symbol font"}, 269,
      138, std::move(items));
}

KV_BEGIN_MESSAGE_MAP(SSymFontPropertyPage, SSymDlgBase)
KV_ON_CONTROL(LBN_SELCHANGE, SSymFontPropertyPage::ListId, OnSelChangeFont)
KV_ON_CONTROL(CBN_SELCHANGE, SSymFontPropertyPage::FaceId, OnFontChange)
KV_ON_CONTROL(CBN_EDITCHANGE, SSymFontPropertyPage::FaceId, OnFontChange)
KV_ON_CONTROL(CBN_SELCHANGE, SSymFontPropertyPage::StyleId, OnFontChange)
KV_ON_CONTROL(CBN_SELCHANGE, SSymFontPropertyPage::SizeId, OnFontChange)
KV_ON_CONTROL(CBN_EDITCHANGE, SSymFontPropertyPage::SizeId, OnFontChange)
KV_ON_BN_CLICKED(SSymFontPropertyPage::StrikeOutId, OnStrikeOut)
KV_ON_BN_CLICKED(SSymFontPropertyPage::UnderlineId, OnUnderline)
KV_ON_NOTIFY(CWN_CLICK, SSymFontPropertyPage::ColorId, OnColor)
KV_END_MESSAGE_MAP()

SSymFontPropertyPage::SSymFontPropertyPage(SSymFormatEx* format, SSymAllowOption* allow, UINT templateId)
    : SSymDlgBase(templateId, format, allow) {
  SetHelpContext(HelpContext);
  // Entry 0 alone is selected at first.
  if (Fonts() && Fonts()->GetCount() > 0) m_selected = {0};
}

int SSymFontPropertyPage::UpdateFontList() {
  m_selected.clear();
  if (Fonts() && Fonts()->GetCount() > 0) m_selected = {0};
  if (!m_list.m_hWnd) return 1;
  m_list.ResetContent();
  if (SSymLstFonts* fonts = Fonts())
    for (int i = 0; i < fonts->GetCount(); ++i) m_list.AddString(fonts->GetAt(i).m_name.c_str());
  if (!m_selected.empty()) m_list.SetSel(0, TRUE);
  SetSymFont();
  return 1;
}

BOOL SSymFontPropertyPage::OnInitDialog() {
  m_nCategory = SSymAllowOption::FONT;
  SSymDlgBase::OnInitDialog();
  AttachDlgItem(ListId, &m_list);
  AttachDlgItem(StrikeOutId, &m_strike);
  AttachDlgItem(UnderlineId, &m_underline);
  AttachDlgItem(FaceId, &m_face);
  AttachDlgItem(StyleId, &m_style);
  AttachDlgItem(SizeId, &m_size);
  AttachDlgItem(ColorId, &m_well);
  for (const char16_t* face : kFaces) m_face.AddString(face);
  for (const char16_t* style : kStyles) m_style.AddString(style);
  for (int size : kSizes) m_size.AddString(SString::FromInt(size).c_str());
  UpdateFontList();
  if (CategoryImposed(SSymAllowOption::FONT))
    EnableItems({ListId, StrikeOutId, UnderlineId, ColorId, FaceId, StyleId, SizeId}, false);
  return FALSE;
}

void SSymFontPropertyPage::SetSymFont() {
  if (m_selected.empty() || !m_hWnd) return;
  const SSymFontChoice c = SSymFontChoice::Common(*Fonts(), m_selected);
  m_bShowing = true;
  const SString face = c.face ? *c.face : SString();
  const int line = face.IsEmpty() ? -1 : m_face.FindStringExact(-1, face.c_str());
  m_face.SetCurSel(line);
  m_face.SetText(face);
  int style = -1;
  if (c.bold && c.italic) style = (*c.bold ? StyleBold : StyleRegular) + (*c.italic ? StyleItalic : 0);
  m_style.SetCurSel(style);
  const SString size = c.size ? SString::FromInt(*c.size) : SString();
  m_size.SetCurSel(size.IsEmpty() ? -1 : m_size.FindStringExact(-1, size.c_str()));
  m_size.SetText(size);
  for (auto [box, flag] : {std::pair{&m_strike, c.strikeOut}, std::pair{&m_underline, c.underline}}) {
    // Only an undetermined box has the third state.
    box->SetButtonStyle(flag ? BS_AUTOCHECKBOX : BS_AUTO3STATE, FALSE);
    box->SetCheck(CheckOf(flag));
  }
  m_color = c.color;
  m_well.SetColor(c.color ? *c.color : COLORREF(0xFFFFFFFF));
  m_bShowing = false;
  ShowSample();
}

SSymFontChoice SSymFontPropertyPage::ReadControls() const {
  SSymFontChoice c;
  if (!m_hWnd) return c;
  SString face = m_face.GetText();
  face.Trim(SString(u" \t"));
  if (!face.IsEmpty()) c.face = face;
  const int style = m_style.GetCurSel();
  if (style >= StyleRegular && style <= StyleBoldItalic) {
    c.bold = style >= StyleBold;
    c.italic = style == StyleItalic || style == StyleBoldItalic;
  }
  SString size = m_size.GetText();
  size.Trim(SString(u" \t"));
  if (!size.IsEmpty()) {
    const long value = size.ToLONG();
    if (value >= 1 && value <= kMaxSize && SString::FromInt(value) == size) c.size = value;
  }
  const int strike = m_strike.GetCheck(), underline = m_underline.GetCheck();
  if (strike != BST_INDETERMINATE) c.strikeOut = strike == BST_CHECKED;
  if (underline != BST_INDETERMINATE) c.underline = underline == BST_CHECKED;
  c.color = m_color;
  return c;
}

SString SSymFontPropertyPage::CheckTyped() const {
  if (!m_hWnd) return SString();
  SString face = m_face.GetText();
  face.Trim(SString(u" \t"));
  if (face.GetLength() > 31) return SString(u"A font name has at most 31 characters.");
  if (face.Find(u',') >= 0) return SString(u"A font name cannot hold \",\".");
  SString size = m_size.GetText();
  size.Trim(SString(u" \t"));
  if (!size.IsEmpty()) {
    const long value = size.ToLONG();
    if (value < 1 || value > kMaxSize || SString::FromInt(value) != size)
      return SString(u"The size must be a whole number from 1 to ") + SString::FromInt(kMaxSize) + ".";
  }
  return SString();
}

bool SSymFontPropertyPage::GetSymFont() {
  if (m_selected.empty() || !m_hWnd) return true;
  const SString why = CheckTyped();
  if (!why.IsEmpty()) {
    Refuse(why);
    return false;
  }
  ClearRefusal();
  ReadControls().StoreInto(*Fonts(), m_selected);
  return true;
}

void SSymFontPropertyPage::OnSelChangeFont() {
  if (m_selected.empty()) return;
  // What the person edited goes into the lines shown until now (only the
  // fields that are common or edited); a typed value that cannot be taken
  // keeps the old lines selected.
  if (!GetSymFont()) {
    for (int i = 0; i < m_list.GetCount(); ++i) m_list.SetSel(i, FALSE);
    for (int i : m_selected) m_list.SetSel(i, TRUE);
    return;
  }
  std::vector<int> now;
  for (int i = 0; i < m_list.GetCount(); ++i)
    if (m_list.GetSel(i) > 0) now.push_back(i);
  if (now.empty()) {
    // The list keeps at least one line selected.
    now = {m_selected.front()};
    m_list.SetSel(now.front(), TRUE);
  }
  m_selected = std::move(now);
  SetSymFont();
}

void SSymFontPropertyPage::OnFontChange() {
  if (m_bShowing) return;
  SetModified(TRUE);
  ShowSample();
}

void SSymFontPropertyPage::OnEffect(int id) {
  if (m_bShowing) return;
  SButtonCtrl& box = id == StrikeOutId ? m_strike : m_underline;
  // The first click on an undetermined box checks it; from then on it is a
  // plain check box.
  const LONG_PTR type = ::GetWindowLongPtrW(box.m_hWnd, GWL_STYLE) & BS_TYPEMASK;
  if (type == BS_AUTO3STATE) {
    box.SetButtonStyle(BS_AUTOCHECKBOX, FALSE);
    box.SetCheck(BST_CHECKED);
  }
  OnFontChange();
}

void SSymFontPropertyPage::OnColor(NMHDR* notify, LRESULT*) {
  COLORREF chosen = 0;
  const COLORREF current = m_color ? *m_color : COLORREF(0xFFFFFFFF);
  if (!SSymPickWellColor(m_well, SSymWellClickedCell(notify), current, this, chosen)) return;
  m_color = chosen;
  SetModified(TRUE);
  ShowSample();
}

void SSymFontPropertyPage::ShowSample() {
  m_sample = SString(SampleText);
  if (!ReadControls().face) {
    SSetModuleState module(SSymGetModuleState());
    m_sample = SSymLoadString(MultipleSelectionString);
    if (m_sample.GetLength() > 31) m_sample = m_sample.Left(31);
  }
  if (HWND sample = m_hWnd ? ::GetDlgItem(m_hWnd, SampleId) : nullptr) ::SetWindowTextW(sample, m_sample.c_str());
}

BOOL SSymFontPropertyPage::OnKillActive() {
  const SString why = CheckTyped();
  if (!why.IsEmpty()) {
    Refuse(why);
    return FALSE;
  }
  return SSymDlgBase::OnKillActive();
}

BOOL SSymFontPropertyPage::OnApply() {
  if (!GetSymFont()) return FALSE;
  return SSymDlgBase::OnApply();
}
