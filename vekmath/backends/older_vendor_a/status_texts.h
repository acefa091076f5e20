// Message texts of the older vendor A library's codes.
#pragma once
#include <cstdint>

namespace vekmath {

void setOlderVendorAStatusText(int32_t code);

}  // namespace vekmath
