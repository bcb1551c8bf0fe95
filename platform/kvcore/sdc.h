// SDC: a device context wrapper (the drawing handle and the attribute
// handle, then a flag word), with the screen, client and paint contexts and
// scope objects that put a context's state back.
#pragma once

#include "kvcore/sgdiobj.h"
#include "kvcore/sobject.h"
#include "kvcore/sstring.h"
#include "win/wingdi.h"
#include "win/winuser.h"

class SMetaFile;
class SIconFile;
class SCursorFile;
class SPictureInfo;
namespace Gdiplus {
class Image;
}

class SDC : public SObject {
 public:
  SDC() = default;
  explicit SDC(HDC hdc) { Attach(hdc); }
  // Deletes the context when it owns one (made by CreateCompatibleDC or
  // CreateDC through this object, or attached with `own`).
  ~SDC() override;
  SDC(const SDC&) = delete;
  SDC& operator=(const SDC&) = delete;

  HDC m_hDC = nullptr;        // where drawing goes
  HDC m_hAttribDC = nullptr;  // where attributes are read (the same context here)
  // The flag word: set to 1 on a printer's context by the printer canvas and
  // on a report's target context (background painting shrinks shapes 1 to 3
  // by one pixel on it). 0 on every other context.
  int m_nFlag = 0;

  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }
  bool IsValid() const { return m_hDC != nullptr; }
  BOOL Attach(HDC hdc, bool own = false);
  HDC Detach();
  // A memory context compatible with `dc` (null: the screen), owned.
  BOOL CreateCompatibleDC(SDC* dc);
  // Deletes an owned context (or just detaches one that is not owned).
  BOOL DeleteDC();

  // ---- state ----
  int SaveDC() { return ::SaveDC(m_hDC); }
  BOOL RestoreDC(int level) { return ::RestoreDC(m_hDC, level); }
  int GetDeviceCaps(int index) const { return m_hDC ? ::GetDeviceCaps(m_hDC, index) : 0; }
  HGDIOBJ SelectObject(HGDIOBJ obj) { return m_hDC && obj ? ::SelectObject(m_hDC, obj) : nullptr; }
  HGDIOBJ SelectObject(const SGdiObject* obj) { return obj ? SelectObject(obj->GetSafeHandle()) : nullptr; }
  HGDIOBJ SelectObject(const SGdiObject& obj) { return SelectObject(obj.GetSafeHandle()); }
  HGDIOBJ SelectStockObject(int index) { return SelectObject(::GetStockObject(index)); }
  HGDIOBJ GetCurrentObject(UINT type) const { return m_hDC ? ::GetCurrentObject(m_hDC, type) : nullptr; }
  HPEN GetCurrentPen() const { return KvHandleCast<HPEN>(GetCurrentObject(OBJ_PEN)); }
  HBRUSH GetCurrentBrush() const { return KvHandleCast<HBRUSH>(GetCurrentObject(OBJ_BRUSH)); }
  HFONT GetCurrentFont() const { return KvHandleCast<HFONT>(GetCurrentObject(OBJ_FONT)); }
  HBITMAP GetCurrentBitmap() const { return KvHandleCast<HBITMAP>(GetCurrentObject(OBJ_BITMAP)); }

  int SetROP2(int rop) { return ::SetROP2(m_hDC, rop); }
  int SetROP(int rop) { return SetROP2(rop); }
  int GetROP2() const { return ::GetROP2(m_hDC); }
  int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
  int GetBkMode() const { return ::GetBkMode(m_hDC); }
  // The background colour; white without a context.
  COLORREF GetBkColor() const { return m_hDC ? ::GetBkColor(m_hDC) : 0xFFFFFF; }
  COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
  COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
  COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
  int SetPolyFillMode(int mode) { return ::SetPolyFillMode(m_hDC, mode); }
  int GetPolyFillMode() const { return ::GetPolyFillMode(m_hDC); }
  UINT SetTextAlign(UINT align) { return ::SetTextAlign(m_hDC, align); }
  UINT GetTextAlign() const { return ::GetTextAlign(m_hDC); }
  int SetStretchBltMode(int mode) { return ::SetStretchBltMode(m_hDC, mode); }
  BOOL SetBrushOrg(int x, int y, POINT* old = nullptr) { return ::SetBrushOrgEx(m_hDC, x, y, old); }
  int SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
  int GetMapMode() const { return ::GetMapMode(m_hDC); }
  int SetGraphicsMode(int mode) { return ::SetGraphicsMode(m_hDC, mode); }

  // ---- coordinates ----
  POINT SetViewportOrg(int x, int y);
  POINT GetViewportOrg() const;
  POINT OffsetViewportOrg(int dx, int dy);
  SIZE SetViewportExt(int cx, int cy);
  SIZE GetViewportExt() const;
  POINT SetWindowOrg(int x, int y);
  POINT GetWindowOrg() const;
  SIZE SetWindowExt(int cx, int cy);
  SIZE GetWindowExt() const;
  BOOL LPtoDP(POINT* pts, int count = 1) const { return ::LPtoDP(m_hDC, pts, count); }
  BOOL DPtoLP(POINT* pts, int count = 1) const { return ::DPtoLP(m_hDC, pts, count); }
  BOOL LPtoDP(RECT* rc) const { return ::LPtoDP(m_hDC, reinterpret_cast<POINT*>(rc), 2); }
  BOOL DPtoLP(RECT* rc) const { return ::DPtoLP(m_hDC, reinterpret_cast<POINT*>(rc), 2); }

  // ---- clipping ----
  int SelectClipRgn(const SRgn* rgn) { return ::SelectClipRgn(m_hDC, rgn ? static_cast<HRGN>(*rgn) : nullptr); }
  int SelectClipRgn(const SRgn* rgn, int mode) {
    return ::ExtSelectClipRgn(m_hDC, rgn ? static_cast<HRGN>(*rgn) : nullptr, mode);
  }
  int IntersectClipRect(int l, int t, int r, int b) { return ::IntersectClipRect(m_hDC, l, t, r, b); }
  int IntersectClipRect(const RECT& rc) { return IntersectClipRect(rc.left, rc.top, rc.right, rc.bottom); }
  int ExcludeClipRect(int l, int t, int r, int b) { return ::ExcludeClipRect(m_hDC, l, t, r, b); }
  int GetClipBox(RECT* rc) const { return ::GetClipBox(m_hDC, rc); }
  BOOL PtVisible(int x, int y) const { return ::PtVisible(m_hDC, x, y); }
  BOOL RectVisible(const RECT* rc) const { return ::RectVisible(m_hDC, rc); }

  // ---- lines and shapes ----
  POINT MoveTo(int x, int y);
  POINT MoveTo(POINT pt) { return MoveTo(pt.x, pt.y); }
  POINT GetCurrentPosition() const;
  BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
  BOOL LineTo(POINT pt) { return LineTo(pt.x, pt.y); }
  BOOL Polyline(const POINT* pts, int count) { return ::Polyline(m_hDC, pts, count); }
  BOOL PolylineTo(const POINT* pts, int count) { return count >= 0 && ::PolylineTo(m_hDC, pts, static_cast<DWORD>(count)); }
  BOOL PolyBezier(const POINT* pts, int count) { return count >= 0 && ::PolyBezier(m_hDC, pts, static_cast<DWORD>(count)); }
  BOOL PolyBezierTo(const POINT* pts, int count) {
    return count >= 0 && ::PolyBezierTo(m_hDC, pts, static_cast<DWORD>(count));
  }
  BOOL Polygon(const POINT* pts, int count) { return ::Polygon(m_hDC, pts, count); }
  BOOL PolyPolygon(const POINT* pts, const INT* counts, int polys) { return ::PolyPolygon(m_hDC, pts, counts, polys); }
  BOOL Arc(int l, int t, int r, int b, int xs, int ys, int xe, int ye) { return ::Arc(m_hDC, l, t, r, b, xs, ys, xe, ye); }
  BOOL Arc(const RECT& rc, POINT s, POINT e) { return Arc(rc.left, rc.top, rc.right, rc.bottom, s.x, s.y, e.x, e.y); }
  BOOL Pie(int l, int t, int r, int b, int xs, int ys, int xe, int ye) { return ::Pie(m_hDC, l, t, r, b, xs, ys, xe, ye); }
  BOOL Pie(const RECT& rc, POINT s, POINT e) { return Pie(rc.left, rc.top, rc.right, rc.bottom, s.x, s.y, e.x, e.y); }
  BOOL Chord(int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
    return ::Chord(m_hDC, l, t, r, b, xs, ys, xe, ye);
  }
  BOOL Ellipse(int l, int t, int r, int b) { return ::Ellipse(m_hDC, l, t, r, b); }
  BOOL Ellipse(const RECT& rc) { return Ellipse(rc.left, rc.top, rc.right, rc.bottom); }
  BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
  BOOL Rectangle(const RECT& rc) { return Rectangle(rc.left, rc.top, rc.right, rc.bottom); }
  BOOL RoundRect(int l, int t, int r, int b, int w, int h) { return ::RoundRect(m_hDC, l, t, r, b, w, h); }
  BOOL RoundRect(const RECT& rc, POINT corner) {
    return RoundRect(rc.left, rc.top, rc.right, rc.bottom, corner.x, corner.y);
  }
  int FillRect(const RECT* rc, HBRUSH brush) { return rc && brush ? ::FillRect(m_hDC, rc, brush) : 0; }
  int FillRect(const RECT* rc, const SBrush* brush) { return brush ? FillRect(rc, static_cast<HBRUSH>(*brush)) : 0; }
  void FillSolidRect(const RECT* rc, COLORREF color);
  int FrameRect(const RECT* rc, HBRUSH brush) { return rc && brush ? ::FrameRect(m_hDC, rc, brush) : 0; }
  BOOL InvertRect(const RECT* rc) { return rc && ::InvertRect(m_hDC, rc); }
  BOOL DrawFocusRect(const RECT* rc) { return rc && ::DrawFocusRect(m_hDC, rc); }
  COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }
  COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
  BOOL FillRgn(const SRgn* rgn, const SBrush* brush) {
    return rgn && brush && ::FillRgn(m_hDC, *rgn, static_cast<HBRUSH>(*brush));
  }
  BOOL PaintRgn(const SRgn* rgn) { return rgn && ::PaintRgn(m_hDC, *rgn); }
  BOOL GradientFill(const TRIVERTEX* v, ULONG nv, const void* mesh, ULONG nm, ULONG mode) {
    return ::GradientFill(m_hDC, v, nv, mesh, nm, mode);
  }

  // ---- paths ----
  BOOL BeginPath() { return ::BeginPath(m_hDC); }
  BOOL EndPath() { return ::EndPath(m_hDC); }
  BOOL AbortPath() { return ::AbortPath(m_hDC); }
  BOOL CloseFigure() { return ::CloseFigure(m_hDC); }
  BOOL FillPath() { return ::FillPath(m_hDC); }
  BOOL StrokePath() { return ::StrokePath(m_hDC); }
  BOOL StrokeAndFillPath() { return ::StrokeAndFillPath(m_hDC); }
  BOOL FlattenPath() { return ::FlattenPath(m_hDC); }
  BOOL WidenPath() { return ::WidenPath(m_hDC); }
  int GetPath(POINT* pts, BYTE* types, int count) const { return ::GetPath(m_hDC, pts, types, count); }
  HRGN PathToRegion() { return ::PathToRegion(m_hDC); }
  BOOL SelectClipPath(int mode) { return ::SelectClipPath(m_hDC, mode); }

  // ---- bitmaps ----
  BOOL BitBlt(int x, int y, int w, int h, SDC* src, int xs, int ys, DWORD rop) {
    return ::BitBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, xs, ys, rop);
  }
  BOOL StretchBlt(int x, int y, int w, int h, SDC* src, int xs, int ys, int ws, int hs, DWORD rop) {
    return ::StretchBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, xs, ys, ws, hs, rop);
  }
  BOOL PatBlt(int x, int y, int w, int h, DWORD rop) { return ::PatBlt(m_hDC, x, y, w, h, rop); }

  // ---- text ----
  BOOL TextOut(int x, int y, const SString& text) { return ::TextOutW(m_hDC, x, y, text.c_str(), text.GetLength()); }
  BOOL ExtTextOut(int x, int y, UINT options, const RECT* rc, const SString& text, const INT* dx = nullptr) {
    return ::ExtTextOutW(m_hDC, x, y, options, rc, text.c_str(), static_cast<UINT>(text.GetLength()), dx);
  }
  int DrawText(const SString& text, RECT* rc, UINT format) {
    return ::DrawTextW(m_hDC, text.c_str(), text.GetLength(), rc, format);
  }
  int DrawText(const char16_t* text, int count, RECT* rc, UINT format) { return ::DrawTextW(m_hDC, text, count, rc, format); }
  SIZE GetTextExtent(const SString& text) const;
  SIZE GetTextExtent(const char16_t* text, int count) const;
  BOOL GetTextMetrics(TEXTMETRICW* tm) const { return ::GetTextMetricsW(m_hDC, tm); }

  // ---- documents ----
  int StartDoc(const SString& name);
  int StartDoc(const DOCINFOW* info) { return ::StartDocW(m_hDC, info); }
  int StartPage() { return ::StartPage(m_hDC); }
  int EndPage() { return ::EndPage(m_hDC); }
  int EndDoc() { return ::EndDoc(m_hDC); }
  int AbortDoc() { return ::AbortDoc(m_hDC); }

  // ---- pictures (device units of the rectangle; nothing for null objects) ----
  BOOL DrawBitmap(const RECT& rc, const SBitmap* bitmap);
  BOOL PlayMetaFile(const SMetaFile& mf, const RECT& rc);
  BOOL DrawMetaFile(const RECT& rc, const SMetaFile& mf) { return PlayMetaFile(mf, rc); }
  BOOL DrawIcon(const RECT& rc, SIconFile* icon, SPictureInfo* info);
  BOOL DrawCursor(const RECT& rc, SCursorFile* cursor, SPictureInfo* info);
  BOOL DrawImage(const RECT& rc, Gdiplus::Image* image, SPictureInfo* info);

  KV_DECLARE_CLASSINFO()

 protected:
  bool m_own = false;  // DeleteDC (or ReleaseDC by a subclass) at destruction
};

