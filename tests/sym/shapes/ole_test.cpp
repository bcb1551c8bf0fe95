// The OLE item symbol: its blob (aspect, index, size, storage image) read and
// written back byte for byte whether or not a server loads it, corrupt blobs
// leaving the item empty, extents in diagram units, object kinds and their
// advise connections, the client-site answers, drawing through the canvas,
// and conversion through the convert dialog.
#include <gtest/gtest.h>

#include <cstring>

#include "kvcore/sexception.h"
#include "kvcore/sexceptiondlg.h"
#include "support/picture_bytes.h"
#include "support/recording_canvas.h"
#include "sym/shapes/symole.h"
#include "win/emf.h"
#include "win/oledlg.h"
#include "win/winreg.h"

namespace {

using kvtest::Bytes;

constexpr CLSID kServed = MakeGUID("{5A1E0101-0000-4000-8000-0000000000BB}");
constexpr CLSID kOther = MakeGUID("{5A1E0102-0000-4000-8000-0000000000BB}");
constexpr CLSID kNobody = MakeGUID("{5A1E0103-0000-4000-8000-0000000000BB}");

// ---- a server of this process, as tests configure it ----
struct ServerSetup {
  DWORD misc = 0;
  HRESULT miscResult = S_OK;
  bool linked = false;
  bool view = true;
  SIZEL extent{2540, 2540};
};
ServerSetup g_setup;

class FakeObject final : public IOleObject, public IViewObject2, public IPersistStorage, public IOleLink {
 public:
  explicit FakeObject(const ServerSetup& s) : setup(s), extent(s.extent) {}
  HRESULT QueryInterface(REFIID iid, void** ppv) override {
    *ppv = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleObject)
      *ppv = static_cast<IOleObject*>(this);
    else if ((iid == IID_IViewObject || iid == IID_IViewObject2) && setup.view)
      *ppv = static_cast<IViewObject2*>(this);
    else if (iid == IID_IPersistStorage)
      *ppv = static_cast<IPersistStorage*>(this);
    else if (iid == IID_IOleLink && setup.linked)
      *ppv = static_cast<IOleLink*>(this);
    else
      return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override {
    const ULONG n = --refs;
    if (n == 0) delete this;
    return n;
  }
  // IOleObject
  HRESULT Close(DWORD) override {
    ++closes;
    return S_OK;
  }
  HRESULT DoVerb(LONG verb, const MSG*, IOleClientSite* site, LONG, HWND, const RECT* rect) override {
    lastVerb = verb;
    lastSite = site;
    lastRect = *rect;
    return S_OK;
  }
  HRESULT EnumVerbs(IEnumOLEVERB**) override { return OLEOBJ_E_NOVERBS; }
  HRESULT SetExtent(DWORD, SIZEL* size) override {
    extent = *size;
    return S_OK;
  }
  HRESULT GetExtent(DWORD, SIZEL* size) override {
    *size = extent;
    return S_OK;
  }
  HRESULT Advise(IAdviseSink*, DWORD* connection) override {
    *connection = 7;
    ++advises;
    return S_OK;
  }
  HRESULT Unadvise(DWORD connection) override {
    unadvised = connection;
    return S_OK;
  }
  HRESULT GetMiscStatus(DWORD, DWORD* status) override {
    *status = setup.misc;
    return setup.miscResult;
  }
  // IViewObject2 (the sink is not held: the item outlives its object's use)
  HRESULT Draw(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, HDC, const RECTL*, const RECTL*, BOOL (*)(ULONG_PTR),
               ULONG_PTR) override {
    return S_OK;
  }
  HRESULT SetAdvise(DWORD aspects, DWORD, IAdviseSink* s) override {
    sinkAspects = aspects;
    sink = s;
    return S_OK;
  }
  HRESULT GetAdvise(DWORD* aspects, DWORD*, IAdviseSink** s) override {
    *aspects = sinkAspects;
    if (s) {
      *s = sink;
      if (sink) sink->AddRef();
    }
    return S_OK;
  }
  HRESULT GetExtent(DWORD, LONG, DVTARGETDEVICE*, SIZEL* size) override {
    *size = extent;
    return S_OK;
  }
  // IPersistStorage
  HRESULT GetClassID(CLSID* clsid) override {
    *clsid = kServed;
    return S_OK;
  }
  HRESULT IsDirty() override { return dirty ? S_OK : S_FALSE; }
  HRESULT InitNew(IStorage*) override { return S_OK; }
  HRESULT Load(IStorage*) override { return S_OK; }
  HRESULT Save(IStorage* storage, BOOL) override {
    ++saves;
    const BYTE data[] = {static_cast<BYTE>(saves)};
    return storage->WriteStream(u"Contents", data, 1);
  }
  HRESULT SaveCompleted(IStorage*) override {
    dirty = false;
    return S_OK;
  }
  HRESULT HandsOffStorage() override { return S_OK; }

