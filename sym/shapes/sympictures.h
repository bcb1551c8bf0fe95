// The picture symbols. SSymBitmap shows a picture of the shared picture store
// (a bitmap, icon or cursor) by reference and registers its use with the
// session's picture holder while it is in a diagram; it also reads the older
// storage in which each symbol kept its own bitmap file in its blob, and
// moves such pictures into the shared store (at once, or when the session
// that is being opened is fixed up). SSymMetafile keeps its own enhanced
// metafile and stores it in its blob.
#pragma once

#include "kvcore/spicture.h"
#include "sym/foundation/symclassreg.h"
#include "sym/symbol/symstd.h"

namespace SSymTypeCode {
inline constexpr int Bitmap = 10;
inline constexpr int Metafile = 11;
}  // namespace SSymTypeCode

class SSymBitmap : public SSymBlob {
  KV_SYM_DECLARE_POOL()

 public:
  // Takes the bitmap (owned from the call on) into the picture store.
  SSymBitmap(Gdiplus::Bitmap* bitmap, const SSymRect& rect);
  // Shows a usable picture (a bitmap, or an icon or cursor with its image).
  SSymBitmap(SPictureInfo* picture, const SSymRect& rect);
  ~SSymBitmap() override;
  KV_SYM_CLASS_TABLES()

  HRESULT Draw(SSymCanvas& canvas) override;
  BOOL IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) override;
  HRESULT NormalSize(int redraw) override;
  int GetSymbolType() override { return SSymTypeCode::Bitmap; }
  int GetShapeKind() override { return 3; }
  BOOL GetIntersection(const SSymSegment& segment, SSymPoint* out) override;
  void OnCollectionInsert(LONG id, ISRepObject* owner, int pos) override;
  void OnCollectionRemove(LONG id, ISRepObject* other) override;
  HRESULT OnSetBlobData(SInputStream& in) override;

  SPictureInfo* GetPicture() const { return m_pPicture; }
  // Changes the picture (recorded for undo); false inside a replay.
  virtual bool SetBackgroundPicture(SPictureInfo* picture);
  GUID GetBackgroundPictureID();
  // 0 when the picture changed, 1 otherwise (unknown identifier included).
  HRESULT SetBackgroundPictureID(const GUID& id);

  // Places a picture read from an old blob: into the store and onto the
  // symbol (the bitmap is owned from the call on).
  void PlacePicture(Gdiplus::Bitmap* bitmap);
  // The symbols whose old pictures wait for their session's fix-up.
  static int GetPendingCount();

 protected:
  explicit SSymBitmap(ISRepSession* session) : SSymBlob(session, CLSID_SSymBitmap) {}
  SSymBitmap(const SSymBitmap& source);
  template <class X>
  friend HRESULT SSymCreateStd(ISRepObject**, ISRepSession*, ISRepObject*);

 private:
  static bool IsUsable(SPictureInfo* picture);
  SPictureInfo* m_pPicture = nullptr;  // counted (AddRef/Release)
};

class SSymMetafile : public SSymBlob {
  KV_SYM_DECLARE_POOL()

 public:
  // Takes the metafile's handle over (the given object is left empty).
  SSymMetafile(SMetaFile* metafile, const SSymRect& rect);
  ~SSymMetafile() override = default;
  KV_SYM_CLASS_TABLES()

  HRESULT Draw(SSymCanvas& canvas) override;
  BOOL IsPtInSym(SSymCanvas& canvas, const SSymPoint& pt, int* handle, ISSymbol** sub) override;
  HRESULT NormalSize(int redraw) override;
  int GetSymbolType() override { return SSymTypeCode::Metafile; }
  int GetShapeKind() override { return 3; }
  BOOL GetIntersection(const SSymSegment& segment, SSymPoint* out) override;
  HRESULT OnGetBlobData(SOutputStream& out) override;
  HRESULT OnSetBlobData(SInputStream& in) override;

  const SMetaFile& GetMetaFile() const { return m_metafile; }

 protected:
  explicit SSymMetafile(ISRepSession* session) : SSymBlob(session, CLSID_SSymMetafile) {}
  SSymMetafile(const SSymMetafile& source);
  template <class X>
  friend HRESULT SSymCreateStd(ISRepObject**, ISRepSession*, ISRepObject*);

 private:
  SMetaFile m_metafile;
};

// Moves the pictures read from old bitmap blobs of the session's symbols into
// the shared picture store; the host calls it when it has opened a session.
void SSymAutoFixSessionBitmapSymbols(ISRepSession* session);
