// The repository under load: 100,000 attribute changes and collection
// insertions in one creation context, then undo and redo of that step; and
// reading the repository's stream form of a root with N children, each
// holding a value and linked to the next (processor time).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include "kvrep/srepobject.h"
#include "kvrep/srepsession.h"
#include "kvrep/srepstream.h"

namespace {

constexpr CLSID kBenchNode = MakeGUID("{5E7A0001-0000-4000-8000-0000000000B0}");
constexpr LONG kValue = 0x02010019, kKids = 0x02010015, kNext = 0x02010016;

class BNode : public SRepObjectMem {
 public:
  explicit BNode(ISRepSession* s = nullptr) : SRepObjectMem(kBenchNode, s) {}
  BNode(const BNode&) = default;
  const SPropertyMap* GetPropertyMap() const override { return &propertyMap; }
  LONG m_value = 0;
  static SPropertyEntry entries[];
  static const SPropertyMap propertyMap;
};
SPropertyEntry BNode::entries[] = {
    {kValue, 0, SRepVT_LONG, &SRepFieldOf<&BNode::m_value, SRepVT_LONG>::field, 0, nullptr, nullptr},
    {0, 0, 0, nullptr, 0, nullptr, nullptr}};
const SPropertyMap BNode::propertyMap = {[]() { return &SRepObject::propertyMap; }, BNode::entries};

HRESULT Create(ISRepObject** out, ISRepSession* session, ISRepObject* source) {
  BNode* n = source ? new BNode(*static_cast<BNode*>(SRepObject::FromInterface(source))) : new BNode();
  n->AddRef();
  if (session) n->SetSession(session);
  *out = n;
  return S_OK;
}
HRESULT Lookup(const GUID&, SRegClassFunctions* f) {
  *f = SRegClassFunctions{};
  f->create = &Create;
  return S_OK;
}
SRepRegistry g_reg(kBenchNode, 1, 0, nullptr, &Lookup);

std::size_t HeapInUse() { return mallinfo2().uordblks; }

// A new node of the session (one reference, the caller's).
ISRepObject* NewNode(SRepSession* session) {
  ISRepObject* o = nullptr;
  session->CreateObject(kBenchNode, IID_ISRepObject, reinterpret_cast<void**>(&o));
  return o;
}

void BM_StepUndoRedo(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    auto* session = new SRepSession();
    session->AddRef();
    ISRepObject* rootObj = NewNode(session);
    SRepObject* root = SRepObject::FromInterface(rootObj);
    std::vector<ISRepObject*> kids;
    for (int i = 0; i < n / 2; ++i) {
      kids.push_back(NewNode(session));
    }
    const std::size_t heap0 = HeapInUse();
    state.ResumeTiming();

    {
      SRepCreateContext step(static_cast<ISRepSession*>(session));
      SRepVariant v;
      for (int i = 0; i < n / 2; ++i) {
        v.SetLONG(i + 1);
        kids[static_cast<std::size_t>(i)]->SetAttribute(kValue, v);
        root->Collection(kKids)->Insert(kids[static_cast<std::size_t>(i)], -1);
      }
    }
    const std::size_t heap1 = HeapInUse();
    session->Undo();
    session->Redo();

    state.PauseTiming();
    state.counters["step_bytes"] = static_cast<double>(heap1 - heap0);
    state.counters["bytes_per_change"] = static_cast<double>(heap1 - heap0) / n;
    if (root->Collection(kKids)->GetCount() != n / 2) state.SkipWithError("redo lost members");
    for (ISRepObject* k : kids) k->Release();
    rootObj->Release();
    session->Release();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_StepUndoRedo)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_StreamLoad(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  auto* session = new SRepSession();
  session->AddRef();
  ISRepObject* rootObj = NewNode(session);
  SRepObject* root = SRepObject::FromInterface(rootObj);
  std::vector<ISRepObject*> kids;
  SRepVariant v;
  for (int i = 0; i < n; ++i) {
    ISRepObject* k = NewNode(session);
    v.SetLONG(i + 1);
    k->SetAttribute(kValue, v);
    root->Collection(kKids)->Insert(k, -1);
    if (!kids.empty()) SRepObject::FromInterface(kids.back())->Collection(kNext)->Insert(k, -1);
    kids.push_back(k);
  }
  SOutputGlobal out;
  SRepStreamManager mgr;
  mgr.Save(out, {rootObj});
  for (auto _ : state) {
    auto* other = new SRepSession();
    other->AddRef();
    std::vector<ISRepObject*> loaded;
    SInputBuffer in(out.GetData(), out.GetSize());
    if (mgr.Load(in, nullptr, other, 1, &loaded) != S_OK || loaded.size() != static_cast<std::size_t>(n) + 1)
      state.SkipWithError("not loaded");
    state.PauseTiming();
    for (ISRepObject* o : loaded) o->Release();
    other->Release();
    state.ResumeTiming();
  }
  for (ISRepObject* k : kids) k->Release();
  rootObj->Release();
  session->Release();
  state.SetComplexityN(n);
  state.counters["MB"] = static_cast<double>(out.GetSize()) / 1e6;
}
BENCHMARK(BM_StreamLoad)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace
