// OLE data transfer: a data object filled with immediate and delayed
// formats, put on the clipboard and read back by plain and OLE readers,
// flushed, replaced; streams on memory blocks; renderers that fail.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "kvcore/sdataobject.h"
#include "support/com_helpers.h"
#include "support/ole_storage.h"
#include "win/emf.h"
#include "win/winoledata.h"

namespace {

HGLOBAL Text16(const std::u16string& s) {
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (s.size() + 1) * 2);
  std::memcpy(GlobalLock(mem), s.c_str(), (s.size() + 1) * 2);
  GlobalUnlock(mem);
  return mem;
}
std::u16string ReadText16(HGLOBAL h) {
  const auto* p = static_cast<const char16_t*>(GlobalLock(h));
  std::u16string s = p ? p : u"";
  GlobalUnlock(h);
  return s;
}

FORMATETC Fmt(UINT cf, DWORD tymed = TYMED_HGLOBAL) {
  return FORMATETC{CLIPFORMAT(cf), nullptr, DVASPECT_CONTENT, -1, tymed};
}

class OleData : public ::testing::Test {
 protected:
  void SetUp() override {
    KvWindowsReset();
    KvClipboardReset();
    blocks = KvGlobalBlockCount();
    data = SDataObject::Create();
  }
  void TearDown() override {
    OleSetClipboard(nullptr);
    EXPECT_EQ(data->Release(), 0u) << "the data object is still held";
    KvWindowsReset();
    KvClipboardReset();
    EXPECT_EQ(KvGlobalBlockCount(), blocks) << "memory blocks leaked";
  }
  // Offers CF_UNICODETEXT delayed, counting the renders.
  void OfferDelayedText(const std::u16string& text) {
    ASSERT_EQ(data->SetDelayed(Fmt(CF_UNICODETEXT), [this, text](const FORMATETC&, STGMEDIUM* m) {
      ++renders;
      m->tymed = TYMED_HGLOBAL;
      m->hGlobal = Text16(text);
      return S_OK;
    }),
              S_OK);
  }
  SDataObject* data = nullptr;
  int renders = 0;
  std::size_t blocks = 0;
};

TEST_F(OleData, ClipboardRendersDelayedFormatsOnlyWhenRead) {
  const UINT descriptor = RegisterClipboardFormatW(CFSTR_OBJECTDESCRIPTOR);
  const BYTE bytes[52] = {52};
  ASSERT_EQ(data->SetGlobal(CLIPFORMAT(descriptor), bytes, sizeof bytes), S_OK);
  OfferDelayedText(u"text");
  ASSERT_EQ(OleSetClipboard(data), S_OK);
  EXPECT_EQ(Refs(data), 2u);
  EXPECT_EQ(OleIsCurrentClipboard(data), S_OK);
  EXPECT_EQ(GetClipboardOwner(), KvOleWindow());
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_EQ(renders, 0);

  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(GlobalSize(static_cast<HGLOBAL>(GetClipboardData(descriptor))), 52u);
  EXPECT_EQ(renders, 0);
  EXPECT_EQ(ReadText16(static_cast<HGLOBAL>(GetClipboardData(CF_UNICODETEXT))), u"text");
  EXPECT_EQ(ReadText16(static_cast<HGLOBAL>(GetClipboardData(CF_UNICODETEXT))), u"text");
  ASSERT_TRUE(CloseClipboard());
  EXPECT_EQ(renders, 1);

  // An OLE reader gets the object itself.
  IDataObject* got = nullptr;
  ASSERT_EQ(OleGetClipboard(&got), S_OK);
  EXPECT_EQ(got, data);
  got->Release();
}

