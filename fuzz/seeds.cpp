// Writes the seed inputs of the blob, RTF, registry, metamodel,
// repository-stream, picture, OLE, point-list blob, row filter, show
// collection and display preference fuzz targets from the library's own writers:
//   fuzz_seeds <folder>     (one sub-folder a target, as under fuzz/corpus)
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/fuzzbox.h"
#include "kvcore/sstream.h"
#include "kvrep/srepextras.h"
#include "kvrep/srepgrid.h"
#include "kvrep/srepstream.h"
#include "sym/diagram/symdisppref.h"
#include "sym/diagram/symprefshowcoll.h"
#include "sym/foundation/symmetadata.h"
#include "sym/foundation/symstream.h"
#include "kvcore/spicture.h"
#include "win/emf.h"
#include "win/image.h"
#include "win/winole.h"
#include "win/winreg.h"

namespace fs = std::filesystem;

namespace {
fs::path g_root;

void Put(const char* target, const char* name, const void* data, std::size_t size) {
  const fs::path dir = g_root / target;
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary).write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}
void Put(const char* target, const char* name, const std::string& text) { Put(target, name, text.data(), text.size()); }
void Put(const char* target, const char* name, const std::vector<BYTE>& bytes) {
  Put(target, name, bytes.data(), bytes.size());
}

void Blobs() {
  {  // standard: pen and two colours
    SOutputGlobal g;
    SSymOutputStream out(g);
    out << SSymPen(2, 150, SSymColor(0x00FF00)) << LONG(0x111111) << LONG(0x222222);
    Put("blob", "std", g.GetBytes());
  }
  {  // solid: a gradient brush first
    SOutputGlobal g;
    SSymOutputStream out(g);
    out << SSymBrush(6, 0, SSymColor(0x0000FF)) << SSymPen(1, 75, SSymColor(0x123456)) << LONG(0x808080)
        << LONG(0x404040);
    Put("blob", "solid", g.GetBytes());
  }
  {  // text: font, colour, style, text, then the solid part
    SOutputGlobal g;
    SSymOutputStream out(g);
    out << SString(u"Courier New,10,B") << LONG(0x0000FF) << LONG(0x25) << SString(u"Old text");
    out << SSymBrush(SSymColor(0x00FF00)) << SSymPen(1, 75, SSymColor(0x123456)) << LONG(0x808080) << LONG(0x404040);
    Put("blob", "text", g.GetBytes());
  }
  {  // free text: the font's text form alone
    SOutputGlobal g;
    SSymOutputStream out(g);
    out << SString(u"Times New Roman,12,BI");
    Put("blob", "font", g.GetBytes());
  }
}

// Each text once for each way through the layout (its last byte picks it).
void Rtf() {
  const std::pair<const char*, std::string> texts[] = {
      {"plain", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Hello \\b world\\b0\\par Next}"},
      {"tables", "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1\\i red\\i0\\tab\\u8364?\\'e9 "
                 "{\\*\\ignored x}{\\pict\\pngblip 89504e47}\\line\\ul under\\ulnone\\strike s\\cell\\row}"}};
  for (const auto& [name, text] : texts)
    for (char way = 0; way < 5; ++way)
      Put("rtf", (std::string(name) + "-" + std::to_string(way)).c_str(), text + std::string(1, way));
}

