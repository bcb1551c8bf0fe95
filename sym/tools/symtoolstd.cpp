#include "sym/tools/symtoolstd.h"

// Abstract classes have records without a creation function.
KV_IMPLEMENT_CLASSINFO(SSymToolStd, SSymToolBase);
KV_IMPLEMENT_DYNCREATE(SSymToolProperties, SSymToolStd);
KV_IMPLEMENT_DYNCREATE(SSymToolDelete, SSymToolStd);
KV_IMPLEMENT_CLASSINFO(SSymToolZoomBase, SSymToolStd);
KV_IMPLEMENT_DYNCREATE(SSymToolZoomIn, SSymToolZoomBase);
KV_IMPLEMENT_DYNCREATE(SSymToolZoomOut, SSymToolZoomBase);
KV_IMPLEMENT_CLASSINFO(SSymToolSymbol, SSymToolStd);
KV_IMPLEMENT_DYNCREATE(SSymToolRectangle, SSymToolSymbol);
KV_IMPLEMENT_DYNCREATE(SSymToolRoundRect, SSymToolSymbol);
KV_IMPLEMENT_DYNCREATE(SSymToolEllipse, SSymToolSymbol);
KV_IMPLEMENT_DYNCREATE(SSymToolText, SSymToolSymbol);
KV_IMPLEMENT_DYNCREATE(SSymToolLine, SSymToolSymbol);
KV_IMPLEMENT_DYNCREATE(SSymToolArc, SSymToolSymbol);
KV_IMPLEMENT_DYNCREATE(SSymToolPredefinedSym, SSymToolSymbol);
KV_IMPLEMENT_CLASSINFO(SSymToolPoly, SSymToolSymbol);
KV_IMPLEMENT_DYNCREATE(SSymToolPolyline, SSymToolPoly);
KV_IMPLEMENT_DYNCREATE(SSymToolPolygon, SSymToolPoly);
KV_IMPLEMENT_DYNCREATE(SSymToolLinkSym, SSymToolPoly);
