// Critical sections over a recursive POSIX mutex kept inside the record.
#include <pthread.h>

#include <new>

#include <windows.h>

namespace {

static_assert(sizeof(pthread_mutex_t) <= sizeof(CRITICAL_SECTION), "the mutex fits the record");
static_assert(alignof(pthread_mutex_t) <= alignof(CRITICAL_SECTION), "the record aligns the mutex");

pthread_mutex_t* mutexOf(LPCRITICAL_SECTION section) {
  return std::launder(reinterpret_cast<pthread_mutex_t*>(section->Opaque));
}

// Callers never check for NULL (Windows would fault); refuse quietly with a
// status instead of crashing.
bool present(LPCRITICAL_SECTION section) {
  if (section != nullptr) return true;
  SetLastError(ERROR_INVALID_PARAMETER);
  return false;
}

}  // namespace

PLATFORM_API void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION section) {
  if (!present(section)) return;
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  new (section->Opaque) pthread_mutex_t;
  pthread_mutex_init(mutexOf(section), &attr);
  pthread_mutexattr_destroy(&attr);
}

PLATFORM_API BOOL WINAPI InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD) {
  if (!present(section)) return FALSE;
  InitializeCriticalSection(section);
  return TRUE;
}

PLATFORM_API void WINAPI EnterCriticalSection(LPCRITICAL_SECTION section) {
  if (present(section)) pthread_mutex_lock(mutexOf(section));
}

PLATFORM_API BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION section) {
  return present(section) && pthread_mutex_trylock(mutexOf(section)) == 0 ? TRUE : FALSE;
}

PLATFORM_API void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION section) {
  if (present(section)) pthread_mutex_unlock(mutexOf(section));
}

PLATFORM_API void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION section) {
  if (present(section)) pthread_mutex_destroy(mutexOf(section));
}
