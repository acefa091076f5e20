// Window classes and the window table.
#pragma once
#include <windows.h>

#include <platform/window_surface.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "user32/queue.h"

namespace plat::user {

struct WindowClass {
  std::string name;  // as registered
  ATOM atom;
  UINT style;
  WNDPROC proc;
  HINSTANCE instance;
  HBRUSH background;
  int windowCount = 0;  // under windowLock()
};
using ClassPtr = std::shared_ptr<WindowClass>;

class Surface;

// Fields other than the first four are guarded by windowLock(). The lock
// order is windowLock() before waitLock(); a window procedure is never
// called with either held.
struct Window {
  HWND hwnd = nullptr;
  DWORD threadId = 0;
  QueuePtr queue;  // nullptr for the desktop
  ClassPtr cls;

  WNDPROC proc = nullptr;
  HWND parent = nullptr;
  std::vector<HWND> children;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT rect{};  // in the parent's client coordinates (screen for top level)
  std::string text;
  LONG_PTR userData = 0;
  LONG_PTR id = 0;
  HINSTANCE instance = nullptr;
  bool destroying = false;

  bool invalid = false;  // has an update region (then it is in paintPending)
  bool erase = false;
  RECT update{};

  std::shared_ptr<Surface> surface;
  PlatSurfaceChangedProc surfaceHook = nullptr;
  void* surfaceHookUser = nullptr;

  LONG width() const { return rect.right - rect.left; }
  LONG height() const { return rect.bottom - rect.top; }
};
using WindowPtr = std::shared_ptr<Window>;

std::mutex& windowLock();
// Under windowLock().
WindowPtr findWindowLocked(HWND hwnd);
// Takes windowLock(); sets ERROR_INVALID_WINDOW_HANDLE when there is none.
WindowPtr findWindow(HWND hwnd);

void insertWindowLocked(const WindowPtr& window);
void eraseWindowLocked(HWND hwnd);
// Under windowLock(): every window of a thread.
std::vector<WindowPtr> windowsOfThreadLocked(DWORD threadId);

// Classes; under windowLock().
ClassPtr findClassLocked(LPCSTR nameOrAtom);

// Calls the window's procedure on the calling thread; 0 if it is gone.
LRESULT callWindow(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// SendMessageA with a time-out; completed is false if it ran out.
LRESULT sendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs, bool* completed);
// DestroyWindow on the window's own thread, from any thread.
void destroyOnOwnerThread(HWND hwnd);

// Window geometry changed size: the surface follows (outside every lock).
void resizeSurface(const WindowPtr& window);
// Invalidate (rect NULL = all); under no lock.
bool invalidate(HWND hwnd, const RECT* rect, bool erase);

}  // namespace plat::user
