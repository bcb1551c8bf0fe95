// The print settings record as the user last left it.
#include "kvlib/suserregistry.h"
#include "sym/render/symcanvprinter.h"

SSymPrintData SSymPrintData::LastChoices() {
  SSymPrintData data;
  SUserRegistry settings(SUserRegistry::sApplicationGeneral);
  const struct {
    const char16_t* name;
    int* field;
  } values[] = {{u"PrintDiagNbCopy", &data.m_nCopies},
                {u"PrintDiagAllPage", &data.m_bAllPages},
                {u"PrintDiagFrame", &data.m_bFrame},
                {u"PrintDiagCorner", &data.m_bCorner},
                {u"PrintDiagColor", &data.m_bColor}};
  for (const auto& v : values) {
    long stored = *v.field;
    settings.GetProfile(SString(v.name), &stored, *v.field);
    *v.field = static_cast<int>(stored);
  }
  // A stored count below one still prints the document once.
  if (data.m_nCopies < 1) data.m_nCopies = 1;
  data.m_nScale = 100;
  return data;
}
