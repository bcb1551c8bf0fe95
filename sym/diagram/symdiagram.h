// The diagram: a repository object whose ordered collection Symbols holds
// its top-level symbols in drawing order (the first is drawn first, at the
// bottom). Three layers:
//   SSymDiagramMem   the attribute storage: stored members kept by the
//                    repository, computed members through the diagram's own
//                    getters and setters, type words and flags by member id;
//   SSymDiagramImpl  the behaviour: placement of new symbols (links in their
//                    bottom band, swimlane pools below model-object symbols
//                    and kept aligned), the owner role through a relay, the
//                    windows that show it, its page setup and paper forms,
//                    grid snapping, picture export, display preferences;
//   SSymDiagram      the final class answering ISSymDiagram.
// Diagram types of a host derive from SSymDiagram and create their display
// preferences in CreateDispPref (the base creates none).
#pragma once

#include <memory>
#include <set>
#include <vector>

#include "kvcore/sblob.h"
#include "kvcore/scomds.h"
#include "kvcore/spicture.h"
#include "kvcore/sprintercache.h"
#include "kvrep/srepfaces.h"
#include "kvrep/srepobject.h"
#include "kvrep/srepobjectface.h"
#include "sym/diagram/symdisppref.h"
#include "sym/diagram/symrectindex.h"
#include "sym/symbol/symintfowner.h"

class SSymView;
class SRepControlHolder;
class ISSymSelection;
struct ISSwimlane;
struct SSymPrintData;

// The identity of the diagram implementation (SSymDiagram::FromInterface).
inline constexpr IID IID_SSymDiagram = MakeGUID("{6F1C2B0A-8E44-4C1D-9B7A-3D52E1A0C417}");

class SSymDiagramMem : public SRepObjectBaseImpl {
 public:
  // Member ids.
  enum : LONG {
    IdName = 0x01000002,
    IdCode = 0x01000004,
    IdDispName = 0x0100000B,
    IdDesc = 0x04000001,
    IdNote = 0x04000002,
    IdHasNote = 0x04000004,
    IdComment = 0x02000001,
    IdDispPrefSave = 0x02010022,
    IdPaperSize = 0x02010023,
    IdMargins = 0x02010024,
    IdScale = 0x02010025,
    IdPgSize = 0x02010026,
    IdPgOrientation = 0x02010027,
    IdPaperSource = 0x02010028,
    IdFlags = 0x02010038,
    IdContent = 0x02010039,
    IdFoot = 0x0201003A,
    IdHead = 0x0201003B,
    IdNmbr = 0x0201003C,
    IdPgFormat = 0x0201003D,
    IdSwimHeight = 0x0201003E,
    IdSymbols = 0x02010015,
  };

  explicit SSymDiagramMem(ISRepSession* session = nullptr);
  SSymDiagramMem(const SSymDiagramMem& source) = default;

  HRESULT GetAttribute(LONG id, SRepVariant* value) override;
  HRESULT SetAttribute(LONG id, const SRepVariant& value) override;
  HRESULT GetAttributeDefault(LONG id, SRepVariant* value) override;
  HRESULT HasAttribute(LONG id) override;
  HRESULT HasCollection(LONG id) override;
  // Type word (type code << 16 | maximum length) and flags of a member; 0 for id -1.
  DWORD GetAttributeType(LONG id) const;
  DWORD GetAttributeFlags(LONG id) const;
  // True for the diagram's class and the two repository classes it is made of.
  bool IsKindOf(REFGUID clsid) const;

