#include "sym/diagram/symdisppref.h"

#include <map>
#include <set>

#include "kvcore/scomwrap.h"
#include "kvcore/scolor.h"
#include "kvcore/sexception.h"
#include "kvcore/sexceptiondlg.h"
#include "kvrep/sreptypelib.h"
#include "kvcore/sregistry.h"
#include "kvrep/srepregistry.h"
#include "kvrep/srepvariant.h"
#include "sym/diagram/symdiagram.h"
#include "sym/foundation/symclassid.h"
#include "sym/symbol/symintfsymbol.h"

namespace {
// A composite's own view; asked only whether a symbol answers it.
struct ISSymCompViewFace : IUnknown {
  static constexpr IID iid = IID_ISSymCompView;
};
const SString kWhite(u"255, 255, 255");
const SString kBlanks(u" \t\r\n");
constexpr LONG kDisplayPreferences = 0x02010022;
constexpr LONG kName = 0x01000002;

const char16_t* const kShortcutKeys[9] = {u"Shortcut IntIcon",     u"Shortcut IntLoct",       u"Shortcut ExtIcon",
                                          u"Shortcut ExtLoct",     u"Shortcut IntFullPath",   u"Shortcut IntLastPackage",
                                          u"Shortcut ExtFullPath", u"Shortcut ExtLastPackage", u"Shortcut ExtIncludeModl"};

std::set<SString>& MigratedModules() {
  static std::set<SString> modules;
  return modules;
}

SString Trimmed(SString s) {
  s.Trim(kBlanks);
  return s;
}
}  // namespace

const SString& SSymDispPref::DefaultWordText() {
  static const SString text = [] {
    std::u16string s;
    for (char16_t c = 0x21; c <= 0x7E; ++c) {
      const bool punct = (c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x5B && c <= 0x60) || c >= 0x7B;
      if (punct && c != u'(' && c != u'<' && c != u'[' && c != u'{') s += c;
    }
    return SString(s);
  }();
  return text;
}

SSymDispPref::SSymDispPref(ISRepObject* diagram) : m_pDiagram(diagram) {}

void SSymDispPref::ResetMigratedModules() { MigratedModules().clear(); }

bool SSymDispPref::IsPoolSymbol(ISSymbol* symbol) { return symbol && symbol->GetSymbolType() == 12; }

unsigned long SSymDispPref::DefSaveLoc() const { return m_bLoading ? LocLoading : LocOrdinary; }

void SSymDispPref::Initialize() {
  const SString g = GetGeneralPath(), o = GetObjectPath();
  InitOpts(SString(u"DisplayPreferences"), SString(u"DisplayPreferences\\") + GetModuleCode());
  UpdateRegistry();
  SLibOptList::Initialize();
  AddOptSection(GetModuleCode());
  AddOptSection(g);
  auto b = [&](const SString& sec, const char16_t* key, int def) { AddBoolOptProfile(sec, key, 0, def, DefSaveLoc()); };
  auto l = [&](const SString& sec, const char16_t* key, long def) { AddLongOptProfile(sec, key, 0, def, DefSaveLoc()); };
  auto t = [&](const SString& sec, const char16_t* key, const SString& def) {
    AddOptProfile(sec, key, 0, def, DefSaveLoc());
  };
  b(g, u"Adjust to text", 1);
  b(g, u"Snap Grid", 0);
  b(g, u"Constrain Labels", GetDefaultConstrainLabels());
  b(g, u"Display Grid", 0);
  b(g, u"Show Page Delimiter", 1);
  b(g, u"Show Links intersections", 1);
  b(g, u"Activate automatic link routing", SupportsAutorouting());
  l(g, u"Grid size", 0);
  l(g, u"Graphic unit", 2);
  t(g, u"Window color", kWhite);
  t(g, u"Background image", SString());
  l(g, u"Background mode", 8);
  t(g, u"Watermark image", SString());
  l(g, u"Watermark mode", 8);
  b(g, u"Show watermark on screen", 0);
  l(g, u"Gradient mode", 0);
  t(g, u"Gradient end color", kWhite);
  b(g, u"Show Swimlane", 1);
  b(g, u"SwimlaneVert", 1);
  b(g, u"TreeVert", 0);
  l(g, u"CompDark", 0);
  b(o, u"Show Icon", m_bShowIcon);
  // Without swimlanes they are off; a type whose user may not hide them has them on.
  int canHide = 1;
  const int swim = IsSupportSwimSymbol(&canHide);
  if (!swim) AddBoolOptProfile(g, u"Show Swimlane", 0, 0, 0);
  else if (!canHide) AddBoolOptProfile(g, u"Show Swimlane", 0, 1, 0);
  l(o, u"Mode", 2);
  l(o, u"Trunc Length", GetDefaultTextLength());
  l(o, u"Word Length", GetDefaultTextLength());
  t(o, u"Word Text", DefaultWordText());
  const int shortcutDefaults[9] = {1, 1, 1, 0, 0, 1, 0, 1, 1};
  // Declared in the order internal icon, location, full path, last package,
  // then the external ones.
  const int order[9] = {0, 1, 4, 5, 2, 3, 6, 7, 8};
  for (int i : order) b(o, kShortcutKeys[i], shortcutDefaults[i]);
}

