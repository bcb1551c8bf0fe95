// Shared helpers of the tests that write files (SVG documents, exports):
// temporary folders and the outside readers (by inclusion), DOM walking and
// small pictures.
#pragma once

#include <string>
#include <vector>

#include "kvcore/spicture.h"
#include "kvxml/dom.h"
#include "support/outside_readers.h"
#include "support/temp_files.h"
#include "win/gdiplus.h"

namespace kvtest {

namespace fs = std::filesystem;

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

}  // namespace kvtest
