// The allow options of the format sheet: a page mask and seven categories,
// each with an apply bit (1) and an allow-modify bit (2), and their text form.
#pragma once

#include "kvcore/sstring.h"
#include "win/windef.h"

class SSymAllowOption {
 public:
  enum Category { SIZE = 0, LINE, FILL, SHADOW, FONT, SHAPE, CONTENT, CategoryCount };
  static constexpr DWORD AllowApply = 1;
  static constexpr DWORD AllowModify = 2;

  SSymAllowOption() { InitAllFlags(); }

  // Mask 0 and both bits of every category.
  void InitAllFlags();
  // Mask bits 0xDFF; categories untouched.
  void SetAllFlags() { m_mask |= 0xDFF; }
  // One "KEYWORD A|N" line per category that is not fully allowed, joined by CR LF.
  SString GetAsString() const;
  // Reads the text form into the categories (callers start from InitAllFlags).
  void SetFromString(const SString& text);

  static const char16_t* KeywordOf(int category);

  DWORD m_mask = 0;  // 14 bits of pages and options
  DWORD m_category[CategoryCount] = {};
};
