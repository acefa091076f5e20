// One device query, frame included, through each road: the kernel driver,
// the virtual device library (bus kind 10) and the bus library (bus kind 3).
// The roads end in in-process fakes that answer at once, so the time is the
// library's own: lookup, ownership check, request building, answer reading.
#include <benchmark/benchmark.h>
#include <platform/device.h>
#include <unistd.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "device_record.h"
#include "halvik.h"
#include "library_state.h"
#include "transport.h"

namespace {

using namespace halvik;

constexpr char kRevision[] = "1.00";

// ---- The fakes at the end of each road ----------------------------------------
LONG kernelAnswer(PlatRequest* request) {
  auto* block = static_cast<unsigned char*>(request->systemBuffer);
  std::memset(block, 0, 4);  // status 0
  if (request->code == halvikdrv::kRevision) std::memcpy(block + halvikdrv::dev::kRevision, kRevision, sizeof kRevision);
  request->information = request->outputSize;
  return PLAT_STATUS_SUCCESS;
}
LONG accept(PlatFile*) { return PLAT_STATUS_SUCCESS; }
void ignore(PlatFile*) {}
PlatDeviceDriver g_driver = {nullptr, accept, ignore, ignore, kernelAnswer, nullptr, nullptr};

DWORD WINAPI busAnswer(DWORD, HANDLE, DWORD command, void* in, DWORD length, void*, DWORD, DWORD* returned,
                       OVERLAPPED*) {
  auto* record = static_cast<unsigned char*>(in);
  std::memset(record, 0, 4);
  if (command == halvikdrv::kCmdRevision) std::memcpy(record + 8, kRevision, sizeof kRevision);
  *returned = length;
  return 0;
}

// Three registered devices, one per road: Ids 1 (kernel), 2 (bus kind 10), 3 (bus kind 3).
struct Devices {
  std::string name = "HVQUERYBENCH" + std::to_string(::getpid());
  HANDLE kernel = INVALID_HANDLE_VALUE;

  Devices() {
    Library().processId = GetCurrentProcessId();
    PlatRegisterDevice(name.c_str(), &g_driver);
    kernel = CreateFileA(("\\\\.\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    Bus().HalvikVmIoControl = busAnswer;
    Bus().KelbusIoControl = busAnswer;
    add(1, 1, kernel);
    add(2, kBusVirtual, reinterpret_cast<HANDLE>(0x100));
    add(3, kBusAttached, reinterpret_cast<HANDLE>(0x101));
  }
  ~Devices() {
    CloseHandle(kernel);
    PlatUnregisterDevice(name.c_str());
  }
  static void add(int16_t id, int16_t busKind, HANDLE handle) {
    DeviceRecord& record = DeviceTable().emplace_back();
    std::snprintf(record.DeviceName, sizeof record.DeviceName, "QUERY%d", id);
    record.Id = id;
    record.BusKind = busKind;
    record.Handle = handle;
  }
};

Devices& devices() {
  static Devices instance;
  return instance;
}

template <class Query>
void run(benchmark::State& state, Query query) {
  devices();
  for (auto _ : state) {
    LONG status = query();
    benchmark::DoNotOptimize(status);
    if (status != 0) {
      state.SkipWithError("the query failed");
      return;
    }
  }
  state.SetItemsProcessed(state.iterations());
}

char g_revision[12];
float g_clock;

// The revision: ownership check, one request, the text copied out. The bus
// library has no revision command; its query is the minimum clock.
void BM_QueryKernelDriver(benchmark::State& state) { run(state, [] { return XanGetDeviceRevision(1, g_revision); }); }
void BM_QueryVirtualDevice(benchmark::State& state) { run(state, [] { return XanGetDeviceRevision(2, g_revision); }); }
void BM_QueryBusLibrary(benchmark::State& state) { run(state, [] { return XanGetAiMinSamplingClock(3, &g_clock); }); }
BENCHMARK(BM_QueryKernelDriver);
BENCHMARK(BM_QueryVirtualDevice);
BENCHMARK(BM_QueryBusLibrary);

}  // namespace

BENCHMARK_MAIN();