  // Typed access to the stored members.
  SString GetName() { return Text(IdName); }
  HRESULT SetName(const SString& v) { return Set_CHAR(IdName, v); }
  SString GetCode() { return Text(IdCode); }
  HRESULT SetCode(const SString& v) { return Set_CHAR(IdCode, v); }
  SString GetNote() { return Text(IdNote); }
  LONG GetScale() { return Int(IdScale); }
  HRESULT SetScale(LONG v) { return Set_INT(IdScale, v); }
  SRep_Point GetPaperSize();
  HRESULT SetPaperSize(const SRep_Point& p);
  SRep_Rect GetMargins();
  HRESULT SetMargins(const SRep_Rect& r);
  LONG GetPaperSource() { return Int(IdPaperSource); }
  HRESULT SetPaperSource(LONG v) { return Set_INT(IdPaperSource, v); }
  LONG GetPgOrientation() { return Int(IdPgOrientation); }
  HRESULT SetPgOrientation(LONG v) { return Set_INT(IdPgOrientation, v); }
  SString GetFoot() { return Text(IdFoot); }
  SString GetHead() { return Text(IdHead); }
  SString GetNmbr() { return Text(IdNmbr); }
  SString GetDispPrefSave() { return Text(IdDispPrefSave); }

  // Computed members.
  virtual SString GetDispName() = 0;
  virtual HRESULT PutDispName(const SString& name) = 0;
  virtual LONG GetPgSize() = 0;
  virtual HRESULT PutPgSize(LONG size) = 0;
  virtual LONG GetPgFormat() = 0;
  virtual HRESULT PutPgFormat(LONG format) = 0;
  virtual SBlob GetContent() = 0;
  virtual HRESULT PutContent(const SBlob& content) = 0;
  BOOL GetHasNote() { return !GetNote().IsEmpty(); }

 protected:
  SString Text(LONG id);
  LONG Int(LONG id);
};

class SSymDiagramImpl : public SSymDiagramMem {
 public:
  explicit SSymDiagramImpl(ISRepSession* session = nullptr);
  SSymDiagramImpl(const SSymDiagramImpl& source);
  ~SSymDiagramImpl() override;

  // The diagram behind an ISSymDiagram (or any face of it), or null.
  static SSymDiagramImpl* FromDiagram(IUnknown* unk);
  ISSymDiagram* Diagram();

  // Completes a new diagram: page attributes from the page setup, a name
  // from the diagram counter, print templates from the user's settings.
  LONG OnInitialize();
  // Closes the windows, deletes the repository object, drops the preferences.
  HRESULT Delete() override;
  LONG OnDispose();

  LONG GetUseName();
  SString GetDispName() override;
  HRESULT PutDispName(const SString& name) override;
  virtual SString GetNameCodeFormat() const;
  SBlob GetContent() override { return SBlob(); }
  HRESULT PutContent(const SBlob&) override { return S_OK; }
  LONG GetPgSize() override { return m_nPageSize; }
  HRESULT PutPgSize(LONG size) override {
    m_nPageSize = size;
    return S_OK;
  }
  LONG GetPgFormat() override;
  HRESULT PutPgFormat(LONG format) override;
  BOOL CanShowSym(REFCLSID clsid) const;

  // ---- symbols (ISSymDiagram)
  HRESULT Add(ISSymbol* symbol);
  HRESULT Insert(int pos, ISSymbol* symbol);
  HRESULT Remove(ISSymbol* symbol);
  HRESULT MoveTo(ISSymbol* symbol, int pos);
  BOOL Contains(ISSymbol* symbol, int include);
  int GetPos(ISSymbol* symbol);
  int GetCount();
  HRESULT GetSymbols(ISRepClassCol** out);
  // The swimlane pools among the top-level symbols, in insertion order
  // (counted table made for the caller).
  SComTable<ISSymbol> GetSwimLaneList();
  int GetLinkBoundary() const { return m_nLinkBoundary; }
  SSymRect GetClipRect();
  // The spatial index of the top-level symbols, made on first request.
  SSymRectIndex* GetRectIndex();

  // ---- owner role
  HRESULT GetTopOwner(ISSymOwner** out);
  HRESULT SymResize(ISSymbol* symbol) { return SymRedraw(symbol); }
  HRESULT SymRedraw(ISSymbol* symbol);
  HRESULT CreateChildrenSym(int) { return S_OK; }

