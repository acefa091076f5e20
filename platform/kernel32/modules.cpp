// LoadLibraryA and friends over the dynamic loader.
#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include <windows.h>

#include "kernel32/module_links.h"
#include "kernel32/module_names.h"
#include "kernel32/module_table.h"

namespace {

// Loads and unloads follow one another, as under the Windows loader lock;
// a DllMain may load further libraries on the same thread.
std::recursive_mutex& loaderLock() {
  static auto* lock = new std::recursive_mutex;
  return *lock;
}

struct NameMatch {
  const std::string* file;
  std::vector<std::string> paths;
};

int collectNamed(dl_phdr_info* info, size_t, void* data) {
  auto* match = static_cast<NameMatch*>(data);
  const char* name = info->dlpi_name;
  if (name == nullptr || *name == '\0') return 0;
  const char* slash = std::strrchr(name, '/');
  if (*match->file == (slash != nullptr ? slash + 1 : name)) match->paths.emplace_back(name);
  return 0;
}

// As on Windows, a library of that name that is already loaded is used,
// wherever it was loaded from. Gives a loader reference, or nullptr.
void* openLoaded(const std::string& stem) {
  if (plat::isSystemStem(stem)) {
    return dlopen(plat::platformLibraryPath().c_str(), RTLD_NOW | RTLD_NOLOAD);
  }
  std::string file = plat::libraryFileName(stem);
  NameMatch match{&file, {}};
  // The loader's list is walked under its lock; open the finds afterwards.
  dl_iterate_phdr(collectNamed, &match);
  for (const std::string& path : match.paths) {
    if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD)) return handle;
  }
  return nullptr;
}

// Maps the library from the search path; `mapped` gets the libraries the
// load mapped, whose attaches are still to run. Sets the error and gives
// nullptr when it is nowhere.
void* loadFromSearchPath(const std::string& stem, std::vector<uint32_t>& mapped) {
  for (const std::string& path : plat::libraryCandidates(stem)) {
    plat::LoadScope scope;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      const char* why = dlerror();
      std::string note = "cannot load " + path + ": " + (why != nullptr ? why : "unknown error") + "\n";
      OutputDebugStringA(note.c_str());
      continue;
    }
    mapped = std::move(scope.mapped);
    return handle;
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
}

// Gives back a loader handle of the module. When that was its last
// LoadLibraryA reference, the libraries mapped by name that the unload
// takes detach first, where their threads can still run.
void unload(void* handle, uint32_t value) {
  std::optional<plat::Module> top = plat::findModule(plat::toModuleHandle(value));
  std::vector<uint32_t> going;
  if (top && top->byName && !top->pinned && top->loadCount == 0) going = plat::ModulesUnloadedWith(*top, plat::unreferencedByName());
  for (uint32_t module : going) plat::detachMapped(module);
  dlclose(handle);
  plat::forgetIfUnloaded(value);
  for (uint32_t module : going) plat::forgetIfUnloaded(module);
}

// dlsym on the library's handle also searches the libraries it links;
// only a symbol of the library itself counts.
void* ownSymbol(void* handle, void* object, const char* name) {
  void* address = dlsym(handle, name);
  if (address == nullptr) return nullptr;
  Dl_info info{};
  void* owner = nullptr;
  if (dladdr1(address, &info, &owner, RTLD_DL_LINKMAP) == 0 || owner != object) return nullptr;
  return address;
}

std::string nameOfOrdinal(void* handle, void* object, WORD ordinal) {
  auto* table = static_cast<const PlatOrdinalTable*>(ownSymbol(handle, object, PLAT_ORDINAL_TABLE_SYMBOL));
  if (table == nullptr || table->entries == nullptr) return {};
  for (size_t i = 0; i < table->count; ++i) {
    if (table->entries[i].ordinal == ordinal && table->entries[i].name != nullptr) return table->entries[i].name;
  }
  return {};
}

}  // namespace

