#include "sym/shapes/sympictures.h"

#include <algorithm>
#include <map>
#include <memory>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/sexceptionhook.h"
#include "kvcore/scomwrap.h"
#include "kvcore/sstream.h"
#include "kvrep/srepaction.h"
#include "kvrep/srepsession.h"
#include "sym/foundation/symgeom.h"
#include "sym/foundation/symhitfaces.h"
#include "sym/foundation/sympropmap.h"
#include "sym/render/symcanv.h"
#include "sym/render/symcanvview.h"
#include "sym/shapes/symshapemap.h"
#include "sym/symbol/symintfowner.h"

namespace {

constexpr LONG kBackgroundPictureID = 0x02010052;
constexpr LONG kHitInflate = 75;

// The pictures read from old blobs that wait for their session's fix-up,
// ordered by symbol. A symbol that goes takes its entry (and frees its
// bitmap) with it, so the table never names a dead symbol.
std::map<SSymBitmap*, std::unique_ptr<Gdiplus::Bitmap>>& PendingTable() {
  static auto* table = new std::map<SSymBitmap*, std::unique_ptr<Gdiplus::Bitmap>>;
  return *table;
}

// The canvas as the hit tests see it.
class CanvasHit final : public ISSymHitCanvas {
 public:
  explicit CanvasHit(const SSymCanvas& canvas) : m_canvas(canvas) {}
  POINT ToDevice(const SSymPoint& pt) const override { return m_canvas.VPtoDP(pt); }
  SSymPoint ToDiagram(const POINT& pt) const override { return m_canvas.DPtoVP(pt); }
  RECT ToDevice(const SSymRect& rect) const override { return m_canvas.VPtoDPRect(rect); }

