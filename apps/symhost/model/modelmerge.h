// The host's merge of another model's entities into a model diagram: the
// source carries entity symbols and relation links of a diagram of another
// session; each entity symbol becomes a new entity of the target folder with
// its attributes, shown by a copy of the symbol; each carried link whose two
// ends were merged becomes a new relation with its link. The merged symbols
// land as one selected block on the target rectangle.
//
// A source that holds a deleted object (a carried symbol or the model object
// it shows, deleted after it was carried) is refused whole: nothing of it is
// merged, and its objects are deleted as the library's merge does with a
// refused source.
#pragma once

#include <map>
#include <vector>

#include "apps/symhost/samplediagram.h"
#include "sym/edit/symmerge.h"
#include "sym/edit/symviewedit.h"
#include "sym/edit/symselection.h"

// An editing window of the host: new objects go to its folder (a package).
class SHostEditView : public SSymViewEdit {
 public:
  explicit SHostEditView(ISRepObject* folder) : m_folder(folder) {}
  ISRepObject* GetTargetFolder() override { return m_folder; }

 private:
  ISRepObject* m_folder;  // not counted: the model holds it
};

class SHostModelMerge : public SSymMerge {
 public:
  // The view's diagram, selection and folder are the target.
  SHostModelMerge(SSymViewEdit* view, ISRepObject* root, SSymRect* rect, ISRepSession* sourceSession);
  ~SHostModelMerge() override;

  // The symbols the merge made in the target diagram, in the order made.
  const std::vector<ISSymbol*>& GetMerged() const { return m_merged; }
  // The entities and relations the merge made in the target folder.
  const std::vector<ISRepObject*>& GetMadeObjects() const { return m_made; }

  // A symbol that was never placed (its rectangle is a point) asks for a
  // layout.
  int NeedsAutoLayout(ISRepObject* object, DWORD flags) override;

 protected:
  // Objects of the source session only.
  int CanMergeObject(ISRepObject* object) override;
  // Notes the carried objects and the model objects their symbols show.
  void BuildSelectedObject(ISRepClassCol* collection, SComBag<ISRepObject, ISRepObject*>* bag) override;
  // 0 when any noted object is deleted.
  int VerifySelectedObject() override;
  int HasDeleted(ISRepObject* object) override;
  // An entity symbol: a new entity (one per source entity) and a copy of the
  // symbol showing it, selected. Other symbols are passed over.
  int AttachSymbol(ISSymbol* symbol) override;
  // The carried relation links between merged entities.
  void PostMergeSymbols() override;

 private:
  ISRepObject* TargetEntityFor(ISRepObject* source);
  void Keep(ISSymbol* made);

  SRepBagObject m_noted;                        // counted
  bool m_bOrphans = false;                      // a carried symbol shows nothing
  std::map<ISSymbol*, ISSymbol*> m_symbolCopy;  // source symbol -> its copy (both held elsewhere)
  std::vector<ISSymbol*> m_merged;              // counted
  std::vector<ISRepObject*> m_made;             // not counted: the folder holds them
};

// Merges into the model picture a block of another model's entities
// ("Suppliers": two entities and the relation between them) that a second
// session holds: a title at the top of `target`, the block centred in the
// rest of it. Tracks the title and the merged symbols in the diagram's
// holder and appends them to `made`; nothing when the diagram has no model
// diagram or the model is null.
void SAddModelMerge(SHostDiagram& diagram, ISRepObject* model, const SSymRect& target, std::vector<ISSymbol*>& made);
