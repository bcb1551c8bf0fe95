// The SVG document writer: SSVGDomDocument builds one SVG 1.1 document from
// drawing calls in device coordinates (whole pixels, y downward) with the
// current pen, brush, font and text colour; SSVG is the document the export
// canvas fills and the export saves. Pictures become PNG files in a folder
// beside the SVG file, linked relatively.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "kvcore/sdc.h"
#include "kvcore/sgdiobj.h"
#include "kvcore/spicture.h"
#include "kvcore/sstring.h"
#include "kvxml/dom.h"
#include "kvxml/sdomdocument.h"
#include "sym/foundation/symvalues.h"
#include "win/windef.h"

class SSVGDomDocument : public SDOMDocument {
 public:
  SSVGDomDocument();
  ~SSVGDomDocument() override;
  SSVGDomDocument(const SSVGDomDocument&) = delete;
  SSVGDomDocument& operator=(const SSVGDomDocument&) = delete;

  // ---- document and elements ----
  // Builds the empty document: declaration, SVG 1.1 document type, root
  // with its size in millimetres and the view box (0 0 w h). 1, or 0 when the
  // XML library fails.
  int CreateDocument(const SIZE& sizeMm, const RECT& box);
  // The same with the size the box has at 96 pixels an inch, in points, so
  // that viewers show the box without scaling it.
  int CreateDocument(const RECT& box);
  DOM_Document GetSvgDocument() const { return m_document; }
  DOM_Element GetSvgElement() const;
  DOM_Element GetCurrentElement() const;
  void SetCurrentElement(const DOM_Element& element) { m_currentElement = element; }
  void SetHasCurrentElement(int has) { m_hasCurrentElement = has ? 1 : 0; }
  DOM_Element CreateElement(const SString& name) const;
  DOM_Element CreateGraphicElement(const SString& id, int append, int toRoot, int makeCurrent);
  DOM_Element CreateLinkElement(const SString& href, int append, int toRoot, int makeCurrent, int self);
  void SetCoordinate(DOM_Element& element, const RECT& rc) const;
  void SetFilePath(const SString& path) { m_filePath = path; }
  const SString& GetFilePath() const { return m_filePath; }
  // Where the picture files are written, when not in the folder beside the
  // file path (empty: beside it). The links still name the folder beside
  // the file path: an export writes the pictures into a staging folder and
  // moves it there together with the document.
  void SetPictureFolder(const SString& folder) { m_pictureFolder = folder; }
  const SString& GetPictureFolder() const { return m_pictureFolder; }
  // Writes the document (UTF-8). 1 when the document and every picture of
  // it were written; 0 otherwise (no SVG file is left behind when its own
  // write fails).
  int SaveDocument(const SString& path, int options);
  // Resets the drawing state: flags, counters and the picture maps.
  void Clear();
  // Takes over the whole document of `source`, which is then cleared.
  void TakeOver(SSVGDomDocument& source);

  // ---- drawing state ----
  void SetPen(const SSymPen& pen) { m_pen = pen; }
  void SetBrush(const SSymBrush& brush) { m_brush = brush; }
  void SetFontInfo(const SSymFont& font) { m_font = font; }
  void SetFont(SFont* font) { m_pMeasureFont = font; }
  void SetTextColorValue(const SSymColor& color) { m_textColor = color; }
  // The colour behind the next texts drawn with the opaque-background flag
  // (0x800): each line is laid on a box of that colour, as the device
  // context's opaque background mode paints it.
  void SetTextBackColor(const SSymColor& color) { m_textBackColor = color; }
  // Whether the next texts' glyphs are filled with the brush's gradient (in
  // the box of each line) instead of the text colour.
  void SetTextGradient(int on) { m_textGradient = on ? 1 : 0; }
  void SetUseFillEffect(int use) { m_useFillEffect = use ? 1 : 0; }
  int GetUseFillEffect() const { return m_useFillEffect; }
  int IsDrawingPath() const { return m_drawingPath; }
  void SetDrawingPath(int on) { m_drawingPath = on ? 1 : 0; }
  const SString& GetPathData() const { return m_pathData; }
  const SSymPen& GetPen() const { return m_pen; }
  const SSymBrush& GetBrush() const { return m_brush; }
  const SSymFont& GetFontInfo() const { return m_font; }

