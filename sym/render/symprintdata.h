// SSymPrintData: the settings of one print. It carries the user's lasting
// print options (copies, all pages, frame, corner marks, colour; read from
// the user's settings when the record is made and written back by each
// setter), the print scale, the diagram's page settings saved by the print
// dialog so that they can be put back after the print, and the printer's
// device-mode and device-names blocks the print uses.
//
// The record owns its device-mode and device-names handles and frees them
// when it goes. Storing a new handle frees the one held before (when it is
// another). A copy carries the options and the saved settings but none of
// the handles: the blocks stay with the record that holds them.
#pragma once

#include "sym/foundation/symgeom.h"
#include "win/windef.h"
#include "win/winspool.h"

struct SSymPrintData {
  // The options from the user's settings ("PrintDiagNbCopy",
  // "PrintDiagAllPage", "PrintDiagFrame", "PrintDiagCorner",
  // "PrintDiagColor"), defaults where none is stored; print scale 100.
  SSymPrintData();
  ~SSymPrintData();
  SSymPrintData(const SSymPrintData& other);
  SSymPrintData& operator=(const SSymPrintData& other);

  // Each stores the value and writes it to the user's settings at once.
  void SetNbCopy(int copies);
  void SetPrintAllPages(int all);
  void SetPrintFrame(int frame);
  void SetPrintCorner(int corner);
  void SetPrintColor(int color);

  // The blocks the print uses; storing frees the block held before.
  HGLOBAL GetDevMode() const { return m_hDevMode; }
  HGLOBAL GetDevNames() const { return m_hDevNames; }
  void SetDevMode(HGLOBAL devMode);
  void SetDevNames(HGLOBAL devNames);
  // Lets go of both blocks without freeing them (another holder frees them).
  void ForgetPrinterBlocks() { m_hDevMode = m_hDevNames = nullptr; }

  int m_nCopies = 1;    // "PrintDiagNbCopy"
  int m_bAllPages = 1;  // "PrintDiagAllPage"
  int m_bFrame = 1;     // "PrintDiagFrame": a frame around each page
  int m_bCorner = 0;    // "PrintDiagCorner": corner marks
  int m_bColor = 0;     // "PrintDiagColor": 1 colour, 0 black and white
  int m_nScale = 100;   // print scale in percent

  // The diagram's page settings when the print dialog opened.
  int m_nSavedScale = 100;
  SSymRect m_savedClip;
  double m_dSavedZoom = 100.0;
  SSymPoint m_savedZoomPoint;
  POINT m_savedPaperSize = {0, 0};
  LONG m_nSavedPgSize = 0;
  LONG m_nSavedPgFormat = 0;
  LONG m_nSavedPaperSource = 0;
  RECT m_savedMargins = {0, 0, 0, 0};
  LONG m_nSavedOrientation = 0;
  // Private copies of the printer's blocks, handed back to the printer when
  // the settings are put back.
  HGLOBAL m_hSavedDevMode = nullptr;
  HGLOBAL m_hSavedDevNames = nullptr;

 private:
  void CopyChoices(const SSymPrintData& other);
  HGLOBAL m_hDevMode = nullptr;
  HGLOBAL m_hDevNames = nullptr;
};
