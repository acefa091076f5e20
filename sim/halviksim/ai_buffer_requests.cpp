// The kernel requests around a handed-over buffer: the hand-over itself,
// its set-up and release, the position the driver writes at, and the
// settings whose change ends the hand-over.
#include <outside/halvikdrv.h>

#include "requests.h"

namespace halviksim {

namespace {

using namespace halvikdrv;

bool isSet(const Record& record, const Row& row) {
  return row.layout.getFlag.width != 0 && record.read(row.layout.getFlag) == 0;
}

}  // namespace

LONG serveAiHostBuffer(Device& device, PlatRequest* request) {
  if (request->majorFunction != PLAT_REQUEST_DEVICE_CONTROL || request->method != METHOD_IN_DIRECT ||
      request->outputSize % 4 != 0) {
    return PLAT_STATUS_INVALID_PARAMETER;
  }
  if (const auto fault = device.takeFault(request->code)) {
    // A driver that does not keep the buffer answers at once.
    return fault->kind == Fault::Kind::CallFails ? PLAT_STATUS_INVALID_DEVICE_REQUEST : PLAT_STATUS_SUCCESS;
  }
  return device.aiRun().hostBuffer().keep(request);
}

int32_t serveAiBufferSetUp(Device& device, Record& record, const Row&) {
  const bool ring = device.setting(kDeviceBufferMode, kAiBlockSize, 0)[0] == 1;
  const bool named = device.aiRun().hostBuffer().setUp(static_cast<uint64_t>(record.read(f64(ai::kBufferAddress))),
                                                       record.read(f32(ai::kBufferWords)), ring);
  return named ? 0 : kStatusAiNoBuffer;
}

int32_t serveAiBufferRelease(Device& device, Record&, const Row&) {
  device.aiRun().hostBuffer().release();
  return 0;
}

int32_t serveAiTransferCount(Device& device, Record& record, const Row& row) {
  AiRun& run = device.aiRun();
  run.refresh();
  record.write(row.layout.value, row.code == kAiTransferLap ? run.hostBuffer().lap() : run.hostBuffer().position());
  return 0;
}

int32_t serveAiBufferSetting(Device& device, Record& record, const Row& row) {
  if (isSet(record, row)) device.aiRun().hostBuffer().release();
  return serveSetting(device, record, row);
}

}  // namespace halviksim
