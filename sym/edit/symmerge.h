// SSymMerge: brings model objects and their symbols from a source (the
// carried collection 0x02000023 of a root object, in a source session) into
// the diagram of an editing view.
//
// The source objects are taken as new objects of the current creation
// context when the collection belongs to a model root; the source symbols
// are handed one by one, owners before their parts and link ends before
// relations, to hooks that attach them to the target; the merged symbols are
// then moved as one block onto the target rectangle (around the origin
// without one), selected, attached to the lanes they fall into, and laid out
// automatically when asked and when a merged object wants it.
//
// The class is abstract and exported for hosts: a host derives from it,
// implements NeedsAutoLayout and overrides the hooks it needs. With the hooks
// of this class nothing is merged: MergeSymbol stops at the admission hook.
//
// The virtual operations keep their slot order (hosts built against the
// library rely on it): MergeModel, CanMergeObject, MergeSymbol,
// BuildSelectedObject, VerifySelectedObject, IsSelectedParent, MergeShortcut,
// DuplicateExternalObj, PostMergeSymbols, IsAutoCommitContext, AttachSymbol,
// HasDeleted, DeleteAllObjects, NeedsAutoLayout, then the destructor.
//
// The found-object map and the list of handled objects are shared by the
// process, so merges are not reentrant; everything runs on the user-interface
// thread.
#pragma once

#include <map>
#include <vector>

#include "kvcore/scomds.h"
#include "kvcore/scomwrap.h"
#include "kvcore/stable.h"
#include "kvrep/srepextras.h"
#include "kvrep/srepobject.h"
#include "sym/foundation/symgeom.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfsymbol.h"

class SSymSelection;
class SSymViewEdit;

// Member ids of the repository's common metamodel that the merge reads.
namespace SSymMergeId {
// The objects a root carries.
inline constexpr LONG RootObjects = 0x02000023;
// The two ends of a relation.
inline constexpr LONG RelationFrom = 0x02000010, RelationTo = 0x02000011;
// A symbol's (or composite's) content: its model object.
inline constexpr LONG Content = 0x04000087;
}  // namespace SSymMergeId

class SSymMerge {
 public:
  // With a view: its selection is emptied, its diagram becomes the target
  // and its target folder the folder the merge works in.
  SSymMerge(SSymViewEdit* view, ISRepObject* root, SSymSelection* selection, SSymRect* rect,
            ISRepSession* sourceSession);
  SSymMerge(const SSymMerge&) = delete;
  SSymMerge& operator=(const SSymMerge&) = delete;

  // Takes the view, its diagram as target and its selection.
  void SetView(SSymViewEdit* view);
  // Replaces the target diagram (counted); the merge then has no selection
  // and places nothing.
  void SetDiagram(ISSymDiagram* diagram);
  void SetFolder(ISRepObject* folder);
  void SetRoot(ISRepObject* root) { m_pRoot = root; }
  void SetRect(SSymRect* rect) { m_pRect = rect; }
  void SetSessSrc(ISRepSession* session) { m_pSessSrc = session; }

  // Merges the root's carried objects: 1 done, 0 not (no root, a root
  // without carried objects, a refused source, or a symbol that stopped the
  // merge). autoLayout 0 never lays out.
  virtual int MergeModel(int autoLayout);

 protected:
  // Admission hook: 0 stops the merge at this object (0 here).
  virtual int CanMergeObject(ISRepObject* object);

 public:
  // Merges one source object: 1 done or nothing to do, 0 stop the merge.
  virtual int MergeSymbol(ISRepObject* object);

