#include "sym/tools/symtool.h"

KV_IMPLEMENT_CLASSINFO(SSymToolBase, SObject);
KV_IMPLEMENT_DYNCREATE(SSymToolPointer, SSymToolBase);
