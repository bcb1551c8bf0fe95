// The picture file: its attributes and interface answers, the recognition of
// content forms on crafted headers, the content produced and read back in
// every form, and bad content refused with the picture kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

#include "kvcore/sexceptiondlg.h"
#include "kvcore/sexceptionhook.h"
#include "kvcore/sjob.h"
#include "kvcore/sstream.h"
#include "kvrep/srepsession.h"
#include "support/picture_bytes.h"
#include "support/repfixture.h"
#include "support/temp_files.h"
#include "sym/shapes/sympicturecontent.h"
#include "sym/shapes/sympicturefile.h"
#include "win/image.h"

namespace {

using kvtest::Bytes;
using kvtest::Put16;
using kvtest::Put32;
namespace A = SymPictureFileAttr;

// ---- recognition ---------------------------------------------------------------------------------------
Bytes EmfHeader(std::size_t size, std::uint32_t headerSize) {
  Bytes b(size);
  Put32(b, 0, 1);
  Put32(b, 4, headerSize);
  Put32(b, 40, 0x464D4520);
  b.resize(size);
  return b;
}
Bytes WmfHeader(std::size_t size, std::uint16_t type, std::uint16_t words, std::uint16_t version) {
  Bytes b(size);
  Put16(b, 0, type);
  Put16(b, 2, words);
  Put16(b, 4, version);
  return b;
}
Bytes ImageForm(std::size_t size, std::uint32_t flags, std::uint32_t bmpSize, std::uint16_t reserved,
                std::uint32_t bitsAt) {
  Bytes b(size);
  Put32(b, 0, flags);
  Put16(b, 12, 0x4D42);
  Put32(b, 14, bmpSize);
  Put16(b, 18, reserved);
  Put32(b, 22, bitsAt);
  return b;
}
Bytes IconDir(std::size_t size) {
  Bytes b(size);
  Put32(b, 0, 0x00010000);
  return b;
}

TEST(PictureContent, RecognitionOfCraftedHeaders) {
  struct Case {
    const char* name;
    int type;
    Bytes bytes;
    bool raw;
  } cases[] = {
      {"emf header 88", 2, EmfHeader(200, 88), true},
      {"emf header 100", 2, EmfHeader(200, 100), true},
      {"emf header 108", 2, EmfHeader(200, 108), true},
      {"emf header 500", 2, EmfHeader(600, 500), true},
      {"emf header 96", 2, EmfHeader(200, 96), false},
      {"emf header 104", 2, EmfHeader(200, 104), false},
      {"emf of exactly 108 bytes", 2, EmfHeader(108, 108), false},
      {"emf of 109 bytes", 2, EmfHeader(109, 108), true},
      {"emf without signature", 2, [] { auto b = EmfHeader(200, 108); b[40] = 0; return b; }(), false},
      {"emf record type 2", 2, [] { auto b = EmfHeader(200, 108); b[0] = 2; return b; }(), false},
      {"wmf disk 0x0300", 2, WmfHeader(200, 2, 9, 0x0300), true},
      {"wmf memory 0x0100", 2, WmfHeader(200, 1, 9, 0x0100), true},
      {"wmf version 0x0200", 2, WmfHeader(200, 2, 9, 0x0200), false},
      {"wmf header 8 words", 2, WmfHeader(200, 2, 8, 0x0300), false},
      {"wmf type 3", 2, WmfHeader(200, 3, 9, 0x0300), false},
      {"bitmap anything", 3, Bytes(3, 0), true},
      {"icon directory 69", 4, IconDir(69), true},
      {"icon directory 68", 4, IconDir(68), false},
      {"cursor directory 69", 5, IconDir(69), true},
      {"image form flag 5", 4, ImageForm(80, 0x5, 100, 0, 54), false},
      {"image form flag 0xA", 5, ImageForm(80, 0xA, 100, 0, 54), false},
      {"image form bits at 53", 4, ImageForm(80, 0x5, 100, 0, 53), true},
      {"image form zero size", 4, ImageForm(80, 0x5, 0, 0, 54), true},
      {"image form reserved set", 4, ImageForm(80, 0x5, 100, 1, 54), true},
      {"image form no bitmap bit", 4, ImageForm(80, 0x1, 100, 0, 54), true},
      {"image form bit 4 set", 4, ImageForm(80, 0x15, 100, 0, 54), true},
      {"image form kind 3", 4, ImageForm(80, 0x7, 100, 0, 54), true},
      {"unknown type", 7, EmfHeader(200, 108), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SSymPictureContent::IsRawForm(c.type, c.bytes.data(), c.bytes.size()), c.raw);
  }
  EXPECT_FALSE(SSymPictureContent::IsMetaFileHeader(nullptr, 0));
  EXPECT_TRUE(SSymPictureContent::IsImageDataForm(nullptr, 0));  // short content is the stream form
}

TEST(PictureContent, BitmapFileHeaders) {
  struct Case {
    const char* name;
    std::uint16_t magic;
    std::uint32_t size;
    std::uint16_t r1, r2;
    std::uint32_t bitsAt;
    bool valid;
  } cases[] = {{"valid", 0x4D42, 70, 0, 0, 54, true},     {"bits at 53", 0x4D42, 70, 0, 0, 53, false},
               {"size 0", 0x4D42, 0, 0, 0, 54, false},     {"first reserved", 0x4D42, 70, 1, 0, 54, false},
               {"second reserved", 0x4D42, 70, 0, 1, 54, false}, {"magic", 0x4D43, 70, 0, 0, 54, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes b(14);
    Put16(b, 0, c.magic);
    Put32(b, 2, c.size);
    Put16(b, 6, c.r1);
    Put16(b, 8, c.r2);
    Put32(b, 10, c.bitsAt);
    EXPECT_EQ(KvIsBitmapFileHeader(b.data(), b.size()), c.valid);
  }
  Bytes b(13, 0);
  EXPECT_FALSE(KvIsBitmapFileHeader(b.data(), b.size()));
}

// ---- the object --------------------------------------------------------------------------------------------
class PictureFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SExceptionDialog::SetQuiet(true);
    SExceptionDialog::ClearLog();
    m_session = new SRepSession();
    m_session->AddRef();
  }
  void TearDown() override {
    for (ISSymPictureFile* f : m_files) f->Release();
    m_session->Release();
    SPictureManager::RemoveAll();
    SExceptionDialog::ClearLog();
  }
  ISSymPictureFile* New(int type = 0, ISRepSession* session = nullptr) {
    ISRepObject* obj = nullptr;
    EXPECT_EQ(SSymPictureFile::CreateInstance(&obj, session, nullptr), S_OK);
    auto* f = static_cast<ISSymPictureFile*>(obj);
    m_files.push_back(f);
    if (type) {
      EXPECT_EQ(f->SetPictureType(type), S_OK);
    }
    return f;
  }
  static Bytes Content(ISSymPictureFile* f) {
    SBlob b;
    EXPECT_EQ(f->GetContent(b), S_OK);
    return b.GetBytes();
  }
  // The picture records (the predefined shapes' records left aside).
  static std::size_t Records() {
    const auto& table = SPictureManager().GetPictureInfoTable();
    return static_cast<std::size_t>(std::count_if(table.begin(), table.end(), [](SPictureInfo* p) {
      return p->GetType() != SPictureInfo::ptSymbol;
    }));
  }

