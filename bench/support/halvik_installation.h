// A benchmark's own installation of simulated Halvik devices in a fresh
// root, with the library loaded by name as an application loads it.
#pragma once
#include <installer.h>

#include <windows.h>

#include <string>
#include <vector>

namespace bench {

class HalvikInstallation {
 public:
  // dirPrefix names the temporary root, so that a run left behind shows
  // which benchmark made it.
  HalvikInstallation(const std::string& dirPrefix, const std::vector<halviksim::DeviceEntry>& devices,
                     const std::vector<halviksim::UnitEntry>& units = {});
  ~HalvikInstallation();
  HalvikInstallation(const HalvikInstallation&) = delete;
  HalvikInstallation& operator=(const HalvikInstallation&) = delete;

  HMODULE module() const { return module_; }
  template <class F>
  F entry(const char* name) const {
    return reinterpret_cast<F>(GetProcAddress(module_, name));
  }
  // The device's id, or -1 where the library or the device did not open.
  short open(const char* name) const;
  void close(short id) const;

 private:
  std::string dir_;
  HMODULE module_ = nullptr;
};

}  // namespace bench
