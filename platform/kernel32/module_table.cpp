// The module table and the DllMain hooks the libraries call.
#include "kernel32/module_table.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <unordered_map>

#include "kernel32/module_names.h"
#include "kernel32/object.h"

extern "C" int __cxa_atexit(void (*function)(void*), void* argument, void* dsoHandle);
extern "C" void* __dso_handle;

namespace plat {
namespace {

class Table {
 public:
  std::mutex mutex;
  std::unordered_map<uint32_t, Module> byValue;
  std::unordered_map<void*, uint32_t> byObject;

  // Called with mutex held.
  Module& ensure(void* object, const std::string& path) {
    auto it = byObject.find(object);
    if (it != byObject.end()) {
      Module& known = byValue.at(it->second);
      if (known.path == path) return known;
      // An unloaded library's link map was reused for another file.
      byValue.erase(it->second);
      byObject.erase(it);
    }
    Module module;
    module.value = allocateHandleValue();
    module.object = object;
    module.path = path;
    byObject[object] = module.value;
    return byValue.emplace(module.value, std::move(module)).first->second;
  }

  void erase(uint32_t value) {
    auto it = byValue.find(value);
    if (it == byValue.end()) return;
    byObject.erase(it->second.object);
    byValue.erase(it);
  }
};

// Lives through static destruction: libraries detach from their own
// destructors at exit, after ours may have run.
Table& table() {
  static Table* instance = new Table;
  return *instance;
}

thread_local LoadScope* currentScope = nullptr;

// Set once the process has begun to end. An exit first destroys the
// exiting thread's thread_local objects, before any exit handler or loader
// finaliser runs; an unload, by FreeLibrary or by the program's own
// dlclose, destroys none. Only the main thread is watched: another
// thread's objects also go when it alone ends, which is no end of the
// process.
std::atomic<bool> processEnding{false};

struct ExitWatch {
  ~ExitWatch() { processEnding = true; }
};

void watchForExit() {
  if (::getpid() != static_cast<pid_t>(::syscall(SYS_gettid))) return;
  thread_local ExitWatch watch;
  (void)watch;
}

[[maybe_unused]] const bool watching = (watchForExit(), true);

void* programObject() {
  static void* object = [] {
    void* handle = dlopen(nullptr, RTLD_NOW);
    void* map = objectOfHandle(handle);
    if (handle != nullptr) dlclose(handle);
    return map;
  }();
  return object;
}

std::string absolutePath(const std::string& path) {
  if (path.empty() || path[0] == '/') return path;
  char cwd[4096];
  if (::getcwd(cwd, sizeof cwd) == nullptr) return path;
  return std::string(cwd) + "/" + path;
}

std::string pathOfObject(void* object) {
  auto* map = static_cast<link_map*>(object);
  if (object == programObject() || map->l_name == nullptr || map->l_name[0] == '\0') return programPath();
  return absolutePath(map->l_name);
}

}  // namespace

LoadScope::LoadScope() : outer(currentScope) { currentScope = this; }
LoadScope::~LoadScope() { currentScope = outer; }

namespace {
// A module that is still attached when the process ends.
void detachAtExit(void* value) { detachMapped(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(value)), true); }
}  // namespace

bool attachMapped(uint32_t value) {
  PLAT_DLLMAIN dllMain = nullptr;
  std::string path;
  {
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.byValue.find(value);
    if (it == t.byValue.end() || !it->second.byName || it->second.attached || it->second.dllMain == nullptr) {
      return true;
    }
    it->second.attached = true;
    dllMain = it->second.dllMain;
    path = it->second.path;
  }
  if (dllMain(toModuleHandle(value), DLL_PROCESS_ATTACH, nullptr)) {
    // Objects the attach makes first are destroyed at exit before the
    // library's static ones, so the detach at exit is set to come before
    // them, as it comes before the static ones.
    __cxa_atexit(detachAtExit, reinterpret_cast<void*>(static_cast<uintptr_t>(value)), &__dso_handle);
    return true;
  }
  std::string note = "DllMain of " + path + " refused the attach\n";
  OutputDebugStringA(note.c_str());
  return false;
}

void detachMapped(uint32_t value, bool processEnds) {
  PLAT_DLLMAIN dllMain = nullptr;
  {
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.byValue.find(value);
    if (it == t.byValue.end() || !it->second.byName || !it->second.attached) return;
    it->second.attached = false;
    dllMain = it->second.dllMain;
  }
  if (dllMain != nullptr) {
    dllMain(toModuleHandle(value), DLL_PROCESS_DETACH, processEnds ? reinterpret_cast<LPVOID>(1) : nullptr);
  }
}

std::vector<Module> unreferencedByName() {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  std::vector<Module> found;
  for (const auto& [value, module] : t.byValue)
    if (module.byName && module.loadCount == 0 && !module.pinned) found.push_back(module);
  return found;
}

