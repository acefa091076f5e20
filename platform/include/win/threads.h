// Threads: creation, suspension, priority, exit codes, yielding.
//
// There is no forced termination of a thread: code that has to stop a
// thread asks it to end (a flag or an event) and waits on its handle.
#pragma once
#include "../windef.h"

typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID lpThreadParameter);
typedef LPTHREAD_START_ROUTINE PTHREAD_START_ROUTINE;

#define CREATE_SUSPENDED 0x00000004u
#define STACK_SIZE_PARAM_IS_A_RESERVATION 0x00010000u

#define STILL_ACTIVE 259u

#define THREAD_PRIORITY_IDLE (-15)
#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define THREAD_PRIORITY_TIME_CRITICAL 15
#define THREAD_PRIORITY_ERROR_RETURN 0x7FFFFFFF

PLATFORM_API HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, SIZE_T dwStackSize,
                                        LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                                        DWORD dwCreationFlags, LPDWORD lpThreadId);

// Both return the previous suspend count, 0xFFFFFFFF on failure. A thread
// that suspends itself blocks until another thread resumes it. Another
// thread, once suspended, stops at its next wait or Sleep.
PLATFORM_API DWORD WINAPI SuspendThread(HANDLE hThread);
PLATFORM_API DWORD WINAPI ResumeThread(HANDLE hThread);

// Priorities are recorded, not applied: nothing may depend on them.
PLATFORM_API BOOL WINAPI SetThreadPriority(HANDLE hThread, int nPriority);
PLATFORM_API int WINAPI GetThreadPriority(HANDLE hThread);

PLATFORM_API BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);
// Ends the calling thread; destructors of its frames run.
PLATFORM_API __attribute__((noreturn)) void WINAPI ExitThread(DWORD dwExitCode);

// GetCurrentThread gives a pseudo handle that stands for the calling
// thread wherever a thread handle is taken; it needs no CloseHandle.
PLATFORM_API HANDLE WINAPI GetCurrentThread(void);
PLATFORM_API DWORD WINAPI GetCurrentThreadId(void);
// The id of a thread by its handle; 0 on failure. A thread made by
// CreateThread learns its id when it begins to run, so until then this is 0
// too (such a thread is never the caller).
PLATFORM_API DWORD WINAPI GetThreadId(HANDLE hThread);

// Sleep(0) gives the processor to another ready thread.
PLATFORM_API void WINAPI Sleep(DWORD dwMilliseconds);
PLATFORM_API BOOL WINAPI SwitchToThread(void);
