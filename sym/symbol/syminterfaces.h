// The symbol interfaces, all families together: the symbol and its chain
// (symintfsymbol.h), links and what they attach to (symintflink.h), owners,
// the diagram, composites, groups and trees (symintfowner.h), ports and
// swimlanes (symintfplace.h), the host's faces (symintfhost.h) and the
// faces of formats and contents (symintfformat.h). Include a family alone
// where that is all a file needs.
#pragma once

#include "sym/symbol/symintfformat.h"
#include "sym/symbol/symintfhost.h"
#include "sym/symbol/symintflink.h"
#include "sym/symbol/symintfowner.h"
#include "sym/symbol/symintfplace.h"
#include "sym/symbol/symintfsymbol.h"
