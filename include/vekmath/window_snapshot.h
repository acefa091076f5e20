// Exports of the processing library: a window's picture as a BMP file.
#pragma once
#include <windef.h>

// Writes the window's client area, from its bottom up to the window height
// less 5 pixels, as an uncompressed BMP file at the display's bits per
// pixel (with the system palette for 8 bits or fewer). Rows the window has
// no pixels for are black. unused is not read; nothing is reported, and a
// file that cannot be created is not written.
DLL_EXPORT void WINAPI SaveWindowBitmap(HWND window, const char* path, LONG unused);