  void SetPen(DOM_Element& element) const;
  void SetBrush(DOM_Element& element) const;
  void SetFont(DOM_Element& element) const;
  void SetTextColor(DOM_Element& element) const;
  void SetTextJustification(DOM_Element& element, const RECT& line, int flags) const;

  int GetUseGradient() const;
  int GetUseBackgroundImage() const;
  int IsNeedClipping() const { return GetUseBackgroundImage(); }
  SString GetGradientID() const;
  SString GetClippingID() const;
  void SetClippingID(DOM_Element& element) const;
  int GetFontHeight() const;
  int GetTextWidth(const SString& text) const;
  SString GetBitmapID(int number) const;
  SString GetBitmapFileName(int number) const;
  SString GetBitmapFilePath(int number) const;
  // Whether a picture file of this document could not be written.
  bool HasPictureFailure() const { return m_pictureFailed; }

  // ---- shapes ----
  void Line(POINT p1, POINT p2);
  void Arc(const RECT& box, POINT start, POINT end);
  void Pie(const RECT& box, POINT start, POINT end, const RECT& fillBox);
  void Rectangle(const RECT& box);
  void RoundRect(const RECT& box, SIZE corner);
  void Ellipse(const RECT& box);
  void Polyline(const POINT* points, int count);
  void RoundPolyline(const POINT* points, int count);
  void Polygon(const POINT* points, int count);
  void PolyBezier(const POINT* points, int count);
  void DrawText(const RECT& box, const SString& text, int flags);
  void DrawWrapText(const RECT& box, const SString& text, int flags);

  // ---- pictures ----
  void DrawImage(const RECT& box, Gdiplus::Image* image, SPictureInfo* info);
  void DrawIcon(const RECT& box, HICON icon, unsigned kind, const GUID* id);
  void DrawIcon(const RECT& box, SIconFile* iconFile, SPictureInfo* info);
  void DrawCursor(const RECT& box, SCursorFile* cursorFile, SPictureInfo* info);
  void DrawBitmap(const RECT& box, SBitmap* bitmap);
  // Writes the bitmap as a new picture file when `number` is 0 and links it;
  // answers the picture's number, or 0 when its file could not be written
  // (no element is made then).
  int DrawBitmapEx(const RECT& box, Gdiplus::Image* bitmap, int number);
  void DrawMetaFile(const RECT& box, const SMetaFile& metafile);

  // ---- paths ----
  void BeginPath();
  void EndPath() { m_drawingPath = 0; }
  void AbortPath();
  void CloseFigure();
  void PathMove(POINT p);
  void PathLine(POINT from, POINT to);
  void PathArc(const RECT& box, POINT start, POINT end);
  void PathPolyline(const POINT* points, int count);
  void PathPolyBezier(const POINT* points, int count);
  void FillPath(const RECT& box);
  void StrokeAndFillPath(const RECT& box);
  void StrokePath();

  // ---- fills and clips ----
  void SetGradient(const RECT& box, int shapeKind);
  // For a hatched brush: a pattern of the hatch's lines in its colour, on
  // the device's 8-pixel grid, that the next shape fills with.
  void SetHatch();
  SString GetHatchID() const;
  // Where the device's 8-pixel hatch grid starts: the point of the document
  // that is the top-left pixel of the same drawing on a bitmap.
  void SetHatchOrigin(POINT origin) { m_hatchOrigin = origin; }
  void SetBackgroundImage(const RECT& box);
  void SetBackgroundBitmap(const RECT& box);
  void SetBackgroundMetafile(const RECT& box);
  void SetBackgroundIcon(const RECT& box);
  void ClipRectangle(const RECT& box);
  void ClipRoundRect(const RECT& box, SIZE corner);
  void ClipEllipse(const RECT& box);
  void ClipPolygon(const POINT* points, int count);
  void ClipFillPath(const RECT& box);

