#include "sym/render/ssvg.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

#include "kvcore/sdrawbackground.h"
#include "kvcore/sstream.h"
#include "win/imageicon.h"
#include "win/wingdi.h"

namespace {

const char kSvgNamespace[] = "http://www.w3.org/2000/svg";
const char kXLinkNamespace[] = "http://www.w3.org/1999/xlink";
const char kSvgPublicId[] = "-//W3C//DTD SVG 1.1//EN";
const char kSvgSystemId[] = "http://www.w3.org/Graphics/SVG/1.1/DTD/svg11.dtd";

SString I(long long v) { return SString::FromInt(v); }
int Half(int v) { return v >> 1; }  // toward minus infinity

SString Color(DWORD c) {
  return SString::Format("#%02x%02x%02x", static_cast<unsigned>(c & 0xFF), static_cast<unsigned>((c >> 8) & 0xFF),
                         static_cast<unsigned>((c >> 16) & 0xFF));
}

SString PointList(const POINT* p, int n) {
  SString s;
  for (int i = 0; i < n; ++i) {
    if (i) s += u' ';
    s += SString::Format("%d,%d", static_cast<int>(p[i].x), static_cast<int>(p[i].y));
  }
  return s;
}

RECT Shrunk(const RECT& r) { return RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}; }

