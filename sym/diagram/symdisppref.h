// SSymDispPref: the display preferences of one diagram: an option list with
// the sections "General" and "Object" whose defaults come from the user's
// registry (DisplayPreferences\<module code>\<section>), saved as one text in
// the diagram's DisplayPreferences attribute, with a typed copy of the values
// in plain members that drawing code reads. Diagram types derive from it and
// override the hooks (module code, swimlanes, drop, autorouting).
//
// The symbol core reads the preferences of a diagram through ISSymDispPref;
// a diagram answers its own (created lazily by its type), or preferences
// that a caller lent it with SSymAttachDispPref.
#pragma once

#include <cstring>
#include <map>

#include "kvcore/sstring.h"
#include "kvlib/sliboptlist.h"
#include "kvrep/srepintf.h"
#include "sym/foundation/symformat.h"
#include "sym/symbol/symintfdisppref.h"
#include "win/windef.h"

struct ISSymbol;
class SPropertyPage;
class SSymDialog;

// The general values, as drawing reads them.
struct SPrefDataGeneral {
  int m_bSnapGrid = 0;
  int m_bConstrainLabels = 1;
  int m_bDisplayGrid = 0;
  int m_bShowPage = 1;
  int m_bShowIntersect = 1;
  int m_bAutoRouting = 1;
  LONG m_nGridSize = 0;
  DWORD m_crWindow = 0xFFFFFF;
  SString m_backFile;
  LONG m_nBackMode = 8;
  SString m_watermarkFile;
  LONG m_nWatermarkMode = 8;
  int m_bWatermarkOnScreen = 0;
  LONG m_nGradientMode = 0;
  DWORD m_crGradientEnd = 0xFFFFFF;
  LONG m_nGraphUnit = 2;
  int m_bShowSwimlane = 0;
  int m_bSwimlaneVert = 1;
  int m_bTreeVert = 0;
  int m_bShowIcon = 0;
  // Lane group titles: 2 wrapped to the group's length, 1 on one line, 0 as
  // the group's text style says.
  int m_nSwimHeadMode = 0;

  int GetSnapGrid() const { return m_bSnapGrid; }
  int GetConstrainLabels() const { return m_bConstrainLabels; }
  int GetDisplayGrid() const { return m_bDisplayGrid; }
  int GetShowPage() const { return m_bShowPage; }
  int GetShowIntersect() const { return m_bShowIntersect; }
  int GetAutoRouting() const { return m_bAutoRouting; }
  LONG GetGridSize() const { return m_nGridSize; }
  DWORD GetWinColor() const { return m_crWindow; }
  const SString& GetBackBitmapFile() const { return m_backFile; }
  LONG GetDrawBackMode() const { return m_nBackMode; }
  const SString& GetWatermarkBitmapFile() const { return m_watermarkFile; }
  LONG GetDrawWatermarkMode() const { return m_nWatermarkMode; }
  int GetWatermarkOnScreen() const { return m_bWatermarkOnScreen; }
  LONG GetGradientMode() const { return m_nGradientMode; }
  DWORD GetGradientEndColor() const { return m_crGradientEnd; }
  LONG GetGraphUnit() const { return m_nGraphUnit; }
};

class SSymDispPref : public SLibOptList, public SPrefDataGeneral, public ISSymDispPref {
 public:
  // Save locations of the option list.
  enum : unsigned long { LocDiagram = 0, LocUserDefault = 1, LocOrdinary = 2, LocSession = 3, LocLoading = 4 };

  // `diagram` (not counted; may be null) is where Load and Save go.
  explicit SSymDispPref(ISRepObject* diagram = nullptr);
  ~SSymDispPref() override = default;

  // The default word-break characters: the ASCII punctuation but the four
  // opening brackets.
  static const SString& DefaultWordText();

  static SString GetGeneralPath() { return SString(u"General"); }
  static SString GetObjectPath() { return SString(u"Object"); }
  virtual SString GetModuleCode() const { return SString(u"ALL"); }
  virtual void ClearAll() {}
  // A further page of the format sheet for one symbol of this diagram,
  // added after the format pages; the sheet owns and deletes it. None here.
  virtual SPropertyPage* CreateFormatPage(ISSymbol* symbol, SSymDialog* sheet) {
    (void)symbol, (void)sheet;
    return nullptr;
  }

