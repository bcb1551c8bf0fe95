#include "sym/symbol/symseams3.h"

#include <new>

#include "kvrep/srepextras.h"
#include "sym/render/symdeftcanv.h"
#include "sym/symbol/symbase.h"
#include "sym/symbol/symseams.h"

// ---- in-place editing ----------------------------------------------------------------------------
int SSymEditInPlaceController::s_nNextResult = 0;
bool SSymEditInPlaceController::s_bFailNextCreate = false;
int SSymEditInPlaceController::s_nLive = 0;
SString SSymEditInPlaceController::s_lastText;
SSymRect SSymEditInPlaceController::s_lastRect;

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

int SSymEditInPlaceController::Execute(int) {
  const int result = s_nNextResult;
  s_nNextResult = 0;
  return result;
}

// ---- the text dialog ------------------------------------------------------------------------------
SSymTextDlg::SSymTextDlg(ISSymText* text) : m_pText(text), m_pObject(text ? SSymGetRepObject(SComWrap<ISSymbol>(text).Get()) : nullptr) {
  if (m_pText) m_pText->AddRef();
  if (m_pObject) SRepDialogMap::Add(m_pObject, this);
}

SSymTextDlg::~SSymTextDlg() {
  if (m_pObject && SRepDialogMap::Find(m_pObject) == this) SRepDialogMap::Remove(m_pObject);
  SComOut<ISSymText> drop(std::exchange(m_pText, nullptr));
}

SSymTextDlg* SSymTextDlg::Find(ISRepObject* object) {
  return object ? static_cast<SSymTextDlg*>(SRepDialogMap::Find(object)) : nullptr;
}

// ---- measuring on a view ---------------------------------------------------------------------------
SSymLockViewCanvas::SSymLockViewCanvas(SSymView*) {
  // Views have no canvas of their own yet: measure on the screen.
  m_own = std::make_unique<SSymDeftCanvas>();
  m_pCanvas = m_own.get();
}

SSymLockViewCanvas::~SSymLockViewCanvas() = default;
