// The symbols of the host's model objects: an entity symbol (a box whose
// compartments show the entity's name and its attributes) and a relation link (a text link
// with an arrowhead at the second end and the relation's name as its label,
// bridging the links it crosses). Both are bound to their model object
// through the symbol's single reference SHostId::Shows, so a model object
// lists its symbols (SHostId::ShownBy) and finds them in any diagram.
#pragma once

#include "apps/symhost/hostsymbols.h"
#include "apps/symhost/model/hostmodel.h"
#include "sym/composite/symcompdef.h"
#include "sym/links/symlinksym.h"
#include "sym/subobjects/symsubgrid.h"
#include "sym/subobjects/symsubgroup.h"
#include "sym/subobjects/symsubtext.h"
#include "sym/symbol/symintfhost.h"

// The model object a symbol is bound to (not counted), or null.
ISRepObject* SHostBoundObject(ISRepObject* symbol);
// Binds a symbol to a model object (both in one session); false when refused.
bool SHostBind(ISRepObject* symbol, ISRepObject* object);

class SHostEntitySym
    : public SRepFaces<SHostEntitySym, SHostBox, ISSymObject, ISSymSubSym, ISSymSubSink, ISSymCompView, ISSymClone> {
 public:
  SHostEntitySym(ISRepSession* session, const SSymRect& rect);
  ~SHostEntitySym() override;

  // The outline and fill, then the compartments with their separators
  // (the symbol's own text is not drawn: the compartments show it).
  HRESULT DrawSymbol(SSymCanvas& canvas) override;

  // ---- ISSymObject
  HRESULT GetModelObject(ISRepObject** out) override;
  std::uintptr_t GetIdent() override { return reinterpret_cast<std::uintptr_t>(SHostBoundObject(Obj())); }
  void OnAttachedToComposite() override { ++m_nAttached; }
  // Makes the link symbols of the relations that end on this entity and
  // whose other end is shown in the same diagram.
  void CompleteLink(int flag) override;

  // ---- ISSymSubSym: the compartments are the group's (the title, then one
  // text per attribute). No room is kept beside the title; the margins keep
  // the compartments off the outline.
  int IsSubSymReady() override { return 1; }
  int PrepareSubSym() override { return 0; }
  int GetSubSymMinSize(LONG*, LONG*) override { return 0; }
  int GetSubSymMargins(LONG* left, LONG* right, LONG* top, LONG* bottom) override;
  int AdjustSubSymRect(SSymRect&) override { return 0; }
  int SubSymReserved() override { return 0; }
  int GetSubSymList(STable<SSymSubsFonts*>& list, int nested) override;
  int GetSubSymCount(int nested) override { return m_group.GetCount(nested); }
  SSymSubsFonts* GetSubSymbol(int index, int nested) override { return m_group.GetSubSymbol(index, nested); }
  // The symbol's width and the height of its title compartment.
  int GetSubSymSize(LONG* width, LONG* height) override;
  int AdjustSubSymbol(SSymSubsFonts*, SSymRect*, SSymCanvas&) override { return 0; }

  // ---- ISSymSubSink: the compartments are laid out anew on every drawing.
  HRESULT OnSubSymResize(ISSymbol*, int) override { return S_OK; }
  HRESULT OnSubSymMove(ISSymbol*, int) override { return S_OK; }
  HRESULT RedrawSubSym(ISSymbol*) override { return S_OK; }
  int IsSubSink() override { return 1; }

  // ---- ISSymCompView: the last compartment is the last one.
  BOOL IsLastCompLast() override { return 1; }

  // ---- ISSymAdjust: the box follows its compartments. A compartment whose
  // text changed with the model has the diagram refit the box to the
  // compartments (outside undo recording): GetAdjustRect answers that box.
  BOOL IsAdjusted() override { return 1; }
  HRESULT GetAdjustRect(SSymCanvas& canvas, const SSymRect& clip, SSymRect& fitted) override;

  // ---- ISSymClone: names of a symbol shown more than once carry its number.
  BOOL IsCloneNumbering() override { return 1; }
  void CloneText(SString& text) override;

  // Deletes the compartments (before the symbol is built anew); those bound
  // to the model are unbound first, so that the model lets them go.
  void ClearCompartments();
  // Adds a text compartment, held by the group and pointing back uncounted.
  SSymSubText* AddText(const SString& text, LONG kind, LONG textStyle, LONG fontStyle);
  // Adds a compartment made by the caller (the group takes its reference),
  // in the look of AddText, and loads its value.
  SSymSubText* AddCompartment(SSymSubText* text, LONG kind, LONG textStyle, LONG fontStyle);
  // The rectangle that fits the compartments, at the top-left corner of
  // the symbol and at least the standard width.
  SSymRect FitToCompartments(SSymCanvas& canvas);

  // Follows the entity's list of attributes: an attribute added, moved or
  // taken away builds the compartments anew (once per entity; a null entity
  // stops it).
  void WatchAttributes(ISRepObject* entity);

  int m_nAttached = 0;  // how often it became a composite's child
  // Shows the attributes as one grid (name and type columns) that follows
  // the entity's attributes by itself, rather than one text per attribute.
  bool m_bAttributeGrid = false;
  SSymSubGroup m_group;

 private:
  // The sink on the entity's attribute collection. It is not counted: the
  // symbol takes it off the collection before it goes.
  class AttributeWatch final : public ISRepClassColSink {
   public:
    explicit AttributeWatch(SHostEntitySym* owner) : m_owner(owner) {}
    ~AttributeWatch() { Stop(); }
    AttributeWatch(const AttributeWatch&) = delete;
    AttributeWatch& operator=(const AttributeWatch&) = delete;
    void Start(ISRepObject* entity);
    void Stop();
    HRESULT QueryInterface(REFIID iid, void** out) override;
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT OnObjColInsert(ISRepClassCol*, ISRepObject*, int) override;
    HRESULT OnObjColMove(ISRepClassCol*, int, int) override;
    HRESULT OnObjColRemove(ISRepClassCol*, ISRepObject*) override;
    HRESULT OnObjColDelete(ISRepClassCol*) override;

   private:
    void Rebuild();
    SHostEntitySym* m_owner;
    ISRepClassCol* m_col = nullptr;  // counted
    bool m_rebuilding = false;
  };
  AttributeWatch m_watch{this};
};

