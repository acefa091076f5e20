// The AVI stream calls: information, formats, writing and the compressed
// stream in front of a stream being written.
#include <algorithm>
#include <cstring>

#include "media/avi_objects.h"
#include "media/video_compressors.h"

using namespace plat::avi;

namespace {

IAVIStream* liveStream(PAVISTREAM stream) { return liveStreams().contains(stream) ? stream : nullptr; }

const StreamHeader& headerOf(const IAVIStream& stream) {
  return stream.reader ? stream.reader->streams()[stream.index].header : stream.writer->header(stream.index);
}

int rowBytes(const BITMAPINFOHEADER& format) { return (format.biWidth * format.biBitCount / 8 + 3) & ~3; }

HRESULT setCompressedFormat(IAVIStream& stream, const void* format, LONG size) {
  if (static_cast<size_t>(size) < sizeof(BITMAPINFOHEADER)) return AVIERR_BADFORMAT;
  BITMAPINFOHEADER input;
  std::memcpy(&input, format, sizeof input);
  if (input.biBitCount != 24 || input.biCompression != BI_RGB || input.biWidth <= 0 || input.biHeight <= 0) {
    return AVIERR_BADFORMAT;
  }
  const StreamHeader& header = headerOf(stream);
  std::unique_ptr<plat::media::VideoEncoder> encoder = plat::media::VideoEncoder::open(
      input.biWidth, input.biHeight, static_cast<int>(header.rate), static_cast<int>(header.scale),
      static_cast<int>(stream.quality));
  if (!encoder) return AVIERR_BADFORMAT;
  BITMAPINFOHEADER output = input;
  output.biSize = sizeof output;
  output.biCompression = stream.handler;
  output.biSizeImage = static_cast<DWORD>(input.biWidth) * static_cast<DWORD>(input.biHeight) * 3;
  if (!stream.writer->setFormat(stream.index, &output, sizeof output)) return AVIERR_UNSUPPORTED;
  stream.writer->setHandler(stream.index, stream.handler);
  input.biSizeImage = static_cast<DWORD>(rowBytes(input) * input.biHeight);
  stream.input = input;
  stream.encoder = std::move(encoder);
  return AVIERR_OK;
}

HRESULT writeCompressed(IAVIStream& stream, const void* buffer, LONG size, LONG* bytesWritten) {
  if (!stream.encoder) return AVIERR_BADFORMAT;
  if (static_cast<DWORD>(size) < stream.input.biSizeImage) return AVIERR_BADSIZE;
  bool key = false;
  if (!stream.encoder->encode(static_cast<const uint8_t*>(buffer), rowBytes(stream.input), stream.packet, key)) {
    return AVIERR_COMPRESSOR;
  }
  const auto bytes = static_cast<uint32_t>(stream.packet.size());
  if (!stream.writer->writeSample(stream.index, stream.packet.data(), bytes, 1, key)) return AVIERR_FILEWRITE;
  if (bytesWritten != nullptr) *bytesWritten = static_cast<LONG>(bytes);
  return AVIERR_OK;
}

}  // namespace

PLATFORM_API HRESULT WINAPI AVIStreamInfoA(PAVISTREAM pavi, LPAVISTREAMINFOA psi, LONG lSize) {
  IAVIStream* stream = liveStream(pavi);
  if (stream == nullptr) return AVIERR_BADHANDLE;
  if (psi == nullptr || lSize < 0) return AVIERR_BADPARAM;
  const StreamHeader& h = headerOf(*stream);
  AVISTREAMINFOA info{};
  info.fccType = h.type;
  info.fccHandler = h.handler;
  info.dwFlags = h.flags;
  info.dwCaps = AVIFILECAPS_CANREAD | (stream->writer ? AVIFILECAPS_CANWRITE : 0u);
  info.wPriority = h.priority;
  info.wLanguage = h.language;
  info.dwScale = h.scale;
  info.dwRate = h.rate;
  info.dwStart = h.start;
  info.dwLength = h.length;
  info.dwInitialFrames = h.initialFrames;
  info.dwSuggestedBufferSize = h.suggestedBufferSize;
  info.dwQuality = h.quality;
  info.dwSampleSize = h.sampleSize;
  info.rcFrame = RECT{h.frameLeft, h.frameTop, h.frameRight, h.frameBottom};
  const std::string name = stream->reader ? stream->reader->streams()[stream->index].name : std::string();
  std::memcpy(info.szName, name.data(), std::min(name.size(), sizeof info.szName - 1));
  std::memcpy(psi, &info, std::min<size_t>(static_cast<size_t>(lSize), sizeof info));
  return AVIERR_OK;
}

