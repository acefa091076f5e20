// Entry point and ordinal exports for the system's own libraries.
//
// A library names its DllMain once, in one of its source files:
//
//   static BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) { ... }
//   ORVANE_DLLMAIN(DllMain)
//
// DllMain then runs with DLL_PROCESS_ATTACH once when the library is
// loaded, whether it was linked into a program or loaded by LoadLibraryA,
// and with DLL_PROCESS_DETACH once when it is unloaded or the process
// ends; the detach's third argument is non-null when the process ends.
// The instance is the library's HMODULE, the value LoadLibraryA and
// GetModuleHandleA return for it. A library attaches after the libraries
// it links and detaches before them. A library that LoadLibraryA maps
// attaches once the dynamic load has returned and detaches before the
// unload, so threads its DllMain starts or waits for can run; a linked
// one runs among its static initialisers, so it must not rely on objects
// of its other source files. Returning FALSE from the attach makes the
// LoadLibraryA that loaded it fail.
//
// Exports by ordinal are declared once per library, as a table from
// ordinal to exported name:
//
//   ORVANE_ORDINALS({2, "XanOpen"}, {12, "XanClose"})
//
// GetProcAddress(module, MAKEINTRESOURCE(2)) then finds XanOpen.
#pragma once
#include <windows.h>

typedef BOOL(WINAPI* PLAT_DLLMAIN)(HINSTANCE instance, DWORD reason, LPVOID reserved);

typedef struct PlatOrdinal {
  WORD ordinal;
  const char* name;
} PlatOrdinal;

typedef struct PlatOrdinalTable {
  const PlatOrdinal* entries;
  size_t count;
} PlatOrdinalTable;

// The exported name of the table each library defines through
// ORVANE_ORDINALS.
#define PLAT_ORDINAL_TABLE_SYMBOL "OrvaneOrdinalTable"

// Called by ORVANE_DLLMAIN from inside the library: anchor is any address
// in the library. Attach runs the attach and returns the library's module;
// Detach runs the detach once.
PLATFORM_API HMODULE WINAPI PlatDllAttach(const void* anchor, PLAT_DLLMAIN dllMain);
PLATFORM_API void WINAPI PlatDllDetach(HMODULE module);

#ifdef __cplusplus
#define ORVANE_DLLMAIN(fn)                                                         \
  namespace {                                                                      \
  const char orvaneDllAnchor = 0;                                                  \
  struct OrvaneDllMainHook {                                                       \
    HMODULE module;                                                                \
    OrvaneDllMainHook() : module(PlatDllAttach(&orvaneDllAnchor, (fn))) {}         \
    ~OrvaneDllMainHook() { PlatDllDetach(module); }                                \
    OrvaneDllMainHook(const OrvaneDllMainHook&) = delete;                          \
    OrvaneDllMainHook& operator=(const OrvaneDllMainHook&) = delete;               \
  } orvaneDllMainHook;                                                             \
  }

#define ORVANE_ORDINALS(...)                                                       \
  namespace {                                                                      \
  const PlatOrdinal orvaneOrdinals[] = {__VA_ARGS__};                              \
  }                                                                                \
  extern "C" __attribute__((visibility("default"))) const PlatOrdinalTable         \
      OrvaneOrdinalTable = {orvaneOrdinals, sizeof orvaneOrdinals / sizeof orvaneOrdinals[0]};
#endif
