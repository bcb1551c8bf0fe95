// The repository library's own resources: the drop menu a view shows when
// something is dragged with the right mouse button (1007), and the drag
// cursors of the program's extended drop effects. They belong to this
// library's module, so a caller loads them while this module's state is
// current (SRepGetModuleState).
#include "kvcore/smodulestate.h"
#include "kvrep/sreptypelib.h"
#include "win/wininput.h"
#include "win/winloader.h"
#include "win/winmenu.h"
#include "win/winres.h"

namespace {

const char s_moduleMarker = 0;

HINSTANCE ThisModule() { return KvModuleHandleFromAddress(&s_moduleMarker); }

constexpr UINT P = MF_POPUP;
constexpr UINT S = MF_SEPARATOR;

// Two pop-ups: the first for drops on the model's browser, the second for
// drops on a diagram. A view keeps the diagram entries whose effect the
// drag allows and cancels on anything else (10015, 10017, no choice).
const KvMenuTemplateItem kDropMenu[] = {
    {0, P, 0, u"Browser"},
    {1, 0, 10012, u"&Copy Here"},
    {1, 0, 10013, u"&Move Here"},
    {1, S, 0, nullptr},
    {1, 0, 10015, u"Cancel"},
    {0, P, 0, u"Diagram"},
    {1, 0, 10012, u"&Copy Here"},
    {1, 0, 10013, u"&Move Here"},
    {1, 0, 10014, u"Create &Link Here"},
    {1, 0, 10016, u"Create &Shortcut Here"},
    {1, 0, 10018, u"Create &Replica Here"},
    {1, S, 0, nullptr},
    {1, 0, 10017, u"&Attach Here"},
    {1, 0, 10015, u"Cancel"},
};
constexpr UINT kDropMenuId = 1007;

// The drag cursors of the extended drop effects (8, 32, 64, 128, 256): the
// window system knows cursors by their resource, so each is a named stand-in.
const unsigned char kCursorStandIn[] = {'c', 'u', 'r'};
constexpr UINT kCursors[] = {104, 1012, 1016, 1017};

struct Resources {
  Resources() : module(ThisModule()) {
    KvRegisterResource(module, RT_MENU, MAKEINTRESOURCEW(kDropMenuId), kDropMenu, DWORD(sizeof kDropMenu));
    for (UINT id : kCursors)
      KvRegisterResource(module, RT_GROUP_CURSOR, MAKEINTRESOURCEW(id), kCursorStandIn, sizeof kCursorStandIn);
  }
  ~Resources() {
    KvUnregisterResource(module, RT_MENU, MAKEINTRESOURCEW(kDropMenuId));
    for (UINT id : kCursors) KvUnregisterResource(module, RT_GROUP_CURSOR, MAKEINTRESOURCEW(id));
  }
  HINSTANCE module;
};
const Resources s_resources;

}  // namespace

SModuleState* SRepGetModuleState() {
  static SModuleState state(ThisModule());
  return &state;
}
