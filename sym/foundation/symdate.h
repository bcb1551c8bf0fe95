// The repository date of now.
#pragma once

#include "win/windef.h"

// Seconds since 1970, 32 bits, as the repository stores dates.
LONG SSymNowDate();
