#include "sym/subobjects/symsubtitle.h"

#include "kvcore/sstringmap.h"
#include "kvrep/srepextras.h"
#include "kvrep/srepsession.h"
#include "sym/subobjects/symsubboundtext.h"
#include "sym/symbol/symintfdisppref.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintfowner.h"

namespace {
constexpr LONG kName = 0x01000002;
constexpr LONG kCode = 0x01000004;
constexpr LONG kDisplayName = 0x0100000B;
// Text style bits: wrap into lines, truncate.
constexpr LONG kStyleWrap = 0x1000;
constexpr LONG kStyleTruncate = 0x2000;
}  // namespace

SSymSubSymTitle::SSymSubSymTitle(ISRepObject* object, LONG id)
    : SSymSubObjText(object, id, SString(), SString(), nullptr, 0) {}

SSymSubSymTitle::SSymSubSymTitle(const SSymSubSymTitle& source)
    : SSymSubObjText(static_cast<const SSymSubText&>(source)) {
  m_dispid = source.m_dispid;
  m_strPrefix = source.m_strPrefix;
  m_strSuffix = source.m_strSuffix;
  if (source.m_pTableConversion) m_pTableConversion = new SStringMap(*source.m_pTableConversion);
  // Binding anew finds the editor, makes a relay of the copy's own and
  // registers the copy, so that each text takes off only what it put on.
  if (source.m_pObject) SSymSubObjText::SetObject(source.m_pObject);
  if (!m_pAttrEditor) m_pAttrEditor = source.m_pAttrEditor;
}

HRESULT SSymSubSymTitle::Draw(SSymCanvas& canvas) {
  if (m_flags & (SUBS_DRAWING | SUBS_HIDDEN)) return 1;
  m_flags |= SUBS_DRAWING;
  if (!IsInitialized()) InitializeSubSym();
  if (!(m_flags & SUBS_NOWRAPPREF)) {
    SComOut<ISSymDiagram> diagram;
    if (ISSymbol* owner = GetParentSymbol(); owner && SUCCEEDED(owner->GetDiagram(&diagram)) && diagram) {
      if (const ISSymDispPref* pref = SSymGetDispPrefPtr(diagram.Get())) {
        const int mode = pref->GetDataWrap().m_nWrapMode;
        if (mode == SPrefDataWrap::Wrap) m_textStyle = (m_textStyle | kStyleWrap) & ~kStyleTruncate;
        else if (mode == SPrefDataWrap::Truncate) m_textStyle = (m_textStyle | kStyleTruncate) & ~kStyleWrap;
      }
    }
  }
  m_flags &= ~SUBS_DRAWING;
  return SSymSubText::Draw(canvas);
}

int SSymSubSymTitle::UpdateText(SString& text, SSymRect& rect) const {
  if (!SSymSubObjText::UpdateText(text, rect)) return 0;
  ISSymbol* owner = GetParentSymbol();
  if (owner) {
    SComWrap<ISSymClone> clone(owner);
    if (!clone.IsNull()) clone->CloneText(text);
  }
  // An object living inside another object's compartments has no location of its own.
  if (m_pObject && SRepIsSubObjectClass(SRepGetExtClsid(m_pObject))) return 1;
  const SString location = SSymShortcutLocation(m_pObject, owner);
  // The location goes under the value just produced: the stored text may be
  // empty (a title asked for its text before its first drawing) or stale.
  if (!location.IsEmpty()) text += SString(u"\n(") + location + SString(u")");
  return 1;
}

LONG SSymSubSymTitle::GetDispidToEdit(ISRepObject* object, LONG id) {
  if (id != kName && id != kCode && id != kDisplayName) return SSymSubObjText::GetDispidToEdit(object, id);
  if (!object) return 0;
  SComOut<ISRepSession> session;
  if (FAILED(object->GetSession(&session)) || !session) return SSymSubObjText::GetDispidToEdit(object, id);
  return (session->GetOptions() & SSymSessionShowsNames) ? kName : kCode;
}
