// A recording stand-in for Halvik behind the WDM back end: it logs every
// call with its arguments and simulates one analog-input device whose
// sample count grows by a fixed step per count query, so that a run is the
// same on every machine. It replaces the library's Halvik table for the
// lifetime of a HalvikDouble.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "backends/wdm/halvik_binding.h"

namespace wdmtest {

struct Device {
  std::string name;
  std::string model;
  bool opens = true;
};

// What the device is and does; set before the call that uses it.
struct Script {
  std::vector<Device> devices = {{"XAN001", "AIO-1608", true}};
  std::string failing;  // the entry that refuses, with failCode
  LONG failCode = 0;
  LONG scansPerQuery = 50;
  LONG deliverAtMost = 1 << 30;  // scans one fetch writes back at most
  int faultAfterQueries = -1;    // status queries of a run before the fault
  int64_t stopAfterScans = -1;   // the stop trigger: the input ends itself once this many scans are sampled
  LONG faultStatus = 0;
};

inline constexpr LONG kUnknownDevice = 10000;
inline constexpr LONG kNoSuchIndex = 10006;

// The count the device gives for channel ch of scan s: garbage above the
// low 16 bits, which carry the sample.
inline LONG rawCount(int64_t s, int32_t ch) {
  return static_cast<LONG>(0x5A5A0000u | static_cast<uint32_t>((s * 7 + ch * 1000 + 100) & 0xFFFF));
}

// The text XanGetErrorString gives for a code.
inline std::string textOf(LONG code) { return "text " + std::to_string(code); }

class HalvikDouble {
 public:
  HalvikDouble();
  ~HalvikDouble();
  HalvikDouble(const HalvikDouble&) = delete;
  HalvikDouble& operator=(const HalvikDouble&) = delete;

  Script& script();
  std::vector<std::string> calls() const;
  void clearCalls();

 private:
  vekmath::HalvikBinding saved_;
};

}  // namespace wdmtest
