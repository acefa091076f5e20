// Decoding one video stream's samples to packed 24-bit bitmaps: a 40-byte
// BITMAPINFOHEADER and bottom-up BGR rows padded to 4 bytes.
#pragma once
#include <windows.h>
#include <wingdi.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "media/ffmpeg_handles.h"

namespace plat::media {

class VideoDecoder {
 public:
  enum class Result { Picture, Pending, Failed };

  // nullptr for a format that is not decoded: MPEG-4 Part 2 ("DIVX",
  // "XVID", "FMP4", "DX50", "MP4V"), MJPEG, and uncompressed 24- or 32-bit.
  static std::unique_ptr<VideoDecoder> open(const BITMAPINFOHEADER& format, FOURCC handler);

  // One sample in; a Picture leaves the packed bitmap in `bitmap`. Pending:
  // the decoder holds the sample back (or it was empty) and gives no
  // picture for it yet.
  Result decode(const uint8_t* data, size_t size, std::vector<uint8_t>& bitmap);
  // Forgets every sample before the next (a new start at a key frame).
  void restart();

 private:
  VideoDecoder() = default;
  bool convert(const uint8_t* const planes[], const int strides[], AVPixelFormat format, int width, int height,
               std::vector<uint8_t>& bitmap);

  BITMAPINFOHEADER format_{};
  AVPixelFormat rawFormat_ = AV_PIX_FMT_NONE;  // set for uncompressed frames
  CodecContextPtr context_;
  FramePtr frame_;
  PacketPtr packet_;
  ScalerPtr scaler_;
  std::vector<uint8_t> scaled_;  // the scaler's picture, rows padded
};

}  // namespace plat::media