  SRepSession* m_session = nullptr;
  std::vector<ISSymPictureFile*> m_files;
};

TEST_F(PictureFileTest, NewObjectAnswersItsDefaults) {
  ISSymPictureFile* f = New();
  SString s;
  GUID id;
  f->GetName(s);
  EXPECT_TRUE(s.IsEmpty());
  f->GetPath(s);
  EXPECT_TRUE(s.IsEmpty());
  f->GetPictureID(id);
  EXPECT_EQ(id, GUID_NULL);
  EXPECT_EQ(f->GetPictureType(), 0);
  EXPECT_TRUE(Content(f).empty());
  EXPECT_EQ(f->GetRefCount(), 0);
  EXPECT_EQ(f->DecRefCount(), 0);  // never below 0
  EXPECT_EQ(f->IncRefCount(), 1);
  EXPECT_EQ(f->IncRefCount(), 2);
  EXPECT_EQ(f->DecRefCount(), 1);

  SRepVariant v;
  EXPECT_EQ(f->GetAttributeDefault(A::PictureID, &v), S_FALSE);
  EXPECT_EQ(v.GetOID().id, GUID_NULL);
  EXPECT_EQ(f->GetAttributeDefault(A::PictureType, &v), S_OK);
  EXPECT_EQ(v.GetLONG(), 0);
  EXPECT_EQ(f->GetAttribute(-1, &v), E_FAIL);
  EXPECT_EQ(f->SetAttribute(-1, v), E_FAIL);
  EXPECT_EQ(f->GetAttributeDefault(-1, &v), E_FAIL);
  EXPECT_EQ(f->GetAttribute(A::Name, nullptr), E_POINTER);
  EXPECT_EQ(f->GetAttributeDefault(A::Name, nullptr), E_POINTER);
  EXPECT_EQ(f->HasAttribute(A::Content), S_OK);
  EXPECT_EQ(f->HasAttribute(-1), S_FALSE);
  EXPECT_EQ(f->HasCollection(A::Model), S_OK);

  CLSID clsid;
  EXPECT_EQ(f->GetCLSID(&clsid), S_OK);
  EXPECT_EQ(clsid, CLSID_SSymPictureFile);
  EXPECT_TRUE(SSymPictureFile::IsKindOf(CLSID_SRepObjectBase));
  EXPECT_EQ(SSymPictureFile::GetAttributeType(A::Name), 0x900FEu);
  EXPECT_EQ(SSymPictureFile::GetAttributeFlags(A::PictureID), 0x800u);
}

