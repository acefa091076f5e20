// The "DIVX" compressor: 24-bit bottom-up BGR frames in, one MPEG-4 Part 2
// frame out per frame in (no B-frames, one thread, so nothing is held back).
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "media/ffmpeg_handles.h"

namespace plat::media {

class VideoEncoder {
 public:
  // nullptr when the encoder cannot be opened for this size and rate.
  // quality: 0 (lowest) to 10000, or -1 for the compressor's default.
  static std::unique_ptr<VideoEncoder> open(int width, int height, int rateNumerator, int rateDenominator,
                                            int quality);

  // Compresses one frame whose rows are `stride` bytes, bottom row first.
  // `out` may stay empty (a dropped frame); false on an encoder failure.
  bool encode(const uint8_t* bottomUpBgr, int stride, std::vector<uint8_t>& out, bool& key);

 private:
  VideoEncoder() = default;
  CodecContextPtr context_;
  FramePtr frame_;
  PacketPtr packet_;
  ScalerPtr scaler_;
  int64_t nextPts_ = 0;
};

}  // namespace plat::media
