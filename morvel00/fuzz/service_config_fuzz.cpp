// Fuzz target for the driver's configuration read: the service key's values
// and those of its group and board keys, each of any type and any data, and
// the driver started from them. Nothing may crash or touch memory beside a
// variable, and a start, failed or followed by its unload, leaves nothing of
// the driver's behind.
#include <installer.h>
#include <ntkrnl/ntkrnl_host.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>

#include "support/driver_setup.h"

namespace {

const std::string kService = std::string("SYSTEM\\CurrentControlSet\\Services\\") + morvel00test::kService;

// The keys a start reads: the service key, two groups, three boards.
const std::string kKeys[] = {
    kService,
    kService + "\\GroupNumber1",
    kService + "\\GroupNumber2",
    kService + "\\GroupNumber1\\BoardNumber1",
    kService + "\\GroupNumber1\\BoardNumber2",
    kService + "\\GroupNumber2\\BoardNumber1",
};

struct Slot {
  unsigned key;  // in kKeys
  const char* name;
};
constexpr unsigned kSlotCount = 6 + 3 * 6;
// The service's two values, each group's two, each board's six.
Slot SlotOf(unsigned n) {
  static constexpr Slot kFixed[] = {{0, "MachineType"}, {0, "GroupNum"}, {1, "BoardNum"},
                                    {1, "IrqNo"},       {2, "BoardNum"}, {2, "IrqNo"}};
  static constexpr const char* kBoard[] = {"IoAddress", "BoardType", "BoardConfig", "BoardName", "BoardID", "DeviceID"};
  if (n < std::size(kFixed)) return kFixed[n];
  n -= std::size(kFixed);
  return {3 + n / 6, kBoard[n % 6]};
}

struct Harness {
  morvel00test::FreshMachine machine;
  HKEY keys[std::size(kKeys)] = {};
  // Held so that each unload leaves the module mapped: the fuzzer keeps the
  // coverage counters of every module it has seen and clears them each run.
  HMODULE driver = nullptr;
};

Harness* g = nullptr;

// Two boards on the bus, found by the values a fuzzed key names; every
// value the fuzzer writes is deleted again before the next run.
void SetUp() {
  g = new Harness;
  g->driver = LoadLibraryA("Morvel00");
  if (g->driver == nullptr) std::abort();
  morvel00test::BoardEntry second = morvel00test::DefaultBoard(0x320, 5, {0, 5, 0});
  second.spec.deviceId = 0x0125;
  morvel00test::Install({{{morvel00test::DefaultBoard(), second}}, {{second}}});
  for (size_t k = 0; k < std::size(kKeys); ++k) {
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKeys[k].c_str(), 0, KEY_ALL_ACCESS, &g->keys[k]) != ERROR_SUCCESS) {
      std::abort();
    }
  }
}

// The slots the last run wrote (every one at first, for the installed values).
uint32_t g_written = (uint32_t{1} << kSlotCount) - 1;

void ClearValues() {
  for (unsigned n = 0; n < kSlotCount; ++n) {
    if (g_written & (uint32_t{1} << n)) RegDeleteValueA(g->keys[SlotOf(n).key], SlotOf(n).name);
  }
  g_written = 0;
}

}  // namespace

// A misaligned or stray access in the configuration read is a failure, not
// a report the run goes on past.
extern "C" const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }

// Input: records of a slot byte, a type byte, a 16-bit length (low byte
// first) and that many data bytes; a later record for a slot replaces an
// earlier one.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = (SetUp(), true);
  (void)ready;
  ClearValues();
  for (size_t at = 0; at + 4 <= size;) {
    const unsigned n = data[at] % kSlotCount;
    const Slot slot = SlotOf(n);
    g_written |= uint32_t{1} << n;
    const DWORD type = data[at + 1] % (REG_QWORD + 1);
    size_t length = (data[at + 2] | size_t{data[at + 3]} << 8) % 1025;
    at += 4;
    if (length > size - at) length = size - at;
    RegSetValueExA(g->keys[slot.key], slot.name, 0, type, data + at, static_cast<DWORD>(length));
    at += length;
  }

  const ULONG before = NtkPoolOutstanding(nullptr);
  NTK_LEFTOVERS left{};
  if (NT_SUCCESS(NtkStartDriver(morvel00test::kService, &left))) {
    left = {};
    if (NtkUnloadDriver(morvel00test::kService, &left) != STATUS_SUCCESS) std::abort();
  }
  if (left.PoolAllocations + left.Devices + left.SymbolicLinks + left.InterruptsConnected + left.TimersSet +
          left.DpcsQueued !=
      0) {
    std::abort();
  }
  if (NtkPoolOutstanding(nullptr) != before) std::abort();
  NtkClearResourceMap();
  return 0;
}
