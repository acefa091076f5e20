// A device context held for one drawing call: its lock, the pixels it draws
// into (the window surface locked, or the selected bitmap) and the box of
// what changed, reported to the window's toolkit when the call ends.
#pragma once
#include <platform/window_surface.h>

#include <mutex>

#include "gdi32/objects.h"
#include "gdi32/raster.h"

namespace plat::gdi {

class Canvas {
 public:
  // Fails (ERROR_INVALID_HANDLE) for a handle that is no device context, and
  // (ERROR_INVALID_WINDOW_HANDLE) for a window context whose window is gone.
  explicit Canvas(HDC hdc);
  ~Canvas();
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  explicit operator bool() const { return dc_ != nullptr && !gone_; }
  Dc& dc() { return *dc_; }
  // Empty when the context has nothing to draw into (a window whose client
  // area is empty or that is gone, the screen context).
  const Target& target() const { return target_; }
  Box& changed() { return changed_; }

 private:
  DcPtr dc_;
  std::unique_lock<std::mutex> lock_;
  PlatSurfaceLock* surface_ = nullptr;
  Target target_;
  Box changed_;
  bool gone_ = false;
};

Target targetOf(const Bitmap& bitmap);

}  // namespace plat::gdi
