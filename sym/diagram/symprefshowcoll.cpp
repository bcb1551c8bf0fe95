#include "sym/diagram/symprefshowcoll.h"

#include <set>

#include "kvcore/scomwrap.h"
#include "kvcore/sinteraction.h"
#include "kvrep/srepextras.h"
#include "sym/diagram/symdisppref.h"
#include "sym/foundation/symstrings.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfsymbol.h"

const SString SPrefShowColl::g_szNewCodeRequest(u"<NewOIDRequested>");
DWORD SPrefShowColl::s_nAutomationCount = 0;

namespace {
const SString kBlanks(u" \t\r\n");
const SString kCrLf(u"\r\n");
const SString kNotFound(u"<Not!Found>");
constexpr DWORD kByGuid = 0x10, kByCode = 0x11;
constexpr UINT kMandatoryString = 1417;

SString JoinLines(const std::vector<SString>& lines) {
  SString s;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) s += kCrLf;
    s += lines[i];
  }
  return s;
}

bool IsBracedGuid(const SString& s) {
  return s.GetLength() == 38 && s.GetAt(0) == u'{' && s.GetAt(37) == u'}';
}

bool ToBool(SString s) {
  s.Trim(kBlanks);
  return s.ToLONG() != 0 || s.EqualsNoCase(SString(u"true")) || s.EqualsNoCase(SString(u"yes"));
}

// The two kinds of attribute definition.
enum class DefKind { None, Class, Object };
DefKind KindOf(IUnknown* def, LONG* classId) {
  if (!def) return DefKind::None;
  void* p = nullptr;
  if (SUCCEEDED(def->QueryInterface(IID_ISRepClassAttrDef, &p)) && p) {
    auto* c = static_cast<ISRepClassAttrDef*>(p);
    if (classId) *classId = c->GetAttributeId();
    c->Release();
    return DefKind::Class;
  }
  p = nullptr;
  if (SUCCEEDED(def->QueryInterface(IID_ISRepObjectBase, &p)) && p) {
    static_cast<IUnknown*>(p)->Release();
    return DefKind::Object;
  }
  return DefKind::None;
}

SString BracedGuidOf(const SRepExaIntf& exa, IUnknown* def) {
  GUID g;
  if (!exa.GetDefGuid(def, &g)) return SString();
  return SString(GuidToString16(g));
}

// Whether `key` starts a line of `text`, followed by a blank or the end of
// that line.
bool HasKeyLine(const SString& text, const SString& key) {
  const std::u16string_view t = text.view(), k = key.view();
  for (std::size_t at = 0; at <= t.size();) {
    if (t.substr(at, k.size()) == k) {
      const std::size_t after = at + k.size();
      if (after == t.size() || t[after] == u' ' || t[after] == u'\r' || t[after] == u'\n') return true;
    }
    const std::size_t lf = t.find(u'\n', at);
    if (lf == std::u16string_view::npos) break;
    at = lf + 1;
  }
  return false;
}
}  // namespace

SPrefShowColl::SPrefShowColl(long collectionId) : m_nCollectionId(collectionId) {}

// ---- values ------------------------------------------------------------------------------

SString SPrefShowColl::FormatValue(const SString& value) {
  if (value.IsEmpty()) return SString(u"\"\"");
  SString out;
  for (char16_t c : value.view()) {
    if (c == u'"') out += u'\\';
    out += c;
  }
  if (value.Find(u' ') >= 0) return SString(u"\"") + out + u'"';
  return out;
}

bool SPrefShowColl::ReadValue(const SString& text, int& pos, SString& value, bool* damaged) {
  const std::u16string_view s = text.view();
  const int n = static_cast<int>(s.size());
  int i = pos < 0 ? 0 : pos;
  while (i < n && s[static_cast<std::size_t>(i)] == u' ') ++i;
  if (i >= n) {
    pos = n;
    return false;
  }
  std::u16string_view raw;
  if (s[static_cast<std::size_t>(i)] == u'"') {
    // The closing quote is the first one without a backslash before it.
    int j = i + 1;
    while (j < n && !(s[static_cast<std::size_t>(j)] == u'"' && s[static_cast<std::size_t>(j - 1)] != u'\\')) ++j;
    raw = s.substr(static_cast<std::size_t>(i + 1), static_cast<std::size_t>(j - i - 1));
    if (j >= n) {
      if (damaged) *damaged = true;
      pos = n;
    } else {
      pos = j + 1;
    }
  } else {
    int j = i;
    while (j < n && s[static_cast<std::size_t>(j)] != u' ') ++j;
    raw = s.substr(static_cast<std::size_t>(i), static_cast<std::size_t>(j - i));
    pos = j;
  }
  std::u16string out;
  out.reserve(raw.size());
  for (std::size_t k = 0; k < raw.size(); ++k) {
    if (raw[k] == u'\\' && k + 1 < raw.size() && raw[k + 1] == u'"') continue;  // the quote follows
    out += raw[k];
  }
  value = SString(std::move(out));
  return true;
}

