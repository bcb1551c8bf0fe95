#include "kvlib/sliboptlist.h"

#include <cerrno>
#include <cstdlib>

#include "kvcore/sexception.h"
#include "kvcore/sregistry.h"

namespace {
const SString kYes(u"Yes");
const SString kNo(u"No");

bool ParseBool(const SString& text, int& out) {
  SString t = text;
  t.Trim();
  if (t.EqualsNoCase(kYes) || t.EqualsNoCase(SString(u"true")) || t == SString(u"1")) return out = 1, true;
  if (t.EqualsNoCase(kNo) || t.EqualsNoCase(SString(u"false")) || t == SString(u"0")) return out = 0, true;
  return false;
}

bool ParseLong(const SString& text, long& out) {
  SString t = text;
  t.Trim();
  const std::string s = t.ToUtf8();
  if (s.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (errno != 0 || !end || *end != '\0') return false;
  out = v;
  return true;
}

bool NeedsQuotes(const SString& v) {
  if (v.IsEmpty()) return false;
  const char16_t first = v.GetAt(0), last = v.GetAt(v.GetLength() - 1);
  auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  if (blank(first) || blank(last) || first == u'"') return true;
  for (char16_t c : v.view())
    if (c == u'\\' || c == u'\n' || c == u'\r' || c == u'\t') return true;
  return false;
}

SString Quote(const SString& v) {
  std::u16string o = u"\"";
  for (char16_t c : v.view()) {
    switch (c) {
      case u'\\': o += u"\\\\"; break;
      case u'"': o += u"\\\""; break;
      case u'\n': o += u"\\n"; break;
      case u'\r': o += u"\\r"; break;
      case u'\t': o += u"\\t"; break;
      default: o += c;
    }
  }
  return SString(o + u"\"");
}

// The value of a "Key=Value" line from its first character after '='.
SString Unquote(const SString& raw, int line) {
  if (raw.GetAt(0) != u'"') return raw;
  std::u16string o;
  const std::u16string_view s = raw.view();
  for (std::size_t i = 1; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c == u'"') {
      if (i + 1 != s.size()) break;  // text after the closing quote
      return SString(o);
    }
    if (c == u'\\' && i + 1 < s.size()) {
      const char16_t e = s[++i];
      o += e == u'n' ? u'\n' : e == u'r' ? u'\r' : e == u't' ? u'\t' : e;
    } else {
      o += c;
    }
  }
  throw SEIOException(SString::Format("option text, line %d: the quoted value is not closed", line), __func__,
                      __FILE__, __LINE__);
}
}  // namespace

void SLibOptList::InitOpts(const SString& name, const SString& path) {
  m_name = name;
  m_path = path;
}

void SLibOptList::Initialize() { m_sections.clear(); }

SLibOptList::Section& SLibOptList::SectionOf(const SString& section) {
  for (Section& s : m_sections)
    if (s.name == section) return s;
  m_sections.push_back({section, {}});
  return m_sections.back();
}

void SLibOptList::AddOptSection(const SString& section) { SectionOf(section); }

SLibOptList::Key& SLibOptList::Declare(const SString& section, const SString& key, Type type, const SString& def,
                                       unsigned long saveLoc, const SString& description) {
  Section& s = SectionOf(section);
  Key* k = nullptr;
  for (Key& existing : s.keys)
    if (existing.name == key) k = &existing;
  if (!k) {
    s.keys.push_back({});
    k = &s.keys.back();
    k->name = key;
  }
  k->type = type;
  k->def = def;
  k->saveLoc = saveLoc;
  k->description = description;
  return *k;
}

void SLibOptList::AddBoolOptProfile(const SString& section, const SString& key, long, int def, unsigned long saveLoc,
                                    const SString& description) {
  Declare(section, key, Bool, def ? kYes : kNo, saveLoc, description);
}

void SLibOptList::AddLongOptProfile(const SString& section, const SString& key, long, long def,
                                    unsigned long saveLoc, const SString& description) {
  Declare(section, key, Long, SString::FromInt(def), saveLoc, description);
}

void SLibOptList::AddOptProfile(const SString& section, const SString& key, long, const SString& def,
                                unsigned long saveLoc, const SString& description) {
  Declare(section, key, Text, def, saveLoc, description);
}

const SLibOptList::Key* SLibOptList::Find(const SString& section, const SString& key) const {
  for (const Section& s : m_sections)
    if (s.name == section)
      for (const Key& k : s.keys)
        if (k.name == key) return &k;
  return nullptr;
}

SLibOptList::Key* SLibOptList::Find(const SString& section, const SString& key) {
  return const_cast<Key*>(static_cast<const SLibOptList*>(this)->Find(section, key));
}

unsigned long SLibOptList::GetSaveLoc(const SString& section, const SString& key) const {
  const Key* k = Find(section, key);
  return k ? k->saveLoc : ~0ul;
}