void SSymDispPref::InitBuffers() {
  const SString g = GetGeneralPath(), o = GetObjectPath();
  auto rb = [&](const SString& sec, const char16_t* key, int def) {
    int v = def;
    GetBoolOptProfile(sec, key, v, def, LocOrdinary);
    return v;
  };
  auto rl = [&](const SString& sec, const char16_t* key, long def) {
    long v = def;
    GetLongOptProfile(sec, key, v, def, LocOrdinary);
    return v;
  };
  auto rt = [&](const SString& sec, const char16_t* key, const SString& def) {
    SString v;
    GetOptProfile(sec, key, v, def, LocOrdinary);
    return v;
  };
  m_bSnapGrid = rb(g, u"Snap Grid", 0);
  m_bConstrainLabels = rb(g, u"Constrain Labels", 0);
  m_bDisplayGrid = rb(g, u"Display Grid", 0);
  m_bShowPage = rb(g, u"Show Page Delimiter", 0);
  m_bShowIntersect = rb(g, u"Show Links intersections", 0);
  m_bAutoRouting = rb(g, u"Activate automatic link routing", 0);
  m_nGridSize = rl(g, u"Grid size", 0);
  m_nGraphUnit = rl(g, u"Graphic unit", 0);
  m_crWindow = SColor(rt(g, u"Window color", kWhite), 0xFF000000).GetColor();
  m_backFile = rt(g, u"Background image", SString());
  m_nBackMode = rl(g, u"Background mode", 0);
  m_watermarkFile = rt(g, u"Watermark image", SString());
  m_nWatermarkMode = rl(g, u"Watermark mode", 0);
  m_bWatermarkOnScreen = rb(g, u"Show watermark on screen", 0);
  m_nGradientMode = rl(g, u"Gradient mode", 0);
  m_crGradientEnd = SColor(rt(g, u"Gradient end color", kWhite), 0xFF000000).GetColor();
  m_bShowSwimlane = rb(g, u"Show Swimlane", 0);
  if (!IsSupportSwimSymbol()) m_bShowSwimlane = 0;
  m_bSwimlaneVert = rb(g, u"SwimlaneVert", 0);
  m_bTreeVert = rb(g, u"TreeVert", 0);
  m_nDarkenPercent = rl(g, u"CompDark", 0);
  m_bShowIcon = rb(o, u"Show Icon", 0);
  m_nWrapMode = rl(o, u"Mode", 0);
  m_nTruncLen = static_cast<DWORD>(rl(o, u"Trunc Length", 80));
  m_nWrapLen = static_cast<DWORD>(rl(o, u"Word Length", 80));
  m_wrapText = Trimmed(rt(o, u"Word Text", DefaultWordText()));
  for (int i = 0; i < 9; ++i) m_shortcut[i] = rb(o, kShortcutKeys[i], (i == 4 || i == 6) ? 0 : 1);
  // Background and watermark pictures are loaded by the diagram window, which
  // is not part of this library yet; the diagram keeps none (AddPicture).
}

HRESULT SSymDispPref::Load() {
  if (!m_pDiagram) return E_POINTER;
  SRepVariant v;
  const HRESULT hr = m_pDiagram->GetAttribute(kDisplayPreferences, &v);
  if (FAILED(hr)) return hr;
  const SString text = v.IsEmpty() ? SString() : Trimmed(v.GetTEXT());
  if (text.IsEmpty()) return Save();
  HRESULT result = S_OK;
  m_bLoading = 1;
  try {
    FillFromINI(text);
  } catch (const SException& e) {
    // The keys read before the damage keep their values; the caller learns
    // that the text was not whole.
    SExceptionDialog::Show(__func__, __FILE__, __LINE__, SString(u"Reading display preferences blob: ") + e.GetText());
    result = E_FAIL;
  }
  m_bLoading = 0;
  return result;
}

