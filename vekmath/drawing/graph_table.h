// The graph table: graph records, the shared cursor table and the scale
// definitions, each of fixed size. Everything here runs on the caller's
// window thread.
#pragma once
#include <windows.h>
#include <wingdi.h>

#include <cstdint>

#include <vekmath/graph_table.h>

#include "drawing/plot_frame.h"

namespace vekmath {

inline constexpr int32_t kGraphSlots = GRAPH_TABLE_GRAPHS;
inline constexpr int32_t kCursorSlots = GRAPH_TABLE_CURSORS;
inline constexpr int32_t kScaleSlots = GRAPH_TABLE_SCALES;

struct ScaleRecord {
  LONG inUse = 0;
  LONG graphIndex = 0;
  LONG graphNumber = 0;
  AxesSpec spec;
  LONG style[GRAPH_SCALE_STYLE_VALUES]{};
};

struct GraphTable {
  LONG count = 1;  // records 0 .. count - 1; 0 is never used
  GraphRecord graphs[kGraphSlots]{};
  // The handles themselves, beside the records' 32-bit copies.
  HWND windows[kGraphSlots]{};
  HDC dcs[kGraphSlots]{};
  LONG cursorCount = 0;  // records 0 .. cursorCount - 1 have been used
  GraphCursorRecord cursors[kCursorSlots]{};
  LONG scaleCount = 0;
  ScaleRecord scales[kScaleSlots]{};
};

GraphTable& graphTable();

// The in-use record whose number is `graph`, or NULL.
GraphRecord* findGraph(LONG graph);
// The record at index `graph` when it has a window and a context, or NULL.
GraphRecord* graphWithContext(LONG graph);
// The first cursor in use of graph number `graph` with number `cursor`.
GraphCursorRecord* findCursor(LONG graph, LONG cursor);
// The scales of the record, recomputed from size, margins and ranges.
void recomputeScales(GraphRecord& g);
// The record's plot on its context.
PlotFrame frameOf(const GraphRecord& g);

}  // namespace vekmath
