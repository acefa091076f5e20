// Fuzz target for the driver's dispatch: random codes, lengths, handle
// values and records, sent to a started driver with one board. Nothing may
// crash, and a request the driver refuses (a failed call, or a handle value
// that owns no record) must make no port access and copy nothing back.
#include <installer.h>
#include <morvel_requests.h>
#include <ntkrnl/ntkrnl_host.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <sys/mman.h>

#include "support/driver_setup.h"

namespace {

// Caller memory as the driver sees it: the probe accepts any writable
// mapping, and the driver then writes as much as the record claims, as a
// driver writes into its caller's memory. So the harness hands out only one
// writable page fenced by pages no one may touch, and a region no one may
// touch for the fuzzer's own addresses: a record that claims more than the
// page, or points elsewhere, is refused by the probe instead of writing over
// the fuzzer's heap.
class CallerMemory {
 public:
  static constexpr size_t kPage = 4096;
  static constexpr size_t kForbidden = 64 * kPage;

  CallerMemory() {
    base_ = mmap(nullptr, kPage + kForbidden, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (base_ == MAP_FAILED || mprotect(page(), kPage, PROT_READ | PROT_WRITE) != 0) std::abort();
  }
  ~CallerMemory() { munmap(base_, kPage + kForbidden); }
  CallerMemory(const CallerMemory&) = delete;
  CallerMemory& operator=(const CallerMemory&) = delete;

  // The writable page: the second page of the mapping.
  unsigned char* page() const { return static_cast<unsigned char*>(base_) + kPage; }
  // An address the probe refuses, picked by the fuzzer's own value.
  uintptr_t forbidden(uint64_t value) const {
    const uintptr_t at = value % (kPage + kForbidden - kPage);
    const uintptr_t start = reinterpret_cast<uintptr_t>(base_);
    return at < kPage ? start + at : start + kPage + at;
  }

 private:
  void* base_ = nullptr;
};

struct Harness {
  morvel00test::FreshMachine machine;
  std::shared_ptr<morvelboard::MorvelBoard> board;
  HANDLE owner = INVALID_HANDLE_VALUE;
  HANDLE stranger = INVALID_HANDLE_VALUE;
  HANDLE event = nullptr;
  CallerMemory memory;
};

Harness* g = nullptr;

uint32_t ValueOf(HANDLE h) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h)); }

// Sends one record and waits for it (a pended wait is cancelled, which may
// quiet the board); false when the driver refused the call.
bool Send(HANDLE h, uint32_t code, void* in, DWORD inSize, void* out, DWORD outSize) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = g->event;
  ResetEvent(g->event);
  DWORD returned = 0;
  if (!DeviceIoControl(h, code, in, inSize, out, outSize, &returned, &overlapped)) return false;
  if (WaitForSingleObject(g->event, 0) != WAIT_OBJECT_0) {
    CancelIo(h);
    WaitForSingleObject(g->event, INFINITE);
  }
  return true;
}

// The owner handle owns group 1 again, whatever the last input did.
void Reown() {
  for (int tries = 0; tries < 3; ++tries) {
    XanRequest r{};
    r.open.handle = ValueOf(g->owner);
    r.open.group = 1;
    Send(g->owner, XanCode(XAN_OPEN), &r, 12, &r, 12);
    if (r.open.result == XAN_OK || r.open.result == XAN_E_HANDLE_OWNS) return;
    if (r.open.result != XAN_E_OWNED) std::abort();
    XanRequest c{};
    c.close.handle = r.open.handle;  // the value that took it
    Send(g->owner, XanCode(XAN_CLOSE), &c, 36, &c, 36);
  }
  std::abort();
}

void SetUp() {
  g = new Harness;
  g->board = morvel00test::Install({{{morvel00test::DefaultBoard()}}}).at(0);
  if (NtkStartDriver(morvel00test::kService, nullptr) != STATUS_SUCCESS) std::abort();
  auto open = [] {
    return CreateFileA(morvel00test::kDevicePath, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  };
  g->owner = open();
  g->stranger = open();
  g->event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (g->owner == INVALID_HANDLE_VALUE || g->stranger == INVALID_HANDLE_VALUE) std::abort();
  Reown();
  g->board->SetTrace(true);
}

// Where each code's record holds caller addresses.
struct AddressFields {
  uint32_t offset;
  uint8_t at[2];
};
constexpr AddressFields kAddresses[] = {
    {XAN_INP, {8, 16}},          {XAN_OUT, {8, 16}},           {XAN_INP_BACK, {24, 32}},
    {XAN_OUT_BACK, {24, 32}},    {XAN_INP_BD_MEM, {24, 0}},    {XAN_READ_BUF, {16, 0}},
    {XAN_RANGE, {8, 16}},        {XAN_GET_AI_DATA, {16, 0}},   {XAN_GET_RANGE, {16, 0}},
    {XAN_IS_DATA_READY, {8, 0}}, {XAN_GET_CNT_DATA, {8, 0}},   {XAN_GET_CNT_STS, {8, 0}},
    {XAN_IS_CNT_DATA_READY, {8, 0}}, {XAN_GET_CNT_DATA_B, {8, 0}}, {XAN_GET_WRITE_ADDRESS, {8, 0}},
    {XAN_GET_READ_ADDRESS, {8, 0}},  {XAN_GET_TRG_WRITE_ADDRESS, {8, 0}},
};

}  // namespace

// Input: offset selector, handle selector, in length, out length, address
// choice, then the record.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (SetUp(), true);
  (void)ready;
  if (size < 5) return 0;
  const uint32_t offset = data[0];  // up to 0xFF: past the last code and between codes too
  const uint8_t handleChoice = data[1];
  const DWORD inSize = data[2] % (kXanMaxRecord + 1);
  const DWORD outSize = data[3] % (kXanMaxRecord + 1);
  const uint8_t addressChoice = data[4];
  XanRequest record{};
  std::memcpy(record.bytes, data + 5, std::min(size - 5, sizeof record.bytes));

  const uint32_t ownerValue = ValueOf(g->owner);
  switch (handleChoice % 4) {
    case 0: record.head.handle = ownerValue; break;
    case 1: record.head.handle = ValueOf(g->stranger); break;
    case 2: record.head.handle = 0; break;
    default: break;  // the fuzzer's own value
  }
  // Addresses into the writable page, null, or (from the fuzzer's own
  // value) one the probe refuses.
  for (const AddressFields& fields : kAddresses) {
    if (fields.offset != offset) continue;
    for (uint8_t at : fields.at) {
      if (at == 0) continue;
      uint64_t address = 0;
      if (addressChoice % 3 == 0) address = reinterpret_cast<uintptr_t>(g->memory.page()) + (addressChoice & 0x30);
      if (addressChoice % 3 == 2) {
        uint64_t own = 0;
        std::memcpy(&own, record.bytes + at, sizeof own);
        address = g->memory.forbidden(own);
      }
      std::memcpy(record.bytes + at, &address, sizeof address);
    }
  }

  XanRequest reply = record;
  g->board->TakeTrace();
  const bool ok = Send(g->stranger, XanCode(offset), &record, inSize, &reply, outSize);
  const size_t accesses = g->board->TakeTrace().size();
  const bool ownersRequest = record.head.handle == ownerValue || offset == XAN_OPEN;
  if (!ok && std::memcmp(&reply, &record, sizeof reply) != 0) std::abort();  // a refused request copies nothing
  if ((!ok || !ownersRequest) && accesses != 0) std::abort();
  Reown();
  return 0;
}
