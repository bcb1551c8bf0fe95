// Pictures: enhanced metafiles (SMetaFile), raster images (SBitmapPlus),
// icon and cursor files (SImageFile, SIconFile, SCursorFile), the picture
// records of the process-wide picture manager (SPictureInfo,
// SPictureManager) and the holder of an optional picture (SPictureHolder).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "kvcore/sblob.h"
#include "kvcore/sgdiobj.h"
#include "kvcore/sstring.h"
#include "win/emf.h"
#include "win/gdiplus.h"
#include "win/image.h"

class SInputBinaryStream;
class SOutputBinaryStream;

// An enhanced metafile handle, owned.
class SMetaFile : public SGdiObject {
 public:
  SMetaFile() = default;
  explicit SMetaFile(HENHMETAFILE h) { Attach(h); }
  // A metafile from raw enhanced or old-style metafile bytes (invalid when
  // they are not one; an old-style one is converted).
  explicit SMetaFile(const SBlob& bytes) { LoadMetaFile(bytes); }
  ~SMetaFile() override { DeleteMetaFile(); }

  HENHMETAFILE GetSafeHandle() const { return KvHandleCast<HENHMETAFILE>(m_hObject); }
  operator HENHMETAFILE() const { return GetSafeHandle(); }
  BOOL Attach(HENHMETAFILE h);
  HENHMETAFILE Detach() { return KvHandleCast<HENHMETAFILE>(SGdiObject::Detach()); }
  BOOL DeleteMetaFile();
  bool IsValid() const { return m_hObject && KvIsEnhMetaFile(GetSafeHandle()); }

  // Non-zero when the bytes formed a metafile (which replaces the held one).
  int LoadMetaFile(const SBlob& bytes);
  int LoadMetaFile(const BYTE* data, std::size_t size);
  int LoadMetaFileFromFile(const SString& path);
  BOOL SaveMetaFile(const SString& path) const;
  SBlob GetBlob() const;
  // The picture frame in pixels of the recording device.
  SIZE GetSize() const;
  // The picture frame in diagram units (1/7200 inch).
  SIZE GetSizeCoordSD() const;
  // A copy of the held metafile into `other`.
  BOOL CopyTo(SMetaFile& other) const;

  KV_DECLARE_CLASSINFO()
};
// Stream form: a 32-bit byte count, then the metafile's bytes (count 0: no
// metafile). A short or corrupt read throws SEEOFException / leaves it empty.
SOutputBinaryStream& operator<<(SOutputBinaryStream& out, const SMetaFile& mf);
SInputBinaryStream& operator>>(SInputBinaryStream& in, SMetaFile& mf);

// Helpers over GDI+ bitmaps: the raster pictures.
class SBitmapPlus {
 public:
  // A bitmap from image file bytes (PNG, BMP, ICO, CUR, EMF). The caller owns
  // it and checks its status (GetLastStatus) as it would for any GDI+
  // bitmap; null only for a null or empty input.
  static Gdiplus::Bitmap* CreateBitmap(const BYTE* data, std::size_t size);
  static Gdiplus::Bitmap* CreateBitmap(const SBlob& bytes) { return CreateBitmap(bytes.GetData(), bytes.GetSize()); }
  static Gdiplus::Bitmap* CreateBitmap(const SString& path);
  static Gdiplus::Bitmap* CreateBitmap(HBITMAP bitmap, HPALETTE palette = nullptr);
  static Gdiplus::Bitmap* CreateBitmap(HICON icon);
  // Writes the image with the encoder of the MIME type ("image/png" or
  // "image/bmp"). FALSE for a null image, an unknown type or a failed write.
  static BOOL Save(Gdiplus::Image* image, const SString& path, const SString& mimeType = SString("image/png"));
};

// True when the first 14 bytes form a bitmap-file header: "BM", a non-zero
// file size, zero reserved words and the bits at offset 54 or later.
bool KvIsBitmapFileHeader(const BYTE* data, std::size_t size);

// An icon (bit 0 of the flag word set) or cursor file: every image of it.
class SImageFile {
 public:
  explicit SImageFile(bool icon) : m_nFlags(icon ? 1 : 0) {}
  virtual ~SImageFile() { Done(); }
  SImageFile(const SImageFile&) = delete;
  SImageFile& operator=(const SImageFile&) = delete;

