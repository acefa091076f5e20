#include "halvik_installation.h"

#include <halvik.h>
#include <halviksim.h>
#include <stdlib.h>

#include <filesystem>

namespace bench {

namespace fs = std::filesystem;

HalvikInstallation::HalvikInstallation(const std::string& dirPrefix,
                                       const std::vector<halviksim::DeviceEntry>& devices,
                                       const std::vector<halviksim::UnitEntry>& units) {
  std::string pattern = (fs::temp_directory_path() / (dirPrefix + "_XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) return;
  dir_ = pattern;
  ::setenv("ORVANE_ROOT", dir_.c_str(), 1);
  ::setenv("ORVANE_REGISTRY", (dir_ + "/registry.sqlite").c_str(), 1);
  for (const auto& device : devices) halviksim::InstallDevice(device);
  for (const auto& unit : units) halviksim::InstallUnit(unit);
  halviksim::InstallVersionFiles();
  halviksim::Rescan();
  module_ = LoadLibraryA("halvik.dll");
}

HalvikInstallation::~HalvikInstallation() {
  std::error_code ignored;
  if (!dir_.empty()) fs::remove_all(dir_, ignored);
}

short HalvikInstallation::open(const char* name) const {
  short id = -1;
  if (module_ == nullptr || entry<decltype(&XanInit)>("XanInit")(name, &id) != 0) return -1;
  return id;
}

void HalvikInstallation::close(short id) const { entry<decltype(&XanExit)>("XanExit")(id); }

}  // namespace bench
