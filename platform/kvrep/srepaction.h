// Undo records. A record keeps the state its next Execute must establish
// and, in the same call, takes the state it overwrites: the first Execute of
// a record made in a creation context undoes, the next redoes. A record made
// in a lockout context holds the new state and is run when the context is
// applied.
//
// A record also says which facets of which objects it changes (an attribute
// by id, the rectangle, the visibility, the points, a link end) and lays its
// value over a facet on request. A lockout context indexes its pending
// records by object and facet, so that a reader of one object's pending
// state pays only for that object's records.
#pragma once

#include <memory>

#include "kvcore/sstring.h"
#include "kvrep/srepintf.h"

class SRepObject;
class SRepContext;

// The kinds of facets a record can change.
enum class SRepFacetKind : LONG {
  Attribute,   // one attribute, by id
  Rect,        // a symbol's rectangle (value: a rectangle)
  Visibility,  // a symbol's visibility (value: a boolean, true when hidden)
  Points,      // a polyline's point list (value: a point list)
  LinkEnd,     // the symbol at one end of a link, by end (value: an object)
};

// One facet of an object.
struct SRepFacet {
  SRepFacetKind kind = SRepFacetKind::Attribute;
  LONG id = 0;  // the attribute id, or the link end; 0 for the other kinds

  static constexpr SRepFacet Attribute(LONG attrId) { return {SRepFacetKind::Attribute, attrId}; }
  static constexpr SRepFacet Rect() { return {SRepFacetKind::Rect, 0}; }
  static constexpr SRepFacet Visibility() { return {SRepFacetKind::Visibility, 0}; }
  static constexpr SRepFacet Points() { return {SRepFacetKind::Points, 0}; }
  static constexpr SRepFacet LinkEnd(LONG end) { return {SRepFacetKind::LinkEnd, end}; }
  friend constexpr bool operator==(const SRepFacet&, const SRepFacet&) = default;
};

// Receives the facets a record names. An object that is no repository
// object (a sub-object of a symbol) is ignored.
class SRepFacetSink {
 public:
  virtual void Add(IUnknown* object, const SRepFacet& facet) = 0;

 protected:
  ~SRepFacetSink() = default;
};

class SRepActionBase {
 public:
  SRepActionBase() = default;
  SRepActionBase(const SRepActionBase&) = delete;
  SRepActionBase& operator=(const SRepActionBase&) = delete;
  virtual ~SRepActionBase() = default;
  virtual HRESULT Execute() = 0;
  virtual HRESULT Reserved() { return S_OK; }
  virtual bool IsEmpty() { return false; }
  virtual SString GetMessageW() { return SString(); }
  // Adds the objects that Execute touches.
  virtual void CollectObjects(SRepObjectBag& objects) { (void)objects; }
  // Names every facet whose value the next Execute gives (nothing by default).
  virtual void CollectFacets(SRepFacetSink& facets) { (void)facets; }
  // Lays the value the next Execute gives to a facet of obj over value,
  // which holds the value that the stored state and the earlier records
  // give. Called only for a facet the record named.
  virtual void Overlay(const SRepObject* obj, const SRepFacet& facet, SRepVariant& value) const {
    (void)obj, (void)facet, (void)value;
  }

  LONG m_type = 0;  // the record's type code

 protected:
  // A record that takes in one more object after it was handed to a context
  // (a move that one more symbol joins) names the new facet here, so that a
  // lockout context holding it as pending indexes it too.
  void FacetAdded(IUnknown* object, const SRepFacet& facet);

 private:
  friend class SRepContext;
  SRepContext* m_pIndex = nullptr;  // the lockout context that indexes the record while it is pending
  int m_position = -1;              // its position there
};

// Records are handed over and kept as owning pointers.
using SRepActionPtr = std::unique_ptr<SRepActionBase>;

// Type codes of the repository's own records.
enum SRepActionType : LONG {
  SRepAction_Attr = 1,
  SRepAction_Collection = 100,
  SRepAction_CollectionMove = 101,
  SRepAction_Life = 102,
};

// One attribute change of one object.
class SRepActionAttr : public SRepActionBase {
 public:
  // obj: counted; value: the value the next Execute stores.
  SRepActionAttr(ISRepObject* obj, LONG id, const SRepVariant& value);
  ~SRepActionAttr() override;
  HRESULT Execute() override;
  bool IsEmpty() override;
  SString GetMessageW() override { return SString("Changing attribute"); }
  void CollectObjects(SRepObjectBag& objects) override { objects.Add(m_obj); }
  void CollectFacets(SRepFacetSink& facets) override { facets.Add(m_obj, SRepFacet::Attribute(m_id)); }
  void Overlay(const SRepObject*, const SRepFacet&, SRepVariant& value) const override { value = m_value; }

  ISRepObject* GetObject() const { return m_obj; }
  LONG GetAttrId() const { return m_id; }
  const SRepVariant& GetValue() const { return m_value; }

 private:
  ISRepObject* m_obj;
  LONG m_id;
  SRepVariant m_value;
};