  bool IsIcon() const { return (m_nFlags & 1) != 0; }
  // Loads an icon or cursor file; FALSE (nothing held) when the bytes are not one.
  BOOL LoadImageW(const SBlob& bytes);
  BOOL LoadImageW(const SString& path);
  BOOL AddImage(const KvImage& image);
  // Takes a copy of an icon's or cursor's image; FALSE for a bad handle.
  BOOL AddImage(HICON icon);
  bool HasImage() const { return m_pImages && !m_pImages->empty(); }
  // The image that best fits a size and depth (null when none).
  const KvImage* GetImage(int width, int height, int bitCount) const;
  // The size of the first image (0 x 0 when none).
  SIZE GetSize() const;
  // Every image with its depth and hot spot (null when none is held).
  const std::vector<KvIconEntry>* GetEntries() const { return m_pImages.get(); }
  void Done();
  const SString& GetFileName() const { return m_strFileName; }
  void SetFileName(const SString& name) { m_strFileName = name; }

 protected:
  DWORD m_nFlags;
  std::unique_ptr<std::vector<KvIconEntry>> m_pImages;
  SString m_strFileName;
};

class SIconFile : public SImageFile {
 public:
  SIconFile() : SImageFile(true) {}
  explicit SIconFile(HICON icon) : SImageFile(true) { AddImage(icon); }
};

class SCursorFile : public SImageFile {
 public:
  SCursorFile() : SImageFile(false) {}
  explicit SCursorFile(HCURSOR cursor) : SImageFile(false) { AddImage(KvHandleCast<HICON>(cursor)); }
};

// The serialized form of an icon or cursor: a flag word (bits 0-1: 1 icon,
// 2 cursor; bit 2: a colour bitmap follows; bit 3: a mask bitmap follows),
// the hot spot (two 32-bit words), then the colour and the mask as bitmap
// files (the mask white where the image is transparent).
struct SImageData {
  DWORD flags = 0;
  LONG hotX = 0;
  LONG hotY = 0;
  KvImage image;
  bool IsEmpty() const { return image.width <= 0 || image.height <= 0; }
};
SOutputBinaryStream& operator<<(SOutputBinaryStream& out, const SImageData& data);
// A short read throws SEEOFException; a bad flag word or bitmap leaves the
// data empty (the bytes of the record consumed as far as they were read).
SInputBinaryStream& operator>>(SInputBinaryStream& in, SImageData& data);

// Temporary holders of an icon or cursor read in the serialized form; the
// handle is made on first request and destroyed with the holder.
class SIcon {
 public:
  SIcon() = default;
  explicit SIcon(HICON icon) : m_hIcon(icon) {}
  ~SIcon();
  SIcon(const SIcon&) = delete;
  SIcon& operator=(const SIcon&) = delete;
  HICON GetIcon();
  // Takes `icon` (destroyed with this object) in place of the icon held,
  // which is destroyed.
  void Attach(HICON icon);
  SImageData& GetImageData() { return m_data; }
  friend SInputBinaryStream& operator>>(SInputBinaryStream& in, SIcon& icon);

 protected:
  bool m_bCursor = false;
  HICON m_hIcon = nullptr;
  SImageData m_data;
};

class SCursor : public SIcon {
 public:
  SCursor() { m_bCursor = true; }
  HCURSOR GetSafeHandle() { return KvHandleCast<HCURSOR>(GetIcon()); }
};

// One record of the picture manager. The manager owns the record and the
// picture in it; users count their references with AddRef and Release.
class SPictureInfo {
 public:
  enum PictureType { ptNone = 0, ptSymbol = 1, ptMetaFile = 2, ptBitmap = 3, ptIcon = 4, ptCursor = 5 };

  SPictureInfo(int type, const SString& file, int flags, const SString& name, const SBlob& data);
  virtual ~SPictureInfo();
  SPictureInfo(const SPictureInfo&) = delete;
  SPictureInfo& operator=(const SPictureInfo&) = delete;

  // By extension (case ignored): emf, wmf 2; bmp, dib, png, jpg, jpeg, gif,
  // tif, tiff 3; ico 4; cur 5; anything else 0.
  static int GetTypeFromExtension(const SString& path);
  static SString GetTypeAsText(int type);  // "Symbol", "Metafile", "Bitmap", "Icon", "Cursor", ""
  static int GetTypeFromText(const SString& text);

  // Loads the picture from the stored bytes, or else from the file, when it
  // is not loaded yet; non-zero when a picture is held afterwards.
  virtual int Prepare();

  ULONG AddRef() { return ++m_nRef; }
  ULONG Release() { return m_nRef ? --m_nRef : 0; }
  ULONG GetRefCount() const { return m_nRef; }

  int GetType() const { return m_nType; }
  const GUID& GetID() const { return m_id; }
  void SetID(const GUID& id) { m_id = id; }
  const SString& GetName() const { return m_strName; }
  const SString& GetFileName() const { return m_strFile; }
  int GetSymbolType() const { return m_nSymbolType; }
  void SetSymbolType(int type) { m_nSymbolType = type; }
  int GetFlags() const { return m_nFlags; }
  bool IsHidden() const { return (m_nFlags & 1) != 0; }

