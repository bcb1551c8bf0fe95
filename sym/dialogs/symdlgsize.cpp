#include "sym/dialogs/symdlgsize.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "kvcore/smodulestate.h"
#include "sym/diagram/symdisppref.h"
#include "sym/dialogs/symdialog.h"
#include "sym/foundation/sdsym.h"
#include "sym/foundation/symstrings.h"
#include "win/wingdi.h"

namespace {
constexpr double kGraphicPerInch = 7200.0;
constexpr double kMillimetresPerInch = 25.4;
}  // namespace

int SSymDlgSize::ScreenPixelsPerInch(int horizontal) {
  HDC screen = ::GetDC(nullptr);
  int ppi = screen ? GetDeviceCaps(screen, horizontal ? LOGPIXELSX : LOGPIXELSY) : 0;
  if (screen) ::ReleaseDC(nullptr, screen);
  return ppi > 0 ? ppi : 96;
}

double SSymDlgSize::UnitToGraphic(int unit, long graphic, int horizontal) {
  const double v = static_cast<double>(graphic);
  switch (unit) {
    case Millimetre: return v * kMillimetresPerInch / kGraphicPerInch;
    case Pixel: return std::trunc(v * ScreenPixelsPerInch(horizontal) / kGraphicPerInch + 0.5);
    default: return v / kGraphicPerInch;
  }
}

// A length in `unit` as graphic units, before cutting.
static double ToGraphic(int unit, double value, int horizontal) {
  switch (unit) {
    case SSymDlgSize::Millimetre: return value * kGraphicPerInch / kMillimetresPerInch;
    case SSymDlgSize::Pixel: return value * kGraphicPerInch / SSymDlgSize::ScreenPixelsPerInch(horizontal);
    default: return value * kGraphicPerInch;
  }
}

long SSymDlgSize::GraphicToUnit(int unit, double value, int horizontal) {
  const double g = ToGraphic(unit, value, horizontal);
  // A typed value can be anything: never convert outside the range of a long.
  if (std::isnan(g)) return 0;
  if (g >= static_cast<double>(LONG_MAX)) return LONG_MAX;
  if (g <= static_cast<double>(LONG_MIN)) return LONG_MIN;
  return static_cast<long>(std::trunc(g));
}

SSymDlgSize::ReadResult SSymDlgSize::ReadTypedLength(int unit, const SString& text, int horizontal, LONG& graphic) {
  const std::u16string& s = text.str();
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == u' ' || s[b] == u'\t')) ++b;
  while (e > b && (s[e - 1] == u' ' || s[e - 1] == u'\t')) --e;
  if (b == e) return ReadEmpty;
  bool negative = false;
  if (s[b] == u'-') {
    negative = true;
    ++b;
  }
  std::string number;
  int digits = 0, points = 0;
  for (std::size_t i = b; i < e; ++i) {
    const char16_t c = s[i];
    if (c >= u'0' && c <= u'9') {
      ++digits;
      number += char(c);
    } else if (c == u'.' && points == 0) {
      ++points;
      number += '.';
    } else {
      return ReadNotANumber;
    }
  }
  if (digits == 0) return ReadNotANumber;
  const double value = std::strtod(number.c_str(), nullptr);
  if (negative && value > 0) return ReadNotPositive;
  // Measured before cutting: the cut answer is clamped, which would let a
  // huge typed size through as the largest one.
  if (ToGraphic(unit, value, horizontal) > double(MaxLength)) return ReadTooLarge;
  const long converted = GraphicToUnit(unit, value, horizontal);
  if (converted <= 0) return ReadNotPositive;
  graphic = LONG(converted);
  return ReadOk;
}

bool SSymDlgSize::ReplaceUnitText(int unit, SString& caption) {
  const std::u16string& s = caption.str();
  const std::size_t open = s.find(u'(');
  if (open == std::u16string::npos) return false;
  SSetModuleState module(SSymGetModuleState());
  const UINT id = unit == Inch ? 1061 : unit == Millimetre ? 1063 : 1065;
  // The rest from the first ")" on; a ")" before the "(" closes nothing.
  const std::size_t close = s.find(u')', open);
  std::u16string out = s.substr(0, open + 1);
  out += SSymLoadString(id).str();
  if (close != std::u16string::npos) out += s.substr(close);
  caption = SString(out);
  return true;
}

// ---- the page -------------------------------------------------------------------------------------

namespace {
constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
constexpr DWORD kBox = kShown | WS_TABSTOP | BS_AUTOCHECKBOX;
// A size retyped within this many units of the size the page opened with
// is taken as the same size (no manual resize).
constexpr LONG kResizeTolerance = 70;

// A size as the boxes show it: in the unit, to a thousandth.
SString ShownSize(int unit, LONG size, int horizontal) {
  return SString::FromDouble(std::round(SSymDlgSize::UnitToGraphic(unit, size, horizontal) * 1000.0) / 1000.0);
}

struct Templates {
  Templates() { SSymDlgSize::RegisterTemplates(); }
};
Templates s_templates;
}  // namespace