bool pinModule(uint32_t value) {
  std::optional<Module> module = findModule(toModuleHandle(value));
  if (!module) return false;
  if (module->object != programObject()) {
    void* handle = dlopen(module->path.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    if (handle == nullptr) return false;
    bool same = objectOfHandle(handle) == module->object;
    dlclose(handle);  // the object keeps its mark
    if (!same) return false;
  }
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.byValue.find(value);
  if (it == t.byValue.end()) return false;
  it->second.pinned = true;
  return true;
}

void* objectOfHandle(void* dlHandle) {
  if (dlHandle == nullptr) return nullptr;
  link_map* map = nullptr;
  if (dlinfo(dlHandle, RTLD_DI_LINKMAP, &map) != 0) return nullptr;
  return map;
}

uint32_t moduleForObject(void* object) {
  std::string path = pathOfObject(object);
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  return t.ensure(object, path).value;
}

uint32_t programModule() { return moduleForObject(programObject()); }

std::optional<Module> findModule(HMODULE module) {
  auto raw = reinterpret_cast<uintptr_t>(module);
  if (raw == 0 || raw >= 0x80000000u) return std::nullopt;
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.byValue.find(static_cast<uint32_t>(raw));
  if (it == t.byValue.end()) return std::nullopt;
  return it->second;
}

uint32_t keepLoadReference(void* dlHandle) {
  void* object = objectOfHandle(dlHandle);
  std::string path = pathOfObject(object);
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  Module& module = t.ensure(object, path);
  ++module.loadCount;
  module.dlHandle = dlHandle;
  return module.value;
}

void* dropLoadReference(uint32_t value) {
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.byValue.find(value);
  if (it == t.byValue.end() || it->second.loadCount == 0) return nullptr;
  --it->second.loadCount;
  return it->second.dlHandle;
}

void forgetIfUnloaded(uint32_t value) {
  std::optional<Module> module = findModule(toModuleHandle(value));
  if (!module || module->loadCount > 0) return;
  if (void* handle = openModuleObject(*module)) {
    dlclose(handle);
    return;
  }
  Table& t = table();
  std::lock_guard<std::mutex> lock(t.mutex);
  auto it = t.byValue.find(value);
  if (it != t.byValue.end() && it->second.loadCount == 0) t.erase(value);
}

void* openModuleObject(const Module& module) {
  if (module.object == programObject()) return dlopen(nullptr, RTLD_NOW);
  void* handle = dlopen(module.path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle != nullptr && objectOfHandle(handle) != module.object) {
    dlclose(handle);
    return nullptr;
  }
  return handle;
}

}  // namespace plat

PLATFORM_API HMODULE WINAPI PlatDllAttach(const void* anchor, PLAT_DLLMAIN dllMain) {
  Dl_info info{};
  link_map* map = nullptr;
  if (anchor == nullptr ||
      dladdr1(anchor, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) == 0 || map == nullptr) {
    return nullptr;
  }
  plat::watchForExit();  // the loader may have loaded this layer on another thread
  std::string path = plat::pathOfObject(map);
  uint32_t value;
  {
    plat::Table& t = plat::table();
    std::lock_guard<std::mutex> lock(t.mutex);
    plat::Module& module = t.ensure(map, path);
    value = module.value;
    if (module.attached) return plat::toModuleHandle(value);
    module.dllMain = dllMain;
    if (plat::currentScope != nullptr) {
      module.byName = true;
      plat::currentScope->mapped.push_back(value);
      return plat::toModuleHandle(value);
    }
    module.attached = true;
  }
  HMODULE module = plat::toModuleHandle(value);
  if (dllMain != nullptr && !dllMain(module, DLL_PROCESS_ATTACH, nullptr)) {
    std::string note = "DllMain of " + path + " refused the attach\n";
    OutputDebugStringA(note.c_str());
  }
  return module;
}

PLATFORM_API void WINAPI PlatDllDetach(HMODULE module) {
  auto raw = reinterpret_cast<uintptr_t>(module);
  if (raw == 0 || raw >= 0x80000000u) return;
  auto value = static_cast<uint32_t>(raw);
  PLAT_DLLMAIN dllMain = nullptr;
  {
    plat::Table& t = plat::table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.byValue.find(value);
    if (it == t.byValue.end() || !it->second.attached) return;
    it->second.attached = false;
    dllMain = it->second.dllMain;
  }
  LPVOID processEnds = plat::processEnding ? reinterpret_cast<LPVOID>(1) : nullptr;
  if (dllMain != nullptr) dllMain(module, DLL_PROCESS_DETACH, processEnds);
  plat::Table& t = plat::table();
  std::lock_guard<std::mutex> lock(t.mutex);
  t.erase(value);
}
