// The recording's AVI file. The objects live here behind one lock: the
// callback writes on the streaming thread while the caller's thread opens
// and closes, and the layer's objects are not made for sharing.
#include "recording/video_file.h"

#include <cstring>

namespace vekmath {
namespace {

struct VideoFile {
  std::mutex lock;
  PAVIFILE file = nullptr;
  PAVISTREAM raw = nullptr;
  PAVISTREAM compressed = nullptr;
  COMPVARS compressor{};
};

VideoFile& videoFile() {
  static VideoFile state;
  return state;
}

constexpr DWORD kDivx = mmioFOURCC('D', 'I', 'V', 'X');

AVISTREAMINFOA streamHeader(const VideoFormat& format) {
  AVISTREAMINFOA info{};
  info.fccType = streamtypeVIDEO;
  info.fccHandler = mmioFOURCC('D', 'I', 'B', ' ');
  info.dwScale = 1;
  info.dwRate = 60;
  info.dwStart = 0;
  info.dwLength = 600;
  info.dwQuality = static_cast<DWORD>(-1);
  info.dwSampleSize = 0;
  info.rcFrame = RECT{0, 0, format.width, format.height};
  std::strcpy(info.szName, "Video #1");
  return info;
}

BITMAPINFOHEADER frameFormat(const VideoFormat& format) {
  BITMAPINFOHEADER h{};
  h.biSize = sizeof(BITMAPINFOHEADER);
  h.biWidth = format.width;
  h.biHeight = format.height;
  h.biPlanes = 1;
  h.biBitCount = 24;
  h.biCompression = BI_RGB;
  h.biSizeImage = static_cast<DWORD>(format.imageSize);
  return h;
}

AVICOMPRESSOPTIONS compressOptions() {
  AVICOMPRESSOPTIONS o{};
  o.fccType = streamtypeVIDEO;
  o.fccHandler = kDivx;
  o.dwKeyFrameEvery = 0;
  o.dwQuality = static_cast<DWORD>(ICQUALITY_DEFAULT);
  o.dwBytesPerSecond = 0;
  o.dwFlags = AVICOMPRESSF_VALID;
  o.dwInterleaveEvery = 0;
  return o;
}

void closeLocked(VideoFile& v) {
  if (v.compressed != nullptr) AVIStreamRelease(v.compressed);
  if (v.raw != nullptr) AVIStreamRelease(v.raw);
  if (v.file != nullptr) AVIFileRelease(v.file);
  v.compressed = v.raw = nullptr;
  v.file = nullptr;
  if (v.compressor.cbSize != 0) ICCompressorFree(&v.compressor);
  v.compressor = COMPVARS{};
}

}  // namespace

int32_t OpenAviStream(const char* path, const VideoFormat& format) {
  VideoFile& v = videoFile();
  std::lock_guard<std::mutex> hold(v.lock);
  closeLocked(v);
  AVISTREAMINFOA header = streamHeader(format);
  BITMAPINFOHEADER bitmap = frameFormat(format);
  AVIFileInit();
  v.compressor.cbSize = sizeof(COMPVARS);
  v.compressor.dwFlags = ICMF_COMPVARS_VALID;
  v.compressor.fccType = ICTYPE_VIDEO;
  v.compressor.fccHandler = kDivx;
  v.compressor.lQ = ICQUALITY_DEFAULT;
  AVICOMPRESSOPTIONS options = compressOptions();
  // Each step works on what the one before made, so the first failure ends
  // the opening; what did open is closed with the rest.
  if (path == nullptr || AVIFileOpenA(&v.file, path, OF_WRITE | OF_CREATE | OF_SHARE_DENY_NONE, nullptr) != 0) {
    v.file = nullptr;
    return 1;
  }
  if (AVIFileCreateStreamA(v.file, &v.raw, &header) != 0) {
    v.raw = nullptr;
    return 2;
  }
  if (AVIMakeCompressedStream(&v.compressed, v.raw, &options, nullptr) != 0) {
    v.compressed = nullptr;
    return 3;
  }
  if (AVIStreamSetFormat(v.compressed, 0, &bitmap, sizeof(bitmap)) != 0) return 4;
  return 0;
}

void CloseAviStream() {
  VideoFile& v = videoFile();
  std::lock_guard<std::mutex> hold(v.lock);
  closeLocked(v);
}

void FreeCompressorSettings() {
  VideoFile& v = videoFile();
  std::lock_guard<std::mutex> hold(v.lock);
  if (v.compressor.cbSize != 0) ICCompressorFree(&v.compressor);
  v.compressor = COMPVARS{};
}

OpenVideoStream::OpenVideoStream() : lock_(videoFile().lock), stream_(videoFile().compressed) {}

}  // namespace vekmath
