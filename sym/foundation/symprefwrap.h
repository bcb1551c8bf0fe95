// SPrefDataWrap: the text-wrapping preferences of a diagram (none, truncate
// or wrap at a length, and the characters a line may break at). The display
// preferences hold them; a canvas carries a copy and applies it to texts.
#pragma once

#include "kvcore/sstring.h"

class SPrefDataWrap {
 public:
  enum WrapMode { None = 0, Truncate = 1, Wrap = 2 };
  int m_nWrapMode = None;
  int m_nTruncLength = 0;
  int m_nWrapLength = 0;
  SString m_strBreakChars{u" "};
  bool operator==(const SPrefDataWrap&) const = default;
};
