#include "kvlib/sliboleconst.h"

SOleConstant g_oleConst;
