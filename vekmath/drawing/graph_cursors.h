// Drawing of cursor lines, shared by the moves and the redraw.
#pragma once
#include <vekmath/graph_table.h>

#include "drawing/plot_frame.h"

namespace vekmath {

// The cursor's pen selected in the inverting mode for one scope; the mode
// before is put back.
class InvertingPen {
 public:
  InvertingPen(HDC dc, const GraphCursorRecord& c);
  ~InvertingPen();
  InvertingPen(const InvertingPen&) = delete;
  InvertingPen& operator=(const InvertingPen&) = delete;

 private:
  HDC dc_;
  int mode_;
  GdiObject pen_;
  Selection use_;
};

// A line in data coordinates, in the graph's integer pixels.
void drawCursorLine(const PlotFrame& f, float x1, float y1, float x2, float y2);

}  // namespace vekmath
