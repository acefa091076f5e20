// Window positions, sizes and visibility. Windows have no frame, so the
// client area is the whole window.
#include <algorithm>

#include "user32/window.h"

using namespace plat::user;

namespace {

template <class Out>
BOOL withWindow(HWND hwnd, Out* out, void (*fill)(const Window&, Out*)) {
  if (out == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(windowLock());
  WindowPtr window = findWindowLocked(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  fill(*window, out);
  return TRUE;
}

// Moves and sizes as asked, then tells the window; the surface follows.
BOOL place(HWND hwnd, int x, int y, int width, int height, UINT flags) {
  WindowPtr window = findWindow(hwnd);
  if (!window) return FALSE;
  if (!window->queue) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  bool moved = false, sized = false, shown = false;
  RECT now;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    RECT r = window->rect;
    if (!(flags & SWP_NOMOVE)) {
      moved = r.left != x || r.top != y;
      r = RECT{x, y, x + (r.right - r.left), y + (r.bottom - r.top)};
    }
    if (!(flags & SWP_NOSIZE)) {
      width = std::max(0, width);
      height = std::max(0, height);
      sized = r.right - r.left != width || r.bottom - r.top != height;
      r.right = r.left + width;
      r.bottom = r.top + height;
    }
    window->rect = r;
    now = r;
    if ((flags & SWP_SHOWWINDOW) && !(window->style & WS_VISIBLE)) {
      window->style |= WS_VISIBLE;
      shown = true;
    }
    if (flags & SWP_HIDEWINDOW) window->style &= ~static_cast<DWORD>(WS_VISIBLE);
  }
  if (sized) {
    resizeSurface(window);
    sendMessage(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(now.right - now.left, now.bottom - now.top), INFINITE,
                nullptr);
  }
  if (moved) sendMessage(hwnd, WM_MOVE, 0, MAKELPARAM(now.left, now.top), INFINITE, nullptr);
  if (shown || (sized && !(flags & SWP_NOREDRAW))) invalidate(hwnd, nullptr, true);
  return TRUE;
}

}  // namespace

PLATFORM_API BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect) {
  return withWindow<RECT>(hwnd, rect, [](const Window& window, RECT* out) {
    RECT r = window.rect;
    // Child windows sit in their parent's client area; walk up to the screen.
    const Window* at = &window;
    while (at->style & WS_CHILD) {
      WindowPtr parent = findWindowLocked(at->parent);
      if (!parent) break;
      r.left += parent->rect.left;
      r.right += parent->rect.left;
      r.top += parent->rect.top;
      r.bottom += parent->rect.top;
      at = parent.get();
    }
    *out = r;
  });
}

PLATFORM_API BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
  return withWindow<RECT>(hwnd, rect, [](const Window& window, RECT* out) {
    *out = RECT{0, 0, window.width(), window.height()};
  });
}

PLATFORM_API BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return place(hwnd, x, y, width, height, repaint ? 0 : SWP_NOREDRAW);
}

PLATFORM_API BOOL WINAPI SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
  return place(hwnd, x, y, cx, cy, flags);
}

PLATFORM_API BOOL WINAPI ShowWindow(HWND hwnd, int command) {
  WindowPtr window = findWindow(hwnd);
  if (!window) return FALSE;
  bool wasVisible;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    wasVisible = (window->style & WS_VISIBLE) != 0;
    if (command == SW_HIDE) {
      window->style &= ~static_cast<DWORD>(WS_VISIBLE);
    } else {
      window->style |= WS_VISIBLE;
    }
  }
  if (!wasVisible && command != SW_HIDE) invalidate(hwnd, nullptr, true);
  return wasVisible ? TRUE : FALSE;
}
