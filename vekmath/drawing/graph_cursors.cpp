// Line cursors of the graph table, drawn in the inverting mode R2_NOTXORPEN:
// the same line drawn twice leaves every pixel as it was, so a cursor
// moves without a redraw of what lies under it.
#include "drawing/graph_cursors.h"

#include <algorithm>
#include <cmath>

#include "drawing/graph_table.h"
#include "vekmath.h"

namespace vekmath {

void drawCursorLine(const PlotFrame& f, float x1, float y1, float x2, float y2) {
  MoveToEx(f.dc, f.px(x1), f.py(y1), nullptr);
  LineTo(f.dc, f.px(x2), f.py(y2));
}

InvertingPen::InvertingPen(HDC dc, const GraphCursorRecord& c)
    : dc_(dc),
      mode_(SetROP2(dc, R2_NOTXORPEN)),
      pen_(CreatePen(c.style, c.width, drawnColour(c.colour))),
      use_(dc, pen_.get()) {}

InvertingPen::~InvertingPen() {
  if (mode_ != 0) SetROP2(dc_, mode_);
}

}  // namespace vekmath

using namespace vekmath;

DLL_EXPORT void WINAPI GraphCursorSIZE(LONG graph, LONG n) {
  GraphRecord* g = findGraph(graph);
  if (g == nullptr || n < 1) return;
  GraphTable& t = graphTable();
  const GraphCursorRecord* begin = t.cursors;
  const GraphCursorRecord* end = t.cursors + kCursorSlots;
  if (std::any_of(begin, end,
                  [&](const GraphCursorRecord& c) { return c.bEnable != 0 && c.ParentGrapHandle == g->index; }))
    return;
  // All or nothing: a graph with part of its cursors would answer for
  // cursor numbers its caller never sees drawn.
  if (std::count_if(begin, end, [](const GraphCursorRecord& c) { return c.bEnable == 0; }) < n) return;
  LONG allotted = 0;
  for (LONG i = 0; i < kCursorSlots && allotted < n; ++i) {
    GraphCursorRecord& c = t.cursors[i];
    t.cursorCount = std::max(t.cursorCount, i + 1);
    if (c.bEnable != 0) continue;
    c = GraphCursorRecord{};
    c.bEnable = 1;
    c.ParentGrapHandle = g->index;
    c.ParentWaveHandle = g->number;
    c.lCurNo = allotted++;
    c.bDisp = 1;
  }
  g->cursorSlots = n;
}

DLL_EXPORT void WINAPI GraphCursorDISP(LONG graph, LONG cursor, LONG flag) {
  if (graphWithContext(graph) == nullptr || findGraph(graph) == nullptr) return;
  BYTE shown = static_cast<BYTE>(flag);
  if (shown == 255) shown = 1;
  if (cursor != -1) {
    if (GraphCursorRecord* c = findCursor(graph, cursor)) c->bDisp = shown;
    return;
  }
  for (LONG k = 0; k < graphTable().cursorCount; ++k) {
    GraphCursorRecord* c = findCursor(graph, k);
    if (c == nullptr) break;
    c->bDisp = shown;
  }
}

DLL_EXPORT void WINAPI GraphCursorPROP(LONG graph, LONG cursor, LONG colour, LONG style, LONG width) {
  if (graphWithContext(graph) == nullptr || findGraph(graph) == nullptr) return;
  GraphCursorRecord* c = findCursor(graph, cursor);
  if (c == nullptr) return;
  c->colour = colour;
  c->style = style;
  c->width = width;
}

DLL_EXPORT void WINAPI GraphCursor(LONG graph, LONG cursor, FLOAT x1, FLOAT y1, FLOAT x2, FLOAT y2) {
  if (findGraph(graph) == nullptr) return;
  GraphCursorRecord* c = findCursor(graph, cursor);
  if (c == nullptr) return;
  c->prevX1 = c->X1 = x1;
  c->prevY1 = c->Y1 = y1;
  c->prevX2 = c->X2 = x2;
  c->prevY2 = c->Y2 = y2;
  c->bEnable = 1;
  c->bCursor = 1;
  c->bDisp = 0;
}

DLL_EXPORT void WINAPI GraphCursorMOVE(LONG graph, LONG cursor, FLOAT x1, FLOAT y1, FLOAT x2, FLOAT y2) {
  if (x1 == x2 && y1 == y2) return;
  const GraphRecord* g = findGraph(graph);
  if (graphWithContext(graph) == nullptr || g == nullptr) return;
  GraphCursorRecord* c = findCursor(graph, cursor);
  const PlotFrame f = frameOf(*g);
  // Without scales nothing is drawn, so nothing is kept either: the line
  // on the screen stays the one the next move erases.
  if (c == nullptr || c->bDisp == 0 || f.dc == nullptr || !f.drawable()) return;
  {
    InvertingPen pen(f.dc, *c);
    if (c->X1 != 0.0f || c->Y1 != 0.0f || c->X2 != 0.0f || c->Y2 != 0.0f) drawCursorLine(f, c->X1, c->Y1, c->X2, c->Y2);
    drawCursorLine(f, x1, y1, x2, y2);
  }
  c->prevX1 = c->X1 = x1;
  c->prevY1 = c->Y1 = y1;
  c->prevX2 = c->X2 = x2;
  c->prevY2 = c->Y2 = y2;
}

DLL_EXPORT void WINAPI GraphCursorNUM(LONG graph, FLOAT x, FLOAT y, FLOAT xTolerance, FLOAT yTolerance, LONG* number) {
  const GraphRecord* g = findGraph(graph);
  if (number == nullptr || g == nullptr) return;
  *number = -1;
  if (!frameOf(*g).drawable()) return;
  const GraphTable& t = graphTable();
  for (LONG i = 0; i < t.cursorCount; ++i) {
    const GraphCursorRecord& c = t.cursors[i];
    if (c.ParentWaveHandle != graph || c.bCursor != 1) continue;
    const double px = (c.prevX1 - g->xMin) / g->xUnits + g->left;
    const double py = (g->yMax - c.prevY1) / g->yUnits + g->top;
    const bool horizontal = c.prevY1 == c.prevY2 && c.prevX1 != c.prevX2;
    const bool vertical = c.prevX1 == c.prevX2;
    if ((horizontal && py - yTolerance <= y && y <= py + yTolerance) ||
        (vertical && px - xTolerance <= x && x <= px + xTolerance)) {
      *number = c.lCurNo;
      return;
    }
  }
}
