#include <gtest/gtest.h>
#include <linux/videodev2.h>

#include <vector>

#include "guarded_bytes.h"
#include "media/frame_converter.cpp"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace plat::camera {
namespace {

constexpr int32_t kWidth = 18;  // 54 bytes of pixels, 56 with the padding
constexpr int32_t kHeight = 16;

// A picture whose upper half is white and lower half black, as YUYV.
std::vector<uint8_t> yuyvPicture() {
  std::vector<uint8_t> data;
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; x += 2) {
      const uint8_t luma = y < kHeight / 2 ? 235 : 16;
      data.insert(data.end(), {luma, 128, luma, 128});
    }
  }
  return data;
}

// The same picture as one JPEG frame.
std::vector<uint8_t> jpegPicture() {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
  if (codec == nullptr) return {};
  AVCodecContext* c = avcodec_alloc_context3(codec);
  c->width = kWidth;
  c->height = kHeight;
  c->pix_fmt = AV_PIX_FMT_YUVJ422P;
  c->time_base = {1, 30};
  AVFrame* f = av_frame_alloc();
  AVPacket* p = av_packet_alloc();
  std::vector<uint8_t> out;
  f->format = c->pix_fmt;
  f->width = kWidth;
  f->height = kHeight;
  if (avcodec_open2(c, codec, nullptr) == 0 && av_frame_get_buffer(f, 0) == 0) {
    for (int32_t y = 0; y < kHeight; ++y) {
      std::memset(f->data[0] + y * f->linesize[0], y < kHeight / 2 ? 255 : 0, kWidth);
      std::memset(f->data[1] + y * f->linesize[1], 128, kWidth / 2);
      std::memset(f->data[2] + y * f->linesize[2], 128, kWidth / 2);
    }
    if (avcodec_send_frame(c, f) == 0 && avcodec_receive_packet(c, p) == 0) out.assign(p->data, p->data + p->size);
  }
  av_packet_free(&p);
  av_frame_free(&f);
  avcodec_free_context(&c);
  return out;
}

TEST(FrameConverterTest, CapturedPicturesBecomeBottomUpRowsOrAreRefused) {
  const std::vector<uint8_t> yuyv = yuyvPicture();
  const std::vector<uint8_t> jpeg = jpegPicture();
  ASSERT_FALSE(jpeg.empty());
  const std::vector<uint8_t> garbage(200, 0x5A);
  const struct {
    const char* name;
    uint32_t fourcc;
    const std::vector<uint8_t>& data;
    size_t bytes;
    bool converts;
  } cases[] = {
      {"yuyv", V4L2_PIX_FMT_YUYV, yuyv, yuyv.size(), true},
      {"jpeg", V4L2_PIX_FMT_MJPEG, jpeg, jpeg.size(), true},
      {"yuyv one row short", V4L2_PIX_FMT_YUYV, yuyv, yuyv.size() - kWidth * 2, false},
      {"not a jpeg", V4L2_PIX_FMT_MJPEG, garbage, garbage.size(), false},
      {"another format", V4L2_PIX_FMT_RGB24, yuyv, yuyv.size(), false},
  };
  const long row = RowBytes(kWidth);
  ASSERT_EQ(row, 56);
  for (const auto& k : cases) {
    FrameConverter converter;
    std::vector<uint8_t> out(static_cast<size_t>(row * kHeight) + 1, 0x77);  // one guard byte
    EXPECT_EQ(converter.Convert(k.fourcc, k.data.data(), k.bytes, kWidth, kHeight, out.data()), k.converts)
        << k.name;
    EXPECT_EQ(out.back(), 0x77) << k.name;
    if (!k.converts) continue;
    for (int32_t r : {1, kHeight - 2}) {  // buffer rows: the picture's bottom comes first
      const uint8_t* p = out.data() + row * r + 3 * (kWidth / 2);
      const bool white = r >= kHeight / 2;
      for (int i = 0; i < 3; ++i) EXPECT_EQ(p[i] > 127, white) << k.name << " row " << r;
    }
  }
}

// A captured frame is exactly the bytes its size asks for; at widths that
// are not a multiple of 16 the scaler reads whole blocks, which must not
// take it past the frame.
TEST(FrameConverterTest, YuyvFramesOfAnyWidthAreReadOnlyInsideThemselves) {
  for (int32_t width : {24, 40, 58, 62, 64}) {
    SCOPED_TRACE(width);
    const size_t bytes = static_cast<size_t>(width) * 2 * kHeight;
    GuardedBytes frame(bytes);
    GuardedBytes out(static_cast<size_t>(RowBytes(width)) * kHeight);
    ASSERT_NE(frame.data(), nullptr);
    ASSERT_NE(out.data(), nullptr);
    for (size_t i = 0; i < bytes; i += 2) frame.data()[i] = 235, frame.data()[i + 1] = 128;  // white
    FrameConverter converter;
    ASSERT_TRUE(converter.Convert(V4L2_PIX_FMT_YUYV, frame.data(), bytes, width, kHeight, out.data()));
    EXPECT_GT(out.data()[0], 127);
  }
}

}  // namespace
}  // namespace plat::camera