  // ---- windows
  void AddView(SSymView* view) { m_views.insert(view); }
  void RemoveView(SSymView* view) { m_views.erase(view); }
  BOOL ContainsView(SSymView* view) const { return m_views.count(view) != 0; }
  int GetViewCount() const { return static_cast<int>(m_views.size()); }
  SSymView* GetFirstView() const { return m_views.empty() ? nullptr : *m_views.begin(); }
  SSymView* GetView(int index) const;
  void Invalidate(const SSymRect& rect);
  LONG RedrawAllViews();
  // Closes every window of the diagram (closing a window takes it out of
  // the set). Always 0.
  virtual LONG CloseAllViews();

  // The index of the diagram's image in the UI library's small image list
  // (the icon its windows give their owner); -1 here: no image.
  virtual int GetImageIndex() { return -1; }

  // ---- object creation
  // The class of the symbol that shows objects of a model class: the null
  // class here; diagram types of a host answer their own mapping.
  virtual const CLSID& GetSymCLSID(const CLSID& modelClass);

  // ---- display preferences
  // The diagram's preferences, created, initialised and loaded on first
  // request; null for a diagram type that creates none.
  SSymDispPref* GetDispPrefPtr();
  int HasDispPrefPtr() const { return m_pDispPref != nullptr; }
  // Keeps p (owned), deleting the preferences held before.
  void SetDispPrefPtr(SSymDispPref* p);
  SString GetDispPrefText() const { return SString(); }
  LONG SetDispPrefText(const SString&) { return 0; }
  // Diagram types create their preferences here (SetDispPrefPtr); E_NOTIMPL in the base.
  virtual HRESULT CreateDispPref() { return E_NOTIMPL; }

  // ---- attribute reactions
  void OnUpdateAttribute(LONG id) override;
  void OnCollectionInsert(LONG id, ISRepObject* other, int pos) override;
  void OnCollectionRemove(LONG id, ISRepObject* other) override;
  LONG InternalAutoFix(SStringTable& messages, int checkParents) override;

  // ---- page setup and printing (symdiagramprint.cpp)
  // Brings the page attributes and the printer settings into step: a set
  // attribute goes to the printer settings, an unset one is filled from
  // them. Answers the settings (null once the diagram is disposed).
  SPrinterCache* GetPageSetup();
  // Replaces the printer settings by a copy of `source`; the attributes
  // stay, and the next GetPageSetup fills only those still unset.
  void DuplicatePageSetup(const SPrinterCache& source);
  // The standard margins (8, 9, 11 and 9 mm) into the attributes and the
  // printer settings. Always 1.
  int V6PageSetup();
  // The page setup and printer dialogs belong to diagram types with a window.
  virtual int PageSetup() { return 0; }
  virtual int PrinterSetup() { return 0; }
  // Prints the whole diagram, tiled over pages at its print scale, with the
  // header, footer and page-number templates. In the interactive mode the
  // first window's print command runs (a window is opened for the time of
  // the call when there is none); the mode that forbids printing answers
  // E_ABORT; any other mode prints directly with `data` (null: the user's
  // last choices). S_OK after printing, 1 when there is no page to print.
  HRESULT Print(SSymPrintData* data = nullptr);
  // The diagram extent of one printed page: the page setup's page less its
  // margins (never under half an inch a side) at the print scale. The pages
  // of a print are these cells of the paper grid (SSymPaperGrid), so a host
  // can place the diagram within them before it prints. (0, 0) without a
  // page setup or when the margins leave no room.
  SSymSize GetPrintPageExtent();
  // Opens a window on the diagram for an interactive print. Diagram types
  // with windows answer it; the base has none to open (E_NOTIMPL).
  virtual HRESULT OpenView() { return E_NOTIMPL; }
  // The display names of the folders that hold the diagram, outermost
  // first, joined by "::" (empty at the top of the repository).
  SString GetLocation();
  // The print command a diagram window answers (WM_COMMAND).
  static constexpr UINT CmdFilePrint = 105;

  // ---- paper forms
  // The printer's paper number of a page size (thousandths of an inch),
  // adding a printer form when none fits.
  HRESULT GetPaperForSize(const SRep_Point& size, DWORD& paper);
  // The size (thousandths of an inch) of the printer form `number` (from 1).
  HRESULT GetSize(const DWORD& number, SRep_Point& size);
  // The scale in percent; a stored scale of 0 or below counts as 100.
  LONG GetEffectiveScale();

