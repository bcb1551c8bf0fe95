// Whether the contents of a composite are shown and editable. Composites
// are, other symbols not; for classes whose composites the preferences give
// a show key (composite behaviour), the key decides: the symbol's own
// content text first, then the "Object" preference, then the default.
#include "kvrep/srepvariant.h"
#include "sym/diagram/symdiagram.h"
#include "sym/diagram/symobjcontent.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfsymbol.h"

namespace {
using RepObjWrap = SComWrap<ISRepObject, &IID_ISRepObject>;

// The symbol's content text (what it shows of its model object).
constexpr LONG kIdContentText = 0x020100BB;
// Composite contents are shown under the show key of the Symbols collection.
constexpr LONG kIdSymbols = 0x02010015;

// The content text of a symbol; empty when it keeps none.
SString ContentOf(ISRepObject* symbol) {
  SRepVariant v;
  if (!symbol || symbol->GetAttribute(kIdContentText, &v) != S_OK || v.IsEmpty()) return SString();
  return v.GetSTRING();
}

// The show key of a class's composite contents, or empty.
SString ShowKeyOf(SSymDispPref& prefs, ISRepObject* object) {
  CLSID clsid = GUID_NULL;
  if (FAILED(object->GetCLSID(&clsid))) return SString();
  return prefs.ConstructShowRegKey(clsid, kIdSymbols);
}

// The show flag in force for a key: the symbol's content text over the
// preference, the preference over `def`.
int ShowFlag(SSymDispPref& prefs, const SString& key, const SString& content, int def) {
  int show = def;
  prefs.GetBoolOptProfile(SSymDispPref::GetObjectPath(), key, show, def, SSymDispPref::LocOrdinary);
  SObjSymContentHelper::IsShowKey(content, key, show);
  return show;
}
}  // namespace

BOOL SSymDiagramImpl::IsSymEditable(ISSymbol* symbol, ISRepObject* object) {
  SSymDispPref* prefs = symbol && object ? GetDispPrefPtr() : nullptr;
  if (!prefs) return 0;
  const int def = SComWrap<ISSymCompSym>(symbol).IsNull() ? 0 : 1;
  if (!HasCompositeBehavior(object)) return def;
  const SString key = ShowKeyOf(*prefs, object);
  if (key.IsEmpty()) return def;
  return ShowFlag(*prefs, key, ContentOf(RepObjWrap(symbol).Get()), def) ? 1 : 0;
}

int SSymDiagramImpl::SetCompEditable(ISSymbol* symbol, int editable) {
  SComWrap<ISSymObject> shown(symbol);
  if (shown.IsNull()) return 0;
  SComOut<ISRepObject> model;
  if (shown->GetModelObject(&model) != S_OK || !model) return 0;
  SSymDispPref* prefs = GetDispPrefPtr();
  if (!prefs || !HasCompositeBehavior(model.Get())) return 0;
  const SString key = ShowKeyOf(*prefs, model.Get());
  if (key.IsEmpty()) return 0;
  RepObjWrap self(symbol);
  SString content = ContentOf(self.Get());
  const int wanted = editable ? 1 : 0;
  if (ShowFlag(*prefs, key, content, 1) == wanted) return 0;
  if (!SObjSymContentHelper::AddContentLine(&content, key, &wanted, nullptr, nullptr, nullptr)) return 0;
  // A symbol that cannot keep the text has changed nothing.
  return self->SetAttribute(kIdContentText, SRepVariant::Text(content)) == S_OK ? 1 : 0;
}
