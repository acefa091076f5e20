// A small library for the module tests, built several times with different
// MODTEST_TAG values. It counts its attaches and writes "<tag> attach" and
// "<tag> detach" ("<tag> ending" when told the process ends) as debug
// output, so a test sees the order.
#include <windows.h>

#include <platform/dllmain.h>

#include <cstdio>

#define MODTEST_TEXT2(x) #x
#define MODTEST_TEXT(x) MODTEST_TEXT2(x)

#ifdef MODTEST_NEEDS_A
extern "C" int ModTestAOnly();
#endif

namespace {

int attachCount = 0;
int attachesSeenOfA = -1;
HINSTANCE attachInstance = nullptr;

void note(const char* event) {
  char line[64];
  std::snprintf(line, sizeof line, "%s %s", MODTEST_TEXT(MODTEST_TAG), event);
  OutputDebugStringA(line);
}

#ifdef MODTEST_STARTS_THREAD
// The thread tells its start, then on the word to go calls the loader and
// ends: both the attach and the detach wait for it.
HANDLE startedThread = nullptr;
HANDLE threadStarted = nullptr;
HANDLE threadGo = nullptr;
DWORD WINAPI startedThreadMain(LPVOID) {
  SetEvent(threadStarted);
  WaitForSingleObject(threadGo, INFINITE);
  return GetModuleHandleA("modtest" MODTEST_TEXT(MODTEST_TAG)) != nullptr ? 7 : 0;
}
void waitForThread(HANDLE object, const char* done) {
  note(WaitForSingleObject(object, 2000) == WAIT_OBJECT_0 ? done : "stuck");
}
#endif

BOOL WINAPI ModTestMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    ++attachCount;
    attachInstance = instance;
#ifdef MODTEST_NEEDS_A
    attachesSeenOfA = ModTestAOnly();
#endif
    note("attach");
#ifdef MODTEST_STARTS_THREAD
    threadStarted = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    threadGo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    startedThread = CreateThread(nullptr, 0, startedThreadMain, nullptr, 0, nullptr);
    waitForThread(threadStarted, "started");
#endif
#ifdef MODTEST_REFUSE_ATTACH
    return FALSE;
#endif
  } else if (reason == DLL_PROCESS_DETACH) {
    note(reserved != nullptr ? "ending" : "detach");
#ifdef MODTEST_STARTS_THREAD
    SetEvent(threadGo);
    waitForThread(startedThread, "joined");
#endif
  }
  return TRUE;
}

}  // namespace

ORVANE_DLLMAIN(ModTestMain)

DLL_EXPORT int ModTestAttachCount() { return attachCount; }
DLL_EXPORT HINSTANCE ModTestInstance() { return attachInstance; }
DLL_EXPORT const char* ModTestTag() { return MODTEST_TEXT(MODTEST_TAG); }
// How many times the linked library had attached when this one attached.
DLL_EXPORT int ModTestAttachesSeenOfA() { return attachesSeenOfA; }

#ifdef MODTEST_STARTS_THREAD
// The exit code of the thread the attach started, once it has ended.
DLL_EXPORT DWORD ModTestStartedThreadResult() {
  SetEvent(threadGo);
  DWORD code = 0;
  if (WaitForSingleObject(startedThread, 5000) != WAIT_OBJECT_0 || !GetExitCodeThread(startedThread, &code)) return 0;
  return code;
}
#endif

#ifdef MODTEST_IS_A
DLL_EXPORT int ModTestAOnly() { return attachCount; }
ORVANE_ORDINALS({2, "ModTestTag"}, {4, "ModTestAttachCount"}, {7, "ModTestNotExported"})
#endif
