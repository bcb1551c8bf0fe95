#include "kvcore/spicture.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "kvcore/sdc.h"
#include "kvcore/sgdiobj.h"
#include "kvcore/sexception.h"
#include "kvcore/sstream.h"
#include "win/emf.h"
#include "win/imageicon.h"

KV_IMPLEMENT_CLASSINFO(SMetaFile, SGdiObject);

namespace {

SString LowerExtension(const SString& path) {
  const int dot = path.ReverseFind(u'.');
  const int slash = std::max(path.ReverseFind(u'/'), path.ReverseFind(u'\\'));
  if (dot < 0 || dot < slash) return SString();
  SString ext = path.Mid(dot + 1);
  ext.MakeLower();
  return ext;
}

std::vector<BYTE> ReadFile(const SString& path) {
  SBlob blob;
  if (!blob.ReadFromFile(path)) return {};
  return blob.GetBytes();
}

}  // namespace

// ---- SMetaFile --------------------------------------------------------------------

BOOL SMetaFile::Attach(HENHMETAFILE h) {
  if (!h) return FALSE;
  if (h != GetSafeHandle()) DeleteMetaFile();
  m_hObject = KvHandleCast<HGDIOBJ>(h);
  return TRUE;
}

BOOL SMetaFile::DeleteMetaFile() {
  if (!m_hObject) return FALSE;
  return DeleteEnhMetaFile(Detach());
}

int SMetaFile::LoadMetaFile(const BYTE* data, std::size_t size) {
  if (!data || size == 0 || size > 0x7FFFFFFF) return 0;
  HENHMETAFILE h = SetEnhMetaFileBits(static_cast<UINT>(size), data);
  // Old-style metafiles are converted into enhanced ones on reading.
  if (!h && KvLooksLikeWmf(data, size)) h = SetWinMetaFileBits(static_cast<UINT>(size), data, nullptr, nullptr);
  if (!h) return 0;
  Attach(h);
  return 1;
}

int SMetaFile::LoadMetaFile(const SBlob& bytes) { return LoadMetaFile(bytes.GetData(), bytes.GetSize()); }

int SMetaFile::LoadMetaFileFromFile(const SString& path) {
  const auto bytes = ReadFile(path);
  return LoadMetaFile(bytes.data(), bytes.size());
}

SBlob SMetaFile::GetBlob() const {
  if (!IsValid()) return SBlob();
  return SBlob(KvEnhMetaFileBytes(GetSafeHandle()));
}

BOOL SMetaFile::SaveMetaFile(const SString& path) const {
  if (!IsValid() || path.IsEmpty()) return FALSE;
  return GetBlob().WriteToFile(path) ? TRUE : FALSE;
}

SIZE SMetaFile::GetSize() const { return IsValid() ? KvEnhMetaFileSizePx(GetSafeHandle()) : SIZE{0, 0}; }

SIZE SMetaFile::GetSizeCoordSD() const {
  ENHMETAHEADER h = {};
  if (!IsValid() || !GetEnhMetaFileHeader(GetSafeHandle(), sizeof h, &h)) return {0, 0};
  // Inclusive frame in 0.01 mm to 1/7200 inch.
  const long long w = static_cast<long long>(h.rclFrame.right) - h.rclFrame.left + 1;
  const long long hh = static_cast<long long>(h.rclFrame.bottom) - h.rclFrame.top + 1;
  auto conv = [](long long v) { return static_cast<LONG>(v <= 0 ? 0 : (v * 7200 + 1270) / 2540); };
  return {conv(w), conv(hh)};
}

BOOL SMetaFile::CopyTo(SMetaFile& other) const {
  if (!IsValid()) return FALSE;
  HENHMETAFILE copy = CopyEnhMetaFileW(GetSafeHandle(), nullptr);
  return copy ? other.Attach(copy) : FALSE;
}