// The desktop's context (GetDC(null)), released when the object goes.
class SScreenDC : public SDC {
 public:
  SScreenDC();
  ~SScreenDC() override;
};

// A window's client context (GetDC(hwnd)), released when the object goes.
// Without a window layer the context is null and every call answers failure.
class SClientDC : public SDC {
 public:
  explicit SClientDC(HWND hwnd);
  ~SClientDC() override;
  HWND m_hWnd;
};

// The context a window paints with, from BeginPaint to EndPaint: clipped
// to the window's update region, which it validates; m_ps is the paint
// record (rcPaint the region's bounds, fErase whether the background still
// needs painting). Without a window the context is null.
class SPaintDC : public SDC {
 public:
  explicit SPaintDC(HWND hwnd);
  ~SPaintDC() override;
  HWND m_hWnd;
  PAINTSTRUCT m_ps{};
};

// Selects an object for the life of the scope and puts the previous one back.
class SSelectScope {
 public:
  SSelectScope(SDC& dc, HGDIOBJ obj) : m_dc(dc), m_old(dc.SelectObject(obj)) {}
  SSelectScope(SDC& dc, const SGdiObject& obj) : SSelectScope(dc, obj.GetSafeHandle()) {}
  ~SSelectScope() {
    if (m_old) m_dc.SelectObject(m_old);
  }
  SSelectScope(const SSelectScope&) = delete;
  SSelectScope& operator=(const SSelectScope&) = delete;
  HGDIOBJ GetOld() const { return m_old; }

 private:
  SDC& m_dc;
  HGDIOBJ m_old;
};

// SaveDC for the life of the scope; RestoreDC at its end.
class SSaveDCScope {
 public:
  explicit SSaveDCScope(SDC& dc) : m_dc(dc), m_level(dc.IsValid() ? dc.SaveDC() : 0) {}
  ~SSaveDCScope() {
    if (m_level > 0) m_dc.RestoreDC(m_level);
  }
  SSaveDCScope(const SSaveDCScope&) = delete;
  SSaveDCScope& operator=(const SSaveDCScope&) = delete;
  int GetLevel() const { return m_level; }

 private:
  SDC& m_dc;
  int m_level;
};
