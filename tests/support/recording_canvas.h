// A canvas that records the drawing calls it is given, in diagram units,
// beside the device-level recording of support/canvas_fixture.h: each call is one
// line ("Rectangle 0 3600 4800 0", "SetPen 1 0 ff0000", ...). It is locked on
// a recording context, so every call also reaches the ordinary drawing code.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "support/canvas_fixture.h"

class RecordingCanvas : public SSymCanvas {
 public:
  RecordingCanvas() {
    InitScale(m_rec.dc);
    SetSizeDP({800, 600});
    SSymCanvas::Lock(m_rec.dc);
  }
  ~RecordingCanvas() override { SSymCanvas::Unlock(); }

  const std::vector<std::string>& Calls() const { return m_calls; }
  // The device-level log of the recording context under the canvas.
  const std::vector<std::string>& DeviceLog() const { return m_rec.Log(); }
  void ClearCalls() { m_calls.clear(); }
  // The calls that start with prefix.
  std::vector<std::string> Only(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& c : m_calls)
      if (c.rfind(prefix, 0) == 0) out.push_back(c);
    return out;
  }
  // The position of the first call starting with prefix, or -1.
  int IndexOf(const std::string& prefix) const {
    for (size_t i = 0; i < m_calls.size(); ++i)
      if (m_calls[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
    return -1;
  }
  static std::string R(const SSymRect& r) {
    return std::to_string(r.x1) + " " + std::to_string(r.y1) + " " + std::to_string(r.x2) + " " + std::to_string(r.y2);
  }
  static std::string P(const SSymPoint& p) { return std::to_string(p.x) + " " + std::to_string(p.y); }

  void SetPen(const SSymPen& pen) override {
    Log("SetPen " + std::to_string(pen.m_style) + " " + std::to_string(pen.m_width) + " " + Hex(pen.m_color.GetColor()));
    SSymCanvas::SetPen(pen);
  }
  void SetBrush(const SSymBrush& brush, int dark) override {
    Log("SetBrush " + std::to_string(brush.m_style) + " " + Hex(brush.m_color.GetColor()));
    SSymCanvas::SetBrush(brush, dark);
  }
  void Line(const SSymPoint& a, const SSymPoint& b) override {
    Log("Line " + P(a) + " " + P(b));
    SSymCanvas::Line(a, b);
  }
  void Arc(const SSymRect& r, const SSymPoint& s, const SSymPoint& e) override {
    Log("Arc " + R(r) + " " + P(s) + " " + P(e));
    SSymCanvas::Arc(r, s, e);
  }
  void Pie(const SSymRect& r, const SSymPoint& s, const SSymPoint& e, const SSymRect& area) override {
    Log("Pie " + R(r) + " " + P(s) + " " + P(e) + " " + R(area));
    SSymCanvas::Pie(r, s, e, area);
  }
  void Ellipse(const SSymRect& r) override {
    Log("Ellipse " + R(r));
    SSymCanvas::Ellipse(r);
  }
  void Rectangle(const SSymRect& r) override {
    Log("Rectangle " + R(r));
    SSymCanvas::Rectangle(r);
  }
  void DrawHandles(const SSymRect& r) override {
    Log("DrawHandles " + R(r));
    SSymCanvas::DrawHandles(r);
  }
  void RoundRect(const SSymRect& r, const SSymSize& c) override {
    Log("RoundRect " + R(r) + " " + std::to_string(c.cx) + " " + std::to_string(c.cy));
    SSymCanvas::RoundRect(r, c);
  }
  void Polygon(const SSymListPt& pts) override {
    Log("Polygon " + std::to_string(pts.GetCount()));
    SSymCanvas::Polygon(pts);
  }
  void FillRect(const SSymRect& r, const SSymBrush& brush) override {
    Log("FillRect " + R(r));
    SSymCanvas::FillRect(r, brush);
  }
  void Polyline(const SSymListPt& pts, int to) override {
    Log("Polyline " + std::to_string(pts.GetCount()));
    SSymCanvas::Polyline(pts, to);
  }
  void OffsetViewport(SSymSize d) override {
    Log("OffsetViewport " + std::to_string(d.cx) + " " + std::to_string(d.cy));
    SSymCanvas::OffsetViewport(d);
  }
  void DrawText(const SSymRect& r, const SString& text, int style) override {
    Log("DrawText " + R(r) + " " + text.ToUtf8());
    SSymCanvas::DrawText(r, text, style);
  }
  void DrawRtfText(const SSymRect& r, const SString& rtf, int first, int last, int* end) override {
    Log("DrawRtfText " + R(r));
    SSymCanvas::DrawRtfText(r, rtf, first, last, end);
  }
  using SSymCanvas::DrawIcon;
  void DrawIcon(const SSymRect& r, HICON icon, unsigned flags) override {
    Log("DrawIcon " + R(r));
    SSymCanvas::DrawIcon(r, icon, flags);
  }
  void DrawMetaFile(const SSymRect& r, const SMetaFile& mf) override {
    Log("DrawMetaFile " + R(r));
    SSymCanvas::DrawMetaFile(r, mf);
  }

 private:
  using SSymCanvas::DrawText;
  void Log(std::string s) { m_calls.push_back(std::move(s)); }
  static std::string Hex(unsigned long v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%06lx", v);
    return buf;
  }
  RecordingDC m_rec;
  std::vector<std::string> m_calls;
};
