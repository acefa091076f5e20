#include "media/video_decoder.h"

#include <cctype>
#include <cstring>

namespace plat::media {

namespace {

FOURCC upper(FOURCC code) {
  FOURCC out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    out |= static_cast<FOURCC>(std::toupper(static_cast<int>((code >> shift) & 0xFF))) << shift;
  }
  return out;
}

AVCodecID codecFor(FOURCC code) {
  switch (upper(code)) {
    case mmioFOURCC('D', 'I', 'V', 'X'):
    case mmioFOURCC('X', 'V', 'I', 'D'):
    case mmioFOURCC('F', 'M', 'P', '4'):
    case mmioFOURCC('D', 'X', '5', '0'):
    case mmioFOURCC('M', 'P', '4', 'V'):
      return AV_CODEC_ID_MPEG4;
    case mmioFOURCC('M', 'J', 'P', 'G'):
      return AV_CODEC_ID_MJPEG;
    default:
      return AV_CODEC_ID_NONE;
  }
}

int rowBytes(int width, int bits) { return (width * bits / 8 + 3) & ~3; }

}  // namespace

std::unique_ptr<VideoDecoder> VideoDecoder::open(const BITMAPINFOHEADER& format, FOURCC handler) {
  const int width = format.biWidth;
  const int height = format.biHeight < 0 ? -format.biHeight : format.biHeight;
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return nullptr;
  std::unique_ptr<VideoDecoder> decoder(new VideoDecoder);
  decoder->format_ = format;
  decoder->frame_.reset(av_frame_alloc());
  decoder->packet_.reset(av_packet_alloc());
  if (!decoder->frame_ || !decoder->packet_) return nullptr;
  const bool uncompressed = format.biCompression == BI_RGB;
  if (uncompressed) {
    if (format.biBitCount == 24) decoder->rawFormat_ = AV_PIX_FMT_BGR24;
    if (format.biBitCount == 32) decoder->rawFormat_ = AV_PIX_FMT_BGR0;
    return decoder->rawFormat_ == AV_PIX_FMT_NONE ? nullptr : std::move(decoder);
  }
  AVCodecID id = codecFor(format.biCompression);
  if (id == AV_CODEC_ID_NONE) id = codecFor(handler);
  const AVCodec* codec = id == AV_CODEC_ID_NONE ? nullptr : avcodec_find_decoder(id);
  if (codec == nullptr) return nullptr;
  decoder->context_.reset(avcodec_alloc_context3(codec));
  AVCodecContext* c = decoder->context_.get();
  if (c == nullptr) return nullptr;
  c->width = width;
  c->height = height;
  c->codec_tag = format.biCompression;
  c->thread_count = 1;
  if (avcodec_open2(c, codec, nullptr) < 0) return nullptr;
  return decoder;
}

void VideoDecoder::restart() {
  if (context_) avcodec_flush_buffers(context_.get());
}

bool VideoDecoder::convert(const uint8_t* const planes[], const int strides[], AVPixelFormat format, int width,
                           int height, std::vector<uint8_t>& bitmap) {
  // The cached context is freed and replaced when the picture's shape changes.
  scaler_.reset(sws_getCachedContext(scaler_.release(), width, height, format, width, height, AV_PIX_FMT_BGR24,
                                     SWS_BICUBIC, nullptr, nullptr, nullptr));
  if (!scaler_) return false;
  const int stride = rowBytes(width, 24);
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(stride * height);
  bitmap.assign(sizeof header + header.biSizeImage, 0);
  std::memcpy(bitmap.data(), &header, sizeof header);
  // The scaler writes whole blocks past a row's end at some widths, so it
  // fills a roomy picture of its own; the bitmap takes just the image's
  // bytes from it, bottom-up: the picture's top row is its last row.
  const int scaledStride = (width * 3 + 63) & ~63;
  scaled_.resize(static_cast<size_t>(scaledStride) * static_cast<size_t>(height) + 64);
  uint8_t* target[1] = {scaled_.data()};
  const int targetStride[1] = {scaledStride};
  if (sws_scale(scaler_.get(), planes, strides, 0, height, target, targetStride) != height) return false;
  const size_t pixelBytes = static_cast<size_t>(width) * 3;
  for (int y = 0; y < height; ++y) {
    std::memcpy(bitmap.data() + sizeof header + static_cast<size_t>(stride) * static_cast<size_t>(height - 1 - y),
                scaled_.data() + static_cast<size_t>(scaledStride) * static_cast<size_t>(y), pixelBytes);
  }
  return true;
}

VideoDecoder::Result VideoDecoder::decode(const uint8_t* data, size_t size, std::vector<uint8_t>& bitmap) {
  const int width = format_.biWidth;
  if (rawFormat_ != AV_PIX_FMT_NONE) {
    const bool bottomUp = format_.biHeight > 0;
    const int height = bottomUp ? format_.biHeight : -format_.biHeight;
    const int stride = rowBytes(width, format_.biBitCount);
    if (size < static_cast<size_t>(stride) * height) return Result::Failed;
    const uint8_t* planes[1] = {bottomUp ? data + static_cast<size_t>(stride) * (height - 1) : data};
    const int strides[1] = {bottomUp ? -stride : stride};
    return convert(planes, strides, rawFormat_, width, height, bitmap) ? Result::Picture : Result::Failed;
  }
  // An empty sample repeats the picture before it.
  if (size == 0) return bitmap.empty() ? Result::Pending : Result::Picture;
  if (av_new_packet(packet_.get(), static_cast<int>(size)) < 0) return Result::Failed;
  std::memcpy(packet_->data, data, size);
  const int sent = avcodec_send_packet(context_.get(), packet_.get());
  av_packet_unref(packet_.get());
  if (sent < 0 && sent != AVERROR(EAGAIN)) return Result::Failed;
  const int got = avcodec_receive_frame(context_.get(), frame_.get());
  if (got == AVERROR(EAGAIN)) return Result::Pending;
  if (got < 0) return Result::Failed;
  AVFrame* f = frame_.get();
  const bool done = convert(f->data, f->linesize, static_cast<AVPixelFormat>(f->format), f->width, f->height, bitmap);
  av_frame_unref(f);
  return done ? Result::Picture : Result::Failed;
}

}  // namespace plat::media