  // Declares every key (after migrating the user's older registry layout).
  void Initialize() override;
  // Copies the list into the cached members.
  virtual void InitBuffers();
  // Reads the diagram's text into the list: 0, E_POINTER without a diagram,
  // the repository's failure, or E_FAIL for a damaged text (the keys read
  // before the damage keep their values, the others theirs).
  virtual HRESULT Load();
  // Writes the list's text into the diagram (0 without a diagram).
  virtual HRESULT Save();
  virtual SString GetOptsText() const;
  virtual void UpdateRegistry();

  virtual LONG GetDefaultTextLength() const { return 40; }
  virtual int GetDefaultConstrainLabels() const { return 1; }

  // Writes a value at `where` (0 refreshes the cached member of the key).
  virtual LONG SetValue(const SString& section, const SString& key, long value, unsigned long where);
  virtual LONG SetValue(const SString& section, const SString& key, int value, unsigned long where);
  virtual LONG SetValue(const SString& section, const SString& key, const SString& value, unsigned long where);
  virtual unsigned long DefSaveLoc() const;

  int GetShowSwimlane() { return IsSupportSwimSymbol() ? m_bShowSwimlane : 0; }
  int GetSwimlaneVert() const override { return IsPreview() ? 1 : m_bSwimlaneVert; }
  int GetSwimlaneHeadingMode() const override { return m_nSwimHeadMode; }
  int GetTreeVert() const { return m_bTreeVert; }
  // Whether the diagram type has swimlanes; `canHide` (optional) tells
  // whether the user may switch them off.
  virtual int IsSupportSwimSymbol(int* canHide = nullptr) {
    (void)canHide;
    return 0;
  }
  virtual int IsSupportTreeOrientation() { return 0; }
  virtual int IsSupportCompDark() { return 0; }
  // Whether automatic layout keeps away from swimlane pools (which 0: the
  // diagram's layout entry). Off in this class: every diagram can be laid out.
  virtual int IsCheckSwimPoolForLayout(int which) {
    (void)which;
    return 0;
  }
  virtual bool IsPoolSymbol(ISSymbol* symbol);
  // The text of the swimlane box of the preferences dialog's general page
  // ("Swimlane "), which a diagram type may reword.
  virtual void AdjustSwimlaneLabel(SString& label) { (void)label; }
  virtual void SetShowSwimlane(int show) {
    if (IsSupportSwimSymbol()) m_bShowSwimlane = show;
  }
  // Asked while a swim group is placed and symbols move; 0 stops it.
  virtual int CanDrop() { return 1; }
  int GetShowIcon(int* out = nullptr) const {
    if (out) *out = 0;
    return m_bShowIcon;
  }
  virtual void GetSymDefConf(SSymFormat* format) {
    if (format) *format = SSymFormat();
  }
  // The format sheet over an empty selection hands its result here: the
  // format a diagram type gives its new symbols. Kept by no one here.
  virtual void SetSymDefConf(const SSymFormat& format) { (void)format; }
  virtual int SupportsAutorouting() { return 1; }
  // The behaviour bits of a symbol class; none here. Bit 0x4 gives the
  // class's composites contents that the user shows or hides (and so edits
  // or not) by a show key; any bit for the null class makes the diagram's
  // windows fit the swimlane heading height as they draw.
  static constexpr DWORD BehaviorComposite = 0x4;
  virtual DWORD GetSymbolBehaviors(const GUID& clsid) {
    (void)clsid;
    return 0;
  }

  SString ConstructShowRegKey(const GUID& clsid, long collection) const;
  int HaveCompViewMenu(ISSymbol* symbol, int& compView) const;
  int IsPreview() const;
  HRESULT GetDiagram(ISRepObject** out) const;
  ISRepObject* GetDiagramObject() const { return m_pDiagram; }

