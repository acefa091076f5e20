// Services of other areas of the layer that user32 uses when they are
// present: the drawing layer's device contexts and the debug output.
#pragma once
#include <windef.h>

namespace plat::user {

// The window's device context from the drawing layer; NULL without one.
HDC drawingContext(HWND hwnd);
void releaseDrawingContext(HWND hwnd, HDC dc);
// false when the layer has no debug output.
bool debugOutput(const char* text);

}  // namespace plat::user
