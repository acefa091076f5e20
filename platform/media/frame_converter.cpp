#include "media/frame_converter.h"

#include <linux/videodev2.h>
#include <platform/camera_device.h>

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libswscale/swscale.h>
}

namespace plat::camera {

void FrameConverter::Free::operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
void FrameConverter::Free::operator()(AVFrame* f) const { av_frame_free(&f); }
void FrameConverter::Free::operator()(AVPacket* p) const { av_packet_free(&p); }
void FrameConverter::Free::operator()(SwsContext* s) const { sws_freeContext(s); }

FrameConverter::FrameConverter() = default;
FrameConverter::~FrameConverter() = default;

bool FrameConverter::scale(int format, const uint8_t* const planes[], const int strides[], int sourceWidth,
                           int sourceHeight, int32_t width, int32_t height, uint8_t* out) {
  SwsContext* context =
      sws_getCachedContext(scaler_.release(), sourceWidth, sourceHeight, static_cast<AVPixelFormat>(format), width,
                           height, AV_PIX_FMT_BGR24, SWS_POINT, nullptr, nullptr, nullptr);
  scaler_.reset(context);
  if (context == nullptr) return false;
  // The scaler may write past the end of a row, so it fills a roomy picture
  // of its own; the rows are then copied in reverse: bottom-up, padded.
  const int scaledStride = (width * 3 + 63) & ~63;
  scaled_.resize(static_cast<size_t>(scaledStride) * static_cast<size_t>(height) + 64);
  uint8_t* target[4] = {scaled_.data(), nullptr, nullptr, nullptr};
  const int targetStrides[4] = {scaledStride, 0, 0, 0};
  if (sws_scale(context, planes, strides, 0, sourceHeight, target, targetStrides) != height) return false;
  const long rowBytes = RowBytes(width);
  const size_t pixelBytes = static_cast<size_t>(width) * 3;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = out + rowBytes * (height - 1 - y);
    std::memcpy(row, scaled_.data() + static_cast<size_t>(scaledStride) * static_cast<size_t>(y), pixelBytes);
    std::memset(row + pixelBytes, 0, static_cast<size_t>(rowBytes) - pixelBytes);
  }
  return true;
}

bool FrameConverter::decodeJpeg(const uint8_t* data, size_t bytes) {
  if (!decoder_) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    if (codec == nullptr) return false;
    std::unique_ptr<AVCodecContext, Free> context(avcodec_alloc_context3(codec));
    if (!context || avcodec_open2(context.get(), codec, nullptr) < 0) return false;
    decoder_ = std::move(context);
    decoded_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!decoded_ || !packet_) {
      decoder_.reset();
      return false;
    }
  }
  padded_.assign(bytes + AV_INPUT_BUFFER_PADDING_SIZE, 0);
  std::memcpy(padded_.data(), data, bytes);
  packet_->data = padded_.data();
  packet_->size = static_cast<int>(bytes);
  const bool sent = avcodec_send_packet(decoder_.get(), packet_.get()) == 0;
  packet_->data = nullptr;
  packet_->size = 0;
  return sent && avcodec_receive_frame(decoder_.get(), decoded_.get()) == 0;
}

bool FrameConverter::Convert(uint32_t fourcc, const uint8_t* data, size_t bytes, int32_t width, int32_t height,
                             uint8_t* out) {
  if (data == nullptr || out == nullptr || width <= 0 || height <= 0) return false;
  if (fourcc == V4L2_PIX_FMT_YUYV) {
    const size_t needed = static_cast<size_t>(width) * 2 * static_cast<size_t>(height);
    if (bytes < needed) return false;
    // The scaler reads whole blocks past a row's end at some widths, so it
    // reads a copy with room behind the last row.
    padded_.assign(needed + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    std::memcpy(padded_.data(), data, needed);
    const uint8_t* planes[4] = {padded_.data(), nullptr, nullptr, nullptr};
    const int strides[4] = {width * 2, 0, 0, 0};
    return scale(AV_PIX_FMT_YUYV422, planes, strides, width, height, width, height, out);
  }
  if (fourcc == V4L2_PIX_FMT_MJPEG && bytes > 0 && decodeJpeg(data, bytes)) {
    const AVFrame* f = decoded_.get();
    bool done = scale(f->format, f->data, f->linesize, f->width, f->height, width, height, out);
    av_frame_unref(decoded_.get());
    return done;
  }
  return false;
}

}  // namespace plat::camera
