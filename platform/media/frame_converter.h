// Captured camera frames (YUYV or MJPEG) into the bottom-up BGR24 frames a
// connection delivers, rows padded to 4 bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwsContext;

namespace plat::camera {

class FrameConverter {
 public:
  FrameConverter();
  ~FrameConverter();
  FrameConverter(const FrameConverter&) = delete;
  FrameConverter& operator=(const FrameConverter&) = delete;

  // `fourcc` is the V4L2 pixel format. Fills RowBytes(width) * height bytes
  // of `out` (a decoded picture of another size is scaled to it); false for
  // data that is too short or does not decode.
  bool Convert(uint32_t fourcc, const uint8_t* data, size_t bytes, int32_t width, int32_t height, uint8_t* out);

 private:
  struct Free {
    void operator()(AVCodecContext* c) const;
    void operator()(AVFrame* f) const;
    void operator()(AVPacket* p) const;
    void operator()(SwsContext* s) const;
  };
  bool scale(int format, const uint8_t* const planes[], const int strides[], int sourceWidth, int sourceHeight,
             int32_t width, int32_t height, uint8_t* out);
  bool decodeJpeg(const uint8_t* data, size_t bytes);

  std::unique_ptr<SwsContext, Free> scaler_;
  std::unique_ptr<AVCodecContext, Free> decoder_;
  std::unique_ptr<AVFrame, Free> decoded_;
  std::unique_ptr<AVPacket, Free> packet_;
  std::vector<uint8_t> padded_;  // the decoder and the scaler read past the data
  std::vector<uint8_t> scaled_;
};

}  // namespace plat::camera
