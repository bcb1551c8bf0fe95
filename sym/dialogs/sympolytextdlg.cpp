#include "sym/dialogs/sympolytextdlg.h"

#include <utility>

#include "kvrep/srepextras.h"
#include "sym/links/sympolyline.h"
#include "sym/symbol/symbase.h"

SSymPolyTextDlg::SSymPolyTextDlg(SSymLineTextHelper* helper, ISSymbol* line)
    : m_pHelper(helper), m_pLine(line), m_pObject(line ? SSymGetRepObject(line) : nullptr) {
  if (m_pLine) m_pLine->AddRef();
  if (m_pObject) SRepDialogMap::Add(m_pObject, this);
}

SSymPolyTextDlg::~SSymPolyTextDlg() {
  if (m_pObject && SRepDialogMap::Find(m_pObject) == this) SRepDialogMap::Remove(m_pObject);
  if (ISSymbol* line = std::exchange(m_pLine, nullptr)) line->Release();
}

SSymPolyTextDlg* SSymPolyTextDlg::Find(ISRepObject* object) {
  return object ? static_cast<SSymPolyTextDlg*>(SRepDialogMap::Find(object)) : nullptr;
}

void SSymPolyTextDlg::Display(HWND owner, DWORD style, int first, int second, int third) {
  m_owner = owner;
  m_style = style;
  m_pages[0] = first;
  m_pages[1] = second;
  m_pages[2] = third;
  // The pages in sheet order: source, centre, destination.
  if (m_pHelper) {
    m_texts[SourcePage] = m_pHelper->GetText(1);
    m_texts[CentrePage] = m_pHelper->GetText(0);
    m_texts[DestinationPage] = m_pHelper->GetText(2);
  }
  ++m_nShown;
}

namespace {
void OpenPolyTextDialog(ISRepObject* object, SSymLineTextHelper* helper, ISSymbol* line, HWND owner) {
  // An open sheet of the same object is shown again.
  SSymPolyTextDlg* sheet = SSymPolyTextDlg::Find(object);
  if (!sheet) sheet = new SSymPolyTextDlg(helper, line);
  sheet->Display(owner, SSymPolyTextDlg::SheetStyle, 0, 1, 2);
}
struct PolyTextDialogInstaller {
  PolyTextDialogInstaller() { SSymSetPolyTextDialogOpener(&OpenPolyTextDialog); }
  ~PolyTextDialogInstaller() { SSymSetPolyTextDialogOpener(nullptr); }
} g_polyTextDialogInstaller;
}  // namespace
