#include "sym/symbol/symintflink.h"

int g_SymApplyCustomSymbol = 0;
