// Exports of the processing library: the graph table, graphs bound to their
// own windows with their own scales, scale drawings and line cursors that
// move by drawing in an inverting mode (no redraw of the graph).
//
// A graph argument is a graph number (GraphSetNumber makes a graph's
// number its index); a number that names no registered graph, or a cursor
// number that names no cursor of it, makes a call do nothing.
#pragma once
#include <windef.h>
#include <wingdi.h>

#define GRAPH_TABLE_GRAPHS 64    // records 1 to 63 hold graphs; 0 is never used
#define GRAPH_TABLE_CURSORS 256
#define GRAPH_TABLE_SCALES 256
#define GRAPH_SCALE_STYLE_VALUES 32

// 58 values of 32 bits. Window and context travel as their 32-bit handle
// values.
typedef struct GraphRecord {
  LONG inUse;
  LONG number;  // for look-ups, set by GraphSetNumber
  LONG window;
  LONG dc;
  LOGFONTA font;       // not used
  LOGFONTA labelFont;  // 12 pixels, the gothic face
  LONG index;          // as GraphRegister returned it
  LONG height, width;  // of the window
  LONG plotHeight, plotWidth;
  LONG cursorSlots;
  LONG left, right, top, bottom;  // margins, pixels
  FLOAT xMin, yMin, xMax, yMax;
  FLOAT xSpan, ySpan;
  double xUnits;      // x units per pixel
  double yUnits;
  double yMaxPixels;  // y max x y units per pixel
  double decimation;  // 10000 / plot width
} GraphRecord;

// 64 bytes.
typedef struct GraphCursorRecord {
  BYTE bEnable;
  BYTE bCursor;           // placed by GraphCursor
  LONG ParentGrapHandle;  // graph index
  LONG ParentWaveHandle;  // graph number
  LONG lCurNo;            // cursor number within its graph
  FLOAT prevX1, prevY1, prevX2, prevY2;  // the line last drawn
  FLOAT X1, Y1, X2, Y2;                  // the current line
  BYTE bDisp;
  LONG colour;
  LONG style;
  LONG width;
} GraphCursorRecord;

#ifdef __cplusplus
#include <cstddef>
static_assert(sizeof(GraphRecord) == 232 && offsetof(GraphRecord, font) == 16 &&
                  offsetof(GraphRecord, labelFont) == 76 && offsetof(GraphRecord, index) == 136 &&
                  offsetof(GraphRecord, left) == 160 && offsetof(GraphRecord, xMin) == 176 &&
                  offsetof(GraphRecord, xUnits) == 200 && offsetof(GraphRecord, decimation) == 224,
              "58 values of 32 bits");
static_assert(sizeof(GraphCursorRecord) == 64 && offsetof(GraphCursorRecord, ParentGrapHandle) == 4 &&
                  offsetof(GraphCursorRecord, lCurNo) == 12 && offsetof(GraphCursorRecord, prevX1) == 16 &&
                  offsetof(GraphCursorRecord, X1) == 32 && offsetof(GraphCursorRecord, bDisp) == 48 &&
                  offsetof(GraphCursorRecord, colour) == 52 && offsetof(GraphCursorRecord, width) == 60,
              "64 bytes");
#endif

// Takes the first free record from index 1 for the window and its context;
// returns the index, 0 when all records are in use.
DLL_EXPORT LONG WINAPI GraphRegister(HWND window, HDC dc);
DLL_EXPORT void WINAPI GraphSetNumber(LONG index);
DLL_EXPORT void WINAPI GraphSetMargins(LONG graph, LONG left, LONG right, LONG top, LONG bottom);
DLL_EXPORT void WINAPI GraphSetRange(LONG graph, FLOAT xMin, FLOAT yMin, FLOAT xMax, FLOAT yMax);
// Pixel to data and back, in place; the values stay as they are while a
// scale of the graph is not positive.
DLL_EXPORT void WINAPI GraphPixelToValue(LONG graph, FLOAT* x, FLOAT* y);
DLL_EXPORT void WINAPI GraphValueToPixel(LONG graph, FLOAT* x, FLOAT* y);

// Allots n cursors (numbers 0 to n - 1, displayed) to a graph that has none;
// nothing when fewer than n cursor records are free.
DLL_EXPORT void WINAPI GraphCursorSIZE(LONG graph, LONG n);
// Sets whether a cursor is displayed (255 counts as 1); cursor -1: all of
// the graph's cursors.
DLL_EXPORT void WINAPI GraphCursorDISP(LONG graph, LONG cursor, LONG flag);
DLL_EXPORT void WINAPI GraphCursorPROP(LONG graph, LONG cursor, LONG colour, LONG style, LONG width);
// Places a cursor line (data coordinates) without drawing it and marks it
// not displayed. The order that keeps the screen right: GraphCursor,
// GraphCursorDISP(..., 1), GraphRedraw, then GraphCursorMOVE.
DLL_EXPORT void WINAPI GraphCursor(LONG graph, LONG cursor, FLOAT x1, FLOAT y1, FLOAT x2, FLOAT y2);
// Erases a displayed cursor's line by drawing it again and draws the new
// one; a line of one point changes nothing.
DLL_EXPORT void WINAPI GraphCursorMOVE(LONG graph, LONG cursor, FLOAT x1, FLOAT y1, FLOAT x2, FLOAT y2);
// The graph's scales, then its displayed cursors.
DLL_EXPORT void WINAPI GraphRedraw(LONG graph);
// The number of the horizontal or vertical cursor within the tolerances of
// pixel (x, y), else -1.
DLL_EXPORT void WINAPI GraphCursorNUM(LONG graph, FLOAT x, FLOAT y, FLOAT xTolerance, FLOAT yTolerance, LONG* number);
// A scale drawn like DrawAxes by GraphRedraw; style holds six colours (see
// DrawAxes), and no more are read. Nothing when the scale table is full.
DLL_EXPORT void WINAPI GraphAddScale(LONG graph, FLOAT xStep, FLOAT yStep, FLOAT xOrigin, FLOAT yOrigin,
                                     LONG yLabelXOffset, LONG xLabelYOffset, LONG xLabelEvery, LONG yLabelEvery,
                                     LONG gridStyle, const LONG* style);
// Frees the record at index, its cursors and its scales.
DLL_EXPORT void WINAPI GraphReset(LONG index);
DLL_EXPORT void WINAPI GraphNop(LONG a, LONG b, LONG c, LONG d);
// The graph count (records 0 to count - 1) and the records, the cursor
// count and the cursor records. graphs must hold GRAPH_TABLE_GRAPHS records
// and cursors GRAPH_TABLE_CURSORS; any pointer may be NULL.
DLL_EXPORT void WINAPI GetGraphTable(LONG* count, GraphRecord* graphs, LONG* cursorCount, GraphCursorRecord* cursors);