  // ---- snapping, attaching, text
  HRESULT SnapToGrid(SSymPoint& point);
  HRESULT SnapToGrid(SSymRect& rect);
  ISSymbol* AttachSymbol(ISSymbol* symbol, int setDefaults);
  int IsLink(ISSymbol* symbol) const;
  BOOL AdjustSymbolToText(ISSymbol* symbol, int redraw, int undo);
  void GetSymDefConf(ISSymbol* symbol, SSymFormat* format);

  // ---- selection by rectangle (symdiagramsel.cpp)
  // Rebuilds the selection from the symbols the frame encloses: a polyline
  // whose points all lie in the frame, any other symbol whose clip rectangle
  // does; with `children` non-zero the children of an enclosed composite (or
  // of an enclosed pool's lanes) too; into a symbol the frame crosses the
  // search descends where ShouldAddSubSymToSel allows. The selection's view
  // has the last word on every candidate. The corners of the frame may come
  // in any order. Selection-change notifications are held back meanwhile and
  // one is sent at the end; a selection without a view is only emptied.
  // E_POINTER (nothing changed) for a null selection, else S_OK.
  HRESULT AddSymInRectToSel(const SSymRect& frame, ISSymSelection* selection, int children);
  // Whether the search goes on into the symbols of a symbol the frame
  // crosses: pools, swim groups and trees always, composites whose content is
  // editable. Diagram types widen or narrow it.
  virtual int ShouldAddSubSymToSel(ISSymbol* symbol);
  // The descent into the Symbols collection of `parent`.
  void AddSubSymInRectToSel(ISSymbol* parent, const SSymRect& frame, ISSymSelection& selection);

  // ---- pictures
  HRESULT ExportImage(const SString& file);
  // Records the symbols, in order, on a metafile of the area; `out` stays
  // empty (invalid) when nothing could be recorded.
  virtual void RecordMetafile(const SSymRect& area, const std::vector<ISSymbol*>& symbols, SMetaFile& out);
  virtual HRESULT AddPicture(const void*) { return S_OK; }
  virtual HRESULT RemovePicture(const void*) { return S_OK; }

  SRepControlHolder* GetHolder() const { return m_pHolder; }
  void SetHolder(SRepControlHolder* holder) { m_pHolder = holder; }

  // The process-wide count of diagrams made so far for names (never reset).
  static int GetDiagramCounter();

  // ---- automatic layout (symdiagramlayout.cpp) ----
  // Whether a layout may run on the selection: always without display
  // preferences or while their swimlane pool check is off; with it on, not
  // without a selection when the diagram has a pool, nor when a selected
  // symbol is a pool, a lane or a lane's child.
  bool CanAutoLayout(const SComTable<ISSymbol>* selection = nullptr);
  // AutoLayout(-1, -1, false).
  bool AutoLayout();
  // Parameters on the diagram from the default options; the style when the
  // layout kind offers it, placement 1450 + orientation when the style
  // offers it, the synonym choice where the kind lets the caller make it.
  bool AutoLayout(short style, short orientation = -1, bool createSynonyms = false);
  // Cleans the selection (tree lines dropped, tree nodes replaced by their
  // top tree once), asks CanAutoLayout, lays out within all symbols of the
  // diagram when a selection comes without symbols to consider, and runs
  // the layout object; true when it ran. The parameters' tables are the
  // caller's again on return.
  bool AutoLayout(SSymAutoLayoutParam& param);
  // The library's own layout or the external general layout, chosen by
  // SSymAutoLayoutOptionMgr::IsUseInternalAlgorithms, built from a copy of
  // the parameters (null: fresh parameters on the diagram). Owned by the
  // caller; null only when no memory can be had.
  SSymAutoLayout* CreateAutoLayoutMgr(SSymAutoLayoutParam* param);