void Registry() {
  KvRegReset();
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Kv\\Sym", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  const DWORD word = 42;
  RegSetValueExW(key, u"Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&word), sizeof word);
  const char16_t text[] = u"a \"quoted\" text";
  RegSetValueExW(key, u"Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
  const BYTE bin[] = {1, 2, 0xFE};
  RegSetValueExW(key, u"Bytes", 0, REG_BINARY, bin, sizeof bin);
  RegCloseKey(key);
  const fs::path file = g_root / "registry" / "values";
  fs::create_directories(file.parent_path());
  KvRegSaveFile(file.string());
  KvRegReset();
}

void Metamodel() {
  const SResourceBytes meta = SSymGetMetadata();
  if (meta) Put("metamodel", "library", meta.data, meta.size);
}

void Repository() {
  RegisterFuzzBox();
  auto* session = new SRepSession();
  session->AddRef();
  std::vector<ISRepObject*> objects;
  for (int i = 0; i < 2; ++i) {
    ISRepObject* obj = nullptr;
    if (FAILED(FuzzBox::Create(&obj, session, nullptr))) continue;
    auto* box = static_cast<FuzzBox*>(SRepObject::FromInterface(obj));
    box->SetText(SString(i ? u"second" : u"first box"), 0);
    box->SetFontColor(SSymColor(0x0000FF), 0);
    objects.push_back(obj);
  }
  SOutputGlobal out;
  SRepStreamManager().Save(out, objects);
  Put("repstream", "two_boxes", out.GetBytes());
  for (ISRepObject* o : objects) o->Release();
  session->Release();
}
// Picture content: the first byte picks the reader (0-5 a picture file of
// that type, 6 the bitmap symbol's old blob, 7 the metafile symbol's blob).
void Pictures() {
  auto put = [](const char* name, int mode, const std::vector<BYTE>& bytes) {
    std::vector<BYTE> seed(1, static_cast<BYTE>(mode));
    seed.insert(seed.end(), bytes.begin(), bytes.end());
    Put("picture", name, seed);
  };
  KvImage img;
  img.width = 6;
  img.height = 4;
  img.hasAlpha = true;
  img.px.assign(24, 0xFF2040C0u);
  img.px[0] = 0;
  std::vector<std::uint8_t> png, bmp;
  KvWritePng(img, png);
  KvWriteBmp(img, bmp);
  put("png", 3, png);
  put("bmp", 3, bmp);
  put("old_blob", 6, bmp);
  // An icon and a cursor file whose one image is the PNG.
  for (int cursor = 0; cursor < 2; ++cursor) {
    std::vector<BYTE> ico(22, 0);
    ico[2] = static_cast<BYTE>(cursor ? 2 : 1);
    ico[4] = 1;
    ico[6] = 6;
    ico[7] = 4;
    ico[10] = 1;
    ico[12] = static_cast<BYTE>(cursor ? 2 : 32);
    const DWORD len = static_cast<DWORD>(png.size()), off = 22;
    std::memcpy(&ico[14], &len, 4);
    std::memcpy(&ico[18], &off, 4);
    ico.insert(ico.end(), png.begin(), png.end());
    put(cursor ? "cur" : "ico", cursor ? 5 : 4, ico);
  }
  {  // the serialized image form of an icon
    SImageData data;
    data.flags = 1;
    data.image = img;
    SOutputGlobal g;
    SOutputBinaryStream out(g);
    out << data;
    put("icon_form", 4, g.GetBytes());
  }
  HDC rec = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  Rectangle(rec, 0, 0, 60, 40);
  SMetaFile mf(CloseEnhMetaFile(rec));
  put("emf", 2, mf.GetBlob().GetBytes());
  SOutputGlobal g;
  SOutputBinaryStream out(g);
  out << mf;
  put("metafile_form", 2, g.GetBytes());
  put("metafile_blob", 7, g.GetBytes());
  HDC wrec = CreateMetaFileW(nullptr);
  for (int i = 0; i < 8; ++i) Rectangle(wrec, i * 8, 0, i * 8 + 6, 40);
  HMETAFILE wmf = CloseMetaFile(wrec);
  std::vector<BYTE> wbytes(GetMetaFileBitsEx(wmf, 0, nullptr));
  GetMetaFileBitsEx(wmf, static_cast<UINT>(wbytes.size()), wbytes.data());
  DeleteMetaFile(wmf);
  put("wmf", 2, wbytes);
}
void Ole() {
  // A storage image with a stored picture and one without, and the blobs
  // around them (the target's odd first byte wraps a bare image).
  for (bool picture : {true, false}) {
    ILockBytes* bytes = nullptr;
    IStorage* storage = nullptr;
    CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes);
    StgCreateDocfileOnILockBytes(bytes, STGM_READWRITE | STGM_CREATE, 0, &storage);
    WriteClassStg(storage, MakeGUID("{5A1E0201-0000-4000-8000-0000000000CC}"));
    WriteFmtUserTypeStg(storage, CF_ENHMETAFILE, u"Drawing");
    if (picture) {
      const RECT frame{0, 0, 1270, 1270};
      HDC rec = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
      Rectangle(rec, 2, 2, 40, 30);
      STGMEDIUM medium{TYMED_ENHMF, {CloseEnhMetaFile(rec)}, nullptr};
      FORMATETC fmt{CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF};
      IOleCache* cache = nullptr;
      CreateDataCache(nullptr, CLSID_NULL, IID_IOleCache, reinterpret_cast<void**>(&cache));
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
    std::vector<BYTE> image(static_cast<std::size_t>(st.cbSize));
    bytes->ReadAt(0, image.data(), static_cast<ULONG>(image.size()), nullptr);
    storage->Release();
    bytes->Release();
    std::vector<BYTE> wrapped{1};
    wrapped.insert(wrapped.end(), image.begin(), image.end());
    std::vector<BYTE> blob{0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    for (int i = 0; i < 4; ++i) blob.push_back(static_cast<BYTE>(image.size() >> (8 * i)));
    blob.insert(blob.end(), image.begin(), image.end());
    Put("ole", picture ? "image_picture" : "image_bare", wrapped);
    Put("ole", picture ? "blob_picture" : "blob_bare", blob);
  }
  Put("ole", "blob_empty", std::vector<BYTE>{0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0});
}
}  // namespace

// The font stream of a text compartment: one string, the font's text form.
void SubsFonts() {
  const char* faces[] = {"Arial", "Times New Roman"};
  LONG styles[] = {SSymFont::Bold, SSymFont::Italic | SSymFont::Underline};
  for (int i = 0; i < 2; ++i) {
    SSymFont f(SString(faces[i]), 8 + 4 * i);
    f.m_style = styles[i];
    SOutputGlobal g;
    SSymOutputStream out(g);
    out << f;
    Put("subsfont", i ? "times" : "arial", g.GetBytes());
  }
}

// The font cells of the format dialog and the grid window: font texts.
void FontTexts() {
  const char* texts[] = {"Arial,10,BIU,0,0,255", "Times New Roman,8,N,255,128,0"};
  for (int i = 0; i < 2; ++i) Put("fonttext", i ? "times" : "arial", std::string(texts[i]));
}

// The content texts of object symbols: lines of show keys with limits,
// filters and selections.
void ContentTexts() {
  Put("objcontent", "lines",
      std::string("Attributes 1 20 \"All Items\" Filter-11111111-2222-3333-4444-000000000001 Code \"_Ext\" "
                  "{0A1B2C3D-0000-4000-8000-00000000E001}\r\nOperations 0\r\n\"Two Words\" 1 0 \"\" \"\" <No Attr>"));
  Put("objcontent", "value", std::string("say \\\"hi\\\" there"));
}

// The point-list symbols' older blobs (the library reads them and writes
// none): a polyline's pen and colours, a polygon's brush first.
void PolyBlobs() {
  {
    SOutputGlobal g;
    SSymOutputStream out(g);
    out << SSymPen(SSymPen::Solid, 30, SSymColor(0x2F5597)) << LONG(0x111111) << LONG(0x222222);
    Put("polyblob", "polyline", g.GetBytes());
  }
  {
    SOutputGlobal g;
    SSymOutputStream out(g);
    out << SSymBrush(2, 3, SSymColor(0x00FF00)) << SSymPen(1, 75, SSymColor(0x123456)) << LONG(0x808080)
        << LONG(0x404040);
    Put("polyblob", "polygon", g.GetBytes());
  }
}

// The row filters of the grids ("<attribute>=<pattern>;..."), a line end,
// then the text of the object matched.
void RowFilters() {
  SString filter;
  SRepRowFilter entries{{0x101, SString(u"Ord*")}, {0x102, SString(u"?ame*x")}};
  for (const SRepRowFilterEntry& e : entries)
    filter += SString::FromUtf8(std::to_string(e.m_nAttr)) + u"=" + e.m_sPattern + u";";
  Put("rowfilter", "two", filter.ToUtf8() + "\nOrder lines");
  Put("rowfilter", "hex_ids", std::string("0x10 = *a*b*c* ; 0=ignored; x=y\nabcabc"));
}

// A collection's show preferences as the library writes them: the
// attribute lines, the filter lines, the active filter and a selection,
// separated by the byte 0x01 (after a first byte that picks the
// collection).
void ShowCollections() {
  SRepExaIntf& exa = SRepExaIntf::Instance();
  exa.Clear();
  exa.AddClassAttr(0x02010100, 0x101, SString(u"Code"), SString(u"Code"));
  exa.AddClassAttr(0x02010100, 0x102, SString(u"Name"), SString(u"Name"));
  exa.AddClassAttr(0x02010100, 0x104, SString(u"Comment"), SString(u"Comment"));
  SPrefShowColl coll(0x02010100);
  coll.AddAttribute(0x101, 0, 1, SString(), -1);
  coll.AddAttribute(0x102, 1, 0, SString(u"The \"name\""), -1);
  coll.AddAttribute(0x104, 1, 0, SString(), 0);
  coll.AddFilter(SString(u"All"), SString(), SString(u"Filter-A"));
  coll.AddFilter(SString(u"Open items"), SString(u"Status=open *"), SString(u"Filter-B"));
  coll.m_filterRef = SPrefShowColl::FormatValue(SString(u"Open items")) + u" Filter-B";
  const std::string text = std::string(1, '\0') + coll.m_attrList.ToUtf8() + "\x01" + coll.m_filterList.ToUtf8() + "\x01" +
                           coll.m_filterRef.ToUtf8() + "\x01" + coll.GetSelAttrList(nullptr).ToUtf8();
  Put("showcoll", "attributes_filters", text);
  exa.Clear();
}

// Display preferences in the registry, as the preferences write them (and
// the older layout's keys), then the diagram's saved preference text.
void DisplayPreferences() {
  SSymDispPref prefs;
  prefs.Initialize();
  prefs.InitBuffers();
  std::string lines = "0SwimlaneVert=No\n0Grid size=300\n0Window color=255 255 224\n1Word Text=.,;\n"
                      "2TreeVert=yes\n3Show Icon=1\n4Graphic unit=3\n5Background mode=\x08\x7f\n--\n";
  Put("dispprefs", "registry_and_text", lines + prefs.GetOptsText().ToUtf8());
  Put("dispprefs", "bad_values", std::string("0SwimlaneVert=sideways\n0Grid size=-99999999999\n4CompDark=-1\n"
                                             "1Trunc Length=4294967295\n0Window color=#zz\n"));
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds <folder>\n");
    return 2;
  }
  g_root = argv[1];
  Blobs();
  Rtf();
  Registry();
  Metamodel();
  Repository();
  Pictures();
  Ole();
  SubsFonts();
  FontTexts();
  ContentTexts();
  PolyBlobs();
  RowFilters();
  ShowCollections();
  DisplayPreferences();
  return 0;
}
