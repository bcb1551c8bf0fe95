// The OLE items. The embedded document is made here, in memory, the way a
// container stores one: a structured storage on a memory block holding the
// document's class, its user type and the picture it last showed, wrapped
// in the item's blob (aspect, index, size, storage image). The item reads
// the blob; with no server for the class it draws the stored picture.
#include "apps/symhost/sampleole.h"

#include "sym/shapes/symole.h"
#include "win/emf.h"
#include "win/wingdi.h"

namespace {

constexpr LONG kRowTitleH = 2100, kTitleGap = 300;
constexpr LONG kCellW = 10800, kCellH = 5400, kGapX = 1800, kCaptionH = 1200;
// The class of a sketching program that is not installed here.
constexpr CLSID kSketchClass = MakeGUID("{5A1E0301-0000-4000-8000-00000000D0C0}");

// A small page: a title band, lines of text as grey bars and a pie, one and
// a half inches by three quarters (the frame in 0.01 mm).
HENHMETAFILE SketchPicture() {
  const RECT frame{0, 0, 3810, 1905};
  HDC rec = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
  auto fill = [&](COLORREF c, int l, int t, int r, int b) {
    HBRUSH brush = CreateSolidBrush(c);
    const RECT rc{l, t, r, b};
    FillRect(rec, &rc, brush);
    DeleteObject(brush);
  };
  fill(RGB(0xFF, 0xFF, 0xF4), 0, 0, 144, 72);
  fill(RGB(0x2E, 0x5E, 0x8E), 0, 0, 144, 14);
  for (int i = 0; i < 4; ++i) fill(RGB(0xA8, 0xA8, 0xA8), 8, 22 + i * 11, i == 3 ? 54 : 78, 27 + i * 11);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0x40, 0x40, 0x40));
  HGDIOBJ oldPen = SelectObject(rec, pen);
  HBRUSH slice = CreateSolidBrush(RGB(0xE0, 0x8A, 0x1E));
  HGDIOBJ oldBrush = SelectObject(rec, slice);
  Ellipse(rec, 94, 22, 134, 62);
  SelectObject(rec, oldBrush);
  DeleteObject(slice);
  HBRUSH part = CreateSolidBrush(RGB(0x3C, 0x9D, 0x5A));
  SelectObject(rec, part);
  Pie(rec, 94, 22, 134, 62, 134, 42, 114, 22);
  SelectObject(rec, oldBrush);
  DeleteObject(part);
  SelectObject(rec, GetStockObject(NULL_BRUSH));
  Rectangle(rec, 0, 0, 144, 72);
  SelectObject(rec, oldPen);
  DeleteObject(pen);
  return CloseEnhMetaFile(rec);
}

// The item's blob: the storage of the sketch with its stored picture.
SBlob SketchBlob() {
  ILockBytes* bytes = nullptr;
  IStorage* storage = nullptr;
  if (FAILED(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes))) return SBlob();
  if (FAILED(StgCreateDocfileOnILockBytes(bytes, STGM_READWRITE | STGM_CREATE, 0, &storage))) {
    bytes->Release();
    return SBlob();
  }
  WriteClassStg(storage, kSketchClass);
  WriteFmtUserTypeStg(storage, CF_ENHMETAFILE, u"Sketch");
  IOleCache* cache = nullptr;
  if (SUCCEEDED(CreateDataCache(nullptr, kSketchClass, IID_IOleCache, reinterpret_cast<void**>(&cache)))) {
    FORMATETC format{CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
    STGMEDIUM medium{TYMED_ENHMF, {SketchPicture()}, nullptr};
    cache->SetData(&format, &medium, TRUE);
    IPersistStorage* persist = nullptr;
    if (cache->QueryInterface(IID_IPersistStorage, reinterpret_cast<void**>(&persist)) == S_OK) {
      persist->Save(storage, FALSE);
      persist->Release();
    }
    cache->Release();
  }
  storage->Commit(STGC_DEFAULT);
  STATSTG stat{};
  bytes->Stat(&stat, STATFLAG_NONAME);
  std::vector<BYTE> blob(12, 0);
  const DWORD words[3] = {DVASPECT_CONTENT, 0xFFFFFFFFu, static_cast<DWORD>(stat.cbSize)};
  for (int w = 0; w < 3; ++w)
    for (int i = 0; i < 4; ++i) blob[static_cast<std::size_t>(w * 4 + i)] = static_cast<BYTE>(words[w] >> (8 * i));
  blob.resize(12 + static_cast<std::size_t>(stat.cbSize));
  bytes->ReadAt(0, blob.data() + 12, static_cast<ULONG>(stat.cbSize), nullptr);
  storage->Release();
  bytes->Release();
  return SBlob(blob.data(), blob.size());
}

void Caption(SHostDiagram& diagram, const SSymRect& r, const char16_t* text, const SSymFont& font, LONG style) {
  diagram.AddCaption(r, SString(text), font, style);
}

}  // namespace

std::vector<ISSymbol*> SBuildOleItems(SHostDiagram& diagram, ISSymbol* last) {
  std::vector<ISSymbol*> made;
  if (!last) return made;
  const SSymRect beside = last->GetClipRect(0, 0);
  const LONG top = beside.GetMaxY(), x0 = beside.GetMaxX() + 2 * kGapX + kCellW;
  Caption(diagram, SSymRect(x0, top + kTitleGap + kRowTitleH, x0 + 4 * kCellW, top + kTitleGap),
          u"OLE items: an embedded sketch", SSymFont(SString(u"Arial"), 11, SSymFont::Bold), 0x120);
  const SBlob blob = SketchBlob();
  const char16_t* captions[] = {u"Stored picture (no server here)", u"Open in its server (hatched)"};
  for (int i = 0; i < 2; ++i) {
    const LONG x = x0 + i * (kCellW + kGapX);
    const SSymRect cell(x, top, x + kCellW, top - kCellH);
    ISSymbol* sym = diagram.AddSymbol(CLSID_SSymOle, cell);
    auto* item = sym ? dynamic_cast<SSymOle*>(SSymBase::FromInterface(sym)) : nullptr;
    if (!item || item->SetBlobData(blob) != S_OK) continue;
    item->SetToDefaultSize();  // the stored picture's size
    if (i == 1) item->OnShowWindow(TRUE);
    made.push_back(sym);
    const SSymRect r = item->GetClipRect(0, 0);
    Caption(diagram, SSymRect(cell.x1, r.GetMinY() - 150, cell.x2, r.GetMinY() - 150 - kCaptionH), captions[i],
            SSymFont(SString(u"Arial"), 8), 0x1022);
  }
  return made;
}