  // ---- composite attachment and editability (symdiagramattach.cpp) ----
  // The first top-level symbol, in drawing order, that takes the symbol as a
  // child: a composite that accepts its object and counts it as one of its
  // own (child type 3), or a lane under the symbol's centre. The first pool
  // met ends the search, taken or not. Null (nothing changed) when none.
  ISSymbol* AttachToComposite(ISSymbol* symbol);
  // Takes the symbol out of its composite owner (its object stays where it
  // is) and attaches it to the diagram; the former owner, or null.
  ISSymbol* DetachFromComposite(ISSymbol* symbol);
  // Pools and lane groups need preferences with swimlanes: a lane group of
  // the user's own making may come, one standing for an object may not; a
  // pool may come into an empty diagram, otherwise as the drop hook says.
  // Any other symbol may (none without preferences).
  BOOL CanAttachSymbol(ISSymbol* symbol);
  // Whether the contents of a composite are shown and editable: composites
  // are, other symbols not; for a class with composite behaviour the show
  // key of its Symbols collection decides, the symbol's content text over
  // the preferences. 0 without symbol, object or preferences.
  virtual BOOL IsSymEditable(ISSymbol* symbol, ISRepObject* object);
  // Writes the editability of one composite into its content text when it
  // differs from what is in force: 1 when the text changed, else 0.
  int SetCompEditable(ISSymbol* symbol, int editable);
  // True when the preferences give the object's class composite behaviour.
  bool HasCompositeBehavior(ISRepObject* object);

  // ---- swimlane heading height (symdiagramswim.cpp) ----
  // Fits the heading height shared by the pools (SwimHeight) to the tallest
  // heading text of their lanes, measured on the first window, and brings
  // every pool's heading and lanes in step. Changes of 40 units or less are
  // not stored, and then the pools are left alone unless forced or inside
  // an undo step. False when it stopped early: no preferences, no
  // swimlanes, no window, or a change too small without force.
  bool AdjustSwimHeight(bool force);
  // The height a tallest heading text of `text` units asks for.
  static LONG SwimHeightFor(LONG text);
  static constexpr LONG SwimHeadMargin = 300;
  static constexpr LONG SwimHeightMin = 2000;
  static constexpr LONG SwimHeightTolerance = 40;
  // ---- after a move: tree order and swimlane follow-up (symdiagrammove.cpp) ----
  // Follows a move of `moved` by `offset` inside the mover's undoable step:
  // first the children of every tree a moved tree node belongs to take the
  // order of their positions (left to right for vertical trees, top to
  // bottom for horizontal ones); then, for a mouse move in `view` of a
  // diagram type with swimlanes, a pool dropped on a pool of its grouping
  // merges into it, other moved pools take the rest along one axis, and
  // moved lanes and lane groups are re-filed where they were dropped: among
  // their pool's lanes, into another pool, or into a new pool. Nothing for
  // an empty bag or a diagram without preferences.
  void UpdateSymMove(const SComBag<ISSymbol>& moved, const SSymSize& offset, SSymViewEdit* view);
  // ---- display preferences applied to swimlane pools (symdiagramswimpref.cpp) ----
  // With swimlanes not shown every pool is dissolved: the children of its
  // lanes become top-level symbols where they stand and the pool is deleted.
  // With swimlanes shown, the pools of the other orientation turn and are
  // placed one after another along the new axis. A pool without lanes is
  // turned (or deleted) as a whole; nothing is half done to it.
  void ApplyDispPref();

 protected:
  // Whether the diagram type has swimlane pools; the base has none, and
  // diagram types with swimlanes answer non-zero.
  virtual int IsSupportSwimSymbol() { return 0; }

 protected:
  // The owner relay's face.
  HRESULT GetOwnerRelay(ISSymOwner** out);
  // Creates an object of a class in the diagram's session and places it: a
  // symbol among the diagram's symbols, any other object in the diagram's
  // collection of the given kind (-1: the collection for its class).
  virtual HRESULT CreateObject(const CLSID& clsid, void** out, const IID& iid, LONG kind, int pos, bool unused);
  // The diagram's collection for objects of a class (none in the base:
  // S_FALSE and null).
  virtual HRESULT GetCollectionForClass(const CLSID& clsid, ISRepClassCol** out, bool create);