 private:
  struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const;
  };
  void Append(const DOM_Element& element);
  // The empty document whose root declares the given width and height.
  int CreateRoot(const SString& width, const SString& height, const RECT& box);
  // Appends a new group or link (to the root or the current element) and
  // makes it the current element, as asked.
  void Settle(const DOM_Element& e, int append, int toRoot, int makeCurrent);
  // Appends a clip path of its own (the next clipping id) around `shape`.
  void AppendClip(const DOM_Element& shape);
  void SetEllipse(DOM_Element& element, const RECT& box) const;
  // Whether the brush is a hatch written as a pattern.
  bool UseHatch() const;
  // The opaque box behind one text line.
  DOM_Element TextBackground(const SString& line, const DOM_Element& text, int flags) const;
  void FillBackground(const RECT& box, int kind);
  void PlacePicture(const RECT& rc, int kind, SPictureInfo* info);
  // Draws a picture, written once per document for each distinct content:
  // the number of the file already written with the same PNG bytes, or a
  // new file. Answers the picture's number (0: its file could not be written).
  int DrawPicture(const RECT& box, Gdiplus::Image* bitmap);
  // Writes PNG bytes as the next picture file; its number, or 0.
  int WritePicture(const std::vector<std::uint8_t>& png);
  void AppendImage(const RECT& box, int number);
  // An icon's picture: by its picture identifier when it has one (the
  // identifier names one picture for the whole document), else by content.
  void DrawIdentified(const GUID* id, const RECT& box, Gdiplus::Image* bitmap);

  DOM_Document m_document;
  int m_hasCurrentElement = 0;
  DOM_Element m_currentElement;
  SSymPen m_pen;
  SSymBrush m_brush;
  SSymFont m_font;
  SFont* m_pMeasureFont = nullptr;
  SSymColor m_textColor{0};
  int m_drawingPath = 0;
  SString m_pathData;
  int m_useFillEffect = 0;
  int m_gradientCounter = 0;
  int m_bitmapCounter = 0;
  int m_clippingCounter = 0;
  int m_hatchCounter = 0;
  int m_textGradient = 0;
  POINT m_hatchOrigin{0, 0};
  SSymColor m_textBackColor{0xFFFFFF};
  SString m_filePath;
  SString m_pictureFolder;
  // Pictures are keyed by what they show, never by the address of the object
  // drawn: an object freed during the export may come back at the same
  // address holding another picture. PNG bytes (equal pixels give equal
  // bytes) and metafile bytes give the picture number.
  std::unordered_map<std::string, int> m_pictureMap;
  std::unordered_map<std::string, int> m_metafileMap;
  std::map<GUID, int, GuidLess> m_iconIdMap;
  int m_inPictureFill = 0;        // images drawn now belong to a picture fill
  bool m_pictureFailed = false;   // a picture file could not be written
};

// The document the export canvas fills and the export saves.
class SSVG {
 public:
  SSVG() = default;
  virtual ~SSVG() = default;
  SSVG(const SSVG&) = delete;
  SSVG& operator=(const SSVG&) = delete;

  SSVGDomDocument& GetDocument() { return m_doc; }
  const SSVGDomDocument& GetDocument() const { return m_doc; }
  // Hands the document over to `target`; this one is cleared.
  void Detach(SSVG& target) { target.m_doc.TakeOver(m_doc); }

  int CreateDocument(const SIZE& sizeMm, const RECT& box) { return m_doc.CreateDocument(sizeMm, box); }
  int CreateDocument(const RECT& box) { return m_doc.CreateDocument(box); }
  DOM_Document GetSvgDocument() const { return m_doc.GetSvgDocument(); }
  DOM_Element GetSvgElement() const { return m_doc.GetSvgElement(); }
  DOM_Element GetCurrentElement() const { return m_doc.GetCurrentElement(); }
  void SetCurrentElement(const DOM_Element& e) { m_doc.SetCurrentElement(e); }
  void SetHasCurrentElement(int has) { m_doc.SetHasCurrentElement(has); }
  DOM_Element CreateGraphicElement(const SString& id, int append, int toRoot, int makeCurrent) {
    return m_doc.CreateGraphicElement(id, append, toRoot, makeCurrent);
  }
  DOM_Element CreateLinkElement(const SString& href, int append, int toRoot, int makeCurrent, int self) {
    return m_doc.CreateLinkElement(href, append, toRoot, makeCurrent, self);
  }
  void SetFilePath(const SString& path) { m_doc.SetFilePath(path); }
  const SString& GetFilePath() const { return m_doc.GetFilePath(); }
  int SaveDocument(const SString& path, int options) { return m_doc.SaveDocument(path, options); }
  void Clear() { m_doc.Clear(); }

