#include "sym/tools/symeditinplace.h"

#include <new>

#include "kvrep/srepobject.h"

int SSymEditInPlaceController::s_nNextResult = 0;
bool SSymEditInPlaceController::s_bFailNextCreate = false;
int SSymEditInPlaceController::s_nLive = 0;
SString SSymEditInPlaceController::s_lastText;
SSymRect SSymEditInPlaceController::s_lastRect;
SSymFont SSymEditInPlaceController::s_lastFont;
ISRepObject* SSymEditInPlaceController::s_lastObject = nullptr;
LONG SSymEditInPlaceController::s_lastAttr = 0;
SSymSize SSymEditInPlaceController::s_lastCtrlSize;
int SSymEditInPlaceController::s_lastInitStart = -1;
STable<LONG> SSymEditInPlaceController::s_lastInitIds;
int SSymEditInPlaceController::s_lastGroupStart = -1;
int SSymEditInPlaceController::s_lastGroupCount = 0;

ISSymInPlaceEditor* SSymEditorFace(SSymEditInPlaceController* controller) { return controller; }

SSymEditInPlaceController* SSymEditInPlaceController::Create() {
  if (s_bFailNextCreate) {
    s_bFailNextCreate = false;
    return nullptr;
  }
  return new (std::nothrow) SSymEditInPlaceController();
}

void SSymEditInPlaceController::Init(SSymView* view, ISSymbol* symbol, const SString& text, const SSymRect& rect) {
  m_pView = view;
  m_pSymbol = symbol;
  m_text = text;
  m_rect = rect;
  s_lastText = text;
  s_lastRect = rect;
}

void SSymEditInPlaceController::CreateTextCtrl(SSymView* view, const SSymFont& font, const SString& text,
                                               ISSymText* target, const SSymRect& rect) {
  Init(view, nullptr, text, rect);
  m_pTarget = target;
  m_font = font;
  s_lastFont = font;
}

int SSymEditInPlaceController::CreateAttrCtrl(ISRepObject* object, LONG id, SSymView* view, const SSymFont& font,
                                              const SSymRect& rect, const SSymSize& size) {
  if (!object) return 1;
  // Colours and object references are chosen in dialogs, not typed in place.
  SRepRegistry* reg = nullptr;
  CLSID clsid{};
  if (object->GetCLSID(&clsid) == S_OK) reg = SRepRegistry::Find(clsid);
  SRepAttrEditor* editor = reg ? reg->GetAttrEditor(id) : nullptr;
  if (editor && (editor->GetKind() == SRepEditor_Color || editor->GetKind() == SRepEditor_Object)) return 1;
  SString text;
  if (editor) editor->GetValueText(object, text);
  Init(view, nullptr, text, rect);
  m_font = font;
  m_pObject = object;
  m_nAttr = id;
  m_ctrlSize = size;
  s_lastFont = font;
  s_lastObject = object;
  s_lastAttr = id;
  s_lastCtrlSize = size;
  return 0;
}

int SSymEditInPlaceController::Execute(int) {
  const int result = s_nNextResult;
  s_nNextResult = 0;
  return result;
}

void SSymEditInPlaceController::InitGroup(SSymView* view, const SSymRect& rect, const STable<SSymSubsFonts*>& members,
                                          int start, const STable<LONG>& ids) {
  m_pView = view;
  m_rect = rect;
  m_members.RemoveAll();
  for (int i = 0; i < members.GetCount(); ++i) m_members.Add(members[i]);
  m_ids.RemoveAll();
  for (int i = 0; i < ids.GetCount(); ++i) m_ids.Add(ids[i]);
  m_nStart = start;
  s_lastRect = rect;
  s_lastInitStart = start;
  s_lastInitIds = m_ids;
}

int SSymEditInPlaceController::ExecuteGroup() {
  s_lastGroupStart = m_nStart;
  s_lastGroupCount = m_members.GetCount();
  const int result = s_nNextResult;
  s_nNextResult = 0;
  return result;
}

namespace {
ISSymInPlaceEditor* CreateEditor() { return SSymEditInPlaceController::Create(); }
struct EditorInstaller {
  EditorInstaller() { SSymSetInPlaceEditorFactory(&CreateEditor); }
  ~EditorInstaller() { SSymSetInPlaceEditorFactory(nullptr); }
} g_editorInstaller;
}  // namespace