 private:
  bool AlignNewPool(ISSymbol* pool);
  bool IsLoading();
  // The parts of Add: the checks every new symbol passes, a lane (into the
  // diagram's pool), a lane group (into the pool under it or a new one), and
  // a drawn shape offered to the lane under its centre (true when taken).
  HRESULT CheckNewSymbol(ISSymbol* symbol);
  // Every window lays out and shows the diagram's pages anew.
  void ShowNewPages();
  HRESULT AddLane(ISSwimlane* lane);
  HRESULT AddSwimGroup(ISSymbol* group);
  bool OfferToLanes(ISSymbol* symbol);
  bool HasParent();
  void RegisterPictures(ISRepObject* inserted);
  // Add places a new symbol before the first member of the Symbols
  // collection of some kind (a model-object symbol, a pool, anything but a
  // link without a model object). Each such position is kept across the
  // collection's changes the diagram sees (insertions at known positions,
  // removals of symbols that cannot be at or before it); any other change
  // makes Add look for it again from the bottom.
  enum FirstKind { FirstModelNotLine, FirstModelOrPool, FirstNotPlainLink, FirstKinds };
  int FirstOf(FirstKind kind);
  void KeepFirstAfterInsert(ISRepObject* inserted, int pos);
  void KeepFirstAfterRemove(ISRepObject* removed);

  std::unique_ptr<SPrinterCache> m_pPageSetup;
  int m_nLinkBoundary = 0;
  struct FirstCache {
    int pos = -1;                     // -1: not known
    const SRepObject* at = nullptr;   // the member there (null: none, pos is the count)
    unsigned long changes = 0;        // the collection's change count it holds for
  } m_first[FirstKinds];
  std::set<SSymView*> m_views;
  SSymDispPref* m_pDispPref = nullptr;
  SRepControlHolder* m_pHolder = nullptr;
  int m_bFormRetry = 0;
  LONG m_nPageSize = -1;
  // The pools in insertion order. Not counted: the Symbols collection holds
  // them, and a pool (which holds its owner) must not keep the diagram alive.
  // Read only through LivePools, which keeps those still in the collection.
  std::vector<SRepObject*> m_pools;
  std::vector<ISSymbol*> LivePools();
  std::unique_ptr<SSymRectIndex> m_pRectIndex;
};

