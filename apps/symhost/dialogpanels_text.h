// The text dialog and the fit-to-page dialog opened over samples of their
// own without a screen, for the host's sheet of dialog pictures: each panel
// keeps its sample and its dialog's window (modeless, shown) while it lives,
// so that the window can be painted (KvSaveWindowTreePng).
#pragma once

#include <memory>
#include <string>

#include "win/windef.h"

class SHostDialogPanelText {
 public:
  virtual ~SHostDialogPanelText() = default;
  // The dialog's window.
  virtual HWND Window() const = 0;
};

// The "Text" dialog of a free text of a small sample diagram, in RTF mode
// over a formatted text. Null, with a message in `error`, when it cannot
// be made.
std::unique_ptr<SHostDialogPanelText> SHostOpenTextDialogPanel(std::string& error);
// The "Fit to Page" dialog over an editing window of the host's sample
// model, with "Fit to pages" checked and "2 x 3" chosen. Null, with a
// message in `error`, when it cannot be made.
std::unique_ptr<SHostDialogPanelText> SHostOpenFitToPageDialogPanel(std::string& error);
