#include "sym/shapes/symshapemap.h"

#include <algorithm>

#include "kvcore/swinapp.h"

int SSymShapeTable::Find(int type) const {
  auto it = std::lower_bound(m_entries.begin(), m_entries.end(), type,
                             [](const std::pair<int, SSymShape*>& e, int key) { return e.first < key; });
  const int pos = static_cast<int>(it - m_entries.begin());
  if (it != m_entries.end() && it->first == type) return pos;
  return -1 - pos;
}

int SSymShapeTable::Insert(int type, SSymShape* shape) {
  const int at = Find(type);
  if (at >= 0) {
    SSymShape*& slot = m_entries[static_cast<size_t>(at)].second;
    if (slot != shape) delete slot;
    slot = shape;
    return at;
  }
  const int pos = -1 - at;
  m_entries.insert(m_entries.begin() + pos, {type, shape});
  return pos;
}

SSymShape* SSymShapeTable::Lookup(int type) const {
  const int at = Find(type);
  return at >= 0 ? m_entries[static_cast<size_t>(at)].second : nullptr;
}

void SSymShapeTable::Clear() {
  for (auto& e : m_entries) delete e.second;
  m_entries.clear();
}

namespace {
struct Tables {
  SSymShapeTable shapes;
  SSymShapeTable methodShapes;
  std::vector<std::pair<int, int>> commandType;
  std::vector<std::pair<int, int>> commandCursor;
  bool built = false;
};
Tables& T() {
  static Tables tables;
  return tables;
}

void Put(std::vector<std::pair<int, int>>& table, int key, int value) {
  auto it = std::lower_bound(table.begin(), table.end(), key,
                             [](const std::pair<int, int>& e, int k) { return e.first < k; });
  if (it != table.end() && it->first == key)
    it->second = value;
  else
    table.insert(it, {key, value});
}
int Get(const std::vector<std::pair<int, int>>& table, int key) {
  auto it = std::lower_bound(table.begin(), table.end(), key,
                             [](const std::pair<int, int>& e, int k) { return e.first < k; });
  return it != table.end() && it->first == key ? it->second : 0;
}
}  // namespace

SSymPictureManager::SSymPictureManager() { GetSymbolTypeShapeMap(); }

