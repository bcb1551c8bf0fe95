#include "sym/render/symviewsite.h"

namespace {
// Constant-initialised, so that it holds null before any start-up code of
// the library runs, whatever the order of the installers.
constinit ISSymViewSite* g_viewSite = nullptr;
}  // namespace

ISSymViewSite* SSymGetViewSite() { return g_viewSite; }
void SSymSetViewSite(ISSymViewSite* site) { g_viewSite = site; }
