// The process's table of loaded modules.
//
// A module is one loaded object (its link map) with a small handle value,
// its path, the references LoadLibraryA holds on it and its DllMain.
// Nothing here calls the dynamic loader or a DllMain while holding the
// table lock: the loader runs library constructors, which come back here
// through PlatDllAttach, with its own lock held.
//
// The DllMain of a library that LoadLibraryA maps runs after the dynamic
// load has returned, and FreeLibrary runs its detach before the unload:
// under the dynamic loader's lock, the threads an attach starts or a
// detach waits for could not start, end or call the loader.
#pragma once
#include <windows.h>

#include <platform/dllmain.h>

#include <optional>
#include <string>
#include <vector>

namespace plat {

struct Module {
  uint32_t value = 0;
  void* object = nullptr;  // the loader's link map, identity of the loaded file
  std::string path;
  int loadCount = 0;     // references held for LoadLibraryA
  void* dlHandle = nullptr;  // the loader handle those references are on
  PLAT_DLLMAIN dllMain = nullptr;
  bool attached = false;
  bool byName = false;  // mapped by LoadLibraryA: attaches and detaches outside the loader
  bool pinned = false;  // stays mapped until the process ends
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

// LoadLibraryA marks the dynamic loads it makes on its thread: the
// attaches of the libraries they map wait in `mapped`, in the order the
// loader initialised them (a library after those it links).
struct LoadScope {
  LoadScope();
  ~LoadScope();
  LoadScope(const LoadScope&) = delete;
  LoadScope& operator=(const LoadScope&) = delete;
  std::vector<uint32_t> mapped;
  LoadScope* outer;
};

// Runs the attach of a module mapped by name that is not attached: one
// whose load has just mapped it, or one whose detach has run but that
// stayed mapped. False when its DllMain refuses.
bool attachMapped(uint32_t value);
// Runs the detach of a module mapped by name, before its unload or at the
// process's end.
void detachMapped(uint32_t value, bool processEnds = false);
// The modules mapped by name that hold no LoadLibraryA reference and are
// not pinned: the ones an unload may take with it.
std::vector<Module> unreferencedByName();
// Keeps the module's object mapped until the process ends.
bool pinModule(uint32_t value);

}  // namespace plat
