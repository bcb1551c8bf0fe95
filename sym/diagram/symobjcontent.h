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
//
// A symbol's first content is built from the show keys and data classes of
// its object's class, a nested list walked leaf by leaf with
// SSymRecursiveDataListIterator.
#pragma once

#include <memory>

#include "kvcore/sstring.h"
#include "kvcore/sptrowntable.h"
#include "kvcore/stable.h"
#include "sym/diagram/symprefshowcoll.h"

// The selection text that stands for an explicitly empty selection.
inline constexpr const char16_t* kNoAttr = u"<No Attr>";

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

  // The line of a data class: for collection preferences also their limit,
  // filter and selection (the selection text, "<No Attr>" when nothing is
  // selected, or empty when nothing can be selected); else the show flag.
  static int AddContentsInString(SString& content, const SSymDataClass& dataClass, ISRepObject* object);
  // Adds or updates the lines of every leaf of the list: each enabled,
  // named key of a key group, and each other data class that has options
  // for the object. Nothing for a null list.
  static void InitSymContent(const SPtrOwnTable<SSymDataClass>* list, SString& content, ISRepObject* object);

  // The attribute ids the grid's line selects: its selection applied to the
  // grid's attributes ("<No Attr>" selects only the mandatory ones), or the
  // grid's own selected table when the line has no selection. 0 without a
  // readable line, or when the selection cannot be applied.
  static int GetAttrSelList(const SString* content, const SSubSymGridData& grid, ISRepObject* object,
                            STableDumb<long>* ids);
  // Writes the grid's current selection into its line (other values kept).
  static int AddAttrSelList(SString* content, const SSubSymGridData& grid, ISRepObject* object);

  // Replaces the line of each key of `update` (one line per key, in the
  // content form) whose line differs; keys without a line in the content are
  // passed over. 1 when anything was replaced. An update with a line that
  // cannot be read changes nothing and answers 0.
  static int MergeContent(SString& content, const SString& update);

 private:
  // Builds a line from its values.
  static SString BuildLine(const SString& key, int show, int limit, const SString& filter, const SString& selection);
};

// Walks the leaves of a nested list of data classes depth first: nested
// lists (kind 3) are entered, never yielded; empty ones are passed over.
// After construction the current item is the first leaf; a walk reads the
// current item while IsEnd is false and calls GetNext after each.
class SSymRecursiveDataListIterator {
 public:
  // `root` is not owned and may be null (nothing to walk).
  explicit SSymRecursiveDataListIterator(const SPtrOwnTable<SSymDataClass>* root);
  virtual ~SSymRecursiveDataListIterator();
  // Copies advance independently of their source.
  SSymRecursiveDataListIterator(const SSymRecursiveDataListIterator& other);
  SSymRecursiveDataListIterator& operator=(const SSymRecursiveDataListIterator& other);

  // Back to the first leaf.
  void reset();
  virtual void GetNext();
  // GetNext up to n times, stopping at the end.
  SSymRecursiveDataListIterator& operator+=(int n);

  const SSymDataClass* GetCurrent() const { return m_pCurrent; }
  bool IsEnd() const { return m_bEnd != 0; }

 private:
  struct Position {
    const SPtrOwnTable<SSymDataClass>* table;
    int index;
  };
  const SSymDataClass* m_pCurrent = nullptr;
  int m_bEnd = 0;
  std::unique_ptr<Position> m_pPos;  // null once the walk ended
  std::unique_ptr<SSymRecursiveDataListIterator> m_pNested;
  const SPtrOwnTable<SSymDataClass>* m_pRoot;
};
