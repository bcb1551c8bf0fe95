#include "sym/foundation/symallowopt.h"

namespace {
const char16_t* const kKeywords[SSymAllowOption::CategoryCount] = {u"SIZE", u"LINE",  u"FILL",   u"SHADOW",
                                                                   u"FONT", u"SHAPE", u"CONTENT"};
constexpr DWORD kBoth = SSymAllowOption::AllowApply | SSymAllowOption::AllowModify;

// The restriction word of a category's bits ("" when fully allowed).
const char16_t* RestrictionOf(DWORD bits) {
  switch (bits & kBoth) {
    case SSymAllowOption::AllowApply: return u"A";  // applied, users may not change it
    case SSymAllowOption::AllowModify: return u"N";  // not applied, users may change it
    case 0: return u"NA";  // neither
    default: return u"";
  }
}
}  // namespace

const char16_t* SSymAllowOption::KeywordOf(int category) {
  return category >= 0 && category < CategoryCount ? kKeywords[category] : u"";
}

void SSymAllowOption::InitAllFlags() {
  m_mask = 0;
  for (DWORD& c : m_category) c = kBoth;
}

SString SSymAllowOption::GetAsString() const {
  SString out;
  for (int i = 0; i < CategoryCount; ++i) {
    if ((m_category[i] & kBoth) == kBoth) continue;
    if (!out.IsEmpty()) out += u"\r\n";
    out += SString(kKeywords[i]) + u' ' + RestrictionOf(m_category[i]);
  }
  return out;
}

SSymAllowOption::ReadResult SSymAllowOption::SetFromString(const SString& text, int* badLine) {
  // Read into a copy: a damaged text must leave no half of itself behind.
  DWORD read[CategoryCount];
  for (int i = 0; i < CategoryCount; ++i) read[i] = m_category[i];
  int pos = 0, lineNo = 0;
  ReadResult result = ReadOk;
  for (const SString& line : SSplitLines(text)) {
    ++lineNo;
    SStringTokenizer tok(line, SString(u" \t"));
    if (!tok.HasMoreTokens()) continue;  // empty line
    const SString word = tok.NextToken();
    int found = -1;
    for (int i = 0; i < CategoryCount; ++i)
      if (word == kKeywords[i]) found = i;
    if (found < 0) {
      result = ReadUnknownKeyword;
      break;
    }
    if (found < pos) {
      result = ReadOutOfOrder;
      break;
    }
    if (!tok.HasMoreTokens()) {
      result = ReadMissingRestriction;
      break;
    }
    const SString second = tok.NextToken();
    if (tok.HasMoreTokens()) {
      result = ReadExtraWords;
      break;
    }
    DWORD bits;
    if (second == u"A")
      bits = AllowApply;
    else if (second == u"N")
      bits = AllowModify;
    else if (second == u"NA")
      bits = 0;
    else {
      result = ReadUnknownRestriction;
      break;
    }
    read[found] = (read[found] & ~kBoth) | bits;
    pos = found + 1;
  }
  if (result != ReadOk) {
    if (badLine) *badLine = lineNo;
    return result;
  }
  if (badLine) *badLine = 0;
  for (int i = 0; i < CategoryCount; ++i) m_category[i] = read[i];
  return ReadOk;
}
