// The simulated board's back end; its table is test_signals.h.
#pragma once
namespace vekmath {
class BackEnd;
BackEnd& simulatedBackEnd();
}  // namespace vekmath
