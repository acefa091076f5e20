// One pipeline for every conversion: demux the source, decode its sound or
// its video, bring the frames to the encoder's format, encode and mux. The
// targets differ only in their row of the table below.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "kernel32/paths.h"
#include "media/media_source.h"

namespace plat::media {

namespace {

struct TargetRow {
  Target target;
  const char* muxer;
  AVCodecID codec;
  AVMediaType media;
  uint32_t tag;  // 0: the muxer's own tag for the codec
};

constexpr TargetRow kTargets[] = {
    {Target::MpegAudioWave, "wav", AV_CODEC_ID_MP2, AVMEDIA_TYPE_AUDIO, 0},
    {Target::Pcm16Wave, "wav", AV_CODEC_ID_PCM_S16LE, AVMEDIA_TYPE_AUDIO, 0},
    {Target::Mpeg4Avi, "avi", AV_CODEC_ID_MPEG4, AVMEDIA_TYPE_VIDEO, MKTAG('D', 'I', 'V', 'X')},
};

// Layer II at 64 kbit/s a channel is a rate both its sample-rate families
// offer.
constexpr int64_t kMpegAudioBitsPerChannel = 64000;
// Sample count of each PCM frame; such encoders take any.
constexpr int kPcmFrameSamples = 1024;
constexpr AVRational kFallbackFrameRate{25, 1};

const TargetRow& rowFor(Target target) {
  return *std::find_if(std::begin(kTargets), std::end(kTargets),
                       [target](const TargetRow& row) { return row.target == target; });
}

bool offersRate(const AVCodec& codec, int rate) {
  if (codec.supported_samplerates == nullptr) return true;
  for (const int* r = codec.supported_samplerates; *r != 0; ++r) {
    if (*r == rate) return true;
  }
  return false;
}

bool offersChannels(const AVCodec& codec, int channels) {
  if (codec.ch_layouts == nullptr) return true;
  for (const AVChannelLayout* l = codec.ch_layouts; l->nb_channels != 0; ++l) {
    if (l->nb_channels == channels) return true;
  }
  return false;
}

// The output under a temporary name beside its destination; removed unless
// it was renamed onto the destination.
class PartialFile {
 public:
  explicit PartialFile(const std::string& destination) : path_(destination + ".XXXXXX") {
    const int fd = ::mkstemp(path_.data());
    if (fd < 0) {
      error_ = errno;
      path_.clear();
      return;
    }
    ::fchmod(fd, 0644);
    ::close(fd);
  }
  ~PartialFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  PartialFile(const PartialFile&) = delete;
  PartialFile& operator=(const PartialFile&) = delete;

  const std::string& path() const { return path_; }
  int error() const { return error_; }
  bool commitTo(const std::string& destination) {
    if (::rename(path_.c_str(), destination.c_str()) != 0) return false;
    path_.clear();
    return true;
  }

 private:
  std::string path_;
  int error_ = 0;
};

class Pipeline {
 public:
  Pipeline(const TargetRow& row, const Request& request) : row_(row), request_(request) {}

  HRESULT openSource(const std::string& source) {
    HRESULT hr = media::openSource(source, input_);
    if (FAILED(hr)) return hr;
    const AVCodec* decoder = nullptr;
    stream_ = av_find_best_stream(input_.get(), row_.media, -1, -1, &decoder, 0);
    if (stream_ < 0) return kStatusNotFound;
    decoder_.reset(avcodec_alloc_context3(decoder));
    if (!decoder_) return E_OUTOFMEMORY;
    if (avcodec_parameters_to_context(decoder_.get(), input_->streams[stream_]->codecpar) < 0 ||
        avcodec_open2(decoder_.get(), decoder, nullptr) < 0) {
      return kStatusCannotConnect;
    }
    if (decoder_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
      const int channels = decoder_->ch_layout.nb_channels;
      av_channel_layout_uninit(&decoder_->ch_layout);
      av_channel_layout_default(&decoder_->ch_layout, channels);
    }
    return S_OK;
  }

  HRESULT openOutput(const std::string& path) {
    AVFormatContext* file = nullptr;
    if (avformat_alloc_output_context2(&file, nullptr, row_.muxer, nullptr) < 0) return E_OUTOFMEMORY;
    output_.reset(file);
    file->flags |= AVFMT_FLAG_BITEXACT;
    const AVCodec* codec = avcodec_find_encoder(row_.codec);
    if (codec == nullptr) return kStatusNotFound;
    encoder_.reset(avcodec_alloc_context3(codec));
    if (!encoder_) return E_OUTOFMEMORY;
    if (file->oformat->flags & AVFMT_GLOBALHEADER) encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    HRESULT hr = row_.media == AVMEDIA_TYPE_AUDIO ? setUpSound(*codec) : setUpVideo();
    if (FAILED(hr)) return hr;
    if (avcodec_open2(encoder_.get(), codec, nullptr) < 0) return kStatusCannotConnect;
    if (row_.media == AVMEDIA_TYPE_AUDIO) {
      hr = openResampler();
      if (FAILED(hr)) return hr;
    }

    AVStream* stream = avformat_new_stream(file, nullptr);
    if (stream == nullptr || avcodec_parameters_from_context(stream->codecpar, encoder_.get()) < 0) {
      return E_OUTOFMEMORY;
    }
    stream->codecpar->codec_tag = row_.tag;
    stream->time_base = encoder_->time_base;
    if (avio_open(&file->pb, ("file:" + path).c_str(), AVIO_FLAG_WRITE) < 0) return statusFromErrno(errno, path);
    if (avformat_write_header(file, nullptr) < 0) return kStatusCannotConnect;
    return S_OK;
  }

