// Undo records. A record keeps the state its next Execute must establish
// and, in the same call, takes the state it overwrites: the first Execute of
// a record made in a creation context undoes, the next redoes. A record made
// in a lockout context holds the new state and is run when the context is
// applied.
#pragma once

#include "kvcore/sstring.h"
#include "kvrep/srepintf.h"

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

  LONG m_type = 0;  // the record's type code
};

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

  ISRepObject* GetObject() const { return m_obj; }
  LONG GetAttrId() const { return m_id; }
  const SRepVariant& GetValue() const { return m_value; }

 private:
  ISRepObject* m_obj;
  LONG m_id;
  SRepVariant m_value;
};
