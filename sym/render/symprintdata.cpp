// The print settings record and the user's lasting print options.
#include "sym/render/symprintdata.h"

#include "kvlib/suserregistry.h"

namespace {
const char16_t kCopies[] = u"PrintDiagNbCopy";
const char16_t kAllPages[] = u"PrintDiagAllPage";
const char16_t kFrame[] = u"PrintDiagFrame";
const char16_t kCorner[] = u"PrintDiagCorner";
const char16_t kColor[] = u"PrintDiagColor";

// Writes one option for the current user; nothing when the user's section
// cannot be opened.
void Persist(const char16_t* name, int value) {
  SUserRegistry settings(SUserRegistry::sApplicationGeneral);
  if (settings.IsUserOpen()) settings.WriteProfile(SString(name), static_cast<long>(value));
}

void Store(HGLOBAL& field, HGLOBAL handle) {
  if (field && field != handle) GlobalFree(field);
  field = handle;
}
}  // namespace

SSymPrintData::SSymPrintData() {
  SUserRegistry settings(SUserRegistry::sApplicationGeneral);
  if (!settings.IsUserOpen()) return;
  const struct {
    const char16_t* name;
    int* field;
  } values[] = {{kCopies, &m_nCopies}, {kAllPages, &m_bAllPages}, {kFrame, &m_bFrame}, {kCorner, &m_bCorner},
                {kColor, &m_bColor}};
  for (const auto& v : values) {
    long stored = *v.field;
    settings.GetProfile(SString(v.name), &stored, *v.field);
    *v.field = static_cast<int>(stored);
  }
  // A stored count below one still prints the document once.
  if (m_nCopies < 1) m_nCopies = 1;
}

SSymPrintData::~SSymPrintData() {
  if (m_hDevMode) GlobalFree(m_hDevMode);
  if (m_hDevNames && m_hDevNames != m_hDevMode) GlobalFree(m_hDevNames);
}

SSymPrintData::SSymPrintData(const SSymPrintData& other) { CopyChoices(other); }

SSymPrintData& SSymPrintData::operator=(const SSymPrintData& other) {
  if (this != &other) CopyChoices(other);
  return *this;
}

void SSymPrintData::CopyChoices(const SSymPrintData& other) {
  m_nCopies = other.m_nCopies;
  m_bAllPages = other.m_bAllPages;
  m_bFrame = other.m_bFrame;
  m_bCorner = other.m_bCorner;
  m_bColor = other.m_bColor;
  m_nScale = other.m_nScale;
  m_nSavedScale = other.m_nSavedScale;
  m_savedClip = other.m_savedClip;
  m_dSavedZoom = other.m_dSavedZoom;
  m_savedZoomPoint = other.m_savedZoomPoint;
  m_savedPaperSize = other.m_savedPaperSize;
  m_nSavedPgSize = other.m_nSavedPgSize;
  m_nSavedPgFormat = other.m_nSavedPgFormat;
  m_nSavedPaperSource = other.m_nSavedPaperSource;
  m_savedMargins = other.m_savedMargins;
  m_nSavedOrientation = other.m_nSavedOrientation;
}

void SSymPrintData::SetNbCopy(int copies) {
  m_nCopies = copies;
  Persist(kCopies, copies);
}
void SSymPrintData::SetPrintAllPages(int all) {
  m_bAllPages = all;
  Persist(kAllPages, all);
}
void SSymPrintData::SetPrintFrame(int frame) {
  m_bFrame = frame;
  Persist(kFrame, frame);
}
void SSymPrintData::SetPrintCorner(int corner) {
  m_bCorner = corner;
  Persist(kCorner, corner);
}
void SSymPrintData::SetPrintColor(int color) {
  m_bColor = color;
  Persist(kColor, color);
}

void SSymPrintData::SetDevMode(HGLOBAL devMode) { Store(m_hDevMode, devMode); }
void SSymPrintData::SetDevNames(HGLOBAL devNames) { Store(m_hDevNames, devNames); }
