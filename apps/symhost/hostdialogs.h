// Pictures of the dialog layer: the layout dialog over the host's sample
// model, the "Symbol Format" sheet over a selection of that model (each of
// its pages, one under the other) and a property sheet, each shown with a
// few controls set, saved as PNG (dialog-layout.png, format-sheet.png,
// dialog-sheet.png) so that a person sees how dialogs look without a screen.
#pragma once

#include <string>
#include <vector>

#include "apps/symhost/hostexport.h"
#include "sym/foundation/symformat.h"

struct ISSymbol;

// False with a message in `error` when a dialog cannot be shown or written.
bool SHostWriteDialogPictures(const std::string& folder, std::vector<SHostExportedFile>& written,
                              std::string& error);
// What the format sheet shows over a selection: the values all its symbols
// share, the others marked as mixed.
SSymFormat SHostCommonFormat(const std::vector<ISSymbol*>& symbols);
