// The resource map's part in a driver's unload.
#pragma once
#include <ntkrnl/nt_io.h>

namespace ntk {

void releaseClaimsOf(PDRIVER_OBJECT driver);

}  // namespace ntk
