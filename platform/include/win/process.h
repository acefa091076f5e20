// Starting other programs.
//
// CreateProcessA runs the program at the mapped path of the application
// name (or of the command line's first item when the name is NULL), with
// argv split from the command line by the Windows rules. Only what a plain
// start needs is offered: creation flags, an environment or a current
// folder other than the caller's are refused with ERROR_INVALID_PARAMETER.
//
// A started program counts as idle for WaitForInputIdle once it writes to,
// or closes, the descriptor named by the environment variable
// ORVANE_INPUT_IDLE_FD (the layer's message calls do this for a program
// built on it), or once it ends.
#pragma once
#include "../windef.h"

typedef struct _STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
} STARTUPINFOA, *LPSTARTUPINFOA;
static_assert(sizeof(STARTUPINFOA) == 104, "STARTUPINFOA keeps the 64-bit layout");

typedef struct _PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
} PROCESS_INFORMATION, *LPPROCESS_INFORMATION;

// Both handles must be closed. The process handle is signalled when the
// program ends; the thread handle stands for the program's first thread.
PLATFORM_API BOOL WINAPI CreateProcessA(LPCSTR lpApplicationName, LPSTR lpCommandLine,
                                        LPSECURITY_ATTRIBUTES lpProcessAttributes,
                                        LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles,
                                        DWORD dwCreationFlags, LPVOID lpEnvironment, LPCSTR lpCurrentDirectory,
                                        LPSTARTUPINFOA lpStartupInfo, LPPROCESS_INFORMATION lpProcessInformation);

// STILL_ACTIVE while the program runs, then its exit status (128 + the
// signal number for a program ended by a signal).
PLATFORM_API BOOL WINAPI GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode);
