#include "kvlib/sshapenames.h"

#include <map>

namespace {
const std::map<UINT, const char*>& ShapeNames() {
  static const std::map<UINT, const char*> table = {
      {2707, "Draws a rectangle shape\nRectangle"},
      {2708, "Draws a ellipse shape\nEllipse"},
      {2713, "Draws a rounded rectangle shape\nRounded Rectangle"},
      {2900, "Draws a oval shape\nOval"},
      {2901, "Draws a triangle shape\nTriangle"},
      {2902, "Draws a right triangle shape\nRight Triangle"},
      {2903, "Draws a parallelogram shape\nParallelogram"},
      {2904, "Draws a trapezoid shape\nTrapezoid"},
      {2905, "Draws a diamond shape\nDiamond"},
      {2906, "Draws a pentagon shape\nPentagon"},
      {2907, "Draws a hexagon shape\nHexagon"},
      {2908, "Draws a octagon shape\nOctagon"},
      {2909, "Draws a five-pointed star shape\nFive-Pointed Star"},
      {2910, "Draws a six-pointed star shape\nSix-Pointed Star"},
      {2912, "Draws a data store shape\nData Store"},
      {2913, "Draws a cube shape\nCube"},
      {2914, "Draws a 3d rectangle shape\n3D Rectangle"},
      {2915, "Draws a actor shape\nActor"},
      {2916, "Draws a actress shape\nActress"},
      {2917, "Draws a folder shape\nFolder"},
      {2918, "Draws a file shape\nFile"},
      {2919, "Draws a predefined process shape\nPredefined Process"},
      {2920, "Draws a internal storage shape\nInternal Storage"},
      {2921, "Draws a document shape\nDocument"},
      {2922, "Draws a multiple documents shape\nMultiple Documents"},
      {2924, "Draws a manual input shape\nManual Input"},
      {2925, "Draws a card shape\nCard"},
      {2932, "Draws a off-page connector shape\nOff-Page Connector"},
      {2946, "Draws a multiple rectangles shape\nMultiple Rectangles"},
      {2947, "Draws a boundary object shape\nBoundary Object"},
      {2948, "Draws a entity object shape\nEntity Object"},
      {2949, "Draws a control object shape\nControl Object"},
      {2950, "Draws a process arrow shape\nProcess Arrow"},
      {2951, "Draws a envelope shape\nEnvelope"},
      {2952, "Draws a relationship type shape\nRelationship Type"},
      {2953, "Draws a entity type shape\nEntity Type"},
  };
  return table;
}
}  // namespace

SLibModuleState* SKvLibGetModuleState() {
  static SLibModuleState state;
  static const bool installed = (state.SetStringTable(&ShapeNames()), true);
  (void)installed;
  return &state;
}