SOutputBinaryStream& operator<<(SOutputBinaryStream& out, const SMetaFile& mf) {
  const SBlob blob = mf.GetBlob();
  out << static_cast<DWORD>(blob.GetSize());
  if (blob.GetSize()) out.Write(blob.GetData(), blob.GetSize());
  return out;
}

SInputBinaryStream& operator>>(SInputBinaryStream& in, SMetaFile& mf) {
  DWORD size = 0;
  in >> size;
  mf.DeleteMetaFile();
  if (!size) return in;
  if (size > in.GetAvailable())
    throw SEEOFException(SString("metafile longer than its stream"), __PRETTY_FUNCTION__, __FILE__, __LINE__);
  std::vector<BYTE> bytes(size);
  in.ReadExact(bytes.data(), size);
  mf.LoadMetaFile(bytes.data(), bytes.size());
  return in;
}

// ---- SBitmapPlus --------------------------------------------------------------------

Gdiplus::Bitmap* SBitmapPlus::CreateBitmap(const BYTE* data, std::size_t size) {
  if (!data || !size) return nullptr;
  return new Gdiplus::Bitmap(data, size);
}

Gdiplus::Bitmap* SBitmapPlus::CreateBitmap(const SString& path) {
  const auto bytes = ReadFile(path);
  return CreateBitmap(bytes.data(), bytes.size());
}

Gdiplus::Bitmap* SBitmapPlus::CreateBitmap(HBITMAP bitmap, HPALETTE palette) {
  return bitmap ? new Gdiplus::Bitmap(bitmap, palette) : nullptr;
}

Gdiplus::Bitmap* SBitmapPlus::CreateBitmap(HICON icon) { return icon ? new Gdiplus::Bitmap(icon) : nullptr; }

BOOL SBitmapPlus::Save(Gdiplus::Image* image, const SString& path, const SString& mimeType) {
  if (!image || path.IsEmpty()) return FALSE;
  CLSID encoder;
  const SString mime = mimeType.IsEmpty() ? SString("image/png") : mimeType;
  if (!Gdiplus::GetEncoderClsid(mime.c_str(), &encoder)) return FALSE;
  return image->Save(path.c_str(), &encoder) == Gdiplus::Ok ? TRUE : FALSE;
}

// ---- SImageFile -------------------------------------------------------------------

BOOL SImageFile::LoadImageW(const SBlob& bytes) {
  Done();
  auto entries = std::make_unique<std::vector<KvIconEntry>>();
  bool cursor = false;
  if (!KvReadIco(bytes.GetData(), bytes.GetSize(), *entries, &cursor) || entries->empty()) return FALSE;
  m_pImages = std::move(entries);
  return TRUE;
}

BOOL SImageFile::LoadImageW(const SString& path) {
  SBlob blob;
  if (!blob.ReadFromFile(path)) {
    Done();
    return FALSE;
  }
  if (!LoadImageW(blob)) return FALSE;
  m_strFileName = path;
  return TRUE;
}

BOOL SImageFile::AddImage(HICON icon) {
  const KvImage* image = KvIconImage(icon);
  if (!image || !AddImage(*image)) return FALSE;
  // A cursor keeps its hot spot.
  const POINT hot = KvIconHotSpot(icon);
  m_pImages->back().hotX = hot.x;
  m_pImages->back().hotY = hot.y;
  return TRUE;
}

BOOL SImageFile::AddImage(const KvImage& image) {
  if (image.width <= 0 || image.height <= 0) return FALSE;
  if (!m_pImages) m_pImages = std::make_unique<std::vector<KvIconEntry>>();
  KvIconEntry e;
  e.image = image;
  m_pImages->push_back(std::move(e));
  return TRUE;
}

const KvImage* SImageFile::GetImage(int width, int height, int bitCount) const {
  if (!HasImage()) return nullptr;
  const int i = KvPickIconEntry(*m_pImages, width, height, bitCount);
  return i < 0 ? nullptr : &(*m_pImages)[static_cast<std::size_t>(i)].image;
}