 private:
  const SSymCanvas& m_canvas;
};

SComWrap<ISRepPictureHolder, &IID_ISRepPictureHolder> HolderOf(SSymBase& s) {
  SComWrap<ISRepPictureHolder, &IID_ISRepPictureHolder> holder;
  if (SRepSession* session = s.GetSessionImpl())
    holder = SComWrap<ISRepPictureHolder, &IID_ISRepPictureHolder>(static_cast<ISRepSession*>(session));
  return holder;
}

// The selection handles of the symbol's clip rectangle.
bool HitHandles(SSymBase& s, SSymCanvas& canvas, const SSymPoint& pt, int* handle) {
  if (!handle) return false;
  int index = -1;
  if (canvas.HitTestHandles(s.Sym()->GetClipRect(1, 0), &index, pt)) {
    *handle = index;
    return true;
  }
  return false;
}

bool InInflated(SSymRect r, const SSymPoint& pt) {
  r.Normalize();
  r.Inflate(kHitInflate, kHitInflate);
  return r.PtInRect(pt);
}

// The metafile rendered on white at its own pixel size (bounded, so that a
// header claiming a huge frame costs nothing); null when it cannot be made.
std::unique_ptr<Gdiplus::Bitmap> RenderOnWhite(const SMetaFile& mf) {
  if (!mf.IsValid()) return nullptr;
  Gdiplus::Metafile image(mf.GetSafeHandle(), FALSE);
  const INT w = static_cast<INT>(std::min<UINT>(image.GetWidth(), 1024));
  const INT h = static_cast<INT>(std::min<UINT>(image.GetHeight(), 1024));
  if (w <= 0 || h <= 0) return nullptr;
  auto bitmap = std::make_unique<Gdiplus::Bitmap>(w, h);
  if (bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
  Gdiplus::Graphics g(bitmap.get());
  g.Clear(Gdiplus::Color(255, 255, 255, 255));
  g.DrawImage(&image, 0, 0, w, h);
  return bitmap;
}

// Draws with the drawing guard set; a hidden symbol or one being drawn
// already answers 1.
template <class F>
HRESULT GuardedDraw(SSymBase& s, F&& draw) {
  if (s.IsHidden() || (s.m_state & SSymBase::StateNoRedraw)) return 1;
  s.m_state |= SSymBase::StateNoRedraw;
  if (!(s.m_state & SSymBase::StateInitialized)) s.InitialSym(s.Sym());
  SSymRect r = s.m_rect;
  r.Normalize();
  draw(r);
  s.m_state &= ~static_cast<DWORD>(SSymBase::StateNoRedraw);
  return 0;
}

// Resizes the symbol about its centre to a pixel size seen through its view.
HRESULT ResizeToPixels(SSymBase& s, SIZE pixels) {
  SSymCanvasView* canvas = s.GetCanvasPtr();
  if (!canvas) return S_OK;
  const SSymSize units = canvas->DPtoVP(pixels);
  SSymRect from = s.m_rect;
  from.Normalize();
  if (from.Width() == units.cx && from.Height() == units.cy) return S_OK;
  SSymRect to = from;
  to.SetSize(units.cx, units.cy);
  SSymMatrix m;
  m.SetTransform(from, to);
  return s.Transform(m, 1);
}

}  // namespace

// ---- SSymBitmap ----------------------------------------------------------------------------------------
namespace {
HRESULT GetBitmapPictureID(SRepObject* o, SRepVariant& out) {
  out.SetOID(SRepOID_(static_cast<SSymBitmap*>(o)->GetBackgroundPictureID()));
  return S_OK;
}
HRESULT SetBitmapPictureID(SRepObject* o, const SRepVariant& in) {
  SRepOID_ id;
  const HRESULT hr = SRepFromVariant(in, id);
  if (FAILED(hr)) return hr;
  return static_cast<SSymBitmap*>(o)->SetBackgroundPictureID(id.id);
}
}  // namespace

KV_SYM_ACCESSORS(SSymBitmap) { KV_SYM_THUNKS(BackgroundPictureID, &GetBitmapPictureID, &SetBitmapPictureID); };
KV_SYM_DEFINE_CLASS_TABLES(SSymBitmap)
KV_SYM_IMPLEMENT_POOL(SSymBitmap, g_symClasses[SYMCLS_SSymBitmap].poolBlocks);
KV_SYM_REGISTER(SSymBitmap, &SSymCreateStd<SSymBitmap>);

SSymBitmap::SSymBitmap(Gdiplus::Bitmap* bitmap, const SSymRect& rect) : SSymBlob(rect, nullptr, CLSID_SSymBitmap) {
  if (bitmap) PlacePicture(bitmap);
}

SSymBitmap::SSymBitmap(SPictureInfo* picture, const SSymRect& rect) : SSymBlob(rect, nullptr, CLSID_SSymBitmap) {
  if (IsUsable(picture)) SetBackgroundPicture(picture);
}

SSymBitmap::SSymBitmap(const SSymBitmap& source) : SSymBlob(source) {
  if (IsUsable(source.m_pPicture)) {
    m_pPicture = source.m_pPicture;
    m_pPicture->AddRef();
  }
}

SSymBitmap::~SSymBitmap() {
  PendingTable().erase(this);
  if (m_pPicture) m_pPicture->Release();
}

bool SSymBitmap::IsUsable(SPictureInfo* p) {
  if (!p) return false;
  switch (p->GetType()) {
    case SPictureInfo::ptBitmap: return p->GetBitmap(1) != nullptr;
    case SPictureInfo::ptIcon: return p->GetIcon(1) && p->GetIcon(0)->HasImage();
    case SPictureInfo::ptCursor: return p->GetCursor(1) && p->GetCursor(0)->HasImage();
    default: return false;
  }
}

int SSymBitmap::GetPendingCount() { return static_cast<int>(PendingTable().size()); }

void SSymBitmap::PlacePicture(Gdiplus::Bitmap* bitmap) {
  SPictureManager manager;
  if (SPictureInfo* p = manager.AddBitmap(bitmap, SString(), 0, SString(), SBlob())) SetBackgroundPicture(p);
}

HRESULT SSymBitmap::Draw(SSymCanvas& canvas) {
  return GuardedDraw(*this, [&](const SSymRect& r) {
    if (m_pPicture) canvas.DrawPicture(r, m_pPicture, 0);
  });
}

BOOL SSymBitmap::IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol**) {
  if (IsHidden()) return 0;
  if (HitHandles(*this, canvas, pt, handle)) return 1;
  if (!m_pPicture) return InInflated(m_rect, pt) ? 1 : 0;
  const CanvasHit hit(canvas);
  return IsPtInPicture(&hit, m_pPicture, Sym()->GetClipRect(0, 0), pt) ? 1 : 0;
}

BOOL SSymBitmap::GetIntersection(const SSymSegment& segment, SSymPoint* out) {
  SSymCanvasView* canvas = GetCanvasPtr();
  if (!canvas) return SSymBase::GetIntersection(segment, out);
  const CanvasHit hit(*canvas);
  return IntersectsPicture(&hit, m_pPicture, Sym()->GetClipRect(0, 0), segment, out) ? 1 : 0;
}

