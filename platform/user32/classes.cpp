// Window classes: names compare without regard to case; the instance
// handle is not part of the key (one program, one namespace).
#include <strings.h>

#include <algorithm>

#include "user32/window.h"

namespace plat::user {

namespace {
std::vector<ClassPtr>& classesLocked() {
  static auto* list = new std::vector<ClassPtr>;
  return *list;
}
ATOM g_nextAtom = 0xC000;  // under windowLock()
}  // namespace

ClassPtr findClassLocked(LPCSTR nameOrAtom) {
  if (nameOrAtom == nullptr) return nullptr;
  auto& list = classesLocked();
  auto it = std::find_if(list.begin(), list.end(), [nameOrAtom](const ClassPtr& c) {
    if (IS_INTRESOURCE(nameOrAtom)) return c->atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(nameOrAtom));
    return strcasecmp(c->name.c_str(), nameOrAtom) == 0;
  });
  return it == list.end() ? nullptr : *it;
}

namespace {
ATOM registerClass(UINT style, WNDPROC proc, HINSTANCE instance, HBRUSH background, LPCSTR name) {
  if (proc == nullptr || name == nullptr || IS_INTRESOURCE(name) || *name == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::lock_guard<std::mutex> lock(windowLock());
  if (findClassLocked(name)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  auto cls = std::make_shared<WindowClass>();
  cls->name = name;
  cls->atom = g_nextAtom++;
  if (g_nextAtom == 0) g_nextAtom = 0xC000;
  cls->style = style;
  cls->proc = proc;
  cls->instance = instance;
  cls->background = background;
  classesLocked().push_back(cls);
  return cls->atom;
}
}  // namespace

}  // namespace plat::user

using namespace plat::user;

PLATFORM_API ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
  if (wc == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return registerClass(wc->style, wc->lpfnWndProc, wc->hInstance, wc->hbrBackground, wc->lpszClassName);
}

PLATFORM_API ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* wc) {
  if (wc == nullptr || wc->cbSize != sizeof(WNDCLASSEXA)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return registerClass(wc->style, wc->lpfnWndProc, wc->hInstance, wc->hbrBackground, wc->lpszClassName);
}

PLATFORM_API BOOL WINAPI UnregisterClassA(LPCSTR name, HINSTANCE) {
  std::lock_guard<std::mutex> lock(windowLock());
  ClassPtr cls = findClassLocked(name);
  if (!cls) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  if (cls->windowCount > 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return FALSE;
  }
  std::erase(classesLocked(), cls);
  return TRUE;
}
