// The library's string table: the texts of its messages and names by
// string id.
#pragma once

#include "kvcore/sstring.h"
#include "win/windef.h"

// The text of a string (the diagram name format 1060, the size units'
// names 1061, 1063 and 1065, the format sheet's caption 1066, the line-text
// sheet's caption 1073, the note dialog's title 1105 and the
// line page's "Notation" 1403, action messages 1327
// to 1344, symbol type names 1308 to 1317, the custom paper form name 1395,
// check messages 1397 and 1416, the font cell warning 1404, the mandatory mark 1417, the layout style
// names 1405 to 1411, placement names 1450 to 1457 and the placement
// labels 1476 and 1477),
// the labels of the persistent classes (SSymGetClassLabel) and of their
// attributes and collections, and the attributes' lists of values (as their
// descriptions give them); empty for any other id.
SString SSymLoadString(UINT id);