TEST_F(PictureFileTest, InterfaceAnswers) {
  ISSymPictureFile* f = New();
  void* p = nullptr;
  for (const IID* iid : {&IID_ISSymPictureFile, &IID_ISRepObject, &IID_ISRepObjectBase, &IID_IUnknown}) {
    ASSERT_EQ(f->QueryInterface(*iid, &p), S_OK);
    EXPECT_EQ(p, static_cast<void*>(f));
    f->Release();
  }
  EXPECT_EQ(f->QueryInterface(IID_ISRepSession, &p), E_NOINTERFACE);  // no session
  EXPECT_EQ(f->QueryInterface(IID_ISRepObject, nullptr), E_POINTER);
  EXPECT_NE(SRepObject::FromInterface(f), nullptr);
  ISSymPictureFile* g = New(0, m_session);
  ASSERT_EQ(g->QueryInterface(IID_ISRepSession, &p), S_OK);
  EXPECT_EQ(p, static_cast<void*>(static_cast<ISRepSession*>(m_session)));
  static_cast<ISRepSession*>(p)->Release();
}

TEST_F(PictureFileTest, RecordValuesWinOverStoredAttributes) {
  ISSymPictureFile* f = New(2);
  f->SetName(SString("stored"));
  f->SetPath(SString("stored.emf"));
  SPictureManager m;
  const Bytes ico = kvtest::IcoBytes(16);
  auto* icon = new SIconFile;
  ASSERT_TRUE(icon->LoadImageW(SBlob(ico)));
  SPictureInfo* rec = m.AddIcon(icon, SString("pic.ico"), 0, SString("record"), SBlob());
  f->IncRefCount();
  f->SetPicture(rec);
  EXPECT_EQ(f->GetRefCount(), 0);
  SString s;
  f->GetName(s);
  EXPECT_EQ(s, SString("record"));
  f->GetPath(s);
  EXPECT_EQ(s, SString("pic.ico"));
  EXPECT_EQ(f->GetPictureType(), 4);
  SRepVariant v;
  ASSERT_EQ(f->GetAttribute(A::Name, &v), S_OK);
  EXPECT_EQ(v.GetSTRING(), SString("record"));
  // Names are bounded to 254 characters.
  f->SetPicture(nullptr);
  f->SetName(SString(std::string(300, 'n')));
  f->GetName(s);
  EXPECT_EQ(s.GetLength(), 254);
}

