// Window surfaces. Lock order: a surface's own lock before windowLock().
#include <algorithm>
#include <cstring>

#include "user32/window.h"

namespace plat::user {

class Surface {
 public:
  std::recursive_mutex mutex;
  // Under mutex.
  std::vector<uint32_t> pixels;
  LONG width = 0;
  LONG height = 0;

  void resize(LONG newWidth, LONG newHeight) {
    if (newWidth == width && newHeight == height) return;
    std::vector<uint32_t> fresh(static_cast<size_t>(newWidth) * static_cast<size_t>(newHeight), kBlack);
    const LONG rows = std::min(height, newHeight);
    const LONG columns = std::min(width, newWidth);
    for (LONG y = 0; y < rows; ++y) {
      std::memcpy(&fresh[static_cast<size_t>(y) * newWidth], &pixels[static_cast<size_t>(y) * width],
                  static_cast<size_t>(columns) * sizeof(uint32_t));
    }
    pixels.swap(fresh);
    width = newWidth;
    height = newHeight;
  }

  void describe(PlatSurface* out) {
    out->pixels = pixels.empty() ? nullptr : pixels.data();
    out->width = width;
    out->height = height;
    out->stride = width * static_cast<LONG>(sizeof(uint32_t));
  }

 private:
  static constexpr uint32_t kBlack = 0xFF000000u;
};

namespace {

// A batch of the calling thread (PlatBeginSurfaceBatch): it holds the
// surface, so that drawing calls need not look the window up, and gathers
// their change reports.
struct Batch {
  HWND hwnd = nullptr;
  std::shared_ptr<Surface> surface;
  int depth = 1;
  bool changed = false;
  bool whole = false;
  RECT area{};
  Batch* outer = nullptr;
};
// The innermost batch of this thread; a plain pointer, so that nothing of
// it is torn down at thread or process exit.
thread_local Batch* t_batches = nullptr;

Batch* batchOf(HWND hwnd) {
  for (Batch* b = t_batches; b != nullptr; b = b->outer) {
    if (b->hwnd == hwnd) return b;
  }
  return nullptr;
}

void gather(Batch& b, const RECT* changed) {
  if (changed == nullptr) {
    b.whole = true;
  } else if (!b.changed) {
    b.area = *changed;
  } else {
    b.area = RECT{std::min(b.area.left, changed->left), std::min(b.area.top, changed->top),
                  std::max(b.area.right, changed->right), std::max(b.area.bottom, changed->bottom)};
  }
  b.changed = true;
}

// The window's surface, made on first request at the window's size.
std::shared_ptr<Surface> surfaceOf(HWND hwnd) {
  if (Batch* b = batchOf(hwnd)) return b->surface;
  std::lock_guard<std::mutex> lock(windowLock());
  WindowPtr window = findWindowLocked(hwnd);
  if (!window || !window->queue) {
    SetLastError(window ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (!window->surface) {
    auto surface = std::make_shared<Surface>();
    surface->resize(window->width(), window->height());  // not shared yet: no lock needed
    window->surface = surface;
  }
  return window->surface;
}

}  // namespace

void resizeSurface(const WindowPtr& window) {
  std::shared_ptr<Surface> surface;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    surface = window->surface;
  }
  if (!surface) return;
  {
    std::lock_guard<std::recursive_mutex> hold(surface->mutex);
    LONG width, height;
    {
      std::lock_guard<std::mutex> lock(windowLock());
      if (window->surface != surface) return;
      width = window->width();
      height = window->height();
    }
    surface->resize(width, height);
  }
  PlatSurfaceChanged(window->hwnd, nullptr);
}

}  // namespace plat::user

struct PlatSurfaceLock {
  std::shared_ptr<plat::user::Surface> surface;
};

using namespace plat::user;

namespace {
// Every drawing call takes a lock and gives it back: the thread keeps the
// record of its last lock for the next one rather than asking the heap
// twice per line drawn.
thread_local std::unique_ptr<PlatSurfaceLock> t_spareLock;
}  // namespace

PLATFORM_API PlatSurfaceLock* WINAPI PlatLockWindowSurface(HWND hwnd, PlatSurface* out) {
  if (out == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::shared_ptr<Surface> surface = surfaceOf(hwnd);
  if (!surface) return nullptr;
  surface->mutex.lock();
  surface->describe(out);
  PlatSurfaceLock* lock = t_spareLock ? t_spareLock.release() : new PlatSurfaceLock;
  lock->surface = std::move(surface);
  return lock;
}

PLATFORM_API void WINAPI PlatUnlockWindowSurface(PlatSurfaceLock* lock) {
  if (lock == nullptr) return;
  lock->surface->mutex.unlock();
  lock->surface.reset();
  if (!t_spareLock) {
    t_spareLock.reset(lock);
  } else {
    delete lock;
  }
}

PLATFORM_API BOOL WINAPI PlatGetWindowSurface(HWND hwnd, PlatSurface* out) {
  if (out == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::shared_ptr<Surface> surface = surfaceOf(hwnd);
  if (!surface) return FALSE;
  std::lock_guard<std::recursive_mutex> hold(surface->mutex);
  surface->describe(out);
  return TRUE;
}

PLATFORM_API BOOL WINAPI PlatSetSurfaceChangedHook(HWND hwnd, PlatSurfaceChangedProc proc, void* user) {
  std::lock_guard<std::mutex> lock(windowLock());
  WindowPtr window = findWindowLocked(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  window->surfaceHook = proc;
  window->surfaceHookUser = user;
  return TRUE;
}

PLATFORM_API BOOL WINAPI PlatSurfaceChanged(HWND hwnd, const RECT* changed) {
  if (Batch* b = batchOf(hwnd)) {
    gather(*b, changed);
    return TRUE;
  }
  PlatSurfaceChangedProc proc;
  void* user;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    WindowPtr window = findWindowLocked(hwnd);
    if (!window) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return FALSE;
    }
    proc = window->surfaceHook;
    user = window->surfaceHookUser;
  }
  if (proc) proc(hwnd, changed, user);
  return TRUE;
}

PLATFORM_API BOOL WINAPI PlatBeginSurfaceBatch(HWND hwnd) {
  if (t_batches != nullptr && t_batches->hwnd == hwnd) {
    ++t_batches->depth;
    return TRUE;
  }
  std::shared_ptr<Surface> surface = surfaceOf(hwnd);
  if (!surface) return FALSE;
  t_batches = new Batch{hwnd, std::move(surface), 1, false, false, RECT{}, t_batches};
  return TRUE;
}

PLATFORM_API BOOL WINAPI PlatEndSurfaceBatch(HWND hwnd) {
  Batch* b = t_batches;
  if (b == nullptr || b->hwnd != hwnd) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (--b->depth > 0) return TRUE;
  t_batches = b->outer;
  const std::unique_ptr<Batch> done(b);
  // To an outer batch of the same window, or else the hook; a window gone
  // meanwhile has no one left to tell.
  if (done->changed) PlatSurfaceChanged(hwnd, done->whole ? nullptr : &done->area);
  return TRUE;
}
