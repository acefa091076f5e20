// The graph table's records: registration, look-ups, reset and the copy
// handed to callers.
#include "drawing/graph_table.h"

#include <algorithm>
#include <cstring>

#include "drawing/fonts.h"
#include "vekmath.h"

namespace vekmath {
namespace {

LONG handleValue(const void* handle) { return static_cast<LONG>(reinterpret_cast<intptr_t>(handle)); }

}  // namespace

GraphTable& graphTable() {
  static GraphTable table;
  return table;
}

GraphRecord* findGraph(LONG graph) {
  GraphTable& t = graphTable();
  for (LONG i = 1; i < t.count; ++i)
    if (t.graphs[i].inUse != 0 && t.graphs[i].number == graph) return &t.graphs[i];
  return nullptr;
}

GraphRecord* graphWithContext(LONG graph) {
  GraphTable& t = graphTable();
  if (graph < 1 || graph >= t.count) return nullptr;
  return t.windows[graph] != nullptr && t.dcs[graph] != nullptr ? &t.graphs[graph] : nullptr;
}

GraphCursorRecord* findCursor(LONG graph, LONG cursor) {
  GraphTable& t = graphTable();
  for (LONG i = 0; i < t.cursorCount; ++i) {
    GraphCursorRecord& c = t.cursors[i];
    if (c.bEnable == 1 && c.ParentWaveHandle == graph && c.lCurNo == cursor) return &c;
  }
  return nullptr;
}

void recomputeScales(GraphRecord& g) {
  // A plot width or height of 0 stays 0 until new margins are set.
  if (g.plotWidth != 0) {
    g.plotWidth = g.width - g.right - g.left;
    g.xUnits = g.plotWidth != 0 ? g.xSpan / static_cast<double>(g.plotWidth) : 0.0;
    g.decimation = g.plotWidth != 0 ? 10000.0 / g.plotWidth : 0.0;
  }
  if (g.plotHeight != 0) {
    g.plotHeight = g.height - g.bottom - g.top;
    g.yUnits = g.plotHeight != 0 ? g.ySpan / static_cast<double>(g.plotHeight) : 0.0;
  }
  g.yMaxPixels = g.yMax * g.yUnits;
}

PlotFrame frameOf(const GraphRecord& g) {
  PlotFrame f;
  f.dc = g.index >= 1 && g.index < kGraphSlots ? graphTable().dcs[g.index] : nullptr;
  f.width = g.width;
  f.height = g.height;
  f.left = g.left;
  f.right = g.right;
  f.top = g.top;
  f.bottom = g.bottom;
  f.xMin = g.xMin;
  f.yMin = g.yMin;
  f.xMax = g.xMax;
  f.yMax = g.yMax;
  f.xUnits = g.xUnits;
  f.yUnits = g.yUnits;
  return f;
}

}  // namespace vekmath

using namespace vekmath;

DLL_EXPORT LONG WINAPI GraphRegister(HWND window, HDC dc) {
  GraphTable& t = graphTable();
  LONG i = 1;
  while (i < t.count && t.graphs[i].inUse != 0) ++i;
  if (i == kGraphSlots) return 0;
  if (i == t.count) ++t.count;
  GraphRecord& g = t.graphs[i];
  g = GraphRecord{};
  t.windows[i] = window;
  t.dcs[i] = dc;
  g.inUse = 1;
  g.window = handleValue(window);
  g.dc = handleValue(dc);
  RECT r{};
  if (window == nullptr || !GetWindowRect(window, &r)) r = RECT{0, 0, 0, 0};
  g.height = r.bottom - r.top;
  g.width = r.right - r.left;
  g.plotHeight = g.height;
  g.plotWidth = g.width;
  g.font = fontTemplate();
  g.labelFont = labelFont();
  g.index = i;
  recomputeScales(g);
  return i;
}

DLL_EXPORT void WINAPI GraphSetNumber(LONG index) {
  GraphTable& t = graphTable();
  if (index >= 1 && index < t.count) t.graphs[index].number = index;
}

DLL_EXPORT void WINAPI GraphReset(LONG index) {
  GraphTable& t = graphTable();
  if (index < 1 || index >= t.count) return;
  for (GraphCursorRecord& c : t.cursors)
    if (c.ParentGrapHandle == index) c = GraphCursorRecord{};
  for (ScaleRecord& s : t.scales)
    if (s.graphIndex == index) s = ScaleRecord{};
  t.graphs[index] = GraphRecord{};
  t.windows[index] = nullptr;
  t.dcs[index] = nullptr;
}

DLL_EXPORT void WINAPI GraphNop(LONG, LONG, LONG, LONG) {}

DLL_EXPORT void WINAPI GetGraphTable(LONG* count, GraphRecord* graphs, LONG* cursorCount, GraphCursorRecord* cursors) {
  const GraphTable& t = graphTable();
  if (count != nullptr) *count = t.count;
  if (graphs != nullptr) std::copy(t.graphs, t.graphs + t.count, graphs);
  if (cursorCount != nullptr) *cursorCount = t.cursorCount;
  if (cursors != nullptr) std::copy(t.cursors, t.cursors + t.cursorCount, cursors);
}
