// Owners of the coding libraries' objects, each freed by its own call.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace plat::media {

// The libraries free most objects through the address of the pointer.
template <typename T, void (*Free)(T**)>
struct FreeThroughAddress {
  void operator()(T* object) const { Free(&object); }
};

template <typename T, void (*Free)(T*)>
struct FreeDirect {
  void operator()(T* object) const { Free(object); }
};

using InputFile = std::unique_ptr<AVFormatContext, FreeThroughAddress<AVFormatContext, avformat_close_input>>;
using CodecContext = std::unique_ptr<AVCodecContext, FreeThroughAddress<AVCodecContext, avcodec_free_context>>;
using Frame = std::unique_ptr<AVFrame, FreeThroughAddress<AVFrame, av_frame_free>>;
using Packet = std::unique_ptr<AVPacket, FreeThroughAddress<AVPacket, av_packet_free>>;
using Resampler = std::unique_ptr<SwrContext, FreeThroughAddress<SwrContext, swr_free>>;
using SampleFifo = std::unique_ptr<AVAudioFifo, FreeDirect<AVAudioFifo, av_audio_fifo_free>>;
using Scaler = std::unique_ptr<SwsContext, FreeDirect<SwsContext, sws_freeContext>>;

// An output file's context with the file it opened.
struct OutputCloser {
  void operator()(AVFormatContext* context) const {
    if (context->pb != nullptr) avio_closep(&context->pb);
    avformat_free_context(context);
  }
};
using OutputFile = std::unique_ptr<AVFormatContext, OutputCloser>;

}  // namespace plat::media
