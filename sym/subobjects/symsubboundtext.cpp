#include "sym/subobjects/symsubboundtext.h"

#include "kvrep/srepextras.h"
#include "kvrep/srepsession.h"
#include "sym/render/symcanv.h"
#include "sym/render/symdeftcanv.h"
#include "sym/subobjects/symsubs.h"
#include "sym/symbol/symintfdisppref.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfview.h"

namespace {
constexpr LONG kName = 0x01000002;
constexpr LONG kCode = 0x01000004;

// The model object and session of an external shortcut's other model.
SString ExternalModelName(ISRepShortcut* shortcut) {
  SComOut<ISRepSessionExternHelper> helper;
  if (FAILED(shortcut->GetExternHelper(&helper)) || !helper) return SString();
  SComWrap<ISRepSessionExtern, &IID_ISRepSessionExtern> external(helper.Get());
  if (external.IsNull()) return SString();
  SComOut<ISRepObject> model;
  SComOut<ISRepSession> session;
  if (FAILED(external->GetModelObject(&model)) || !model) return SString();
  external->GetSession(&session);
  const bool names = session && (session->GetOptions() & SSymSessionShowsNames) != 0;
  SRepVariant value;
  if (model->GetAttribute(names ? kName : kCode, &value) != S_OK) return SString();
  return value.GetAsText();
}
}  // namespace

SSymRect SSymMeasureSubText(SSymSubs& sub) {
  SSymRect rect;
  bool measured = false;
  SComOut<ISSymDiagram> diagram;
  if (SUCCEEDED(sub.GetDiagram(&diagram)) && diagram) {
    if (SSymView* view = diagram->GetFirstView()) {
      SSymLockViewCanvas lock(view);
      if (SSymCanvas* canvas = lock.GetCanvas()) {
        rect = sub.ComputeTextRect(*canvas);
        measured = true;
      }
    }
  }
  if (!measured) {
    SSymDeftCanvas screen;
    rect = sub.ComputeTextRect(screen);
  }
  rect.Normalize();
  return rect;
}

SString SSymShortcutLocation(ISRepObject* bound, ISSymbol* owner) {
  if (!bound || !owner || !bound->IsShortcut()) return SString();
  SComOut<ISSymDiagram> diagram;
  if (FAILED(owner->GetDiagram(&diagram)) || !diagram) return SString();
  const ISSymDispPref* pref = SSymGetDispPrefPtr(diagram.Get());
  if (!pref) return SString();
  SComWrap<ISRepShortcut, &IID_ISRepShortcut> shortcut(bound);
  if (shortcut.IsNull()) return SString();
  if (!shortcut->IsExternal()) {
    if (!pref->GetShortcutInLoct()) return SString();
    if (pref->GetShortcutInFullPath()) return SRepGetShortcutLocation(bound, true);
    if (pref->GetShortcutInLastPckg()) return SRepGetShortcutLocation(bound, false);
    return SString();
  }
  SString location;
  if (pref->GetShortcutExIncludeModl()) {
    const SString model = ExternalModelName(shortcut.Get());
    if (!model.IsEmpty()) location = SString(u"<") + model + SString(u">");
  }
  if (pref->GetShortcutExLoct()) {
    if (pref->GetShortcutExFullPath()) location += SRepGetShortcutLocation(bound, true);
    else if (pref->GetShortcutExLastPckg()) location += SRepGetShortcutLocation(bound, false);
  }
  return location;
}
