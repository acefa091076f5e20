// A kernel driver's service as the store makes it: created before the
// driver row's keys are written, started after them.
#pragma once
#include <cstdint>
#include <memory>

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

// The error control a driver's service is created with: 2 for the COM-port
// driver, 1 for every other.
int32_t DriverErrorControl(const char* serviceName);

}  // namespace tarnix
