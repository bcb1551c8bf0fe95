// Pictures of the dialog layer: one dialog made from a control table and
// one property sheet, each shown with a few controls set, saved as PNG
// (dialog-form.png, dialog-sheet.png) so that a person sees how dialogs
// look without a screen.
#pragma once

#include <string>
#include <vector>

#include "apps/symhost/hostexport.h"

// False with a message in `error` when a dialog cannot be shown or written.
bool SHostWriteDialogPictures(const std::string& folder, std::vector<SHostExportedFile>& written,
                              std::string& error);
