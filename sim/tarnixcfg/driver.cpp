// The three devices behind "\\.\NAME": open, size checks, faults, log.
#include <platform/device.h>

#include <cstring>

#include "driver_state.h"

namespace tarnixcfg {

namespace {

struct Shape {
  DWORD code;
  DWORD size;
  bool win9x;  // a VxD code; the NT devices answer the others
};

constexpr Shape kShapes[] = {
    {kNtPciResources, sizeof(NtPciResourceRecord), false},
    {kNtPcCardResources, sizeof(InstanceResourceRecord), false},
    {kNtPciVersion, sizeof(PciVersionRecord), false},
    {kNtIsaResources, sizeof(InstanceResourceRecord), false},
    {kNtBusQuery, sizeof(BusQueryRecord), false},
    {kNtModuleList, sizeof(ModuleListRecord), false},
    {k9xPciResources, sizeof(Win9xPciResourceRecord), true},
    {k9xPcCardResources, sizeof(InstanceResourceRecord), true},
    {k9xPciVersion, sizeof(PciVersionRecord), true},
    {k9xBusQuery, sizeof(BusQueryRecord), true},
    {k9xModuleList, sizeof(ModuleListRecord), true},
};

const Shape* shapeOf(DWORD code) {
  for (const Shape& s : kShapes) {
    if (s.code == code) return &s;
  }
  return nullptr;
}

bool isVxd(const PlatFile* file) { return std::strcmp(file->deviceName, kVxdName) == 0; }

LONG create(PlatFile*) {
  DriverState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  ++s.opens;
  return PLAT_STATUS_SUCCESS;
}

LONG deviceControl(PlatRequest* request) {
  DriverState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  SeenRequest seen{request->file->deviceName, request->code, request->inputSize, {}, {}};
  const auto* in = static_cast<const unsigned char*>(request->inputBuffer);
  if (in != nullptr) seen.record.assign(in, in + request->inputSize);
  const Shape* shape = shapeOf(request->code);
  LONG status = PLAT_STATUS_SUCCESS;
  if (shape == nullptr || shape->win9x != isVxd(request->file)) {
    status = PLAT_STATUS_INVALID_DEVICE_REQUEST;
  } else if (request->inputSize != shape->size || request->outputSize != shape->size || in == nullptr ||
             request->outputBuffer == nullptr) {
    status = PLAT_STATUS_INVALID_PARAMETER;
  } else {
    std::vector<unsigned char> record = seen.record;
    auto fault = s.faults.find(request->code);
    if (fault != s.faults.end() && fault->second.failure == Failure::CallFails) {
      status = PLAT_STATUS_INVALID_DEVICE_REQUEST;
    } else if (!Answer(s.inventory, request->code, record.data(), seen.instanceName)) {
      status = PLAT_STATUS_INVALID_DEVICE_REQUEST;
    } else {
      if (fault != s.faults.end()) FailResult(request->code, record.data(), fault->second.value);
      std::memcpy(request->outputBuffer, record.data(), record.size());
      request->information = record.size();
    }
  }
  s.log.push_back(std::move(seen));
  return status;
}

PlatDeviceDriver g_driver{nullptr, create, nullptr, nullptr, deviceControl, nullptr, nullptr};

struct Named {
  Device device;
  const char* name;
};
constexpr Named kDevices[] = {{kVxd, kVxdName}, {kNt, kNtName}, {kWdm, kWdmName}};

}  // namespace

DriverState& State() {
  // Never destroyed: a handle may be closed from another library's detach.
  static DriverState* state = new DriverState;
  return *state;
}

bool Install(const Inventory& inventory, unsigned devices) {
  Remove();
  {
    DriverState& s = State();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.inventory = inventory;
    s.faults.clear();
    s.log.clear();
    s.opens = 0;
  }
  bool ok = true;
  for (const Named& d : kDevices) {
    if ((devices & d.device) != 0) ok = PlatRegisterDevice(d.name, &g_driver) && ok;
  }
  return ok;
}

void Remove() {
  for (const Named& d : kDevices) PlatUnregisterDevice(d.name);
}

void SetFault(DWORD code, Failure failure, int32_t value) {
  DriverState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.faults[code] = Fault{failure, value};
}

void ClearFaults() {
  DriverState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.faults.clear();
}

std::vector<SeenRequest> RequestLog() {
  DriverState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.log;
}

int OpenCount() {
  DriverState& s = State();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.opens;
}

}  // namespace tarnixcfg