  void SetPen(const SSymPen& pen) { m_doc.SetPen(pen); }
  void SetBrush(const SSymBrush& brush) { m_doc.SetBrush(brush); }
  void SetFontInfo(const SSymFont& font) { m_doc.SetFontInfo(font); }
  void SetFont(SFont* font) { m_doc.SetFont(font); }
  void SetTextColor(const SSymColor& color) { m_doc.SetTextColorValue(color); }
  void SetTextBackColor(const SSymColor& color) { m_doc.SetTextBackColor(color); }
  void SetTextGradient(int on) { m_doc.SetTextGradient(on); }
  void SetUseFillEffect(int use) { m_doc.SetUseFillEffect(use); }
  int GetUseFillEffect() const { return m_doc.GetUseFillEffect(); }
  int IsDrawingPath() const { return m_doc.IsDrawingPath(); }

  // Lines, polylines, arcs and Bézier runs go into the recorded path while
  // one is recorded.
  void Line(POINT p1, POINT p2);
  void Polyline(const POINT* points, int count);
  void Arc(const RECT& box, POINT start, POINT end);
  void PolyBezier(const POINT* points, int count);
  void Pie(const RECT& box, POINT start, POINT end, const RECT& fillBox) { m_doc.Pie(box, start, end, fillBox); }
  void Rectangle(const RECT& box) { m_doc.Rectangle(box); }
  void RoundRect(const RECT& box, SIZE corner) { m_doc.RoundRect(box, corner); }
  void Ellipse(const RECT& box) { m_doc.Ellipse(box); }
  void RoundPolyline(const POINT* points, int count) { m_doc.RoundPolyline(points, count); }
  void Polygon(const POINT* points, int count) { m_doc.Polygon(points, count); }
  void DrawText(const RECT& box, const SString& text, int flags) {
    if (!text.IsEmpty()) m_doc.DrawText(box, text, flags);
  }

  void DrawImage(const RECT& box, Gdiplus::Image* image, SPictureInfo* info) { m_doc.DrawImage(box, image, info); }
  void DrawIcon(const RECT& box, HICON icon, unsigned kind) { m_doc.DrawIcon(box, icon, kind, nullptr); }
  void DrawIcon(const RECT& box, SIconFile* file, SPictureInfo* info) { m_doc.DrawIcon(box, file, info); }
  void DrawCursor(const RECT& box, SCursorFile* file, SPictureInfo* info) { m_doc.DrawCursor(box, file, info); }
  void DrawBitmap(const RECT& box, SBitmap* bitmap) { m_doc.DrawBitmap(box, bitmap); }
  int DrawBitmapEx(const RECT& box, Gdiplus::Image* bitmap, int number) {
    return m_doc.DrawBitmapEx(box, bitmap, number);
  }
  void DrawMetaFile(const RECT& box, const SMetaFile& metafile) { m_doc.DrawMetaFile(box, metafile); }

  void BeginPath() { m_doc.BeginPath(); }
  void EndPath() { m_doc.EndPath(); }
  void AbortPath() { m_doc.AbortPath(); }
  void CloseFigure() { m_doc.CloseFigure(); }
  void PathMove(POINT p) { m_doc.PathMove(p); }
  void PathLine(POINT from, POINT to) { m_doc.PathLine(from, to); }
  void PathArc(const RECT& box, POINT start, POINT end) { m_doc.PathArc(box, start, end); }
  void PathPolyline(const POINT* points, int count) { m_doc.PathPolyline(points, count); }
  void PathPolyBezier(const POINT* points, int count) { m_doc.PathPolyBezier(points, count); }
  void FillPath(const RECT& box) { m_doc.FillPath(box); }
  void StrokeAndFillPath(const RECT& box) { m_doc.StrokeAndFillPath(box); }
  void StrokePath() { m_doc.StrokePath(); }

 private:
  SSVGDomDocument m_doc;
};
