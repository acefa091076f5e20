#include "kernel_driver.h"

#include <outside/halvikdrv.h>

#include "requests.h"

namespace halviksim {

namespace {

LONG create(PlatFile*) { return PLAT_STATUS_SUCCESS; }

LONG deviceControl(PlatRequest* request) {
  Device& device = *static_cast<KernelDevice*>(request->file->driver->context)->device;
  device.note(request->code);
  if (request->code == halvikdrv::kAiHostBuffer) return serveAiHostBuffer(device, request);
  if (request->code == halvikdrv::kAoHostBuffer) return serveAoHostBuffer(device, request);
  if (request->majorFunction != PLAT_REQUEST_DEVICE_CONTROL || request->method != METHOD_BUFFERED) {
    return PLAT_STATUS_INVALID_DEVICE_REQUEST;
  }
  // One block in and out, of the family's size.
  uint16_t statusAt = 0;
  const Row* row = request->inputSize == request->outputSize
                       ? kernelRow(request->code, request->inputSize, statusAt)
                       : nullptr;
  if (row == nullptr) return PLAT_STATUS_INVALID_PARAMETER;
  Record record{static_cast<uint8_t*>(request->systemBuffer), request->inputSize, 0};
  record.request = request;
  int32_t status = 0;
  if (const auto fault = device.takeFault(request->code)) {
    if (fault->kind == Fault::Kind::CallFails) return PLAT_STATUS_INVALID_DEVICE_REQUEST;
    status = fault->value;
  } else {
    status = row->handler(device, record, *row);
  }
  // A kept request is no longer ours to touch.
  if (status == kKeptPending) return PLAT_STATUS_PENDING;
  if (status == kRefuseCall) return PLAT_STATUS_INVALID_PARAMETER;
  record.write({statusAt, 4}, status);
  request->information = request->outputSize;
  return PLAT_STATUS_SUCCESS;
}

}  // namespace

KernelDevice::KernelDevice(std::shared_ptr<Device> model) : device(std::move(model)) {
  driver.context = this;
  driver.create = create;
  driver.deviceControl = deviceControl;
}

}  // namespace halviksim
