// The library's picture manager: the core picture manager extended with the
// predefined shape library. It owns one shape object per shape type for the
// library's life and answers lookups by shape type, tool command and name.
// The tables are process-wide and unlocked: all callers run on the
// user-interface thread.
#pragma once

#include <utility>
#include <vector>

#include "kvcore/spicture.h"
#include "sym/shapes/symshape.h"

// A table of (shape type, owned shape) pairs sorted by type.
class SSymShapeTable {
 public:
  SSymShapeTable() = default;
  ~SSymShapeTable() { Clear(); }
  SSymShapeTable(const SSymShapeTable&) = delete;
  SSymShapeTable& operator=(const SSymShapeTable&) = delete;

  // The index of type, or minus one minus the insertion position.
  int Find(int type) const;
  // Inserts or replaces (the replaced shape is destroyed); the entry's index.
  int Insert(int type, SSymShape* shape);
  SSymShape* Lookup(int type) const;
  int GetCount() const { return static_cast<int>(m_entries.size()); }
  const std::pair<int, SSymShape*>& GetAt(int i) const { return m_entries[static_cast<size_t>(i)]; }
  // Destroys every shape and empties the table.
  void Clear();

 private:
  std::vector<std::pair<int, SSymShape*>> m_entries;
};

class SSymPictureManager : public SPictureManager {
 public:
  // Makes sure the shape map is built.
  SSymPictureManager();

  // The shape map, built on the first call (empty while the application is
  // exiting).
  static const SSymShapeTable& GetSymbolTypeShapeMap();
  // The shape of a type: the shape map's, else the method-shape map's; null.
  static SSymShape* FindSymbolShape(int type);
  // The shape type drawn by a tool command; 0 when unknown. The command
  // lookups only read the tables that building the shape map fills
  // (GetSymbolTypeShapeMap or a picture manager): they build nothing, so
  // they answer 0 while the map is unbuilt, as after termination.
  static int FindSymbolType(int command);
  // The shape type of a display name (exact, case-sensitive), searched in
  // the shape map in ascending type order; 0 when none matches.
  static int FindSymbolType(const SString& name);
  // The cursor of a tool command; 0 when unknown.
  static int FindSymbolCursor(int command);
  // The first picture record of kind 1 for the shape type; null when none.
  static SPictureInfo* FindSymbolPicture(int type);
  // Destroys the shapes and empties the tables; a later use builds them
  // again. Picture records stay with the core picture manager.
  static int TerminatePictureManager();
  // Registers a shape (used while building the map); 0 for a null shape.
  int RegisterShape(SSymShape* shape, int command, int cursor);
  // The method-shape map (shapes of the modelling notations).
  static const SSymShapeTable& GetMethodShapeMap();
};
