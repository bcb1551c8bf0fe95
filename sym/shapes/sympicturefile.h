// The picture file: a persistent object of the repository that holds one
// picture (metafile, bitmap, icon or cursor) under a picture identifier, so
// that symbols refer to the picture by that identifier. Its content is the
// picture as bytes, recognised and decoded into a record of the picture
// manager when it is set, and produced from the record when it is read.
//
// Layers: SSymPictureFileMem keeps the attribute values (repository fields,
// so their changes are undone like any other) and answers the generic
// attribute calls; SSymPictureFileImpl carries the picture logic and the
// content formats; SSymPictureFile answers ISSymPictureFile.
#pragma once

#include "kvcore/sblob.h"
#include "kvcore/spicture.h"
#include "kvrep/srepobject.h"
#include "kvrep/srepobjectface.h"
#include "kvrep/sreppropmap.h"
#include "kvrep/srepvariant.h"
#include "sym/foundation/symclassid.h"

inline constexpr IID IID_ISSymPictureFile = MakeGUID("{155E2173-0445-11D1-83D9-444553540000}");

namespace SymPictureFileAttr {
inline constexpr LONG ObjectId = 0x01000001;
inline constexpr LONG Name = 0x01000002;
inline constexpr LONG PictureID = 0x02010036;
inline constexpr LONG PictureType = 0x02010042;
inline constexpr LONG Path = 0x02010043;
inline constexpr LONG Content = 0x02010044;
inline constexpr LONG Model = 0x01800081;
inline constexpr LONG ModelUpdate = 0x0100000A;
}  // namespace SymPictureFileAttr

struct ISSymPictureFile : ISRepObjectBase {
  virtual HRESULT GetName(SString& out) = 0;
  virtual HRESULT SetName(const SString& name) = 0;
  virtual HRESULT GetPictureID(GUID& out) = 0;
  virtual HRESULT SetPictureID(const GUID& id) = 0;
  virtual LONG GetPictureType() = 0;
  virtual HRESULT SetPictureType(LONG type) = 0;
  virtual HRESULT GetPath(SString& out) = 0;
  virtual HRESULT SetPath(const SString& path) = 0;
  // The content bytes; a failure code when they could not be produced (the
  // partial bytes are never answered as the content).
  virtual HRESULT GetContent(SBlob& out) = 0;
  virtual HRESULT SetContent(const SBlob& content) = 0;
  virtual void SetPicture(SPictureInfo* picture) = 0;
  virtual SPictureInfo* GetPicture() = 0;
  virtual LONG IncRefCount() = 0;
  virtual LONG DecRefCount() = 0;
  virtual LONG GetRefCount() = 0;
  virtual HRESULT GetModelCollection(ISRepClassCol** out) = 0;

 protected:
  ~ISSymPictureFile() = default;
};

class SSymPictureFileMem : public SRepObjectBaseImpl {
 public:
  const SPropertyMap* GetPropertyMap() const override { return &propertyMap; }
  const SAttrEditorMap* GetAttrEditorMap() const override;
  SRepRegistry* GetRegistry() const override;
  HRESULT GetCLSID(CLSID* out) override;
  HRESULT GetAttribute(LONG id, SRepVariant* value) override;
  HRESULT SetAttribute(LONG id, const SRepVariant& value) override;
  HRESULT GetAttributeDefault(LONG id, SRepVariant* value) override;
  HRESULT HasAttribute(LONG id) override;
  HRESULT HasCollection(LONG id) override;
  // Repository attribute flags and type words of the class's attributes.
  static DWORD GetAttributeFlags(LONG id);
  static DWORD GetAttributeType(LONG id);
  static bool IsKindOf(REFCLSID clsid);

  // Stored values (the record's values win while a record is held).
  SString m_strName;
  SRepOID_ m_pictureId;
  LONG m_nPictureType = 0;
  SString m_strPath;
  SRepOID_ m_objectId;  // the object's own identifier