std::vector<SString> SPrefShowColl::ReadValues(const SString& text, bool* damaged) {
  std::vector<SString> values;
  int pos = 0;
  SString v;
  while (ReadValue(text, pos, v, damaged)) values.push_back(v);
  return values;
}

// ---- attributes ----------------------------------------------------------------------------

bool SPrefShowColl::ReadAttrLine(const SString& line, bool wantId, ISRepObject* context, AttrLine& out) const {
  out = AttrLine();
  if (line.IsEmpty()) return false;
  int pos = 0;
  SString code, tok;
  if (!ReadValue(line, pos, code)) return false;
  SRepExaIntf* exa = SRepExaIntf::GetExaIntf();
  long guidId = 0;
  IUnknown* def = nullptr;
  if (ReadValue(line, pos, tok)) {
    SString flag = tok;
    // An attribute defined by a repository object carries its GUID before
    // the flag; the GUID is never taken for the flag.
    if (IsBracedGuid(tok)) {
      if (wantId && context && exa) {
        guidId = exa->FindAttrId(m_nCollectionId, tok, context, kByGuid, 1);
        if (guidId) def = exa->GetAttrDef(m_nCollectionId, guidId);
      }
      if (!ReadValue(line, pos, flag)) flag.Empty();
    }
    out.mandatory = ToBool(flag) ? 1 : 0;
  }
  if (wantId) {
    if (!exa) return false;
    if (!def) def = exa->FindAttrDef(m_nCollectionId, code, context, kByCode);
    if (!def) return false;
    LONG classId = 0;
    const DefKind kind = KindOf(def, &classId);
    if (guidId)
      out.id = guidId;
    else if (kind == DefKind::Class)
      out.id = classId;
    else if (kind == DefKind::Object)
      out.id = exa->FindAttrId(m_nCollectionId, exa->GetDefText(def, 0), context, kByGuid, 1);
    if (out.id == 0) return false;
  }
  if (ReadValue(line, pos, tok)) out.label = tok;
  out.selected = out.id != 0 && m_selAttrs.Contains(out.id) ? 1 : 0;
  return true;
}

bool SPrefShowColl::MakeAttrLine(long attrId, int mandatory, const SString& label, SString& key, SString& line) const {
  SRepExaIntf* exa = SRepExaIntf::GetExaIntf();
  if (!exa) return false;
  IUnknown* def = exa->GetAttrDef(m_nCollectionId, attrId);
  const DefKind kind = KindOf(def, nullptr);
  if (kind == DefKind::None) return false;
  key = FormatValue(exa->GetDefText(def, 0));
  if (kind == DefKind::Object) {
    const SString guid = BracedGuidOf(*exa, def);
    if (guid.IsEmpty()) return false;
    key += u' ';
    key += guid;
  }
  line = key + u' ' + SString::FromInt(mandatory);
  if (!label.IsEmpty()) line += SString(u" ") + FormatValue(label);
  return true;
}

int SPrefShowColl::AddAttribute(long attrId, int select, int mandatory, const SString& label, int index) {
  SString key, line;
  if (!MakeAttrLine(attrId, mandatory, label, key, line)) return 0;
  // The key must be followed by a blank or the line's end: a code that only
  // begins another attribute's code ("Name" after "NameX") is a new one.
  if (HasKeyLine(m_attrList, key)) return 0;
  if (!m_attrList.IsEmpty()) m_attrList += kCrLf;
  m_attrList += line;
  if ((select || mandatory) && !m_selAttrs.Contains(attrId)) {
    if (index < 0 || index > m_selAttrs.GetCount())
      m_selAttrs.Add(attrId);
    else
      m_selAttrs.Insert(index, attrId);
  }
  return 1;
}

int SPrefShowColl::GetAttribute(int& pos, long* attrId, int* selected, int* mandatory, SString* label,
                                ISRepObject* context) const {
  if (m_attrList.IsEmpty() || pos < 0) return 0;
  const std::vector<SString> lines = SSplitLines(m_attrList);
  if (static_cast<std::size_t>(pos) >= lines.size()) return 0;
  AttrLine a;
  if (!ReadAttrLine(lines[static_cast<std::size_t>(pos)], attrId != nullptr, context, a)) return 0;
  if (attrId) *attrId = a.id;
  if (selected) *selected = a.selected;
  if (mandatory) *mandatory = a.mandatory;
  if (label) *label = a.label;
  ++pos;
  return 1;
}

