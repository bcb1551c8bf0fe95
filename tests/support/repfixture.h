// A tiny persistent class for the repository tests: three field attributes,
// an accessor pair that records its own undo, a getter-only attribute, a
// dynamic attribute and one collection pair.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "kvcore/sexception.h"
#include "kvrep/srepobject.h"
#include "kvrep/srepsession.h"

inline constexpr CLSID CLSID_TNode = MakeGUID("{5E7A0001-0000-4000-8000-000000000001}");
inline constexpr LONG kColor = 0x0201001C, kRect = 0x02010001, kName = 0x01000002, kWidth = 0x02001416,
                      kCode = 0x01000004, kNote = 0x04000002, kKids = 0x02010015, kParentCol = 0x02810015,
                      kLinks = 0x02010040;

class TNode : public SRepObjectMem {
 public:
  explicit TNode(ISRepSession* s = nullptr) : SRepObjectMem(CLSID_TNode, s) {}
  TNode(const TNode& o) = default;
  LONG GetWidth() const { return m_width; }
  LONG SetWidth(LONG w);
  SString GetCode() const { return SString("N") + SString::FromInt(m_width); }
  const SPropertyMap* GetPropertyMap() const override { return &propertyMap; }
  const SAttrEditorMap* GetAttrEditorMap() const override { return &attrEditorMap; }
  void OnCollectionInsert(LONG id, ISRepObject*, int) override {
    log += std::string("+") + Tag(id);
    if (throwOnInsert) throw SECOMException(E_FAIL);
  }
  void OnCollectionRemove(LONG id, ISRepObject*) override { log += std::string("-") + Tag(id); }
  static const char* Tag(LONG id) { return id == kKids ? "K" : id == kParentCol ? "P" : "?"; }

  LONG m_color = 0;
  SRep_Rect m_rect{};
  SString m_name;
  LONG m_width = 10;
  std::string log;
  bool throwOnInsert = false;

  static SPropertyEntry entries[];
  static const SPropertyMap propertyMap;
  static SAttrEditorEntry editorEntries[];
  static const SAttrEditorMap attrEditorMap;
};

// The class registry entry of TNode (lives for the whole test program).
SRepRegistry& TNodeRegistry();

// Creates a TNode in the session (reference added).
TNode* NewNode(ISRepSession* s);

// A text picture of every object given: deleted mark, attributes, both
// sides of the collections, in order.
std::string Snapshot(const std::vector<TNode*>& nodes);

// Records collection notifications and keeps a mirror of the members.
class TColSink final : public ISRepClassColSink, public ISRepObjSink {
 public:
  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_ISRepClassColSink) *ppv = static_cast<ISRepClassColSink*>(this);
    else if (iid == IID_ISRepObjSink) *ppv = static_cast<ISRepObjSink*>(this);
    else return *ppv = nullptr, E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  HRESULT OnObjColInsert(ISRepClassCol*, ISRepObject* obj, int pos) override {
    mirror.insert(mirror.begin() + pos, obj);
    log += "I";
    return S_OK;
  }
  HRESULT OnObjColMove(ISRepClassCol*, int from, int to) override {
    ISRepObject* o = mirror[static_cast<std::size_t>(from)];
    mirror.erase(mirror.begin() + from);
    mirror.insert(mirror.begin() + to, o);
    log += "M";
    return S_OK;
  }
  HRESULT OnObjColRemove(ISRepClassCol*, ISRepObject* obj) override {
    mirror.erase(std::find(mirror.begin(), mirror.end(), obj));
    log += "R";
    return S_OK;
  }
  HRESULT OnObjColDelete(ISRepClassCol*) override {
    log += "D";
    return S_OK;
  }
  HRESULT OnChange(ISRepObject*, LONG id) override {
    changes.push_back(id);
    return S_OK;
  }
  HRESULT OnDelete(ISRepObject*, int) override {
    log += "X";
    return S_OK;
  }
  HRESULT OnFlush(ISRepObject*) override { return S_OK; }

  ULONG refs = 1;
  std::vector<ISRepObject*> mirror;
  std::vector<LONG> changes;
  std::string log;
};

// A session with three nodes: root holding a and b in its Kids collection.
class RepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TNodeRegistry();
    session = new SRepSession();
    session->AddRef();
    root = NewNode(session);
    a = NewNode(session);
    b = NewNode(session);
    ASSERT_EQ(S_OK, root->Collection(kKids)->Insert(a, -1));
    ASSERT_EQ(S_OK, root->Collection(kKids)->Insert(b, -1));
  }
  void TearDown() override {
    root->Release();
    a->Release();
    b->Release();
    session->Release();
  }
  LONG Get(TNode* n, LONG id) {
    SRepVariant v;
    EXPECT_EQ(S_OK, n->GetAttribute(id, &v));
    return v.GetLONG();
  }
  SRepSession* session = nullptr;
  TNode* root = nullptr;
  TNode* a = nullptr;
  TNode* b = nullptr;
};