TEST_F(OleData, FlushRendersEverythingAndLetsTheObjectGo) {
  OfferDelayedText(u"flushed");
  ASSERT_EQ(OleSetClipboard(data), S_OK);
  ASSERT_EQ(OleFlushClipboard(), S_OK);
  EXPECT_EQ(renders, 1);
  EXPECT_EQ(Refs(data), 1u);
  EXPECT_EQ(OleIsCurrentClipboard(data), S_FALSE);

  // The reader of the clipboard gives the data as a block, a stream or a copy.
  IDataObject* reader = nullptr;
  ASSERT_EQ(OleGetClipboard(&reader), S_OK);
  ASSERT_NE(reader, data);
  FORMATETC f = Fmt(CF_UNICODETEXT);
  STGMEDIUM m{};
  ASSERT_EQ(reader->GetData(&f, &m), S_OK);
  EXPECT_EQ(ReadText16(m.hGlobal), u"flushed");
  ReleaseStgMedium(&m);
  f.tymed = TYMED_ISTREAM;
  ASSERT_EQ(reader->GetData(&f, &m), S_OK);
  ASSERT_EQ(m.tymed, TYMED_ISTREAM);
  char16_t text[16] = {};
  ULONG read = 0;
  EXPECT_EQ(m.pstm->Read(text, sizeof text, &read), S_FALSE);  // the end came first
  EXPECT_EQ(read, 16u);
  EXPECT_EQ(std::u16string(text), u"flushed");
  ReleaseStgMedium(&m);
  // While someone else holds the clipboard open it cannot be read (and is
  // left open for its holder).
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(reader->GetData(&f, &m), CLIPBRD_E_CANT_OPEN);
  EXPECT_TRUE(CloseClipboard());
  f = Fmt(CF_ENHMETAFILE, TYMED_ENHMF);
  EXPECT_EQ(reader->GetData(&f, &m), DV_E_FORMATETC);
  EXPECT_EQ(m.tymed, TYMED_NULL);
  IEnumFORMATETC* formats = nullptr;
  ASSERT_EQ(reader->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
  FORMATETC listed[4];
  ULONG n = 0;
  formats->Next(4, listed, &n);
  EXPECT_EQ(n, 2u);  // the text and its ANSI form
  formats->Release();
  reader->Release();
}

TEST_F(OleData, AnotherOwnerEmptyingReleasesTheObject) {
  OfferDelayedText(u"x");
  ASSERT_EQ(OleSetClipboard(data), S_OK);
  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_TRUE(CloseClipboard());
  EXPECT_EQ(Refs(data), 1u);
  EXPECT_EQ(OleIsCurrentClipboard(data), S_FALSE);
  EXPECT_EQ(renders, 0);

  // So does a second object, and null empties the clipboard.
  ASSERT_EQ(OleSetClipboard(data), S_OK);
  SDataObject* second = SDataObject::Create();
  ASSERT_EQ(OleSetClipboard(second), S_OK);
  EXPECT_EQ(Refs(data), 1u);
  ASSERT_EQ(OleSetClipboard(nullptr), S_OK);
  EXPECT_EQ(CountClipboardFormats(), 0);
  // A reset of the clipboard lets the object go too.
  ASSERT_EQ(OleSetClipboard(second), S_OK);
  KvClipboardReset();
  EXPECT_EQ(OleIsCurrentClipboard(second), S_FALSE);
  EXPECT_EQ(second->Release(), 0u);
}

TEST_F(OleData, OpenClipboardBlocksTheOleClipboard) {
  HWND gone = KvOleWindow();
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(OleSetClipboard(data), CLIPBRD_E_CANT_OPEN);
  ASSERT_TRUE(CloseClipboard());
  EXPECT_EQ(Refs(data), 1u);
  // The hidden window comes back after a reset destroyed it.
  KvWindowsReset();
  EXPECT_FALSE(IsWindow(gone));
  EXPECT_EQ(OleSetClipboard(data), S_OK);
  EXPECT_TRUE(IsWindow(KvOleWindow()));
}

TEST_F(OleData, FailingRenderersGiveTheirErrorAndLeakNothing) {
  struct Case {
    const char* name;
    SDataObject::Render render;
    HRESULT expected;
  };
  const Case cases[] = {
      {"fails", [](const FORMATETC&, STGMEDIUM*) { return E_FAIL; }, E_FAIL},
      {"fills, then fails",
       [](const FORMATETC&, STGMEDIUM* m) {
         m->tymed = TYMED_HGLOBAL;
         m->hGlobal = Text16(u"half");
         return STG_E_MEDIUMFULL;
       },
       STG_E_MEDIUMFULL},
      {"throws", [](const FORMATETC&, STGMEDIUM*) -> HRESULT { throw std::runtime_error("render"); }, E_UNEXPECTED},
      {"wrong medium",
       [](const FORMATETC&, STGMEDIUM* m) {
         IStream* s = nullptr;
         CreateStreamOnHGlobal(nullptr, TRUE, &s);
         m->tymed = TYMED_ISTREAM;
         m->pstm = s;
         return S_OK;
       },
       DV_E_TYMED},
  };
  for (const Case& c : cases) {
    data->Clear();
    ASSERT_EQ(data->SetDelayed(Fmt(CF_UNICODETEXT), c.render), S_OK);
    FORMATETC f = Fmt(CF_UNICODETEXT);
    STGMEDIUM m{};
    EXPECT_EQ(data->GetData(&f, &m), c.expected) << c.name;
    EXPECT_EQ(m.tymed, TYMED_NULL) << c.name;
    // Through the clipboard the reader gets nothing.
    ASSERT_EQ(OleSetClipboard(data), S_OK);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr) << c.name;
    ASSERT_TRUE(CloseClipboard());
    ASSERT_EQ(OleSetClipboard(nullptr), S_OK);
    EXPECT_EQ(KvGlobalBlockCount(), blocks) << c.name;
  }
}

