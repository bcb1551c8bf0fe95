#include "sym/symbol/symintfeditor.h"

namespace {
using Factory = ISSymInPlaceEditor* (*)();
constinit Factory g_editorFactory = nullptr;
}  // namespace

ISSymInPlaceEditor* SSymCreateInPlaceEditor() { return g_editorFactory ? g_editorFactory() : nullptr; }
void SSymSetInPlaceEditorFactory(ISSymInPlaceEditor* (*factory)()) { g_editorFactory = factory; }
