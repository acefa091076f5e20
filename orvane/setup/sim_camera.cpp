// Installs one simulated camera for a monitor run on a machine without one,
// so the camera form shows a live picture and records video beside the CSV
// file:
//   orvane_sim_camera
// Running it again replaces what it wrote.
#include <simcamera.h>

#include <cstdio>

int main() {
  simcamera::CameraSpec spec;
  spec.friendlyName = "Simulated Camera";
  spec.description = "simulated";
  spec.devicePath = "sim:0";
  if (!simcamera::InstallCamera(0, spec)) {
    std::fprintf(stderr, "orvane_sim_camera: the camera could not be written to the registry\n");
    return 1;
  }
  return 0;
}
