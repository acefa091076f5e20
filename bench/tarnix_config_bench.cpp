// A configuration of 64 analog boards: how long a save (check, store and
// services), a load, a conflict check, a file export and an import take.
#include <benchmark/benchmark.h>
#include <tarnix.h>
#include <tarnix_records.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "library_state.h"

namespace {

using AnalogList = tarnix::BoardList<tarnix::AnalogBoardRecord>;

// A registry store of its own, removed at the end of the run.
struct Machine {
  Machine() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarnix_bench_XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) dir = pattern;
    ::setenv("ORVANE_REGISTRY", (dir + "/registry.sqlite").c_str(), 1);
    tarnix::Library().serviceSettleMs = 0;
  }
  ~Machine() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
  std::string dir;
};

Machine& machine() {
  static Machine m;
  return m;
}

// One driver's 16 groups of four boards each, every board its own I/O
// range, interrupt and object name.
std::unique_ptr<AnalogList> sixtyFourBoards() {
  auto list = std::make_unique<AnalogList>();
  // BoardID tells the boards of one model apart, 0 to 15.
  const char* models[] = {"MVA-1216PCI", "MVA-1216FPCI", "MVA-1616PCI", "MVA-1616FPCI"};
  for (int32_t i = 0; i < 64; ++i) {
    tarnix::AnalogBoardRecord& r = list->records[i];
    r.head.driverNumber = 0;
    r.head.groupNumber = i / 4 + 1;
    r.head.boardNumber = i % 4 + 1;
    std::strcpy(r.head.boardName, models[i / 16]);
    r.ioAddress = 0x1000 + 0x40 * i;
    r.irqNo = r.head.boardNumber == 1 ? 3 + i / 4 : -1;
    r.dma = r.memoryAddress = r.slotNo = -1;
    r.boardId = i % 16;
    std::snprintf(r.objectName, sizeof r.objectName, "AI%02d", i / 4);
  }
  list->count = 64;
  return list;
}

void BM_SaveList(benchmark::State& state) {
  machine();
  auto list = sixtyFourBoards();
  for (auto _ : state) benchmark::DoNotOptimize(DnkConfigSaveListData(2, list.get()));
}
BENCHMARK(BM_SaveList)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadList(benchmark::State& state) {
  machine();
  auto list = sixtyFourBoards();
  DnkConfigSaveListData(2, list.get());
  auto loaded = std::make_unique<AnalogList>();
  for (auto _ : state) benchmark::DoNotOptimize(DnkConfigLoadListData(2, loaded.get(), 0));
  if (loaded->count != 64) state.SkipWithError("the list did not come back whole");
}
BENCHMARK(BM_LoadList)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_CheckList(benchmark::State& state) {
  machine();
  auto list = sixtyFourBoards();
  for (auto _ : state) benchmark::DoNotOptimize(DnkConfigCheckListData(2, list.get()));
}
BENCHMARK(BM_CheckList)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExportAndImport(benchmark::State& state) {
  Machine& m = machine();
  auto list = sixtyFourBoards();
  DnkConfigSaveListData(2, list.get());
  const std::string file = m.dir + "/config.reg";
  for (auto _ : state) {
    benchmark::DoNotOptimize(DnkConfigSaveFile(file.c_str()));
    benchmark::DoNotOptimize(DnkConfigLoadFile(file.c_str()));
  }
}
BENCHMARK(BM_ExportAndImport)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
