// The bitmap and metafile symbols: a picture shared by symbols through the
// session's picture holder, undo of a picture change, the old bitmap blobs
// imported at once or when their session is fixed up, the metafile's own
// blob, drawing and hit tests.
#include <gtest/gtest.h>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/sstream.h"
#include "kvrep/srepsession.h"
#include "support/picture_bytes.h"
#include "support/recording_canvas.h"
#include "support/symtest.h"
#include "sym/shapes/sympictures.h"

namespace {

using kvtest::Bytes;

// The recording canvas with the picture calls written down as well.
class PictureCanvas : public RecordingCanvas {
 public:
  void DrawPicture(const SSymRect& r, SPictureInfo* pic, int flag) override {
    m_pictures.push_back("DrawPicture " + R(r) + " " + std::to_string(pic ? pic->GetType() : 0));
    RecordingCanvas::DrawPicture(r, pic, flag);
  }
  void DrawMetaFile(const SSymRect& r, const SMetaFile& mf) override {
    m_pictures.push_back("DrawMetaFile " + R(r));
    RecordingCanvas::DrawMetaFile(r, mf);
  }
  std::vector<std::string> m_pictures;
};

class PictureSymbols : public SymFixture {
 protected:
  void SetUp() override {
    SymFixture::SetUp();
    SExceptionDialog::SetQuiet(true);
  }
  void TearDown() override {
    // Symbols placed in a diagram may outlive the test (the edge router
    // keeps them): they let go of their pictures before the records go.
    for (ISRepObject* o : m_own)
      if (auto* b = dynamic_cast<SSymBitmap*>(SRepObject::FromInterface(o))) b->SetBackgroundPicture(nullptr);
    for (ISRepObject* o : m_own) o->Release();
    SymFixture::TearDown();
    SPictureManager::RemoveAll();
  }
  template <class T>
  T* Create(REFCLSID clsid, ISRepSession* session = nullptr) {
    void* p = nullptr;
    EXPECT_EQ((session ? session : Session())->CreateObject(clsid, IID_ISRepObject, &p), S_OK);
    auto* obj = static_cast<ISRepObject*>(p);
    m_own.push_back(obj);
    T* t = dynamic_cast<T*>(SRepObject::FromInterface(obj));
    EXPECT_NE(t, nullptr);
    t->m_rect = SSymRect(0, 3600, 4800, 0);
    return t;
  }
  SSymBitmap* Bitmap() { return Create<SSymBitmap>(CLSID_SSymBitmap); }
  SSymMetafile* Metafile() { return Create<SSymMetafile>(CLSID_SSymMetafile); }
  static SPictureInfo* BitmapRecord(std::uint32_t argb) {
    return SPictureManager().AddPicture(3, SString(), 0, 1, SString(), SBlob(kvtest::PngBytes(16, 8, argb)));
  }
  LONG Uses(SPictureInfo* p) {
    SComWrap<ISRepPictureHolder, &IID_ISRepPictureHolder> holder(Session());
    return holder->GetUseCount(p);
  }
  std::vector<ISRepObject*> m_own;
};

TEST_F(PictureSymbols, SharedPictureUseCountsUndoAndSameAgain) {
  SPictureInfo* p = BitmapRecord(0xFF0000FFu);
  SPictureInfo* q = BitmapRecord(0xFFFF0000u);
  SSymBitmap* a = Bitmap();
  SSymBitmap* b = Bitmap();
  EXPECT_EQ(a->GetSymbolType(), 10);
  ASSERT_TRUE(a->SetBackgroundPicture(p));
  ASSERT_TRUE(b->SetBackgroundPicture(p));
  DiagramOwner()->Add(a->Sym());
  DiagramOwner()->Add(b->Sym());
  EXPECT_EQ(Uses(p), 2);
  EXPECT_EQ(p->GetRefCount(), 2u);
  DiagramOwner()->Remove(b->Sym());
  EXPECT_EQ(Uses(p), 1);
  DiagramOwner()->Add(b->Sym());
  EXPECT_EQ(Uses(p), 2);

  // The same picture again records nothing and keeps its one registered use.
  {
    SRepCreateContext step(Session());
    EXPECT_TRUE(a->SetBackgroundPicture(p));
    EXPECT_EQ(m_session->Current()->GetActionCount(), 0);
  }
  EXPECT_EQ(Uses(p), 2);
  EXPECT_EQ(a->SetBackgroundPictureID(p->GetID()), S_FALSE);

  const int undos = m_session->GetUndoCount();
  {
    SRepCreateContext step(Session());
    EXPECT_EQ(a->SetBackgroundPictureID(q->GetID()), S_OK);
  }
  EXPECT_EQ(m_session->GetUndoCount(), undos + 1);
  EXPECT_EQ(a->GetPicture(), q);
  EXPECT_EQ(Uses(p), 1);
  EXPECT_EQ(Uses(q), 1);
  ASSERT_EQ(m_session->Undo(), S_OK);
  EXPECT_EQ(a->GetPicture(), p);
  EXPECT_EQ(Uses(p), 2);
  EXPECT_EQ(Uses(q), 0);
  ASSERT_EQ(m_session->Redo(), S_OK);
  EXPECT_EQ(a->GetPicture(), q);
  SRepVariant v;
  ASSERT_EQ(a->GetAttribute(0x02010052, &v), S_OK);
  EXPECT_EQ(v.GetOID().id, q->GetID());

  // An identifier that names nothing changes nothing.
  GUID unknown = q->GetID();
  unknown.Data1 ^= 0x5A5A5A5Au;
  EXPECT_EQ(a->SetBackgroundPictureID(unknown), S_FALSE);
  EXPECT_EQ(a->GetPicture(), q);
  // Clearing it drops the use.
  EXPECT_EQ(a->SetBackgroundPictureID(GUID_NULL), S_OK);
  EXPECT_EQ(a->GetPicture(), nullptr);
  EXPECT_EQ(Uses(q), 0);
  EXPECT_EQ(q->GetRefCount(), 0u);
}

TEST_F(PictureSymbols, OldBitmapBlobs) {
  const Bytes bmp = kvtest::BmpBytes(6, 4, 0xFF00FF00u);
  Bytes bits53 = bmp;
  kvtest::Put32(bits53, 10, 53);
  Bytes lying = bmp;
  kvtest::Put32(lying, 2, 0x3FFFFFFF);  // claims a gigabyte
  Bytes truncated = bmp;
  truncated.resize(40);
  struct Case {
    const char* name;
    Bytes blob;
    bool placed;
  } cases[] = {{"bitmap file", bmp, true},
               {"exactly 14 bytes", Bytes(bmp.begin(), bmp.begin() + 14), false},
               {"bits at 53", bits53, false},
               {"size lying", lying, false},
               {"truncated", truncated, false},
               {"png", kvtest::PngBytes(4, 4, 0xFF000000u), false},
               {"empty", Bytes(), false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SSymBitmap* s = Bitmap();
    EXPECT_EQ(s->SetBlobData(SBlob(c.blob)), S_OK);
    ASSERT_EQ(s->GetPicture() != nullptr, c.placed);
    if (c.placed) {
      EXPECT_EQ(s->GetPicture()->GetPictureSize().cx, 6);
    }
    EXPECT_TRUE(s->GetBlobData().IsEmpty());  // the bitmap writes an empty blob
  }
}

TEST_F(PictureSymbols, OldBlobsWaitForTheirSessionsFixUp) {
  const Bytes bmp = kvtest::BmpBytes(5, 5, 0xFF112233u);
  SRepSession* other = new SRepSession();
  other->AddRef();
  m_session->SetDeferPictures(TRUE);
  other->SetDeferPictures(TRUE);
  SSymBitmap* mine = Bitmap();
  SSymBitmap* theirs = Create<SSymBitmap>(CLSID_SSymBitmap, other);
  const int before = SSymBitmap::GetPendingCount();
  mine->SetBlobData(SBlob(bmp));
  theirs->SetBlobData(SBlob(bmp));
  EXPECT_EQ(mine->GetPicture(), nullptr);
  EXPECT_EQ(SSymBitmap::GetPendingCount(), before + 2);
  m_session->SetDeferPictures(FALSE);
  SSymAutoFixSessionBitmapSymbols(Session());
  ASSERT_NE(mine->GetPicture(), nullptr);
  EXPECT_EQ(mine->GetPicture()->GetPictureSize().cx, 5);
  EXPECT_EQ(theirs->GetPicture(), nullptr);
  EXPECT_EQ(SSymBitmap::GetPendingCount(), before + 1);
  SSymAutoFixSessionBitmapSymbols(Session());  // nothing left of this session
  EXPECT_EQ(SSymBitmap::GetPendingCount(), before + 1);

  // A symbol that goes before the fix-up takes its entry and bitmap with it:
  // the fix-up never meets a dead symbol.
  ISRepObject* own = m_own.back();
  m_own.pop_back();
  own->Release();
  other->Release();  // the session ends and its objects with it
  EXPECT_EQ(SSymBitmap::GetPendingCount(), before);
  SSymAutoFixSessionBitmapSymbols(Session());
  EXPECT_EQ(SSymBitmap::GetPendingCount(), before);
}

TEST_F(PictureSymbols, BitmapDrawsAndHitsItsPicture) {
  SSymBitmap* s = Bitmap();
  PictureCanvas canvas;
  canvas.m_pictures.clear();
  EXPECT_EQ(s->Draw(canvas), S_OK);
  EXPECT_TRUE(canvas.m_pictures.empty());
  EXPECT_EQ(s->NormalSize(0), E_FAIL);
  // Without a picture: the rectangle inflated by 75.
  EXPECT_TRUE(s->IsPtInSym(canvas, SSymPoint(4870, 1800), nullptr, nullptr));
  EXPECT_FALSE(s->IsPtInSym(canvas, SSymPoint(4880, 1800), nullptr, nullptr));
  // An icon record without an image is not taken.
  SPictureInfo empty(SPictureInfo::ptIcon, SString(), 0, SString(), SBlob());
  SSymBitmap fromEmpty(&empty, SSymRect(0, 100, 100, 0));
  EXPECT_EQ(fromEmpty.GetPicture(), nullptr);
  EXPECT_EQ(empty.GetRefCount(), 0u);

  SPictureInfo* p = BitmapRecord(0xFF000000u);
  ASSERT_TRUE(s->SetBackgroundPicture(p));
  canvas.m_pictures.clear();
  EXPECT_EQ(s->Draw(canvas), S_OK);
  EXPECT_EQ(canvas.m_pictures, std::vector<std::string>{"DrawPicture 0 3600 4800 0 3"});
  EXPECT_TRUE(s->IsPtInSym(canvas, SSymPoint(2400, 1800), nullptr, nullptr));
  s->Flags |= SSymBase::FlagHidden;
  canvas.m_pictures.clear();
  EXPECT_EQ(s->Draw(canvas), 1);
  EXPECT_FALSE(s->IsPtInSym(canvas, SSymPoint(2400, 1800), nullptr, nullptr));
}

TEST_F(PictureSymbols, MetafileBlobRoundTripAndBadBlobs) {
  SSymMetafile* s = Metafile();
  EXPECT_EQ(s->GetSymbolType(), 11);
  SMetaFile mf{SBlob(kvtest::EmfBytes())};
  ASSERT_TRUE(mf.IsValid());
  SSymMetafile made(&mf, SSymRect(0, 100, 100, 0));
  EXPECT_FALSE(mf.IsValid());  // the handle went to the symbol
  const SBlob blob = made.GetBlobData();
  ASSERT_EQ(s->SetBlobData(blob), S_OK);
  EXPECT_EQ(s->GetBlobData(), blob);
  EXPECT_EQ(s->GetMetaFile().GetBlob().GetBytes(), kvtest::EmfBytes());

  Bytes lying = blob.GetBytes();
  kvtest::Put32(lying, 0, 0x7FFFFFFF);
  Bytes truncated = blob.GetBytes();
  truncated.resize(truncated.size() / 2);
  Bytes notEmf(blob.GetSize(), 0x11);
  kvtest::Put32(notEmf, 0, static_cast<std::uint32_t>(notEmf.size() - 4));
  for (const Bytes& bad : {lying, truncated, notEmf, Bytes{1, 0}}) {
    EXPECT_TRUE(FAILED(s->SetBlobData(SBlob(bad))));
    EXPECT_EQ(s->GetBlobData(), blob);
  }
  // The copy made through the blob holds the same metafile.
  ISRepObject* copy = nullptr;
  ASSERT_EQ(s->Duplicate(&copy, FALSE), S_OK);
  auto* c = dynamic_cast<SSymMetafile*>(SRepObject::FromInterface(copy));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->GetBlobData(), blob);
  copy->Release();
}

TEST_F(PictureSymbols, MetafileHitTestsFollowItsInk) {
  PictureCanvas canvas;
  SSymMetafile* black = Metafile();
  ASSERT_EQ(black->SetBlobData([] {
    SMetaFile mf{SBlob(kvtest::EmfBytes())};
    SSymMetafile tmp(&mf, SSymRect(0, 1, 1, 0));
    return tmp.GetBlobData();
  }()),
            S_OK);
  SSymMetafile* white = Metafile();
  ASSERT_EQ(white->SetBlobData([] {
    SMetaFile mf{SBlob(kvtest::WhiteEmfBytes())};
    SSymMetafile tmp(&mf, SSymRect(0, 1, 1, 0));
    return tmp.GetBlobData();
  }()),
            S_OK);
  EXPECT_TRUE(black->IsPtInSym(canvas, SSymPoint(2400, 1800), nullptr, nullptr));
  for (const SSymPoint& pt : {SSymPoint(2400, 1800), SSymPoint(100, 100), SSymPoint(4700, 3500)})
    EXPECT_FALSE(white->IsPtInSym(canvas, pt, nullptr, nullptr));
  // Its handles are still hit.
  int handle = -1;
  EXPECT_TRUE(white->IsPtInSym(canvas, SSymPoint(0, 0), &handle, nullptr));
  EXPECT_GE(handle, 0);
  canvas.m_pictures.clear();
  EXPECT_EQ(black->Draw(canvas), S_OK);
  EXPECT_EQ(canvas.m_pictures, std::vector<std::string>{"DrawMetaFile 0 3600 4800 0"});
}

}  // namespace
