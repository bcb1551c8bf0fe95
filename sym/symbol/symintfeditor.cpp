#include "sym/symbol/symintfeditor.h"

namespace {
using Factory = ISSymInPlaceEditor* (*)();
constinit Factory g_editorFactory = nullptr;
constinit bool g_bGroupEditing = false;
}  // namespace

ISSymInPlaceEditor* SSymCreateInPlaceEditor() { return g_editorFactory ? g_editorFactory() : nullptr; }
void SSymSetInPlaceEditorFactory(ISSymInPlaceEditor* (*factory)()) { g_editorFactory = factory; }

bool SSymGetGroupEditing() { return g_bGroupEditing; }
void SSymSetGroupEditing(bool on) { g_bGroupEditing = on; }
