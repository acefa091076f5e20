// What the NI-DAQmx back end keeps between its calls: the three tasks, the
// staging buffer the reads fill, and the callback's hand-over to the
// triggered-block reader.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "acquisition/board_table.h"
#include "backends/ni/ni_binding.h"

namespace vekmath {

struct NiState {
  // The analog task is replaced only while no thread reads it.
  std::atomic<daqmx::TaskHandle> analog{nullptr};
  // One export per process: a later device keeps the first one's.
  bool clockExported = false;
  RawRule rule = RawRule::None;
  int32_t channels = 0;
  int32_t chunk = 0;
  int32_t blockScans = 0;
  // Raw values, interleaved by scan: room for channels x the larger of a
  // chunk and a block, sized at configuration.
  std::vector<uint16_t> staging;
  // Set by the every-N-samples callback after it has filled the staging
  // buffer; the reader takes the block once it sees done.
  std::atomic<int32_t> scansRead{0};
  std::atomic<int32_t> callbackResult{0};
  std::atomic<int32_t> callbackDone{0};

  // The digital tasks, reached from the digital exports and from stop and
  // close on whichever thread calls them.
  std::mutex digitalLock;
  daqmx::TaskHandle digitalOut = nullptr;
  daqmx::TaskHandle digitalIn = nullptr;
};

// Leaked: a detach at process exit may still stop a task.
NiState& niState();

bool niDaqmxBound();

// A failed NI-DAQmx call: builds the message with NI-DAQmx's own text of
// the failure and gives back the code.
int32_t niFailure(int32_t code);

// "DevN/aiK" for each entry v other than 0 of the first channels of the
// list (K = v - 1), joined by ",".
std::string niChannelString(const char* device, const int16_t* list, int32_t channels);

// The every-N-samples callback of a triggered block.
int32_t WINAPI niBlockArrived(daqmx::TaskHandle task, int32_t eventType, uint32_t nSamples, void* data);

// Stops and clears both digital tasks (digitalLock held).
void clearDigitalTasks(NiState& s);

}  // namespace vekmath
