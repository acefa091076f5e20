// Installs simulated Halvik devices for a monitor run on a WDM board:
//   orvane_halvik_devices NAME...
// Each name becomes one device on the kernel driver, a 32-channel 16-bit
// model, so every board of the WDM group finds its channels. Devices
// installed before are replaced, so a second run installs no duplicates.
#include <halviksim.h>
#include <installer.h>

#include <cstdio>

namespace {

constexpr const char* kModel = "HVA-1632PE";
constexpr DWORD kKernelRoad = 1;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: orvane_halvik_devices NAME...\n");
    return 2;
  }
  halviksim::RemoveDevices();
  for (int i = 1; i < argc; ++i) {
    if (halviksim::InstallDevice({argv[i], kModel, kKernelRoad, "", i}).empty()) {
      std::fprintf(stderr, "orvane_halvik_devices: the registry refused device %s\n", argv[i]);
      return 1;
    }
  }
  if (!halviksim::InstallVersionFiles()) {
    std::fprintf(stderr, "orvane_halvik_devices: the version files could not be written\n");
    return 1;
  }
  return 0;
}