SIZE SImageFile::GetSize() const {
  if (!HasImage()) return {0, 0};
  return {(*m_pImages)[0].image.width, (*m_pImages)[0].image.height};
}

void SImageFile::Done() { m_pImages.reset(); }

// ---- SImageData, SIcon, SCursor ---------------------------------------------------

namespace {

void WriteBmp(SOutputBinaryStream& out, const KvImage& image) {
  std::vector<std::uint8_t> bytes;
  if (!KvWriteBmp(image, bytes)) throw SEIOException(SString("bitmap not written"), __PRETTY_FUNCTION__, __FILE__, __LINE__);
  out.Write(bytes.data(), bytes.size());
}

bool ReadBmp(SInputBinaryStream& in, KvImage& image) {
  BYTE head[14];
  in.ReadExact(head, sizeof head);
  DWORD size;
  std::memcpy(&size, head + 2, 4);
  if (head[0] != 'B' || head[1] != 'M' || size < 54) return false;
  if (size - 14 > in.GetAvailable())
    throw SEEOFException(SString("bitmap longer than its stream"), __PRETTY_FUNCTION__, __FILE__, __LINE__);
  std::vector<BYTE> bytes(size);
  std::memcpy(bytes.data(), head, sizeof head);
  in.ReadExact(bytes.data() + 14, size - 14);
  return KvReadBmp(bytes.data(), bytes.size(), image);
}

}  // namespace

SOutputBinaryStream& operator<<(SOutputBinaryStream& out, const SImageData& data) {
  const bool has = !data.IsEmpty();
  const DWORD kind = (data.flags & 3) == 2 ? 2 : 1;
  out << static_cast<DWORD>(kind | (has ? 0xC : 0)) << data.hotX << data.hotY;
  if (!has) return out;
  KvImage colour = data.image, mask = data.image;
  colour.hasAlpha = false;
  mask.hasAlpha = false;
  for (std::size_t i = 0; i < data.image.px.size(); ++i) {
    const std::uint32_t p = data.image.px[i];
    const bool opaque = !data.image.hasAlpha || (p >> 24) >= 128;
    colour.px[i] = p | 0xFF000000u;
    mask.px[i] = opaque ? 0xFF000000u : 0xFFFFFFFFu;
  }
  WriteBmp(out, colour);
  WriteBmp(out, mask);
  return out;
}

SInputBinaryStream& operator>>(SInputBinaryStream& in, SImageData& data) {
  data = SImageData();
  DWORD flags = 0;
  LONG x = 0, y = 0;
  in >> flags >> x >> y;
  if ((flags & 3) == 0 || (flags & 3) == 3 || (flags & ~0xFu)) return in;
  data.flags = flags & 3;
  data.hotX = x;
  data.hotY = y;
  KvImage colour, mask;
  if ((flags & 4) && !ReadBmp(in, colour)) return in;
  if ((flags & 8) && !ReadBmp(in, mask)) return in;
  if (!(flags & 4)) return in;
  if ((flags & 8) && (mask.width != colour.width || mask.height != colour.height)) return in;
  data.image = std::move(colour);
  if (flags & 8) {
    data.image.hasAlpha = true;
    for (std::size_t i = 0; i < data.image.px.size(); ++i)
      if ((mask.px[i] & 0xFFFFFF) == 0xFFFFFF) data.image.px[i] = 0;
      else data.image.px[i] |= 0xFF000000u;
  }
  return in;
}

SIcon::~SIcon() {
  if (m_hIcon) KvDestroyIcon(m_hIcon);
}

void SIcon::Attach(HICON icon) {
  if (icon == m_hIcon) return;
  if (m_hIcon) KvDestroyIcon(m_hIcon);
  m_hIcon = icon;
}