PLATFORM_API HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
  if (lpLibFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::string stem = plat::moduleStem(lpLibFileName);
  if (stem.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  std::lock_guard<std::recursive_mutex> lock(loaderLock());
  std::vector<uint32_t> mapped;
  void* handle = openLoaded(stem);
  if (handle == nullptr) handle = loadFromSearchPath(stem, mapped);
  if (handle == nullptr) return nullptr;
  uint32_t value = plat::moduleForObject(plat::objectOfHandle(handle));
  // A library that stayed mapped after its detach attaches again.
  mapped.push_back(value);
  for (uint32_t module : mapped) {
    if (plat::attachMapped(module)) continue;
    unload(handle, value);
    SetLastError(ERROR_DLL_INIT_FAILED);
    return nullptr;
  }
  return plat::toModuleHandle(plat::keepLoadReference(handle));
}

PLATFORM_API HMODULE WINAPI LoadLibraryExA(LPCSTR lpLibFileName, HANDLE, DWORD) {
  return LoadLibraryA(lpLibFileName);
}

PLATFORM_API BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
  std::optional<plat::Module> module = plat::findModule(hLibModule);
  if (!module) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  std::lock_guard<std::recursive_mutex> lock(loaderLock());
  // A module that only a program's link holds stays, as Windows pins its
  // import libraries.
  void* handle = plat::dropLoadReference(module->value);
  if (handle == nullptr) return TRUE;
  unload(handle, module->value);
  return TRUE;
}

PLATFORM_API HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  if (lpModuleName == nullptr) return plat::toModuleHandle(plat::programModule());
  std::string stem = plat::moduleStem(lpModuleName);
  void* handle = stem.empty() ? nullptr : openLoaded(stem);
  if (handle == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  uint32_t value = plat::moduleForObject(plat::objectOfHandle(handle));
  dlclose(handle);
  return plat::toModuleHandle(value);
}

PLATFORM_API BOOL WINAPI GetModuleHandleExA(DWORD dwFlags, LPCSTR lpModuleName, HMODULE* phModule) {
  if (phModule != nullptr) *phModule = nullptr;
  const DWORD bothCounts = GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  if (phModule == nullptr || (dwFlags & bothCounts) == bothCounts) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::recursive_mutex> lock(loaderLock());
  HMODULE module = nullptr;
  if ((dwFlags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) != 0) {
    Dl_info info{};
    void* object = nullptr;
    if (dladdr1(lpModuleName, &info, &object, RTLD_DL_LINKMAP) != 0 && object != nullptr) {
      module = plat::toModuleHandle(plat::moduleForObject(object));
    }
  } else {
    module = GetModuleHandleA(lpModuleName);
  }
  std::optional<plat::Module> found = plat::findModule(module);
  if (!found) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  if ((dwFlags & GET_MODULE_HANDLE_EX_FLAG_PIN) != 0) {
    if (!plat::pinModule(found->value)) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return FALSE;
    }
  } else if ((dwFlags & GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT) == 0) {
    void* handle = plat::openModuleObject(*found);
    if (handle == nullptr) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return FALSE;
    }
    plat::keepLoadReference(handle);
  }
  *phModule = module;
  return TRUE;
}

PLATFORM_API DWORD WINAPI GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
  std::string path;
  if (hModule == nullptr) {
    path = plat::programPath();
  } else {
    std::optional<plat::Module> module = plat::findModule(hModule);
    if (!module) {
      SetLastError(ERROR_MOD_NOT_FOUND);
      return 0;
    }
    path = module->path;
  }
  if (nSize == 0) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (lpFilename == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (path.size() < nSize) {
    std::memcpy(lpFilename, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
  }
  std::memcpy(lpFilename, path.data(), nSize - 1);
  lpFilename[nSize - 1] = '\0';
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return nSize;
}

PLATFORM_API FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
  std::optional<plat::Module> module = plat::findModule(hModule);
  void* handle = module ? plat::openModuleObject(*module) : nullptr;
  if (handle == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  std::string name;
  if (IS_INTRESOURCE(lpProcName)) {
    WORD ordinal = LOWORD(lpProcName);
    if (ordinal != 0) name = nameOfOrdinal(handle, module->object, ordinal);
  } else {
    name = lpProcName;
  }
  void* address = name.empty() ? nullptr : ownSymbol(handle, module->object, name.c_str());
  dlclose(handle);
  if (address == nullptr) {
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<FARPROC>(address);
}

PLATFORM_API BOOL WINAPI DisableThreadLibraryCalls(HMODULE) { return TRUE; }
