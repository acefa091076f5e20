// The pixel surface of a window's client area: the drawing layer draws into
// it, a toolkit shows it. Pixels are 32-bit BGRA (bytes B, G, R, A in
// memory; 0xAARRGGBB read as a little-endian word), rows top down.
//
// A window gets its surface on the first request; from then on the surface
// follows the window's size (the overlapping part keeps its pixels, new
// parts are black) and is freed with the window.
#pragma once
#include "../windef.h"

typedef struct PlatSurface {
  void* pixels;  // NULL while the client area is empty
  LONG width;
  LONG height;
  LONG stride;  // bytes per row
} PlatSurface;

// Holds the surface still: pixels, size and stride stay valid and no other
// thread reads or writes through the lock until it is released. Locks are
// recursive per thread. NULL (ERROR_INVALID_WINDOW_HANDLE) for no window.
typedef struct PlatSurfaceLock PlatSurfaceLock;
PLATFORM_API PlatSurfaceLock* WINAPI PlatLockWindowSurface(HWND hWnd, PlatSurface* out);
PLATFORM_API void WINAPI PlatUnlockWindowSurface(PlatSurfaceLock* lock);

// A look without the lock: the pointer stays valid until the window is
// resized or destroyed. Enough for the window's own thread.
PLATFORM_API BOOL WINAPI PlatGetWindowSurface(HWND hWnd, PlatSurface* out);

// Tells the toolkit that pixels changed (changed = NULL: all of them) or
// that the surface changed size. The hook runs on the thread that drew, with
// no lock held; a toolkit hands the work to its own thread.
typedef void(CALLBACK* PlatSurfaceChangedProc)(HWND hWnd, const RECT* changed, void* user);
PLATFORM_API BOOL WINAPI PlatSetSurfaceChangedHook(HWND hWnd, PlatSurfaceChangedProc proc, void* user);
// Called by the drawing layer after it drew.
PLATFORM_API BOOL WINAPI PlatSurfaceChanged(HWND hWnd, const RECT* changed);

// A run of drawing calls into one window on the calling thread: until the
// batch ends, the thread's locks of that surface skip the window table and
// its change reports are gathered, then reported to the hook once, as their
// union. A drawing library opens one around a burst of small calls (a live
// strip is a hundred lines). Batches nest, each ended on the thread that
// began it, innermost first. Begin: FALSE (ERROR_INVALID_WINDOW_HANDLE) for
// no window; end: FALSE (ERROR_INVALID_PARAMETER) when the thread's
// innermost batch is not of that window.
PLATFORM_API BOOL WINAPI PlatBeginSurfaceBatch(HWND hWnd);
PLATFORM_API BOOL WINAPI PlatEndSurfaceBatch(HWND hWnd);

#ifdef __cplusplus
// Scoped form of PlatLockWindowSurface.
class PlatSurfaceGuard {
 public:
  explicit PlatSurfaceGuard(HWND hWnd) : lock_(PlatLockWindowSurface(hWnd, &surface_)) {}
  ~PlatSurfaceGuard() {
    if (lock_) PlatUnlockWindowSurface(lock_);
  }
  PlatSurfaceGuard(const PlatSurfaceGuard&) = delete;
  PlatSurfaceGuard& operator=(const PlatSurfaceGuard&) = delete;
  explicit operator bool() const { return lock_ != nullptr; }
  const PlatSurface& surface() const { return surface_; }

 private:
  PlatSurface surface_{};
  PlatSurfaceLock* lock_;
};

// Scoped form of PlatBeginSurfaceBatch.
class PlatSurfaceBatch {
 public:
  explicit PlatSurfaceBatch(HWND hWnd) : hwnd_(PlatBeginSurfaceBatch(hWnd) ? hWnd : nullptr) {}
  ~PlatSurfaceBatch() {
    if (hwnd_) PlatEndSurfaceBatch(hwnd_);
  }
  PlatSurfaceBatch(const PlatSurfaceBatch&) = delete;
  PlatSurfaceBatch& operator=(const PlatSurfaceBatch&) = delete;

 private:
  HWND hwnd_;
};
#endif