  static SPropertyEntry propertyEntries[];
  static const SPropertyMap propertyMap;

 protected:
  explicit SSymPictureFileMem(ISRepSession* session);
  SSymPictureFileMem(const SSymPictureFileMem& source);
  ~SSymPictureFileMem() override;

  // The picture-file operations the attribute layer reads and writes through.
  virtual HRESULT DoGetName(SString& out) = 0;
  virtual LONG DoGetPictureType() = 0;
  virtual HRESULT DoGetPath(SString& out) = 0;
  virtual HRESULT DoGetContent(SBlob& out) = 0;
  virtual HRESULT DoSetContent(const SBlob& content) = 0;
};

class SSymPictureFileImpl : public SSymPictureFileMem {
 public:
  // The content bytes (see the content formats in sympicturecontent.h):
  // the record's stored bytes, else the picture encoded by type. A failure
  // code, reported through the exception dialog, when encoding failed.
  HRESULT GetContent(SBlob& out) const;
  // Decodes content into a picture record: 0 when the picture file now holds
  // a record, 1 when it holds none, a failure code (the record held before
  // kept) when the content could not be read.
  HRESULT PutContent(const SBlob& content);

  SPictureInfo* m_pPicture = nullptr;  // not owned: the picture manager's
  LONG m_nUsage = 0;

 protected:
  using SSymPictureFileMem::SSymPictureFileMem;
};

class SSymPictureFile final : public SRepObjectFace<SSymPictureFileImpl, ISSymPictureFile> {
 public:
  static HRESULT CreateInstance(ISRepObject** out, ISRepSession* session, ISRepObject* source);
  // The live picture files of the process.
  static LONG GetLiveCount();
  // True once an instance was made.
  static bool WasCreated();

  // ---- the repository object's operations of its own (the others are the
  // object's through both faces)
  HRESULT QueryInterface(REFIID iid, void** ppv) override;
  HRESULT GetCollection(LONG id, ISRepClassCol** out) override;
  BOOL IsShortcut() override { return FALSE; }
  HRESULT Delete() override;

  // ---- ISSymPictureFile
  HRESULT GetName(SString& out) override;
  HRESULT SetName(const SString& name) override;
  HRESULT GetPictureID(GUID& out) override;
  HRESULT SetPictureID(const GUID& id) override;
  LONG GetPictureType() override;
  HRESULT SetPictureType(LONG type) override;
  HRESULT GetPath(SString& out) override;
  HRESULT SetPath(const SString& path) override;
  HRESULT GetContent(SBlob& out) override { return SSymPictureFileImpl::GetContent(out); }
  HRESULT SetContent(const SBlob& content) override;
  void SetPicture(SPictureInfo* picture) override;
  SPictureInfo* GetPicture() override { return m_pPicture; }
  LONG IncRefCount() override { return ++m_nUsage; }
  LONG DecRefCount() override;
  LONG GetRefCount() override { return m_nUsage; }
  HRESULT GetModelCollection(ISRepClassCol** out) override;

  // ---- repository hooks
  void OnCollectionInsert(LONG id, ISRepObject* other, int pos) override;
  HRESULT DoCommand(LONG command) override;

  ISSymPictureFile* Face() { return static_cast<ISSymPictureFile*>(this); }
  static SSymPictureFile* FromInterface(IUnknown* unk);

 protected:
  HRESULT DoGetName(SString& out) override { return GetName(out); }
  LONG DoGetPictureType() override { return GetPictureType(); }
  HRESULT DoGetPath(SString& out) override { return GetPath(out); }
  HRESULT DoGetContent(SBlob& out) override { return GetContent(out); }
  HRESULT DoSetContent(const SBlob& content) override { return SetContent(content); }

 private:
  explicit SSymPictureFile(ISRepSession* session);
  SSymPictureFile(const SSymPictureFile& source);
  ~SSymPictureFile() override;
};
