// Loads the simulated NI-DAQmx library by its module name, the way the
// processing library does, with the stand-in's folder on the search path,
// and reaches its entry points and hooks by name.
#pragma once
#include <windows.h>

#include <cstdlib>
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
// search path.
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
    return reinterpret_cast<Proc>(GetProcAddress(module_, name));
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
};

}  // namespace nisim
