#include "media/video_encoder.h"

namespace plat::media {

namespace {

// The quantiser for a quality; the default gives frames close to the
// source at a modest size.
int quantiserFor(int quality) {
  if (quality < 0 || quality > 10000) return 3;
  return 31 - quality * 29 / 10000;
}

}  // namespace

std::unique_ptr<VideoEncoder> VideoEncoder::open(int width, int height, int rateNumerator, int rateDenominator,
                                                 int quality) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
  if (codec == nullptr || width <= 0 || height <= 0 || rateNumerator <= 0 || rateDenominator <= 0) return nullptr;
  std::unique_ptr<VideoEncoder> encoder(new VideoEncoder);
  encoder->context_.reset(avcodec_alloc_context3(codec));
  AVCodecContext* c = encoder->context_.get();
  if (c == nullptr) return nullptr;
  c->width = width;
  c->height = height;
  c->pix_fmt = AV_PIX_FMT_YUV420P;
  c->time_base = AVRational{rateDenominator, rateNumerator};
  c->framerate = AVRational{rateNumerator, rateDenominator};
  c->max_b_frames = 0;
  c->thread_count = 1;
  c->codec_tag = MKTAG('D', 'I', 'V', 'X');
  c->flags |= AV_CODEC_FLAG_QSCALE;
  c->global_quality = FF_QP2LAMBDA * quantiserFor(quality);
  if (avcodec_open2(c, codec, nullptr) < 0) return nullptr;

  encoder->frame_.reset(av_frame_alloc());
  encoder->packet_.reset(av_packet_alloc());
  if (!encoder->frame_ || !encoder->packet_) return nullptr;
  AVFrame* f = encoder->frame_.get();
  f->format = c->pix_fmt;
  f->width = width;
  f->height = height;
  if (av_frame_get_buffer(f, 0) < 0) return nullptr;
  encoder->scaler_.reset(sws_getContext(width, height, AV_PIX_FMT_BGR24, width, height, AV_PIX_FMT_YUV420P,
                                        SWS_BICUBIC, nullptr, nullptr, nullptr));
  if (!encoder->scaler_) return nullptr;
  return encoder;
}

bool VideoEncoder::encode(const uint8_t* bottomUpBgr, int stride, std::vector<uint8_t>& out, bool& key) {
  out.clear();
  key = false;
  AVFrame* f = frame_.get();
  if (av_frame_make_writable(f) < 0) return false;
  // Bottom-up rows: start at the last row and step backwards.
  const uint8_t* source[1] = {bottomUpBgr + static_cast<ptrdiff_t>(stride) * (context_->height - 1)};
  const int sourceStride[1] = {-stride};
  sws_scale(scaler_.get(), source, sourceStride, 0, context_->height, f->data, f->linesize);
  f->pts = nextPts_++;
  if (avcodec_send_frame(context_.get(), f) < 0) return false;
  for (;;) {
    const int got = avcodec_receive_packet(context_.get(), packet_.get());
    if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return true;
    if (got < 0) return false;
    out.insert(out.end(), packet_->data, packet_->data + packet_->size);
    key = key || (packet_->flags & AV_PKT_FLAG_KEY) != 0;
    av_packet_unref(packet_.get());
  }
}

}  // namespace plat::media
