// The content text of an object symbol: what the symbol shows of its model
// object, one line per show key, lines separated by CR LF. A line is
//   key show [limit [filterCode filterId [selection]]]
// separated by single blanks: the key, filter code and filter id formatted
// by SPrefShowColl::FormatValue, the show flag "1" or "0", the limit in
// decimal, and the attribute selection text running to the end of the line
// ("<No Attr>" for an explicitly empty selection). A field is written only
// with all before it: a missing limit is written "0" and a missing filter
// as `"" ""` when something follows them.
//
// A key's line is found by the formatted key followed by one blank, at the
// very beginning of the text or right after a line feed, so a key never
// finds the line of a longer key that begins with it. Changes replace
// exactly the line found that way and leave every other line as it stands.
//
// Keys, filters and selections that hold a line break cannot live in one
// line and are refused; a line whose values cannot be read (no show flag,
// or a quoted field that is never closed) is left alone and the operation
// answers 0.
#pragma once

#include "kvcore/sstring.h"

class SObjSymContentHelper {
 public:
  // The show flag of the key's line: 1 and `show` set (1 when the text after
  // the key and its blank begins with "1", else 0); 0 without a line.
  static int IsShowKey(const SString& content, const SString& key, int& show);
  // Reads the key's line into the given outputs, which are reset first
  // (numbers 0, texts empty). The filter comes as formatted code, blank,
  // formatted id, and stays empty for `"" ""`. 0 without content, without a
  // line or when the line cannot be read.
  static int ParseContentLine(const SString* content, const SString& key, int* show, int* limit, SString* filter,
                              SString* selection);
  static int GetLimitKey(const SString* content, const SString& key, int& limit);
  static int GetFilterKey(const SString* content, const SString& key, SString& filter);

  // Sets the given values of the key's line; values not given keep the
  // line's. A key without a line gets one (show 1, limit 0, no filter and no
  // selection where nothing is given), after a CR LF unless the content was
  // empty. 1 when done, 0 for a null content, an unreadable line or a value
  // with a line break (the content is then unchanged).
  static int AddContentLine(SString* content, const SString& key, const int* show, const int* limit,
                            const SString* filter, const SString* selection);
  // Sets the show flag of one key.
  static int AddContentsInString(SString& content, const SString& key, int show);

  // Replaces the line of each key of `update` (one line per key, in the
  // content form) whose line differs; keys without a line in the content are
  // passed over. 1 when anything was replaced. An update with a line that
  // cannot be read changes nothing and answers 0.
  static int MergeContent(SString& content, const SString& update);

 private:
  // Builds a line from its values.
  static SString BuildLine(const SString& key, int show, int limit, const SString& filter, const SString& selection);
};