int SPrefShowColl::SetAttribute(long attrId, int mandatory) {
  SString key, newLine;
  if (!MakeAttrLine(attrId, mandatory, SString(), key, newLine)) return 0;
  std::vector<SString> kept;
  bool matched = false;
  if (!m_attrList.IsEmpty()) {
    for (const SString& line : SSplitLines(m_attrList)) {
      AttrLine a;
      if (ReadAttrLine(line, true, nullptr, a) && a.id == attrId) {
        matched = true;
        if (mandatory) kept.push_back(newLine);
        continue;
      }
      kept.push_back(line);
    }
  }
  if (!matched && mandatory) kept.push_back(newLine);
  m_attrList = JoinLines(kept);
  const int at = m_selAttrs.Find(attrId);
  if (mandatory && at < 0) m_selAttrs.Add(attrId);
  if (!mandatory && at >= 0) m_selAttrs.Remove(at);
  return 1;
}

SString SPrefShowColl::GetAttributeListDescription(ISRepObject* context) const {
  SRepExaIntf* exa = SRepExaIntf::GetExaIntf();
  if (m_attrList.IsEmpty() || !exa) return SString();
  std::vector<SString> out;
  for (const SString& line : SSplitLines(m_attrList)) {
    AttrLine a;
    if (!ReadAttrLine(line, true, context, a)) continue;
    IUnknown* def = exa->GetAttrDef(m_nCollectionId, a.id);
    if (!def) continue;
    SString text = a.label.IsEmpty() ? exa->GetDefText(def, 1) : a.label;
    if (a.mandatory) text += SString(u" (") + SSymLoadString(kMandatoryString) + u')';
    out.push_back(text);
  }
  SString s = JoinLines(out);
  s.Trim(kBlanks);
  return s;
}

SString SPrefShowColl::GetSelAttrList(ISRepObject* context) const {
  SRepExaIntf* exa = SRepExaIntf::GetExaIntf();
  if (m_attrList.IsEmpty() || !exa) return SString();
  SString s;
  for (const SString& line : SSplitLines(m_attrList)) {
    AttrLine a;
    if (!ReadAttrLine(line, true, context, a) || !a.selected || a.mandatory) continue;
    IUnknown* def = exa->GetAttrDef(m_nCollectionId, a.id);
    if (!def) continue;
    const SString code = exa->GetDefText(def, 0);
    SString item;
    if (KindOf(def, nullptr) == DefKind::Object)
      item = FormatValue(SString(u"_") + code) + u' ' + BracedGuidOf(*exa, def);
    else
      item = FormatValue(code);
    if (!s.IsEmpty()) s += u' ';
    s += item;
  }
  s.Trim(kBlanks);
  return s;
}

int SPrefShowColl::SetSelAttrList(const SString& list, ISRepObject* context) {
  SRepExaIntf* exa = SRepExaIntf::GetExaIntf();
  if (!exa) return 0;
  m_selAttrs.Clear();
  if (m_attrList.IsEmpty()) {
    SString l = list;
    l.Trim(kBlanks);
    return l.IsEmpty() ? 1 : 0;
  }
  std::set<long> ids;
  const std::vector<SString> tokens = ReadValues(list);
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const SString& tok = tokens[i];
    SString guid;
    if (tok.GetAt(0) == u'_' && i + 1 < tokens.size() && IsBracedGuid(tokens[i + 1])) guid = tokens[++i];
    long id = exa->FindAttrId(m_nCollectionId, tok, context, kByCode, 1);
    if (id == 0 && !guid.IsEmpty()) id = exa->FindAttrId(m_nCollectionId, guid, context, kByGuid, 1);
    if (id) ids.insert(id);
  }
  std::set<long> placed;
  for (const SString& line : SSplitLines(m_attrList)) {
    AttrLine a;
    if (!ReadAttrLine(line, true, context, a) || a.id == 0) continue;
    placed.insert(a.id);
    if ((a.mandatory || ids.count(a.id)) && !m_selAttrs.Contains(a.id)) m_selAttrs.Add(a.id);
  }
  for (long id : ids)
    if (!placed.count(id)) m_selAttrs.Add(id);
  return 1;
}

// ---- filters -------------------------------------------------------------------------------

