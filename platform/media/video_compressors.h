// The video compressors the layer offers, by handler code.
#pragma once
#include <windows.h>

namespace plat::media {

// True when ORVANE_VIDEO_COMPRESSORS is "none", which stands for a machine
// without any video compressor.
bool VideoCompressorsSwitchedOff();

// "DIVX" (any case), unless the compressors are switched off.
bool VideoCompressorAvailable(FOURCC handler);

}  // namespace plat::media