  int SetChanged(int changed) {
    const int old = m_bChanged;
    m_bChanged = changed;
    return old;
  }
  int IsChanged() const { return m_bChanged; }
  int IsLoading() const { return m_bLoading; }
  // Raised by the diagram while it (re)initialises the preferences.
  int m_bInitializing = 0;

  LONG GetWrapMode() const { return m_nWrapMode; }
  DWORD GetTruncLen() const { return m_nTruncLen; }
  DWORD GetWrapLen() const { return m_nWrapLen; }
  const SString& GetWrapText() const { return m_wrapText; }
  int GetShortcutInIcon() const { return m_shortcut[0]; }
  int GetShortcutInLoct() const override { return m_shortcut[1]; }
  int GetShortcutExIcon() const { return m_shortcut[2]; }
  int GetShortcutExLoct() const override { return m_shortcut[3]; }
  int GetShortcutInFullPath() const override { return m_shortcut[4]; }
  int GetShortcutInLastPckg() const override { return m_shortcut[5]; }
  int GetShortcutExFullPath() const override { return m_shortcut[6]; }
  int GetShortcutExLastPckg() const override { return m_shortcut[7]; }
  int GetShortcutExIncludeModl() const override { return m_shortcut[8]; }

  // ---- ISSymDispPref (what the symbol core reads)
  LONG GetDarkenPercent() const override { return m_nDarkenPercent; }
  DWORD GetClassFlags(const CLSID& clsid) const override {
    auto it = m_classFlags.find(clsid);
    return it == m_classFlags.end() ? 0 : it->second;
  }
  bool ShowsLinkIntersections() const override { return m_bShowIntersect != 0; }
  bool ActivatesLinkRouting() const override { return m_bAutoRouting != 0; }
  bool GetConstrainLabels() const override { return m_bConstrainLabels != 0; }
  SPrefDataWrap GetDataWrap() const override {
    SPrefDataWrap wrap;
    wrap.m_nWrapMode = m_nWrapMode;
    wrap.m_nTruncLength = static_cast<int>(m_nTruncLen);
    wrap.m_nWrapLength = static_cast<int>(m_nWrapLen);
    wrap.m_strBreakChars = m_wrapText;
    return wrap;
  }
  void SetClassFlags(const CLSID& clsid, DWORD flags) { m_classFlags[clsid] = flags; }
  int GetTreeOrientation() const override { return m_bTreeVert; }
  bool SetTreeOrientation(int vertical) override;
  LONG GetSnapGridSize() const override { return m_bSnapGrid ? m_nGridSize : 0; }
  bool GetClassSymbolFormat(const CLSID& clsid, SSymFormat& out) const override {
    auto it = m_classFormats.find(clsid);
    if (it == m_classFormats.end()) return false;
    out = it->second;
    return true;
  }
  void SetClassSymbolFormat(const CLSID& clsid, const SSymFormat& format) { m_classFormats[clsid] = format; }
  // Darkening percentage of composite children ("CompDark").
  LONG m_nDarkenPercent = 0;

  // Forgets which module codes had their registry layout brought up to date.
  static void ResetMigratedModules();

 private:
  struct Less {
    bool operator()(const CLSID& a, const CLSID& b) const { return std::memcmp(&a, &b, sizeof(CLSID)) < 0; }
  };
  std::map<CLSID, DWORD, Less> m_classFlags;
  std::map<CLSID, SSymFormat, Less> m_classFormats;

  ISRepObject* m_pDiagram = nullptr;
  LONG m_nWrapMode = 0;
  DWORD m_nTruncLen = 0;
  DWORD m_nWrapLen = 0;
  SString m_wrapText;
  int m_bChanged = 0;
  int m_bLoading = 0;
  // internal icon, internal location, external icon, external location,
  // internal full path, internal last package, external full path,
  // external last package, external include model
  int m_shortcut[9] = {};
};

// Lends preferences to a diagram (null takes them back); not counted. Lent
// preferences answer ahead of the diagram's own.
void SSymAttachDispPref(ISSymDiagram* diagram, SSymDispPref* prefs);