SString SSymDispPref::GetOptsText() const {
  SString text;
  SaveOptions(text);
  return Trimmed(text);
}

HRESULT SSymDispPref::Save() {
  if (!m_pDiagram) return S_OK;
  const HRESULT hr = m_pDiagram->SetAttribute(kDisplayPreferences, SRepVariant::Text(GetOptsText()));
  return FAILED(hr) ? hr : S_OK;
}

// The value goes where the diagram's own values go, and the cached member
// with it, so that the trees read the new orientation at once.
bool SSymDispPref::SetTreeOrientation(int vertical) {
  if (SetValue(GetGeneralPath(), SString(u"TreeVert"), vertical ? 1 : 0, LocDiagram) != 0) return false;
  return SUCCEEDED(Save());
}

LONG SSymDispPref::SetValue(const SString& section, const SString& key, long value, unsigned long where) {
  if (where == LocDiagram) {
    if (section == GetGeneralPath()) {
      if (key == u"Grid size") m_nGridSize = value;
      else if (key == u"Graphic unit") m_nGraphUnit = value;
      else if (key == u"Background mode") m_nBackMode = value;
      else if (key == u"Watermark mode") m_nWatermarkMode = value;
      else if (key == u"Gradient mode") m_nGradientMode = value;
      else if (key == u"CompDark") m_nDarkenPercent = value;
    } else if (section == GetObjectPath()) {
      if (key == u"Mode") m_nWrapMode = value;
      else if (key == u"Trunc Length") m_nTruncLen = static_cast<DWORD>(value);
      else if (key == u"Word Length") m_nWrapLen = static_cast<DWORD>(value);
    }
  }
  const LONG rc = WriteLongOptProfile(section, key, value, where);
  if (rc == 0) m_bChanged = 1;
  return rc;
}

LONG SSymDispPref::SetValue(const SString& section, const SString& key, int value, unsigned long where) {
  if (where == LocDiagram) {
    const int v = value ? 1 : 0;
    if (section == GetGeneralPath()) {
      if (key == u"Display Grid") m_bDisplayGrid = v;
      else if (key == u"Snap Grid") m_bSnapGrid = v;
      else if (key == u"Constrain Labels") m_bConstrainLabels = v;
      else if (key == u"Show Page Delimiter") m_bShowPage = v;
      else if (key == u"Show Links intersections") m_bShowIntersect = v;
      else if (key == u"Activate automatic link routing") m_bAutoRouting = v && SupportsAutorouting() ? 1 : 0;
      else if (key == u"Show watermark on screen") m_bWatermarkOnScreen = v;
      else if (key == u"Show Swimlane") m_bShowSwimlane = IsSupportSwimSymbol() ? v : 0;
      else if (key == u"SwimlaneVert") m_bSwimlaneVert = v;
      else if (key == u"TreeVert") m_bTreeVert = v;
    } else if (section == GetObjectPath()) {
      if (key == u"Show Icon") m_bShowIcon = v;
      for (int i = 0; i < 9; ++i)
        if (key == kShortcutKeys[i]) m_shortcut[i] = v;
    }
  }
  const LONG rc = WriteBoolOptProfile(section, key, value, where);
  if (rc == 0) m_bChanged = 1;
  return rc;
}

LONG SSymDispPref::SetValue(const SString& section, const SString& key, const SString& value, unsigned long where) {
  if (where == LocDiagram) {
    if (section == GetGeneralPath()) {
      if (key == u"Window color") m_crWindow = SColor(value, 0xFF000000).GetColor();
      else if (key == u"Gradient end color") m_crGradientEnd = SColor(value, 0xFF000000).GetColor();
      else if (key == u"Background image") m_backFile = value;
      else if (key == u"Watermark image") m_watermarkFile = value;
    } else if (section == GetObjectPath() && key == u"Word Text") {
      m_wrapText = Trimmed(value);
    }
  }
  const LONG rc = WriteOptProfile(section, key, value, where);
  if (rc == 0) m_bChanged = 1;
  return rc;
}

