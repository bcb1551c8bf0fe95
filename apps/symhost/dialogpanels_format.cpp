#include "apps/symhost/dialogpanels_format.h"

#include "apps/symhost/model/hostmodel.h"
#include "apps/symhost/model/hostmodelsyms.h"
#include "apps/symhost/samplediagram.h"
#include "sym/dialogs/symdialog.h"
#include "sym/edit/symselection.h"

namespace {

// The sheet and what it stands on, in the order they are made.
struct FormatPanel {
  SHostDiagram sample;
  SSymSelection selection;
  SSymFormat format;
  SSymAllowOption allow;
  std::unique_ptr<SSymDialog> sheet;
  SHostEntitySym* symbol = nullptr;

  bool Build() {
    SHostPackage* package = SHostNewModel(sample.Session(), SString(u"Orders"));
    if (!package) return false;
    SRepObject* entity = SHostAddEntity(static_cast<ISRepObjectBase*>(package), SString(u"Customer"));
    package->Release();  // the session keeps the model
    if (!entity) return false;
    for (const char16_t* name : {u"id", u"name", u"address", u"phone"}) SHostAddAttribute(entity, SString(name), SString(u"text"));
    symbol = new SHostEntitySym(sample.Session(), SSymRect(0, 0, 4800, -3600));
    symbol->AddRef();
    symbol->SetSession(sample.Session());
    if (!SHostBind(symbol, entity)) {
      symbol->Release();
      return false;
    }
    symbol->m_bAttributeGrid = true;
    SHostBuildEntitySymbol(symbol, entity);
    sample.Adopt(symbol->Sym());
    selection.SetDiagram(sample.Model()->Diagram());
    selection.Add(symbol->Sym(), 0);
    format.m_size = SSymSize(4800, 3600);
    allow.m_mask = SSymDialog::MaskContent | SSymDialog::MaskCustomShape;
    sheet = std::make_unique<SSymDialog>(&format, &allow, SSymDialog::CaptionId, &selection);
    return true;
  }
  ~FormatPanel() {
    sheet.reset();
    selection.Clear(0);
  }
};

}  // namespace

std::shared_ptr<SDlg> SHostBuildFormatSheetPanel() {
  auto panel = std::make_shared<FormatPanel>();
  if (!panel->Build()) return nullptr;
  return std::shared_ptr<SDlg>(panel, panel->sheet.get());
}