SString SPrefShowColl::MakeFilterId() {
  if (g_IsAutomating()) {
    // Repeatable ids, so that a script's results can be compared run by run.
    ++s_nAutomationCount;
    return SString::Format("Filter-11111111-2222-3333-4444-%.12x", static_cast<unsigned>(s_nAutomationCount));
  }
  const SString guid = SRepNewOID().ToString();  // braced
  return SString(u"Filter-") + guid.Mid(1, 36);
}

int SPrefShowColl::AddFilter(const SString& code, const SString& value, const SString& id) {
  const bool made = id == g_szNewCodeRequest;
  const SString theId = made ? MakeFilterId() : FormatValue(id);
  const SString key = FormatValue(code) + u' ';
  const SString line = key + u' ' + theId + u' ' + FormatValue(value);
  if (m_filterList.IsEmpty()) {
    m_filterList = line;
    return 1;
  }
  // The key ends with its blank, so a longer code is no match.
  if (m_filterList.Left(key.GetLength()) == key || m_filterList.Find(kCrLf + key) >= 0) return 0;
  if (!made && m_filterList.Find(SString(u" ") + theId + u' ') >= 0) return 0;
  m_filterList += kCrLf;
  m_filterList += line;
  return 1;
}

int SPrefShowColl::GetFilter(int& pos, SString* code, SString* value, SString* id) const {
  if (code) code->Empty();
  if (value) value->Empty();
  if (m_filterList.IsEmpty() || pos < 0) return 0;
  const std::vector<SString> lines = SSplitLines(m_filterList);
  if (static_cast<std::size_t>(pos) >= lines.size()) return 0;
  const std::vector<SString> tokens = ReadValues(lines[static_cast<std::size_t>(pos)]);
  if (tokens.empty()) return 0;
  if (code) *code = tokens[0];
  ++pos;
  if (tokens.size() > 1 && id) *id = tokens[1];
  if (tokens.size() > 2 && value) *value = tokens[2];
  return 1;
}

int SPrefShowColl::GetFilterIdFromCode(const SString& id, SString* reference) const {
  if (m_filterList.IsEmpty()) return id.IsEmpty() ? 1 : 0;
  SString code, fid;
  for (int pos = 0;;) {
    fid.Empty();
    if (!GetFilter(pos, &code, nullptr, &fid)) return 0;
    if (fid == id) {
      if (reference && !id.IsEmpty()) *reference = FormatValue(code) + u' ' + FormatValue(fid);
      return 1;
    }
  }
}

int SPrefShowColl::GetFilterFromId(const SString& reference, SString* code, SString* value, SString* id) const {
  if (code) code->Empty();
  if (value) value->Empty();
  if (id) id->Empty();
  if (m_filterList.IsEmpty()) return reference.IsEmpty() ? 1 : 0;
  SString refCode, refId;
  if (!reference.IsEmpty()) {
    const std::vector<SString> ref = ReadValues(reference);
    if (ref.size() < 2) return 0;
    refCode = ref[0];
    refId = ref[1];
  }
  auto take = [&](const SString& c, const SString& v, const SString& i) {
    if (code) *code = c;
    if (value) *value = v;
    if (id) *id = i;
  };
  int result = 0;
  bool emptyValueTaken = false;
  SString c, v, i;
  for (int pos = 0;;) {
    i.Empty();
    if (!GetFilter(pos, &c, &v, &i)) break;
    if (i == refId) {
      take(c, v, i);
      return 1;
    }
    if (!result && c.EqualsNoCase(refCode)) {
      take(c, v, i);
      result = 1;
    } else if (!result && reference.IsEmpty() && !emptyValueTaken && v.IsEmpty()) {
      take(c, v, i);
      emptyValueTaken = true;
    }
  }
  return result;
}

int SPrefShowColl::UpdateFilterIdFromList(SString& reference) const {
  if (reference.IsEmpty()) return 1;
  if (SSplitLines(m_filterList).size() < 2) {
    reference.Empty();
    return 1;
  }
  auto canonical = [&](const SString& id) {
    SString s = reference;
    GetFilterIdFromCode(id, &s);
    const int changed = s != reference ? 1 : 0;
    reference = s;
    return changed;
  };
  SString id;
  if (GetFilterFromId(reference, nullptr, nullptr, &id)) return canonical(id);
  if (GetFilterFromId(SString(), nullptr, nullptr, nullptr)) {
    reference.Empty();
    return 1;
  }
  int pos = 0;
  id.Empty();
  if (!GetFilter(pos, nullptr, nullptr, &id)) return 0;
  return canonical(id);
}

