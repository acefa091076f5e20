// Stand-in bodies until the conversions are built.
#include "conversion.h"

namespace tarnix {

void ImageToList(int32_t, std::span<const xanconfig::DriverBlock>, void*) {}
void ListToImage(int32_t, std::span<xanconfig::DriverBlock>, const void*) {}
int32_t IsDriverServiceRunning(const char*) { return 0; }
int32_t IsVxdLoaded(const char*) { return 0; }

}  // namespace tarnix
