// The library's menu and cursor resources: the context menus of the editing
// view (115), the single-entry menus of the diagram commands (116 to 118),
// the main-menu fragment a host merges (102), and the tools' cursors.
// Registered with the library's module when it loads, like its metadata.
#include <cstdint>

#include "sym/foundation/sdsym.h"
#include "win/wininput.h"
#include "win/winmenu.h"

namespace {

constexpr UINT P = MF_POPUP;
constexpr UINT S = MF_SEPARATOR;

// The three context pop-ups, chosen by position: a symbol, the diagram, a
// sub-object mark. Positions and labels are read by the menu updates: a
// change here must keep them.
const KvMenuTemplateItem kContextMenus[] = {
    {0, P, 0, u"0:Object"},
    {1, 0, 2113, u"Find in &Browser\tCtrl+B"},
    {1, 0, 2116, u"&Impact and Lineage Analysis...\tCtrl+F11"},
    {1, S, 0, nullptr},
    {1, P, 0, u"&Related Diagram"},
    {2, 0, 2533, u"&New..."},
    {1, S, 0, nullptr},
    {1, P, 0, u"&Composite View"},
    {2, 0, 2224, u"&None"},
    {2, 0, 2223, u"&Read-only (Sub-Diagram)"},
    {2, 0, 2222, u"&Editable"},
    {2, S, 0, nullptr},
    {2, 0, 2220, u"&Show Hidden Symbols"},
    {2, 0, 2221, u"&Display All Child Symbols"},
    {2, 0, 2225, u"&Adjust to read-only view"},
    {1, 0, 2526, u"Open Dia&gram\tCtrl+Add"},
    {1, S, 0, nullptr},
    {1, 0, 2348, u"&Reroute Link"},
    {1, S, 0, nullptr},
    {1, 0, 2300, u"&Format...\tCtrl+T"},
    {1, 0, 2414, u"S&ub-objects Format..."},
    {1, 0, 2415, u"Change &Image..."},
    {1, 0, 2410, u"&Get Format"},
    {1, 0, 2411, u"Apply For&mat"},
    {1, 0, 2301, u"Ad&just to Text\tCtrl+J"},
    {1, S, 0, nullptr},
    {1, 0, 2304, u"Auto-La&yout..."},
    {1, P, 0, u"A&lign"},
    {2, 0, 2332, u"&Left"},
    {2, 0, 2333, u"&Center"},
    {2, 0, 2334, u"&Right"},
    {2, 0, 2335, u"Same &Width"},
    {2, 0, 2336, u"&Top"},
    {2, 0, 2337, u"&Middle"},
    {2, 0, 2338, u"&Bottom"},
    {2, 0, 2339, u"Same &Height"},
    {2, 0, 2340, u"Space &Horizontally"},
    {2, 0, 2341, u"Space &Vertically"},
    {1, P, 0, u"&Disposition"},
    {2, 0, 2344, u"&Horizontal\tCtrl+H"},
    {2, 0, 2345, u"&Vertical\tCtrl+L"},
    {2, S, 0, nullptr},
    {2, 0, 2314, u"&Flip Horizontal"},
    {2, 0, 2315, u"F&lip Vertical"},
    {2, S, 0, nullptr},
    {2, 0, 2327, u"Arrange &Symbols"},
    {2, 0, 2328, u"Arrange &Connectors"},
    {2, 0, 2329, u"Arrange Attach &Points"},
    {2, 0, 2330, u"Arrange Attached &Text"},
    {1, P, 0, u"&Order"},
    {2, 0, 2313, u"Bring to &Front"},
    {2, 0, 2312, u"Send to &Back"},
    {2, 0, 2311, u"Bring &Forward"},
    {2, 0, 2310, u"Send Back&ward"},
    {1, S, 0, nullptr},
    {1, 0, 2320, u"Group Sym&bols"},
    {1, 0, 2107, u"Create Dia&gram from Selection"},
    {1, 0, 2321, u"&Ungroup Symbols"},
    {1, S, 0, nullptr},
    {1, P, 0, u"&Swimlane Group Type"},
    {2, 0, 2346, u"&User-Defined"},
    {2, 0, 2347, u"By &Parent"},
    {1, S, 0, nullptr},
    {1, P, 0, u"&Edit"},
    {2, 0, 109, u"Cu&t\tCtrl+X"},
    {2, 0, 110, u"&Copy\tCtrl+C"},
    {2, 0, 111, u"&Paste\tCtrl+V"},
    {2, 0, 2103, u"Paste as &Shortcut\tCtrl+K"},
    {2, 0, 115, u"&Delete\tDel"},
    {2, S, 0, nullptr},
    {2, 0, 2105, u"Select C&onnected Symbols"},
    {2, 0, 2104, u"Create Graphical &Synonym\tCtrl+M"},
    {2, S, 0, nullptr},
    {2, P, 0, u"&Find Graphical Synonym"},
    {3, 0, 129, u"<Graphical Synonym List>"},
    {2, S, 0, nullptr},
    {2, 0, 2324, u"&Hide Symbols"},
    {2, 0, 2322, u"P&rotect Symbols"},
    {1, 0, 60999, u"&Rename\tF2"},
    {1, 0, 118, u"&Properties\tAlt+Enter"},

    {0, P, 0, u"1:Global Viewer"},
    {1, P, 0, u"&Edit"},
    {2, 0, 111, u"&Paste\tCtrl+V"},
    {2, 0, 2103, u"Paste as &Shortcut\tCtrl+K"},
    {2, S, 0, nullptr},
    {2, 0, 114, u"Select A&ll\tCtrl+A"},
    {2, S, 0, nullptr},
    {2, 0, 2112, u"&Find Objects...\tCtrl+F"},
    {2, 0, 2115, u"&Replicate Objects...\tCtrl+Alt+R"},
    {2, 0, 2113, u"Find in &Browser\tCtrl+B"},
    {2, 0, 2116, u"&Impact and Lineage Analysis...\tCtrl+F11"},
    {1, S, 0, nullptr},
    {1, P, 0, u"&Diagram"},
    {2, 0, 2525, u"&New Diagram..."},
    {2, 0, 2528, u"&Delete Diagram"},
    {2, S, 0, nullptr},
    {2, 0, 2527, u"&Select Diagram...\tCtrl+D"},
    {2, 0, 2529, u"&Go Up One Level\tCtrl+U"},
    {2, 0, 2560, u"&Open Sibling Diagram"},
    {2, S, 0, nullptr},
    {2, 0, 2325, u"S&how Symbols..."},
    {2, 0, 1110, u"Convert to &Package..."},
    {2, 0, 1112, u"Con&vert to Composite..."},
    {2, 0, 1118, u"&Move to Package..."},
    {2, S, 0, nullptr},
    {2, 0, 2530, u"&Properties"},
    {1, S, 0, nullptr},
    {1, 0, 2326, u"Display Pre&ferences..."},
    {1, 0, 2600, u"&Model Options..."},
    {1, S, 0, nullptr},
    {1, 0, 2601, u"&Check Model...\tF4"},
    {1, S, 0, nullptr},
    {1, 0, 2200, u"&Properties"},

    {0, P, 0, u"2:Sub-Symbol"},
    {1, 0, 2113, u"Find in &Browser\tCtrl+B"},
    {1, 0, 2116, u"&Impact and Lineage Analysis...\tCtrl+F11"},
    {1, S, 0, nullptr},
    {1, 0, 2414, u"S&ub-objects Format..."},
    {1, P, 0, u"&Edit"},
    {2, 0, 109, u"Cu&t\tCtrl+X"},
    {2, 0, 110, u"&Copy\tCtrl+C"},
    {2, 0, 115, u"&Delete\tDel"},
    {2, S, 0, nullptr},
    {2, 0, 2671, u"&Insert\tCtrl+I"},
    {2, 0, 2672, u"&Add\tCtrl+N"},
    {1, 0, 60999, u"&Rename\tF2"},
    {1, 0, 118, u"&Properties\tAlt+Enter"},
};

const KvMenuTemplateItem kNewDiagram[] = {{0, P, 0, u"Diagram"}, {1, 0, 2525, u"&New Diagram..."}};
const KvMenuTemplateItem kGoUp[] = {{0, P, 0, u"Diagram"}, {1, 0, 2529, u"&Go Up One Level\tCtrl+U"}};
const KvMenuTemplateItem kSibling[] = {{0, P, 0, u"Diagram"}, {1, 0, 2560, u"&Open Sibling Diagram"}};

// The host's main-menu fragment: the library's commands under the host's menus.
const KvMenuTemplateItem kMainMenu[] = {
    {0, P, 0, u"&Edit"},
    {1, 0, 109, u"Cu&t\tCtrl+X"},
    {1, 0, 110, u"&Copy\tCtrl+C"},
    {1, 0, 111, u"&Paste\tCtrl+V"},
    {1, P, 0, u"Paste &Special"},
    {2, 0, 112, u"Paste &Special..."},
    {2, 0, 2103, u"Paste as &Shortcut\tCtrl+K"},
    {1, 0, 115, u"&Delete\tDel"},
    {1, S, 0, nullptr},
    {1, 0, 114, u"Select A&ll\tCtrl+A"},
    {1, 0, 2105, u"Select C&onnected Symbols"},
    {1, S, 0, nullptr},
    {1, 0, 113, u"Insert &Object..."},
    {1, 0, 2102, u"Export in Co&lor"},
    {0, P, 0, u"&View"},
    {1, 0, 2511, u"Zoom &In"},
    {1, 0, 2512, u"Zoom &Out"},
    {1, 0, 2513, u"Zoom to &Selection"},
    {1, S, 0, nullptr},
    {1, 0, 2518, u"&Page"},
    {1, 0, 2517, u"&Used Area"},
    {1, 0, 2519, u"&All Pages"},
    {1, 0, 2514, u"&Global View"},
    {1, S, 0, nullptr},
    {1, 0, 2500, u"25%"},
    {1, 0, 2502, u"50%"},
    {1, 0, 2505, u"100%"},
    {1, 0, 2509, u"200%"},
    {1, 0, 2510, u"400%"},
    {0, P, 0, u"&Symbol"},
    {1, 0, 2300, u"&Format...\tCtrl+T"},
    {1, 0, 2301, u"Ad&just to Text\tCtrl+J"},
    {1, 0, 2302, u"&Normal Size"},
    {1, 0, 2304, u"Auto-La&yout..."},
    {1, S, 0, nullptr},
    {1, 0, 2320, u"Group Sym&bols"},
    {1, 0, 2321, u"&Ungroup Symbols"},
    {1, 0, 2322, u"P&rotect Symbols"},
    {1, 0, 2324, u"&Hide Symbols"},
    {1, S, 0, nullptr},
    {1, 0, 2313, u"Bring to &Front"},
    {1, 0, 2312, u"Send to &Back"},
    {0, P, 0, u"&Tools"},
    {1, 0, 2700, u"&Pointer"},
    {1, 0, 2701, u"&Lasso"},
    {1, 0, 2702, u"&Grabber"},
    {1, 0, 2703, u"Zoom &In"},
    {1, 0, 2704, u"Zoom &Out"},
    {1, 0, 2705, u"P&roperties"},
    {1, 0, 2706, u"&Delete"},
    {1, S, 0, nullptr},
    {1, 0, 2707, u"&Rectangle"},
    {1, 0, 2708, u"&Ellipse"},
    {1, 0, 2709, u"Li&ne"},
    {1, 0, 2710, u"&Arc"},
    {1, 0, 2711, u"Pol&yline"},
    {1, 0, 2712, u"Poly&gon"},
    {1, 0, 2713, u"Rou&nded Rectangle"},
    {1, 0, 2714, u"&Text"},
};

struct MenuResource {
  UINT id;
  const KvMenuTemplateItem* rows;
  std::size_t count;
};
template <std::size_t N>
constexpr MenuResource Menu(UINT id, const KvMenuTemplateItem (&rows)[N]) {
  return {id, rows, N};
}
const MenuResource kMenus[] = {Menu(102, kMainMenu), Menu(115, kContextMenus), Menu(116, kNewDiagram),
                               Menu(117, kGoUp), Menu(118, kSibling)};

// The tools' cursors (112, 113 and 118 to 130) and the pointer tool's pool
// borders (131 horizontal, 132 vertical): the window system knows cursors
// by their resource, so each is a named stand-in.
const unsigned char kCursorStandIn[] = {'c', 'u', 'r'};
constexpr UINT kCursors[] = {112, 113, 118, 119, 120, 121, 122, 123, 124, 125, 126, 127, 128, 129, 130, 131, 132};

// Registers the resources with the library module once it is known, and
// takes them away when the library unloads.
struct Registration {
  Registration() {
    HINSTANCE module = SSymGetInstanceHandle();
    for (const MenuResource& m : kMenus)
      KvRegisterResource(module, RT_MENU, MAKEINTRESOURCEW(m.id), m.rows,
                         DWORD(m.count * sizeof(KvMenuTemplateItem)));
    for (UINT id : kCursors)
      KvRegisterResource(module, RT_GROUP_CURSOR, MAKEINTRESOURCEW(id), kCursorStandIn, sizeof kCursorStandIn);
  }
  ~Registration() {
    HINSTANCE module = SSymGetInstanceHandle();
    for (const MenuResource& m : kMenus) KvUnregisterResource(module, RT_MENU, MAKEINTRESOURCEW(m.id));
    for (UINT id : kCursors) KvUnregisterResource(module, RT_GROUP_CURSOR, MAKEINTRESOURCEW(id));
  }
};
Registration s_registration __attribute__((init_priority(104)));

}  // namespace
