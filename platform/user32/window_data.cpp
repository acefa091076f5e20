// Window text, window data slots and the default window procedure.
#include <algorithm>
#include <cstring>

#include "user32/window.h"

using namespace plat::user;

namespace {

// Copies text as WM_GETTEXT does: at most size - 1 characters and a
// terminator; returns the characters copied.
int copyText(const std::string& text, LPSTR buffer, int size) {
  if (buffer == nullptr || size <= 0) return 0;
  size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

std::string textOf(HWND hwnd) {
  std::lock_guard<std::mutex> lock(windowLock());
  WindowPtr window = findWindowLocked(hwnd);
  return window ? window->text : std::string();
}

bool ownedByCaller(const WindowPtr& window) { return window->threadId == plat::currentThreadId(); }

}  // namespace

PLATFORM_API LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      if (BeginPaint(hwnd, &ps)) EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_SETTEXT: {
      std::lock_guard<std::mutex> lock(windowLock());
      WindowPtr window = findWindowLocked(hwnd);
      if (!window) return FALSE;
      auto text = reinterpret_cast<LPCSTR>(lParam);
      window->text = text ? text : "";
      return TRUE;
    }
    case WM_GETTEXT:
      return copyText(textOf(hwnd), reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(textOf(hwnd).size());
    default:
      return 0;
  }
}

PLATFORM_API LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  return proc ? proc(hwnd, message, wParam, lParam) : 0;
}

PLATFORM_API BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text) {
  if (!findWindow(hwnd)) return FALSE;
  return sendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), INFINITE, nullptr) ? TRUE : FALSE;
}

// The window's own thread asks its procedure; other threads read the
// stored text, so they never wait on a busy window.
PLATFORM_API int WINAPI GetWindowTextA(HWND hwnd, LPSTR buffer, int size) {
  WindowPtr window = findWindow(hwnd);
  if (!window || buffer == nullptr || size <= 0) {
    if (window) SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (ownedByCaller(window)) {
    return static_cast<int>(callWindow(hwnd, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
  }
  return copyText(textOf(hwnd), buffer, size);
}

PLATFORM_API int WINAPI GetWindowTextLengthA(HWND hwnd) {
  WindowPtr window = findWindow(hwnd);
  if (!window) return 0;
  if (ownedByCaller(window)) return static_cast<int>(callWindow(hwnd, WM_GETTEXTLENGTH, 0, 0));
  return static_cast<int>(textOf(hwnd).size());
}

namespace {

// One slot of a window: where its value lives and whether it can be set.
LONG_PTR* slot(Window& window, int index, bool& writable) {
  writable = true;
  switch (index) {
    case GWLP_USERDATA:
      return &window.userData;
    case GWLP_ID:
      return &window.id;
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR*>(&window.proc);
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR*>(&window.instance);
    case GWLP_HWNDPARENT:
      writable = false;
      return reinterpret_cast<LONG_PTR*>(&window.parent);
    default:
      return nullptr;
  }
}

// narrow: the 32-bit forms, which cannot carry the pointer slots.
LONG_PTR accessLong(HWND hwnd, int index, const LONG_PTR* value, bool narrow = false) {
  std::lock_guard<std::mutex> lock(windowLock());
  WindowPtr window = findWindowLocked(hwnd);
  if (!window) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (index == GWL_STYLE || index == GWL_EXSTYLE) {
    DWORD& field = index == GWL_STYLE ? window->style : window->exStyle;
    LONG_PTR old = static_cast<LONG>(field);
    if (value) field = static_cast<DWORD>(*value);
    SetLastError(ERROR_SUCCESS);
    return old;
  }
  bool writable = false;
  LONG_PTR* field = slot(*window, index, writable);
  bool pointer = index == GWLP_WNDPROC || index == GWLP_HINSTANCE || index == GWLP_HWNDPARENT;
  if (field == nullptr || (value && !writable) || (narrow && pointer)) {
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
  }
  LONG_PTR old = *field;
  if (value) *field = *value;
  // A previous value of 0 is a valid answer; callers tell it by the error.
  SetLastError(ERROR_SUCCESS);
  return old;
}

}  // namespace

PLATFORM_API LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, int index) { return accessLong(hwnd, index, nullptr); }

PLATFORM_API LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
  return accessLong(hwnd, index, &value);
}

PLATFORM_API LONG WINAPI GetWindowLongA(HWND hwnd, int index) {
  return static_cast<LONG>(accessLong(hwnd, index, nullptr, true));
}

PLATFORM_API LONG WINAPI SetWindowLongA(HWND hwnd, int index, LONG value) {
  LONG_PTR wide = value;
  return static_cast<LONG>(accessLong(hwnd, index, &wide, true));
}
