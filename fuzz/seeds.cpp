// Writes the seed inputs of the blob, RTF, registry, metamodel and
// repository-stream fuzz targets from the library's own writers:
//   fuzz_seeds <folder>     (one sub-folder a target, as under fuzz/corpus)
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/fuzzbox.h"
#include "kvcore/sstream.h"
#include "kvrep/srepstream.h"
#include "sym/foundation/symmetadata.h"
#include "sym/foundation/symstream.h"
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

void Rtf() {
  Put("rtf", "plain", std::string("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Hello \\b world\\b0\\par Next}"));
  Put("rtf", "tables",
      std::string("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\cf1\\i red\\i0\\tab\\u8364?\\'e9 "
                  "{\\*\\ignored x}{\\pict\\pngblip 89504e47}\\line\\ul under\\ulnone\\strike s\\cell\\row}"));
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
}  // namespace

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
  return 0;
}
