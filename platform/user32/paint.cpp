// Update regions and WM_PAINT. The region is kept as one bounding
// rectangle; a window with one has a single WM_PAINT waiting in its
// thread's queue until the region is validated.
#include <algorithm>

#include "user32/weak_links.h"
#include "user32/window.h"

namespace plat::user {

namespace {
RECT clipped(const RECT* rect, LONG width, LONG height) {
  RECT all{0, 0, width, height};
  if (rect == nullptr) return all;
  return RECT{std::max<LONG>(rect->left, 0), std::max<LONG>(rect->top, 0), std::min(rect->right, width),
              std::min(rect->bottom, height)};
}
bool empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
}  // namespace

bool invalidate(HWND hwnd, const RECT* rect, bool erase) {
  std::lock_guard<std::mutex> lock(windowLock());
  WindowPtr window = findWindowLocked(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  if (!window->queue) return true;
  RECT area = clipped(rect, window->width(), window->height());
  if (empty(area) && rect != nullptr) return true;
  if (window->invalid) {
    RECT& u = window->update;
    u = RECT{std::min(u.left, area.left), std::min(u.top, area.top), std::max(u.right, area.right),
             std::max(u.bottom, area.bottom)};
  } else {
    window->update = area;
    window->invalid = true;
    std::lock_guard<std::mutex> waitGuard(waitLock());
    window->queue->paintPending.push_back(hwnd);
    wakeLocked(*window->queue, QS_PAINT);
  }
  window->erase = window->erase || erase;
  return true;
}

namespace {
// Takes the update region away; returns whether there was one.
bool validate(HWND hwnd, RECT* region, bool* erase) {
  std::lock_guard<std::mutex> lock(windowLock());
  WindowPtr window = findWindowLocked(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  if (region) *region = window->invalid ? window->update : RECT{};
  if (erase) *erase = window->invalid && window->erase;
  if (window->invalid) {
    window->invalid = false;
    window->erase = false;
    std::lock_guard<std::mutex> waitGuard(waitLock());
    std::erase(window->queue->paintPending, hwnd);
  }
  return true;
}
}  // namespace

}  // namespace plat::user

using namespace plat::user;

PLATFORM_API BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  if (hwnd == nullptr) return TRUE;  // "every window": nothing of ours to redraw
  return invalidate(hwnd, rect, erase != FALSE) ? TRUE : FALSE;
}

// Only a whole-window validation is kept exact; a partial one leaves the
// bounding rectangle as it was.
PLATFORM_API BOOL WINAPI ValidateRect(HWND hwnd, const RECT* rect) {
  if (rect != nullptr) return IsWindow(hwnd);
  return validate(hwnd, nullptr, nullptr) ? TRUE : FALSE;
}

PLATFORM_API BOOL WINAPI UpdateWindow(HWND hwnd) {
  WindowPtr window = findWindow(hwnd);
  if (!window) return FALSE;
  bool invalid;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    invalid = window->invalid;
  }
  if (invalid) sendMessage(hwnd, WM_PAINT, 0, 0, INFINITE, nullptr);
  return TRUE;
}

PLATFORM_API HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
  if (ps == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  *ps = PAINTSTRUCT{};
  bool erase = false;
  if (!validate(hwnd, &ps->rcPaint, &erase)) return nullptr;
  ps->hdc = drawingContext(hwnd);
  // The procedure erases the background itself when it handles
  // WM_ERASEBKGND; otherwise the painter is told to.
  ps->fErase = erase && callWindow(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(ps->hdc), 0) == 0;
  return ps->hdc;
}

PLATFORM_API BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
  if (ps == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  releaseDrawingContext(hwnd, ps->hdc);
  return TRUE;
}