const SSymShapeTable& SSymPictureManager::GetSymbolTypeShapeMap() {
  Tables& t = T();
  if (t.built) return t.shapes;
  // Set first: the registration manager below asks for the map again.
  t.built = true;
  if (const SWinApp* app = SGetApp(); app && app->IsExiting()) return t.shapes;
  SSymPictureManager pm;
  const struct {
    SSymShape* (*make)();
    int command, cursor;
  } kRegistration[] = {
      {[]() -> SSymShape* { return new SSymShapeRectangle; }, 0, 0},
      {[]() -> SSymShape* { return new SSymShapeEllipse; }, 0, 0},
      {[]() -> SSymShape* { return new SSymShapeRoundRect; }, 0, 0},
      {[]() -> SSymShape* { return new SSymShapeOvale; }, 2900, 133},
      {[]() -> SSymShape* { return new SSymShapeTriangle1; }, 2901, 134},
      {[]() -> SSymShape* { return new SSymShapeTriangle2; }, 2902, 135},
      {[]() -> SSymShape* { return new SSymShapeParallelogram; }, 2903, 136},
      {[]() -> SSymShape* { return new SSymShapeTrapezoid; }, 2904, 137},
      {[]() -> SSymShape* { return new SSymShapeDiamond; }, 2905, 138},
      {[]() -> SSymShape* { return new SSymShapePentagon; }, 2906, 139},
      {[]() -> SSymShape* { return new SSymShapeHexagon; }, 2907, 140},
      {[]() -> SSymShape* { return new SSymShapeOctagon; }, 2908, 141},
      {[]() -> SSymShape* { return new SSymShapeStar5; }, 2909, 142},
      {[]() -> SSymShape* { return new SSymShapeStar6; }, 2910, 143},
      {[]() -> SSymShape* { return new SSymShapeManualInput; }, 2924, 157},
      {[]() -> SSymShape* { return new SSymShapeCard; }, 2925, 158},
      {[]() -> SSymShape* { return new SSymShapeConnector; }, 2932, 165},
      {[]() -> SSymShape* { return new SSymShapePredefinedProcess; }, 2919, 152},
      {[]() -> SSymShape* { return new SSymShapeInternalStorage; }, 2920, 153},
      {[]() -> SSymShape* { return new SSymShapeFolder; }, 2917, 150},
      {[]() -> SSymShape* { return new SSymShapeFile; }, 2918, 151},
      {[]() -> SSymShape* { return new SSymShapeDocument; }, 2921, 154},
      {[]() -> SSymShape* { return new SSymShapeMultiDocument; }, 2922, 155},
      {[]() -> SSymShape* { return new SSymShape3DRectangle; }, 2914, 147},
      {[]() -> SSymShape* { return new SSymShapeCube; }, 2913, 146},
      {[]() -> SSymShape* { return new SSymShapeDataStore; }, 2912, 145},
      {[]() -> SSymShape* { return new SSymShapeActor; }, 2915, 148},
      {[]() -> SSymShape* { return new SSymShapeActress; }, 2916, 149},
      {[]() -> SSymShape* { return new SSymShapeMultiRect; }, 2946, 179},
      {[]() -> SSymShape* { return new SSymShapeBoundaryObject; }, 2947, 180},
      {[]() -> SSymShape* { return new SSymShapeEntityObject; }, 2948, 181},
      {[]() -> SSymShape* { return new SSymShapeControlObject; }, 2949, 182},
      {[]() -> SSymShape* { return new SSymShapeProcessArrow; }, 2950, 183},
      {[]() -> SSymShape* { return new SSymShapeEnvelope; }, 2951, 184},
      {[]() -> SSymShape* { return new SSymShapeERType; }, 2953, 186},
      {[]() -> SSymShape* { return new SSymShapeRType; }, 2952, 185},
  };
  for (const auto& row : kRegistration) pm.RegisterShape(row.make(), row.command, row.cursor);
  for (SSymShape* shape : std::initializer_list<SSymShape*>{
           new SSymShapeXMLFile, new SSymShapeFlatFile, new SSymShapeDataAccApp, new SSymShapeCnctData,
           new SSymShapeBussPrcs, new SSymShapeRlctPrcs, new SSymShapeTrsfPrcs, new SSymShapeYourdon,
           new SSymShapeGane, new SSymShapeActor1, new SSymShapeCompnt, new SSymShapeEnd, new SSymShapeFlowEnd,
           new SSymShapePie, new SSymShapeInhrComp, new SSymShapeInhrIDEF, new SSymShapeInhrIDEFComp})
    t.methodShapes.Insert(shape->GetShapeType(), shape);
  return t.shapes;
}

const SSymShapeTable& SSymPictureManager::GetMethodShapeMap() {
  GetSymbolTypeShapeMap();
  return T().methodShapes;
}

SSymShape* SSymPictureManager::FindSymbolShape(int type) {
  if (SSymShape* s = GetSymbolTypeShapeMap().Lookup(type)) return s;
  return T().methodShapes.Lookup(type);
}

int SSymPictureManager::FindSymbolType(int command) { return Get(T().commandType, command); }

int SSymPictureManager::FindSymbolType(const SString& name) {
  const SSymShapeTable& map = GetSymbolTypeShapeMap();
  for (int i = 0; i < map.GetCount(); ++i) {
    SSymShape* s = map.GetAt(i).second;
    if (s && s->GetShapeName() == name) return s->GetShapeType();
  }
  return 0;
}

int SSymPictureManager::FindSymbolCursor(int command) { return Get(T().commandCursor, command); }

SPictureInfo* SSymPictureManager::FindSymbolPicture(int type) {
  SSymPictureManager pm;
  for (SPictureInfo* info : pm.GetPictureInfoTable())
    if (info && info->GetType() == 1 && info->GetSymbolType() == type) return info;
  return nullptr;
}

int SSymPictureManager::TerminatePictureManager() {
  Tables& t = T();
  t.commandType.clear();
  t.commandCursor.clear();
  if (t.built) {
    t.shapes.Clear();
    t.methodShapes.Clear();
    t.built = false;
  }
  return 1;
}

int SSymPictureManager::RegisterShape(SSymShape* shape, int command, int cursor) {
  if (!shape) return 0;
  Tables& t = T();
  if (command != 0) {
    Put(t.commandType, command, shape->GetShapeType());
    Put(t.commandCursor, command, cursor);
  }
  t.shapes.Insert(shape->GetShapeType(), shape);
  if (SPictureInfo* info = NewPicture(1, SString(), 0, shape->GetShapeName(), SBlob())) {
    info->SetID(shape->GetShapeGUID());
    info->SetSymbolType(shape->GetShapeType());
    AddPicture(info);
  }
  return 1;
}
