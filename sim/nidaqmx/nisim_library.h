// Loads the simulated NI-DAQmx library by its module name, the way the
// processing library does, with the stand-in's folder on the search path,
// and reaches its entry points and hooks by name.
#pragma once
#include <windows.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "nisim.h"

namespace nisim {

// Puts the stand-in's folder first on the library search path for its
// lifetime, so that a LoadLibraryA("nicaiu.dll") meanwhile finds it; the
// path is put back as it was, so that a later attach in the same process
// finds no NI-DAQmx again.
class OnSearchPath {
 public:
  OnSearchPath() {
    const char* old = std::getenv("ORVANE_LIBRARY_PATH");
    std::string path = NISIM_LIBRARY_DIR;
    if (old != nullptr) before_ = old;
    if (old != nullptr && *old != '\0') path += std::string(":") + old;
    setenv("ORVANE_LIBRARY_PATH", path.c_str(), 1);
  }
  ~OnSearchPath() {
    if (before_) {
      setenv("ORVANE_LIBRARY_PATH", before_->c_str(), 1);
    } else {
      unsetenv("ORVANE_LIBRARY_PATH");
    }
  }
  OnSearchPath(const OnSearchPath&) = delete;
  OnSearchPath& operator=(const OnSearchPath&) = delete;

 private:
  std::optional<std::string> before_;
};

// The stand-in, loaded for the object's lifetime with its folder on the
// search path. Each entry is looked up once: a lookup opens and closes the
// library's object, which the thread sanitizer makes slow enough that a
// test polling the call log spent minutes in it on a loaded machine.
class Library {
 public:
  Library() { module_ = LoadLibraryA("nicaiu.dll"); }
  ~Library() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  bool loaded() const { return module_ != nullptr; }
  template <typename Proc>
  Proc entry(const char* name) const {
    std::lock_guard<std::mutex> lock(entriesLock_);
    auto it = entries_.find(name);
    if (it == entries_.end()) it = entries_.emplace(name, GetProcAddress(module_, name)).first;
    return reinterpret_cast<Proc>(it->second);
  }
  std::string callLog() const {
    auto log = entry<CallLogProc>("NisimCallLog");
    std::string text(log(nullptr, 0), '\0');
    log(text.data(), static_cast<uint32_t>(text.size()));
    text.pop_back();
    return text;
  }

 private:
  OnSearchPath onSearchPath_;
  HMODULE module_ = nullptr;
  mutable std::mutex entriesLock_;
  mutable std::map<std::string, FARPROC> entries_;
};

}  // namespace nisim
