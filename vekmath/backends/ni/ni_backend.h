// The NI-DAQmx back end (board codes of the NI-DAQmx group).
#pragma once

namespace vekmath {
class BackEnd;
BackEnd& niDaqmxBackEnd();
}  // namespace vekmath