  HRESULT run() {
    Packet packet(av_packet_alloc());
    decoded_.reset(av_frame_alloc());
    if (!packet || !decoded_) return E_OUTOFMEMORY;
    int read = 0;
    while ((read = av_read_frame(input_.get(), packet.get())) >= 0) {
      HRESULT hr = S_OK;
      if (packet->stream_index == stream_) hr = decode(packet.get());
      av_packet_unref(packet.get());
      if (FAILED(hr)) return hr;
    }
    if (read != AVERROR_EOF) return E_FAIL;
    HRESULT hr = decode(nullptr);
    if (SUCCEEDED(hr)) hr = convert(nullptr);
    if (SUCCEEDED(hr)) hr = encode(nullptr);
    if (FAILED(hr)) return hr;
    if (av_write_trailer(output_.get()) < 0 || avio_closep(&output_->pb) < 0) return E_FAIL;
    return S_OK;
  }

 private:
  HRESULT setUpSound(const AVCodec& codec) {
    const int rate = request_.rate != 0 ? request_.rate : decoder_->sample_rate;
    const int channels = decoder_->ch_layout.nb_channels;
    if (channels == 0 || !offersRate(codec, rate) || !offersChannels(codec, channels)) return kStatusCannotConnect;
    encoder_->sample_fmt = AV_SAMPLE_FMT_S16;
    encoder_->sample_rate = rate;
    encoder_->time_base = AVRational{1, rate};
    av_channel_layout_default(&encoder_->ch_layout, channels);
    if (row_.codec == AV_CODEC_ID_MP2) encoder_->bit_rate = kMpegAudioBitsPerChannel * channels;
    return S_OK;
  }

  HRESULT setUpVideo() {
    if (decoder_->width <= 0 || decoder_->height <= 0) return kStatusCannotConnect;
    AVRational rate = av_guess_frame_rate(input_.get(), input_->streams[stream_], nullptr);
    // The encoder counts time in at most 16-bit units.
    if (rate.num <= 0 || rate.den <= 0 || rate.num > 65535) rate = kFallbackFrameRate;
    encoder_->width = decoder_->width;
    encoder_->height = decoder_->height;
    encoder_->pix_fmt = AV_PIX_FMT_YUV420P;
    encoder_->time_base = av_inv_q(rate);
    encoder_->framerate = rate;
    encoder_->codec_tag = row_.tag;
    return S_OK;
  }

  HRESULT openResampler() {
    SwrContext* resampler = nullptr;
    if (swr_alloc_set_opts2(&resampler, &encoder_->ch_layout, encoder_->sample_fmt, encoder_->sample_rate,
                            &decoder_->ch_layout, decoder_->sample_fmt, decoder_->sample_rate, 0, nullptr) < 0) {
      return E_OUTOFMEMORY;
    }
    resampler_.reset(resampler);
    if (swr_init(resampler) < 0) return kStatusCannotConnect;
    fifo_.reset(av_audio_fifo_alloc(encoder_->sample_fmt, encoder_->ch_layout.nb_channels, 1));
    return fifo_ ? S_OK : E_OUTOFMEMORY;
  }

  // A null packet drains the decoder. Damaged packets are skipped as a
  // player skips them.
  HRESULT decode(const AVPacket* packet) {
    const int sent = avcodec_send_packet(decoder_.get(), packet);
    if (sent < 0 && sent != AVERROR_INVALIDDATA) return E_FAIL;
    for (;;) {
      const int got = avcodec_receive_frame(decoder_.get(), decoded_.get());
      if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return S_OK;
      if (got == AVERROR_INVALIDDATA) continue;
      if (got < 0) return E_FAIL;
      const HRESULT hr = convert(decoded_.get());
      av_frame_unref(decoded_.get());
      if (FAILED(hr)) return hr;
    }
  }

  // A null frame drains what the converter still holds.
  HRESULT convert(const AVFrame* frame) {
    return row_.media == AVMEDIA_TYPE_AUDIO ? convertSound(frame) : convertPicture(frame);
  }

