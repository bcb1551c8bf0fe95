// In-process OLE: storages on memory blocks read back what was written and
// refuse damaged images, creation and load without a server answer "class
// not registered", the treat-as record goes through the registry, the data
// cache draws its stored picture, the convert dialog answers its script.
#include <gtest/gtest.h>

#include <cstring>

#include "support/ole_storage.h"
#include "support/raster_fixture.h"
#include "win/emf.h"
#include "win/oledlg.h"
#include "win/winole.h"
#include "win/winreg.h"

namespace {

constexpr CLSID kClass = MakeGUID("{5A1E0001-0000-4000-8000-0000000000AA}");
constexpr CLSID kOther = MakeGUID("{5A1E0002-0000-4000-8000-0000000000AA}");

using Storage = MemoryStorage;

// Opens an image copied into a new block; answers the open's result.
HRESULT OpenImage(const std::vector<BYTE>& image, IStorage** out) {
  HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, image.size());
  if (!image.empty()) std::memcpy(GlobalLock(mem), image.data(), image.size());
  ILockBytes* bytes = nullptr;
  EXPECT_EQ(CreateILockBytesOnHGlobal(mem, TRUE, &bytes), S_OK);
  const HRESULT hr = StgOpenStorageOnILockBytes(bytes, nullptr, STGM_READWRITE, nullptr, 0, out);
  bytes->Release();
  return hr;
}

TEST(OleStorage, ImageReadsBackAndDamageIsRefused) {
  Storage s;
  ASSERT_EQ(WriteClassStg(s.storage, kClass), S_OK);
  ASSERT_EQ(WriteFmtUserTypeStg(s.storage, 3, u"Drawing"), S_OK);
  ASSERT_EQ(SetConvertStg(s.storage, TRUE), S_OK);
  const BYTE data[] = {1, 2, 3};
  ASSERT_EQ(s.storage->WriteStream(u"Contents", data, 3), S_OK);
  ASSERT_EQ(s.storage->Commit(STGC_DEFAULT), S_OK);
  EXPECT_EQ(StgIsStorageILockBytes(s.bytes), S_OK);
  const std::vector<BYTE> image = s.Image();

  IStorage* back = nullptr;
  ASSERT_EQ(OpenImage(image, &back), S_OK);
  CLSID clsid{};
  CLIPFORMAT format = 0;
  LPWSTR type = nullptr;
  std::vector<BYTE> read;
  EXPECT_EQ(ReadClassStg(back, &clsid), S_OK);
  EXPECT_EQ(clsid, kClass);
  EXPECT_EQ(ReadFmtUserTypeStg(back, &format, &type), S_OK);
  EXPECT_EQ(format, 3);
  EXPECT_EQ(std::u16string(type), u"Drawing");
  CoTaskMemFree(type);
  EXPECT_EQ(GetConvertStg(back), S_OK);
  EXPECT_EQ(back->ReadStream(u"Contents", &read), S_OK);
  EXPECT_EQ(read, std::vector<BYTE>(data, data + 3));
  EXPECT_EQ(back->ReadStream(u"Missing", &read), STG_E_FILENOTFOUND);
  back->Release();

  // Every cut of the image and a stream length past its end are refused;
  // bytes of another layout are told apart from a damaged image.
  for (std::size_t n = 0; n < image.size(); ++n) {
    IStorage* none = nullptr;
    const HRESULT hr = OpenImage(std::vector<BYTE>(image.begin(), image.begin() + n), &none);
    EXPECT_EQ(hr, n < 8 ? STG_E_INVALIDHEADER : STG_E_DOCFILECORRUPT) << n;
    EXPECT_EQ(none, nullptr);
  }
  std::vector<BYTE> lying = image;
  lying[lying.size() - 7] = 0xFF;  // the data length of the last stream
  IStorage* none = nullptr;
  EXPECT_EQ(OpenImage(lying, &none), STG_E_DOCFILECORRUPT);
  EXPECT_EQ(OpenImage(std::vector<BYTE>(40, 0xD0), &none), STG_E_INVALIDHEADER);
}

