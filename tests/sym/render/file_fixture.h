// Shared helpers of the tests that write files (SVG documents, exports): a
// temporary folder, file reading, tool detection, DOM walking and small
// pictures.
#pragma once

#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "kvcore/spicture.h"
#include "kvxml/dom.h"
#include "win/gdiplus.h"

namespace rendertest {

namespace fs = std::filesystem;

inline const char kSvgDtd[] = "/usr/share/xml/w3c-sgml-lib/schema/dtd/REC-SVG11-20110816/svg11.dtd";

inline bool HaveTool(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

inline std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A fresh folder under /tmp named after `prefix`, removed with its content.
struct TempDir {
  fs::path path;
  explicit TempDir(const char* prefix = "render_test") {
    std::string tmpl = std::string("/tmp/") + prefix + "_XXXXXX";
    path = ::mkdtemp(tmpl.data());
  }
  ~TempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  SString Name(const char* name) const { return SString((path / name).string()); }
  // The files of the folder, sorted.
  std::vector<std::string> Files() const {
    std::vector<std::string> v;
    for (const auto& e : fs::directory_iterator(path)) v.push_back(e.path().filename().string());
    std::sort(v.begin(), v.end());
    return v;
  }
};

// Every element of a name (any element for an empty name) below a node, in
// document order.
inline void Collect(const DOM_Node& n, const SString& name, std::vector<DOM_Element>& out) {
  for (DOM_Node c = n.getFirstChild(); !c.isNull(); c = c.getNextSibling()) {
    if (c.getNodeType() != DOM_Node::ELEMENT_NODE) continue;
    DOM_Element e(c);
    if (name.IsEmpty() || e.getTagName().str() == name) out.push_back(e);
    Collect(c, name, out);
  }
}

inline std::string Attr(const DOM_Element& e, const char* name) { return e.getAttribute(name).str().ToUtf8(); }

// A picture record of a small bitmap, owned by the picture manager.
inline SPictureInfo* SmallPicture(int w, int h, DWORD argb) {
  auto* bm = new Gdiplus::Bitmap(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bm->SetPixel(x, y, Gdiplus::Color(argb));
  return SPictureManager().AddBitmap(bm, SString(), 0, SString("pic"), SBlob());
}

}  // namespace rendertest
