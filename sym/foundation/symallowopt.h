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
  // The page-mask bits in use (pages, editing options, template mode).
  static constexpr DWORD MaskBits = 0x3FFF;

  // What reading a text form found (SetFromString).
  enum ReadResult {
    ReadOk = 0,
    ReadUnknownKeyword,  // a first word that names no category
    ReadOutOfOrder,  // a category before one already read, or read twice
    ReadMissingRestriction,  // a category alone on its line
    ReadUnknownRestriction,  // a second word other than A, N and NA
    ReadExtraWords,  // more than two words on a line
  };

  SSymAllowOption() { InitAllFlags(); }

  // Mask 0 and both bits of every category.
  void InitAllFlags();
  // Mask bits 0xDFF; categories untouched.
  void SetAllFlags() { m_mask |= 0xDFF; }
  // One "KEYWORD A|N|NA" line per category that is not fully allowed, joined
  // by CR LF: "A" when only the apply bit is set, "N" when only the
  // allow-modify bit is, "NA" when neither is.
  SString GetAsString() const;
  // Reads the text form into the categories (callers start from
  // InitAllFlags, since a line only adds restrictions). Categories come in
  // their fixed order, each at most once; empty lines are skipped. A text
  // with any damaged line changes nothing: the answer names the fault and
  // `badLine` (when given) its line, counted from 1.
  ReadResult SetFromString(const SString& text, int* badLine = nullptr);

  static const char16_t* KeywordOf(int category);

  DWORD m_mask = 0;  // 14 bits of pages and options
  DWORD m_category[CategoryCount] = {};
};
