// Small pieces every drawing engine of the library shares: ownership of
// drawing objects and window contexts, the colour rule and the conversion
// of scale results to pixel coordinates.
#pragma once
#include <windows.h>
#include <wingdi.h>

#include <cmath>

namespace vekmath {

// A pen, brush or font that is deleted when replaced or dropped.
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(HGDIOBJ object) : object_(object) {}
  ~GdiObject() { reset(); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  void reset(HGDIOBJ object = nullptr) {
    if (object_ != nullptr) DeleteObject(object_);
    object_ = object;
  }
  HGDIOBJ get() const { return object_; }

 private:
  HGDIOBJ object_ = nullptr;
};

// An object selected into a context for one scope; the one it replaced is
// put back at the end, so that an owned object can be deleted after it.
// Declare it after the GdiObject it selects.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object != nullptr ? SelectObject(dc, object) : nullptr) {}
  ~Selection() {
    if (previous_ != nullptr) SelectObject(dc_, previous_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A window's device context, released when replaced or dropped.
class WindowDc {
 public:
  WindowDc() = default;
  explicit WindowDc(HWND window) { reset(window); }
  ~WindowDc() { reset(); }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  void reset(HWND window = nullptr) {
    if (dc_ != nullptr) ReleaseDC(window_, dc_);
    window_ = window;
    dc_ = window != nullptr ? GetDC(window) : nullptr;
  }
  HDC get() const { return dc_; }

 private:
  HWND window_ = nullptr;
  HDC dc_ = nullptr;
};

// Colours of 0xFFFFFF and above (-1 among them) are drawn white.
inline COLORREF drawnColour(LONG colour) {
  const DWORD c = static_cast<DWORD>(colour);
  return c >= 0xFFFFFFu ? 0xFFFFFFu : c;
}

// A pixel coordinate from a scale computation; values far outside any
// surface are held at a distance that drawing clips, and NaN becomes 0.
inline LONG pixel(double v) {
  if (std::isnan(v)) return 0;
  if (v > 1e7) return 10000000;
  if (v < -1e7) return -10000000;
  return static_cast<LONG>(v);
}

}  // namespace vekmath
