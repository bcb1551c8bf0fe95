#include "sym/shapes/sympicturefile.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>

#include "kvcore/sexceptionhook.h"
#include "kvcore/sjob.h"
#include "kvcore/sstream.h"
#include "kvcore/stempfile.h"
#include "kvrep/srepregistry.h"
#include "kvrep/srepsession.h"
#include "sym/foundation/sympropmap.h"
#include "sym/shapes/sympicturecontent.h"
#include "sym/shapes/symshapemap.h"

namespace A = SymPictureFileAttr;

namespace {
std::atomic<LONG> g_liveCount{0};
bool g_created = false;

// A fresh object identifier for a new picture file.
SRepOID_ NewObjectId() {
  static std::mt19937_64 engine{std::random_device{}()};
  GUID g;
  const std::uint64_t a = engine(), b = engine();
  g.Data1 = static_cast<std::uint32_t>(a);
  g.Data2 = static_cast<std::uint16_t>(a >> 32);
  g.Data3 = static_cast<std::uint16_t>(((a >> 48) & 0x0FFF) | 0x4000);
  for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<std::uint8_t>(b >> (8 * i));
  g.Data4[0] = static_cast<std::uint8_t>((g.Data4[0] & 0x3F) | 0x80);
  return SRepOID_(g);
}

SString Printf(const char* format, const SString& a, const SString& b, const SString& c) {
  const std::string fa = a.ToUtf8(), fb = b.ToUtf8(), fc = c.ToUtf8();
  const int n = std::snprintf(nullptr, 0, format, fa.c_str(), fb.c_str(), fc.c_str());
  std::string out(static_cast<std::size_t>(std::max(n, 0)) + 1, '\0');
  std::snprintf(out.data(), out.size(), format, fa.c_str(), fb.c_str(), fc.c_str());
  out.resize(static_cast<std::size_t>(std::max(n, 0)));
  return SString(out);
}

SString DispidMessage(const char* op, LONG id, const SString& text) {
  char head[96];
  std::snprintf(head, sizeof head, "SSymPictureFileMem::%s(dispid = 0x%.8X, ...) ", op, static_cast<unsigned>(id));
  return SString(head) + text;
}

SRepVariant StringValue(const SString& v) {
  SRepVariant r;
  r.SetSTRING(v.Left(254));
  return r;
}
SRepVariant OidValue(const GUID& g) {
  SRepVariant r;
  r.SetOID(SRepOID_(g));
  return r;
}
SRepVariant BinaryValue(const SBlob& b) {
  SRepVariant r;
  r.SetBINARY(b.GetBytes());
  return r;
}
}  // namespace

// ---- SSymPictureFileMem -------------------------------------------------------------------------------
SPropertyEntry SSymPictureFileMem::propertyEntries[] = {
    {A::Name, 254, SRepVT_STRING, &SRepFieldOf<&SSymPictureFileMem::m_strName, SRepVT_STRING>::field, 0, nullptr,
     nullptr},
    {A::PictureID, 0, SRepVT_OID, &SRepFieldOf<&SSymPictureFileMem::m_pictureId, SRepVT_OID>::field, 0, nullptr,
     nullptr},
    {A::PictureType, 0, SRepVT_LONG, &SRepFieldOf<&SSymPictureFileMem::m_nPictureType, SRepVT_LONG>::field, 0,
     nullptr, nullptr},
    {A::Path, 0, SRepVT_TEXT, &SRepFieldOf<&SSymPictureFileMem::m_strPath, SRepVT_TEXT>::field, 0, nullptr, nullptr},
    {0, 0, 0, nullptr, 0, nullptr, nullptr}};
const SPropertyMap SSymPictureFileMem::propertyMap = {[]() { return &SRepObject::propertyMap; },
                                                      SSymPictureFileMem::propertyEntries};

SSymPictureFileMem::SSymPictureFileMem(ISRepSession* session)
    : SRepObjectBaseImpl(CLSID_SSymPictureFile, session), m_objectId(NewObjectId()) {}

SSymPictureFileMem::SSymPictureFileMem(const SSymPictureFileMem& source)
    : SRepObjectBaseImpl(source), m_objectId(NewObjectId()) {}

