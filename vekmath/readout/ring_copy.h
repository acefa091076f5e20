// Copies out of the sample ring, shared by the readout exports.
#pragma once
#include <cstddef>
#include <cstdint>

namespace vekmath {

// Writes count samples from ring position from (wrapping at the ring
// length) to dest, each minus zero in 16-bit arithmetic. Gives the
// acquisition thread the processor now and then on long copies.
void copyOut(const uint16_t* ring, int32_t ringLength, int32_t from, int32_t count, uint16_t zero, uint16_t* dest);

}  // namespace vekmath
