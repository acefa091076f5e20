// The monitor display: one per process, prepared by SetupWaveGraph, drawn
// strip by strip by the block reader and whole by DrawWaveGraph. Everything
// here runs on the window thread.
#pragma once
#include <windows.h>
#include <wingdi.h>

#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include <vekmath/wave_graph.h>

#include "drawing/gdi_support.h"

namespace vekmath {

inline constexpr int32_t kTraces = WAVE_GRAPH_TRACES;
inline constexpr int32_t kGridLines = WAVE_GRAPH_GRID_LINES;
// Room after the last row, kept so a row's end can be read past safely.
inline constexpr int32_t kSparePoints = 10001;

// The scale from one trace's raw counts to y, worked out once per row so
// the per-sample work is the arithmetic alone.
struct TraceScale {
  bool isSigned = false;
  double zero = 0.0;
  double centre = 0.0;
  double gain = 0.0;
  double offset = 0.0;
  double countsPerPixel = 1.0;
  LONG y(uint16_t raw) const {
    const double s = isSigned ? static_cast<double>(static_cast<int16_t>(raw)) : static_cast<double>(raw);
    return pixel((centre - gain * (s - zero) - offset) / countsPerPixel);
  }
};

struct SweepLine {
  LONG x = 0;
  LONG top = 0;
  LONG bottom = 0;
};

struct WaveGraph {
  HWND window = nullptr;
  WindowDc dc;
  LONG flag = 0;
  MonitorSettings settings{};
  TraceParams traces[kTraces]{};
  GridLine gridLines[kGridLines]{};

  // Channel numbers from 1 in channel order, -1 after the last.
  int32_t visible[kTraces]{};
  int32_t visibleCount = 0;
  double centre[kTraces]{};  // band centre in counts, per place in the list
  double bandHeight = 0.0;
  double countsPerPixel = 0.0;
  double samplesPerPixel = 0.0;
  int32_t width = 0;
  int32_t height = 0;
  RECT eraseRect{};
  SweepLine previousSweep{};
  int32_t sweep = 0;  // sweep position in scans, 0 .. span
  int32_t gridIndex = 0;
  int32_t previousScans = 0;

  // rows x span points, row c for channel c, then the spare points.
  std::vector<POINT> points;
  int32_t rows = 0;
  int32_t span = 0;

  GdiObject tracePens[kTraces];
  GdiObject dottedPens[kTraces];
  GdiObject gridLinePens[kGridLines];
  GdiObject referencePen;
  GdiObject gridPen;
  GdiObject sweepPen;
  GdiObject erasePen;
  GdiObject background;

  bool live = false;  // on from the first setup
  LONG rebuild = 0;

  // Puts stock objects into the context so that the display's own can be
  // deleted (a selected object cannot be).
  void deselect() const {
    if (dc.get() == nullptr) return;
    SelectObject(dc.get(), GetStockObject(BLACK_PEN));
    SelectObject(dc.get(), GetStockObject(WHITE_BRUSH));
  }

  // Whether scales and surface allow any drawing at all; a window of width
  // 0, a span of 0 or a band height of 0 would divide by zero.
  bool drawable() const;
  POINT* row(int32_t channel) {
    return channel >= 0 && channel < rows ? points.data() + static_cast<std::size_t>(channel) * span : nullptr;
  }
  // The x of point i of any row, also for i = span (the right edge).
  LONG xAt(int32_t i) const { return pixel(i / samplesPerPixel); }
  // y of raw samples of the trace at `place` in the list, channel c.
  TraceScale scaleOf(int32_t place, int32_t c) const;
  LONG traceY(int32_t place, int32_t c, uint16_t raw) const { return scaleOf(place, c).y(raw); }
  // y of a line `counts` above the trace's zero (offset included).
  LONG levelY(int32_t place, int32_t c, double counts) const;
  // y of a horizontal grid line.
  LONG gridY(const GridLine& line) const {
    return pixel(height - line.position * 0.01 * height);
  }
};

// Never destroyed: at process exit the drawing layer may be gone before
// this library; the detach releases what it holds.
WaveGraph& waveGraph();

// Draws one line from (x1, y) to (x2, y) or (x, y1) to (x, y2) with pen.
void drawLine(HDC dc, HGDIOBJ pen, LONG x1, LONG y1, LONG x2, LONG y2);
// Draws the horizontal grid lines whose flag is -1 from x1 to x2.
void drawGridLines(WaveGraph& g, LONG x1, LONG x2);
// The zero line and the dotted reference lines of the trace at place k.
void drawReferenceLines(WaveGraph& g, int32_t k, LONG x1, LONG x2);
// The StopSampling redraw and the library's detach.
void redrawWaveGraph();
void releaseWaveGraph();
// Rewrites the y of every visible trace's points from the sample ring
// (RefreshWaveGraph, and DrawWaveGraph when its rebuild switch is on).
void rebuildTracePoints();
// A new run (StartSampling, with the ring just cleared): the sweep starts
// again at the left edge and the block reader at the ring start.
void restartSweep();

}  // namespace vekmath