SSymPictureFileMem::~SSymPictureFileMem() = default;

const SAttrEditorMap* SSymPictureFileMem::GetAttrEditorMap() const { return &SSymPictureFileRegistry::attrEditorMap; }

SRepRegistry* SSymPictureFileMem::GetRegistry() const {
  static SRepRegistry* registry = SRepRegistry::Find(CLSID_SSymPictureFile);
  if (!registry) registry = SRepRegistry::Find(CLSID_SSymPictureFile);
  return registry;
}

HRESULT SSymPictureFileMem::GetCLSID(CLSID* out) {
  if (!out) return E_POINTER;
  *out = CLSID_SSymPictureFile;
  return S_OK;
}

bool SSymPictureFileMem::IsKindOf(REFCLSID clsid) {
  return clsid == CLSID_SSymPictureFile || clsid == CLSID_SRepObject || clsid == CLSID_SRepObjectBase;
}

DWORD SSymPictureFileMem::GetAttributeFlags(LONG id) {
  switch (id) {
    case A::Name: return 0x38;
    case A::PictureID: return 0x800;
    case A::PictureType:
    case A::Path: return 0x28;
    default: return 0;
  }
}

DWORD SSymPictureFileMem::GetAttributeType(LONG id) {
  switch (id) {
    case A::Name: return 0x900FE;
    case A::PictureID: return 0x10000;
    case A::PictureType: return 0x30000;
    case A::Path: return 0xA0000;
    case A::Content: return 0xB0000;
    default: return 0;
  }
}

HRESULT SSymPictureFileMem::HasAttribute(LONG id) {
  static constexpr LONG kOwn[] = {0x01000001, 0x01000002, 0x01000006, 0x0100000A, 0x0100000C, 0x01000010, 0x01000011,
                                  0x01000012, 0x01000013, 0x01000014, 0x01000019, 0x0100001B, 0x0100003F, 0x0100004D,
                                  0x01000063, 0x01000064, 0x01000067, 0x01000070, 0x01000080, 0x010000F7, 0x02000028,
                                  0x040001AB, 0x04000341, 0x04000342, A::PictureID, A::PictureType, A::Path,
                                  A::Content};
  if (id == -1) return S_FALSE;
  if (std::find(std::begin(kOwn), std::end(kOwn), id) != std::end(kOwn)) return S_OK;
  return HasDynamicMember(id) ? S_OK : S_FALSE;
}

HRESULT SSymPictureFileMem::HasCollection(LONG id) {
  static constexpr LONG kOwn[] = {0x0480001F, 0x0480019F, 0x04800311, 0x04800312, A::Model};
  if (std::find(std::begin(kOwn), std::end(kOwn), id) != std::end(kOwn)) return S_OK;
  if ((id & 0x040D0000) == 0) return S_FALSE;
  return SRepObjectBaseImpl::HasCollection(id);
}

HRESULT SSymPictureFileMem::GetAttribute(LONG id, SRepVariant* value) {
  if (!value) return E_POINTER;
  if (id == -1) return E_FAIL;
  return KvReportingScope(
      __PRETTY_FUNCTION__, __FILE__, __LINE__, [id](const SString& t) { return DispidMessage("GetAttribute", id, t); },
      [&]() -> HRESULT {
        switch (id) {
          case A::Name: {
            SString name;
            const HRESULT hr = DoGetName(name);
            if (FAILED(hr)) return hr;
            *value = StringValue(name);
            return S_OK;
          }
          case A::PictureID: *value = OidValue(m_pictureId.id); return S_OK;
          case A::PictureType: value->SetLONG(DoGetPictureType()); return S_OK;
          case A::Path: {
            SString path;
            const HRESULT hr = DoGetPath(path);
            if (FAILED(hr)) return hr;
            value->SetTEXT(path);
            return S_OK;
          }
          case A::Content: {
            SBlob content;
            // A content that could not be produced is an error of the read,
            // never an empty picture.
            const HRESULT hr = DoGetContent(content);
            if (FAILED(hr)) return hr;
            *value = BinaryValue(content);
            return S_OK;
          }
          case A::ObjectId: *value = OidValue(m_objectId.id); return S_OK;
          default: return SRepObjectBaseImpl::GetAttribute(id, value);
        }
      });
}