int Sign(LONG v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

// Shapes whose edges all run along the pixel grid are drawn with crisp
// edges: a one-pixel stroke on whole coordinates then covers one row of
// pixels, as on the device context, where a smoothing viewer would spread
// it grey over two.
bool AlongGrid(const POINT* p, int n, bool closed) {
  for (int i = 0; i + 1 < n + (closed ? 1 : 0); ++i) {
    const POINT a = p[i], b = p[(i + 1) % n];
    if (a.x != b.x && a.y != b.y) return false;
  }
  return n > 0;
}
void Crisp(DOM_Element& e) { e.setAttribute("shape-rendering", "crispEdges"); }

bool HasInk(const SString& s) {
  for (char16_t c : s.str())
    if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n') return true;
  return false;
}

// Words and separators (blank, tab), each separator a token of its own.
std::vector<SString> Tokens(const SString& line) {
  std::vector<SString> out;
  std::u16string cur;
  for (char16_t c : line.str()) {
    if (c == u' ' || c == u'\t') {
      if (!cur.empty()) out.emplace_back(cur);
      cur.clear();
      out.emplace_back(std::u16string(1, c));
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) out.emplace_back(cur);
  return out;
}

// A link text: the characters that would end or break a relative URL
// reference are escaped.
SString UrlEscaped(const SString& s) {
  SString out;
  for (char16_t c : s.str()) {
    if (c == u' ' || c == u'%' || c == u'#' || c == u'?' || c == u'"' || c == u'<' || c == u'>')
      out += SString::Format("%%%02X", static_cast<unsigned>(c));
    else
      out += c;
  }
  return out;
}

// A measure computed in 64 bits, held within the integer range.
int ClampToInt(long long v) { return static_cast<int>(std::clamp<long long>(v, -2147483647LL, 2147483647LL)); }

void MakeFolderFor(const SString& file) {
  std::error_code ec;
  const std::filesystem::path p(KvNativePath(file));
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
}

}  // namespace

bool SSVGDomDocument::GuidLess::operator()(const GUID& a, const GUID& b) const {
  return std::memcmp(&a, &b, sizeof(GUID)) < 0;
}

SSVGDomDocument::SSVGDomDocument() {
  m_font.m_faceName = SString("Arial");
  SetDOMDocument(&m_document);
}

SSVGDomDocument::~SSVGDomDocument() { Clear(); }

// ---- document and elements ----------------------------------------------------------

int SSVGDomDocument::CreateDocument(const SIZE& sizeMm, const RECT& box) {
  return CreateRoot(I(sizeMm.cx) + "mm", I(sizeMm.cy) + "mm", box);
}

int SSVGDomDocument::CreateDocument(const RECT& box) {
  // Three quarters of a point a pixel: the size is exact (at most two
  // decimals), so a viewer at 96 pixels an inch shows the box one to one and
  // a one-pixel line stays one pixel wide instead of being resampled away.
  const auto points = [](LONG pixels) {
    const long long hundredths = static_cast<long long>(std::max<LONG>(0, pixels)) * 75;
    SString s = I(hundredths / 100);
    if (const long long rest = hundredths % 100; rest != 0)
      s += rest % 10 == 0 ? SString::Format(".%d", static_cast<int>(rest / 10))
                          : SString::Format(".%02d", static_cast<int>(rest));
    return s + "pt";
  };
  return CreateRoot(points(box.right - box.left), points(box.bottom - box.top), box);
}

int SSVGDomDocument::CreateRoot(const SString& width, const SString& height, const RECT& box) {
  try {
    DOM_DOMImplementation& impl = DOM_DOMImplementation::getImplementation();
    DOM_DocumentType type = impl.createDocumentType("svg", kSvgPublicId, kSvgSystemId);
    m_document = impl.createDocument(kSvgNamespace, "svg", type);
    SetDOMDocument(&m_document);
    m_currentElement = DOM_Element();
    m_hasCurrentElement = 0;
    DOM_XMLDecl decl = m_document.createXMLDecl("1.0", "UTF-8", "no");
    m_document.insertBefore(decl, m_document.getDoctype());
    DOM_Element root = m_document.getDocumentElement();
    root.setAttribute("width", width);
    root.setAttribute("height", height);
    root.setAttribute("viewBox", SString("0 0 ") + I(box.right - box.left) + " " + I(box.bottom - box.top));
    root.setAttribute("xmlns", kSvgNamespace);
    root.setAttribute("version", "1.1");
    root.setAttribute("xmlns:xlink", kXLinkNamespace);
    return 1;
  } catch (const SException&) {
    return 0;
  }
}

DOM_Element SSVGDomDocument::GetSvgElement() const {
  return m_document.isNull() ? DOM_Element() : m_document.getDocumentElement();
}

DOM_Element SSVGDomDocument::GetCurrentElement() const {
  return m_hasCurrentElement && !m_currentElement.isNull() ? m_currentElement : GetSvgElement();
}

DOM_Element SSVGDomDocument::CreateElement(const SString& name) const {
  return m_document.isNull() ? DOM_Element() : m_document.createElement(name);
}

void SSVGDomDocument::Append(const DOM_Element& element) {
  DOM_Element parent = GetCurrentElement();
  if (!parent.isNull() && !element.isNull()) parent.appendChild(element);
}

DOM_Element SSVGDomDocument::CreateGraphicElement(const SString& id, int append, int toRoot, int makeCurrent) {
  DOM_Element g = CreateElement("g");
  if (g.isNull()) return g;
  if (!id.IsEmpty()) g.setAttribute("id", id);
  Settle(g, append, toRoot, makeCurrent);
  return g;
}

DOM_Element SSVGDomDocument::CreateLinkElement(const SString& href, int append, int toRoot, int makeCurrent,
                                               int self) {
  DOM_Element a = CreateElement("a");
  if (a.isNull()) return a;
  a.setAttribute("xlink:href", href);
  a.setAttribute("target", self ? "_self" : "_parent");
  Settle(a, append, toRoot, makeCurrent);
  return a;
}

void SSVGDomDocument::Settle(const DOM_Element& e, int append, int toRoot, int makeCurrent) {
  if (append) {
    DOM_Element parent = toRoot ? GetSvgElement() : GetCurrentElement();
    parent.appendChild(e);
  }
  if (makeCurrent) {
    m_currentElement = e;
    m_hasCurrentElement = 1;
  }
}

void SSVGDomDocument::SetCoordinate(DOM_Element& e, const RECT& rc) const {
  e.setAttribute("x", I(rc.left));
  e.setAttribute("y", I(rc.top));
  // A box shrunk past nothing (the clip of a 1-pixel shape) is empty, never
  // negative: a negative size is an error that ends the rendering of an SVG.
  e.setAttribute("width", I(std::max<LONG>(0, rc.right - rc.left)));
  e.setAttribute("height", I(std::max<LONG>(0, rc.bottom - rc.top)));
}

int SSVGDomDocument::SaveDocument(const SString& path, int options) {
  if (m_document.isNull()) return 0;
  SetDOMDocument(&m_document);
  const BOOL written = Write(path, SOutputStringStream::EncodingUtf8, options);
  return written && !m_pictureFailed ? 1 : 0;
}

void SSVGDomDocument::Clear() {
  m_drawingPath = 0;
  m_hasCurrentElement = 0;
  m_useFillEffect = 0;
  m_gradientCounter = 0;
  m_bitmapCounter = 0;
  m_clippingCounter = 0;
  m_hatchCounter = 0;
  m_pictureMap.clear();
  m_metafileMap.clear();
  m_iconIdMap.clear();
  m_inPictureFill = 0;
  m_pictureFailed = false;
}

void SSVGDomDocument::TakeOver(SSVGDomDocument& source) {
  if (&source == this) return;
  m_document = source.m_document;
  m_hasCurrentElement = source.m_hasCurrentElement;
  m_currentElement = source.m_currentElement;
  m_pen = source.m_pen;
  m_brush = source.m_brush;
  m_font = source.m_font;
  // The measuring font belongs to the canvas that drew the source and may
  // go with it: the target measures with its font record instead.
  m_pMeasureFont = nullptr;
  m_textColor = source.m_textColor;
  m_drawingPath = source.m_drawingPath;
  m_pathData = source.m_pathData;
  m_useFillEffect = source.m_useFillEffect;
  m_gradientCounter = source.m_gradientCounter;
  m_bitmapCounter = source.m_bitmapCounter;
  m_clippingCounter = source.m_clippingCounter;
  m_hatchCounter = source.m_hatchCounter;
  m_hatchOrigin = source.m_hatchOrigin;
  m_textBackColor = source.m_textBackColor;
  m_filePath = source.m_filePath;
  m_pictureFolder = source.m_pictureFolder;
  m_pictureMap = source.m_pictureMap;
  m_metafileMap = source.m_metafileMap;
  m_iconIdMap = source.m_iconIdMap;
  m_pictureFailed = source.m_pictureFailed;
  SetDOMDocument(&m_document);
  source.Clear();
}

// ---- attributes of the drawing state ------------------------------------------------

void SSVGDomDocument::SetPen(DOM_Element& e) const {
  if (m_pen.m_style == SSymPen::NoLine) {
    e.setAttribute("stroke", "none");
    e.setAttribute("stroke-width", "0");
    return;
  }
  e.setAttribute("stroke", Color(m_pen.m_color.GetColor()));
  // As wide as the device context draws it at 96 pixels an inch: one
  // pixel for every 75 diagram units, rounded, never below one pixel.
  const LONG w = ClampToInt((static_cast<long long>(m_pen.m_width) + 37) / 75);
  e.setAttribute("stroke-width", I(std::max<LONG>(1, w)));
  const char* dash = nullptr;
  switch (m_pen.m_style) {
    case 2: dash = "16,8"; break;
    case 3: dash = "3,3"; break;
    case 4: dash = "8,4,2,4"; break;
    case 5: dash = "8,4,2,4,2,4"; break;
    case 6: dash = "1,1"; break;
    default: break;
  }
  if (dash) e.setAttribute("stroke-dasharray", dash);
}

void SSVGDomDocument::SetBrush(DOM_Element& e) const {
  if (m_brush.m_style == SSymBrush::Hollow)
    e.setAttribute("fill", "none");
  else if (UseHatch() && m_hatchCounter > 0)
    e.setAttribute("fill", SString("url(#") + GetHatchID() + ")");
  else if (GetUseGradient())
    e.setAttribute("fill", SString("url(#") + GetGradientID() + ")");
  else
    e.setAttribute("fill", Color(m_brush.m_color.GetColor()));
}

int SSVGDomDocument::GetUseGradient() const {
  if (!m_useFillEffect) return 0;
  SDrawBackground bg(nullptr, 12, 0);
  m_brush.GetBackgroundInfo(bg);
  return bg.UseGradient() ? 1 : 0;
}

int SSVGDomDocument::GetUseBackgroundImage() const {
  if (!m_useFillEffect) return 0;
  SDrawBackground bg(nullptr, 12, 0);
  m_brush.GetBackgroundInfo(bg);
  return bg.UsePicture() ? 1 : 0;
}

SString SSVGDomDocument::GetGradientID() const { return SString::Format("Gradient%d", m_gradientCounter); }
SString SSVGDomDocument::GetClippingID() const { return SString::Format("Clipping%d", m_clippingCounter); }

void SSVGDomDocument::SetClippingID(DOM_Element& e) const {
  // Only the pictures of a picture fill are cut to the shape they fill.
  if (m_inPictureFill && m_clippingCounter > 0 && GetUseBackgroundImage())
    e.setAttribute("clip-path", SString("url(#") + GetClippingID() + ")");
}

int SSVGDomDocument::GetFontHeight() const {
  int h;
  LOGFONTW lf{};
  if (m_pMeasureFont && m_pMeasureFont->GetLogFont(&lf)) {
    SScreenDC dc;
    int dpi = dc.GetDeviceCaps(LOGPIXELSY);
    if (dpi <= 0) dpi = 96;
    h = ClampToInt(std::llabs(static_cast<long long>(lf.lfHeight)) * 96 / dpi);
  } else {
    h = ClampToInt(static_cast<long long>(m_font.GetSize()) * 96 / 72);
  }
  // No line is taller than a whole drawing (about 24,000 pixels).
  return std::clamp(h, 1, 1 << 20);
}

int SSVGDomDocument::GetTextWidth(const SString& text) const {
  if (text.IsEmpty()) return 0;
  SScreenDC dc;
  if (!dc.IsValid()) return 0;
  SFont own;
  bool measured = m_pMeasureFont && m_pMeasureFont->GetSafeHandle();
  HGDIOBJ old;
  if (measured) {
    old = dc.SelectObject(m_pMeasureFont);
  } else {
    const LOGFONTW lf = m_font.GetLOGFONT();
    own.CreateFontIndirectW(&lf);
    old = dc.SelectObject(&own);
  }
  const DWORD ext = ::GetTabbedTextExtentW(dc, text.c_str(), text.GetLength(), 0, nullptr);
  if (old) dc.SelectObject(old);
  const LONG w = LOWORD(ext);
  if (measured) {
    int dpi = dc.GetDeviceCaps(LOGPIXELSX);
    if (dpi <= 0) dpi = 96;
    return static_cast<int>(w * 96 / dpi);
  }
  return static_cast<int>(w * 96 / 72);
}

void SSVGDomDocument::SetFont(DOM_Element& e) const {
  e.setAttribute("font-family", m_font.m_faceName);
  e.setAttribute("font-size", I(GetFontHeight()));
  const LONG style = m_font.m_style;
  if (style & SSymFont::Italic) e.setAttribute("font-style", "italic");
  if (style & SSymFont::Bold) e.setAttribute("font-weight", "bold");
  // Both lines when both are asked for.
  if ((style & SSymFont::Underline) && (style & SSymFont::StrikeOut))
    e.setAttribute("text-decoration", "underline line-through");
  else if (style & SSymFont::Underline)
    e.setAttribute("text-decoration", "underline");
  else if (style & SSymFont::StrikeOut)
    e.setAttribute("text-decoration", "line-through");
}

void SSVGDomDocument::SetTextColor(DOM_Element& e) const {
  if (m_textGradient && GetUseGradient() && m_gradientCounter > 0)
    e.setAttribute("fill", SString("url(#") + GetGradientID() + ")");
  else
    e.setAttribute("fill", Color(m_textColor.GetColor()));
}

void SSVGDomDocument::SetTextJustification(DOM_Element& e, const RECT& line, int flags) const {
  const int h = GetFontHeight();
  const int d = h / 5;
  LONG x, y;
  // A turned line is written in reading order at its reference point and
  // turned about it, so that it reads the right way round in every viewer
  // and a search finds its words. Along the line the anchor is the start
  // (left), the middle or the end (right) of the text.
  const LONG angle = m_font.m_angle;
  if (angle == 900 || angle == 2700) {
    // The column [left, left + h]: the baseline lies four fifths of a line
    // from the column's top edge, which is its left side for text reading
    // upward (900) and its right side for text reading downward (2700).
    x = angle == 900 ? line.left + h - d : line.left + d;
    const LONG start = angle == 900 ? line.bottom : line.top, end = angle == 900 ? line.top : line.bottom;
    if (flags & 2)
      y = Half(line.top + line.bottom);
    else if (flags & 4)
      y = end;
    else
      y = start;
  } else {
    if (flags & 2)
      x = Half(line.left + line.right);
    else if (flags & 4)
      x = line.right;
    else
      x = line.left;
    y = line.top - d + h;
  }
  e.setAttribute("x", I(x));
  e.setAttribute("y", I(y));
  if (flags & 2)
    e.setAttribute("text-anchor", "middle");
  else if (flags & 4)
    e.setAttribute("text-anchor", "end");
  if (angle % 3600 != 0) {
    // Counter-clockwise in tenths of a degree, as an SVG turn of at most a
    // half turn either way (clockwise positive, y growing downward).
    int degrees = -((angle / 10) % 360);
    if (degrees > 180) degrees -= 360;
    if (degrees <= -180) degrees += 360;
    e.setAttribute("transform", SString("rotate(") + I(degrees) + " " + I(x) + " " + I(y) + ")");
  }
}

DOM_Element SSVGDomDocument::TextBackground(const SString& line, const DOM_Element& text, int flags) const {
  // The box of the text's cell in the text's own frame: the advance of the
  // line along the baseline, one line high, turned with the text.
  const int h = GetFontHeight();
  const int d = h / 5;
  const LONG w = GetTextWidth(line);
  const LONG x = std::atol(text.getAttribute("x").str().ToUtf8().c_str());
  const LONG y = std::atol(text.getAttribute("y").str().ToUtf8().c_str());
  const LONG left = (flags & 2) ? x - w / 2 : (flags & 4) ? x - w : x;
  DOM_Element r = CreateElement("rect");
  SetCoordinate(r, RECT{left, y - h + d, left + w, y + d});
  r.setAttribute("fill", Color(m_textBackColor.GetColor()));
  r.setAttribute("stroke", "none");
  const SString turn = text.getAttribute("transform").str();
  if (!turn.IsEmpty()) r.setAttribute("transform", turn);
  return r;
}

// ---- shapes -----------------------------------------------------------------------------

void SSVGDomDocument::Line(POINT p1, POINT p2) {
  DOM_Element e = CreateElement("line");
  if (e.isNull()) return;
  e.setAttribute("x1", I(p1.x));
  e.setAttribute("y1", I(p1.y));
  e.setAttribute("x2", I(p2.x));
  e.setAttribute("y2", I(p2.y));
  SetPen(e);
  if (p1.x == p2.x || p1.y == p2.y) Crisp(e);
  Append(e);
}

void SSVGDomDocument::Arc(const RECT& box, POINT start, POINT end) {
  m_drawingPath = 1;
  m_pathData.Empty();
  PathArc(box, start, end);
  m_drawingPath = 0;
  StrokePath();
}

void SSVGDomDocument::Pie(const RECT& box, POINT start, POINT end, const RECT& fillBox) {
  if (m_document.isNull()) return;
  SetGradient(box, 1);
  m_drawingPath = 1;
  m_pathData.Empty();
  PathArc(box, start, end);
  PathLine(end, POINT{Half(box.left + box.right), Half(box.top + box.bottom)});
  CloseFigure();
  m_drawingPath = 0;
  StrokeAndFillPath(fillBox);
  SetBackgroundImage(box);
}

void SSVGDomDocument::Rectangle(const RECT& box) {
  if (m_document.isNull()) return;
  if (IsNeedClipping()) ClipRectangle(box);
  SetGradient(box, 1);
  DOM_Element e = CreateElement("rect");
  SetCoordinate(e, box);
  SetPen(e);
  SetBrush(e);
  Crisp(e);
  Append(e);
  SetBackgroundImage(box);
}

void SSVGDomDocument::RoundRect(const RECT& box, SIZE corner) {
  if (m_document.isNull()) return;
  if (IsNeedClipping()) ClipRoundRect(box, corner);
  SetGradient(box, 3);
  DOM_Element e = CreateElement("rect");
  SetCoordinate(e, box);
  e.setAttribute("rx", I(std::max(1, Half(corner.cx))));
  e.setAttribute("ry", I(std::max(1, Half(corner.cy))));
  SetPen(e);
  SetBrush(e);
  Append(e);
  SetBackgroundImage(box);
}

void SSVGDomDocument::SetEllipse(DOM_Element& e, const RECT& box) const {
  // The centre is where it is; only the radii are kept from vanishing.
  e.setAttribute("cx", I(Half(box.left + box.right)));
  e.setAttribute("cy", I(Half(box.top + box.bottom)));
  e.setAttribute("rx", I(std::max(1, Half(box.right - box.left))));
  e.setAttribute("ry", I(std::max(1, Half(box.bottom - box.top))));
}

void SSVGDomDocument::Ellipse(const RECT& box) {
  if (m_document.isNull()) return;
  if (IsNeedClipping()) ClipEllipse(box);
  SetGradient(box, 2);
  DOM_Element e = CreateElement("ellipse");
  SetEllipse(e, box);
  SetPen(e);
  SetBrush(e);
  Append(e);
  SetBackgroundImage(box);
}

void SSVGDomDocument::Polyline(const POINT* points, int count) {
  if (!points || count < 2 || m_document.isNull()) return;
  DOM_Element e = CreateElement("polyline");
  e.setAttribute("points", PointList(points, count));
  SetPen(e);
  e.setAttribute("fill", "none");
  if (AlongGrid(points, count, false)) Crisp(e);
  Append(e);
}

void SSVGDomDocument::Polygon(const POINT* points, int count) {
  if (!points || count < 3 || m_document.isNull()) return;
  const bool picture = IsNeedClipping() != 0;
  if (picture) ClipPolygon(points, count);
  const RECT box = KvPointsBounds(points, count);
  SetGradient(box, 1);
  const SString list = PointList(points, count);
  DOM_Element e = CreateElement("polygon");
  e.setAttribute("points", list);
  e.setAttribute("stroke-linejoin", "miter");
  SetPen(e);
  SetBrush(e);
  if (AlongGrid(points, count, true)) Crisp(e);
  Append(e);
  SetBackgroundImage(box);
  if (picture) {
    // The outline again on top of the picture, closing edge included.
    DOM_Element o = CreateElement("polygon");
    o.setAttribute("points", list);
    o.setAttribute("stroke-linejoin", "miter");
    SetPen(o);
    o.setAttribute("fill", "none");
    Append(o);
  }
}

void SSVGDomDocument::PolyBezier(const POINT* points, int count) {
  if (!points || count < 3) return;
  m_drawingPath = 1;
  m_pathData.Empty();
  PathPolyBezier(points, count);
  m_drawingPath = 0;
  StrokePath();
}

void SSVGDomDocument::RoundPolyline(const POINT* p, int n) {
  if (!p || n < 3) return;
  m_drawingPath = 1;
  m_pathData.Empty();
  POINT cur = p[0];
  for (int i = 1; i + 1 < n; ++i) {
    const POINT a = p[i - 1], c = p[i], b = p[i + 1];
    if ((a.x == c.x && c.x == b.x) || (a.y == c.y && c.y == b.y)) {
      PathLine(cur, c);
      cur = c;
      continue;
    }
    const bool inVertical = a.x == c.x;
    const bool inHorizontal = a.y == c.y;
    if (!inVertical && !inHorizontal) {
      PathLine(cur, c);
      cur = c;
      continue;
    }
    LONG d1, d2;
    if (inVertical) {
      d1 = (b.x - c.x) / 2;
      d2 = (c.y - a.y) / 2;
    } else {
      d1 = (c.x - a.x) / 2;
      d2 = (b.y - c.y) / 2;
    }
    const LONG d = std::abs(d1) < std::abs(d2) ? std::abs(d1) : std::abs(d2);
    const LONG r = d < 4 ? 0 : (d >= 9 ? 8 : d);
    POINT A, B, centre;
    if (inVertical) {
      A = POINT{c.x, c.y - Sign(c.y - a.y) * r};
      B = POINT{c.x + Sign(b.x - c.x) * r, c.y};
      centre = POINT{B.x, A.y};
    } else {
      A = POINT{c.x - Sign(c.x - a.x) * r, c.y};
      B = POINT{c.x, c.y + Sign(b.y - c.y) * r};
      centre = POINT{A.x, B.y};
    }
    PathLine(cur, A);
    cur = A;
    if (r > 0) {
      PathArc(RECT{centre.x - r, centre.y - r, centre.x + r, centre.y + r}, A, B);
      cur = B;
    }
  }
  PathLine(cur, p[n - 1]);
  m_drawingPath = 0;
  StrokePath();
}

// ---- text ---------------------------------------------------------------------------------

void SSVGDomDocument::DrawText(const RECT& box, const SString& text, int flags) {
  if (text.IsEmpty() || m_document.isNull()) return;
  if (flags & 0x1000) {
    DrawWrapText(box, text, flags & ~0x1000);
    return;
  }
  const int h = GetFontHeight();
  const std::vector<SString> lines = SSplitLines(text);
  const LONG n = static_cast<LONG>(lines.size());
  RECT line = box;
  const bool rotated = m_font.m_angle != 0;
  // In 64 bits: many lines of a large font pass the integer range.
  const long long total = static_cast<long long>(n) * h;
  if (flags & 32) {
    if (rotated)
      line.left = std::max<LONG>(line.left, ClampToInt(line.left + (line.right - total - line.left) / 2));
    else
      line.top = std::max<LONG>(line.top, ClampToInt(line.top + (line.bottom - total - line.top) / 2));
    flags &= ~32;
  } else if (flags & 64) {
    if (rotated)
      line.left = std::max<LONG>(line.left, ClampToInt(line.right - total));
    else
      line.top = std::max<LONG>(line.top, ClampToInt(line.bottom - total));
    flags &= ~64;
  }
  // Glyphs filled with a gradient take the gradient over the text's box.
  if (m_textGradient) SetGradient(box, 1);
  for (const SString& l : lines) {
    DOM_Element g;
    if (rotated) g = CreateElement("g");
    DOM_Element t = CreateElement("text");
    t.appendChild(m_document.createTextNode(l));
    SetFont(t);
    if (!l.CanConvertToMBCS())
      t.setAttribute("font-family", SString("'Arial Unicode MS','") + m_font.m_faceName + "'");
    SetTextColor(t);
    SetTextJustification(t, line, flags);
    DOM_Element parent = rotated ? g : GetCurrentElement();
    if (flags & 0x800) parent.appendChild(TextBackground(l, t, flags));
    parent.appendChild(t);
    if (rotated) {
      Append(g);
      line.left = ClampToInt(static_cast<long long>(line.left) + h);
    } else {
      line.top = ClampToInt(static_cast<long long>(line.top) + h);
    }
  }
}

void SSVGDomDocument::DrawWrapText(const RECT& box, const SString& text, int flags) {
  if (text.IsEmpty() || m_document.isNull()) return;
  const LONG W = box.right - box.left;
  const int h = GetFontHeight();
  LONG y = box.top;
  SString out;
  bool any = false, stop = false;
  auto emit = [&](const SString& l) {
    if (any) out += "\r\n";
    out += l;
    any = true;
    y = ClampToInt(static_cast<long long>(y) + h);
    if (static_cast<long long>(y) + h > box.bottom) stop = true;
  };
  for (const SString& src : SSplitLines(text)) {
    if (stop) break;
    if (src.IsEmpty()) {
      emit(SString(" "));
      continue;
    }
    SString cur;
    LONG curW = 0;
    for (const SString& tok : Tokens(src)) {
      if (stop) break;
      const LONG tw = GetTextWidth(tok);
      if (curW + tw <= W) {
        cur += tok;
        curW += tw;
        continue;
      }
      if (HasInk(cur)) {
        emit(cur);
        if (stop) break;
      }
      cur.Empty();
      curW = 0;
      if (tok.GetLength() > 5 && tw > W) {
        SString rest = tok;
        while (!stop && rest.GetLength() > 5 && GetTextWidth(rest) > W) {
          int k = 5;
          while (k < rest.GetLength() && GetTextWidth(rest.Left(k + 1)) <= W) ++k;
          emit(rest.Left(k));
          rest = rest.Mid(k);
        }
        if (stop) break;
        cur = rest;
        curW = GetTextWidth(rest);
      } else {
        cur = tok;
        curW = tw;
      }
    }
    if (!stop && !cur.IsEmpty()) emit(cur);
  }
  if (!any) return;
  DrawText(box, out, flags);
}

// ---- pictures -----------------------------------------------------------------------------

SString SSVGDomDocument::GetBitmapID(int number) const {
  return SString::Format("svg_bitmap%d.png", number ? number : m_bitmapCounter);
}

namespace {
// Folder (with its separator) and base name (without extension) of a path.
void SplitPath(const SString& path, SString& folder, SString& base) {
  int cut = -1;
  for (int i = 0; i < path.GetLength(); ++i)
    if (path.GetAt(i) == u'/' || path.GetAt(i) == u'\\') cut = i;
  folder = path.Left(cut + 1);
  base = path.Mid(cut + 1);
  const int dot = base.ReverseFind(u'.');
  if (dot > 0) base = base.Left(dot);
}
}  // namespace

SString SSVGDomDocument::GetBitmapFilePath(int number) const {
  const SString id = GetBitmapID(number);
  if (!m_pictureFolder.IsEmpty()) return m_pictureFolder + "/" + id;
  if (m_filePath.IsEmpty()) return SString("svg_Files/") + id;
  SString folder, base;
  SplitPath(m_filePath, folder, base);
  if (folder.IsEmpty()) {
    char buf[4096];
    if (::getcwd(buf, sizeof buf)) folder = SString::FromUtf8(buf) + "/";
  }
  return folder + base + "_svg_Files/" + id;
}

SString SSVGDomDocument::GetBitmapFileName(int number) const {
  const SString id = GetBitmapID(number);
  if (m_filePath.IsEmpty()) return SString("svg_Files/") + id;
  SString folder, base;
  SplitPath(m_filePath, folder, base);
  return UrlEscaped(base) + "_svg_Files/" + id;
}

int SSVGDomDocument::WritePicture(const std::vector<std::uint8_t>& png) {
  // Numbered only once its file is written, so that no link points to a
  // file that is not there.
  const SString path = GetBitmapFilePath(m_bitmapCounter + 1);
  MakeFolderFor(path);
  std::ofstream out(KvNativePath(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  out.close();
  if (png.empty() || !out) {
    std::error_code ec;
    std::filesystem::remove(std::filesystem::path(KvNativePath(path)), ec);
    m_pictureFailed = true;
    return 0;
  }
  return ++m_bitmapCounter;
}

void SSVGDomDocument::AppendImage(const RECT& box, int number) {
  DOM_Element e = CreateElement("image");
  SetCoordinate(e, box);
  // A picture fills its box as a device context stretches it; a viewer
  // would otherwise keep the picture's own proportions inside the box.
  e.setAttribute("preserveAspectRatio", "none");
  e.setAttribute("xlink:href", GetBitmapFileName(number));
  SetClippingID(e);
  Append(e);
}

namespace {
// The PNG bytes of an image (empty when it cannot be encoded).
std::vector<std::uint8_t> PngOf(Gdiplus::Image* image) {
  std::vector<std::uint8_t> png;
  CLSID encoder;
  if (!image || !Gdiplus::GetEncoderClsid(u"image/png", &encoder) ||
      image->SaveToMemory(&encoder, png) != Gdiplus::Ok)
    png.clear();
  return png;
}
}  // namespace

int SSVGDomDocument::DrawBitmapEx(const RECT& box, Gdiplus::Image* bitmap, int number) {
  if (!bitmap || m_document.isNull()) return 0;
  if (number == 0) {
    number = WritePicture(PngOf(bitmap));
    if (!number) return 0;
  }
  AppendImage(box, number);
  return number;
}

int SSVGDomDocument::DrawPicture(const RECT& box, Gdiplus::Image* bitmap) {
  if (!bitmap || m_document.isNull()) return 0;
  std::vector<std::uint8_t> png = PngOf(bitmap);
  if (png.empty()) return 0;
  std::string key(png.begin(), png.end());
  auto it = m_pictureMap.find(key);
  int number = it == m_pictureMap.end() ? 0 : it->second;
  if (!number) {
    number = WritePicture(png);
    if (!number) return 0;
    m_pictureMap.emplace(std::move(key), number);
  }
  AppendImage(box, number);
  return number;
}

void SSVGDomDocument::DrawIdentified(const GUID* id, const RECT& box, Gdiplus::Image* bitmap) {
  if (!id) {
    DrawPicture(box, bitmap);
    return;
  }
  // A picture identifier names one picture for the whole document.
  auto it = m_iconIdMap.find(*id);
  if (it != m_iconIdMap.end()) {
    AppendImage(box, it->second);
    return;
  }
  if (const int n = DrawPicture(box, bitmap)) m_iconIdMap[*id] = n;
}

void SSVGDomDocument::DrawImage(const RECT& box, Gdiplus::Image* image, SPictureInfo* info) {
  if (!info || info->GetType() != SPictureInfo::ptBitmap || !image) return;
  DrawPicture(box, image);
}

void SSVGDomDocument::DrawIcon(const RECT& box, HICON icon, unsigned /*kind*/, const GUID* id) {
  if (!icon || m_document.isNull()) return;
  std::unique_ptr<Gdiplus::Bitmap> bm(SBitmapPlus::CreateBitmap(icon));
  if (!bm || bm->GetLastStatus() != Gdiplus::Ok) return;
  DrawIdentified(id, box, bm.get());
}

void SSVGDomDocument::DrawIcon(const RECT& box, SIconFile* iconFile, SPictureInfo* info) {
  if (!iconFile || m_document.isNull()) return;
  try {
    const KvImage* image = iconFile->GetImage(box.right - box.left, box.bottom - box.top, 32);
    if (!image) return;
    const GUID* id = info && info->GetID() != GUID_NULL ? &info->GetID() : nullptr;
    HICON icon = KvCreateIconFromImage(*image);
    if (!icon) return;
    std::unique_ptr<Gdiplus::Bitmap> bm(SBitmapPlus::CreateBitmap(icon));
    KvDestroyIcon(icon);
    if (!bm || bm->GetLastStatus() != Gdiplus::Ok) return;
    DrawIdentified(id, box, bm.get());
  } catch (const SException&) {
  }
}

void SSVGDomDocument::DrawCursor(const RECT& box, SCursorFile* cursorFile, SPictureInfo* /*info*/) {
  if (!cursorFile || m_document.isNull()) return;
  try {
    const KvImage* image = cursorFile->GetImage(box.right - box.left, box.bottom - box.top, 32);
    if (!image) return;
    HICON icon = KvCreateIconFromImage(*image);
    if (!icon) return;
    std::unique_ptr<Gdiplus::Bitmap> bm(SBitmapPlus::CreateBitmap(icon));
    KvDestroyIcon(icon);
    if (!bm || bm->GetLastStatus() != Gdiplus::Ok) return;
    DrawPicture(box, bm.get());
  } catch (const SException&) {
  }
}

void SSVGDomDocument::DrawBitmap(const RECT& box, SBitmap* bitmap) {
  if (!bitmap || !bitmap->GetSafeHandle() || m_document.isNull()) return;
  try {
    std::unique_ptr<Gdiplus::Bitmap> bm(SBitmapPlus::CreateBitmap(static_cast<HBITMAP>(*bitmap)));
    if (!bm || bm->GetLastStatus() != Gdiplus::Ok) return;
    DrawPicture(box, bm.get());
  } catch (const SException&) {
  }
}

void SSVGDomDocument::DrawMetaFile(const RECT& box, const SMetaFile& metafile) {
  if (!metafile.IsValid() || m_document.isNull()) return;
  // Keyed by the metafile's bytes: a known one is linked again without
  // being drawn.
  HENHMETAFILE handle = metafile.GetSafeHandle();
  std::string key(GetEnhMetaFileBits(handle, 0, nullptr), '\0');
  if (!key.empty()) GetEnhMetaFileBits(handle, static_cast<UINT>(key.size()), reinterpret_cast<BYTE*>(key.data()));
  auto it = m_metafileMap.find(key);
  if (it != m_metafileMap.end()) {
    AppendImage(box, it->second);
    return;
  }
  Gdiplus::Metafile image(handle, FALSE);
  if (image.GetLastStatus() != Gdiplus::Ok) return;
  const int n = DrawPicture(box, &image);
  if (n && !key.empty()) m_metafileMap.emplace(std::move(key), n);
}

// ---- paths ----------------------------------------------------------------------------------

void SSVGDomDocument::BeginPath() {
  m_drawingPath = 1;
  m_pathData.Empty();
}

void SSVGDomDocument::AbortPath() {
  m_drawingPath = 0;
  m_pathData.Empty();
}

void SSVGDomDocument::CloseFigure() {
  if (m_pathData.IsEmpty()) return;
  const char16_t last = m_pathData.GetAt(m_pathData.GetLength() - 1);
  if (last == u'Z' || last == u'z') return;
  m_pathData += " Z";
}

void SSVGDomDocument::PathMove(POINT p) {
  if (!m_pathData.IsEmpty()) m_pathData += u' ';
  m_pathData += SString::Format("M%d,%d", static_cast<int>(p.x), static_cast<int>(p.y));
}

void SSVGDomDocument::PathLine(POINT from, POINT to) {
  if (m_pathData.IsEmpty()) PathMove(from);
  m_pathData += SString::Format(" L%d,%d", static_cast<int>(to.x), static_cast<int>(to.y));
}

void SSVGDomDocument::PathArc(const RECT& box, POINT start, POINT end) {
  if (m_pathData.IsEmpty()) PathMove(start);
  int rx = Half(box.right - box.left), ry = Half(box.bottom - box.top);
  if (rx == 0) rx = 1;
  if (ry == 0) ry = 1;
  const LONG cx = Half(box.left + box.right), cy = Half(box.top + box.bottom);
  int sweep;
  if (start.y < cy && end.x < cx) {
    sweep = 0;
  } else {
    sweep = start.x != end.x && start.y != end.y &&
                    !((start.x > cx && end.y < cy) || (start.y > cy && end.x > cx) || (start.x < cx && end.y > cy))
                ? 1
                : 0;
  }
  m_pathData += SString::Format(" A%d,%d 0 0,%d %d,%d", rx, ry, sweep, static_cast<int>(end.x), static_cast<int>(end.y));
}

void SSVGDomDocument::PathPolyline(const POINT* p, int n) {
  if (!p || n < 1) return;
  if (m_pathData.IsEmpty()) PathMove(p[0]);
  for (int i = 1; i < n; ++i) m_pathData += SString::Format(" L%d,%d", static_cast<int>(p[i].x), static_cast<int>(p[i].y));
}

void SSVGDomDocument::PathPolyBezier(const POINT* p, int n) {
  if (!p || n < 3) return;
  if (m_pathData.IsEmpty()) PathMove(p[0]);
  for (int i = 1; i <= n - 2; ++i)
    m_pathData += SString::Format(" Q%d,%d %d,%d", static_cast<int>(p[i].x), static_cast<int>(p[i].y),
                                  Half(p[i].x + p[i + 1].x), Half(p[i].y + p[i + 1].y));
  m_pathData += SString::Format(" T%d,%d", static_cast<int>(p[n - 1].x), static_cast<int>(p[n - 1].y));
}

void SSVGDomDocument::StrokePath() {
  DOM_Element e = CreateElement("path");
  if (e.isNull()) return;
  e.setAttribute("d", m_pathData);
  SetPen(e);
  e.setAttribute("fill", "none");
  Append(e);
}

void SSVGDomDocument::FillPath(const RECT& box) {
  if (m_document.isNull()) return;
  CloseFigure();
  if (IsNeedClipping()) ClipFillPath(box);
  SetGradient(box, 1);
  DOM_Element e = CreateElement("path");
  e.setAttribute("d", m_pathData);
  e.setAttribute("stroke", "none");
  e.setAttribute("stroke-width", "0");
  SetBrush(e);
  Append(e);
  SetBackgroundImage(box);
}

void SSVGDomDocument::StrokeAndFillPath(const RECT& box) {
  if (m_document.isNull()) return;
  CloseFigure();
  const bool picture = IsNeedClipping() != 0;
  if (picture) ClipFillPath(box);
  SetGradient(box, 1);
  DOM_Element e = CreateElement("path");
  e.setAttribute("d", m_pathData);
  SetPen(e);
  SetBrush(e);
  Append(e);
  SetBackgroundImage(box);
  if (picture) StrokePath();
}

// ---- gradients, clip paths and picture fills ----------------------------------------------

bool SSVGDomDocument::UseHatch() const {
  return m_brush.m_style == SSymBrush::Hatched && m_brush.m_hatch >= SSymBrush::Horizontal &&
         m_brush.m_hatch <= SSymBrush::DiagCross;
}

SString SSVGDomDocument::GetHatchID() const { return SString::Format("Hatch%d", m_hatchCounter); }

void SSVGDomDocument::SetHatch() {
  if (!UseHatch() || m_document.isNull()) return;
  // The device context's hatches: one line of pixels in every eight, the
  // gaps left clear, the tiles aligned on the device's origin.
  SString d;
  auto pixel = [&d](int x, int y) { d += SString::Format("M%d,%dh1v1h-1Z", x, y); };
  const LONG hatch = m_brush.m_hatch;
  if (hatch == SSymBrush::Horizontal || hatch == SSymBrush::Cross) d += "M0,7h8v1h-8Z";
  if (hatch == SSymBrush::Vertical || hatch == SSymBrush::Cross) d += "M7,0h1v8h-1Z";
  for (int i = 0; i < 8; ++i) {
    if (hatch == SSymBrush::FDiagonal || hatch == SSymBrush::DiagCross) pixel(i, i);
    if (hatch == SSymBrush::BDiagonal || (hatch == SSymBrush::DiagCross && 7 - i != i)) pixel(7 - i, i);
  }
  ++m_hatchCounter;
  DOM_Element defs = CreateElement("defs");
  DOM_Element pattern = CreateElement("pattern");
  pattern.setAttribute("id", GetHatchID());
  pattern.setAttribute("patternUnits", "userSpaceOnUse");
  pattern.setAttribute("x", I(((m_hatchOrigin.x % 8) + 8) % 8));
  pattern.setAttribute("y", I(((m_hatchOrigin.y % 8) + 8) % 8));
  pattern.setAttribute("width", "8");
  pattern.setAttribute("height", "8");
  DOM_Element lines = CreateElement("path");
  lines.setAttribute("d", d);
  lines.setAttribute("fill", Color(m_brush.m_color.GetColor()));
  pattern.appendChild(lines);
  defs.appendChild(pattern);
  Append(defs);
}

void SSVGDomDocument::SetGradient(const RECT& box, int shapeKind) {
  if (UseHatch()) {
    SetHatch();
    return;
  }
  if (!GetUseGradient() || m_document.isNull()) return;
  DOM_Element defs = CreateElement("defs");
  ++m_gradientCounter;
  const SString id = GetGradientID();
  const SGradientForm form = SDecodeGradient(static_cast<int>(m_brush.m_gradientMode));
  DWORD c1 = m_brush.m_color.GetColor(), c2 = m_brush.m_endColor.GetColor();
  if (form.swap) std::swap(c1, c2);
  auto stop = [&](DOM_Element& parent, const char* offset, DWORD c) {
    DOM_Element s = CreateElement("stop");
    s.setAttribute("offset", offset);
    s.setAttribute("stop-color", Color(c));
    parent.appendChild(s);
  };
  DOM_Element grad;
  if (form.kind == SGradientForm::gfRadial) {
    // As the device context paints it: ellipses that circumscribe the box
    // (its half-sides times the square root of 2), shading from the end
    // colour at the focus to the brush colour on the outer ellipse; a
    // corner form moves the focus halfway to its corner and grows the
    // ellipses by half.
    (void)box;
    (void)shapeKind;
    grad = CreateElement("radialGradient");
    grad.setAttribute("id", id);
    grad.setAttribute("gradientUnits", "objectBoundingBox");
    grad.setAttribute("cx", "50%");
    grad.setAttribute("cy", "50%");
    grad.setAttribute("r", form.corner >= 0 ? "106%" : "71%");
    const char* fx = "50%";
    const char* fy = "50%";
    if (form.corner >= 0) {
      fx = (form.corner == 0 || form.corner == 3) ? "25%" : "75%";
      fy = (form.corner == 0 || form.corner == 1) ? "25%" : "75%";
    }
    grad.setAttribute("fx", fx);
    grad.setAttribute("fy", fy);
    stop(grad, "0%", c2);
    stop(grad, "100%", c1);
  } else {
    grad = CreateElement("linearGradient");
    grad.setAttribute("id", id);
    grad.setAttribute("gradientUnits", "objectBoundingBox");
    const bool linear = form.kind == SGradientForm::gfLinear;
    const auto d = linear ? form.direction : SGradientForm::gdLeftToRight;
    grad.setAttribute("x1", "0%");
    grad.setAttribute("x2", d == SGradientForm::gdTopToBottom ? "0%" : "100%");
    grad.setAttribute("y1", d == SGradientForm::gdDiagonalUp ? "100%" : "0%");
    grad.setAttribute("y2", (d == SGradientForm::gdTopToBottom || d == SGradientForm::gdDiagonalDown) ? "100%" : "0%");
    if (!linear) {
      stop(grad, "0%", c1);
      stop(grad, "100%", c1);
    } else if (form.mirrored) {
      stop(grad, "5%", c1);
      stop(grad, "50%", c2);
      stop(grad, "95%", c1);
    } else {
      stop(grad, "5%", c1);
      stop(grad, "95%", c2);
    }
  }
  defs.appendChild(grad);
  Append(defs);
}

namespace {
const char* kClipPath = "clipPath";
}

void SSVGDomDocument::AppendClip(const DOM_Element& shape) {
  ++m_clippingCounter;
  DOM_Element clip = CreateElement(kClipPath);
  clip.setAttribute("id", GetClippingID());
  clip.appendChild(shape);
  Append(clip);
}

void SSVGDomDocument::ClipRectangle(const RECT& box) {
  if (m_document.isNull()) return;
  DOM_Element r = CreateElement("rect");
  SetCoordinate(r, Shrunk(box));
  AppendClip(r);
}

void SSVGDomDocument::ClipRoundRect(const RECT& box, SIZE corner) {
  if (m_document.isNull()) return;
  DOM_Element r = CreateElement("rect");
  SetCoordinate(r, Shrunk(box));
  r.setAttribute("rx", I(std::max(1, Half(corner.cx))));
  r.setAttribute("ry", I(std::max(1, Half(corner.cy))));
  AppendClip(r);
}

void SSVGDomDocument::ClipEllipse(const RECT& box) {
  if (m_document.isNull()) return;
  DOM_Element e = CreateElement("ellipse");
  SetEllipse(e, Shrunk(box));
  AppendClip(e);
}

void SSVGDomDocument::ClipPolygon(const POINT* points, int count) {
  if (!points || count < 3 || m_document.isNull()) return;
  DOM_Element p = CreateElement("polygon");
  p.setAttribute("points", PointList(points, count));
  p.setAttribute("stroke-linejoin", "miter");
  AppendClip(p);
}

void SSVGDomDocument::ClipFillPath(const RECT& /*box*/) {
  if (m_document.isNull()) return;
  DOM_Element p = CreateElement("path");
  p.setAttribute("d", m_pathData);
  p.setAttribute("stroke", "none");
  p.setAttribute("stroke-width", "0");
  AppendClip(p);
}

void SSVGDomDocument::SetBackgroundImage(const RECT& box) {
  if (!GetUseBackgroundImage() || m_document.isNull()) return;
  SPictureInfo* info = m_brush.GetPicture();
  if (!info) return;
  switch (info->GetType()) {
    case SPictureInfo::ptBitmap: SetBackgroundBitmap(box); break;
    case SPictureInfo::ptMetaFile: SetBackgroundMetafile(box); break;
    case SPictureInfo::ptIcon: SetBackgroundIcon(box); break;
    default: break;  // cursors are not drawn as fills
  }
}

void SSVGDomDocument::SetBackgroundBitmap(const RECT& box) { FillBackground(box, SPictureInfo::ptBitmap); }
void SSVGDomDocument::SetBackgroundMetafile(const RECT& box) { FillBackground(box, SPictureInfo::ptMetaFile); }
void SSVGDomDocument::SetBackgroundIcon(const RECT& box) { FillBackground(box, SPictureInfo::ptIcon); }

void SSVGDomDocument::PlacePicture(const RECT& rc, int kind, SPictureInfo* info) {
  switch (kind) {
    case SPictureInfo::ptBitmap: DrawImage(rc, info->GetBitmap(1), info); break;
    case SPictureInfo::ptMetaFile:
      if (SMetaFile* mf = info->GetMetaFileW(1)) DrawMetaFile(rc, *mf);
      break;
    case SPictureInfo::ptIcon: DrawIcon(rc, info->GetIcon(1), info); break;
    default: break;
  }
}

void SSVGDomDocument::FillBackground(const RECT& box, int kind) {
  SPictureInfo* info = m_brush.GetPicture();
  if (!info) return;
  LONG w = 0, h = 0;
  if (kind == SPictureInfo::ptBitmap) {
    Gdiplus::Bitmap* bm = info->GetBitmap(1);
    if (!bm) return;
    w = static_cast<LONG>(bm->GetWidth());
    h = static_cast<LONG>(bm->GetHeight());
  } else if (kind == SPictureInfo::ptMetaFile) {
    SMetaFile* mf = info->GetMetaFileW(1);
    if (!mf) return;
    const SIZE s = mf->GetSize();
    w = s.cx;
    h = s.cy;
  } else {
    if (!info->GetIcon(1)) return;
    w = 32;  // the system's icon size
    h = 32;
  }
  const RECT b = Shrunk(box);
  struct Scope {
    int& n;
    explicit Scope(int& c) : n(c) { ++n; }
    ~Scope() { --n; }
  } scope(m_inPictureFill);
  const int mode = m_brush.m_bitmapMode;
  SPlacePicture(mode, b, w, h, [&](RECT rc) {
    if (mode == pfmTiled) {
      // Each tile is trimmed to the box and receives the whole picture.
      rc = RECT{std::max(rc.left, b.left), std::max(rc.top, b.top), std::min(rc.right, b.right),
                std::min(rc.bottom, b.bottom)};
      if (rc.left >= rc.right || rc.top >= rc.bottom) return;
    }
    PlacePicture(rc, kind, info);
  });
}

// ---- SSVG ----------------------------------------------------------------------------------

void SSVG::Line(POINT p1, POINT p2) {
  if (m_doc.IsDrawingPath())
    m_doc.PathLine(p1, p2);
  else
    m_doc.Line(p1, p2);
}

void SSVG::Polyline(const POINT* points, int count) {
  if (m_doc.IsDrawingPath())
    m_doc.PathPolyline(points, count);
  else
    m_doc.Polyline(points, count);
}

void SSVG::Arc(const RECT& box, POINT start, POINT end) {
  if (m_doc.IsDrawingPath())
    m_doc.PathArc(box, start, end);
  else
    m_doc.Arc(box, start, end);
}

void SSVG::PolyBezier(const POINT* points, int count) {
  if (m_doc.IsDrawingPath())
    m_doc.PathPolyBezier(points, count);
  else
    m_doc.PolyBezier(points, count);
}
