// Message texts of the library's own status codes (LibraryStatus).
#pragma once
#include <cstdint>

#include "status/message.h"

namespace vekmath {

void setOwnStatusText(int32_t status);

}  // namespace vekmath
