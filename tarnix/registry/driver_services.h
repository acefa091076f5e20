// A kernel driver's service as the store makes it: created before the
// driver row's keys are written, started after them; and the drivers
// stopped while their configuration is replaced.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tarnix {

class CreatedDriverService {
 public:
  // Creates the service as CreateAndStartDriverService does. When the
  // manager cannot be opened or the service exists already, nothing is held.
  CreatedDriverService(const char* serviceName, int32_t errorControl);
  ~CreatedDriverService();
  CreatedDriverService(const CreatedDriverService&) = delete;
  CreatedDriverService& operator=(const CreatedDriverService&) = delete;

  bool created() const;
  // Starts it without arguments: non-zero when it started, 0 when it did
  // not or was never created.
  int32_t start();

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;
};

// Drivers stopped before their keys change, outside the store transaction
// that changes them. A change that is not kept leaves the old services, and
// every driver stopped for it starts again when this goes; a kept change
// took the old services with it.
class StoppedDrivers {
 public:
  StoppedDrivers() = default;
  ~StoppedDrivers();
  StoppedDrivers(const StoppedDrivers&) = delete;
  StoppedDrivers& operator=(const StoppedDrivers&) = delete;

  // Stops the service's driver, remembered when it was running.
  void stop(const char* serviceName);
  // The change is kept: no driver is started again.
  void kept() { names_.clear(); }

 private:
  std::vector<std::string> names_;
};

// The error control a driver's service is created with: 2 for the COM-port
// driver, 1 for every other.
int32_t DriverErrorControl(const char* serviceName);

}  // namespace tarnix
