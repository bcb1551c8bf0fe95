#include "sym/foundation/symallowopt.h"

namespace {
const char16_t* const kKeywords[SSymAllowOption::CategoryCount] = {u"SIZE", u"LINE",  u"FILL",   u"SHADOW",
                                                                   u"FONT", u"SHAPE", u"CONTENT"};
}

const char16_t* SSymAllowOption::KeywordOf(int category) {
  return category >= 0 && category < CategoryCount ? kKeywords[category] : u"";
}

void SSymAllowOption::InitAllFlags() {
  m_mask = 0;
  for (DWORD& c : m_category) c = AllowApply | AllowModify;
}

SString SSymAllowOption::GetAsString() const {
  SString out;
  for (int i = 0; i < CategoryCount; ++i) {
    const DWORD c = m_category[i] & 3;
    if (c == 3) continue;
    if (!out.IsEmpty()) out += u"\r\n";
    out += SString(kKeywords[i]) + u' ' + ((c & AllowApply) ? u'A' : u'N');
  }
  return out;
}

void SSymAllowOption::SetFromString(const SString& text) {
  int pos = 0;
  for (const SString& line : SSplitLines(text)) {
    if (pos >= CategoryCount) break;
    SStringTokenizer tok(line, SString(u" \t"));
    if (!tok.HasMoreTokens()) continue;  // empty line
    const SString word = tok.NextToken();
    int found = -1;
    for (int i = pos; i < CategoryCount; ++i)
      if (word == kKeywords[i]) {
        found = i;
        break;
      }
    // A word that is no keyword still to come ends the reading.
    if (found < 0) break;
    m_category[found] |= AllowApply | AllowModify;
    if (tok.HasMoreTokens()) {
      const SString second = tok.NextToken();
      if (second == u"N")
        m_category[found] &= ~AllowApply;
      else if (second == u"A")
        m_category[found] &= ~AllowModify;
    }
    pos = found + 1;
  }
}
