// Two boxes with texts, a link with an arrowhead and a label: SVG and PNG.  quickstart [<folder>]
#include <string>
#include "kvrep/srepsession.h"
#include "sym/links/symlinksym.h"
#include "sym/render/symexport.h"
#include "sym/shapes/symrectfamily.h"
template <class T>
T* Make(ISRepSession* session, REFCLSID clsid) {
  void* made = nullptr;  // a new symbol of the library's class, one reference: the caller's
  session->CreateObject(clsid, IID_ISRepObject, &made);
  return dynamic_cast<T*>(SSymBase::FromInterface(static_cast<ISRepObject*>(made)));
}
int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : ".";
  auto* session = new SRepSession();  // owns the symbols, their undo and their classes
  session->AddRef();
  auto* order = Make<SSymRectangle>(session, CLSID_SSymRectangle);
  auto* customer = Make<SSymRectangle>(session, CLSID_SSymRectangle);
  order->PutRect(SSymRect(0, 3600, 7200, 0));  // 7200 units an inch, y grows upward
  customer->PutRect(SSymRect(14400, 3600, 21600, 0));
  order->SetText(SString(u"Order"), 0);
  customer->SetText(SString(u"Customer"), 0);
  auto* link = Make<SSymLinkSym>(session, CLSID_SSymLinkSym);
  link->AttachSym(0, order->Linkable(), SSymPoint(7200, 1800));
  link->AttachSym(1, customer->Linkable(), SSymPoint(14400, 1800));
  link->SetArrow(8, 0, 0);  // arrowhead type 0 at the destination end
  link->SetCtrText(SString(u"placed by"));
  ISSymbol* symbols[] = {order->Sym(), customer->Sym(), link->Sym()};
  auto draw = [&](SSymCanvas& canvas) {
    for (ISSymbol* s : symbols) s->Draw(canvas);
  };
  int failed = 0;  // the extension chooses the format
  for (const char* name : {"/quickstart.svg", "/quickstart.png"})
    failed += SSymExportImage(SString::FromUtf8(folder + name), draw, SSymRect(-720, 4320, 22320, -720), 1) != S_OK;
  link->DetachEnd(0), link->DetachEnd(1);  // a link and its ends hold each other
  for (ISSymbol* s : symbols) s->Release();
  session->Release();
  return failed;
}
