// The process's table of loaded modules.
//
// A module is one loaded object (its link map) with a small handle value,
// its path, the references LoadLibraryA holds on it and its DllMain.
// Nothing here calls the dynamic loader or a DllMain while holding the
// table lock: the loader runs library constructors, which come back here
// through PlatDllAttach, with its own lock held.
#pragma once
#include <windows.h>

#include <platform/dllmain.h>

#include <optional>
#include <string>

namespace plat {

struct Module {
  uint32_t value = 0;
  void* object = nullptr;  // the loader's link map, identity of the loaded file
  std::string path;
  int loadCount = 0;     // references held for LoadLibraryA
  void* dlHandle = nullptr;  // the loader handle those references are on
  PLAT_DLLMAIN dllMain = nullptr;
  bool attached = false;
};

inline HMODULE toModuleHandle(uint32_t value) {
  return reinterpret_cast<HMODULE>(static_cast<uintptr_t>(value));
}

// The module of a loaded object (a link map), made on first sight.
uint32_t moduleForObject(void* object);
// The module of the program itself.
uint32_t programModule();

std::optional<Module> findModule(HMODULE module);
// Keeps a LoadLibraryA reference (a loader handle) on the module it opens.
uint32_t keepLoadReference(void* dlHandle);
// Drops one LoadLibraryA reference and gives the loader handle to close;
// nullptr when none is held.
void* dropLoadReference(uint32_t value);
// Forgets the module once its object is no longer loaded.
void forgetIfUnloaded(uint32_t value);

// The loaded object of a module, with a loader reference that the caller
// gives back with dlclose; nullptr when the module is gone.
void* openModuleObject(const Module& module);
// The link map that a loader handle stands for.
void* objectOfHandle(void* dlHandle);

// LoadLibraryA marks the loads it makes on its thread, so a DllMain that
// refuses the attach makes that load fail.
struct LoadScope {
  LoadScope();
  ~LoadScope();
  LoadScope(const LoadScope&) = delete;
  LoadScope& operator=(const LoadScope&) = delete;
  bool attachRefused = false;
  LoadScope* outer;
};

}  // namespace plat
