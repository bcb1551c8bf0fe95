// The reverse walk over an owner's symbols.
#include <gtest/gtest.h>

#include <vector>

#include "kvrep/srepsession.h"
#include "support/com_helpers.h"
#include "sym/symbol/symiter.h"
#include "sym/symbol/symbase.h"

namespace {

class TIterSym : public SSymBase {
 public:
  explicit TIterSym(ISRepSession* s) : SSymBase(SSymRect(0, 100, 100, 0), s) {}
  HRESULT Draw(SSymCanvas&) override { return S_OK; }
  int GetSymbolType() override { return 3; }
};

TEST(SymIter, WalksAnOwnersSymbolsFromLastToFirst) {
  auto* session = new SRepSession();
  session->AddRef();
  auto* owner = new SRepObjectMem(CLSID_SSymDiagram, session);
  owner->AddRef();
  std::vector<TIterSym*> syms;
  for (int i = 0; i < 3; ++i) {
    syms.push_back(new TIterSym(session));
    syms.back()->AddRef();
  }
  auto* plain = new SRepObjectMem(CLSID_SRepObject, session);  // a member that is no symbol
  plain->AddRef();
  SRepCollection* col = owner->Collection(SSymReverseIterator::SymbolsId);
  for (SRepObject* o : {static_cast<SRepObject*>(syms[0]), static_cast<SRepObject*>(plain),
                        static_cast<SRepObject*>(syms[1]), static_cast<SRepObject*>(syms[2])})
    ASSERT_EQ(S_OK, col->Insert(o, -1));
  const ULONG before = Refs(syms[2]->Sym());

  {
    SSymReverseIterator it(owner);
    EXPECT_EQ(SRepIterModeCollection | SRepIterReverse, it.GetFlags());
    EXPECT_EQ(syms[2]->Sym(), it.Get());
    EXPECT_EQ(before + 2, Refs(syms[2]->Sym())) << "held by the walk and as the current symbol";
    std::vector<ISSymbol*> seen;
    for (; !it.IsDone(); it.Step()) seen.push_back(it.Get());
    EXPECT_EQ((std::vector<ISSymbol*>{syms[2]->Sym(), syms[1]->Sym(), nullptr, syms[0]->Sym()}), seen);
    it.Reset();
    EXPECT_EQ(3, it->GetSymbolType()) << "the current symbol answers through the iterator";

    SSymReverseIterator none, noOwner(nullptr);
    EXPECT_TRUE(none.IsDone());
    EXPECT_TRUE(noOwner.IsDone());
    EXPECT_EQ(E_POINTER, none.Init(nullptr));
    EXPECT_EQ(S_OK, none.Init(syms[0]));  // a symbol without children
    EXPECT_TRUE(none.IsDone());
  }
  EXPECT_EQ(before, Refs(syms[2]->Sym()));

  while (col->GetCount() > 0) col->Remove(0);
  for (TIterSym* s : syms) s->Release();
  plain->Release();
  owner->Release();
  session->Release();
}

}  // namespace
