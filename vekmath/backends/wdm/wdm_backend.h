// Vendor A's current boards (the WDM group of the board table) through the
// Halvik library: opened and configured at SetupSampling, started and read
// by the acquisition thread.
#pragma once
#include <cstdint>

namespace vekmath {

class BackEnd;
BackEnd& wdmBackEnd();

// Halvik's devices in SelectBoardNAME's lists.
class DeviceLists;
void listWdmDevices(DeviceLists& lists);

// Builds the message of a Halvik status code with Halvik's own text for it.
void setHalvikStatusText(int32_t code);

}  // namespace vekmath