TEST_F(OleData, QueriesAnswerWhatIsOffered) {
  ASSERT_EQ(data->SetGlobal(CF_TEXT, "a", 2), S_OK);
  FORMATETC f = Fmt(CF_TEXT);
  EXPECT_EQ(data->QueryGetData(&f), S_OK);
  f.tymed = TYMED_ISTORAGE;
  EXPECT_EQ(data->QueryGetData(&f), DV_E_TYMED);
  f = Fmt(CF_UNICODETEXT);
  EXPECT_EQ(data->QueryGetData(&f), DV_E_FORMATETC);
  f = Fmt(0xC000 + 0x3FFF);
  STGMEDIUM m{};
  EXPECT_EQ(data->GetData(&f, &m), DV_E_FORMATETC) << "a format never registered";
  EXPECT_EQ(data->GetData(nullptr, &m), E_INVALIDARG);
  EXPECT_EQ(data->SetDelayed(Fmt(0), [](const FORMATETC&, STGMEDIUM*) { return S_OK; }), E_INVALIDARG);
  EXPECT_EQ(data->SetMedium(Fmt(CF_TEXT), nullptr), E_INVALIDARG);
  IEnumFORMATETC* e = nullptr;
  EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &e), E_NOTIMPL);
  EXPECT_EQ(e, nullptr);

  // Data set through the interface is copied unless handed over.
  HGLOBAL mine = Text16(u"mine");
  STGMEDIUM given{};
  given.tymed = TYMED_HGLOBAL;
  given.hGlobal = mine;
  f = Fmt(CF_UNICODETEXT);
  ASSERT_EQ(data->SetData(&f, &given, FALSE), S_OK);
  EXPECT_EQ(given.hGlobal, mine);
  ASSERT_EQ(data->GetData(&f, &m), S_OK);
  EXPECT_NE(m.hGlobal, mine);
  EXPECT_EQ(ReadText16(m.hGlobal), u"mine");
  ReleaseStgMedium(&m);
  ASSERT_EQ(data->SetData(&f, &given, TRUE), S_OK);
  EXPECT_EQ(given.tymed, TYMED_NULL);
}

TEST_F(OleData, StorageTravelsShared) {
  MemoryStorage s;
  IStorage* storage = s.storage;
  const UINT embed = RegisterClipboardFormatW(CFSTR_EMBEDSOURCE);
  STGMEDIUM m{};
  m.tymed = TYMED_ISTORAGE;
  m.pstg = storage;
  storage->AddRef();
  ASSERT_EQ(data->SetMedium(Fmt(embed, TYMED_ISTORAGE), &m), S_OK);
  FORMATETC f = Fmt(embed, TYMED_ISTORAGE);
  ASSERT_EQ(data->GetData(&f, &m), S_OK);
  EXPECT_EQ(m.pstg, storage);
  EXPECT_EQ(Refs(storage), 3u);
  ReleaseStgMedium(&m);
  // A storage has no place on the plain clipboard: only OLE readers see it.
  ASSERT_EQ(OleSetClipboard(data), S_OK);
  EXPECT_FALSE(IsClipboardFormatAvailable(embed));
  ASSERT_EQ(OleSetClipboard(nullptr), S_OK);
  data->Clear();
  EXPECT_EQ(Refs(storage), 1u);
}

TEST_F(OleData, ReleaseStgMediumHandsOwnershipToTheReleaser) {
  IStream* owner = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &owner), S_OK);
  HGLOBAL mem = Text16(u"held");
  STGMEDIUM m{};
  m.tymed = TYMED_HGLOBAL;
  m.hGlobal = mem;
  m.pUnkForRelease = owner;
  owner->AddRef();
  ReleaseStgMedium(&m);
  EXPECT_EQ(Refs(owner), 1u);
  EXPECT_EQ(GlobalFree(mem), nullptr) << "the block was not freed by the medium";
  EXPECT_EQ(m.tymed, TYMED_NULL);
  owner->Release();
  ReleaseStgMedium(nullptr);
}

// A picture 1 cm square.
HENHMETAFILE Picture() {
  const RECT frame{0, 0, 1000, 1000};
  HDC rec = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
  Rectangle(rec, 0, 0, 30, 30);
  return CloseEnhMetaFile(rec);
}

