// The message box and the beep, without a user interface.
#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

#include "kernel32/object.h"
#include "kernel32/process_object.h"
#include "user32/weak_links.h"

namespace {

std::atomic<LONG> g_beeps{0};

std::mutex& hookLock() {
  static auto* lock = new std::mutex;
  return *lock;
}
PlatMessageBoxProc g_boxHook = nullptr;  // under hookLock()
void* g_boxHookUser = nullptr;

// The buttons of each box type, in order; the default button picks one.
struct BoxButtons {
  int answers[3];
  int count;
};
constexpr BoxButtons kButtons[] = {
    {{IDOK}, 1},                         // MB_OK
    {{IDOK, IDCANCEL}, 2},               // MB_OKCANCEL
    {{IDABORT, IDRETRY, IDIGNORE}, 3},   // MB_ABORTRETRYIGNORE
    {{IDYES, IDNO, IDCANCEL}, 3},        // MB_YESNOCANCEL
    {{IDYES, IDNO}, 2},                  // MB_YESNO
    {{IDRETRY, IDCANCEL}, 2},            // MB_RETRYCANCEL
};

int defaultAnswer(UINT type) {
  UINT kind = type & MB_TYPEMASK;
  if (kind >= sizeof(kButtons) / sizeof(kButtons[0])) return IDOK;
  const BoxButtons& buttons = kButtons[kind];
  int index = static_cast<int>((type & MB_DEFMASK) >> 8);
  return buttons.answers[index < buttons.count ? index : 0];
}

}  // namespace

PLATFORM_API int WINAPI MessageBoxA(HWND hwnd, LPCSTR text, LPCSTR caption, UINT type) {
  PlatMessageBoxProc hook;
  void* user;
  {
    std::lock_guard<std::mutex> lock(hookLock());
    hook = g_boxHook;
    user = g_boxHookUser;
  }
  if (hook) return hook(hwnd, text, caption, type, user);
  std::string line = std::string("[") + (caption ? caption : "Error") + "] " + (text ? text : "") + "\n";
  if (!plat::user::debugOutput(line.c_str())) std::fputs(line.c_str(), stderr);
  return defaultAnswer(type);
}

PLATFORM_API BOOL WINAPI MessageBeep(UINT) {
  g_beeps.fetch_add(1, std::memory_order_relaxed);
  return TRUE;
}

PLATFORM_API LONG WINAPI PlatMessageBeepCount(void) { return g_beeps.load(std::memory_order_relaxed); }

PLATFORM_API void WINAPI PlatSetMessageBoxHook(PlatMessageBoxProc proc, void* user) {
  std::lock_guard<std::mutex> lock(hookLock());
  g_boxHook = proc;
  g_boxHookUser = user;
}

PLATFORM_API DWORD WINAPI WaitForInputIdle(HANDLE process, DWORD milliseconds) {
  plat::ObjectPtr object = plat::lookupHandle(process);
  if (!object || object->kind() != plat::ObjectKind::Process) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  // The current process has no one to wait for.
  auto started = std::dynamic_pointer_cast<plat::ProcessObject>(object);
  return started ? started->waitInputIdle(milliseconds) : 0;
}
