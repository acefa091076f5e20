// The live preview: each frame stretched over the window's outer size. It
// runs on the streaming thread; the drawing layer holds the window's
// surface while it paints and tells the window's toolkit afterwards, so
// nothing here touches the window's own thread.
#include <windows.h>
#include <wingdi.h>

#include "camera/camera_state.h"

namespace vekmath {

void DrawFrame(HWND window, const uint8_t* pixels, const BITMAPINFOHEADER& header) {
  RECT outer{};
  if (pixels == nullptr || !GetWindowRect(window, &outer)) return;
  HDC dc = GetDC(window);
  if (dc == nullptr) return;
  BITMAPINFO info{};
  info.bmiHeader = header;
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchDIBits(dc, 0, 0, outer.right - outer.left, outer.bottom - outer.top, 0, 0, header.biWidth, header.biHeight,
                pixels, &info, DIB_RGB_COLORS, SRCCOPY);
  ReleaseDC(window, dc);
}

}  // namespace vekmath
