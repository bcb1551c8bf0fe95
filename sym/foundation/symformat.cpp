#include "sym/foundation/symformat.h"

#include "sym/foundation/symallowopt.h"

void SSymFormat::SetLineFormat() {
  m_pen = SSymPen(1, 0, SSymColor(0xFF0000));
  m_lineStyle = 0;
  m_arrows[0] = m_arrows[1] = m_arrows[2] = 24;
  m_fill = 0;
  m_brush = SSymBrush();
  m_brush.m_style = SSymBrush::Hollow;
  m_shadowColor = 0xC0C0C0;
  m_shadowStyle = 0;
  m_textStyle = 0x211;
  m_textFlag = 0;
  m_size = SSymSize();
  m_size2 = SSymSize();
  for (LONG& m : m_margins) m = 0;
}

void SSymFormat::SetSolidFormat() {
  SetLineFormat();
  m_fill = 1;
  m_brush.m_style = SSymBrush::Solid;
  m_textFlag = 1;
  m_size = SSymSize(3600, 2400);
  m_size2 = SSymSize(3600, 2400);
}

void SSymFormatEx::InitFlagFromOption(const SString& option) {
  SSymAllowOption allow;
  allow.InitAllFlags();
  if (allow.SetFromString(option) != SSymAllowOption::ReadOk) return;
  for (int i = 0; i < 7; ++i) {
    const DWORD c = allow.m_category[i];
    if (c & SSymAllowOption::AllowApply)
      m_flags |= CategoryValueBits[i];
    else
      m_flags &= ~CategoryValueBits[i];
    if (c & SSymAllowOption::AllowModify)
      m_flags &= ~CategoryMarkBits[i];
    else
      m_flags |= CategoryMarkBits[i];
  }
  m_flags |= FlagApplyMarks;
}

void SSymFormatEx::UpdateFlags() {
  for (int i = 0; i < 7; ++i)
    if (!(m_flags & CategoryMarkBits[i])) m_flags &= ~CategoryValueBits[i];
}

// ---- brushes and formats ------------------------------------------------------

SSymBrush::SSymBrush(const SSymFormat& format) : SSymBrush(format.m_brush) {}

void SSymBrush::SetSymFormat(const SSymFormat& format) { *this = format.m_brush; }

void SSymBrush::GetSymFormat(SSymFormat& format) const {
  format.m_brush = *this;
  if (m_style != Hollow) format.m_fill = 1;
}
