// The window table, window creation and destruction.
#include <unistd.h>

#include <algorithm>
#include <unordered_map>

#include "user32/window.h"

namespace plat::user {

namespace {
std::unordered_map<uint32_t, WindowPtr>& tableLocked() {
  static auto* table = new std::unordered_map<uint32_t, WindowPtr>;
  return *table;
}

uint32_t key(HWND hwnd) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hwnd)); }

bool plausible(HWND hwnd) {
  uintptr_t raw = reinterpret_cast<uintptr_t>(hwnd);
  return raw != 0 && raw < 0x80000000u;
}

HWND g_desktop = nullptr;  // under windowLock()

constexpr LONG kDesktopWidth = 1920;
constexpr LONG kDesktopHeight = 1080;
constexpr LONG kDefaultWidth = 640;
constexpr LONG kDefaultHeight = 480;
}  // namespace

std::mutex& windowLock() {
  static auto* lock = new std::mutex;
  return *lock;
}

WindowPtr findWindowLocked(HWND hwnd) {
  if (!plausible(hwnd)) return nullptr;
  auto& table = tableLocked();
  auto it = table.find(key(hwnd));
  return it == table.end() ? nullptr : it->second;
}

WindowPtr findWindow(HWND hwnd) {
  WindowPtr window;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    window = findWindowLocked(hwnd);
  }
  if (!window) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return window;
}

void insertWindowLocked(const WindowPtr& window) { tableLocked()[key(window->hwnd)] = window; }

void eraseWindowLocked(HWND hwnd) {
  auto& table = tableLocked();
  auto it = table.find(key(hwnd));
  if (it == table.end()) return;
  WindowPtr window = it->second;
  table.erase(it);
  if (WindowPtr parent = findWindowLocked(window->parent)) std::erase(parent->children, hwnd);
  for (HWND child : window->children) {
    if (WindowPtr c = findWindowLocked(child)) c->parent = nullptr;
  }
}

std::vector<WindowPtr> windowsOfThreadLocked(DWORD threadId) {
  std::vector<WindowPtr> result;
  for (auto& [value, window] : tableLocked()) {
    if (window->threadId == threadId && window->queue) result.push_back(window);
  }
  return result;
}

LRESULT callWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC proc = nullptr;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    if (WindowPtr window = findWindowLocked(hwnd)) proc = window->proc;
  }
  return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

LRESULT sendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs, bool* completed) {
  if (completed) *completed = true;
  WindowPtr window = findWindow(hwnd);
  if (!window) return 0;
  if (!window->queue) return 0;  // the desktop takes no messages
  if (window->threadId == currentThreadId()) return callWindow(hwnd, message, wParam, lParam);
  return sendAcross(window->queue, SentCall::Kind::Message, hwnd, message, wParam, lParam, timeoutMs, completed);
}

void destroyOnOwnerThread(HWND hwnd) {
  WindowPtr window = findWindow(hwnd);
  if (!window || !window->queue) return;
  if (window->threadId == currentThreadId()) {
    DestroyWindow(hwnd);
  } else {
    sendAcross(window->queue, SentCall::Kind::Destroy, hwnd, 0, 0, 0, INFINITE, nullptr);
  }
}

namespace {

WindowPtr desktopLocked() {
  if (g_desktop == nullptr) {
    auto desktop = std::make_shared<Window>();
    desktop->hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(allocateHandleValue()));
    desktop->cls = std::make_shared<WindowClass>();
    desktop->style = WS_VISIBLE | WS_POPUP;
    desktop->rect = RECT{0, 0, kDesktopWidth, kDesktopHeight};
    insertWindowLocked(desktop);
    g_desktop = desktop->hwnd;
  }
  return findWindowLocked(g_desktop);
}

int defaultOr(int value, int fallback) { return value == CW_USEDEFAULT ? fallback : value; }

// Puts a window into the table before its first message, as its
// procedure may use the handle from WM_NCCREATE on.
WindowPtr makeWindow(const ClassPtr& cls, DWORD exStyle, LPCSTR name, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance) {
  const bool child = (style & WS_CHILD) != 0 && parent != nullptr;
  auto window = std::make_shared<Window>();
  window->hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(allocateHandleValue()));
  window->threadId = currentThreadId();
  window->queue = currentQueue();
  window->cls = cls;
  window->proc = cls->proc;
  window->parent = parent;
  window->style = style;
  window->exStyle = exStyle;
  int left = defaultOr(x, 0);
  int top = x == CW_USEDEFAULT ? 0 : y;
  int w = std::max(0, defaultOr(width, child ? 0 : kDefaultWidth));
  int h = width == CW_USEDEFAULT ? (child ? 0 : kDefaultHeight) : std::max(0, height);
  window->rect = RECT{left, top, left + w, top + h};
  window->text = name ? name : "";
  window->id = child ? reinterpret_cast<LONG_PTR>(menu) : 0;
  window->instance = instance;

  std::lock_guard<std::mutex> lock(windowLock());
  if (parent != nullptr) {
    WindowPtr p = findWindowLocked(parent);
    if (!p) return nullptr;
    p->children.push_back(window->hwnd);
  }
  cls->windowCount++;
  insertWindowLocked(window);
  return window;
}