HRESULT SSymBitmap::NormalSize(int) {
  if (!m_pPicture) return E_FAIL;
  return ResizeToPixels(*this, m_pPicture->GetPictureSize());
}

bool SSymBitmap::SetBackgroundPicture(SPictureInfo* picture) {
  auto holder = HolderOf(*this);
  SPictureInfo* current = m_pPicture;
  if (picture == current) {
    if (picture && !holder.IsNull()) {
      holder->RemovePicture(Obj(), picture);
      holder->AddPicture(Obj(), picture);
    }
    return true;
  }
  if (SRepSession* s = GetSessionImpl()) {
    SComOut<ISRepContext> ctx;
    if (s->GetLockoutContext(&ctx) == S_OK && ctx && !ctx->IsObjectInContext(Obj())) {
      SRepVariant previous;
      previous.SetOID(SRepOID_(ctx->IsRecording() ? (current ? current->GetID() : GUID_NULL)
                                                  : (picture ? picture->GetID() : GUID_NULL)));
      ctx->AddAction(std::make_unique<SRepActionAttr>(Obj(), kBackgroundPictureID, previous));
      if (InLockoutContext()) return false;
    }
  }
  if (!holder.IsNull()) {
    if (current) holder->RemovePicture(Obj(), current);
    if (picture) holder->AddPicture(Obj(), picture);
  }
  if (picture) picture->AddRef();
  m_pPicture = picture;
  if (current) current->Release();
  SetChanged();
  return true;
}

GUID SSymBitmap::GetBackgroundPictureID() { return m_pPicture ? m_pPicture->GetID() : GUID_NULL; }

HRESULT SSymBitmap::SetBackgroundPictureID(const GUID& id) {
  if (id == GUID_NULL) {
    if (!m_pPicture) return S_FALSE;
    return SetBackgroundPicture(nullptr) ? S_OK : S_FALSE;
  }
  SSymPictureManager manager;
  SPictureInfo* p = manager.GetPictureInfo(id);
  // An identifier that names no picture leaves the symbol as it is.
  if (!p) return S_FALSE;
  const bool changed = p != m_pPicture;
  return SetBackgroundPicture(p) && changed ? S_OK : S_FALSE;
}

void SSymBitmap::OnCollectionInsert(LONG id, ISRepObject* owner, int pos) {
  if (id == SymAttr::ParentColl && m_pPicture) {
    auto holder = HolderOf(*this);
    if (!holder.IsNull()) holder->AddPicture(Obj(), m_pPicture);
  }
  SSymBlob::OnCollectionInsert(id, owner, pos);
}

void SSymBitmap::OnCollectionRemove(LONG id, ISRepObject* other) {
  if (id == SymAttr::ParentColl && m_pPicture) {
    auto holder = HolderOf(*this);
    if (!holder.IsNull()) holder->RemovePicture(Obj(), m_pPicture);
  }
  SSymBlob::OnCollectionRemove(id, other);
}

HRESULT SSymBitmap::OnSetBlobData(SInputStream& in) {
  if (in.GetAvailable() <= 14) return S_OK;
  const std::size_t mark = in.GetPosition();
  BYTE header[14];
  const bool ok = in.Read(header, sizeof header) == sizeof header && KvIsBitmapFileHeader(header, sizeof header);
  in.SetPosition(mark);
  if (!ok) return S_OK;
  SBitmap dib;
  if (!dib.CreateBitmap(in)) return S_OK;  // an unreadable old blob is ignored
  std::unique_ptr<Gdiplus::Bitmap> bitmap(SBitmapPlus::CreateBitmap(static_cast<HBITMAP>(dib)));
  if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok) return S_OK;
  SRepSession* s = GetSessionImpl();
  if (s && s->IsDeferringPictures()) {
    PendingTable()[this] = std::move(bitmap);
    return S_OK;
  }
  PlacePicture(bitmap.release());
  return S_OK;
}

