// The serial acquisition units on a COM port: unit A (started and stopped
// by text commands) and unit B (streams while its port is open).
#pragma once
#include <cstdint>

namespace vekmath {

class BackEnd;
BackEnd& serialUnitABackEnd();
BackEnd& serialUnitBBackEnd();

// Lines dropped since the last SetupSampling: a wrong number of values, or
// too long for the line buffer.
int64_t serialDroppedLines();

}  // namespace vekmath
