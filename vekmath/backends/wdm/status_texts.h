// Message texts of the WDM library: its codes with the library's own
// explanation (CP932, may be null), and the analog-input status bits.
#pragma once
#include <cstdint>

namespace vekmath {

void setWdmStatusText(int32_t code, const char* detail);
void setWdmInputStatusText(uint32_t status);

}  // namespace vekmath
