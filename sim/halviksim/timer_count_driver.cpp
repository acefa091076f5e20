#include "timer_count_driver.h"

#include <outside/halvikdrv.h>

#include <algorithm>
#include <cstring>

namespace halviksim {

namespace {

namespace tim = halvikdrv::tim;

TimerCountDriver& entryOf(PlatFile* file) { return *static_cast<TimerCountDriver*>(file->driver->context); }

LONG create(PlatFile* file) {
  entryOf(file).device->fileOpened(1);
  return PLAT_STATUS_SUCCESS;
}
void cleanup(PlatFile* file) { entryOf(file).device->fileOpened(-1); }

template <class T>
void put(uint8_t* bytes, size_t at, T value) {
  std::memcpy(bytes + at, &value, sizeof value);
}

LONG deviceControl(PlatRequest* request) {
  Device& device = *static_cast<TimerCountDriver*>(request->file->driver->context)->device;
  device.note(request->code);
  const bool describe = request->code == halvikdrv::kTimDescribe;
  const DWORD size = describe ? tim::kDescribeSize : tim::kCountSize;
  if ((!describe && request->code != halvikdrv::kTimReadCount) || request->method != METHOD_BUFFERED ||
      request->inputSize != size || request->outputSize != size) {
    return PLAT_STATUS_INVALID_PARAMETER;
  }
  auto* bytes = static_cast<uint8_t*>(request->systemBuffer);
  int32_t status = 0;
  if (const auto fault = device.takeFault(request->code)) {
    if (fault->kind == Fault::Kind::CallFails) return PLAT_STATUS_INVALID_DEVICE_REQUEST;
    status = fault->value;
  } else if (describe) {
    const std::u16string text = device.timerCountText();
    std::memset(bytes, 0, tim::kTextUnits * 2);
    std::memcpy(bytes + tim::kText, text.data(), std::min(text.size(), tim::kTextUnits) * 2);
    put<int32_t>(bytes, tim::kValue, device.timerCountValue());
  } else {
    put<uint32_t>(bytes, tim::kCount, static_cast<uint32_t>(device.timerBank().nowUs()));
  }
  put<int32_t>(bytes, describe ? tim::kStatus : tim::kCountStatus, status);
  request->information = size;
  return PLAT_STATUS_SUCCESS;
}

}  // namespace

bool IsTimerCountModel(const std::string& model) { return model == "TCX-01" || model == "TCX-02"; }

TimerCountDriver::TimerCountDriver(std::shared_ptr<Device> model) : device(std::move(model)) {
  driver.context = this;
  driver.create = create;
  driver.cleanup = cleanup;
  driver.deviceControl = deviceControl;
}

}  // namespace halviksim
