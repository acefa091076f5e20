// Placeholder until the recording side lands.
#include "camera/camera_state.h"

namespace vekmath {

void BufferCB(double, uint8_t*, long) {}
void FreeCompressorSettings() {}

}  // namespace vekmath
