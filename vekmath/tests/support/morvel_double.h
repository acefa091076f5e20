// A recording stand-in for the older library behind its back end: boards
// that open by index and group, and a board memory that fills at the
// sampling clock on a virtual clock that every status request moves on,
// so that a run is the same on every machine. It logs every call and keeps
// the records it was given. It replaces the library's table for the
// lifetime of a MorvelDouble.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "backends/older_vendor_a/morvel_binding.h"
#include "backends/older_vendor_a/older_backend.h"

namespace oldertest {

struct Board {
  uint16_t index;
  uint16_t group;
};

// What the boards are and do; set before the call that uses it.
struct Script {
  std::vector<Board> boards = {{2, 1}};
  std::string failing;  // the entry that refuses with failCode,
  LONG failCode = 0;
  int failFromCall = 1;             // from its n-th call on
  int64_t nsPerQuery = 10'000'000;  // virtual time one status request takes
  int faultAfterQueries = -1;       // status requests of a run before the board
  uint16_t faultState = 0;          // stops sampling and reports this state
};

// After this many status requests of one run the board memory claims to
// hold more than any wait asks for, so a wait that would never end comes
// back (and its test fails) instead of hanging.
inline constexpr int kHangGuard = 3000;

// The i-th value the board memory produces, all channels together.
inline uint16_t sampleOf(int64_t i) { return static_cast<uint16_t>((i * 13 + 7) & 0xFFFF); }

// The handle value the double gives a board.
inline uint32_t handleOf(const Board& b) { return 0x100u + b.index * 16u + b.group; }

struct Started {
  uint16_t mode;
  XanInpBdMemParamsAbove3 freeRun;
  std::vector<uint16_t> channels;  // read from the record's address
};

class MorvelDouble {
 public:
  MorvelDouble();
  ~MorvelDouble();
  MorvelDouble(const MorvelDouble&) = delete;
  MorvelDouble& operator=(const MorvelDouble&) = delete;

  Script& script();
  // Every call but the status requests, which are counted.
  std::vector<std::string> calls() const;
  int statusQueries() const;
  std::vector<Started> starts() const;
  std::vector<XanReadBufParams> reads() const;
  int openBoards() const;
  // The library is not installed: every entry is missing.
  void uninstall();

 private:
  vekmath::MorvelBinding saved_;
};

}  // namespace oldertest
