#include "media/video_compressors.h"

#include <vfw.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace plat::media {

bool VideoCompressorsSwitchedOff() {
  const char* setting = std::getenv("ORVANE_VIDEO_COMPRESSORS");
  return setting != nullptr && std::strcmp(setting, "none") == 0;
}

bool VideoCompressorAvailable(FOURCC handler) {
  if (VideoCompressorsSwitchedOff()) return false;
  const char expected[] = "DIVX";
  for (int i = 0; i < 4; ++i) {
    if (std::toupper(static_cast<int>((handler >> (8 * i)) & 0xFF)) != expected[i]) return false;
  }
  return true;
}

}  // namespace plat::media

// The layer's compressor opens no handle and allocates nothing into the
// settings record, so there is nothing of its own to free.
PLATFORM_API void WINAPI ICCompressorFree(PCOMPVARS) {}
