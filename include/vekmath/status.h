// The library's own status codes (LibraryStatus), as the acquisition calls
// leave them in the last status. Codes of a board library pass through as
// that library gives them.
#pragma once
#include <windef.h>

namespace vekmath {

enum LibraryStatus : LONG {
  kStatusParameter = 30000,  // a bad parameter, or no run (or no longer one) to read from
  kStatusStopped = 30001,    // GetSamplingStatus while the stop flag is set
  kStatusClock = 30007,      // the scan clock does not fit the sampling clock
  kStatusDaqmxMissing = 30009,
  kStatusBcc = 30010,
  kStatusComPort = 30011,
  kStatusReplyFormat = 30012,
  kStatusReplyStatus = 30013,
  kStatusLoggerFile = 30014,
  kStatusRingLength = 30015,
};

}  // namespace vekmath