void SSymDlgSize::RegisterTemplates() {
  using S = SSymDlgSize;
  constexpr DWORD kEdit = kShown | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
  std::vector<SDlgItem> items = {
      {S::CurrentGroupId, SDlgItemKind::Button, u" Current size (inch) ", 7, 4, 120, 50, kShown | BS_GROUPBOX},
      {-1, SDlgItemKind::Static, u"&Width:", 13, 18, 40, 8, kShown},
      {S::WidthId, SDlgItemKind::Edit, u"", 55, 16, 60, 12, kEdit},
      {-1, SDlgItemKind::Static, u"&Height:", 13, 36, 40, 8, kShown},
      {S::HeightId, SDlgItemKind::Edit, u"", 55, 34, 60, 12, kEdit},
      {S::NormalGroupId, SDlgItemKind::Button, u" Normal size (inch) ", 133, 4, 122, 50, kShown | BS_GROUPBOX},
      {-1, SDlgItemKind::Static, u"Width:", 139, 18, 40, 8, kShown},
      {S::NormalWidthId, SDlgItemKind::Edit, u"", 181, 16, 60, 12, kShown | WS_BORDER | ES_READONLY | WS_DISABLED},
      {-1, SDlgItemKind::Static, u"Height:", 139, 36, 40, 8, kShown},
      {S::NormalHeightId, SDlgItemKind::Edit, u"", 181, 34, 60, 12, kShown | WS_BORDER | ES_READONLY | WS_DISABLED},
      {S::AutoAdjustId, SDlgItemKind::Button, u"&Auto adjust to text", 7, 62, 120, 10, kBox},
      {S::KeepAspectId, SDlgItemKind::Button, u"Keep aspect &ratio", 7, 76, 120, 10, kBox},
      {S::KeepCenterId, SDlgItemKind::Button, u"Keep &center", 133, 62, 120, 10, kBox},
      {S::KeepSizeId, SDlgItemKind::Button, u"Keep &size", 133, 76, 120, 10, kBox},
  };
  SSymRegisterPageTemplates(
      {TemplateId, TemplateModeId, u"Size", u"&Apply size to symbols", u"Allow &users to modify symbol size"}, 262,
      92, std::move(items));
}

KV_BEGIN_MESSAGE_MAP(SSymDlgSize, SSymDlgBase)
KV_ON_BN_CLICKED(SSymDlgSize::AutoAdjustId, OnAutoAdjust)
KV_ON_BN_CLICKED(SSymDlgSize::KeepAspectId, OnKeepAspect)
KV_ON_BN_CLICKED(SSymDlgSize::KeepCenterId, OnKeepCenter)
KV_ON_BN_CLICKED(SSymDlgSize::KeepSizeId, OnKeepSize)
KV_END_MESSAGE_MAP()

SSymDlgSize::SSymDlgSize(SSymFormatEx* format, SSymAllowOption* allow, UINT templateId)
    : SSymDlgBase(templateId, format, allow), m_initial(format ? format->m_size : SSymSize()) {
  SetHelpContext(HelpContext);
}

bool SSymDlgSize::SetUnit(int unit) {
  if (unit != Inch && unit != Millimetre && unit != Pixel) return false;
  m_nUnit = unit;
  return true;
}

void SSymDlgSize::ShowOption(int id, LONG word) {
  if (word == 2) ::SendDlgItemMessageW(m_hWnd, id, BM_SETSTYLE, BS_AUTO3STATE, TRUE);
  SetCheck(id, word == 2 ? BST_INDETERMINATE : word ? BST_CHECKED : BST_UNCHECKED);
}

bool SSymDlgSize::StoreOption(int id, LONG& word) {
  const UINT check = ::IsDlgButtonChecked(m_hWnd, id);
  const LONG value = check == BST_INDETERMINATE ? 2 : check == BST_CHECKED ? 1 : 0;
  if (value == word) return false;
  word = value;
  SetModified(TRUE);
  return true;
}

void SSymDlgSize::ShowSizes() {
  const SSymFormatEx& f = *m_pFormat;
  const struct {
    int id;
    LONG size;
    int horizontal;
  } boxes[] = {{WidthId, f.m_size.cx, 1}, {HeightId, f.m_size.cy, 0}, {NormalWidthId, f.m_size2.cx, 1},
               {NormalHeightId, f.m_size2.cy, 0}};
  for (const auto& b : boxes)
    ::SetDlgItemTextW(m_hWnd, b.id,
                      b.size > 0 ? ShownSize(m_nUnit, b.size, b.horizontal).c_str() : u"");
}

