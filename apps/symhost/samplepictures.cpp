// The pictures row of the sample sheet. The pictures are drawn here, in
// memory: a bitmap of colour bands, an icon file of a target, and a
// metafile of a small chart. The bitmap and the icon become the content of
// picture files of the session (the form the model stores), and the
// symbols refer to them by picture identifier.
#include "apps/symhost/samplepictures.h"

#include <algorithm>
#include <cstring>

#include "sym/shapes/sympicturefile.h"
#include "sym/shapes/sympictures.h"
#include "win/emf.h"
#include "win/image.h"
#include "win/wingdi.h"

namespace {

constexpr LONG kRowGap = 1500, kRowTitleH = 2100, kTitleGap = 300;
constexpr LONG kCellW = 10800, kCellH = 5400, kGapX = 1800, kCaptionH = 1200;

std::vector<BYTE> BandsPng() {
  KvImage img;
  img.width = 96;
  img.height = 48;
  img.px.resize(static_cast<std::size_t>(img.width * img.height));
  const std::uint32_t bands[] = {0xFF1F77B4u, 0xFFFF7F0Eu, 0xFF2CA02Cu, 0xFFD62728u};
  for (int y = 0; y < img.height; ++y)
    for (int x = 0; x < img.width; ++x)
      img.px[static_cast<std::size_t>(y * img.width + x)] = (x / 8 + y / 8) % 2 ? bands[x / 24] : 0xFFF4F4F4u;
  std::vector<std::uint8_t> out;
  KvWritePng(img, out);
  return out;
}

// An icon file of one 32 x 32 image with transparent corners: a target.
std::vector<BYTE> TargetIco() {
  KvImage img;
  img.width = img.height = 32;
  img.hasAlpha = true;
  img.px.resize(32 * 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const int dx = 2 * x - 31, dy = 2 * y - 31, d2 = dx * dx + dy * dy;
      std::uint32_t c = 0;
      if (d2 <= 31 * 31) c = 0xFFC0392Bu;
      if (d2 <= 22 * 22) c = 0xFFFFFFFFu;
      if (d2 <= 13 * 13) c = 0xFFC0392Bu;
      img.px[static_cast<std::size_t>(y * 32 + x)] = c;
    }
  std::vector<std::uint8_t> png;
  KvWritePng(img, png);
  // The 22-byte header and directory entry, then the PNG image itself.
  std::vector<BYTE> ico(22 + png.size(), 0);
  ico[2] = 1;   // icon
  ico[4] = 1;   // one image
  ico[6] = 32;
  ico[7] = 32;
  ico[10] = 1;
  ico[12] = 32;
  const DWORD len = static_cast<DWORD>(png.size()), off = 22;
  std::memcpy(&ico[14], &len, 4);
  std::memcpy(&ico[18], &off, 4);
  std::copy(png.begin(), png.end(), ico.begin() + 22);
  return ico;
}

// A small bar chart with an axis, recorded as an enhanced metafile.
HENHMETAFILE ChartMetafile() {
  HDC rec = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  HPEN axis = CreatePen(PS_SOLID, 2, RGB(0x30, 0x30, 0x30));
  HGDIOBJ oldPen = SelectObject(rec, axis);
  const int heights[] = {30, 55, 42, 70, 50};
  const COLORREF colours[] = {RGB(0x1F, 0x77, 0xB4), RGB(0x2C, 0xA0, 0x2C), RGB(0xFF, 0x7F, 0x0E),
                              RGB(0xD6, 0x27, 0x28), RGB(0x94, 0x67, 0xBD)};
  for (int i = 0; i < 5; ++i) {
    HBRUSH b = CreateSolidBrush(colours[i]);
    HGDIOBJ old = SelectObject(rec, b);
    Rectangle(rec, 12 + i * 22, 85 - heights[i], 30 + i * 22, 85);
    SelectObject(rec, old);
    DeleteObject(b);
  }
  MoveToEx(rec, 6, 4, nullptr);
  LineTo(rec, 6, 86);
  LineTo(rec, 124, 86);
  HBRUSH dot = CreateSolidBrush(RGB(0x30, 0x30, 0x30));
  HGDIOBJ oldBrush = SelectObject(rec, dot);
  Ellipse(rec, 100, 8, 118, 26);
  SelectObject(rec, oldBrush);
  SelectObject(rec, oldPen);
  DeleteObject(dot);
  DeleteObject(axis);
  return CloseEnhMetaFile(rec);
}

void Caption(SHostDiagram& diagram, const SSymRect& r, const char16_t* text, const SSymFont& font, LONG style) {
  diagram.AddCaption(r, SString(text), font, style);
}

}  // namespace