HICON SIcon::GetIcon() {
  if (!m_hIcon && !m_data.IsEmpty())
    m_hIcon = KvCreateIconFromImage(m_data.image, !m_bCursor, m_data.hotX, m_data.hotY);
  return m_hIcon;
}

SInputBinaryStream& operator>>(SInputBinaryStream& in, SIcon& icon) {
  if (icon.m_hIcon) KvDestroyIcon(icon.m_hIcon);
  icon.m_hIcon = nullptr;
  return in >> icon.m_data;
}

// ---- SPictureInfo -----------------------------------------------------------------

SPictureInfo::SPictureInfo(int type, const SString& file, int flags, const SString& name, const SBlob& data)
    : m_nType(type), m_nFlags(flags), m_strFile(file), m_strName(name), m_data(data) {}

SPictureInfo::~SPictureInfo() = default;

int SPictureInfo::GetTypeFromExtension(const SString& path) {
  const SString ext = LowerExtension(path);
  if (ext == "emf" || ext == "wmf") return ptMetaFile;
  if (ext == "bmp" || ext == "dib" || ext == "png" || ext == "jpg" || ext == "jpeg" || ext == "gif" || ext == "tif" ||
      ext == "tiff")
    return ptBitmap;
  if (ext == "ico") return ptIcon;
  if (ext == "cur") return ptCursor;
  return ptNone;
}

SString SPictureInfo::GetTypeAsText(int type) {
  switch (type) {
    case ptSymbol: return SString("Symbol");
    case ptMetaFile: return SString("Metafile");
    case ptBitmap: return SString("Bitmap");
    case ptIcon: return SString("Icon");
    case ptCursor: return SString("Cursor");
    default: return SString();
  }
}

int SPictureInfo::GetTypeFromText(const SString& text) {
  for (int t = ptSymbol; t <= ptCursor; ++t)
    if (text.EqualsNoCase(GetTypeAsText(t))) return t;
  return ptNone;
}

int SPictureInfo::Prepare() {
  if (GetPicture()) return 1;
  SBlob bytes = m_data;
  if (bytes.IsEmpty() && !m_strFile.IsEmpty()) bytes.ReadFromFile(m_strFile);
  if (bytes.IsEmpty()) return 0;
  switch (m_nType) {
    case ptMetaFile: {
      auto mf = std::make_unique<SMetaFile>(bytes);
      if (mf->IsValid()) m_pMetaFile = std::move(mf);
      break;
    }
    case ptBitmap: {
      std::unique_ptr<Gdiplus::Bitmap> bm(SBitmapPlus::CreateBitmap(bytes));
      if (bm && bm->GetLastStatus() == Gdiplus::Ok && bm->GetWidth() > 0) m_pBitmap = std::move(bm);
      break;
    }
    case ptIcon:
    case ptCursor: {
      std::unique_ptr<SImageFile> f(m_nType == ptIcon ? static_cast<SImageFile*>(new SIconFile)
                                                       : static_cast<SImageFile*>(new SCursorFile));
      if (f->LoadImageW(bytes)) m_pImageFile = std::move(f);
      break;
    }
    default:
      break;
  }
  return GetPicture() ? 1 : 0;
}

SMetaFile* SPictureInfo::GetMetaFileW(int load) {
  if (load) Prepare();
  return m_pMetaFile.get();
}

Gdiplus::Bitmap* SPictureInfo::GetBitmap(int load) {
  if (load) Prepare();
  return m_pBitmap.get();
}

SIconFile* SPictureInfo::GetIcon(int load) {
  if (load) Prepare();
  return m_nType == ptIcon ? static_cast<SIconFile*>(m_pImageFile.get()) : nullptr;
}

SCursorFile* SPictureInfo::GetCursor(int load) {
  if (load) Prepare();
  return m_nType == ptCursor ? static_cast<SCursorFile*>(m_pImageFile.get()) : nullptr;
}

