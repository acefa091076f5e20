#include "request.h"

#include "codes.h"
#include "io.h"

namespace skorra {

uint32_t transact(HANDLE driver, uint32_t fn, const void* in, DWORD inSize, void* out, DWORD outSize) {
  if (out != nullptr) std::memset(out, 0, outSize);
  DWORD bytes = 0;
  if (!devControl(driver, controlCode(fn, library().nt), const_cast<void*>(in), inSize, out, outSize, &bytes,
                  nullptr)) {
    return mapSystemError(GetLastError());
  }
  if (out == nullptr || outSize < 4) return 0;
  uint32_t status;
  std::memcpy(&status, out, 4);
  return status;
}

uint32_t transactLocked(HANDLE driver, uint32_t fn, const void* in, DWORD inSize, void* out, DWORD outSize) {
  LockGuard guard;
  return transact(driver, fn, in, inSize, out, outSize);
}

Device lookup(HANDLE h) {
  Device d;
  d.n = findDeviceNumber(h);
  if (d.n < 0) return d;
  d.slot = &slotOf(d.n);
  d.driver = h;
  return d;
}

uint32_t simpleRequest(const Device& d, uint32_t fn, uint32_t dwords, uint32_t* reply, bool locked) {
  uint32_t buf[32] = {};
  uint32_t out[32] = {};
  if (dwords == 0 || dwords > 32) return SK_E_INVALID_ARGUMENT;
  buf[0] = static_cast<uint32_t>(d.n);
  uint32_t status = locked ? transactLocked(d.driver, fn, buf, dwords * 4, out, dwords * 4)
                           : transact(d.driver, fn, buf, dwords * 4, out, dwords * 4);
  if (reply != nullptr) std::memcpy(reply, out, dwords * 4);
  return status;
}

uint32_t deviceInfo(const Device& d, SkDeviceInfo& info, bool locked) {
  uint32_t in[95] = {static_cast<uint32_t>(d.n)};
  uint32_t out[95];
  uint32_t status = locked ? transactLocked(d.driver, SKDF_DEVICE_INFO, in, sizeof in, out, sizeof out)
                           : transact(d.driver, SKDF_DEVICE_INFO, in, sizeof in, out, sizeof out);
  std::memcpy(info.dw, out + 1, sizeof info.dw);
  return status;
}

uint32_t samplingState(const Device& d, uint32_t& state) {
  uint32_t reply[4];
  uint32_t status = simpleRequest(d, SKDF_STATUS, 4, reply);
  state = reply[1];
  return status;
}

}  // namespace skorra
