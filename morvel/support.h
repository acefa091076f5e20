// Which function families each device index may use, and the result of a
// call to a family the board's index does not have.
#pragma once
#include <cstdint>

namespace morvel {

enum class Support : uint8_t {
  Inp, InpBack, InpBdMem, ReadBuf, SetGain, Range, Relay, Out, OutBack, DI, DO, IsDataReady, Counter,
  BoardMemory, SetAI,
  None,  // consults no flag
};

bool supported(unsigned deviceIndex, Support family);
int16_t unsupportedResult(Support family);

// For every slot that holds the handle: 0 when each one's device index has
// the family, else the family's result. A handle in no slot passes.
// `unsupported` tells a refusal from a pass (the relay's result is 0).
int16_t checkSupport(uint32_t handle, Support family, bool& unsupported);

}  // namespace morvel
