// The NI-DAQmx back end (board codes of the NI-DAQmx group).
#pragma once
#include <cstdint>

namespace vekmath {

class BackEnd;
BackEnd& niDaqmxBackEnd();

// NI-DAQmx's devices in SelectBoardNAME's lists, when the library is bound.
class DeviceLists;
void listNiDaqmxDevices(DeviceLists& lists);

// One level-triggered block on the caller's thread (ni_triggered.cpp).
struct TriggeredBlock;
int32_t niReadTriggeredBlock(TriggeredBlock& block);

}  // namespace vekmath