TEST_F(PictureFileTest, EmptyContentWithoutRecordTakesTheObjectId) {
  ISSymPictureFile* f = New(3);
  EXPECT_EQ(static_cast<SSymPictureFile*>(SSymPictureFile::FromInterface(f))->PutContent(SBlob()), S_FALSE);
  SRepVariant own, id;
  ASSERT_EQ(f->GetAttribute(A::ObjectId, &own), S_OK);
  ASSERT_EQ(f->GetAttribute(A::PictureID, &id), S_OK);
  EXPECT_NE(own.GetOID().id, GUID_NULL);
  EXPECT_EQ(id.GetOID().id, own.GetOID().id);
  EXPECT_EQ(f->GetPicture(), nullptr);
}

// Raw files of every type are kept as they came and given back unchanged.
TEST_F(PictureFileTest, RawContentIsKeptByteForByte) {
  struct Case {
    const char* name;
    int type;
    Bytes bytes;
  } cases[] = {{"emf", 2, kvtest::EmfBytes()},        {"wmf", 2, kvtest::WmfBytes()},
               {"png", 3, kvtest::PngBytes(5, 4, 0xFF102030u)}, {"bmp", 3, kvtest::BmpBytes(3, 2, 0xFF0000FFu)},
               {"ico", 4, kvtest::IcoBytes(16)},      {"cur", 5, kvtest::IcoBytes(16, 0xFF0000FFu, true)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ISSymPictureFile* f = New(c.type);
    ASSERT_EQ(f->SetContent(SBlob(c.bytes)), S_OK);
    ASSERT_NE(f->GetPicture(), nullptr);
    EXPECT_EQ(f->GetPicture()->GetType(), c.type);
    GUID id;
    f->GetPictureID(id);
    EXPECT_EQ(f->GetPicture()->GetID(), id);
    EXPECT_EQ(Content(f), c.bytes);
    SRepVariant v;
    ASSERT_EQ(f->GetAttribute(A::Content, &v), S_OK);
    EXPECT_EQ(v.GetBINARY(), c.bytes);
  }
}

// Records made by other code keep no bytes: their content is the stream form
// of their type, which a new picture file reads back to the same bytes.
TEST_F(PictureFileTest, StreamFormsAreWrittenAndReadBack) {
  SPictureManager m;
  auto* icon = new SIconFile;
  ASSERT_TRUE(icon->LoadImageW(SBlob(kvtest::IcoBytes(16, 0xFFAA0000u))));
  auto* cursor = new SCursorFile;
  ASSERT_TRUE(cursor->LoadImageW(SBlob(kvtest::IcoBytes(16, 0xFF00AA00u, true))));
  struct Case {
    const char* name;
    int type;
    SPictureInfo* record;
  } cases[] = {{"metafile", 2, m.AddMetaFile(new SMetaFile(SBlob(kvtest::EmfBytes())), SString(), 0, SString(), SBlob())},
               {"icon", 4, m.AddIcon(icon, SString(), 0, SString(), SBlob())},
               {"cursor", 5, m.AddCursor(cursor, SString(), 0, SString(), SBlob())}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NE(c.record, nullptr);
    ISSymPictureFile* from = New(c.type);
    from->SetPicture(c.record);
    const Bytes written = Content(from);
    ASSERT_GT(written.size(), 68u);  // more than a bare flag: an image or metafile
    EXPECT_FALSE(SSymPictureContent::IsRawForm(c.type, written.data(), written.size()));
    ISSymPictureFile* to = New(c.type);
    ASSERT_EQ(to->SetContent(SBlob(written)), S_OK);
    ASSERT_NE(to->GetPicture(), nullptr);
    EXPECT_NE(to->GetPicture(), c.record);
    EXPECT_EQ(Content(to), written);
  }
  // The cursor kept its hot spot through the form.
  EXPECT_EQ((*m_files.back()->GetPicture()->GetCursor()->GetEntries())[0].hotY, 2);
}

TEST_F(PictureFileTest, PngFromABitmapRecordLeavesNoTemporaryFile) {
  kvtest::TempDir tmp("pngtmp");
  const char* old = std::getenv("TMPDIR");
  const std::string saved = old ? old : "";
  setenv("TMPDIR", tmp.path.string().c_str(), 1);
  SPictureManager m;
  SPictureInfo* rec = m.AddBitmap(SBitmapPlus::CreateBitmap(SBlob(kvtest::BmpBytes(7, 3, 0xFF336699u))), SString(),
                                  0, SString(), SBlob());
  ASSERT_NE(rec, nullptr);
  ISSymPictureFile* f = New(3);
  f->SetPicture(rec);
  const Bytes png = Content(f);
  EXPECT_TRUE(tmp.Files().empty());
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png[1], 'P');
  KvImage img;
  ASSERT_TRUE(KvReadPng(png.data(), png.size(), img));
  EXPECT_EQ(img.width, 7);
  EXPECT_EQ(img.At(3, 1) & 0xFFFFFFu, 0x336699u);
  // A temporary folder that cannot be written: the read fails with a code,
  // never an empty content answered as success.
  setenv("TMPDIR", "/nonexistent/folder", 1);
  SBlob partial;
  EXPECT_TRUE(FAILED(f->GetContent(partial)));
  EXPECT_TRUE(partial.IsEmpty());
  SRepVariant v;
  EXPECT_TRUE(FAILED(f->GetAttribute(A::Content, &v)));
  ASSERT_FALSE(SExceptionDialog::Log().empty());
  EXPECT_EQ(SExceptionDialog::Log().back().text.Left(31), SString("Getting content of picture file"));
  if (old) setenv("TMPDIR", saved.c_str(), 1);
  else unsetenv("TMPDIR");
}