class SSymDiagram : public SRepFaces<SSymDiagram, SRepObjectFace<SSymDiagramImpl, ISSymDiagram>, ISSymDiagram,
                                      SRepFaceSelf<IID_SSymDiagram>> {
 public:
  explicit SSymDiagram(ISRepSession* session = nullptr) : SRepFaces(session) {}
  SSymDiagram(const SSymDiagram& source) : SRepFaces(source) {}

  // The class's creation function: a new diagram, or a copy of `source`.
  static HRESULT CreateInstance(ISRepObject** out, ISRepSession* session, ISRepObject* source);

  HRESULT InternalQueryInterface(REFIID iid, void** ppv) override;

  // ---- ISSymDiagram
  BOOL AdjustSymbolToText(ISSymbol* symbol, int a, int b) override {
    return SSymDiagramImpl::AdjustSymbolToText(symbol, a, b);
  }
  SSymView* GetFirstView() override { return SSymDiagramImpl::GetFirstView(); }
  int GetViewCount() override { return SSymDiagramImpl::GetViewCount(); }
  SSymView* GetView(int index) override { return SSymDiagramImpl::GetView(index); }
  BOOL IsSymEditable(ISSymbol* symbol, ISRepObject* object) override {
    return SSymDiagramImpl::IsSymEditable(symbol, object);
  }
  HRESULT SnapToGrid(SSymRect& rect) override { return SSymDiagramImpl::SnapToGrid(rect); }
  HRESULT SnapToGrid(SSymPoint& point) override { return SSymDiagramImpl::SnapToGrid(point); }
  HRESULT Remove(ISSymbol* symbol) override { return SSymDiagramImpl::Remove(symbol); }
  HRESULT GetSymbols(ISRepClassCol** out) override { return SSymDiagramImpl::GetSymbols(out); }
  // The holder of in-place controls tells (none: no change of its own).
  BOOL ChangeInContext() override;
  HRESULT Add(ISSymbol* symbol) override { return SSymDiagramImpl::Add(symbol); }
  HRESULT Insert(int pos, ISSymbol* symbol) override { return SSymDiagramImpl::Insert(pos, symbol); }
  HRESULT MoveTo(ISSymbol* symbol, int pos) override { return SSymDiagramImpl::MoveTo(symbol, pos); }
  BOOL Contains(ISSymbol* symbol, int include) override { return SSymDiagramImpl::Contains(symbol, include); }
  int GetPos(ISSymbol* symbol) override { return SSymDiagramImpl::GetPos(symbol); }
  int GetCount() override { return SSymDiagramImpl::GetCount(); }
  SSymRect GetClipRect() override { return SSymDiagramImpl::GetClipRect(); }
  ISSymbol* AttachSymbol(ISSymbol* symbol, int setDefaults) override {
    return SSymDiagramImpl::AttachSymbol(symbol, setDefaults);
  }
  int IsLink(ISSymbol* symbol) override { return SSymDiagramImpl::IsLink(symbol); }
  void AddView(SSymView* view) override { SSymDiagramImpl::AddView(view); }
  void RemoveView(SSymView* view) override { SSymDiagramImpl::RemoveView(view); }
  BOOL ContainsView(SSymView* view) override { return SSymDiagramImpl::ContainsView(view); }
  LONG RedrawAllViews() override { return SSymDiagramImpl::RedrawAllViews(); }
  HRESULT ExportImage(const SString& file) override { return SSymDiagramImpl::ExportImage(file); }

  // ---- host operations: nothing here; diagram types of a host override them.
  ISSymbol* CreateSymbolForObject(ISRepObject*, int, int, int) override { return nullptr; }
  ISSymbol* CreateLinkSymbolForObject(ISRepObject*, ISSymbol*, ISSymbol*) override { return nullptr; }
  ISSymbol* CopySymbolForObject(ISRepObject*, ISSymbol*, int, const SSymSize&, int, SRepMapObject*) override {
    return nullptr;
  }
  ISSymbol* CopyLinkSymbolForObject(ISRepObject*, ISSymbol*, ISSymbol*, ISSymLink*, const SSymSize&) override {
    return nullptr;
  }
  ISSymbol* FindSymbolOfObject(ISRepObject*, int) override { return nullptr; }

  // ---- automatic layout
  bool CanAutoLayout(const SComTable<ISSymbol>* selection = nullptr) override {
    return SSymDiagramImpl::CanAutoLayout(selection);
  }
  bool AutoLayout() override { return SSymDiagramImpl::AutoLayout(); }
  bool AutoLayout(short style, short orientation = -1, bool createSynonyms = false) override {
    return SSymDiagramImpl::AutoLayout(style, orientation, createSynonyms);
  }
  bool AutoLayout(SSymAutoLayoutParam& param) override { return SSymDiagramImpl::AutoLayout(param); }
  SSymAutoLayout* CreateAutoLayoutMgr(SSymAutoLayoutParam* param) override {
    return SSymDiagramImpl::CreateAutoLayoutMgr(param);
  }

  // ---- composite attachment, editability and swimlane heading height
  ISSymbol* AttachToComposite(ISSymbol* symbol) override { return SSymDiagramImpl::AttachToComposite(symbol); }
  ISSymbol* DetachFromComposite(ISSymbol* symbol) override { return SSymDiagramImpl::DetachFromComposite(symbol); }
  BOOL CanAttachSymbol(ISSymbol* symbol) override { return SSymDiagramImpl::CanAttachSymbol(symbol); }
  int SetCompEditable(ISSymbol* symbol, int editable) override {
    return SSymDiagramImpl::SetCompEditable(symbol, editable);
  }
  void AdjustSwimHeight(int force) override { SSymDiagramImpl::AdjustSwimHeight(force != 0); }
  // ---- after a move, and display preferences applied to pools
  void UpdateSymMove(const SComBag<ISSymbol>& moved, const SSymSize& offset, SSymViewEdit* view) override {
    SSymDiagramImpl::UpdateSymMove(moved, offset, view);
  }
  void ApplyDispPref() override { SSymDiagramImpl::ApplyDispPref(); }

  // ---- the rest of ISSymDiagram (symdiagramface.cpp)
  using SRepObjectFace::GetCollection;
  HRESULT GetCollection(REFCLSID elementClass, ISRepClassCol** out) override;
  BOOL IsChanged() override;
  HRESULT CreateObject(const CLSID& clsid, void** out, const IID& iid, LONG kind, int pos, bool unused) override;
  HRESULT CanCreateObject(LONG id, const CLSID& clsid, LONG pos, SString* message = nullptr) override;
  LONG InternalAutoFix(SStringTable& messages, int checkParents) override;
  BOOL IsKindOf(REFGUID clsid) override;
  DWORD GetAttributeFlags(LONG id) override;
  DWORD GetAttributeType(LONG id) override;
  LONG OnClose() override;
  LONG OnCloseInViewer() override;
  std::int64_t GetCreationDate() override;
  SString GetCreationUser() override;
  HRESULT GetShortcutCol(ISRepClassCol** out) override;
  HRESULT GetRepCol311(ISRepClassCol** out) override;
  HRESULT GetRepCol312(ISRepClassCol** out) override;
  HRESULT GetExtlGenDepdCol(ISRepClassCol** out) override;
#define KV_SYM_DIAG_STORED_ROW_OVERRIDE(konst, code, name, id, type, store, ...) \
  KV_SYM_DIAG_STORED_IF_##store(KV_SYM_DIAG_STORED_OVERRIDE, code, type, id)
#define KV_SYM_DIAG_STORED_OVERRIDE(code, type, id) \
  KV_SYM_DIAG_CTYPE_##type Get##code() override;    \
  HRESULT Set##code(const KV_SYM_DIAG_CTYPE_##type& value) override;
  KV_SYM_DIAG_STORED(OVERRIDE)
  SString GetDispName() override;
  HRESULT SetDispName(const SString& name) override;
  BOOL GetHasNote() override;
  LONG GetPgSize() override;
  HRESULT SetPgSize(LONG size) override;
  LONG GetPgFormat() override;
  HRESULT SetPgFormat(LONG format) override;
  SBlob GetContent() override;
  HRESULT SetContent(const SBlob& content) override;
  int PageSetup() override;
  int PrinterSetup() override;
  int V6PageSetup() override;
  SPrinterCache* GetPageSetup() override;
  void DuplicatePageSetup(const SPrinterCache& source) override;
  HRESULT Print(SSymPrintData* data = nullptr) override;
  SSymDispPref* GetDispPrefPtr() override;
  HRESULT SnapObjToGrid(ISSymbol* symbol, SSymRect& rect) override;
  HRESULT CreateDispPref() override;
  SRepControlHolder* GetHolder() override;
  void SetHolder(SRepControlHolder* holder) override;
  HRESULT AddSymInRectToSel(const SSymRect& frame, ISSymSelection* selection, int children) override;
  BOOL CanShowSym(REFCLSID clsid) override;
  HRESULT AddPicture(const void* picture) override;
  HRESULT RemovePicture(const void* picture) override;
  ISRepObject* FindPicture(LONG pictureId) override;
  BOOL CanAttachObject(ISRepObject* object) override;
  using ISSymDiagram::AttachObject;
  ISSymbol* AttachObject(ISRepObject* object, ISSymbol* owner) override;
  ISSymbol* AttachObject(ISRepObject* object, const SSymRect& rect, ISSymbol* owner) override;
  ISSymbol* AttachLinkObject(ISRepObject* link, int route) override;
  ISSymbol* AttachLinkObject(ISRepObject* link, ISRepObject* source, ISRepObject* destination, int route) override;
  SComTable<ISSymbol> GetSwimLaneList() override;
  BOOL HasCompositeBehavior(ISRepObject* object) override;
  BOOL SupportPreviewCommand(UINT command) override;

 protected:
  // The close hook of the object: nothing in the diagram class.
  virtual void CloseHook() {}
};

// The process-wide count of live diagram objects.
long SSymLiveDiagramCount();