bool SLibOptList::ReadRegistry(const SString& section, const SString& key, SString& out) const {
  if (m_path.IsEmpty()) return false;
  SRegistry reg;
  if (reg.Init(HKEY_CURRENT_USER, m_path + u'\\' + section, 0) < 0) return false;
  return reg.GetProfile(key, out, SString()) == ERROR_SUCCESS;
}

bool SLibOptList::TextAt(const SString& section, const SString& key, unsigned long location, SString& out) const {
  const Key* k = Find(section, key);
  if (!k) return false;
  if (location != 1 && k->hasValue) {
    out = k->value;
    return true;
  }
  if (location != 0) {
    SString reg;
    int b = 0;
    long l = 0;
    // A registry value that does not fit the key's type is no default.
    if (ReadRegistry(section, key, reg) &&
        (k->type == Text || (k->type == Bool ? ParseBool(reg, b) : ParseLong(reg, l)))) {
      out = reg;
      return true;
    }
  }
  out = k->def;
  return true;
}

LONG SLibOptList::GetBoolOptProfile(const SString& section, const SString& key, int& out, int def,
                                    unsigned long location) const {
  SString t;
  if (!TextAt(section, key, location, t) || !ParseBool(t, out)) return out = def, 1;
  return 0;
}

LONG SLibOptList::GetLongOptProfile(const SString& section, const SString& key, long& out, long def,
                                    unsigned long location) const {
  SString t;
  if (!TextAt(section, key, location, t) || !ParseLong(t, out)) return out = def, 1;
  return 0;
}

LONG SLibOptList::GetOptProfile(const SString& section, const SString& key, SString& out, const SString& def,
                                unsigned long location) const {
  if (!TextAt(section, key, location, out)) return out = def, 1;
  return 0;
}

LONG SLibOptList::WriteValue(const SString& section, const SString& key, Type type, const SString& text,
                             unsigned long where) {
  Key* k = Find(section, key);
  if (!k) k = &Declare(section, key, type, text, 2, SString());
  if (where == 1) {
    if (m_path.IsEmpty()) return ERROR_INVALID_PARAMETER;
    SRegistry reg;
    const int rc = reg.Init(HKEY_CURRENT_USER, m_path + u'\\' + section, 1);
    if (rc < 0) return -rc;
    return reg.WriteProfile(key, text);
  }
  k->hasValue = true;
  k->value = text;
  return 0;
}

LONG SLibOptList::WriteBoolOptProfile(const SString& section, const SString& key, int value, unsigned long where) {
  return WriteValue(section, key, Bool, value ? kYes : kNo, where);
}

LONG SLibOptList::WriteLongOptProfile(const SString& section, const SString& key, long value, unsigned long where) {
  return WriteValue(section, key, Long, SString::FromInt(value), where);
}

LONG SLibOptList::WriteOptProfile(const SString& section, const SString& key, const SString& value,
                                  unsigned long where) {
  return WriteValue(section, key, Text, value, where);
}

void SLibOptList::SaveOptions(SString& out) const {
  out.Empty();
  for (const Section& s : m_sections) {
    out += u'[';
    out += s.name;
    out += u"]\r\n";
    for (const Key& k : s.keys) {
      SString v;
      TextAt(s.name, k.name, 2, v);
      out += k.name;
      out += u'=';
      out += NeedsQuotes(v) ? Quote(v) : v;
      out += u"\r\n";
    }
  }
}

void SLibOptList::FillFromINI(const SString& text) {
  SString section;
  bool inSection = false;
  int lineNo = 0;
  for (const SString& raw : SSplitLines(text)) {
    ++lineNo;
    SString line = raw;
    line.TrimLeft();
    if (line.IsEmpty() || line.GetAt(0) == u';') continue;
    if (line.GetAt(0) == u'[') {
      SString t = line;
      t.TrimRight();
      if (t.GetAt(t.GetLength() - 1) != u']' || t.GetLength() < 2)
        throw SEIOException(SString::Format("option text, line %d: the section name is not closed", lineNo),
                            __func__, __FILE__, __LINE__);
      section = t.Mid(1, t.GetLength() - 2);
      AddOptSection(section);
      inSection = true;
      continue;
    }
    const int eq = line.Find(u'=');
    if (eq <= 0 || !inSection)
      throw SEIOException(SString::Format("option text, line %d: neither a section nor a key", lineNo), __func__,
                          __FILE__, __LINE__);
    SString key = line.Left(eq);
    key.TrimRight();
    SString rest = line.Mid(eq + 1);
    if (rest.GetAt(0) != u'"') rest.TrimRight(SString(u"\r\n"));
    const SString value = Unquote(rest, lineNo);
    Key* k = Find(section, key);
    if (!k) k = &Declare(section, key, Text, SString(), 2, SString());
    int b = 0;
    long l = 0;
    if ((k->type == Bool && !ParseBool(value, b)) || (k->type == Long && !ParseLong(value, l)))
      throw SEIOException(SString::Format("option text, line %d: the value does not fit the key", lineNo),
                          __func__, __FILE__, __LINE__);
    k->hasValue = true;
    k->value = k->type == Bool ? (b ? kYes : kNo) : k->type == Long ? SString::FromInt(l) : value;
  }
}