  ServerSetup setup;
  SIZEL extent;
  ULONG refs = 1;
  int closes = 0, advises = 0, saves = 0;
  DWORD unadvised = 0, sinkAspects = 0;
  IAdviseSink* sink = nullptr;
  bool dirty = false;
  LONG lastVerb = 0;
  IOleClientSite* lastSite = nullptr;
  RECT lastRect{};
};
FakeObject* g_last = nullptr;

HRESULT CreateFake(REFCLSID, IOleClientSite*, IStorage*, bool, IOleObject** out) {
  g_last = new FakeObject(g_setup);
  *out = g_last;
  return S_OK;
}

Bytes Header(DWORD aspect, LONG index, const Bytes& image) {
  Bytes b(12, 0);
  kvtest::Put32(b, 0, aspect);
  kvtest::Put32(b, 4, static_cast<std::uint32_t>(index));
  kvtest::Put32(b, 8, static_cast<std::uint32_t>(image.size()));
  b.insert(b.end(), image.begin(), image.end());
  return b;
}

// A storage image of `clsid`, with a stored red presentation when asked.
Bytes StorageImage(REFCLSID clsid, bool picture) {
  ILockBytes* bytes = nullptr;
  IStorage* storage = nullptr;
  CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
  StgCreateDocfileOnILockBytes(bytes, STGM_READWRITE | STGM_CREATE, 0, &storage);
  WriteClassStg(storage, clsid);
  if (picture) {
    IOleCache* cache = nullptr;
    CreateDataCache(nullptr, clsid, IID_IOleCache, reinterpret_cast<void**>(&cache));
    const Bytes emf = kvtest::EmfBytes();
    STGMEDIUM medium{TYMED_ENHMF, {SetEnhMetaFileBits(static_cast<UINT>(emf.size()), emf.data())}, nullptr};
    FORMATETC fmt{CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
    cache->SetData(&fmt, &medium, TRUE);
    IPersistStorage* persist = nullptr;
    cache->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(&persist));
    persist->Save(storage, FALSE);
    persist->Release();
    cache->Release();
  }
  storage->Commit(STGC_DEFAULT);
  STATSTG st{};
  bytes->Stat(&st, STATFLAG_NONAME);
  Bytes out(static_cast<std::size_t>(st.cbSize));
  bytes->ReadAt(0, out.data(), static_cast<ULONG>(out.size()), nullptr);
  storage->Release();
  bytes->Release();
  return out;
}

bool NoNullContained() {
  for (IUnknown* o : KvOleContainedLog())
    if (!o) return false;
  return true;
}

class OleItem : public ::testing::Test {
 protected:
  void SetUp() override {
    SExceptionDialog::SetQuiet(true);
    KvRegReset();
    g_setup = ServerSetup{};
    KvOleRegisterServer(kServed, u"Served drawing", &CreateFake);
    KvOleResetContainedLog();
    KvOleConvertReset();
  }
  void TearDown() override {
    for (SSymOle* s : m_items) s->Release();
    KvOleRegisterServer(kServed, nullptr, nullptr);
    KvOleRegisterServer(kOther, nullptr, nullptr);
    KvRegReset();
  }
  SSymOle* Item() {
    auto* s = new SSymOle(SSymRect(0, 3600, 4800, 0));
    s->AddRef();
    m_items.push_back(s);
    return s;
  }
  std::vector<SSymOle*> m_items;
};

TEST_F(OleItem, BlobRoundTripsByteForByte) {
  struct Case {
    const char* what;
    Bytes blob;
    bool object, view;
  };
  const Case cases[] = {
      {"empty item", Header(DVASPECT_CONTENT, -1, {}), false, false},
      {"bytes in another layout", Header(DVASPECT_ICON, 3, Bytes(40, 0xD0)), false, false},
      {"stored picture, no server", Header(DVASPECT_CONTENT, -1, StorageImage(kNobody, true)), false, true},
      {"no picture, no server", Header(DVASPECT_THUMBNAIL, 0, StorageImage(kNobody, false)), false, false},
      {"served class", Header(DVASPECT_CONTENT, -1, StorageImage(kServed, false)), true, true},
  };
  for (const Case& c : cases) {
    SSymOle* s = Item();
    ASSERT_EQ(s->SetBlobData(SBlob(c.blob)), S_OK) << c.what;
    EXPECT_EQ(s->GetBlobData().GetBytes(), c.blob) << c.what;
    EXPECT_EQ(s->GetOleObject(0) != nullptr, c.object) << c.what;
    EXPECT_EQ(s->GetViewObject(0) != nullptr, c.view) << c.what;
    EXPECT_EQ(s->GetAspect(), static_cast<DWORD>(c.blob[0])) << c.what;
    // A copy made through the blob holds the same bytes.
    SSymOle copy(SSymRect(0, 1, 1, 0));
    copy.AddRef();
    ASSERT_EQ(copy.SetBlobData(s->GetBlobData()), S_OK);
    EXPECT_EQ(copy.GetBlobData().GetBytes(), c.blob) << c.what;
  }
  EXPECT_TRUE(NoNullContained());
  // A new item and an empty blob write the empty item's blob.
  SSymOle* fresh = Item();
  EXPECT_EQ(fresh->GetBlobData().GetBytes(), Header(DVASPECT_CONTENT, -1, {}));
  EXPECT_EQ(fresh->SetBlobData(SBlob()), S_OK);
  EXPECT_EQ(fresh->GetBlobData().GetBytes(), Header(DVASPECT_CONTENT, -1, {}));
}

TEST_F(OleItem, CorruptBlobsLeaveTheItemEmpty) {
  const Bytes good = Header(DVASPECT_ICON, 2, StorageImage(kNobody, true));
  std::vector<Bytes> bad;
  for (std::size_t n = 1; n < 12; ++n) bad.emplace_back(good.begin(), good.begin() + n);
  for (std::uint32_t size : {static_cast<std::uint32_t>(good.size() - 11), 0x7FFFFFFFu, 0xFFFFFFFFu}) {
    Bytes lying = good;
    kvtest::Put32(lying, 8, size);
    bad.push_back(lying);
  }
  for (const Bytes& b : bad) {
    SSymOle* s = Item();
    ASSERT_EQ(s->SetBlobData(SBlob(good)), S_OK);
    ASSERT_NE(s->GetViewObject(0), nullptr);
    EXPECT_EQ(s->SetBlobData(SBlob(b)), STG_E_READFAULT) << b.size();
    EXPECT_EQ(s->GetViewObject(0), nullptr);
    EXPECT_EQ(s->GetStorage().Get(), nullptr);
    EXPECT_EQ(s->GetBlobData().GetBytes(), Header(DVASPECT_CONTENT, -1, {}));
  }
  EXPECT_TRUE(NoNullContained());
}

TEST_F(OleItem, ExtentsInDiagramUnits) {
  struct Case {
    SIZEL himetric;
    LONG width, height;
  };
  const Case cases[] = {{{2540, 2540}, 7200, 7200}, {{1, 1}, 2, 2}, {{254, 5080}, 720, 14400}};
  for (const Case& c : cases) {
    g_setup.extent = c.himetric;
    SSymOle* s = Item();
    ASSERT_EQ(s->Create(kServed, nullptr), 1);
    const SSymRect d = s->GetDefaultSize();
    EXPECT_EQ(d.Width(), c.width);
    EXPECT_EQ(d.Height(), c.height);
    s->SetToDefaultSize();
    EXPECT_EQ(s->m_rect, d);
    EXPECT_TRUE(s->GetState() & SRepState_Changed);
    // A new layout resizes the item about its centre.
    s->m_rect = SSymRect(0, 2000, 4000, 0);
    const SSymPoint centre = s->m_rect.GetCenter();
    EXPECT_EQ(s->RequestNewObjectLayout(), S_OK);
    EXPECT_EQ(s->m_rect.Width(), c.width);
    EXPECT_EQ(s->m_rect.Height(), c.height);
    EXPECT_LE(std::abs(s->m_rect.GetCenter().x - centre.x), 1);
  }
  // Without a view object the clip rectangle stays.
  SSymOle* none = Item();
  EXPECT_EQ(none->GetDefaultSize(), none->GetClipRect(0, 0));
}

TEST_F(OleItem, ObjectKindsAndTheirConnections) {
  struct Case {
    DWORD misc;
    HRESULT miscResult;
    bool linked;
    LONG type;
    DWORD connection;
  };
  const Case cases[] = {
      {0, S_OK, false, SSymOle::Embedded, 7},
      {OLEMISC_STATIC, S_OK, false, SSymOle::Static, 0},
      {0, E_FAIL, false, SSymOle::Static, 0},
      {OLEMISC_STATIC, S_OK, true, SSymOle::Linked, 7},
  };
  for (const Case& c : cases) {
    g_setup.misc = c.misc;
    g_setup.miscResult = c.miscResult;
    g_setup.linked = c.linked;
    auto* s = new SSymOle(SSymRect(0, 3600, 4800, 0));
    s->AddRef();
    ASSERT_EQ(s->Create(kServed, nullptr), 1);
    FakeObject* o = g_last;
    o->AddRef();
    EXPECT_EQ(s->GetObjectType(), c.type);
    EXPECT_EQ(s->GetConnection(), c.connection);
    EXPECT_EQ(o->sink != nullptr, c.connection != 0);
    EXPECT_EQ(KvOleContainedLog().back(), static_cast<IOleObject*>(o));
    // The destructor disconnects and closes the object.
    s->Release();
    EXPECT_EQ(o->unadvised, c.connection);
    EXPECT_EQ(o->sink, nullptr);
    EXPECT_EQ(o->closes, 1);
    o->Release();
  }
  // An object without a view object is not taken; no server, no object.
  g_setup = ServerSetup{};
  g_setup.view = false;
  SSymOle* s = Item();
  EXPECT_EQ(s->Create(kServed, nullptr), 0);
  EXPECT_EQ(s->Create(kNobody, nullptr), 0);
  EXPECT_EQ(s->GetOleObject(0), nullptr);
  EXPECT_EQ(s->CreateFromFile(SString(u"/etc/hostname"), nullptr), 0);
  EXPECT_EQ(s->CreateLinkFromFile(SString(u"/no/such"), nullptr), 0);
  EXPECT_TRUE(NoNullContained());
  // Operations that need the object report its absence.
  s->Cleanup();
  EXPECT_THROW(s->DoVerb(0, nullptr, nullptr, nullptr), SECOMException);
  EXPECT_THROW(s->EnumVerbs(), SECOMException);
}

TEST_F(OleItem, ClientSiteAnswers) {
  SSymOle* s = Item();
  ASSERT_EQ(s->Create(kServed, nullptr), 1);
  IUnknown* out = reinterpret_cast<IUnknown*>(1);
  EXPECT_EQ(s->GetMoniker(0, 0, nullptr), E_POINTER);
  EXPECT_EQ(s->GetMoniker(0, 0, &out), E_NOTIMPL);
  EXPECT_EQ(out, nullptr);
  out = reinterpret_cast<IUnknown*>(1);
  EXPECT_EQ(s->GetContainer(nullptr), E_POINTER);
  EXPECT_EQ(s->GetContainer(&out), E_NOTIMPL);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(s->ShowObject(), S_OK);
  EXPECT_EQ(s->OnShowWindow(TRUE), S_OK);
  EXPECT_TRUE(s->IsOpen());
  EXPECT_EQ(s->OnShowWindow(FALSE), S_OK);
  EXPECT_FALSE(s->IsOpen());
  s->OnViewChange(DVASPECT_ICON, -1);
  EXPECT_FALSE(s->GetState() & SRepState_Changed);
  EXPECT_EQ(s->SaveObject(), S_OK);  // not dirty: nothing saved
  EXPECT_EQ(g_last->saves, 0);
  EXPECT_FALSE(s->GetState() & SRepState_Changed);
  g_last->dirty = true;
  EXPECT_EQ(s->SaveObject(), S_OK);
  EXPECT_EQ(g_last->saves, 1);
  EXPECT_TRUE(s->GetState() & SRepState_Changed);
  SSymOle* other = Item();
  other->OnViewChange(DVASPECT_CONTENT, -1);
  EXPECT_TRUE(other->GetState() & SRepState_Changed);
  SSymOle* saved = Item();
  saved->OnSave();
  EXPECT_TRUE(saved->GetState() & SRepState_Changed);
  // Verbs run on the object with the item as site and its own rectangle.
  EXPECT_EQ(s->DoVerb(-2, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(g_last->lastVerb, -2);
  EXPECT_EQ(g_last->lastSite, s->ClientSite());
  EXPECT_EQ(g_last->lastRect.right, 4800);
  EXPECT_EQ(s->EnumVerbs(), 0);
  // A dirty object is saved into the blob, which then loads again.
  g_last->dirty = true;
  const SBlob blob = s->GetBlobData();
  EXPECT_EQ(g_last->saves, 2);
  SSymOle* loaded = Item();
  EXPECT_EQ(loaded->SetBlobData(blob), S_OK);
  EXPECT_NE(loaded->GetOleObject(0), nullptr);
  EXPECT_EQ(loaded->GetBlobData(), blob);
}

// The canvas call that draws the item.
class OleCanvas : public RecordingCanvas {
 public:
  void DrawViewObject(const SSymRect& r, IViewObject* view, DWORD aspect, LONG index, int open) override {
    calls.push_back(R(r) + (view ? " view " : " none ") + std::to_string(aspect) + " " + std::to_string(index) + " " +
                    std::to_string(open));
  }
  std::vector<std::string> calls;
};

TEST_F(OleItem, DrawsThroughTheCanvas) {
  SSymOle* s = Item();
  ASSERT_EQ(s->SetBlobData(SBlob(Header(DVASPECT_CONTENT, -1, StorageImage(kNobody, true)))), S_OK);
  s->m_rect = SSymRect(4800, 0, 0, 3600);
  OleCanvas canvas;
  EXPECT_EQ(s->Draw(canvas), S_OK);
  s->OnShowWindow(TRUE);
  EXPECT_EQ(s->Draw(canvas), S_OK);
  SSymOle* empty = Item();
  EXPECT_EQ(empty->Draw(canvas), S_OK);
  empty->Flags |= SSymBase::FlagHidden;
  EXPECT_EQ(empty->Draw(canvas), 1);
  EXPECT_EQ(canvas.calls, (std::vector<std::string>{"0 3600 4800 0 view 1 -1 0", "0 3600 4800 0 view 1 -1 1",
                                                    "0 3600 4800 0 none 1 -1 0"}));
}

TEST_F(OleItem, ConvertThroughTheDialog) {
  KvOleRegisterServer(kOther, u"Other drawing", &CreateFake);
  SSymOle* s = Item();
  ASSERT_EQ(s->Create(kServed, nullptr), 1);
  CLSID clsid{};
  // Cancelled: nothing changes.
  EXPECT_EQ(s->Convert(), 1);
  ReadClassStg(s->GetStorage(), &clsid);
  EXPECT_EQ(clsid, kServed);
  ASSERT_EQ(KvOleConvertLog().size(), 1u);
  EXPECT_EQ(KvOleConvertLog()[0].clsid, kServed);
  // Converted to another class, shown as an icon from now on.
  KvOleConvertScript({{OLEUI_OK, CF_SELECTCONVERTTO, kOther, DVASPECT_ICON, nullptr}});
  EXPECT_EQ(s->Convert(), 1);
  ReadClassStg(s->GetStorage(), &clsid);
  EXPECT_EQ(clsid, kOther);
  LPWSTR type = nullptr;
  ReadFmtUserTypeStg(s->GetStorage(), nullptr, &type);
  EXPECT_EQ(std::u16string(type), u"Other drawing");
  CoTaskMemFree(type);
  EXPECT_EQ(GetConvertStg(s->GetStorage()), S_OK);
  EXPECT_EQ(s->GetAspect(), DVASPECT_ICON);
  // Activated as another class: the old class is treated as the new one.
  KvOleConvertScript({{OLEUI_OK, CF_SELECTACTIVATEAS, kServed, DVASPECT_ICON, u"Old drawing"}});
  EXPECT_EQ(s->Convert(), 1);
  CLSID treated{};
  EXPECT_EQ(CoGetTreatAsClass(kOther, &treated), S_OK);
  EXPECT_EQ(treated, kServed);
  // The old class unknown here gets its key, named by the user type.
  EXPECT_TRUE(s->ActivateAs(u"Nobody's drawing", kNobody, kOther));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyW(HKEY_CLASSES_ROOT, (u"CLSID\\" + GuidToString16(kNobody)).c_str(), &key), ERROR_SUCCESS);
  char16_t text[32] = {};
  DWORD cb = sizeof text - 2;
  EXPECT_EQ(RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &cb), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(text), u"Nobody's drawing");
  RegCloseKey(key);
  EXPECT_EQ(CoGetTreatAsClass(kNobody, &treated), S_OK);
  EXPECT_EQ(treated, kOther);
  // An activation that fails answers 0 and keeps the aspect.
  SSymOle* bare = Item();
  EXPECT_FALSE(bare->ActivateAs(nullptr, MakeGUID("{5A1E0104-0000-4000-8000-0000000000BB}"), kOther));
  KvOleConvertScript({{OLEUI_OK, CF_SELECTCONVERTTO, kOther, DVASPECT_THUMBNAIL, nullptr}});
  EXPECT_EQ(bare->Convert(), 0);
  EXPECT_EQ(bare->GetAspect(), DVASPECT_CONTENT);
}

}  // namespace