 protected:
  // Gathers the source objects the host means to merge (nothing here).
  virtual void BuildSelectedObject(ISRepClassCol* collection, SComBag<ISRepObject, ISRepObject*>* bag);
  // 0 refuses the source: its objects are deleted and nothing is merged (1 here).
  virtual int VerifySelectedObject();
  // Whether an object's owner is among the objects merged (0 here; no caller
  // in this class).
  virtual int IsSelectedParent(ISRepObject* object);
  // Decides the merge of a symbol's model object that was not handled yet:
  // 1 stops the merge, 3 hands the symbol to DuplicateExternalObj, anything
  // else goes on (0 here).
  virtual int MergeShortcut(ISRepObject* object, ISRepObject* target);
  virtual int DuplicateExternalObj(ISRepObject* object, ISSymbol* symbol);
  // After every symbol was merged (nothing here).
  virtual void PostMergeSymbols();
  virtual int IsAutoCommitContext();
  // Attaches a top-level source symbol to the target: 0 stops the merge (0 here).
  virtual int AttachSymbol(ISSymbol* symbol);
  // Skip hook: non-zero passes over the object (0 here).
  virtual int HasDeleted(ISRepObject* object);
  // With a bag: gathers the collection's objects and, through their stored
  // collections, what they hold, recursively; nothing is deleted. Without:
  // gathers them (through this hook), empties the collection and deletes
  // every gathered object.
  virtual void DeleteAllObjects(ISRepClassCol* collection, SRepBagObject* bag);

 public:
  // Non-zero when a merged object asks for automatic layout (flags: 0).
  virtual int NeedsAutoLayout(ISRepObject* object, DWORD flags) = 0;
  virtual ~SSymMerge();

  // The objects already handled by the running merge, and a map for the
  // derived classes; shared by the process.
  static SRepMapObject m_mapFoundObj;
  static SRepBagObject m_lstObj;

  // ---- read by derived classes and tests
  SSymViewEdit* GetView() const { return m_pView; }
  ISRepObject* GetRoot() const { return m_pRoot; }
  SSymSelection* GetSelection() const { return m_pSelection; }
  ISSymDiagram* GetTargetDiagram() const { return m_diagram.Get(); }
  ISRepObject* GetFolder() const { return m_folder.Get(); }
  ISRepSession* GetSessSrc() const { return m_pSessSrc; }
  // The union of the clip rectangles of the source symbols met.
  const SSymRect& GetMergeRect() const { return m_rectMerge; }
  // True when the last MergeModel ran the automatic layout.
  bool HasLaidOut() const { return m_bLaidOut; }

 protected:
  // Adds every object of the collection, and what their stored navigable
  // collections hold, once, as a new object of the folder session's current
  // context; only when the collection belongs to a model root.
  void AddObjectsAsNewInContext(ISRepClassCol* collection);

  SRepMapObject m_mapFound;  // source object -> object it became; keys are skipped
  SRepBagObject m_bagObj;
  STableDumb<ISRepObject*> m_tabObj;

 private:
  // The ordering step: adds obj to list so that every owner precedes its parts.
  void AddOrdered(std::vector<SComWrap<ISRepObject, &IID_ISRepObject>>& list, std::map<ISRepObject*, ISRepObject*>& walked,
                  ISRepObject* obj);
  // Whether a merged object asks for a layout before a composite cancels it.
  bool WantsLayout(const SRepClassColPtr& collection);
  bool LayOut();
  // Attaches a merged top-level symbol to the lane of a pool of the diagram
  // that holds its centre.
  void AttachToLane(ISSymbol* symbol);

  SSymViewEdit* m_pView = nullptr;
  ISRepObject* m_pRoot = nullptr;
  SSymSelection* m_pSelection = nullptr;
  SSymRect* m_pRect = nullptr;
  SComWrap<ISSymDiagram> m_diagram;
  SComWrap<ISRepObject, &IID_ISRepObject> m_folder;
  SComWrap<ISRepObject, &IID_ISRepObject> m_folderCtx;  // the folder DeleteAllObjects changes context to
  ISRepSession* m_pSessSrc = nullptr;
  SSymRect m_rectMerge{0, 0, 0, 0};
  bool m_bLaidOut = false;
};
