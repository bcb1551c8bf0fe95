// Pictures of the dialog layer: the layout dialog over the host's sample
// model, the "Symbol Format" sheet over a selection of that model (each of
// its pages, one under the other) and a property sheet, each shown with a
// few controls set, saved as PNG (dialog-layout.png, format-sheet.png,
// dialog-sheet.png) so that a person sees how dialogs look without a screen.
#pragma once

#include <string>
#include <vector>

#include "apps/symhost/hostexport.h"

// False with a message in `error` when a dialog cannot be shown or written.
bool SHostWriteDialogPictures(const std::string& folder, std::vector<SHostExportedFile>& written,
                              std::string& error);
