// Loads the simulated NI-DAQmx library by its module name, the way the
// processing library does, with the stand-in's folder on the search path,
// and reaches its entry points and hooks by name.
#pragma once
#include <windows.h>

#include <cstdlib>
#include <string>

#include "nisim.h"

namespace nisim {

// Puts the stand-in's folder first on the library search path, so that a
// later LoadLibraryA("nicaiu.dll") finds it.
inline void putOnSearchPath() {
  const char* old = std::getenv("ORVANE_LIBRARY_PATH");
  std::string path = NISIM_LIBRARY_DIR;
  if (old != nullptr && *old != '\0') path += std::string(":") + old;
  setenv("ORVANE_LIBRARY_PATH", path.c_str(), 1);
}

class Library {
 public:
  Library() {
    putOnSearchPath();
    module_ = LoadLibraryA("nicaiu.dll");
  }
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
  HMODULE module_ = nullptr;
};

}  // namespace nisim
