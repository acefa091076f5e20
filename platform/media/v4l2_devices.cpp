#include "media/back_ends.h"

namespace plat::camera {

std::vector<BackedDevice> V4l2Devices() { return {}; }

}  // namespace plat::camera