class SHostRelationLink : public SRepFaces<SHostRelationLink, SSymLinkSym, ISSymObject> {
 public:
  explicit SHostRelationLink(ISRepSession* session) : SRepFaces(session) {}
  bool ShowsBridges() override { return true; }
  HRESULT GetModelObject(ISRepObject** out) override;
  std::uintptr_t GetIdent() override { return reinterpret_cast<std::uintptr_t>(SHostBoundObject(Obj())); }
  void OnAttachedToComposite() override {}
  void CompleteLink(int) override {}
};

// The one place an entity's symbol is built from its entity: its text and
// font, its compartments (the bold name above a separator, then one
// "name : type" text per attribute) and its size (the box fits the
// compartments, at least its standard width). Does nothing for a null
// symbol or entity.
void SHostBuildEntitySymbol(SHostEntitySym* symbol, ISRepObject* entity);
// The compartments that show the model (apps/symhost/model/hostmodeltexts.cpp):
// the entity's name as the title, bold and centred; and an attribute as
// "name : type", or, for an attribute that refers to an entity, as
// "entity.name". Each follows its model objects from then on.
SSymSubText* SHostAddTitleText(SHostEntitySym* symbol, ISRepObject* entity);
SSymSubText* SHostAddAttributeText(SHostEntitySym* symbol, ISRepObject* attribute);
// The attributes of an entity as one grid: an icon, the name and the type
// of each attribute, the first (the key) in bold, at most `maxRows` rows
// and a "..." line when there are more (0: every row).
SSymSubGrid* SHostAddAttributeGrid(SHostEntitySym* symbol, ISRepObject* entity, LONG maxRows);
// The size (width, height) a new symbol of the entity takes.
SSymSize SHostEntitySymbolSize(ISRepObject* entity);

// The composite definition of processes: entity symbols (type 3) stand for
// the process's steps (an entity added joins the steps directly), and any
// entity symbol may stand for a new step.
const SSymCompDef& SHostProcessCompDef();