TEST(OleObjects, NoServerMeansClassNotRegistered) {
  Storage s;
  void* out = reinterpret_cast<void*>(1);
  EXPECT_EQ(OleCreate(kClass, IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, s.storage, &out), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(out, nullptr);
  WriteClassStg(s.storage, kClass);
  EXPECT_EQ(OleLoad(s.storage, IID_IOleObject, nullptr, &out), REGDB_E_CLASSNOTREG);
  EXPECT_EQ(OleCreateFromFile(CLSID_NULL, u"/no/such/file", IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, s.storage,
                              &out),
            STG_E_FILENOTFOUND);
  EXPECT_EQ(OleCreateLinkToFile(u"/etc/hostname", IID_IOleObject, OLERENDER_DRAW, nullptr, nullptr, s.storage, &out),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(out, nullptr);
  LPWSTR type = nullptr;
  EXPECT_EQ(OleRegGetUserType(kClass, USERCLASSTYPE_FULL, &type), REGDB_E_CLASSNOTREG);
  KvOleResetContainedLog();
  EXPECT_EQ(OleSetContainedObject(nullptr, TRUE), E_INVALIDARG);
}

TEST(OleClasses, TreatAsNeedsTheClassKey) {
  KvRegReset();
  EXPECT_EQ(CoTreatAsClass(kClass, kOther), REGDB_E_CLASSNOTREG);
  HKEY clsidKey = nullptr;
  EXPECT_EQ(RegOpenKeyW(HKEY_CLASSES_ROOT, u"CLSID", &clsidKey), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, (u"CLSID\\" + GuidToString16(kClass)).c_str(), REG_SZ, u"Old drawing", 0),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueW(HKEY_CLASSES_ROOT, u"CLSID", REG_BINARY, u"x", 2), ERROR_INVALID_PARAMETER);
  ASSERT_EQ(RegOpenKeyW(HKEY_CLASSES_ROOT, u"CLSID", &clsidKey), ERROR_SUCCESS);
  HKEY classKey = nullptr;
  ASSERT_EQ(RegOpenKeyW(clsidKey, GuidToString16(kClass).c_str(), &classKey), ERROR_SUCCESS);
  char16_t text[32] = {};
  DWORD cb = sizeof text, type = 0;
  EXPECT_EQ(RegQueryValueExW(classKey, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(text), &cb), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(text), u"Old drawing");
  EXPECT_EQ(cb, sizeof(u"Old drawing"));
  RegCloseKey(classKey);
  RegCloseKey(clsidKey);

  CLSID served{};
  EXPECT_EQ(CoGetTreatAsClass(kClass, &served), S_FALSE);
  EXPECT_EQ(CoTreatAsClass(kClass, kOther), S_OK);
  EXPECT_EQ(CoGetTreatAsClass(kClass, &served), S_OK);
  EXPECT_EQ(served, kOther);
  EXPECT_EQ(CoTreatAsClass(kClass, CLSID_NULL), S_OK);
  EXPECT_EQ(CoGetTreatAsClass(kClass, &served), S_FALSE);
  KvRegReset();
}

TEST(OleCache, DrawsTheStoredPictureWithoutAServer) {
  // A red picture one inch square (the frame in 0.01 mm).
  const RECT frame{0, 0, 2540, 2540};
  HDC rec = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  const RECT all{0, 0, 96, 96};
  FillRect(rec, &all, red);
  DeleteObject(Obj(red));
  HENHMETAFILE mf = CloseEnhMetaFile(rec);

  Storage s;
  IOleCache* cache = nullptr;
  ASSERT_EQ(CreateDataCache(nullptr, kClass, IID_IOleCache, reinterpret_cast<void**>(&cache)), S_OK);
  FORMATETC fmt{CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
  STGMEDIUM medium{TYMED_ENHMF, {mf}, nullptr};
  FORMATETC wrong = fmt;
  wrong.cfFormat = 2;
  EXPECT_EQ(cache->SetData(&wrong, &medium, FALSE), DV_E_FORMATETC);
  ASSERT_EQ(cache->SetData(&fmt, &medium, TRUE), S_OK);
  IPersistStorage* persist = nullptr;
  ASSERT_EQ(cache->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(&persist)), S_OK);
  EXPECT_EQ(persist->IsDirty(), S_OK);
  ASSERT_EQ(OleSave(persist, s.storage, FALSE), S_OK);
  persist->Release();
  cache->Release();

  IPersistStorage* loaded = nullptr;
  ASSERT_EQ(CreateDataCache(nullptr, CLSID_NULL, IID_IPersistStorage, reinterpret_cast<void**>(&loaded)), S_OK);
  ASSERT_EQ(loaded->Load(s.storage), S_OK);
  IViewObject2* view = nullptr;
  ASSERT_EQ(loaded->QueryInterface(IID_IViewObject2, reinterpret_cast<void**>(&view)), S_OK);
  SIZEL extent{};
  EXPECT_EQ(view->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent), S_OK);
  EXPECT_EQ(extent.cx, 2540);
  EXPECT_EQ(extent.cy, 2540);
  Raster r(40, 40);
  const RECTL bounds{10, 10, 30, 30};
  EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, r.dc, &bounds, nullptr, nullptr, 0), S_OK);
  EXPECT_EQ(GetPixel(r.dc, 20, 20), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(r.dc, 5, 5), RGB(255, 255, 255));
  view->Release();
  loaded->Release();

  // A blank cache and a damaged picture stream.
  IViewObject2* blank = nullptr;
  ASSERT_EQ(CreateDataCache(nullptr, CLSID_NULL, IID_IViewObject2, reinterpret_cast<void**>(&blank)), S_OK);
  EXPECT_EQ(blank->GetExtent(DVASPECT_CONTENT, -1, nullptr, &extent), OLE_E_BLANK);
  blank->Release();
  const BYTE junk[12] = {1, 0, 0, 0, 1, 0, 0, 0, 9, 9, 9, 9};
  s.storage->WriteStream(u"\x02OlePres000", junk, sizeof junk);
  ASSERT_EQ(CreateDataCache(nullptr, CLSID_NULL, IID_IPersistStorage, reinterpret_cast<void**>(&loaded)), S_OK);
  EXPECT_EQ(loaded->Load(s.storage), STG_E_DOCFILECORRUPT);
  loaded->Release();
}

