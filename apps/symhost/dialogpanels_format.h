// The "Symbol Format" sheet for the host's sheet of dialog pictures, over an
// entity symbol of a small model whose attributes are shown in a sub grid.
#pragma once

#include <memory>

#include "kvcore/sdlg.h"

// The sheet with the content page ("Sub-Objects") and the custom shape
// page, opened on the content page; it holds its sample while it lives.
// Null when the sample cannot be made.
std::shared_ptr<SDlg> SHostBuildFormatSheetPanel();
