#include "sym/diagram/symobjcontent.h"

#include "sym/diagram/symprefshowcoll.h"

namespace {
const SString kBlanks(u" \t\r\n");

bool HasLineBreak(const SString& s) { return s.Find(u'\r') >= 0 || s.Find(u'\n') >= 0; }

// Where a key's line lies in the content: [begin, end) without the line
// break, `values` just after the key and its blank.
struct LineSpan {
  int begin = -1;
  int values = -1;
  int end = -1;
  bool Found() const { return begin >= 0; }
};

LineSpan FindLine(const SString& content, const SString& formattedKey) {
  LineSpan span;
  const SString anchor = formattedKey + u' ';
  const std::u16string_view text = content.view();
  const std::u16string_view a = anchor.view();
  for (std::size_t at = 0; at <= text.size();) {
    if (text.substr(at, a.size()) == a) {
      span.begin = static_cast<int>(at);
      span.values = static_cast<int>(at + a.size());
      std::size_t e = text.find_first_of(u"\r\n", at + a.size());
      span.end = static_cast<int>(e == std::u16string_view::npos ? text.size() : e);
      return span;
    }
    const std::size_t lf = text.find(u'\n', at);
    if (lf == std::u16string_view::npos) break;
    at = lf + 1;
  }
  return span;
}

// The values of a line, trimmed of blanks, tabs and line breaks.
SString ValuesOf(const SString& content, const LineSpan& span) {
  SString v = content.Mid(span.values, span.end - span.values);
  v.Trim(kBlanks);
  return v;
}

// The values of one line, read as under the content form.
struct LineValues {
  int show = 0;
  int limit = 0;
  SString filter;
  SString selection;
};

// False when the text holds no value or a field before the selection is
// damaged.
bool ReadLineValues(const SString& values, LineValues& out) {
  out = LineValues();
  int pos = 0;
  bool damaged = false;
  SString tok;
  if (!SPrefShowColl::ReadValue(values, pos, tok, &damaged) || damaged) return false;
  out.show = tok.GetAt(0) == u'1' ? 1 : 0;
  if (!SPrefShowColl::ReadValue(values, pos, tok, &damaged)) return true;
  if (damaged) return false;
  out.limit = static_cast<int>(tok.ToLONG());
  SString code, id;
  if (!SPrefShowColl::ReadValue(values, pos, code, &damaged)) return true;
  if (damaged) return false;
  if (!SPrefShowColl::ReadValue(values, pos, id, &damaged)) return true;
  if (damaged) return false;
  if (!code.IsEmpty() || !id.IsEmpty())
    out.filter = SPrefShowColl::FormatValue(code) + u' ' + SPrefShowColl::FormatValue(id);
  out.selection = values.Mid(pos);
  out.selection.Trim(kBlanks);
  return true;
}

void ReplaceSpan(SString& content, const LineSpan& span, const SString& line) {
  content = content.Left(span.begin) + line + content.Mid(span.end);
}
}  // namespace

int SObjSymContentHelper::IsShowKey(const SString& content, const SString& key, int& show) {
  const LineSpan span = FindLine(content, SPrefShowColl::FormatValue(key));
  if (!span.Found()) return 0;
  show = content.GetAt(span.values) == u'1' && span.values < span.end ? 1 : 0;
  return 1;
}

int SObjSymContentHelper::ParseContentLine(const SString* content, const SString& key, int* show, int* limit,
                                           SString* filter, SString* selection) {
  if (show) *show = 0;
  if (limit) *limit = 0;
  if (filter) filter->Empty();
  if (selection) selection->Empty();
  if (!content) return 0;
  const LineSpan span = FindLine(*content, SPrefShowColl::FormatValue(key));
  if (!span.Found()) return 0;
  LineValues v;
  if (!ReadLineValues(ValuesOf(*content, span), v)) return 0;
  if (show) *show = v.show;
  if (limit) *limit = v.limit;
  if (filter) *filter = v.filter;
  if (selection) *selection = v.selection;
  return 1;
}

int SObjSymContentHelper::GetLimitKey(const SString* content, const SString& key, int& limit) {
  return ParseContentLine(content, key, nullptr, &limit, nullptr, nullptr);
}

int SObjSymContentHelper::GetFilterKey(const SString* content, const SString& key, SString& filter) {
  return ParseContentLine(content, key, nullptr, nullptr, &filter, nullptr);
}