HRESULT SSymPictureFileMem::SetAttribute(LONG id, const SRepVariant& value) {
  if (id == -1) return E_FAIL;
  return KvReportingScope(
      __PRETTY_FUNCTION__, __FILE__, __LINE__, [id](const SString& t) { return DispidMessage("SetAttribute", id, t); },
      [&]() -> HRESULT {
        switch (id) {
          case A::Name: {
            if (value.GetType() != SRepVT_STRING && value.GetType() != SRepVT_TEXT) return DISP_E_TYPEMISMATCH;
            return SRepObjectBaseImpl::SetAttribute(id, StringValue(value.GetSTRING()));
          }
          case A::Content: {
            if (value.GetType() != SRepVT_BINARY && !value.IsEmpty()) return DISP_E_TYPEMISMATCH;
            const std::vector<BYTE> bytes = value.IsEmpty() ? std::vector<BYTE>() : value.GetBINARY();
            return DoSetContent(SBlob(bytes));
          }
          case A::ObjectId: return SREP_E_READONLY;
          default: return SRepObjectBaseImpl::SetAttribute(id, value);
        }
      });
}

HRESULT SSymPictureFileMem::GetAttributeDefault(LONG id, SRepVariant* value) {
  if (!value) return E_POINTER;
  if (id == -1) return E_FAIL;
  return KvReportingScope(
      __PRETTY_FUNCTION__, __FILE__, __LINE__,
      [id](const SString& t) { return DispidMessage("GetAttributeDefault", id, t); }, [&]() -> HRESULT {
        static const SRepVariant nameDefault = StringValue(SString());
        static const SRepVariant typeDefault = SRepVariant::Long(0);
        switch (id) {
          case A::Name: *value = nameDefault; return S_OK;
          case A::PictureType: *value = typeDefault; return S_OK;
          case A::Path: value->SetTEXT(SString()); return S_OK;
          case A::Content: value->SetBINARY({}); return S_OK;
          case A::PictureID: *value = OidValue(GUID_NULL); return S_FALSE;
          default: return SRepObjectBaseImpl::GetAttributeDefault(id, value);
        }
      });
}

// ---- SSymPictureFileImpl: content ----------------------------------------------------------------------
HRESULT SSymPictureFileImpl::GetContent(SBlob& out) const {
  out.Empty();
  SPictureInfo* p = m_pPicture;
  if (!p) return S_OK;
  auto* self = const_cast<SSymPictureFileImpl*>(this);
  SString name, path;
  self->DoGetName(name);
  self->DoGetPath(path);
  const LONG type = self->DoGetPictureType();
  const HRESULT hr = KvReportingScope(
      __PRETTY_FUNCTION__, __FILE__, __LINE__,
      [&](const SString& t) { return Printf("Getting content of picture file %s.\r\nPath=%s%s", name, path, t); },
      [&]() -> HRESULT {
        p->Prepare();
        if (!p->GetPicture()) return S_OK;
        if (!p->GetOriginalData().IsEmpty()) {
          out = p->GetOriginalData();
          return S_OK;
        }
        SOutputGlobal memory;
        SOutputBinaryStream stream(memory);
        switch (type) {
          case SPictureInfo::ptMetaFile: {
            SMetaFile* mf = p->GetMetaFileW(1);
            if (!mf) throw SEIOException(SString("the record holds no metafile"), __PRETTY_FUNCTION__, __FILE__, __LINE__);
            stream << *mf;
            break;
          }
          case SPictureInfo::ptBitmap: {
            Gdiplus::Bitmap* bitmap = p->GetBitmap(1);
            if (!bitmap) throw SEIOException(SString("the record holds no bitmap"), __PRETTY_FUNCTION__, __FILE__, __LINE__);
            STempFile file(SString("png"));
            if (!SBitmapPlus::Save(bitmap, file.GetPath(), SString("image/png")))
              throw SEIOException(SString("PNG not written"), __PRETTY_FUNCTION__, __FILE__, __LINE__);
            SBlob png;
            if (!png.ReadFromFile(file.GetPath()))
              throw SEIOException(SString("PNG not read back"), __PRETTY_FUNCTION__, __FILE__, __LINE__);
            file.Delete();
            out = png;
            return S_OK;
          }
          case SPictureInfo::ptIcon:
          case SPictureInfo::ptCursor: {
            // The serialized image form, which PutContent reads back (a bare
            // image-present flag could not be).
            const bool icon = type == SPictureInfo::ptIcon;
            const SImageFile* file = icon ? static_cast<SImageFile*>(p->GetIcon(1)) : p->GetCursor(1);
            const std::vector<KvIconEntry>* entries = file ? file->GetEntries() : nullptr;
            if (!entries || entries->empty())
              throw SEIOException(SString("the record holds no image"), __PRETTY_FUNCTION__, __FILE__, __LINE__);
            const int pick = KvPickIconEntry(*entries, 4096, 4096, 32);
            const KvIconEntry& e = (*entries)[static_cast<std::size_t>(std::max(pick, 0))];
            SImageData data;
            data.flags = icon ? 1 : 2;
            data.hotX = e.hotX;
            data.hotY = e.hotY;
            data.image = e.image;
            stream << data;
            break;
          }
          default: break;
        }
        out = memory.GetBlob();
        return S_OK;
      });
  if (FAILED(hr)) out.Empty();
  return hr;
}

