// Message texts of NI-DAQmx's codes: the code line and the library's own
// explanation (CP932, may be null).
#pragma once
#include <cstdint>

namespace vekmath {

void setNiStatusText(int32_t code, const char* detail);

}  // namespace vekmath
