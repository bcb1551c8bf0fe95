#include "sym/foundation/symdate.h"

#include <ctime>

LONG SSymNowDate() { return static_cast<LONG>(std::time(nullptr)); }