TEST(OleConvertDialog, AnswersItsScriptThenCancels) {
  KvOleConvertReset();
  KvOleConvertScript({{OLEUI_OK, CF_SELECTACTIVATEAS, kOther, DVASPECT_ICON, u"New drawing"}});
  OLEUICONVERTW c{};
  c.cbStruct = sizeof c;
  c.clsid = kClass;
  ASSERT_EQ(OleUIConvertW(&c), OLEUI_OK);
  EXPECT_EQ(c.dwFlags & CF_SELECTACTIVATEAS, CF_SELECTACTIVATEAS);
  EXPECT_EQ(c.clsidNew, kOther);
  EXPECT_EQ(c.dvAspect, DVASPECT_ICON);
  EXPECT_EQ(std::u16string(c.lpszUserType), u"New drawing");
  CoTaskMemFree(c.lpszUserType);
  EXPECT_EQ(OleUIConvertW(&c), OLEUI_CANCEL);
  ASSERT_EQ(KvOleConvertLog().size(), 2u);
  EXPECT_EQ(KvOleConvertLog()[0].clsid, kClass);
  c.cbStruct = 4;
  EXPECT_EQ(OleUIConvertW(&c), OLEUI_ERR_STANDARDMIN);
  EXPECT_EQ(OleUIConvertW(nullptr), OLEUI_ERR_STANDARDMIN);
}

}  // namespace
