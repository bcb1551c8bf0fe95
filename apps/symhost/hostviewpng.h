// What a diagram window shows of a diagram, saved as a PNG: the main job
// writes the sample sheet this way beside its exports, so that a person (or
// a test) can compare the window's painting with the bitmap export.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "apps/symhost/hostexport.h"
#include "apps/symhost/samplediagram.h"

// Opens a window of the library's diagram window class the size of the
// diagram's export extent at 100 percent, binds it to the model diagram,
// paints it and writes its surface as <folder>/<base>.png, whole under a
// working name first and then moved into place (a failed write leaves an
// earlier file of that name as it was). False with a message in `error`
// when the window cannot be made or the file written.
bool SHostWriteViewPng(SHostDiagram& diagram, const std::string& folder, const std::string& base,
                       std::vector<SHostExportedFile>& written, std::string& error);

class SSymView;
// Makes `view` (a window object not yet made) a visible window bound to the
// model diagram, active, and fits it as SHostFitDiagramWindow does. False
// with a message in `error` when there is no diagram or no window.
bool SHostOpenDiagramWindow(SHostDiagram& diagram, SSymView& view, std::string& error);
// Sizes the window's client area to the diagram's export extent at 100
// percent and scrolls the extent's upper-left corner onto its first pixel:
// the window then paints what the bitmap export draws.
void SHostFitDiagramWindow(const SHostDiagram& diagram, SSymView& view);
class SSymViewEdit;
// The same in editing windows, active, one per entry of `selections`, side
// by side on white in one picture: each window's selection is filled by its
// entry before the window paints, so that the selection's handles (or the
// marks of selected rows) show over the symbols. No entry: one window with
// nothing selected.
bool SHostWriteEditViewPng(SHostDiagram& diagram, const std::string& folder, const std::string& base,
                           const std::vector<std::function<void(SSymViewEdit&)>>& selections,
                           std::vector<SHostExportedFile>& written, std::string& error);

// The host's model in two editing windows side by side: two entities and a
// link selected, their handles drawn; and the second row of the entity that
// shows its attributes as a grid selected, its mark drawn.
bool SHostWriteModelEditPng(SHostDiagram& model, const std::string& folder, const std::string& base,
                            std::vector<SHostExportedFile>& written, std::string& error);
