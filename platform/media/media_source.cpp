// Opening a media file and describing the chain that would play it.
#include "media/media_source.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <string_view>

#include "kernel32/paths.h"

namespace plat::media {

namespace {

// The sound the chain delivers: integer PCM as it is stored, anything
// compressed decoded to 16 bits, floating-point PCM as no PCM at all.
void describeSound(const AVCodecParameters& sound, SourceInfo& info) {
  info.channels = sound.ch_layout.nb_channels;
  info.rate = sound.sample_rate;
  const std::string_view name = avcodec_get_name(sound.codec_id);
  const bool storedPcm = name.starts_with("pcm_");
  info.pcm = !name.starts_with("pcm_f");
  info.bits = storedPcm ? av_get_bits_per_sample(sound.codec_id) : 16;
}

// A stream counts only when something can decode it.
const AVStream* decodableStream(AVFormatContext* file, AVMediaType type) {
  const AVCodec* decoder = nullptr;
  const int index = av_find_best_stream(file, type, -1, -1, &decoder, 0);
  return index < 0 ? nullptr : file->streams[index];
}

}  // namespace

HRESULT statusFromErrno(int error, const std::string& linuxPath) {
  return static_cast<HRESULT>(0x80070000u | (pathError(error, linuxPath) & 0xFFFFu));
}

HRESULT openSource(const std::string& linuxPath, InputFile& input) {
  // The conversions report through their own messages; the libraries'
  // notes on the standard error stream would mix with them.
  static std::once_flag quiet;
  std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
  if (linuxPath.empty()) return kStatusPathNotFound;
  struct stat st;
  if (::stat(linuxPath.c_str(), &st) != 0) return statusFromErrno(errno, linuxPath);
  if (S_ISDIR(st.st_mode) || ::access(linuxPath.c_str(), R_OK) != 0) return kStatusAccessDenied;
  AVFormatContext* file = nullptr;
  // The protocol prefix keeps a ':' in a file name from naming a protocol.
  if (avformat_open_input(&file, ("file:" + linuxPath).c_str(), nullptr, nullptr) < 0) return kStatusUnknownFileType;
  input.reset(file);
  if (avformat_find_stream_info(file, nullptr) < 0) return kStatusUnknownFileType;
  return S_OK;
}

HRESULT ProbeSource(const char* ansiPath, SourceInfo* info) {
  InputFile input;
  const HRESULT opened = openSource(mappedOrFail(ansiPath), input);
  if (FAILED(opened)) return opened;
  SourceInfo found;
  found.waveFile = std::string_view(input->iformat->name) == "wav";
  found.video = decodableStream(input.get(), AVMEDIA_TYPE_VIDEO) != nullptr;
  if (const AVStream* sound = decodableStream(input.get(), AVMEDIA_TYPE_AUDIO)) {
    found.audio = true;
    describeSound(*sound->codecpar, found);
  }
  if (info != nullptr) *info = found;
  return S_OK;
}

}  // namespace plat::media
