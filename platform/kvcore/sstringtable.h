// SStringTable: a growable table of texts in order (lists of values, format
// strings, the messages of a model check).
#pragma once

#include "kvcore/sstring.h"
#include "kvcore/stable.h"

class SStringTable : public STable<SString> {
 public:
  // Appends the text with the first "%s" replaced by arg (the text as it is
  // when it holds none); answers the new index.
  int AddFormat(const SString& text, const SString& arg) {
    SString line = text;
    const int at = line.Find(SString(u"%s"));
    if (at >= 0) {
      line.Delete(at, 2);
      line.Insert(at, arg);
    }
    return Add(line);
  }
};