  // The picture objects; `load` != 0 prepares the record first.
  SMetaFile* GetMetaFileW(int load = 1);
  Gdiplus::Bitmap* GetBitmap(int load = 1);
  SIconFile* GetIcon(int load = 1);
  SCursorFile* GetCursor(int load = 1);
  // Whatever picture object the record holds (null when none).
  const void* GetPicture();
  // The picture's size in device pixels (96 per inch for metafiles).
  SIZE GetPictureSize();
  // An opaque/transparent mask of the picture drawn at width x height
  // (0: its own size): alpha 0 where nothing is drawn.
  bool GetMask(int width, int height, KvImage& out);

  // 0 while no picture object is loaded from the record, 1 after.
  int GetState() const { return m_pMetaFile || m_pBitmap || m_pImageFile ? 1 : 0; }
  const SBlob& GetOriginalData() const { return m_data; }
  void SetOriginalData(const SBlob& data);

  // Takes over picture objects (the manager's Add* calls).
  void TakeMetaFile(SMetaFile* mf);
  void TakeBitmap(Gdiplus::Bitmap* bitmap);
  void TakeImageFile(SImageFile* file);

 private:
  GUID m_id = GUID_NULL;
  int m_nType;
  int m_nFlags;
  int m_nSymbolType = 0;
  ULONG m_nRef = 0;
  SString m_strFile;
  SString m_strName;
  SBlob m_data;
  std::unique_ptr<SMetaFile> m_pMetaFile;
  std::unique_ptr<Gdiplus::Bitmap> m_pBitmap;
  std::unique_ptr<SImageFile> m_pImageFile;
};

// The process-wide table of picture records: any number of managers share it.
class SPictureManager {
 public:
  SPictureManager() = default;
  virtual ~SPictureManager() = default;

  // A new record (not yet in the table).
  virtual SPictureInfo* NewPicture(int type, const SString& file, int flags, const SString& name, const SBlob& data);
  // Puts a record into the table (it gets an identifier when it has none);
  // the table owns it. Answers the record, or the one of the table with the
  // same identifier (the new one is then deleted).
  SPictureInfo* AddPicture(SPictureInfo* info);
  // A record of `type` from stored bytes; null when they hold no picture.
  SPictureInfo* AddPicture(int type, const SString& name, int flags, int load, const SString& file, const SBlob& data);
  // Records over picture objects that the table takes over; null (the object
  // deleted) when the object holds no picture.
  SPictureInfo* AddBitmap(Gdiplus::Bitmap* bitmap, const SString& file, int flags, const SString& name, const SBlob& data);
  SPictureInfo* AddMetaFile(SMetaFile* mf, const SString& file, int flags, const SString& name, const SBlob& data);
  SPictureInfo* AddIcon(SIconFile* icon, const SString& file, int flags, const SString& name, const SBlob& data);
  SPictureInfo* AddCursor(SCursorFile* cursor, const SString& file, int flags, const SString& name, const SBlob& data);
  // A picture file (the same file and type answer the same record); null
  // when it cannot be read as that type.
  SPictureInfo* LoadPicture(int type, const SString& file, int flags, const SString& name);
  SPictureInfo* GetPictureInfo(const GUID& id) const;
  const std::vector<SPictureInfo*>& GetPictureInfoTable() const;
  // Deletes every record (for tests and the end of the process).
  static void RemoveAll();
};

// An optional picture record, referenced and counted.
class SPictureHolder {
 public:
  SPictureHolder() = default;
  SPictureHolder(const SPictureHolder& other) { SetPicture(other.m_pPicture); }
  SPictureHolder& operator=(const SPictureHolder& other) {
    if (this != &other) SetPicture(other.m_pPicture);
    return *this;
  }
  virtual ~SPictureHolder() { SetPicture(nullptr); }

  virtual bool UsePicture() const { return UseMetaFile() || UseBitmap(); }
  virtual bool UseMetaFile() const;
  virtual bool UseBitmap() const;
  virtual bool HasPicture() const { return m_pPicture != nullptr; }

  SPictureInfo* GetPicture() const { return m_pPicture; }
  void SetPicture(SPictureInfo* info);
  // Loads a picture file through the picture manager (type from the
  // extension); an empty name removes the picture. FALSE when it cannot be loaded.
  BOOL LoadPicture(const SString& file);
  // The picture's identity for comparisons (0 without a picture).
  std::uintptr_t GetPictureIdentity() const { return reinterpret_cast<std::uintptr_t>(m_pPicture); }

 protected:
  SPictureInfo* m_pPicture = nullptr;
};
