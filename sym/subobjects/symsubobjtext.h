// SSymSubObjText: the compartment that shows the value of one attribute of a
// repository object. Its text is not typed but produced from the attribute
// by the attribute's repository editor, between two labels (or, for a
// boolean, one label for true and one for false), through an optional
// conversion table, or replaced by the picture the editor gives the value.
//
// It keeps itself in step with the model: it is advised on the object (on
// the object a shortcut refers to, and on that object's ancestors for their
// display names) and follows every change of the attribute: it redraws the
// old area, rebuilds its text and rectangle (InitValue), redraws, and has
// its owner refitted or redrawn (OnResize). A label on a line tells the line
// of a size change, except while an undo context records. Editing in place
// hands the object, the attribute, the font and the rectangle to the
// in-place attribute control; the text itself writes nothing back.
//
// The child-object, multi-attribute and title texts derive from it.
#pragma once

#include "kvrep/srepintf.h"
#include "sym/subobjects/symsubtext.h"

class SRepAttrEditor;
class SRepRegistry;
class SRepValueRelay;
class SStringMap;

class SSymSubObjText : public SSymSubText, public ISRepObjSink {
 public:
  static constexpr LONG DispidName = 0x01000002;
  static constexpr LONG DispidDisplayName = 0x0100000B;
  // Extended attributes are advised and compared as one family.
  static constexpr LONG ExtendedFamily = 0x040E0000;
  // A shortcut's target moved under another parent (the reverse side) or
  // left one.
  static constexpr LONG ParentLinked = 0x0280018D;
  static constexpr LONG ParentUnlinked = 0x0200018D;
  // A line label whose width and height change by more than this in all
  // tells its line.
  static constexpr LONG ResizeNotice = 300;

  // Unbound: no object, attribute 0, no editor, no labels, no table.
  SSymSubObjText();
  // Bound to the attribute id of object (unless defer is non-zero or the
  // object is null: the host binds later through SetObject). The text takes
  // the table over (null: none).
  SSymSubObjText(ISRepObject* object, LONG id, const SString& prefix, const SString& suffix, SStringMap* table,
                 int defer = 0);
  ~SSymSubObjText() override;

  // ---- IUnknown (one object behind every face, the sink included)
  HRESULT QueryInterface(REFIID iid, void** out) override { return SSymSubs::QueryInterface(iid, out); }
  ULONG AddRef() override { return SSymSubs::AddRef(); }
  ULONG Release() override { return SSymSubs::Release(); }

  // ---- ISSymbol and the family
  int GetSymbolType() override { return 0; }
  // Unbinds: 0.
  HRESULT Delete() override;
  HRESULT DrawOrAdjust(SSymCanvas& canvas, int adjust) override;
  // Only with an object bound, once.
  void InitializeSubSym() override;
  // Picture, text and rectangle from the model; nothing without an object
  // or an editor.
  void InitValue() override;
  // The stored text; when empty and an editor is known, the text produced now.
  HRESULT GetText(SString& text) override;
  using SSymSubText::EditInPlace;
  // Hands object, attribute, font and rectangle to the attribute control:
  // E_POINTER without object or view, 1 when nothing is editable (hidden,
  // not editable, empty, read-only), E_OUTOFMEMORY when no controller can
  // be made, E_FAIL when the control does not start, 0 when it runs.
  HRESULT EditInPlace(SSymEditInPlaceController* controller, SSymView* view, const SSymPoint& pt) override;
  HRESULT EditInPlace(SSymView* view, const SSymPoint& pt, int flag) override;
  // 1 for a writable DisplayName of a bound object; 0 otherwise (Name too).
  BOOL CanRename() override;
  // The owner's answer when it edits in place, else id.
  LONG GetDispidToEdit(ISRepObject* object, LONG id) override;
  ISRepObject* GetBoundObject() const override { return m_pObject; }
  LONG GetAttrId() const override { return m_dispid; }

