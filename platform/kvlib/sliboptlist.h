// SLibOptList: a typed option list of the user-interface library. Options
// live in named sections; each key is declared with its type (bool, long or
// text), a default and a save location. A list has a name and a registry
// path: the user's defaults of section S are the values of the key
// HKEY_CURRENT_USER\<path>\<S>, read as text.
//
// Locations of reads:
//   0  the list's own value (the declared default when it has none);
//   1  the user's default in the registry (the declared default when none);
//   2  the ordinary read: the list's value, else the user's default, else
//      the declared default.
// Writes name their destination: 1 writes the user's default into the
// registry, every other code the list's own value. Save locations (0 to 4)
// are kept with each key for the owner's use.
//
// The text form (SaveOptions / FillFromINI) holds every section in order as
// "[Section]" followed by one "Key=Value" line per key, bools as "Yes" or
// "No". A value that begins or ends with blanks, begins with a quote or holds
// a backslash or a line break is written in double quotes with backslash
// escapes (\\, \", \n, \r, \t). Reading accepts blank lines and lines that
// start with ';'; keys that nobody declared are kept as text keys, so a text
// reads back to the same values and writes back to the same text. A line
// that is neither, a bool or long that does not parse, or an unclosed quote
// raises SEIOException after the lines before it were taken.
#pragma once

#include <memory>
#include <vector>

#include "kvcore/sstring.h"
#include "win/windef.h"

class SLibOptList {
 public:
  enum Type { Bool, Long, Text };
  SLibOptList() = default;
  virtual ~SLibOptList() = default;
  SLibOptList(const SLibOptList&) = delete;
  SLibOptList& operator=(const SLibOptList&) = delete;

  // Names the list and the registry path of its user defaults.
  void InitOpts(const SString& name, const SString& path);
  const SString& GetListName() const { return m_name; }
  const SString& GetRegistryPath() const { return m_path; }
  // Forgets every section and key (the name and path stay).
  virtual void Initialize();

  // Declares a section (once; a second declaration keeps the first).
  void AddOptSection(const SString& section);
  // Declares a key in a section (declaring the section when needed). A key
  // declared again takes the new type, default, save location and
  // description and keeps its value.
  void AddBoolOptProfile(const SString& section, const SString& key, long reserved, int def, unsigned long saveLoc,
                         const SString& description = SString());
  void AddLongOptProfile(const SString& section, const SString& key, long reserved, long def, unsigned long saveLoc,
                         const SString& description = SString());
  void AddOptProfile(const SString& section, const SString& key, long reserved, const SString& def,
                     unsigned long saveLoc, const SString& description = SString());

  // Reads at a location (above); `def` answers for a key nobody declared.
  // 0 when the key is declared, 1 when `def` answered.
  LONG GetBoolOptProfile(const SString& section, const SString& key, int& out, int def, unsigned long location) const;
  LONG GetLongOptProfile(const SString& section, const SString& key, long& out, long def,
                         unsigned long location) const;
  LONG GetOptProfile(const SString& section, const SString& key, SString& out, const SString& def,
                     unsigned long location) const;

  // Writes at a destination (above); an undeclared key is declared with the
  // value as its default. 0 on success, else the registry's error code.
  LONG WriteBoolOptProfile(const SString& section, const SString& key, int value, unsigned long where);
  LONG WriteLongOptProfile(const SString& section, const SString& key, long value, unsigned long where);
  LONG WriteOptProfile(const SString& section, const SString& key, const SString& value, unsigned long where);

  bool HasKey(const SString& section, const SString& key) const { return Find(section, key) != nullptr; }
  // The save location a key was declared with (~0 for none).
  unsigned long GetSaveLoc(const SString& section, const SString& key) const;

  // The text form of the whole list (values at location 2).
  void SaveOptions(SString& out) const;
  // Reads a text written by SaveOptions into the list's values.
  void FillFromINI(const SString& text);

 private:
  struct Key {
    SString name;
    Type type = Text;
    SString def;  // text form of the default
    bool hasValue = false;
    SString value;  // text form of the value
    unsigned long saveLoc = 0;
    SString description;
  };
  struct Section {
    SString name;
    std::vector<Key> keys;
  };
  Section& SectionOf(const SString& section);
  Key& Declare(const SString& section, const SString& key, Type type, const SString& def, unsigned long saveLoc,
               const SString& description);
  const Key* Find(const SString& section, const SString& key) const;
  Key* Find(const SString& section, const SString& key);
  bool ReadRegistry(const SString& section, const SString& key, SString& out) const;
  LONG WriteValue(const SString& section, const SString& key, Type type, const SString& text, unsigned long where);
  // The text at a location, false for an undeclared key.
  bool TextAt(const SString& section, const SString& key, unsigned long location, SString& out) const;

  SString m_name;
  SString m_path;
  std::vector<Section> m_sections;
};
