// The main job's dialog sheet (dialogs.png): one picture of the dialogs a
// person meets, each a panel with its title above the dialog as it shows on
// opening (after the panel's few actions). Every dialog is cancelled after
// its picture: nothing it shows is changed.
//
// A panel is a title and a function that builds the dialog to picture; the
// dialog it answers may hold whatever it stands on (a model, a diagram)
// through the pointer's owner, which lives until the picture is taken.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "apps/symhost/hostexport.h"
#include "kvcore/sdlg.h"

using SHostPanelDialog = std::shared_ptr<SDlg>;
using SHostPanelBuilder = SHostPanelDialog (*)();

// A modeless dialog already open over its sample: its window is pictured as
// it stands, and closed with the sample when the pointer goes.
class SHostOpenDialog {
 public:
  virtual ~SHostOpenDialog() = default;
  virtual HWND Window() const = 0;
};
using SHostOpenDialogBuilder = std::shared_ptr<SHostOpenDialog> (*)(std::string& error);

struct SHostDialogPanel {
  const char* title;
  // A modal dialog to run, or (when null) `open`.
  SHostPanelBuilder build;
  // What a person does before the picture is taken (ids of the dialog or
  // of its shown page).
  std::vector<KvControlAction> actions = {};
  SHostOpenDialogBuilder open = nullptr;
};

// The panels of the sheet, in order.
const std::vector<SHostDialogPanel>& SHostDialogPanels();

// The display preferences dialog over a diagram of the host's type, its
// "General" page shown.
SHostPanelDialog SHostBuildDispPrefPanel();
// The swimlane group name dialog.
SHostPanelDialog SHostBuildSwimGroupPanel();
// The text dialog over a formatted free text, the fit-to-page dialog with
// "2 x 3" chosen and the print dialog, each over a sample of its own.
std::shared_ptr<SHostOpenDialog> SHostOpenTextPanel(std::string& error);
std::shared_ptr<SHostOpenDialog> SHostOpenFitToPagePanel(std::string& error);
std::shared_ptr<SHostOpenDialog> SHostOpenPrintPanel(std::string& error);

// Writes `name`.png into the folder with one panel per entry of `panels`.
// False, nothing left behind, with a message in `error` when a dialog
// cannot be built, shown or pictured.
bool SHostWriteDialogSheet(const std::vector<SHostDialogPanel>& panels, const std::string& folder,
                           const std::string& name, std::vector<SHostExportedFile>& written, std::string& error);
// The main job's sheet: every panel of SHostDialogPanels into dialogs.png.
bool SHostWriteDialogSheet(const std::string& folder, std::vector<SHostExportedFile>& written, std::string& error);
