#include "gdi32/canvas.h"

namespace plat::gdi {

Target targetOf(const Bitmap& bitmap) {
  return Target{bitmap.top, bitmap.stride, bitmap.width, bitmap.height};
}

Canvas::Canvas(HDC hdc) : dc_(findDc(handleValue(hdc))) {
  if (!dc_) return;
  lock_ = std::unique_lock<std::mutex>(dc_->mutex);
  if (dc_->memory) {
    if (dc_->bitmapData) target_ = targetOf(*dc_->bitmapData);
  } else if (dc_->hwnd) {
    PlatSurface s{};
    surface_ = PlatLockWindowSurface(dc_->hwnd, &s);
    gone_ = surface_ == nullptr;
    if (surface_ && s.pixels) target_ = Target{static_cast<uint8_t*>(s.pixels), s.stride, s.width, s.height};
  }
}

Canvas::~Canvas() {
  if (!dc_) return;
  const HWND hwnd = dc_->hwnd;
  if (surface_) PlatUnlockWindowSurface(surface_);
  if (lock_.owns_lock()) lock_.unlock();
  // The toolkit's hook runs with no lock of ours held.
  if (surface_ && hwnd && !changed_.empty()) {
    RECT r{changed_.left, changed_.top, changed_.right, changed_.bottom};
    PlatSurfaceChanged(hwnd, &r);
  }
}

}  // namespace plat::gdi