const void* SPictureInfo::GetPicture() {
  if (m_pMetaFile && m_pMetaFile->IsValid()) return m_pMetaFile.get();
  if (m_pBitmap) return m_pBitmap.get();
  if (m_pImageFile && m_pImageFile->HasImage()) return m_pImageFile.get();
  return nullptr;
}

SIZE SPictureInfo::GetPictureSize() {
  Prepare();
  if (m_pMetaFile) return m_pMetaFile->GetSize();
  if (m_pBitmap) return {static_cast<LONG>(m_pBitmap->GetWidth()), static_cast<LONG>(m_pBitmap->GetHeight())};
  if (m_pImageFile) return m_pImageFile->GetSize();
  return {0, 0};
}

bool SPictureInfo::GetMask(int width, int height, KvImage& out) {
  Prepare();
  const SIZE own = GetPictureSize();
  if (width <= 0 || height <= 0) width = own.cx, height = own.cy;
  if (width <= 0 || height <= 0 || static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kKvMaxImagePixels)
    return false;
  out = KvImage();
  out.width = width;
  out.height = height;
  out.hasAlpha = true;
  out.px.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
  const KvImage* src = nullptr;
  KvImage rendered;
  KvImage fromBitmap;
  if (m_pBitmap) {
    fromBitmap.width = static_cast<int>(m_pBitmap->GetWidth());
    fromBitmap.height = static_cast<int>(m_pBitmap->GetHeight());
    fromBitmap.hasAlpha = true;
    fromBitmap.px.resize(static_cast<std::size_t>(fromBitmap.width) * static_cast<std::size_t>(fromBitmap.height));
    for (int y = 0; y < fromBitmap.height; ++y)
      for (int x = 0; x < fromBitmap.width; ++x) {
        Gdiplus::Color c;
        m_pBitmap->GetPixel(x, y, &c);
        fromBitmap.px[static_cast<std::size_t>(y) * static_cast<std::size_t>(fromBitmap.width) +
                      static_cast<std::size_t>(x)] = c.GetValue();
      }
    src = &fromBitmap;
  } else if (m_pImageFile) {
    src = m_pImageFile->GetImage(width, height, 32);
  } else if (m_pMetaFile) {
    // Replay on white and on black: a pixel is drawn when it differs from
    // the background in either pass.
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bm = CreateCompatibleBitmap(dc, width, height);
    if (!dc || !bm) {
      if (bm) DeleteObject(KvHandleCast<HGDIOBJ>(bm));
      if (dc) DeleteDC(dc);
      return false;
    }
    HGDIOBJ old = SelectObject(dc, KvHandleCast<HGDIOBJ>(bm));
    const RECT rc = {0, 0, width, height};
    KvImage white, black;
    for (int pass = 0; pass < 2; ++pass) {
      HBRUSH b = CreateSolidBrush(pass ? 0 : 0xFFFFFF);
      FillRect(dc, &rc, b);
      DeleteObject(KvHandleCast<HGDIOBJ>(b));
      PlayEnhMetaFile(dc, m_pMetaFile->GetSafeHandle(), &rc);
      KvBitmapToImage(bm, pass ? black : white);
    }
    SelectObject(dc, old);
    DeleteObject(KvHandleCast<HGDIOBJ>(bm));
    DeleteDC(dc);
    if (white.px.size() != out.px.size() || black.px.size() != out.px.size()) return false;
    for (std::size_t i = 0; i < out.px.size(); ++i) {
      const bool drawn = (white.px[i] & 0xFFFFFF) != 0xFFFFFF || (black.px[i] & 0xFFFFFF) != 0;
      out.px[i] = drawn ? 0xFF000000u : 0;
    }
    return true;
  }
  if (!src || src->width <= 0 || src->height <= 0) return false;
  // Nearest-neighbour scaling of the alpha channel.
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const int sx = static_cast<int>(static_cast<long long>(x) * src->width / width);
      const int sy = static_cast<int>(static_cast<long long>(y) * src->height / height);
      const std::uint32_t p = src->At(sx, sy);
      const std::uint32_t a = src->hasAlpha ? (p >> 24) : 255;
      out.px[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = a << 24;
    }
  return true;
}

