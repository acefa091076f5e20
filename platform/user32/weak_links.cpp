// Weak references, so user32 links whether or not the drawing layer and
// the debug output are part of the library; each resolves to the real
// function once it is.
#include "user32/weak_links.h"

#define WEAK_IMPORT __attribute__((weak, visibility("default")))

extern "C" {
WEAK_IMPORT HDC WINAPI GetDC(HWND hWnd);
WEAK_IMPORT int WINAPI ReleaseDC(HWND hWnd, HDC hDC);
WEAK_IMPORT void WINAPI OutputDebugStringA(LPCSTR lpOutputString);
}

namespace plat::user {

HDC drawingContext(HWND hwnd) { return GetDC ? GetDC(hwnd) : nullptr; }

void releaseDrawingContext(HWND hwnd, HDC dc) {
  if (ReleaseDC && dc) ReleaseDC(hwnd, dc);
}

bool debugOutput(const char* text) {
  if (!OutputDebugStringA) return false;
  OutputDebugStringA(text);
  return true;
}

}  // namespace plat::user
