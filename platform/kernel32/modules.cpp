// LoadLibraryA and friends over the dynamic loader.
#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include <windows.h>

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

// Loads the library from the search path. Sets the error and gives nullptr
// when it is nowhere or its DllMain refuses.
void* loadFromSearchPath(const std::string& stem) {
  for (const std::string& path : plat::libraryCandidates(stem)) {
    plat::LoadScope scope;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      const char* why = dlerror();
      std::string note = "cannot load " + path + ": " + (why != nullptr ? why : "unknown error") + "\n";
      OutputDebugStringA(note.c_str());
      continue;
    }
    if (scope.attachRefused) {
      uint32_t value = plat::moduleForObject(plat::objectOfHandle(handle));
      dlclose(handle);
      plat::forgetIfUnloaded(value);
      SetLastError(ERROR_DLL_INIT_FAILED);
      return nullptr;
    }
    return handle;
  }
  SetLastError(ERROR_MOD_NOT_FOUND);
  return nullptr;
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
  void* handle = openLoaded(stem);
  if (handle == nullptr) handle = loadFromSearchPath(stem);
  if (handle == nullptr) return nullptr;
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
  dlclose(handle);
  plat::forgetIfUnloaded(module->value);
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