void SPictureInfo::SetOriginalData(const SBlob& data) {
  m_data = data;
  m_pMetaFile.reset();
  m_pBitmap.reset();
  m_pImageFile.reset();
}

void SPictureInfo::TakeMetaFile(SMetaFile* mf) { m_pMetaFile.reset(mf); }
void SPictureInfo::TakeBitmap(Gdiplus::Bitmap* bitmap) { m_pBitmap.reset(bitmap); }
void SPictureInfo::TakeImageFile(SImageFile* file) { m_pImageFile.reset(file); }

// ---- SPictureManager ----------------------------------------------------------------

namespace {

struct PictureTable {
  std::recursive_mutex mutex;
  std::vector<SPictureInfo*> records;
  std::uint64_t counter = 0;
};

PictureTable& Table() {
  static PictureTable* t = new PictureTable;
  return *t;
}

// Identifiers are derived from a counter and the record's content, so the
// same sequence of additions gives the same identifiers.
GUID MakeId(const SPictureInfo& info, std::uint64_t counter) {
  std::uint64_t h1 = 0xcbf29ce484222325ull ^ counter, h2 = 0x84222325cbf29ce4ull + counter * 0x9E3779B97F4A7C15ull;
  auto mix = [&](const void* p, std::size_t n) {
    const auto* b = static_cast<const BYTE*>(p);
    for (std::size_t i = 0; i < n; ++i) {
      h1 = (h1 ^ b[i]) * 0x100000001b3ull;
      h2 = (h2 ^ b[i]) * 0x100000001b3ull + 0x9E37ull;
    }
  };
  const int type = info.GetType();
  mix(&type, sizeof type);
  mix(info.GetName().c_str(), static_cast<std::size_t>(info.GetName().GetLength()) * 2);
  mix(info.GetFileName().c_str(), static_cast<std::size_t>(info.GetFileName().GetLength()) * 2);
  mix(info.GetOriginalData().GetData(), info.GetOriginalData().GetSize());
  GUID g;
  g.Data1 = static_cast<std::uint32_t>(h1);
  g.Data2 = static_cast<std::uint16_t>(h1 >> 32);
  g.Data3 = static_cast<std::uint16_t>(((h1 >> 48) & 0x0FFF) | 0x4000);
  for (int i = 0; i < 8; ++i) g.Data4[i] = static_cast<std::uint8_t>(h2 >> (8 * i));
  g.Data4[0] = static_cast<std::uint8_t>((g.Data4[0] & 0x3F) | 0x80);
  return g;
}

}  // namespace

SPictureInfo* SPictureManager::NewPicture(int type, const SString& file, int flags, const SString& name,
                                          const SBlob& data) {
  return new SPictureInfo(type, file, flags, name, data);
}

SPictureInfo* SPictureManager::AddPicture(SPictureInfo* info) {
  if (!info) return nullptr;
  auto& t = Table();
  std::lock_guard lock(t.mutex);
  if (std::find(t.records.begin(), t.records.end(), info) != t.records.end()) return info;
  if (info->GetID() == GUID_NULL) {
    GUID id;
    do id = MakeId(*info, ++t.counter);
    while (GetPictureInfo(id));
    info->SetID(id);
  } else if (SPictureInfo* same = GetPictureInfo(info->GetID())) {
    delete info;
    return same;
  }
  t.records.push_back(info);
  return info;
}

SPictureInfo* SPictureManager::AddPicture(int type, const SString& name, int flags, int load, const SString& file,
                                          const SBlob& data) {
  std::unique_ptr<SPictureInfo> info(NewPicture(type, file, flags, name, data));
  if (!info) return nullptr;
  if (type != SPictureInfo::ptSymbol && (load || !data.IsEmpty()) && !info->Prepare()) return nullptr;
  return AddPicture(info.release());
}