TEST_F(PictureFileTest, SameContentAgainChangesNothing) {
  ISSymPictureFile* f = New(3, m_session);
  TColSink sink;
  ASSERT_EQ(f->Advise(0, &sink), S_OK);
  const Bytes png = kvtest::PngBytes(4, 4, 0xFF000000u);
  ASSERT_EQ(f->SetContent(SBlob(png)), S_OK);
  EXPECT_EQ(std::count(sink.changes.begin(), sink.changes.end(), A::Content), 1);
  EXPECT_EQ(f->SetContent(SBlob(png)), S_FALSE);
  EXPECT_EQ(std::count(sink.changes.begin(), sink.changes.end(), A::Content), 1);
  f->Unadvise(&sink);
}

// Bad content: a result code, the picture held before kept, no record added.
TEST_F(PictureFileTest, BadContentKeepsThePicture) {
  Bytes truncatedEmf = kvtest::EmfBytes();
  truncatedEmf.resize(120);
  Bytes lyingEmf = kvtest::EmfBytes();
  Put32(lyingEmf, 48, 0x7FFFFFF0);  // total size far beyond the bytes
  Bytes badIcon = IconDir(200);
  Put16(badIcon, 4, 1);  // one entry pointing nowhere
  Put32(badIcon, 14, 0x10000);
  Put32(badIcon, 18, 0x7FFFFF00);
  Bytes lyingStream(80, 0);
  Put32(lyingStream, 0, 0x7FFFFFFF);  // a metafile stream claiming 2 GB
  Bytes shortIconForm(20, 0);
  Put32(shortIconForm, 0, 0x5);
  Bytes badBitmapInForm = ImageForm(90, 0x5, 100, 0, 54);  // BMP header, no bitmap after it
  struct Case {
    const char* name;
    int type;
    Bytes bytes;
  } cases[] = {{"truncated emf", 2, truncatedEmf},
               {"emf lying about its size", 2, lyingEmf},
               {"metafile stream lying about its size", 2, lyingStream},
               {"garbage image", 3, Bytes(100, 0x5A)},
               {"png truncated", 3, [] { auto b = kvtest::PngBytes(8, 8, 0xFF00FF00u); b.resize(40); return b; }()},
               {"icon entry outside the file", 4, badIcon},
               {"raw icon that is no icon", 4, Bytes(100, 0x33)},
               {"cursor that is no cursor", 5, Bytes(100, 0x33)},
               {"short icon form", 4, shortIconForm},
               {"icon form with a broken bitmap", 4, badBitmapInForm},
               {"old four-byte flag", 4, Bytes{1, 0, 0, 0}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ISSymPictureFile* f = New(c.type);
    const Bytes good = c.type == 2 ? kvtest::EmfBytes()
                       : c.type == 3 ? kvtest::PngBytes(2, 2, 0xFF000000u)
                                     : kvtest::IcoBytes(16, 0xFF00FF00u, c.type == 5);
    SPictureInfo* before = SPictureManager().AddPicture(c.type, SString("good"), 0, 1, SString(), SBlob(good));
    ASSERT_NE(before, nullptr);
    f->SetPicture(before);
    const std::size_t records = Records();
    EXPECT_TRUE(FAILED(f->SetContent(SBlob(c.bytes))));
    EXPECT_EQ(f->GetPicture(), before);
    EXPECT_EQ(Records(), records);
    EXPECT_EQ(Content(f), good);
  }
}

TEST_F(PictureFileTest, ContentOfAKnownIdentifierUsesItsRecord) {
  ISSymPictureFile* a = New(3);
  ASSERT_EQ(a->SetContent(SBlob(kvtest::PngBytes(3, 3, 0xFF00FF00u))), S_OK);
  GUID id;
  a->GetPictureID(id);
  ISSymPictureFile* b = New(3);
  b->SetPictureID(id);
  EXPECT_EQ(b->SetContent(SBlob(kvtest::PngBytes(3, 3, 0xFF00FF00u))), S_OK);
  EXPECT_EQ(b->GetPicture(), a->GetPicture());
  // New bytes under the identifier replace the picture of its record, for
  // every user of it; bytes that do not decode are refused.
  const Bytes larger = kvtest::PngBytes(9, 9, 0xFF0000FFu);
  EXPECT_EQ(b->SetContent(SBlob(larger)), S_OK);
  EXPECT_EQ(b->GetPicture(), a->GetPicture());
  EXPECT_EQ(a->GetPicture()->GetPictureSize().cx, 9);
  EXPECT_EQ(Content(a), larger);
  EXPECT_TRUE(FAILED(a->SetContent(SBlob(Bytes(200, 0x42)))));
  EXPECT_EQ(Content(a), larger);
  EXPECT_EQ(a->GetPicture()->GetPictureSize().cx, 9);
}

TEST_F(PictureFileTest, CommandsGoToAJobFirst) {
  ISSymPictureFile* f = New();
  SSymPictureFile* impl = SSymPictureFile::FromInterface(f);
  EXPECT_EQ(impl->DoCommand(1234), S_FALSE);
  SJob::Register(SString("1234:{2B975AA0-A490-11D1-A8B7-006097355D43}"), [](const SString&) { return true; });
  EXPECT_EQ(impl->DoCommand(1234), S_OK);
  SJob::Register(SString("1234:{2B975AA0-A490-11D1-A8B7-006097355D43}"), nullptr);
}

TEST_F(PictureFileTest, CopiesTakeTheSourceValuesAndUndoRestoresAttributes) {
  ISSymPictureFile* f = New(4, m_session);
  {
    SRepCreateContext step(m_session);
    f->SetName(SString("first"));
  }
  {
    SRepCreateContext step(m_session);
    f->SetName(SString("second"));
  }
  ASSERT_EQ(m_session->Undo(), S_OK);
  SString s;
  f->GetName(s);
  EXPECT_EQ(s, SString("first"));
  ISRepObject* copy = nullptr;
  const LONG live = SSymPictureFile::GetLiveCount();
  ASSERT_EQ(SSymPictureFile::CreateInstance(&copy, nullptr, f), S_OK);
  EXPECT_EQ(SSymPictureFile::GetLiveCount(), live + 1);
  auto* c = static_cast<ISSymPictureFile*>(copy);
  c->GetName(s);
  EXPECT_EQ(s, SString("first"));
  EXPECT_EQ(c->GetPictureType(), 4);
  copy->Release();
  EXPECT_EQ(SSymPictureFile::GetLiveCount(), live);
  EXPECT_TRUE(SSymPictureFile::WasCreated());
  ISRepObject* none = nullptr;
  EXPECT_EQ(SSymPictureFile::CreateInstance(&none, nullptr, reinterpret_cast<ISRepObject*>(m_session)),
            E_INVALIDARG);
}

}  // namespace

