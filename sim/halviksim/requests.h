// The request tables of the simulated driver and of the two sibling
// libraries: each row names a kernel code or a command, its record size and
// the handler that serves it, and where the handler finds its fields.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "device.h"

namespace halviksim {

// A field of a record; width 0: the record has none.
struct Field {
  uint16_t at = 0;
  uint8_t width = 0;
};

struct Layout {
  Field getFlag;  // none: a request that only sets (or only reads)
  Field key;      // channel, timer, signal or destination
  Field value;
  Field value2;
  Function function = Function::Ai;  // stops, status reads, unit checks
  bool unitCheck = false;            // the key must name a counter or timer the model has
  Field value3;
  Field key2;           // further keys of a setting kept per channel and range (and type)
  Field key3;
  Field rangeOut;       // a read also gives the channel's range code here
  Field resolutionOut;  // and the model's resolution here

  constexpr Layout flag(Field f) const {
    Layout l = *this;
    l.getFlag = f;
    return l;
  }
  constexpr Layout keys(Field k, Field k2 = {}, Field k3 = {}) const {
    Layout l = *this;
    l.key = k;
    l.key2 = k2;
    l.key3 = k3;
    return l;
  }
  constexpr Layout values(Field v, Field v2 = {}, Field v3 = {}) const {
    Layout l = *this;
    l.value = v;
    l.value2 = v2;
    l.value3 = v3;
    return l;
  }
  constexpr Layout echo(Field range, Field resolution) const {
    Layout l = *this;
    l.rangeOut = range;
    l.resolutionOut = resolution;
    return l;
  }
  constexpr Layout of(Function f, bool check) const {
    Layout l = *this;
    l.function = f;
    l.unitCheck = check;
    return l;
  }
};

constexpr Field f16(size_t at) { return {static_cast<uint16_t>(at), 2}; }
constexpr Field f32(size_t at) { return {static_cast<uint16_t>(at), 4}; }
constexpr Field f64(size_t at) { return {static_cast<uint16_t>(at), 8}; }
constexpr Field text(size_t at, size_t width) { return {static_cast<uint16_t>(at), static_cast<uint8_t>(width)}; }

// A setting: its get flag, key and value fields.
constexpr Layout setting(Field getFlag, Field key, Field value, Field value2 = {}) {
  return Layout{}.flag(getFlag).keys(key).values(value, value2);
}
// The fields a request reads or fills, without a get flag.
constexpr Layout fields(Field value, Field value2 = {}) { return Layout{}.values(value, value2); }
// A request of one function; a counter or timer key must name one the model has.
constexpr Layout of(Function function, Field key = {}, Field value = {}, Field getFlag = {}, Field value2 = {}) {
  const bool check = (function == Function::Counter || function == Function::Timer) && key.width != 0;
  return Layout{}.flag(getFlag).keys(key).values(value, value2).of(function, check);
}

// The record of one request, in place (input and output).
struct Record {
  uint8_t* bytes;
  DWORD size;
  int busKind;  // 10, 3, or 0 for the kernel road
  void* request = nullptr;      // kernel road: the PlatRequest
  HANDLE handle = nullptr;      // sibling roads: the handle and the wait's OVERLAPPED
  OVERLAPPED* overlapped = nullptr;

