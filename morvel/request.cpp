#include "request.h"

#include <cstring>

#include "library.h"

namespace morvel {

bool sendRequest(uint32_t handle, uint32_t offset, XanRequest& record, uint32_t size) {
  if (size == 0) size = XanRecordSize(offset);
  DWORD returned = 0;
  return DeviceIoControl(toHandle(handle), XanCode(offset), &record, size, &record, size, &returned, nullptr) != FALSE;
}

LONG sendForResult(uint32_t handle, uint32_t offset, XanRequest& record) {
  if (!sendRequest(handle, offset, record)) return XAN_E_CALL;
  return record.head.result;
}

namespace {

void put(XanRequest& record, Field f, uint64_t value) {
  std::memcpy(record.bytes + f.at, &value, f.width);  // little-endian: the low bytes
}

void take(const XanRequest& record, Field f, void* to) { std::memcpy(to, record.bytes + f.at, f.width); }

}  // namespace

LONG runRequest(const RequestRow& row, uint32_t handle, std::initializer_list<uint64_t> args,
                std::initializer_list<void*> outs) {
  XanRequest record{};
  LONG result;
  {
    LockGuard lock;
    bool refused = false;
    const int16_t check = checkSupport(handle, row.support, refused);
    if (refused) return check;
    record.head.handle = handle;
    const uint64_t* arg = args.begin();
    for (Field f : row.in) {
      if (f.width == 0 || arg == args.end()) break;
      put(record, f, *arg++);
    }
    result = sendForResult(handle, row.offset, record);
  }
  void* const* to = outs.begin();
  for (Field f : row.out) {
    if (f.width == 0 || to == outs.end()) break;
    if (*to != nullptr) take(record, f, *to);
    ++to;
  }
  return result;
}

}  // namespace morvel
