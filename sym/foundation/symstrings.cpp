#include "sym/foundation/symstrings.h"

SString SSymLoadString(UINT id) {
  static const struct {
    UINT id;
    const char* text;
  } kStrings[] = {
      {1060, "Diagram %d"},
      {1308, "Polyline"},
      {1309, "Polygon"},
      {1310, "Rectangle"},
      {1311, "RoundRect"},
      {1312, "Ellipse"},
      {1313, "Arc"},
      {1314, "Text"},
      {1315, "Link Symbol"},
      {1316, "Group Symbol"},
      {1317, "Unknown Symbol"},
      {1327, "Changing position of symbols"},
      {1328, "Changing format of symbols"},
      {1329, "Changing font style of symbols"},
      {1330, "Changing text style of symbols"},
      {1331, "Changing line style of symbols"},
      {1332, "Changing size of symbols"},
      {1333, "Changing list of points of a polyline symbol"},
      {1334, "Changing text position of symbols"},
      {1335, "Grouping a list of symbols"},
      {1336, "Ungrouping a list of symbols"},
      {1337, "Show a list of symbols"},
      {1338, "Hide a list of symbols"},
      {1339, "Protecting a list of symbols"},
      {1340, "Unprotecting a list of symbols"},
      {1341, "Changing shadow style of a list of symbols"},
      {1342, "Changing adjust text of symbols"},
      {1343, "Inversing link symbol extremities"},
      {1344, "Changing link symbol extremity"},
      {1378, "Text"},
      {1395, "custom size (%d x %d)"},
      {1397, "The symbol %s must have a diagram"},
      {1404, "The edit font is not valid !"},
      {1414, "Group"},
      {1415, "Invalid link symbol extremity"},
      {1478, "kvlayout16.dll"},
      {1479, "Could not load the auto layout library (%s)."},
      {1480, "The auto layout library (%s) is not up to date."},
      {1416, "An object (symbol) should not have more than one parent (%s)"},
      {1417, "Mandatory"},
  };
  for (const auto& s : kStrings)
    if (s.id == id) return SString(s.text);
  return SString();
}