SString SPrefShowColl::GetFilterListDescription() const {
  std::vector<SString> codes;
  for (const SString& line : SSplitLines(m_filterList)) {
    const std::vector<SString> tokens = ReadValues(line);
    if (!tokens.empty()) codes.push_back(tokens[0]);
  }
  return JoinLines(codes);
}

// ---- options -------------------------------------------------------------------------------

int SPrefShowColl::HasCollOptions(int* filterCount, int* selectableCount, int* limitAllowed, int* optionWord) const {
  if (filterCount) *filterCount = 0;
  if (selectableCount) *selectableCount = 0;
  if (limitAllowed) *limitAllowed = m_bLimitAllowed;
  if (optionWord) *optionWord = m_nOptionWord;
  bool options = false;
  if (!m_filterList.IsEmpty()) {
    const std::vector<SString> lines = SSplitLines(m_filterList);
    std::size_t n = 1;
    for (; n < lines.size() && !lines[n].IsEmpty(); ++n) {
      options = true;  // a second filter to choose
      if (!filterCount) {
        if (!selectableCount) return 1;
        break;
      }
    }
    if (filterCount) *filterCount = static_cast<int>(n);
  }
  if (!m_attrList.IsEmpty()) {
    for (const SString& line : SSplitLines(m_attrList)) {
      AttrLine a;
      if (!ReadAttrLine(line, false, nullptr, a) || a.mandatory) continue;
      options = true;
      if (!selectableCount) return 1;
      ++*selectableCount;
    }
  }
  return options || m_bLimitAllowed ? 1 : 0;
}

int SPrefShowColl::InitCollOptsFromReg(const SString& keyBase, SSymDispPref& prefs, int& changed) {
  int filters = 0, selectable = 0, limitAllowed = 0;
  if (!HasCollOptions(&filters, &selectable, &limitAllowed, nullptr)) return 0;
  const SString section = SSymDispPref::GetObjectPath();
  // A read answers 0 for a stored value and 1 for the default; both are a
  // successful read.
  auto ok = [](LONG rc) { return rc == 0 || rc == 1; };
  bool good = true;
  if (filters > 1) {
    SString ref;
    const LONG rc = prefs.GetOptProfile(section, keyBase + u"._Filter", ref, m_filterRef, 1);
    if (ok(rc)) {
      if (ref != m_filterRef) changed = 1;
      m_filterRef = ref;
    } else {
      good = false;
    }
  }
  if (selectable >= 1) {
    const SString current = GetSelAttrList(prefs.GetDiagramObject());
    SString cols;
    const LONG rc = prefs.GetOptProfile(section, keyBase + u"._Columns", cols, kNotFound, 1);
    if (ok(rc)) {
      if (cols != current) changed = 1;
      if (cols != kNotFound && !SetSelAttrList(cols, prefs.GetDiagramObject())) good = false;
    } else {
      good = false;
    }
  }
  if (limitAllowed) {
    SString text;
    const LONG rc = prefs.GetOptProfile(section, keyBase + u"._Limit", text, SString::FromInt(m_nLimit), 1);
    if (!ok(rc)) return 0;
    const long limit = text.ToLONG();
    if (limit != m_nLimit) changed = 1;
    m_nLimit = limit;
    return 1;
  }
  return good ? 1 : 0;
}

// ---- show keys ------------------------------------------------------------------------------

int SObjPrefShowKey::InitOptsFromReg(SSymDispPref& prefs, int& changed) {
  if (!m_nEnabled) return 0;
  int value = m_bValue;
  const LONG rc = prefs.GetBoolOptProfile(SSymDispPref::GetObjectPath(), m_strKeyName, value, m_bValue, 1);
  if (rc != 0 && rc != 1) return 0;
  const int differs = (value != 0) != (m_bValue != 0) ? 1 : 0;
  m_bValue = value;
  changed = changed || differs ? 1 : 0;
  return differs;
}

int SSymDataClass::HasOptions(ISRepObject* object) const {
  if (!m_nEnabled) return 0;
  if (!object) return 1;
  if (!m_pApplicability || m_pApplicability->m_nRestriction != 0) return 1;
  auto answers = [object](REFIID iid) {
    void* p = nullptr;
    if (FAILED(object->QueryInterface(iid, &p)) || !p) return false;
    static_cast<IUnknown*>(p)->Release();
    return true;
  };
  if (answers(IID_ISSymbol)) return 0;
  if (answers(IID_ISSymDiagram)) return 1;
  return answers(IID_ISRepObjectBase) ? 1 : 0;
}
