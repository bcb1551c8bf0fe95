// The standard tools: the tools that are not the pointer. Properties and
// delete act on a click; the zoom tools and the symbol-creation tools drag.
// Each creation tool creates the symbol type its constructor stores.
#pragma once

#include "kvcore/sstring.h"
#include "sym/tools/symtool.h"

class SSymToolStd : public SSymToolBase {
  KV_DECLARE_CLASSINFO()

 public:
  // The stereotype the tool gives what it creates; none by default.
  virtual SString GetStereotype() { return SString(); }

 protected:
  SSymToolStd() = default;
};

class SSymToolProperties : public SSymToolStd {
  KV_DECLARE_CLASSINFO()
};

class SSymToolDelete : public SSymToolStd {
  KV_DECLARE_CLASSINFO()
};

class SSymToolZoomBase : public SSymToolStd, public SSymToolCapture {
  KV_DECLARE_CLASSINFO()

 protected:
  SSymToolZoomBase() = default;
};

class SSymToolZoomIn : public SSymToolZoomBase {
  KV_DECLARE_CLASSINFO()
};

class SSymToolZoomOut : public SSymToolZoomBase {
  KV_DECLARE_CLASSINFO()
};

class SSymToolSymbol : public SSymToolStd, public SSymToolCapture {
  KV_DECLARE_CLASSINFO()

 protected:
  explicit SSymToolSymbol(int type) { SetSymbolType(type); }
};

// One creation tool per symbol type: the class and the type code it makes.
#define KV_SYM_CREATION_TOOL(cls, base, type) \
  class cls : public base {                   \
    KV_DECLARE_CLASSINFO()                    \
                                              \
   public:                                    \
    cls() : base(type) {}                     \
  }

KV_SYM_CREATION_TOOL(SSymToolRectangle, SSymToolSymbol, 3);
KV_SYM_CREATION_TOOL(SSymToolRoundRect, SSymToolSymbol, 4);
KV_SYM_CREATION_TOOL(SSymToolEllipse, SSymToolSymbol, 5);
KV_SYM_CREATION_TOOL(SSymToolText, SSymToolSymbol, 7);
KV_SYM_CREATION_TOOL(SSymToolLine, SSymToolSymbol, 1);
KV_SYM_CREATION_TOOL(SSymToolArc, SSymToolSymbol, 6);
// The predefined-symbol tool takes its type from the command that chose it.
KV_SYM_CREATION_TOOL(SSymToolPredefinedSym, SSymToolSymbol, SSymToolBase::DefaultSymbolType);

// The tools that draw lines point by point.
class SSymToolPoly : public SSymToolSymbol {
  KV_DECLARE_CLASSINFO()

 protected:
  explicit SSymToolPoly(int type) : SSymToolSymbol(type) {}
};

KV_SYM_CREATION_TOOL(SSymToolPolyline, SSymToolPoly, 1);
KV_SYM_CREATION_TOOL(SSymToolPolygon, SSymToolPoly, 2);
KV_SYM_CREATION_TOOL(SSymToolLinkSym, SSymToolPoly, 8);

#undef KV_SYM_CREATION_TOOL
