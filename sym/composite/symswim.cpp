#include "sym/composite/symswim.h"

#include "sym/foundation/sympropmap.h"

KV_SYM_DEFINE_CLASS_TABLES(SSymSwim)
KV_SYM_IMPLEMENT_POOL(SSymSwim, g_symClasses[SYMCLS_SSymSwim].poolBlocks);
KV_SYM_REGISTER(SSymSwim, &SSymCreateStd<SSymSwim>);

SSymSwim::SSymSwim(ISRepSession* session, const CLSID& clsid) : SRepFaces(session, clsid) {}

// The copy gets its own separator when it is placed.
SSymSwim::SSymSwim(const SSymSwim& source) : SRepFaces(source) {}

SSymSwim::~SSymSwim() { ReleaseColn(); }

void SSymSwim::ReleaseColn() { m_pColnSym = SComWrap<ISSymbol>(); }

ISSymbol* SSymSwim::GetPoolSym() { return nullptr; }
void SSymSwim::AddSymInSwim(ISSymDiagram*) {}
void SSymSwim::GetValidBord(int, SSymRect& out) { out = GetClipRect(0, 0); }
int SSymSwim::IsPtInLane(const SSymPoint&) { return 0; }
HRESULT SSymSwim::Draw(SSymCanvas& canvas) { return SSymSolidText::Draw(canvas); }
HRESULT SSymSwim::DrawHandles(SSymCanvas& canvas) { return SSymSolidText::DrawHandles(canvas); }
SSymRect SSymSwim::GetActiveRect(SSymCanvas& canvas, int a) { return SSymSolidText::GetActiveRect(canvas, a); }
HRESULT SSymSwim::MoveBy(const SSymSize& offset, int redraw) { return SSymSolidText::MoveBy(offset, redraw); }
BOOL SSymSwim::IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) {
  return SSymSolidText::IsPtInSym(canvas, pt, handle, sub);
}
HRESULT SSymSwim::InitialSym(ISSymbol* self) { return SSymSolidText::InitialSym(self); }
HRESULT SSymSwim::Delete() { return SSymSolidText::Delete(); }
void SSymSwim::OnCollectionInsert(LONG id, ISRepObject* owner, int pos) { SSymSolid::OnCollectionInsert(id, owner, pos); }
void SSymSwim::OnCollectionRemove(LONG id, ISRepObject* other) { SSymSolid::OnCollectionRemove(id, other); }
HRESULT SSymSwim::SetSize(const SRep_Point& size) { return SSymSolidText::SetSize(size); }
HRESULT SSymSwim::SetHeight(int height) { return SSymSolidText::SetHeight(height); }
HRESULT SSymSwim::SetWidth(int width) { return SSymSolidText::SetWidth(width); }
int SSymSwim::CreateUndoMove(const SSymSize& offset) { return SSymSolidText::CreateUndoMove(offset); }
int SSymSwim::PoolOrientation() { return 1; }
LONG SSymSwim::HeadingHeight() { return 2000; }
HRESULT SSymSwim::SetThickness(LONG, bool) { return 1; }
