#include "sym/symbol/symseams.h"

#include <algorithm>
#include <ctime>

namespace {
std::vector<const SSymSelection*>& LiveSelections() {
  static std::vector<const SSymSelection*> live;
  return live;
}
SSymSelection* g_activeSelection = nullptr;
}  // namespace

// ---- selection ---------------------------------------------------------------------------
SSymSelection::SSymSelection(SSymView* view) : m_pView(view) { LiveSelections().push_back(this); }

SSymSelection::~SSymSelection() {
  auto& live = LiveSelections();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  if (g_activeSelection == this) g_activeSelection = nullptr;
}

bool SSymSelection::IsAlive(const SSymSelection* selection) {
  if (!selection) return false;
  const auto& live = LiveSelections();
  return std::find(live.begin(), live.end(), selection) != live.end();
}

void SSymSelection::Add(ISSymbol* symbol, int) {
  if (symbol && !Contains(symbol)) m_symbols.Add(symbol);
}

void SSymSelection::Clear(int) { m_symbols.RemoveAll(); }

bool SSymSelection::Contains(ISSymbol* symbol) const { return m_symbols.Contains(symbol); }

SSymSelection* SSymGetActiveSelection() { return SSymSelection::IsAlive(g_activeSelection) ? g_activeSelection : nullptr; }
void SSymSetActiveSelection(SSymSelection* selection) { g_activeSelection = selection; }

// ---- link routing -------------------------------------------------------------------------
SSymEdgeRouter& SSymEdgeRouter::Instance() {
  static SSymEdgeRouter router;
  return router;
}

void SSymEdgeRouter::AddSymbol(const SComWrap<ISSymbol>& symbol) {
  if (!symbol.IsNull()) m_symbols.Add(symbol.Get());
}

bool SSymEdgeRouter::Contains(ISSymbol* symbol) const { return m_symbols.Contains(symbol); }

int g_SymApplyCustomSymbol = 0;

// ---- views ---------------------------------------------------------------------------------
bool SSymIsEditView(SSymView*) { return false; }
void SSymViewNotifyRemove(SSymView*, ISSymbol*) {}
SSymCanvasView* SSymGetViewCanvas(SSymView*) { return nullptr; }

// ---- string table ---------------------------------------------------------------------------
SString SSymLoadString(UINT id) {
  static const struct {
    UINT id;
    const char* text;
  } kStrings[] = {
      {1308, "Polyline"},
      {1309, "Polygon"},
      {1310, "Rectangle"},
      {1311, "RoundRect"},
      {1312, "Ellipse"},
      {1313, "Arc"},
      {1314, "Text"},
      {1315, "Link Symbol"},
      {1316, "Group Symbol"},
      {1317, "Unknown Symbol"},
      {1327, "Changing position of symbols"},
      {1328, "Changing format of symbols"},
      {1329, "Changing font style of symbols"},
      {1330, "Changing text style of symbols"},
      {1331, "Changing line style of symbols"},
      {1332, "Changing size of symbols"},
      {1333, "Changing list of points of a polyline symbol"},
      {1334, "Changing text position of symbols"},
      {1335, "Grouping a list of symbols"},
      {1336, "Ungrouping a list of symbols"},
      {1337, "Show a list of symbols"},
      {1338, "Hide a list of symbols"},
      {1339, "Protecting a list of symbols"},
      {1340, "Unprotecting a list of symbols"},
      {1341, "Changing shadow style of a list of symbols"},
      {1342, "Changing adjust text of symbols"},
      {1343, "Inversing link symbol extremities"},
      {1344, "Changing link symbol extremity"},
      {1397, "The symbol %s must have a diagram"},
      {1416, "An object (symbol) should not have more than one parent (%s)"},
  };
  for (const auto& s : kStrings)
    if (s.id == id) return SString(s.text);
  return SString();
}

LONG SSymNowDate() { return static_cast<LONG>(std::time(nullptr)); }
