// ISSymInPlaceEditor: the in-place text editor a text symbol opens on a view.
// The tools subsystem owns the editor and installs its factory when the
// library loads.
#pragma once

#include "kvcore/sstring.h"
#include "kvcore/stable.h"
#include "sym/foundation/symgeom.h"

class SSymFont;
class SSymView;
class SSymSubsFonts;
class SSymEditInPlaceController;
struct ISSymbol;
struct ISSymText;
struct ISRepObject;

class ISSymInPlaceEditor {
 public:
  virtual ~ISSymInPlaceEditor() = default;
  virtual void Init(SSymView* view, ISSymbol* symbol, const SString& text, const SSymRect& rect) = 0;
  // Makes the editor's text control over `rect`, showing `text` in `font`;
  // the edited text goes back through `target`.
  virtual void CreateTextCtrl(SSymView* view, const SSymFont& font, const SString& text, ISSymText* target,
                              const SSymRect& rect) = 0;
  // Makes the in-place control of a repository attribute, chosen by the kind
  // of the attribute's editor, over `rect` in `font`; `size` (when not
  // empty) is the room the longest value needs. 1 when that kind has no
  // in-place control (nothing made), 0 otherwise.
  virtual int CreateAttrCtrl(ISRepObject* object, LONG id, SSymView* view, const SSymFont& font, const SSymRect& rect,
                             const SSymSize& size) = 0;
  // Runs the editing; negative on failure.
  virtual int Execute(int flag) = 0;
  // Group editing of a symbol's compartments over `rect`: the members (a
  // flattened list), the one to start with and the attribute ids.
  virtual void InitGroup(SSymView* view, const SSymRect& rect, const STable<SSymSubsFonts*>& members, int start,
                         const STable<LONG>& ids) = 0;
  // Edits the members one after the other from the start; negative on failure.
  virtual int ExecuteGroup() = 0;
  // The repository object under edit (not counted; null: none) and the
  // rectangle the editor was prepared over. A table cell is edited on the
  // object of its row, inside that rectangle.
  virtual ISRepObject* GetEditObject() const { return nullptr; }
  virtual void SetEditObject(ISRepObject* object) { (void)object; }
  virtual SSymRect GetEditRect() const { return SSymRect(); }

  // The tools subsystem's controller behind this editor, for the sub-object
  // operations that take the controller itself; null for any other editor.
  virtual SSymEditInPlaceController* GetController() { return nullptr; }
  // The member of the group the editing starts from, when it is not the one
  // given to InitGroup.
  virtual void SetStartIndex(int) {}
};

// The editor face of the tools subsystem's controller (defined there).
ISSymInPlaceEditor* SSymEditorFace(SSymEditInPlaceController* controller);

// A new editor for the caller to delete, or null when none can be made (or
// no factory is installed).
ISSymInPlaceEditor* SSymCreateInPlaceEditor();
void SSymSetInPlaceEditorFactory(ISSymInPlaceEditor* (*factory)());

// The group editing flag: the in-place editing code sets it while it runs a
// symbol's EditInPlace for group editing (the compartments edited one after
// the other); a sub-object selection then runs the group edit itself.
bool SSymGetGroupEditing();
void SSymSetGroupEditing(bool on);
