// The process's simulated devices, read from the driver's registry class key
// as the library reads it: every kernel-road device is registered with the
// platform under its name, the others wait for the sibling libraries.
#pragma once
#include <memory>
#include <string>

#include "device.h"

namespace halviksim {

// Re-reads the registry (also at attach).
void scanDevices();
// Gives up the kernel names (at detach).
void dropDevices();
// By registered DeviceName, any case; null when unknown.
std::shared_ptr<Device> deviceNamed(const std::string& name);
// A device of the bus kind behind a symbolic name (any case): the unit
// module of that index, or with moduleIndex -1 the first one.
std::shared_ptr<Device> deviceAt(int busKind, const std::string& path, int moduleIndex);

}  // namespace halviksim
