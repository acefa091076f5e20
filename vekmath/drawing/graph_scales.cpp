// Margins, ranges and the conversions between pixels and data of a graph.
#include <cmath>

#include "drawing/graph_table.h"
#include "vekmath.h"

using namespace vekmath;

DLL_EXPORT void WINAPI GraphSetMargins(LONG graph, LONG left, LONG right, LONG top, LONG bottom) {
  GraphRecord* g = findGraph(graph);
  if (g == nullptr) return;
  g->left = left;
  g->right = right;
  g->top = top;
  g->bottom = bottom;
  g->plotWidth = g->width - left - right;
  g->plotHeight = g->height - top - bottom;
  recomputeScales(*g);
}

DLL_EXPORT void WINAPI GraphSetRange(LONG graph, FLOAT xMin, FLOAT yMin, FLOAT xMax, FLOAT yMax) {
  GraphRecord* g = findGraph(graph);
  if (g == nullptr) return;
  g->xMin = xMin;
  g->yMin = yMin;
  g->xMax = xMax;
  g->yMax = yMax;
  g->xSpan = xMax - xMin;
  g->ySpan = yMax - yMin;
  recomputeScales(*g);
}

DLL_EXPORT void WINAPI GraphPixelToValue(LONG graph, FLOAT* x, FLOAT* y) {
  const GraphRecord* g = findGraph(graph);
  if (x == nullptr || y == nullptr || graphWithContext(graph) == nullptr || g == nullptr) return;
  *x = static_cast<FLOAT>((*x - g->left) * g->xUnits + g->xMin);
  *y = static_cast<FLOAT>(g->ySpan - (*y - g->top) * g->yUnits + g->yMin);
}

DLL_EXPORT void WINAPI GraphValueToPixel(LONG graph, FLOAT* x, FLOAT* y) {
  const GraphRecord* g = findGraph(graph);
  if (x == nullptr || y == nullptr || g == nullptr || !frameOf(*g).drawable()) return;
  *x = static_cast<FLOAT>((*x - g->xMin) / g->xUnits + g->left);
  *y = static_cast<FLOAT>((g->yMax - *y) / g->yUnits + g->top);
}
