// The text dialog of a text symbol, one per repository object: the dialogs
// subsystem owns it and installs the opener when the library loads.
#pragma once

struct ISRepObject;
struct ISSymText;

// Shows the open dialog of the object, or a new one on the text; nothing
// when no opener is installed.
void SSymShowTextDialog(ISRepObject* object, ISSymText* text);
void SSymSetTextDialogOpener(void (*opener)(ISRepObject* object, ISSymText* text));