  HRESULT convertSound(const AVFrame* frame) {
    const int inCount = frame != nullptr ? frame->nb_samples : 0;
    const int room = swr_get_out_samples(resampler_.get(), inCount);
    if (room > 0) {
      if (!prepare(room)) return E_OUTOFMEMORY;
      const int made = swr_convert(resampler_.get(), buffer_->data, room,
                                   frame != nullptr ? const_cast<const uint8_t**>(frame->extended_data) : nullptr,
                                   inCount);
      if (made < 0) return E_FAIL;
      if (made > 0 && av_audio_fifo_write(fifo_.get(), reinterpret_cast<void**>(buffer_->data), made) < made) {
        return E_OUTOFMEMORY;
      }
    }
    return sendSound(frame == nullptr);
  }

  // A fresh frame of `samples` in the encoder's format (the encoder may
  // still hold the one before).
  bool prepare(int samples) {
    buffer_.reset(av_frame_alloc());
    if (!buffer_) return false;
    buffer_->format = encoder_->sample_fmt;
    buffer_->nb_samples = samples;
    buffer_->sample_rate = encoder_->sample_rate;
    return av_channel_layout_copy(&buffer_->ch_layout, &encoder_->ch_layout) >= 0 &&
           av_frame_get_buffer(buffer_.get(), 0) >= 0;
  }

  // Full encoder frames from the FIFO; at the end the rest, padded with
  // silence where the encoder takes only whole frames.
  HRESULT sendSound(bool last) {
    const bool anySize = encoder_->frame_size == 0 || (encoder_->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
    const int frameSize = encoder_->frame_size > 0 ? encoder_->frame_size : kPcmFrameSamples;
    while (av_audio_fifo_size(fifo_.get()) >= frameSize || (last && av_audio_fifo_size(fifo_.get()) > 0)) {
      const int count = std::min(frameSize, av_audio_fifo_size(fifo_.get()));
      const int size = anySize ? count : frameSize;
      if (!prepare(size)) return E_OUTOFMEMORY;
      av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(buffer_->data), count);
      if (size > count) {
        av_samples_set_silence(buffer_->data, count, size - count, encoder_->ch_layout.nb_channels, encoder_->sample_fmt);
      }
      buffer_->pts = nextPts_;
      nextPts_ += size;
      const HRESULT hr = encode(buffer_.get());
      if (FAILED(hr)) return hr;
    }
    return S_OK;
  }

  HRESULT convertPicture(const AVFrame* frame) {
    if (frame == nullptr) return S_OK;
    scaler_.reset(sws_getCachedContext(scaler_.release(), frame->width, frame->height,
                                       static_cast<AVPixelFormat>(frame->format), encoder_->width, encoder_->height,
                                       encoder_->pix_fmt, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!scaler_) return kStatusCannotConnect;
    buffer_.reset(av_frame_alloc());
    if (!buffer_) return E_OUTOFMEMORY;
    buffer_->format = encoder_->pix_fmt;
    buffer_->width = encoder_->width;
    buffer_->height = encoder_->height;
    if (av_frame_get_buffer(buffer_.get(), 0) < 0) return E_OUTOFMEMORY;
    sws_scale(scaler_.get(), frame->data, frame->linesize, 0, frame->height, buffer_->data, buffer_->linesize);
    buffer_->pts = nextPts_++;
    return encode(buffer_.get());
  }

  // A null frame drains the encoder.
  HRESULT encode(const AVFrame* frame) {
    if (avcodec_send_frame(encoder_.get(), frame) < 0) return E_FAIL;
    Packet packet(av_packet_alloc());
    if (!packet) return E_OUTOFMEMORY;
    for (;;) {
      const int got = avcodec_receive_packet(encoder_.get(), packet.get());
      if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return S_OK;
      if (got < 0) return E_FAIL;
      av_packet_rescale_ts(packet.get(), encoder_->time_base, output_->streams[0]->time_base);
      packet->stream_index = 0;
      if (av_interleaved_write_frame(output_.get(), packet.get()) < 0) return E_FAIL;
    }
  }

  const TargetRow& row_;
  Request request_;
  InputFile input_;
  int stream_ = -1;
  CodecContext decoder_;
  CodecContext encoder_;
  OutputFile output_;
  Resampler resampler_;
  SampleFifo fifo_;
  Scaler scaler_;
  Frame decoded_;
  Frame buffer_;
  int64_t nextPts_ = 0;
};

bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

}  // namespace

HRESULT Convert(const char* ansiSource, const char* ansiDestination, const Request& request) {
  const std::string source = mappedOrFail(ansiSource);
  const std::string destination = mappedOrFail(ansiDestination);
  Pipeline pipeline(rowFor(request.target), request);
  HRESULT hr = pipeline.openSource(source);
  if (FAILED(hr)) return hr;
  if (destination.empty()) return kStatusPathNotFound;
  if (sameFile(source, destination)) return E_INVALIDARG;
  if (request.removeExisting) ::unlink(destination.c_str());
  PartialFile partial(destination);
  if (partial.path().empty()) return statusFromErrno(partial.error(), destination);
  hr = pipeline.openOutput(partial.path());
  if (SUCCEEDED(hr)) hr = pipeline.run();
  if (FAILED(hr)) return hr;
  if (!partial.commitTo(destination)) return statusFromErrno(errno, destination);
  return S_OK;
}

}  // namespace plat::media
