// The symbols of the host's model objects: an entity symbol (a box that
// shows the entity's name and attributes) and a relation link (a text link
// with an arrowhead at the second end and the relation's name as its label,
// bridging the links it crosses). Both are bound to their model object
// through the symbol's single reference SHostId::Shows, so a model object
// lists its symbols (SHostId::ShownBy) and finds them in any diagram.
#pragma once

#include "apps/symhost/hostsymbols.h"
#include "apps/symhost/model/hostmodel.h"
#include "sym/composite/symcompdef.h"
#include "sym/links/symlinksym.h"
#include "sym/symbol/symintfhost.h"

// The model object a symbol is bound to (not counted), or null.
ISRepObject* SHostBoundObject(ISRepObject* symbol);
// Binds a symbol to a model object (both in one session); false when refused.
bool SHostBind(ISRepObject* symbol, ISRepObject* object);

class SHostEntitySym : public SRepFaces<SHostEntitySym, SHostBox, ISSymObject, ISSymSubSym, ISSymCompView, ISSymClone> {
 public:
  SHostEntitySym(ISRepSession* session, const SSymRect& rect);

  // ---- ISSymObject
  HRESULT GetModelObject(ISRepObject** out) override;
  std::uintptr_t GetIdent() override { return reinterpret_cast<std::uintptr_t>(SHostBoundObject(Obj())); }
  void OnAttachedToComposite() override { ++m_nAttached; }
  // Makes the link symbols of the relations that end on this entity and
  // whose other end is shown in the same diagram.
  void CompleteLink(int flag) override;

  // ---- ISSymSubSym: the compartments come with the sub-object group; until
  // then the symbol holds none and answers its margins and title size.
  int IsSubSymReady() override { return 1; }
  int PrepareSubSym() override { return 0; }
  int GetSubSymMinSize(LONG* width, LONG* height) override;
  int GetSubSymMargins(LONG* left, LONG* right, LONG* top, LONG* bottom) override;
  int AdjustSubSymRect(SSymRect&) override { return 0; }
  int SubSymReserved() override { return 0; }
  int GetSubSymList(STable<SSymSubsFonts*>&, int) override { return 0; }
  int GetSubSymCount(int) override { return 0; }
  SSymSubsFonts* GetSubSymbol(int, int) override { return nullptr; }
  int GetSubSymSize(LONG* width, LONG* height) override;
  int AdjustSubSymbol(SSymSubsFonts*, SSymRect*, SSymCanvas&) override { return 0; }

  // ---- ISSymCompView: the last compartment is the last one.
  BOOL IsLastCompLast() override { return 1; }

  // ---- ISSymClone: names of a symbol shown more than once carry its number.
  BOOL IsCloneNumbering() override { return 1; }
  void CloneText(SString& text) override;

  int m_nAttached = 0;  // how often it became a composite's child
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

// The one place an entity's symbol is built from its entity: its text, font
// and size (the box grows to the number of attributes). Compartments plug
// in here. Does nothing for a null symbol or entity.
void SHostBuildEntitySymbol(SHostEntitySym* symbol, ISRepObject* entity);
// The size (width, height) an entity's symbol takes.
SSymSize SHostEntitySymbolSize(ISRepObject* entity);

// The composite definition of processes: entity symbols (type 3) stand for
// the process's steps, and any entity symbol may stand for a new step.
const SSymCompDef& SHostProcessCompDef();