HRESULT SSymPictureFileImpl::PutContent(const SBlob& content) {
  SSymPictureManager manager;
  SString name, path;
  DoGetName(name);
  DoGetPath(path);
  return KvReportingScope(
      __PRETTY_FUNCTION__, __FILE__, __LINE__,
      [&](const SString& t) { return Printf("Setting content of picture file %s.\r\nPath=%s %s", name, path, t); },
      [&]() -> HRESULT {
        GUID id = m_pictureId.id;
        if (id == GUID_NULL) {
          id = m_objectId.id;
          const HRESULT set = SRepObjectBaseImpl::SetAttribute(A::PictureID, OidValue(id));
          if (FAILED(set)) return set;
        }
        auto invalid = [](const char* what) {
          return SEIOException(SString(what), __PRETTY_FUNCTION__, __FILE__, __LINE__, static_cast<DWORD>(E_FAIL));
        };
        SPictureInfo* made = nullptr;
        if (SPictureInfo* found = manager.GetPictureInfo(id)) {
          if (found->GetState() == 0) {
            found->SetOriginalData(content);
          } else if (!content.IsEmpty() && !(found->GetOriginalData() == content)) {
            // New bytes for a loaded picture replace it (for every user of
            // the record) once they are known to decode; bytes that do not
            // are refused and the picture stays.
            SPictureInfo trial(found->GetType(), SString(), 0, SString(), content);
            if (!trial.Prepare()) throw invalid("the content is not a picture of the record's type");
            found->SetOriginalData(content);
            found->Prepare();
          } else {
            found->Prepare();
          }
          m_pPicture = found;
          return S_OK;
        }
        if (content.IsEmpty()) {
          m_pPicture = nullptr;
          return S_FALSE;
        }
        const SBlob work = content;
        const LONG type = DoGetPictureType();
        bool raw;
        {
          SBlobReadLock lock(work);
          raw = SSymPictureContent::IsRawForm(type, lock.GetData(), lock.GetSize());
        }
        if (raw) {
          switch (type) {
            case SPictureInfo::ptMetaFile: {
              auto* mf = new SMetaFile(work);
              if (!mf->IsValid()) {
                delete mf;
                throw invalid("the bytes are not a metafile");
              }
              made = manager.AddMetaFile(mf, path, 0, name, content);
              break;
            }
            case SPictureInfo::ptBitmap: {
              Gdiplus::Bitmap* bm = SBitmapPlus::CreateBitmap(work);
              if (!bm || bm->GetLastStatus() != Gdiplus::Ok) {
                delete bm;
                throw invalid("the bytes are not an image");
              }
              made = manager.AddBitmap(bm, path, 0, name, content);
              break;
            }
            case SPictureInfo::ptIcon:
            case SPictureInfo::ptCursor: {
              // The load is tested: bytes that are no icon or cursor make no record.
              SImageFile* file = type == SPictureInfo::ptIcon ? static_cast<SImageFile*>(new SIconFile)
                                                               : static_cast<SImageFile*>(new SCursorFile);
              if (!file->LoadImageW(work)) {
                delete file;
                throw invalid(type == SPictureInfo::ptIcon ? "the bytes are not an icon" : "the bytes are not a cursor");
              }
              made = type == SPictureInfo::ptIcon ? manager.AddIcon(static_cast<SIconFile*>(file), path, 0, name, content)
                                                  : manager.AddCursor(static_cast<SCursorFile*>(file), path, 0, name,
                                                                      content);
              break;
            }
            default: break;
          }
        } else if (type == SPictureInfo::ptMetaFile || type == SPictureInfo::ptIcon ||
                   type == SPictureInfo::ptCursor) {
          const char* format = type == SPictureInfo::ptMetaFile ? "Invalid new metafile content for picture file %s, oid=%s %s"
                               : type == SPictureInfo::ptIcon   ? "Invalid new icon content for picture file %s, oid=%s %s"
                                                                : "Invalid cursor content for picture file %s, oid=%s %s";
          const SString oid = SRepOID_(id).ToString();
          const HRESULT hr = KvReportingScope(
              __PRETTY_FUNCTION__, __FILE__, __LINE__, [&](const SString& t) { return Printf(format, name, oid, t); },
              [&]() -> HRESULT {
                SInputGlobal memory(work);
                SInputBinaryStream stream(memory);
                if (type == SPictureInfo::ptMetaFile) {
                  auto mf = std::make_unique<SMetaFile>();
                  stream >> *mf;
                  if (!mf->IsValid()) throw invalid("no metafile in the content");
                  made = manager.AddMetaFile(mf.release(), path, 0, name, content);
                } else if (type == SPictureInfo::ptIcon) {
                  SIcon icon;
                  stream >> icon;
                  if (!icon.GetIcon()) throw invalid("no icon in the content");
                  made = manager.AddIcon(new SIconFile(icon.GetIcon()), path, 0, name, content);
                } else {
                  SCursor cursor;
                  stream >> cursor;
                  if (!cursor.GetSafeHandle()) throw invalid("no cursor in the content");
                  made = manager.AddCursor(new SCursorFile(cursor.GetSafeHandle()), path, 0, name, content);
                }
                return S_OK;
              });
          if (FAILED(hr)) return hr;
        }
        if (made) made->SetID(id);
        m_pPicture = made;
        return made ? S_OK : S_FALSE;
      });
}