SPictureInfo* SHostAddPictureFile(SHostDiagram& diagram, int type, const char* name, const std::vector<BYTE>& content) {
  void* p = nullptr;
  if (FAILED(diagram.Session()->CreateObject(CLSID_SSymPictureFile, IID_ISSymPictureFile, &p)) || !p) return nullptr;
  auto* file = static_cast<ISSymPictureFile*>(p);
  file->SetName(SString(name));
  file->SetPictureType(type);
  SPictureInfo* picture = file->SetContent(SBlob(content)) == S_OK ? file->GetPicture() : nullptr;
  file->Release();  // the session keeps the object
  return picture;
}

std::vector<ISSymbol*> SBuildPictureRow(SHostDiagram& diagram) {
  std::vector<ISSymbol*> made;
  const LONG top0 = diagram.GetExtent(0).y2 - kRowGap;
  Caption(diagram, SSymRect(0, top0, 8 * kCellW, top0 - kRowTitleH), u"Pictures: bitmap, icon and metafile symbols",
          SSymFont(SString(u"Arial"), 11, SSymFont::Bold), 0x120);
  const LONG top = top0 - kRowTitleH - kTitleGap;
  auto cell = [&](int col) {
    const LONG x = col * (kCellW + kGapX);
    return SSymRect(x, top, x + kCellW, top - kCellH);
  };
  auto caption = [&](int col, const char16_t* text) {
    const SSymRect r = cell(col);
    Caption(diagram, SSymRect(r.x1, r.y2 - 150, r.x2, r.y2 - 150 - kCaptionH), text,
            SSymFont(SString(u"Arial"), 8), 0x1022);
  };

  const SPictureInfo* pictures[] = {SHostAddPictureFile(diagram, SPictureInfo::ptBitmap, "bands", BandsPng()),
                                    SHostAddPictureFile(diagram, SPictureInfo::ptIcon, "target", TargetIco())};
  const char16_t* captions[] = {u"Bitmap (PNG picture file)", u"Icon (icon picture file)"};
  for (int i = 0; i < 2; ++i) {
    ISSymbol* sym = diagram.AddSymbol(CLSID_SSymBitmap, cell(i));
    auto* bitmap = sym ? dynamic_cast<SSymBitmap*>(SSymBase::FromInterface(sym)) : nullptr;
    if (!bitmap || !pictures[i]) continue;
    bitmap->SetBackgroundPictureID(pictures[i]->GetID());
    made.push_back(sym);
    caption(i, captions[i]);
  }
  if (ISSymbol* sym = diagram.AddSymbol(CLSID_SSymMetafile, cell(2))) {
    // The metafile goes in as the symbol's blob, the form the model stores.
    SMetaFile chart(ChartMetafile());
    SSymMetafile holder(&chart, SSymRect(0, 1, 1, 0));
    const SBlob blob = holder.GetBlobData();
    if (auto* mf = dynamic_cast<SSymMetafile*>(SSymBase::FromInterface(sym)); mf && mf->SetBlobData(blob) == S_OK) {
      made.push_back(sym);
      caption(2, u"Metafile (its own EMF)");
    }
  }
  return made;
}
