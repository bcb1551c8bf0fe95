#include "sym/composite/symswimpool.h"

#include "sym/foundation/sympropmap.h"

bool g_bInSwimGroupUpdate = false;

LONG SSymSwimHeadingHeight(ISSymDiagram*) { return SSymSwimLane::DefaultHeadingHeight; }
int SSymSwimIsVertical(ISSymDiagram*) { return 1; }

SSymSwimLane::SSymSwimLane(ISRepSession* session) : SRepFaces(session, CLSID_SSymSwimLane) {}
SSymSwimLane::SSymSwimLane(const SSymSwimLane& source)
    : SRepFaces(source), m_nGroupType(source.m_nGroupType), m_bVertical(source.m_bVertical),
      m_nHeadSize(source.m_nHeadSize) {}
SSymSwimLane::~SSymSwimLane() { m_pLineSym = nullptr; }

SSymSwimLane* SSymSwimLane::PoolOf(ISSymbol*) { return nullptr; }
void SSymSwimLane::ChangeOrientation() {}
void SSymSwimLane::GetNewSwimlaneRect(SSymRect&) {}
void SSymSwimLane::ArrangeLanes(int) {}
void SSymSwimLane::GetAllChildrenSym(SUnsortedComBag<ISSymbol>&, int) {}
HRESULT SSymSwimLane::Add(ISSymbol*) { return S_OK; }
HRESULT SSymSwimLane::Remove(ISSymbol*) { return S_OK; }
BOOL SSymSwimLane::Contains(ISSymbol*, int) { return 0; }
HRESULT SSymSwimLane::GetTopOwner(ISSymOwner**) { return S_OK; }
HRESULT SSymSwimLane::SymRedraw(ISSymbol*) { return S_OK; }
HRESULT SSymSwimLane::Draw(SSymCanvas&) { return S_OK; }
SSymRect SSymSwimLane::GetActiveRect(SSymCanvas& canvas, int a) { return SRepFaces::GetActiveRect(canvas, a); }
HRESULT SSymSwimLane::DrawHandles(SSymCanvas& canvas) { return SRepFaces::DrawHandles(canvas); }
HRESULT SSymSwimLane::GetDiagram(ISSymDiagram** out) { return SRepFaces::GetDiagram(out); }
HRESULT SSymSwimLane::GetRelatedObjectList(SRepListObject*, ISRepObject*, int, SRepBagObject*, int, int) {
  return S_OK;
}
HRESULT SSymSwimLane::SetSize(const SRep_Point&) { return S_OK; }
HRESULT SSymSwimLane::SetHeight(int) { return S_OK; }
HRESULT SSymSwimLane::SetWidth(int) { return S_OK; }
void SSymSwimLane::OnCollectionInsert(LONG id, ISRepObject* other, int pos) {
  SRepFaces::OnCollectionInsert(id, other, pos);
}
void SSymSwimLane::OnCollectionRemove(LONG id, ISRepObject* other) { SRepFaces::OnCollectionRemove(id, other); }
void SSymSwimLane::CompleteLink(int) {}
void SSymSwimLane::GetAllLane(SUnsortedComBag<ISSymbol>&, int) {}
int SSymSwimLane::GetHeadSize(SSymCanvas&) { return m_nHeadSize; }
int SSymSwimLane::GetHeadHeight() { return m_nHeadSize; }
void SSymSwimLane::GetLanesValidSpan(LONG&, LONG&) {}
ISSymbol* SSymSwimLane::GetLanePosition(const SSymPoint&, SComBag<ISSymbol>*, int& index) {
  index = 0;
  return nullptr;
}
int SSymSwimLane::GetPointPosition(const SSymPoint&) { return 0; }
void SSymSwimLane::RotateLaneAt(ISSymbol*, const SSymPoint&) {}
SSymPoint SSymSwimLane::RotatePointInLane(const SSymPoint& p, const SSymRect&, const SSymRect&, int) { return p; }
std::vector<SComWrap<ISSymbol>> SSymSwimLane::Members() { return {}; }
void SSymSwimLane::LinePoints(SSymPoint&, SSymPoint&) {}
void SSymSwimLane::EnsureLineSym(int) {}
void SSymSwimLane::ReadOrientation() {}
void SSymSwimLane::DrawLaneLinks(SSymCanvas&) {}
HRESULT SSymSwimLane::SetAlong(LONG) { return S_OK; }

HRESULT SSymSwimLane::CreateInstance(ISRepObject** out, ISRepSession* session, ISRepObject* source) {
  return SSymCreateStd<SSymSwimLane>(out, session, source);
}

KV_SYM_ACCESSORS(SSymSwimLane) { KV_SYM_FIELD(Group, m_nGroupType); };
KV_SYM_DEFINE_CLASS_TABLES(SSymSwimLane)
KV_SYM_IMPLEMENT_POOL(SSymSwimLane, g_symClasses[SYMCLS_SSymSwimLane].poolBlocks);
KV_SYM_REGISTER(SSymSwimLane, &SSymSwimLane::CreateInstance);