SPictureInfo* SPictureManager::AddBitmap(Gdiplus::Bitmap* bitmap, const SString& file, int flags, const SString& name,
                                         const SBlob& data) {
  if (!bitmap || bitmap->GetWidth() == 0 || bitmap->GetHeight() == 0) {
    delete bitmap;
    return nullptr;
  }
  SPictureInfo* info = NewPicture(SPictureInfo::ptBitmap, file, flags, name, data);
  info->TakeBitmap(bitmap);
  return AddPicture(info);
}

SPictureInfo* SPictureManager::AddMetaFile(SMetaFile* mf, const SString& file, int flags, const SString& name,
                                           const SBlob& data) {
  if (!mf || !mf->IsValid()) {
    delete mf;
    return nullptr;
  }
  SPictureInfo* info = NewPicture(SPictureInfo::ptMetaFile, file, flags, name, data);
  info->TakeMetaFile(mf);
  return AddPicture(info);
}

SPictureInfo* SPictureManager::AddIcon(SIconFile* icon, const SString& file, int flags, const SString& name,
                                       const SBlob& data) {
  if (!icon || !icon->HasImage()) {
    delete icon;
    return nullptr;
  }
  SPictureInfo* info = NewPicture(SPictureInfo::ptIcon, file, flags, name, data);
  info->TakeImageFile(icon);
  return AddPicture(info);
}

SPictureInfo* SPictureManager::AddCursor(SCursorFile* cursor, const SString& file, int flags, const SString& name,
                                         const SBlob& data) {
  if (!cursor || !cursor->HasImage()) {
    delete cursor;
    return nullptr;
  }
  SPictureInfo* info = NewPicture(SPictureInfo::ptCursor, file, flags, name, data);
  info->TakeImageFile(cursor);
  return AddPicture(info);
}

SPictureInfo* SPictureManager::LoadPicture(int type, const SString& file, int flags, const SString& name) {
  if (file.IsEmpty() || type < SPictureInfo::ptMetaFile || type > SPictureInfo::ptCursor) return nullptr;
  {
    auto& t = Table();
    std::lock_guard lock(t.mutex);
    for (SPictureInfo* p : t.records)
      if (p->GetType() == type && p->GetFileName() == file && p->GetPicture()) return p;
  }
  std::unique_ptr<SPictureInfo> info(NewPicture(type, file, flags, name.IsEmpty() ? file : name, SBlob()));
  if (!info || !info->Prepare()) return nullptr;
  return AddPicture(info.release());
}

SPictureInfo* SPictureManager::GetPictureInfo(const GUID& id) const {
  if (id == GUID_NULL) return nullptr;
  auto& t = Table();
  std::lock_guard lock(t.mutex);
  for (SPictureInfo* p : t.records)
    if (p->GetID() == id) return p;
  return nullptr;
}

const std::vector<SPictureInfo*>& SPictureManager::GetPictureInfoTable() const { return Table().records; }

void SPictureManager::RemoveAll() {
  auto& t = Table();
  std::lock_guard lock(t.mutex);
  for (SPictureInfo* p : t.records) delete p;
  t.records.clear();
  t.counter = 0;
}

// ---- SPictureHolder -----------------------------------------------------------------

bool SPictureHolder::UseMetaFile() const {
  return m_pPicture && m_pPicture->GetType() == SPictureInfo::ptMetaFile && m_pPicture->GetMetaFileW(1);
}

bool SPictureHolder::UseBitmap() const {
  if (!m_pPicture) return false;
  const int t = m_pPicture->GetType();
  return (t == SPictureInfo::ptBitmap && m_pPicture->GetBitmap(1)) || (t == SPictureInfo::ptIcon && m_pPicture->GetIcon(1)) ||
         (t == SPictureInfo::ptCursor && m_pPicture->GetCursor(1));
}

