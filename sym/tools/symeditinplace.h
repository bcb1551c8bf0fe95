// SSymEditInPlaceController: the in-place text editor of a symbol, in its
// least form until the tools subsystem brings the real one. The symbol core
// makes it through ISSymInPlaceEditor's factory, installed when the library
// loads.
#pragma once

#include "kvcore/sstring.h"
#include "sym/foundation/symgeom.h"
#include "sym/foundation/symvalues.h"
#include "sym/symbol/symintfeditor.h"

class SSymEditInPlaceController : public ISSymInPlaceEditor {
 public:
  SSymEditInPlaceController() { ++s_nLive; }
  ~SSymEditInPlaceController() override { --s_nLive; }
  SSymEditInPlaceController(const SSymEditInPlaceController&) = delete;
  SSymEditInPlaceController& operator=(const SSymEditInPlaceController&) = delete;

  void Init(SSymView* view, ISSymbol* symbol, const SString& text, const SSymRect& rect) override;
  void CreateTextCtrl(SSymView* view, const SSymFont& font, const SString& text, ISSymText* target,
                      const SSymRect& rect) override;
  int CreateAttrCtrl(ISRepObject* object, LONG id, SSymView* view, const SSymFont& font, const SSymRect& rect,
                     const SSymSize& size) override;
  // Runs the editing; negative on failure.
  int Execute(int flag) override;
  void InitGroup(SSymView* view, const SSymRect& rect, const STable<SSymSubsFonts*>& members, int start,
                 const STable<LONG>& ids) override;
  int ExecuteGroup() override;
  ISRepObject* GetEditObject() const override { return m_pObject; }
  void SetEditObject(ISRepObject* object) override { m_pObject = object; }
  SSymRect GetEditRect() const override { return m_rect; }
  SSymEditInPlaceController* GetController() override { return this; }
  void SetStartIndex(int start) override { m_nStart = start; }

  SSymView* m_pView = nullptr;
  ISSymbol* m_pSymbol = nullptr;
  ISSymText* m_pTarget = nullptr;
  SString m_text;
  SSymFont m_font;
  SSymRect m_rect;
  ISRepObject* m_pObject = nullptr;  // the attribute control's object, not counted
  LONG m_nAttr = 0;
  SSymSize m_ctrlSize;
  STable<SSymSubsFonts*> m_members;
  STable<LONG> m_ids;
  int m_nStart = -1;

  // Test seams: the answer of the next Execute, whether the next creation
  // fails, and the controllers alive and the last one initialised (its
  // font once a text control was made).
  static int s_nNextResult;
  static bool s_bFailNextCreate;
  static int s_nLive;
  static SString s_lastText;
  static SSymRect s_lastRect;
  static SSymFont s_lastFont;
  // The last attribute control made: its object, attribute and size.
  static ISRepObject* s_lastObject;
  static LONG s_lastAttr;
  static SSymSize s_lastCtrlSize;
  // The last group prepared: its start and attribute ids.
  static int s_lastInitStart;
  static STable<LONG> s_lastInitIds;
  // The last group edit run: its start, member count and rectangle.
  static int s_lastGroupStart;
  static int s_lastGroupCount;
  // A new controller, or null when it cannot be made.
  static SSymEditInPlaceController* Create();
};