SString SObjSymContentHelper::BuildLine(const SString& key, int show, int limit, const SString& filter,
                                        const SString& selection) {
  SString tail = SString(u" ") + selection;
  if (!filter.IsEmpty())
    tail = SString(u" ") + filter + tail;
  else if (!selection.IsEmpty())
    tail = SString(u" \"\" \"\"") + tail;
  if (limit != 0)
    tail = SString(u" ") + SString::FromInt(limit) + tail;
  else if (tail != SString(u" "))
    tail = SString(u" 0") + tail;
  tail.TrimRight(kBlanks);
  return SPrefShowColl::FormatValue(key) + (show ? u" 1" : u" 0") + tail;
}

int SObjSymContentHelper::AddContentLine(SString* content, const SString& key, const int* show, const int* limit,
                                         const SString* filter, const SString* selection) {
  if (!content) return 0;
  if (HasLineBreak(key) || (filter && HasLineBreak(*filter)) || (selection && HasLineBreak(*selection))) return 0;
  const SString fkey = SPrefShowColl::FormatValue(key);
  const LineSpan span = FindLine(*content, fkey);
  if (span.Found()) {
    const SString oldValues = ValuesOf(*content, span);
    LineValues v;
    if (!ReadLineValues(oldValues, v)) return 0;
    const SString line = BuildLine(key, show ? *show : v.show, limit ? *limit : v.limit, filter ? *filter : v.filter,
                                   selection ? *selection : v.selection);
    // Only the line the anchored search found is replaced: the same text
    // may stand earlier inside another key's line.
    if (line != fkey + u' ' + oldValues) ReplaceSpan(*content, span, line);
    return 1;
  }
  const SString line = BuildLine(key, show ? *show : 1, limit ? *limit : 0, filter ? *filter : SString(),
                                 selection ? *selection : SString());
  if (!content->IsEmpty()) *content += u"\r\n";
  *content += line;
  return 1;
}

int SObjSymContentHelper::AddContentsInString(SString& content, const SString& key, int show) {
  return AddContentLine(&content, key, &show, nullptr, nullptr, nullptr);
}

int SObjSymContentHelper::MergeContent(SString& content, const SString& update) {
  struct Change {
    SString key;
    SString line;
  };
  std::vector<Change> changes;
  for (SString line : SSplitLines(update)) {
    line.Trim(kBlanks);
    if (line.IsEmpty()) continue;
    int pos = 0;
    bool damaged = false;
    SString key;
    LineValues v;
    if (!SPrefShowColl::ReadValue(line, pos, key, &damaged) || damaged || !ReadLineValues(line.Mid(pos), v)) return 0;
    changes.push_back({key, line});
  }
  int replaced = 0;
  for (const Change& c : changes) {
    const SString fkey = SPrefShowColl::FormatValue(c.key);
    const LineSpan span = FindLine(content, fkey);
    if (!span.Found()) continue;
    if (fkey + u' ' + ValuesOf(content, span) == c.line) continue;
    ReplaceSpan(content, span, c.line);
    replaced = 1;
  }
  return replaced;
}

// ---- content built from data classes ---------------------------------------------------------

namespace {
int SelectableCount(const SPrefShowColl& prefs) {
  int selectable = 0;
  prefs.HasCollOptions(nullptr, &selectable, nullptr, nullptr);
  return selectable;
}

// The selection a collection writes into a content line: empty without
// selectable attributes, else the selection text or the explicit empty one.
SString SelectionFor(const SPrefShowColl& prefs, ISRepObject* object) {
  if (SelectableCount(prefs) < 1) return SString();
  SString sel = prefs.GetSelAttrList(object);
  return sel.IsEmpty() ? SString(kNoAttr) : sel;
}
}  // namespace

int SObjSymContentHelper::AddContentsInString(SString& content, const SSymDataClass& dataClass, ISRepObject* object) {
  const SPrefShowColl* prefs = dataClass.GetKind() == SSymDataClass::KindCollection ? dataClass.GetPrefColl() : nullptr;
  if (!prefs) return AddContentLine(&content, dataClass.m_strKeyName, &dataClass.m_bValue, nullptr, nullptr, nullptr);
  const SString selection = SelectionFor(*prefs, object);
  const int limit = static_cast<int>(prefs->m_nLimit);
  return AddContentLine(&content, dataClass.m_strKeyName, &dataClass.m_bValue, &limit, &prefs->m_filterRef, &selection);
}

