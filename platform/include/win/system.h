// What the program may ask about the system: version, processors, name.
#pragma once
#include "../windef.h"

#define VER_PLATFORM_WIN32s 0
#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

typedef struct _OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
} OSVERSIONINFOA, *POSVERSIONINFOA, *LPOSVERSIONINFOA;
typedef OSVERSIONINFOA OSVERSIONINFO;
typedef LPOSVERSIONINFOA LPOSVERSIONINFO;

// The system reports NT 5.1 build 2600. Tests pretend to be another
// system through ORVANE_WINVER="platform:major.minor[.build]", e.g. "1:4.10"
// or "2:5.2"; it is read at each call.
PLATFORM_API BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation);
#define GetVersionEx GetVersionExA
// The same setting packed: major in bits 0-7, minor in 8-15, the build in
// 16-30, bit 31 set for the 9x family (platform 1).
PLATFORM_API DWORD WINAPI GetVersion(void);

// The program's command line; ORVANE_COMMAND_LINE, when set, stands in for
// it. The text stays valid until the thread's next call.
PLATFORM_API LPSTR WINAPI GetCommandLineA(void);
#define GetCommandLine GetCommandLineA

#define PROCESSOR_ARCHITECTURE_INTEL 0
#define PROCESSOR_INTEL_PENTIUM 586

typedef struct _SYSTEM_INFO {
  union {
    DWORD dwOemId;
    struct {
      WORD wProcessorArchitecture;
      WORD wReserved;
    };
  };
  DWORD dwPageSize;
  LPVOID lpMinimumApplicationAddress;
  LPVOID lpMaximumApplicationAddress;
  DWORD_PTR dwActiveProcessorMask;
  DWORD dwNumberOfProcessors;
  DWORD dwProcessorType;
  DWORD dwAllocationGranularity;
  WORD wProcessorLevel;
  WORD wProcessorRevision;
} SYSTEM_INFO, *LPSYSTEM_INFO;

// The processors of the machine, as seen by a 32-bit x86 program.
PLATFORM_API void WINAPI GetSystemInfo(LPSYSTEM_INFO lpSystemInfo);

#define MAX_COMPUTERNAME_LENGTH 15
#ifndef ERROR_BUFFER_OVERFLOW
#define ERROR_BUFFER_OVERFLOW 111L
#endif
// The host name, upper case, cut to MAX_COMPUTERNAME_LENGTH. *nSize is the
// buffer size in; the length without the terminator out, or, when the
// buffer is too small, the size needed (ERROR_BUFFER_OVERFLOW).
PLATFORM_API BOOL WINAPI GetComputerNameA(LPSTR lpBuffer, LPDWORD nSize);

#ifdef __cplusplus
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA as on Windows");
static_assert(sizeof(SYSTEM_INFO) == 48 && offsetof(SYSTEM_INFO, dwNumberOfProcessors) == 32,
              "SYSTEM_INFO as on Win64");
#endif
