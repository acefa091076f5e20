// Scale definitions of the graph table and the redraw of a graph.
#include <algorithm>

#include "drawing/graph_cursors.h"
#include "drawing/graph_table.h"
#include "vekmath.h"

namespace vekmath {
namespace {

// Moves the scales in use to the table's start, in their order, so that
// the room of reset graphs can be used again.
void compactScales(GraphTable& t) {
  auto* end =
      std::stable_partition(t.scales, t.scales + t.scaleCount, [](const ScaleRecord& s) { return s.inUse != 0; });
  std::fill(end, t.scales + t.scaleCount, ScaleRecord{});
  t.scaleCount = static_cast<LONG>(end - t.scales);
}

}  // namespace
}  // namespace vekmath

using namespace vekmath;

DLL_EXPORT void WINAPI GraphAddScale(LONG graph, FLOAT xStep, FLOAT yStep, FLOAT xOrigin, FLOAT yOrigin,
                                     LONG yLabelXOffset, LONG xLabelYOffset, LONG xLabelEvery, LONG yLabelEvery,
                                     LONG gridStyle, const LONG* style) {
  const GraphRecord* g = findGraph(graph);
  if (g == nullptr || style == nullptr) return;
  GraphTable& t = graphTable();
  if (t.scaleCount == kScaleSlots) compactScales(t);
  if (t.scaleCount == kScaleSlots) return;
  ScaleRecord& s = t.scales[t.scaleCount++];
  s = ScaleRecord{};
  s.inUse = 1;
  s.graphIndex = g->index;
  s.graphNumber = graph;
  s.spec = AxesSpec{xStep, yStep, xOrigin, yOrigin, yLabelXOffset, xLabelYOffset, xLabelEvery, yLabelEvery, gridStyle};
  // Callers pass the six colours of the axis drawing; the rest of the
  // record has no meaning and stays 0.
  std::copy(style, style + kAxesStyleValues, s.style);
}

DLL_EXPORT void WINAPI GraphRedraw(LONG graph) {
  const GraphRecord* g = findGraph(graph);
  if (graphWithContext(graph) == nullptr || g == nullptr) return;
  const PlotFrame f = frameOf(*g);
  const GraphTable& t = graphTable();
  for (LONG i = 0; i < t.scaleCount; ++i) {
    const ScaleRecord& s = t.scales[i];
    if (s.inUse == 0 || s.graphNumber != graph) continue;
    LONG colours[kAxesStyleValues];
    std::copy(s.style, s.style + kAxesStyleValues, colours);
    drawAxes(f, s.spec, colours, g->labelFont, true);
  }
  if (f.dc == nullptr || !f.drawable()) return;
  // Each cursor with its own width, as its moves draw it: a move must
  // cover exactly the pixels the redraw inverted.
  for (LONG i = 0; i < t.cursorCount; ++i) {
    const GraphCursorRecord& c = t.cursors[i];
    if (c.ParentGrapHandle != graph || c.bDisp != 1) continue;
    InvertingPen pen(f.dc, c);
    drawCursorLine(f, c.X1, c.Y1, c.X2, c.Y2);
  }
}
