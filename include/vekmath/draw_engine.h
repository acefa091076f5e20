// Exports of the processing library: the single drawing target, a small
// immediate-mode plotting engine on a caller's window and device context.
// One target per process; every call draws at once and keeps nothing.
//
// Data coordinates map to pixels through the margins and the ranges:
//   px = left + (x - x min) / x units per pixel,
//   py = top + (y max - y) / y units per pixel   (integer parts),
// x units per pixel = (x max - x min) / (width - right - left), y alike.
// Every primitive draws nothing unless both scales are greater than 0.
// Colours are 0x00BBGGRR values; pens and brushes live for one call.
#pragma once
#include <windef.h>

// Stores the target, reads the window's size and resets the fonts (axis
// labels 12 pixels high, the text template 18).
DLL_EXPORT void WINAPI SetDrawTarget(HWND window, HDC dc);
// Margins in pixels.
DLL_EXPORT void WINAPI SetDrawArea(LONG left, LONG right, LONG top, LONG bottom);
DLL_EXPORT void WINAPI SetDrawRange(FLOAT xMin, FLOAT yMin, FLOAT xMax, FLOAT yMax);
// Pen style and colour for the following primitives; SetPen2 sets the width
// too (1 until then).
DLL_EXPORT void WINAPI SetPen(LONG style, LONG colour);
DLL_EXPORT void WINAPI SetPen2(LONG style, LONG colour, LONG width);

DLL_EXPORT void WINAPI DrawLine(FLOAT x1, FLOAT y1, FLOAT x2, FLOAT y2);
// fill 1: outlined with the pen and filled with the pen colour; otherwise
// the four sides as lines.
DLL_EXPORT void WINAPI DrawLineRECT(FLOAT x1, FLOAT y1, FLOAT x2, FLOAT y2, LONG fill);

// n values at unit x spacing, shifted by the offsets. Styles: 0 a line
// through the values, 1 outlined bars, 2 steps, 3 vertical lines from the
// baseline (y offset), 4 filled bars, 5 filled bars outlined in black.
DLL_EXPORT void WINAPI DrawWave(const FLOAT* values, LONG n, LONG style, FLOAT xOffset, FLOAT yOffset);
// As DrawWave; more than 10,000 values are first reduced to 10,000 by their
// bucket extremes, drawn over the same x range.
DLL_EXPORT void WINAPI DrawWave2(const FLOAT* values, LONG n, LONG style, FLOAT xOffset, FLOAT yOffset);
// Draws nothing.
DLL_EXPORT void WINAPI DrawWave3(const FLOAT* values, LONG n, LONG style, FLOAT xOffset, FLOAT yOffset);
// Reduces n values to m (dst: m values): for each of m / 2 buckets its
// maximum and minimum in the order they occur (the maximum first when they
// are the same element); an odd m repeats the last output value. An m
// above n copies the n values. unused is not read.
DLL_EXPORT void WINAPI DecimateMinMax(FLOAT* dst, const FLOAT* src, LONG unused, LONG n, LONG m);

// An XY series with the current pen: style 0 a line through the points;
// markers of the given size: 1 circles (radius), 2 squares (half side),
// 3 triangles pointing up (circumradius), 4 diagonal crosses. Closed
// markers are filled with whatever brush the context holds.
DLL_EXPORT void WINAPI DrawXY(const FLOAT* x, const FLOAT* y, LONG n, LONG style, LONG size);
// Style 1 joins the points; text (CP932, may be NULL) is centred on each
// point in a font of the given height, which the text template keeps.
DLL_EXPORT void WINAPI DrawXY2(const FLOAT* x, const FLOAT* y, LONG n, LONG style, const char* text, LONG fontHeight);
// As DrawXY with a flag per point: style 0 joins two points only when both
// flags are nonzero; markers stand only where the flag is 1.
DLL_EXPORT void WINAPI DrawXY3(const FLOAT* x, const FLOAT* y, const LONG* flags, LONG n, LONG style, LONG size);

// The axis-style record: six colours (-1 = that element is left out).
#define DRAW_AXES_STYLE_VALUES 6
typedef enum DrawAxesStyle {
  DRAW_AXES_WINDOW = 0,     // fill of the whole window
  DRAW_AXES_PLOT = 1,       // fill of the plot area
  DRAW_AXES_GRID = 2,       // grid lines, in the grid pen style
  DRAW_AXES_AXIS = 3,       // axis lines and their ticks
  DRAW_AXES_FRAME = 4,      // the plot area's outline
  DRAW_AXES_LABELS = 5,     // "%g" labels
} DrawAxesStyle;
// Backgrounds, grid lines at origin + i x step within the ranges, axis lines
// through the origins with 8-pixel ticks, the frame and the labels (every
// xLabelEvery-th / yLabelEvery-th step). Label offsets are pixels: x labels
// stand that far below the x axis, y labels that far right of the y axis
// (a negative offset ends the text left of it). Reads the six values of
// style and no more. A step of 0 or less draws no lines in its direction.
DLL_EXPORT void WINAPI DrawAxes(FLOAT xStep, FLOAT yStep, FLOAT xOrigin, FLOAT yOrigin, LONG yLabelXOffset,
                                LONG xLabelYOffset, LONG xLabelEvery, LONG yLabelEvery, LONG gridStyle,
                                const LONG* style);
// As DrawAxes without the fills and the frame.
DLL_EXPORT void WINAPI DrawAxes2(FLOAT xStep, FLOAT yStep, FLOAT xOrigin, FLOAT yOrigin, LONG yLabelXOffset,
                                 LONG xLabelYOffset, LONG xLabelEvery, LONG yLabelEvery, LONG gridStyle,
                                 const LONG* style);

// Text (CP932) with its top left at the data point, in the current pen's
// colour on the context's background mode, turned by the text angle.
DLL_EXPORT void WINAPI DrawTextAt(FLOAT x, FLOAT y, const char* text);
// Character size for DrawTextAt. With a width, a height of 0 takes the
// text template's; with width 0 the font keeps its own width.
DLL_EXPORT void WINAPI SetTextSize(LONG width, LONG height);
// Degrees, counter-clockwise.
DLL_EXPORT void WINAPI SetTextAngle(FLOAT degrees);