// Takes a window out of the table; its queue forgets everything about it.
void removeWindow(const WindowPtr& window) {
  std::lock_guard<std::mutex> lock(windowLock());
  if (!findWindowLocked(window->hwnd)) return;
  window->cls->windowCount--;
  eraseWindowLocked(window->hwnd);
  window->surface.reset();
  std::lock_guard<std::mutex> waitGuard(waitLock());
  forgetWindowLocked(*window->queue, window->hwnd);
}

}  // namespace

}  // namespace plat::user

using namespace plat::user;

PLATFORM_API HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                                         int y, int width, int height, HWND parent, HMENU menu,
                                         HINSTANCE instance, LPVOID param) {
  ClassPtr cls;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    cls = findClassLocked(className);
  }
  if (!cls) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  // A message-only window has no parent to speak of and never shows.
  if (parent == HWND_MESSAGE) {
    parent = nullptr;
    style &= ~static_cast<DWORD>(WS_VISIBLE | WS_CHILD);
  }
  if ((style & WS_CHILD) && parent == nullptr) {
    SetLastError(ERROR_TLW_WITH_WSCHILD);
    return nullptr;
  }
  WindowPtr window = makeWindow(cls, exStyle, windowName, style, x, y, width, height, parent, menu, instance);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  HWND hwnd = window->hwnd;
  CREATESTRUCTA cs{};
  cs.lpCreateParams = param;
  cs.hInstance = instance;
  cs.hMenu = menu;
  cs.hwndParent = parent;
  cs.x = window->rect.left;
  cs.y = window->rect.top;
  cs.cx = window->width();
  cs.cy = window->height();
  cs.style = static_cast<LONG>(style);
  cs.lpszName = windowName;
  cs.lpszClass = className;
  cs.dwExStyle = exStyle;
  auto csParam = reinterpret_cast<LPARAM>(&cs);
  if (!callWindow(hwnd, WM_NCCREATE, 0, csParam)) {
    callWindow(hwnd, WM_NCDESTROY, 0, 0);
    removeWindow(window);
    return nullptr;
  }
  if (callWindow(hwnd, WM_CREATE, 0, csParam) == -1) {
    DestroyWindow(hwnd);
    return nullptr;
  }
  if (!IsWindow(hwnd)) return nullptr;  // destroyed by its own WM_CREATE
  callWindow(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cs.cx, cs.cy));
  callWindow(hwnd, WM_MOVE, 0, MAKELPARAM(cs.x, cs.y));
  if (style & WS_VISIBLE) invalidate(hwnd, nullptr, true);
  return hwnd;
}

PLATFORM_API BOOL WINAPI DestroyWindow(HWND hwnd) {
  WindowPtr window = findWindow(hwnd);
  if (!window) return FALSE;
  if (!window->queue || window->threadId != plat::currentThreadId()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  std::vector<HWND> children;
  {
    std::lock_guard<std::mutex> lock(windowLock());
    if (window->destroying) return TRUE;
    window->destroying = true;
    window->style &= ~static_cast<DWORD>(WS_VISIBLE);
  }
  callWindow(hwnd, WM_DESTROY, 0, 0);
  {
    std::lock_guard<std::mutex> lock(windowLock());
    children = window->children;
  }
  for (HWND child : children) destroyOnOwnerThread(child);
  callWindow(hwnd, WM_NCDESTROY, 0, 0);
  removeWindow(window);
  return TRUE;
}

PLATFORM_API BOOL WINAPI IsWindow(HWND hwnd) {
  std::lock_guard<std::mutex> lock(windowLock());
  return findWindowLocked(hwnd) ? TRUE : FALSE;
}

PLATFORM_API BOOL WINAPI IsWindowVisible(HWND hwnd) {
  std::lock_guard<std::mutex> lock(windowLock());
  for (WindowPtr window = findWindowLocked(hwnd); window; window = findWindowLocked(window->parent)) {
    if (!(window->style & WS_VISIBLE)) return FALSE;
    if (window->parent == nullptr) return TRUE;
  }
  return FALSE;
}

PLATFORM_API HWND WINAPI GetParent(HWND hwnd) {
  std::lock_guard<std::mutex> lock(windowLock());
  WindowPtr window = findWindowLocked(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return window->parent;
}

PLATFORM_API HWND WINAPI GetDesktopWindow(void) {
  std::lock_guard<std::mutex> lock(windowLock());
  return desktopLocked()->hwnd;
}

PLATFORM_API DWORD WINAPI GetWindowThreadProcessId(HWND hwnd, LPDWORD processId) {
  WindowPtr window = findWindow(hwnd);
  if (!window) return 0;
  if (processId) *processId = static_cast<DWORD>(::getpid());
  return window->threadId;
}
