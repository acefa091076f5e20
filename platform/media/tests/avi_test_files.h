// AVI files written through the layer's own calls, for the tests.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>
#include <vfw.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace avitest {

inline int rowBytes(int width) { return (width * 3 + 3) & ~3; }

// A bottom-up BGR frame whose blue ramp moves with the frame number, so
// that neighbouring frames differ clearly.
inline std::vector<uint8_t> patternFrame(int width, int height, int frame) {
  std::vector<uint8_t> pixels(static_cast<size_t>(rowBytes(width)) * height, 0);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = pixels.data() + static_cast<size_t>(y) * rowBytes(width) + x * 3;
      p[0] = static_cast<uint8_t>((x * 2 + frame * 24) % 200);
      p[1] = static_cast<uint8_t>(y * 4);
      p[2] = 128;
    }
  }
  return pixels;
}

// Mean absolute difference of two frames' pixels.
inline double difference(const uint8_t* a, const uint8_t* b, int width, int height) {
  double sum = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width * 3; ++x) {
      const size_t at = static_cast<size_t>(y) * rowBytes(width) + x;
      sum += std::abs(int{a[at]} - int{b[at]});
    }
  }
  return sum / (width * 3.0 * height);
}

inline BITMAPINFOHEADER frameFormat(int width, int height) {
  BITMAPINFOHEADER h{};
  h.biSize = sizeof h;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = 24;
  h.biCompression = BI_RGB;
  h.biSizeImage = static_cast<DWORD>(rowBytes(width) * height);
  return h;
}

inline AVISTREAMINFOA videoInfo(int width, int height) {
  AVISTREAMINFOA info{};
  info.fccType = streamtypeVIDEO;
  info.fccHandler = mmioFOURCC('D', 'I', 'B', ' ');
  info.dwScale = 1;
  info.dwRate = 60;
  info.dwLength = 600;
  info.dwQuality = static_cast<DWORD>(-1);
  info.rcFrame = RECT{0, 0, width, height};
  std::strcpy(info.szName, "Video #1");
  return info;
}

inline AVICOMPRESSOPTIONS divxOptions() {
  AVICOMPRESSOPTIONS options{};
  options.fccType = streamtypeVIDEO;
  options.fccHandler = mmioFOURCC('D', 'I', 'V', 'X');
  options.dwQuality = static_cast<DWORD>(-1);
  options.dwFlags = AVICOMPRESSF_VALID;
  return options;
}

// Writes `frames` pattern frames compressed as the recording does.
inline void writeCompressed(const std::string& path, int width, int height, int frames) {
  PAVIFILE file = nullptr;
  PAVISTREAM raw = nullptr;
  PAVISTREAM compressed = nullptr;
  AVISTREAMINFOA info = videoInfo(width, height);
  AVICOMPRESSOPTIONS options = divxOptions();
  BITMAPINFOHEADER format = frameFormat(width, height);
  ASSERT_EQ(AVIFileOpenA(&file, path.c_str(), OF_WRITE | OF_CREATE | OF_SHARE_DENY_NONE, nullptr), AVIERR_OK);
  ASSERT_EQ(AVIFileCreateStreamA(file, &raw, &info), AVIERR_OK);
  ASSERT_EQ(AVIMakeCompressedStream(&compressed, raw, &options, nullptr), AVIERR_OK);
  ASSERT_EQ(AVIStreamSetFormat(compressed, 0, &format, sizeof format), AVIERR_OK);
  for (int n = 0; n < frames; ++n) {
    std::vector<uint8_t> pixels = patternFrame(width, height, n);
    ASSERT_EQ(AVIStreamWrite(compressed, n, 1, pixels.data(), static_cast<LONG>(pixels.size()), AVIIF_KEYFRAME,
                             nullptr, nullptr),
              AVIERR_OK);
  }
  AVIStreamRelease(compressed);
  AVIStreamRelease(raw);
  AVIFileRelease(file);
}

inline std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class TempFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvane_avi_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string path(const std::string& name) const { return dir_ + "/" + name; }
  std::string dir_;
};

}  // namespace avitest
