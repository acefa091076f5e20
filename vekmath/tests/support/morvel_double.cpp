#include "support/morvel_double.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

namespace oldertest {
namespace {

constexpr LONG kIndexRange = 1;
constexpr LONG kNoDevice = 2;
constexpr LONG kGroupRange = 3;
constexpr LONG kTooFewScans = 786;
constexpr int64_t kNsPerClockUnit = 25;

struct BoardState {
  std::mutex lock;
  Script script;
  std::vector<std::string> calls;
  std::map<std::string, int> callCounts;
  std::vector<Started> starts;
  std::vector<XanReadBufParams> reads;
  int openBoards = 0;
  int queries = 0;  // of the run
  int totalQueries = 0;
  uint16_t state = 0;
  bool sampling = false;
  uint16_t channels = 0;
  int64_t nsPerScan = 1;
  int64_t elapsedNs = 0;
  int64_t read = 0;  // values read out since the start
};

BoardState& board() {
  static BoardState* state = new BoardState;
  return *state;
}

// Logs the call; the scripted refusal once it is this entry's turn.
LONG record(const char* name, const std::string& args) {
  BoardState& b = board();
  b.calls.push_back(std::string(name) + "(" + args + ")");
  const int n = ++b.callCounts[name];
  return b.script.failing == name && n >= b.script.failFromCall ? b.script.failCode : 0;
}

std::string join(std::initializer_list<int64_t> values) {
  std::string out;
  for (int64_t v : values) out += (out.empty() ? "" : ",") + std::to_string(v);
  return out;
}

int64_t held(const BoardState& b) {
  if (b.queries >= kHangGuard) return int64_t{1} << 30;
  return b.elapsedNs / b.nsPerScan * b.channels - b.read;
}

#define LOCKED std::lock_guard<std::mutex> guard(board().lock)

LONG WINAPI open(uint32_t* handle, uint16_t index, uint16_t group) {
  LOCKED;
  if (LONG r = record("XanOpen", join({index, group})); r != 0) return r;
  if (index > 55) return kIndexRange;
  if (group == 0 || group > 16) return kGroupRange;
  for (const Board& b : board().script.boards) {
    if (b.index == index && b.group == group) {
      *handle = handleOf(b);
      ++board().openBoards;
      return 0;
    }
  }
  return kNoDevice;
}

LONG WINAPI close(uint32_t handle) {
  LOCKED;
  if (LONG r = record("XanClose", join({handle})); r != 0) return r;
  --board().openBoards;
  return 0;
}

LONG WINAPI setRange(uint32_t handle, uint8_t direction, uint8_t all, uint16_t channel, uint16_t code) {
  LOCKED;
  return record("XanSetRange", join({handle, direction, all, channel, code}));
}

LONG WINAPI inpBdMem(uint32_t handle, uint16_t mode, XanInpBdMemParams* params, uint32_t windowA, uint16_t messageA,
                     uint32_t windowB, uint16_t messageB) {
  LOCKED;
  if (LONG r = record("XanInpBdMem", join({handle, mode, windowA, messageA, windowB, messageB})); r != 0) return r;
  BoardState& b = board();
  Started started{mode, {}, {}};
  std::memcpy(&started.freeRun, params, sizeof started.freeRun);
  const auto* list = reinterpret_cast<const uint16_t*>(static_cast<uintptr_t>(started.freeRun.channelList));
  started.channels.assign(list, list + started.freeRun.channelCount);
  b.starts.push_back(started);
  b.channels = started.freeRun.channelCount;
  // The level-trigger records keep the sampling clock further on.
  const int32_t clock = mode == 2 || mode == 3 ? params->modes23.samplingClock : started.freeRun.samplingClock;
  b.nsPerScan = (int64_t{clock} + 1) * kNsPerClockUnit;
  b.elapsedNs = b.read = 0;
  b.queries = 0;
  b.sampling = true;
  b.state = vekmath::kOlderBoardRunning;
  return 0;
}

LONG WINAPI sts(uint32_t handle, uint16_t* state, uint32_t* count, uint16_t* passes) {
  LOCKED;
  BoardState& b = board();
  ++b.totalQueries;
  const LONG r = b.script.failing == "XanSts" && b.totalQueries >= b.script.failFromCall ? b.script.failCode : 0;
  (void)handle;
  ++b.queries;
  if (b.sampling) {
    b.elapsedNs += b.script.nsPerQuery;
    if (b.queries == b.script.faultAfterQueries) {
      b.sampling = false;
      b.state = b.script.faultState;
    }
  }
  *state = b.state;
  *count = static_cast<uint32_t>(held(b));
  if (passes != nullptr) *passes = 0;
  return r;
}

LONG WINAPI readBuf(uint32_t handle, XanReadBufParams* params) {
  LOCKED;
  BoardState& b = board();
  b.reads.push_back(*params);
  if (LONG r = record("XanReadBuf", join({handle})); r != 0) return r;
  const int64_t values = int64_t{params->scans} * b.channels;
  if (params->scans < 1 || values > b.elapsedNs / b.nsPerScan * b.channels - b.read) return kTooFewScans;
  auto* out = reinterpret_cast<uint16_t*>(static_cast<uintptr_t>(params->array));
  for (int64_t i = 0; i < values; ++i) out[i] = sampleOf(b.read + i);
  b.read += values;
  return 0;
}

LONG WINAPI stop(uint32_t handle) {
  LOCKED;
  BoardState& b = board();
  if (b.sampling) b.state = 4;
  b.sampling = false;
  return record("XanStop", join({handle}));
}

}  // namespace

MorvelDouble::MorvelDouble() : saved_(vekmath::morvel()) {
  {
    LOCKED;
    BoardState& b = board();
    b.script = Script{};
    b.calls.clear();
    b.callCounts.clear();
    b.starts.clear();
    b.reads.clear();
    b.openBoards = b.queries = b.totalQueries = 0;
    b.state = 0;
    b.sampling = false;
  }
  vekmath::MorvelBinding& t = vekmath::morvel();
  t.XanOpen = open;
  t.XanClose = close;
  t.XanSetRange = setRange;
  t.XanInpBdMem = inpBdMem;
  t.XanSts = sts;
  t.XanReadBuf = readBuf;
  t.XanStop = stop;
}

MorvelDouble::~MorvelDouble() { vekmath::morvel() = saved_; }

void MorvelDouble::uninstall() { vekmath::morvel() = {}; }

Script& MorvelDouble::script() { return board().script; }

std::vector<std::string> MorvelDouble::calls() const {
  LOCKED;
  return board().calls;
}

int MorvelDouble::statusQueries() const {
  LOCKED;
  return board().totalQueries;
}

std::vector<Started> MorvelDouble::starts() const {
  LOCKED;
  return board().starts;
}

std::vector<XanReadBufParams> MorvelDouble::reads() const {
  LOCKED;
  return board().reads;
}

int MorvelDouble::openBoards() const {
  LOCKED;
  return board().openBoards;
}

}  // namespace oldertest
