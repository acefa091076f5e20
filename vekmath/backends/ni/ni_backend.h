// The NI-DAQmx back end (board codes of the NI-DAQmx group).
#pragma once

namespace vekmath {

class BackEnd;
BackEnd& niDaqmxBackEnd();

// NI-DAQmx's devices in SelectBoardNAME's lists, when the library is bound.
class DeviceLists;
void listNiDaqmxDevices(DeviceLists& lists);

}  // namespace vekmath
