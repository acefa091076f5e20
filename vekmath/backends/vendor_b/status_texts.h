// Message texts of vendor B's library codes.
#pragma once
#include <cstdint>

namespace vekmath {

void setVendorBStatusText(uint32_t code);

}  // namespace vekmath