// ---- session fix-up ------------------------------------------------------------------------------------
void SSymAutoFixSessionBitmapSymbols(ISRepSession* session) {
  auto& table = PendingTable();
  const int total = static_cast<int>(table.size());
  int count = 1;
  try {
    for (auto it = table.begin(); it != table.end(); ++count) {
      SSymBitmap* symbol = it->first;
      SComOut<ISRepSession> own;
      const HRESULT hr = symbol->GetSession(&own);
      if (FAILED(hr)) throw SECOMException(__PRETTY_FUNCTION__, __FILE__, __LINE__, hr);
      const bool same = own && session &&
                        (own.Get() == session || SRepAreSameObjects(own.Get(), session));
      if (!same) {
        ++it;
        continue;
      }
      Gdiplus::Bitmap* bitmap = it->second.release();
      it = table.erase(it);
      symbol->PlacePicture(bitmap);
    }
  } catch (...) {
    char counts[64];
    std::snprintf(counts, sizeof counts, "%d/%d", count, total);
    VectoredExceptionReporter::Report(__PRETTY_FUNCTION__, "sym/src/symbol", 4439, [&](const SString& text) {
      return SString("Sym Old Session Autofix - Imported bitmap symbols to share model common pictures ") +
             SString(counts) + text;
    });
  }
}

// ---- SSymMetafile --------------------------------------------------------------------------------------
KV_SYM_DEFINE_CLASS_TABLES(SSymMetafile)
KV_SYM_IMPLEMENT_POOL(SSymMetafile, g_symClasses[SYMCLS_SSymMetafile].poolBlocks);
KV_SYM_REGISTER(SSymMetafile, &SSymCreateStd<SSymMetafile>);

SSymMetafile::SSymMetafile(SMetaFile* metafile, const SSymRect& rect) : SSymBlob(rect, nullptr, CLSID_SSymMetafile) {
  if (metafile && metafile->GetSafeHandle()) m_metafile.Attach(metafile->Detach());
}

SSymMetafile::SSymMetafile(const SSymMetafile& source) : SSymBlob(source) {
  SetBlobData(const_cast<SSymMetafile&>(source).GetBlobData());
}

HRESULT SSymMetafile::Draw(SSymCanvas& canvas) {
  return GuardedDraw(*this, [&](const SSymRect& r) {
    if (m_metafile.IsValid()) canvas.DrawMetaFile(r, m_metafile);
  });
}

BOOL SSymMetafile::IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol**) {
  if (IsHidden()) return 0;
  if (HitHandles(*this, canvas, pt, handle)) return 1;
  auto bitmap = RenderOnWhite(m_metafile);
  if (!bitmap) return InInflated(m_rect, pt) ? 1 : 0;
  return IsPtInBitmap(bitmap.get(), Sym()->GetClipRect(0, 0), pt, false) ? 1 : 0;
}

BOOL SSymMetafile::GetIntersection(const SSymSegment& segment, SSymPoint* out) {
  SSymCanvasView* canvas = GetCanvasPtr();
  if (!canvas) return SSymBase::GetIntersection(segment, out);
  auto bitmap = RenderOnWhite(m_metafile);
  if (!bitmap) return SSymBase::GetIntersection(segment, out);
  const CanvasHit hit(*canvas);
  return IntersectsBitmap(&hit, bitmap.get(), Sym()->GetClipRect(0, 0), segment, out) ? 1 : 0;
}

HRESULT SSymMetafile::NormalSize(int) {
  const SIZE units = m_metafile.GetSizeCoordSD();
  if (units.cx <= 0 || units.cy <= 0) return S_OK;
  SSymCanvasView* canvas = GetCanvasPtr();
  if (!canvas) return S_OK;
  return ResizeToPixels(*this, canvas->VPtoDP(SSymSize(units.cx, units.cy)));
}

HRESULT SSymMetafile::OnGetBlobData(SOutputStream& out) {
  SOutputBinaryStream stream(out);
  stream << m_metafile;
  return S_OK;
}

HRESULT SSymMetafile::OnSetBlobData(SInputStream& in) {
  if (in.GetAvailable() == 0) return S_OK;
  // Read whole into a new metafile first: a blob that cannot be read leaves
  // the symbol's metafile as it was.
  SMetaFile read;
  DWORD count = 0;
  try {
    SInputBinaryStream stream(in);
    const std::size_t mark = in.GetPosition();
    stream >> count;
    in.SetPosition(mark);
    stream >> read;
  } catch (const SException&) {
    return STG_E_READFAULT;
  }
  if (count == 0) {
    m_metafile.DeleteMetaFile();  // the blob of a symbol without a metafile
    return S_OK;
  }
  if (!read.IsValid()) return STG_E_READFAULT;
  m_metafile.DeleteMetaFile();
  m_metafile.Attach(read.Detach());
  return S_OK;
}