void SSymDispPref::UpdateRegistry() {
  const SString module = GetModuleCode();
  if (MigratedModules().count(module)) return;
  const SString path = GetRegistryPath().IsEmpty() ? SString(u"DisplayPreferences\\") + module : GetRegistryPath();
  auto oldOf = [&](SString key) {
    const SString from = SString(u"\\") + module + u"\\";
    for (int at = key.Find(u'\\'); at >= 0; at = key.Find(u'\\', at + 1))
      if (key.Mid(at, from.GetLength()).EqualsNoCase(from)) {
        key.Delete(at, from.GetLength());
        key.Insert(at, SString(u"\\"));
      }
    return key;
  };
  auto copyValues = [](SRegistry& from, SRegistry& to) {
    SString name, value;
    DWORD type = 0;
    for (DWORD i = 0; from.GetEnumValue(i, name, value, type) == 0; ++i)
      if (type == REG_SZ || type == REG_EXPAND_SZ) to.WriteProfile(name, value);
  };
  for (const char16_t* sub : {u"General", u"Object"}) {
    const SString newKey = path + u"\\" + sub, oldKey = oldOf(newKey);
    SRegistry probe, old;
    if (probe.Init(HKEY_CURRENT_USER, newKey, 0) >= 0) continue;
    if (old.Init(HKEY_CURRENT_USER, oldKey, 0) < 0) continue;
    SRegistry made;
    if (made.Init(HKEY_CURRENT_USER, newKey, 1) < 0) continue;
    copyValues(old, made);
  }
  const SString newSym = path + u"\\Symbol", oldSym = oldOf(newSym);
  SRegistry probe, old;
  if (probe.Init(HKEY_CURRENT_USER, newSym, 0) < 0 && old.Init(HKEY_CURRENT_USER, oldSym, 0) >= 0) {
    SString name;
    for (DWORD i = 0; old.GetEnumKey(i, name) == 0; ++i) {
      SRegistry to, from;
      if (to.Init(HKEY_CURRENT_USER, newSym + u"\\" + name, 1) >= 0 &&
          from.Init(HKEY_CURRENT_USER, oldSym + u"\\" + name, 0) >= 0)
        copyValues(from, to);
    }
  }
  MigratedModules().insert(module);
}

SString SSymDispPref::ConstructShowRegKey(const GUID& clsid, long collection) const {
  return SRepGetPublicName(clsid) + u"." + SRepGetAttrCollPublicName(clsid, collection);
}

int SSymDispPref::HaveCompViewMenu(ISSymbol* symbol, int& compView) const {
  if (!symbol) return 0;
  SComWrap<ISSymCompSym> comp(symbol);
  SComWrap<ISSymCompViewFace> view(symbol);
  if (comp.IsNull() && view.IsNull()) return 0;
  compView = view.IsNull() ? 0 : 1;
  return 1;
}

int SSymDispPref::IsPreview() const {
  if (!m_pDiagram) return 0;
  SComWrap<ISSymDiagram> d(m_pDiagram);
  if (d.IsNull()) return 0;
  SRepVariant v;
  if (m_pDiagram->GetAttribute(kName, &v) != S_OK || v.IsEmpty()) return 0;
  const SString& name = v.GetSTRING();
  return !name.IsEmpty() && name == u"tmp";
}

HRESULT SSymDispPref::GetDiagram(ISRepObject** out) const {
  if (!out || !m_pDiagram) return E_POINTER;
  m_pDiagram->AddRef();
  *out = m_pDiagram;
  return S_OK;
}

// ---- what the symbol core reads ----------------------------------------------------------------
namespace {
std::map<ISSymDiagram*, SSymDispPref*>& LentPrefs() {
  static std::map<ISSymDiagram*, SSymDispPref*> map;
  return map;
}

ISSymDispPref* FindDispPref(ISSymDiagram* diagram) {
  auto it = LentPrefs().find(diagram);
  if (it != LentPrefs().end()) return it->second;
  SSymDiagramImpl* d = SSymDiagramImpl::FromDiagram(diagram);
  return d ? d->GetDispPrefPtr() : nullptr;
}

struct DispPrefInstaller {
  DispPrefInstaller() { SSymSetDispPrefFinder(&FindDispPref); }
  ~DispPrefInstaller() { SSymSetDispPrefFinder(nullptr); }
} g_dispPrefInstaller;
}  // namespace

void SSymAttachDispPref(ISSymDiagram* diagram, SSymDispPref* prefs) {
  if (!diagram) return;
  if (prefs) LentPrefs()[diagram] = prefs;
  else LentPrefs().erase(diagram);
}