  int64_t read(Field f) const {
    switch (f.width) {
      case 2: {
        int16_t v;
        std::memcpy(&v, bytes + f.at, 2);
        return v;
      }
      case 4: {
        int32_t v;
        std::memcpy(&v, bytes + f.at, 4);
        return v;
      }
      case 8: {
        int64_t v;
        std::memcpy(&v, bytes + f.at, 8);
        return v;
      }
      default:
        return 0;
    }
  }
  void write(Field f, int64_t value) {
    if (f.width == 2) {
      const int16_t v = static_cast<int16_t>(value);
      std::memcpy(bytes + f.at, &v, 2);
    } else if (f.width == 4) {
      const int32_t v = static_cast<int32_t>(value);
      std::memcpy(bytes + f.at, &v, 4);
    } else if (f.width == 8) {
      std::memcpy(bytes + f.at, &value, 8);
    }
  }
};

struct Row;
// Handler results besides a status: the request is kept pending (the
// handler owns it now), or the call is refused (a record it cannot serve).
inline constexpr int32_t kKeptPending = INT32_MIN;
inline constexpr int32_t kRefuseCall = INT32_MIN + 1;
// The status the request leaves in its record.
using Handler = int32_t (*)(Device&, Record&, const Row&);

struct Row {
  DWORD code;
  DWORD size;
  Handler handler;
  Layout layout;
};

// The handlers (handlers.cpp).
int32_t serveSetting(Device& device, Record& record, const Row& row);
int32_t serveRangeAll(Device& device, Record& record, const Row& row);
int32_t serveClose(Device& device, Record& record, const Row& row);
int32_t serveClaim(Device& device, Record& record, const Row& row);
int32_t serveRelease(Device& device, Record& record, const Row& row);
int32_t serveAccept(Device& device, Record& record, const Row& row);
int32_t serveRevision(Device& device, Record& record, const Row& row);
int32_t serveStatus(Device& device, Record& record, const Row& row);
int32_t serveStop(Device& device, Record& record, const Row& row);
int32_t serveMinClock(Device& device, Record& record, const Row& row);
int32_t serveMaxChannels(Device& device, Record& record, const Row& row);
// Analog input (ai_handlers.cpp).
int32_t serveAiStart(Device& device, Record& record, const Row& row);
int32_t serveAiStop(Device& device, Record& record, const Row& row);
int32_t serveAiStatus(Device& device, Record& record, const Row& row);
int32_t serveAiCount(Device& device, Record& record, const Row& row);
int32_t serveAiReset(Device& device, Record& record, const Row& row);
int32_t serveAiFixed(Device& device, Record& record, const Row& row);
int32_t serveAiZero(Device& device, Record& record, const Row& row);
int32_t serveAiEventMask(Device& device, Record& record, const Row& row);
int32_t serveAiData(Device& device, Record& record, const Row& row);
int32_t serveAiChunk(Device& device, Record& record, const Row& row);
int32_t serveAiRanges(Device& device, Record& record, const Row& row);
int32_t serveAiSingle(Device& device, Record& record, const Row& row);
int32_t serveAiMulti(Device& device, Record& record, const Row& row);
int32_t serveAiWait(Device& device, Record& record, const Row& row);
int32_t serveAiFetch(Device& device, Record& record, const Row& row);
// A buffer handed over (ai_buffer_requests.cpp): the hand-over 0x22E251
// itself, which is no buffered request, and the rows around it.
LONG serveAiHostBuffer(Device& device, PlatRequest* request);
int32_t serveAiBufferSetUp(Device& device, Record& record, const Row& row);
int32_t serveAiBufferRelease(Device& device, Record& record, const Row& row);
int32_t serveAiTransferCount(Device& device, Record& record, const Row& row);
int32_t serveAiBufferSetting(Device& device, Record& record, const Row& row);
// Counters and interval timers (unit_handlers.cpp).
int32_t serveCntStart(Device& device, Record& record, const Row& row);
int32_t serveCntStop(Device& device, Record& record, const Row& row);
int32_t serveCntStatus(Device& device, Record& record, const Row& row);
int32_t serveCntResetStatus(Device& device, Record& record, const Row& row);
int32_t serveCntPreset(Device& device, Record& record, const Row& row);
int32_t serveCntCount(Device& device, Record& record, const Row& row);
int32_t serveCntComparison(Device& device, Record& record, const Row& row);
int32_t serveCntEventMask(Device& device, Record& record, const Row& row);
int32_t serveCntWait(Device& device, Record& record, const Row& row);
int32_t serveCntRead(Device& device, Record& record, const Row& row);
int32_t serveTmStart(Device& device, Record& record, const Row& row);
int32_t serveTmStop(Device& device, Record& record, const Row& row);
int32_t serveTmStartCount(Device& device, Record& record, const Row& row);
int32_t serveTmStopCount(Device& device, Record& record, const Row& row);
int32_t serveTmResetCount(Device& device, Record& record, const Row& row);
int32_t serveTmLap(Device& device, Record& record, const Row& row);
int32_t serveTmWait(Device& device, Record& record, const Row& row);
int32_t serveTmStatus(Device& device, Record& record, const Row& row);
int32_t serveTmEventMask(Device& device, Record& record, const Row& row);
int32_t serveTmEventWait(Device& device, Record& record, const Row& row);
int32_t serveTmEventRead(Device& device, Record& record, const Row& row);
int32_t serveNotSuitable(Device& device, Record& record, const Row& row);
// Analog output (ao_handlers.cpp); the buffer hand-over 0x22E3B9 is no
// buffered request.
int32_t serveAoStart(Device& device, Record& record, const Row& row);
int32_t serveAoStop(Device& device, Record& record, const Row& row);
int32_t serveAoStatus(Device& device, Record& record, const Row& row);
int32_t serveAoRange(Device& device, Record& record, const Row& row);
int32_t serveAoRanges(Device& device, Record& record, const Row& row);
int32_t serveAoEventMask(Device& device, Record& record, const Row& row);
int32_t serveAoData(Device& device, Record& record, const Row& row);
int32_t serveAoChunk(Device& device, Record& record, const Row& row);
int32_t serveAoSingle(Device& device, Record& record, const Row& row);
int32_t serveAoMulti(Device& device, Record& record, const Row& row);
int32_t serveAoCount(Device& device, Record& record, const Row& row);
int32_t serveAoReset(Device& device, Record& record, const Row& row);
int32_t serveAoFixed(Device& device, Record& record, const Row& row);
LONG serveAoHostBuffer(Device& device, PlatRequest* request);
int32_t serveAoBufferSetUp(Device& device, Record& record, const Row& row);
int32_t serveAoBufferRelease(Device& device, Record& record, const Row& row);
int32_t serveAoTransferCount(Device& device, Record& record, const Row& row);
int32_t serveAoWait(Device& device, Record& record, const Row& row);
int32_t serveAoFetch(Device& device, Record& record, const Row& row);
// The range code set for an input channel on the device's road.
int16_t aiRangeOf(const Device& device, int busKind, int64_t channel);

// The kernel road: the status place of the code's family and its row for a
// block of that size. Null when the code is unknown or the size is not the
// family's.
const Row* kernelRow(DWORD code, DWORD size, uint16_t& statusAt);
// The sibling roads: the row of a command on that bus kind, or null when
// the bus kind has no such command. sizeKnown tells whether the command
// exists there at all.
const Row* busRow(int busKind, DWORD command, DWORD size, bool& commandKnown);

}  // namespace halviksim