void SPictureHolder::SetPicture(SPictureInfo* info) {
  if (info == m_pPicture) return;
  if (info) info->AddRef();
  if (m_pPicture) m_pPicture->Release();
  m_pPicture = info;
}

BOOL SPictureHolder::LoadPicture(const SString& file) {
  if (file.IsEmpty()) {
    SetPicture(nullptr);
    return TRUE;
  }
  SPictureManager manager;
  SPictureInfo* info = manager.LoadPicture(SPictureInfo::GetTypeFromExtension(file), file, 0, SString());
  if (!info) return FALSE;
  SetPicture(info);
  return TRUE;
}

// ---- SDC picture drawing --------------------------------------------------------------

BOOL SDC::PlayMetaFile(const SMetaFile& mf, const RECT& rc) {
  if (!m_hDC || !mf.IsValid()) return FALSE;
  return PlayEnhMetaFile(m_hDC, mf.GetSafeHandle(), &rc);
}

namespace {

BOOL DrawKvImage(HDC hdc, const RECT& rc, const KvImage& image) {
  if (!hdc) return FALSE;
  std::uint32_t* dst = nullptr;
  HBITMAP bm = KvCreateImageDib(image, &dst);
  if (!bm) return FALSE;
  for (std::size_t i = 0; i < image.px.size(); ++i) {  // premultiplied for AlphaBlend
    std::uint32_t p = image.px[i];
    const std::uint32_t a = image.hasAlpha ? p >> 24 : 255;
    auto m = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    dst[i] = (a << 24) | (m((p >> 16) & 0xFF) << 16) | (m((p >> 8) & 0xFF) << 8) | m(p & 0xFF);
  }
  HDC mem = CreateCompatibleDC(hdc);
  HGDIOBJ old = SelectObject(mem, KvHandleCast<HGDIOBJ>(bm));
  BLENDFUNCTION fn = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  const BOOL ok = AlphaBlend(hdc, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, mem, 0, 0, image.width,
                             image.height, fn);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(KvHandleCast<HGDIOBJ>(bm));
  return ok;
}

}  // namespace

BOOL SDC::DrawImage(const RECT& rc, Gdiplus::Image* image, SPictureInfo*) {
  if (!m_hDC || !image) return FALSE;
  Gdiplus::Graphics g(m_hDC);
  return g.DrawImage(image, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top) == Gdiplus::Ok ? TRUE : FALSE;
}

BOOL SDC::DrawIcon(const RECT& rc, SIconFile* icon, SPictureInfo*) {
  if (!icon) return FALSE;
  const KvImage* img = icon->GetImage(rc.right - rc.left, rc.bottom - rc.top, 32);
  return img ? DrawKvImage(m_hDC, rc, *img) : FALSE;
}

BOOL SDC::DrawCursor(const RECT& rc, SCursorFile* cursor, SPictureInfo*) {
  if (!cursor) return FALSE;
  const KvImage* img = cursor->GetImage(rc.right - rc.left, rc.bottom - rc.top, 32);
  return img ? DrawKvImage(m_hDC, rc, *img) : FALSE;
}

// ---- bitmap-file headers -------------------------------------------------------------

bool KvIsBitmapFileHeader(const BYTE* data, std::size_t size) {
  if (!data || size < 14) return false;
  auto le32 = [&](std::size_t at) {
    return static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
           static_cast<std::uint32_t>(data[at + 2]) << 16 | static_cast<std::uint32_t>(data[at + 3]) << 24;
  };
  auto le16 = [&](std::size_t at) { return static_cast<std::uint16_t>(data[at] | data[at + 1] << 8); };
  return le16(0) == 0x4D42 && le32(2) > 0 && le16(6) == 0 && le16(8) == 0 && le32(10) >= 54;
}