namespace {

// A change listener that throws what it is given.
class ThrowingSink final : public ISRepObjSink {
 public:
  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_ISRepObjSink) return *ppv = nullptr, E_NOINTERFACE;
    *ppv = static_cast<ISRepObjSink*>(this);
    return S_OK;
  }
  ULONG AddRef() override { return 2; }
  ULONG Release() override { return 1; }
  HRESULT OnChange(ISRepObject*, LONG) override {
    if (raise) raise();
    return S_OK;
  }
  HRESULT OnDelete(ISRepObject*, int) override { return S_OK; }
  HRESULT OnFlush(ISRepObject*) override { return S_OK; }
  std::function<void()> raise;
};

TEST_F(PictureFileTest, AttributeCallsTurnExceptionsIntoCodes) {
  ISSymPictureFile* f = New();
  ThrowingSink sink;
  ASSERT_EQ(f->Advise(0, &sink), S_OK);
  int target = 0;
  struct Case {
    const char* name;
    std::function<void()> raise;
    HRESULT code;
    bool shown;
  } cases[] = {{"com", [] { throw SECOMException(E_ACCESSDENIED); }, E_ACCESSDENIED, true},
               {"io", [] { throw SEIOException("f", "file", 1, static_cast<DWORD>(STG_E_FILENOTFOUND)); },
                STG_E_FILENOTFOUND, true},
               {"aborted", [] { throw SEIOAbortedException("f", "file", 1); }, E_ABORT, false},
               {"other", [] { throw std::runtime_error("x"); }, E_UNEXPECTED, true}};
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SExceptionDialog::ClearLog();
    sink.raise = c.raise;
    EXPECT_EQ(f->SetName(SString("name ") + SString::FromInt(++n)), c.code);
    ASSERT_EQ(SExceptionDialog::Log().size(), c.shown ? 1u : 0u);
    if (c.shown) {
      EXPECT_EQ(SExceptionDialog::Log()[0].text.Left(58),
                SString("SSymPictureFileMem::SetAttribute(dispid = 0x01000002, ...)"));
    }
  }
  sink.raise = [&] { throw STargetedException(&target); };
  EXPECT_THROW(f->SetName(SString("passed on")), STargetedException);
  sink.raise = nullptr;
  f->Unadvise(&sink);
}

}  // namespace
