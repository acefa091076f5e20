// The simulated board's back end; its table exports are in vekmath.h.
#pragma once
#include <windef.h>

namespace vekmath {
class BackEnd;
BackEnd& simulatedBackEnd();
}  // namespace vekmath
