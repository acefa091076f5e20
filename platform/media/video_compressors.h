// The video compressors the layer offers, by handler code.
#pragma once
#include <windows.h>

namespace plat::media {

// "DIVX" (any case), unless ORVANE_VIDEO_COMPRESSORS is "none", which
// stands for a machine without it.
bool VideoCompressorAvailable(FOURCC handler);

}  // namespace plat::media