BOOL SSymDlgSize::OnInitDialog() {
  m_nCategory = SSymAllowOption::SIZE;
  SSymDlgBase::OnInitDialog();
  if (ISSymDiagram* diagram = m_pSheet ? m_pSheet->GetDiagram() : nullptr)
    if (const SSymDispPref* prefs = diagram->GetDispPrefPtr()) SetUnit(int(prefs->GetGraphUnit()));
  SSymFormatEx& f = *m_pFormat;
  if (f.m_margins[2] == 1) f.m_textFlag = 0;  // a kept size is not adjusted to the text
  const DWORD mask = m_pAllow ? m_pAllow->m_mask : 0x180;
  ShowOption(AutoAdjustId, f.m_textFlag);
  EnableItems({AutoAdjustId}, (mask & 0x100) != 0);
  ShowOption(KeepAspectId, f.m_margins[0]);
  ShowOption(KeepCenterId, f.m_margins[1]);
  ShowOption(KeepSizeId, f.m_margins[2]);
  for (int id : {CurrentGroupId, NormalGroupId}) {
    SString caption = GetDlgItemText(id);
    if (ReplaceUnitText(m_nUnit, caption)) ::SetDlgItemTextW(m_hWnd, id, caption.c_str());
  }
  ShowSizes();
  if (!(mask & 0x80)) EnableItems({WidthId, HeightId}, false);
  if (CategoryImposed(SSymAllowOption::SIZE))
    EnableItems({WidthId, HeightId, NormalWidthId, NormalHeightId, AutoAdjustId, KeepAspectId, KeepCenterId, KeepSizeId},
                false);
  return TRUE;
}

BOOL SSymDlgSize::OnSetActive() {
  const SSymFormatEx& f = *m_pFormat;
  for (const auto& [id, size, horizontal] :
       {std::tuple{int(WidthId), f.m_size.cx, 1}, std::tuple{int(HeightId), f.m_size.cy, 0}})
    if (size > 0) ::SetDlgItemTextW(m_hWnd, id, ShownSize(m_nUnit, size, horizontal).c_str());
  ShowOption(AutoAdjustId, f.m_textFlag);
  ShowOption(KeepAspectId, f.m_margins[0]);
  ShowOption(KeepCenterId, f.m_margins[1]);
  ShowOption(KeepSizeId, f.m_margins[2]);
  return SSymDlgBase::OnSetActive();
}

bool SSymDlgSize::ReadSize(int id, LONG& stored, LONG initial, int horizontal) {
  if (!::IsWindowEnabled(::GetDlgItem(m_hWnd, id))) return true;
  LONG typed = stored;
  switch (ReadTypedLength(m_nUnit, GetDlgItemText(id), horizontal, typed)) {
    case ReadOk: break;
    case ReadEmpty: return true;  // a size the selection does not share stays each symbol's own
    case ReadNotANumber: Refuse(SString(u"Type the size as a number, such as 2 or 1.5.")); return false;
    case ReadNotPositive: Refuse(SString(u"The size must be greater than 0.")); return false;
    case ReadTooLarge: Refuse(SString(u"The size is too large.")); return false;
  }
  // The same size shown again (a conversion rounds): nothing to store.
  if (stored > 0 && GetDlgItemText(id).str() == ShownSize(m_nUnit, stored, horizontal).str()) return true;
  if (typed == stored) return true;
  stored = typed;
  const LONG moved = typed > initial ? typed - initial : initial - typed;
  if (moved >= kResizeTolerance) {
    SetCheck(AutoAdjustId, BST_UNCHECKED);
    m_pFormat->m_textFlag = 0;
    SetModified(TRUE);
  }
  return true;
}

BOOL SSymDlgSize::OnKillActive() {
  ClearRefusal();
  // Both sizes are read before either is stored: a refused one keeps both.
  SSymSize size = m_pFormat->m_size;
  const LONG flag = m_pFormat->m_textFlag;
  if (!ReadSize(WidthId, size.cx, m_initial.cx, 1) || !ReadSize(HeightId, size.cy, m_initial.cy, 0)) {
    m_pFormat->m_textFlag = flag;
    return FALSE;
  }
  m_pFormat->m_size = size;
  OnAutoAdjust();
  OnKeepAspect();
  OnKeepCenter();
  OnKeepSize();
  return SSymDlgBase::OnKillActive();
}

void SSymDlgSize::OnAutoAdjust() {
  if (!StoreOption(AutoAdjustId, m_pFormat->m_textFlag) || m_pFormat->m_textFlag != 1) return;
  if (m_pFormat->m_margins[2] == 1) {
    m_pFormat->m_margins[2] = 0;
    SetCheck(KeepSizeId, BST_UNCHECKED);
  }
  m_pFormat->m_size = m_initial;
  ShowSizes();
}

void SSymDlgSize::OnKeepSize() {
  if (!StoreOption(KeepSizeId, m_pFormat->m_margins[2]) || m_pFormat->m_margins[2] != 1) return;
  if (m_pFormat->m_textFlag == 1) {
    m_pFormat->m_textFlag = 0;
    SetCheck(AutoAdjustId, BST_UNCHECKED);
  }
}