  // ---- ISRepObjSink
  HRESULT OnChange(ISRepObject* object, LONG id) override;
  HRESULT OnDelete(ISRepObject* object, int flag) override;
  HRESULT OnFlush(ISRepObject* object) override;

  // ---- the attribute text's own operations
  // Binds to object (a shortcut is followed to its target for advising and
  // for the value): finds the attribute's editor and advises the sink.
  virtual void SetObject(ISRepObject* object);
  // Advises the sink on the object (and on a live target's ancestors).
  virtual void AdviseToObject();
  // Whether a change notification is to be followed now.
  virtual BOOL ChangeInContext() const;
  // Produces the shown text into text: 1 when it is not empty; 0 (and the
  // rectangle collapsed to 0 x 0) when it is, or (text unchanged) without
  // object or editor.
  virtual int UpdateText(SString& text, SSymRect& rect) const;
  // UpdateText on the compartment's own text and rectangle.
  virtual int UpdateOwnText();
  // The registry's editor of id (null for id 0 or no registry); makes the
  // editor's relay when it has one.
  virtual SRepAttrEditor* SyncOneAttribute(SRepRegistry* registry, LONG id);
  virtual void SyncAttributes(SRepRegistry* registry);

  // Changes the attribute shown, rebinding the object and reloading.
  void SetDispid(LONG id);
  LONG GetDispid() const { return m_dispid; }
  // Replaces the table (the old one is deleted; null: none).
  void SetTableConversion(SStringMap* table);
  SStringMap* GetTableConversion() const { return m_pTableConversion; }
  ISRepObject* GetObject() const { return m_pObject; }
  SRepAttrEditor* GetAttrEditor() const { return m_pAttrEditor; }
  SRepValueRelay* GetValueRelay() const { return m_pValueRelay; }
  BOOL IsAdvised() const { return m_bAdvised; }
  const SString& GetPrefix() const { return m_strPrefix; }
  const SString& GetSuffix() const { return m_strSuffix; }
  void _SetPrefix(const SString& s) { m_strPrefix = s; }
  void _SetSuffix(const SString& s) { m_strSuffix = s; }
  ISRepObjSink* SinkFace() { return this; }

  // The advised and compared form of an attribute id: extended attributes
  // become their family id.
  static LONG NormalizeId(LONG id);

 protected:
  // ---- for the copies of derived texts (title): the plain-text part of
  // `plain` (text, style, font, rectangle, parent), unbound.
  explicit SSymSubObjText(const SSymSubText& plain) : SSymSubText(plain) {}

  void* QueryFamily(REFIID iid) override;

  // The object the bound object stands for (a shortcut's target), or null.
  ISRepObject* ValueObject() const;
  // The registered object: a live shortcut target, else the bound object.
  ISRepObject* AdvisedObject() const;
  // Advises (or unadvises) the sink on every ancestor of object.
  void AdviseAncestors(ISRepObject* object, bool advise);
  // The boolean rule: the label of the value, or the extended attribute's
  // descriptive text for true without labels.
  SString BooleanText() const;
  // Detaches and deletes the relay.
  void DropRelay();
  // Takes the sink off the registered object (and a target's ancestors).
  void Unadvise();
  // Unadvise, then lets the bound object go.
  void Unbind();
  // Both in-place forms: measure sizes the control to the largest value.
  HRESULT EditAttribute(SSymEditInPlaceController* controller, SSymView* view, bool measure);

  ISRepObject* m_pObject = nullptr;           // counted
  LONG m_dispid = 0;
  SRepAttrEditor* m_pAttrEditor = nullptr;    // kept by the class registry
  SString m_strPrefix;
  SString m_strSuffix;
  SStringMap* m_pTableConversion = nullptr;   // owned
  SRepValueRelay* m_pValueRelay = nullptr;    // owned
  BOOL m_bAdvised = 0;
  // The object the sink is registered on (counted): a shortcut's target
  // can go away before the sink is taken off it.
  ISRepObject* m_pAdvised = nullptr;
  // A change of the attribute arrived while it was not to be followed; the
  // next drawing catches up.
  BOOL m_bPending = 0;
};
