#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "guarded_bytes.h"
#include "media/video_decoder.cpp"
#include "media/video_encoder.cpp"

namespace plat::media {
namespace {

constexpr int kHeight = 16;
constexpr uint8_t kGrey = 128;
constexpr uint8_t kMark = 0xA5;
constexpr size_t kRoom = 64;

int bitmapRow(int width) { return (width * 3 + 3) & ~3; }

std::vector<uint8_t> greyBitmap(int width) {
  return std::vector<uint8_t>(static_cast<size_t>(bitmapRow(width)) * kHeight, kGrey);
}

// One MJPEG frame of a grey picture.
std::vector<uint8_t> jpegFrame(int width) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
  CodecContextPtr c(codec == nullptr ? nullptr : avcodec_alloc_context3(codec));
  FramePtr f(av_frame_alloc());
  PacketPtr p(av_packet_alloc());
  std::vector<uint8_t> out;
  if (!c || !f || !p) return out;
  c->width = width;
  c->height = kHeight;
  c->pix_fmt = AV_PIX_FMT_YUVJ422P;
  c->time_base = {1, 30};
  f->format = c->pix_fmt;
  f->width = width;
  f->height = kHeight;
  if (avcodec_open2(c.get(), codec, nullptr) != 0 || av_frame_get_buffer(f.get(), 0) != 0) return out;
  for (int plane = 0; plane < 3; ++plane) {
    std::memset(f->data[plane], kGrey, static_cast<size_t>(f->linesize[plane]) * kHeight);
  }
  if (avcodec_send_frame(c.get(), f.get()) == 0 && avcodec_receive_packet(c.get(), p.get()) == 0) {
    out.assign(p->data, p->data + p->size);
  }
  return out;
}

// The same picture through the layer's own compressor.
std::vector<uint8_t> mpeg4Frame(int width) {
  std::unique_ptr<VideoEncoder> encoder = VideoEncoder::open(width, kHeight, 60, 1, -1);
  std::vector<uint8_t> out;
  bool key = false;
  const std::vector<uint8_t> picture = greyBitmap(width);
  if (!encoder || !encoder->encode(picture.data(), bitmapRow(width), out, key)) out.clear();
  return out;
}

// The scaler writes whole blocks at widths that are not a multiple of 16;
// none of that may land past the bitmap handed out.
TEST(VideoDecoderTest, PicturesOfAnyWidthStayInsideTheirBitmap) {
  const struct {
    const char* name;
    DWORD compression;
    std::vector<uint8_t> (*frame)(int width);
  } codecs[] = {
      {"MJPG", mmioFOURCC('M', 'J', 'P', 'G'), jpegFrame},
      {"DIVX", mmioFOURCC('D', 'I', 'V', 'X'), mpeg4Frame},
      {"uncompressed", BI_RGB, greyBitmap},
  };
  for (const auto& codec : codecs) {
    for (int width : {24, 40, 58, 62, 64}) {
      SCOPED_TRACE(std::string(codec.name) + " " + std::to_string(width));
      const std::vector<uint8_t> frame = codec.frame(width);
      ASSERT_FALSE(frame.empty());
      GuardedBytes sample(frame.size());
      ASSERT_NE(sample.data(), nullptr);
      std::memcpy(sample.data(), frame.data(), frame.size());
      BITMAPINFOHEADER format{};
      format.biSize = sizeof format;
      format.biWidth = width;
      format.biHeight = kHeight;
      format.biPlanes = 1;
      format.biBitCount = 24;
      format.biCompression = codec.compression;
      std::unique_ptr<VideoDecoder> decoder = VideoDecoder::open(format, 0);
      ASSERT_NE(decoder, nullptr);
      // Marked room behind the bitmap shows a write past its end.
      const size_t size = sizeof format + static_cast<size_t>(bitmapRow(width)) * kHeight;
      std::vector<uint8_t> bitmap(size + kRoom, kMark);
      bitmap.resize(size);
      ASSERT_EQ(decoder->decode(sample.data(), frame.size(), bitmap), VideoDecoder::Result::Picture);
      ASSERT_EQ(bitmap.size(), size);
      EXPECT_EQ(std::count(bitmap.data() + size, bitmap.data() + size + kRoom, kMark), static_cast<long>(kRoom));
      for (int y = 0; y < kHeight; ++y) {
        const uint8_t* row = bitmap.data() + sizeof format + static_cast<size_t>(bitmapRow(width)) * y;
        for (int x = 0; x < bitmapRow(width); ++x) {
          const int expected = x < width * 3 ? kGrey : 0;  // rows padded with zeros
          ASSERT_NEAR(row[x], expected, 8) << "row " << y << " byte " << x;
        }
      }
    }
  }
}

}  // namespace
}  // namespace plat::media