void SObjSymContentHelper::InitSymContent(const SPtrOwnTable<SSymDataClass>* list, SString& content,
                                          ISRepObject* object) {
  if (!list) return;
  for (SSymRecursiveDataListIterator it(list); !it.IsEnd(); it.GetNext()) {
    const SSymDataClass* item = it.GetCurrent();
    if (!item) continue;
    if (item->GetKind() == SSymDataClass::KindKeyGroup) {
      if (const std::vector<SObjPrefShowKey>* keys = item->GetKeys())
        for (const SObjPrefShowKey& k : *keys)
          if (!k.m_strKeyName.IsEmpty() && k.m_nEnabled) AddContentsInString(content, k.m_strKeyName, k.m_bValue);
    } else if (item->HasOptions(object)) {
      AddContentsInString(content, *item, object);
    }
  }
}

int SObjSymContentHelper::GetAttrSelList(const SString* content, const SSubSymGridData& grid, ISRepObject* object,
                                         STableDumb<long>* ids) {
  SString selection;
  if (!ParseContentLine(content, grid.m_strKeyName, nullptr, nullptr, nullptr, &selection)) return 0;
  if (selection.IsEmpty()) {
    if (ids) *ids = grid.m_prefColl.m_selAttrs;
    return 1;
  }
  SPrefShowColl temp(grid.m_prefColl.m_nCollectionId);
  temp.m_attrList = grid.m_prefColl.m_attrList;
  if (!temp.SetSelAttrList(selection == SString(kNoAttr) ? SString() : selection, object)) return 0;
  if (ids) *ids = temp.m_selAttrs;
  return 1;
}

int SObjSymContentHelper::AddAttrSelList(SString* content, const SSubSymGridData& grid, ISRepObject* object) {
  const SString selection = SelectionFor(grid.m_prefColl, object);
  return AddContentLine(content, grid.m_strKeyName, nullptr, nullptr, nullptr, &selection);
}

// ---- walking nested lists of data classes -------------------------------------------------------

SSymRecursiveDataListIterator::SSymRecursiveDataListIterator(const SPtrOwnTable<SSymDataClass>* root)
    : m_pRoot(root) {
  reset();
}

SSymRecursiveDataListIterator::~SSymRecursiveDataListIterator() = default;

SSymRecursiveDataListIterator::SSymRecursiveDataListIterator(const SSymRecursiveDataListIterator& other)
    : m_pRoot(other.m_pRoot) {
  *this = other;
}

SSymRecursiveDataListIterator& SSymRecursiveDataListIterator::operator=(const SSymRecursiveDataListIterator& other) {
  if (this == &other) return *this;
  m_pCurrent = other.m_pCurrent;
  m_bEnd = other.m_bEnd;
  m_pRoot = other.m_pRoot;
  m_pPos = other.m_pPos ? std::make_unique<Position>(*other.m_pPos) : nullptr;
  m_pNested = other.m_pNested ? std::make_unique<SSymRecursiveDataListIterator>(*other.m_pNested) : nullptr;
  return *this;
}

void SSymRecursiveDataListIterator::reset() {
  m_pNested.reset();
  m_pPos = std::make_unique<Position>(Position{m_pRoot, 0});
  m_bEnd = 0;
  m_pCurrent = nullptr;
  GetNext();
}

void SSymRecursiveDataListIterator::GetNext() {
  while (m_pPos) {
    const SPtrOwnTable<SSymDataClass>* table = m_pPos->table;
    if (!table || m_pPos->index < 0 || m_pPos->index >= table->GetCount()) break;
    const SSymDataClass* entry = table->GetAt(m_pPos->index);
    if (!entry) {  // no entry to yield: pass over the slot
      ++m_pPos->index;
      continue;
    }
    if (entry->GetKind() != SSymDataClass::KindList) {
      m_pCurrent = entry;
      ++m_pPos->index;
      return;
    }
    if (!m_pNested) m_pNested = std::make_unique<SSymRecursiveDataListIterator>(entry->GetList());
    if (m_pNested->m_bEnd) {
      m_pNested.reset();
      ++m_pPos->index;
      continue;
    }
    m_pCurrent = m_pNested->m_pCurrent;
    if (m_pCurrent) m_pNested->GetNext();
    return;
  }
  m_bEnd = 1;
  m_pCurrent = nullptr;
  m_pPos.reset();
}

SSymRecursiveDataListIterator& SSymRecursiveDataListIterator::operator+=(int n) {
  for (int i = 0; i < n && !m_bEnd; ++i) GetNext();
  return *this;
}