PLATFORM_API HRESULT WINAPI AVIMakeCompressedStream(PAVISTREAM* ppsCompressed, PAVISTREAM psSource,
                                                    AVICOMPRESSOPTIONS* lpOptions, void* pclsidHandler) {
  if (ppsCompressed == nullptr) return AVIERR_BADPARAM;
  *ppsCompressed = nullptr;
  IAVIStream* source = liveStream(psSource);
  if (source == nullptr) return AVIERR_BADHANDLE;
  if (lpOptions == nullptr) return AVIERR_BADPARAM;
  if (pclsidHandler != nullptr) return AVIERR_UNSUPPORTED;
  if (!source->writer || source->compressed) return AVIERR_READONLY;
  if (headerOf(*source).type != streamtypeVIDEO) return AVIERR_UNSUPPORTED;
  if (!plat::media::VideoCompressorAvailable(lpOptions->fccHandler)) return AVIERR_NOCOMPRESSOR;
  auto stream = std::make_unique<IAVIStream>();
  stream->writer = source->writer;
  stream->index = source->index;
  stream->compressed = true;
  stream->handler = lpOptions->fccHandler;
  stream->quality = lpOptions->dwQuality;
  *ppsCompressed = liveStreams().add(std::move(stream));
  return AVIERR_OK;
}

PLATFORM_API HRESULT WINAPI AVIStreamSetFormat(PAVISTREAM pavi, LONG, LPVOID lpFormat, LONG cbFormat) {
  IAVIStream* stream = liveStream(pavi);
  if (stream == nullptr) return AVIERR_BADHANDLE;
  if (lpFormat == nullptr || cbFormat <= 0) return AVIERR_BADPARAM;
  if (!stream->writer) return AVIERR_READONLY;
  if (stream->compressed) return setCompressedFormat(*stream, lpFormat, cbFormat);
  return stream->writer->setFormat(stream->index, lpFormat, static_cast<size_t>(cbFormat)) ? AVIERR_OK
                                                                                           : AVIERR_UNSUPPORTED;
}

PLATFORM_API HRESULT WINAPI AVIStreamWrite(PAVISTREAM pavi, LONG, LONG lSamples, LPVOID lpBuffer, LONG cbBuffer,
                                           DWORD dwFlags, LONG* plSampWritten, LONG* plBytesWritten) {
  if (plSampWritten != nullptr) *plSampWritten = 0;
  if (plBytesWritten != nullptr) *plBytesWritten = 0;
  IAVIStream* stream = liveStream(pavi);
  if (stream == nullptr) return AVIERR_BADHANDLE;
  if (lSamples <= 0 || cbBuffer < 0 || (lpBuffer == nullptr && cbBuffer > 0)) return AVIERR_BADPARAM;
  if (!stream->writer) return AVIERR_READONLY;
  HRESULT result = AVIERR_OK;
  if (stream->compressed) {
    result = writeCompressed(*stream, lpBuffer, cbBuffer, plBytesWritten);
  } else if (!stream->writer->writeSample(stream->index, lpBuffer, static_cast<uint32_t>(cbBuffer),
                                          static_cast<DWORD>(lSamples), (dwFlags & AVIIF_KEYFRAME) != 0)) {
    result = AVIERR_FILEWRITE;
  } else if (plBytesWritten != nullptr) {
    *plBytesWritten = cbBuffer;
  }
  if (result == AVIERR_OK && plSampWritten != nullptr) *plSampWritten = stream->compressed ? 1 : lSamples;
  return result;
}

PLATFORM_API ULONG WINAPI AVIStreamRelease(PAVISTREAM pavi) {
  liveStreams().take(pavi);
  return 0;
}