TEST_F(OleData, ObjectsMadeFromData) {
  IOleObject* object = nullptr;
  void** out = reinterpret_cast<void**>(&object);
  MemoryStorage target;
  // Text alone makes nothing.
  ASSERT_EQ(data->SetGlobal(CF_TEXT, "a", 2), S_OK);
  EXPECT_EQ(OleQueryCreateFromData(data), S_FALSE);
  EXPECT_EQ(OleCreateFromData(data, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, target.storage, out),
            DV_E_FORMATETC);
  EXPECT_EQ(OleCreateStaticFromData(data, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, target.storage, out),
            DV_E_FORMATETC);
  EXPECT_EQ(OleCreateLinkFromData(data, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, target.storage, out),
            DV_E_FORMATETC);
  EXPECT_EQ(object, nullptr);
  EXPECT_EQ(OleCreateStaticFromData(data, IID_IOleObject, 0, nullptr, nullptr, nullptr, out), E_INVALIDARG);

  // A picture makes a static object that draws it and saves it.
  STGMEDIUM m{};
  m.tymed = TYMED_ENHMF;
  m.hEnhMetaFile = Picture();
  ASSERT_EQ(data->SetMedium(Fmt(CF_ENHMETAFILE, TYMED_ENHMF), &m), S_OK);
  EXPECT_EQ(OleQueryCreateFromData(data), OLE_S_STATIC);
  ASSERT_EQ(OleCreateStaticFromData(data, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, target.storage, out), S_OK);
  DWORD status = 0;
  EXPECT_EQ(object->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
  EXPECT_EQ(status, OLEMISC_STATIC);
  SIZEL extent{};
  EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
  EXPECT_EQ(extent.cx, 1000);
  EXPECT_EQ(object->DoVerb(0, nullptr, nullptr, 0, nullptr, nullptr), OLEOBJ_E_NOVERBS);
  object->Release();
  CLSID saved{};
  ASSERT_EQ(ReadClassStg(target.storage, &saved), S_OK);
  EXPECT_EQ(saved, CLSID_Picture_EnhMetafile);
  ASSERT_EQ(OleLoad(target.storage, IID_IOleObject, nullptr, out), S_OK) << "a saved picture loads again";
  object->Release();

  // That storage offered as "Embed Source" makes an embedded copy in another.
  STGMEDIUM embed{};
  embed.tymed = TYMED_ISTORAGE;
  embed.pstg = target.storage;
  target.storage->AddRef();
  ASSERT_EQ(data->SetMedium(Fmt(RegisterClipboardFormatW(CFSTR_EMBEDSOURCE), TYMED_ISTORAGE), &embed), S_OK);
  EXPECT_EQ(OleQueryCreateFromData(data), S_OK);
  MemoryStorage copy;
  ASSERT_EQ(OleCreateFromData(data, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, copy.storage, out), S_OK);
  EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, &extent), S_OK);
  EXPECT_EQ(extent.cy, 1000);
  object->Release();
  ASSERT_EQ(ReadClassStg(copy.storage, &saved), S_OK);
  EXPECT_EQ(saved, CLSID_Picture_EnhMetafile);

  // A class nobody serves makes nothing; nor does a link, which cannot be bound here.
  ASSERT_EQ(WriteClassStg(target.storage, MakeGUID("{5A1E00FF-0000-4000-8000-0000000000AA}")), S_OK);
  EXPECT_EQ(OleCreateFromData(data, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, copy.storage, out),
            REGDB_E_CLASSNOTREG);
  ASSERT_EQ(data->SetGlobal(CLIPFORMAT(RegisterClipboardFormatW(CFSTR_LINKSOURCE)), "m", 1), S_OK);
  EXPECT_EQ(OleCreateLinkFromData(data, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, copy.storage, out),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(object, nullptr);
  data->Clear();
}

TEST(OleStream, ReadsWritesSeeksAndGrows) {
  const std::size_t blocks = KvGlobalBlockCount();
  IStream* s = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &s), S_OK);
  ULONG n = 0;
  ASSERT_EQ(s->Write("hello world", 11, &n), S_OK);
  EXPECT_EQ(n, 11u);
  ULONGLONG pos = 0;
  ASSERT_EQ(s->Seek(-5, STREAM_SEEK_END, &pos), S_OK);
  EXPECT_EQ(pos, 6u);
  char buf[16] = {};
  EXPECT_EQ(s->Read(buf, 16, &n), S_FALSE);
  EXPECT_EQ(std::string(buf, n), "world");
  EXPECT_EQ(s->Seek(-1, STREAM_SEEK_SET, &pos), STG_E_INVALIDFUNCTION);
  EXPECT_EQ(s->Seek(0, 7, &pos), STG_E_INVALIDFUNCTION);
  HGLOBAL mem = nullptr;
  ASSERT_EQ(GetHGlobalFromStream(s, &mem), S_OK);
  EXPECT_EQ(GlobalSize(mem), 11u);
  STATSTG st{};
  ASSERT_EQ(s->Stat(&st, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(st.cbSize, 11u);
  EXPECT_EQ(GetHGlobalFromStream(nullptr, &mem), E_INVALIDARG);
  s->Release();
  EXPECT_EQ(KvGlobalBlockCount(), blocks);
}

}  // namespace
