// SSymCanvasPrinter: a canvas on a printer document (here a PDF file), one
// page of the diagram per printed page, with an optional frame, corner marks,
// a header and a footer around each page.
#pragma once

#include "kvcore/sdc.h"
#include "kvcore/sprintercache.h"
#include "sym/render/symcanv.h"
#include "sym/render/symprintdata.h"

class SSymCanvasPrinter : public SSymCanvas {
 public:
  // Length of the corner marks at a print scale of 100 percent (5 mm).
  static const int CornerSize;
  // Margins offered to callers (the canvas takes its own from the cache).
  static const int HorzMargin;
  static const int VertMargin;

  SSymCanvasPrinter(const SPrinterCache& cache, const SString& title, SSymPrintData& data, SSymSize pageSize);
  ~SSymCanvasPrinter() override;

  // Gives the canvas a printer context before Lock (owned when `own`); without
  // one, Lock asks the printer cache for a context of the chosen printer.
  void AttachDC(HDC hdc, bool own);
  // Starts the document. 0 when there is no printer context or the document
  // cannot be started (the canvas is then not locked).
  virtual int Lock();
  // Starts a page showing the diagram rectangle r. 0 when the page cannot be
  // started (nothing is drawn then).
  virtual int StartPage(const SSymRect& r, const SString& header, const SString& footer);
  // 0 when the page cannot be ended.
  virtual int EndPage();
  // Ends the document and deletes the printer context the canvas owns.
  void Unlock() override;
  // Whether every document call so far succeeded (Lock through Unlock).
  bool Succeeded() const { return m_bLockedDoc == 0 && !m_bFailed && m_bStarted; }
  bool HasFailed() const { return m_bFailed; }

  void SetMeasureCanvas(SSymCanvas* canvas) { m_pMeasure = canvas; }
  SSymCanvas* GetMeasureCanvas() const { return m_pMeasure; }
  int GetPixelsPerInchX() const { return m_ppiX; }
  int GetPixelsPerInchY() const { return m_ppiY; }
  // The print scale in use: the print data's, or 100 when that is not positive.
  int GetPrintScale() const { return m_data.m_nScale > 0 ? m_data.m_nScale : 100; }
  // The corner-mark length at the print scale.
  int GetCornerLength() const { return 141700 / GetPrintScale(); }

  int GetCanvasType() override { return 5; }
  void SetFont(const SSymFont& font) override;
  SIZE GetFontSize(SSymCanvasScaler& scaler, LOGFONTW& lf) override;

  int GetTextWidth(const SString& text, const SSymFont& font) override;
  int GetTextHeight(const SString& text, const SSymFont& font) override;
  int GetTextHeight(const SString& text, int style, int width) override;
  int GetTextHeight(const SString& text) override;
  SSymSize GetTextExtent(const SString& text, const SSymFont& font) override;
  SSymSize GetTextExtent(const SString& text) override;
  SSymSize GetWrapTextExtent(const SString& text, const SSymFont& font, int width) override;
  SSymSize GetWrapTextExtent(const SString& text, int width) override;
  SSymSize GetTruncTextExtent(const SString& text, const SSymFont& font, int width) override;
  SSymSize GetTruncTextExtent(const SString& text, int width) override;
  SSymSize GetRTFTextExtent(const SString& rtf, int width, int a, int b) override;
  int GetRTFTextLength(const SString& rtf, int width, int height, int first) override;

  void InitScale(SDC& dc) override;

  KV_DECLARE_CLASSINFO()

 protected:
  using SSymCanvas::Lock;

  SPrinterCache m_cache;
  SDC m_dc;
  bool m_bMadeDC = false;
  SSymCanvas* m_pMeasure = nullptr;
  SSymPrintData& m_data;
  SString m_title;
  SSymSize m_pageSize;
  int m_ppiX = 0;
  int m_ppiY = 0;
  int m_bLockedDoc = 0;  // between a successful Lock and Unlock
  int m_bInPage = 0;
  bool m_bStarted = false;
  bool m_bFailed = false;
};