// ---- SSymPictureFile ----------------------------------------------------------------------------------------
SSymPictureFile::SSymPictureFile(ISRepSession* session) : SRepObjectFace(session) { ++g_liveCount; }

SSymPictureFile::SSymPictureFile(const SSymPictureFile& source) : SRepObjectFace(source) {
  ++g_liveCount;
  auto& src = const_cast<SSymPictureFile&>(source);
  src.GetName(m_strName);
  src.GetPictureID(m_pictureId.id);
  m_nPictureType = src.GetPictureType();
  src.GetPath(m_strPath);
  m_pPicture = src.m_pPicture;
  m_nUsage = 0;
}

SSymPictureFile::~SSymPictureFile() { --g_liveCount; }

LONG SSymPictureFile::GetLiveCount() { return g_liveCount.load(); }
bool SSymPictureFile::WasCreated() { return g_created; }

SSymPictureFile* SSymPictureFile::FromInterface(IUnknown* unk) {
  return dynamic_cast<SSymPictureFile*>(SRepObject::FromInterface(unk));
}

HRESULT SSymPictureFile::CreateInstance(ISRepObject** out, ISRepSession* session, ISRepObject* source) {
  if (!out) return E_POINTER;
  *out = nullptr;
  static SRepRegistry* registry = SRepRegistry::Find(CLSID_SSymPictureFile);
  (void)registry;
  SSymPictureFile* copyOf = nullptr;
  if (source) {
    copyOf = FromInterface(source);
    if (!copyOf) return E_INVALIDARG;
  }
  SSymPictureFile* made = nullptr;
  try {
    made = copyOf ? new SSymPictureFile(*copyOf) : new SSymPictureFile(session);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  made->AddRef();
  HRESULT hr = S_OK;
  if (session) hr = made->SetSession(session);
  if (SUCCEEDED(hr)) hr = made->FinalConstruct();
  if (FAILED(hr)) {
    made->Release();
    return hr;
  }
  g_created = true;
  *out = made->Face();
  return S_OK;
}

HRESULT SSymPictureFile::QueryInterface(REFIID iid, void** ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (iid == IID_ISSymPictureFile || iid == IID_ISRepObject || iid == IID_ISRepObjectBase || iid == IID_IUnknown) {
    *ppv = Face();
  } else if (iid == IID_SRepObjectMem || iid == IID_SRepObjectMem2 || iid == IID_SRepObjectMem3) {
    *ppv = static_cast<SRepObject*>(this);
  } else if (iid == IID_ISRepSession || iid == IID_SRepSessionImpl) {
    SRepSession* s = GetSessionImpl();
    if (!s) return E_NOINTERFACE;
    return static_cast<ISRepSession*>(s)->QueryInterface(iid, ppv);
  } else {
    return SSymPictureFileImpl::QueryInterface(iid, ppv);
  }
  AddRef();
  return S_OK;
}

HRESULT SSymPictureFile::GetCollection(LONG id, ISRepClassCol** out) {
  if (id == -1) {
    if (out) *out = nullptr;
    return E_INVALIDARG;
  }
  return SSymPictureFileImpl::GetCollection(id, out);
}

HRESULT SSymPictureFile::Delete() {
  AddRef();
  const HRESULT hr = SSymPictureFileImpl::Delete();
  Release();
  return hr;
}

HRESULT SSymPictureFile::GetName(SString& out) {
  out = m_pPicture ? m_pPicture->GetName() : m_strName;
  return S_OK;
}
HRESULT SSymPictureFile::SetName(const SString& name) { return SSymPictureFileMem::SetAttribute(A::Name, StringValue(name)); }
HRESULT SSymPictureFile::GetPictureID(GUID& out) {
  out = m_pictureId.id;
  return S_OK;
}
HRESULT SSymPictureFile::SetPictureID(const GUID& id) { return SSymPictureFileMem::SetAttribute(A::PictureID, OidValue(id)); }
LONG SSymPictureFile::GetPictureType() { return m_pPicture ? m_pPicture->GetType() : m_nPictureType; }
HRESULT SSymPictureFile::SetPictureType(LONG type) {
  return SSymPictureFileMem::SetAttribute(A::PictureType, SRepVariant::Long(type));
}
HRESULT SSymPictureFile::GetPath(SString& out) {
  out = m_pPicture ? m_pPicture->GetFileName() : m_strPath;
  return S_OK;
}
HRESULT SSymPictureFile::SetPath(const SString& path) {
  return SSymPictureFileMem::SetAttribute(A::Path, SRepVariant::Text(path));
}

HRESULT SSymPictureFile::SetContent(const SBlob& content) {
  SBlob current;
  if (SUCCEEDED(SSymPictureFileImpl::GetContent(current)) && current == content) return S_FALSE;
  const HRESULT hr = PutContent(content);
  if (hr != S_OK) return hr;
  _PostSetAttribute(A::Content);
  return S_OK;
}

void SSymPictureFile::SetPicture(SPictureInfo* picture) {
  m_pPicture = picture;
  m_nUsage = 0;
}

LONG SSymPictureFile::DecRefCount() {
  if (m_nUsage >= 1) --m_nUsage;
  return m_nUsage;
}

HRESULT SSymPictureFile::GetModelCollection(ISRepClassCol** out) { return GetCollection(A::Model, out); }

void SSymPictureFile::OnCollectionInsert(LONG id, ISRepObject* other, int pos) {
  if (!other) return;
  if (id == A::Model) OnUpdateAttribute(A::ModelUpdate);
  SSymPictureFileImpl::OnCollectionInsert(id, other, pos);
}

HRESULT SSymPictureFile::DoCommand(LONG command) {
  const SJob job(SString::FromInt(command) + SString(":{2B975AA0-A490-11D1-A8B7-006097355D43}"), SString());
  if (job.Run()) return S_OK;
  return SSymPictureFileImpl::DoCommand(command);
}

KV_SYM_REGISTER(SSymPictureFile, &SSymPictureFile::CreateInstance);
