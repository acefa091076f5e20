#include <gtest/gtest.h>
#include <vekmath.h>
#include <vfw.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "camera/camera_state.h"
#include "recording/video_file.h"
#include "video/avi_frames.h"

namespace {

constexpr int kWidth = 32;
constexpr int kHeight = 16;
constexpr long kImageSize = kWidth * kHeight * 3;

std::vector<uint8_t> pattern(int seed) {
  std::vector<uint8_t> pixels(kImageSize);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>((i / 3 % kWidth) * 4 + seed * 40);
  return pixels;
}

double difference(const uint8_t* a, const std::vector<uint8_t>& b) {
  double sum = 0;
  for (size_t i = 0; i < b.size(); ++i) sum += std::abs(int{a[i]} - int{b[i]});
  return sum / static_cast<double>(b.size());
}

struct StreamSpec {
  FOURCC type;
  WORD priority;
  int seed;  // frame n holds pattern(seed + n)
};

// Uncompressed streams, two samples each, written through the layer.
void writeFile(const std::string& path, const std::vector<StreamSpec>& specs) {
  PAVIFILE file = nullptr;
  ASSERT_EQ(AVIFileOpenA(&file, path.c_str(), OF_WRITE | OF_CREATE, nullptr), AVIERR_OK);
  std::vector<PAVISTREAM> streams;
  for (const StreamSpec& spec : specs) {
    AVISTREAMINFOA info{};
    info.fccType = spec.type;
    info.wPriority = spec.priority;
    info.dwScale = 1;
    info.dwRate = spec.type == streamtypeVIDEO ? 30 : 8000;
    info.rcFrame = RECT{0, 0, kWidth, kHeight};
    PAVISTREAM stream = nullptr;
    ASSERT_EQ(AVIFileCreateStreamA(file, &stream, &info), AVIERR_OK);
    BITMAPINFOHEADER format{sizeof(BITMAPINFOHEADER), kWidth, kHeight, 1, 24, BI_RGB, kImageSize, 0, 0, 0, 0};
    ASSERT_EQ(AVIStreamSetFormat(stream, 0, &format, sizeof format), AVIERR_OK);
    streams.push_back(stream);
  }
  for (int n = 0; n < 2; ++n) {
    for (size_t s = 0; s < specs.size(); ++s) {
      std::vector<uint8_t> pixels = pattern(specs[s].seed + n);
      ASSERT_EQ(AVIStreamWrite(streams[s], n, 1, pixels.data(), kImageSize, AVIIF_KEYFRAME, nullptr, nullptr),
                AVIERR_OK);
    }
  }
  for (PAVISTREAM stream : streams) AVIStreamRelease(stream);
  AVIFileRelease(file);
}

class VideoFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/vekmath_video_XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    dir_ = name;
    std::filesystem::create_directories(dir_ + "/c/Cam/BMP");
    ::setenv("ORVANE_ROOT", dir_.c_str(), 1);
    vekmath::CameraState& camera = vekmath::Camera();
    camera.baseFolder = "C:\\Cam\\";
    camera.width = kWidth;
    camera.height = kHeight;
    camera.imageSize = kImageSize;
    camera.stillBitOffset = 54;
  }
  void TearDown() override {
    vekmath::CloseAviStream();
    vekmath::Camera().baseFolder.clear();
    vekmath::Camera().imageSize = 0;
    ::unsetenv("ORVANE_ROOT");
    std::filesystem::remove_all(dir_);
  }
  std::string path(const char* name) const { return dir_ + "/c/" + name; }
  void writeStill(int number, int seed) const {
    char name[32];
    std::snprintf(name, sizeof name, "/CAP%010d.bmp", number);
    std::ofstream out(dir_ + "/c/Cam/BMP" + name, std::ios::binary);
    out << std::string(54, 'H');
    const std::vector<uint8_t> pixels = pattern(seed);
    out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
  }
  std::string dir_;
};

// Painted pixels, or empty when nothing was painted.
struct Painted {
  std::vector<uint8_t> pixels;
  BITMAPINFOHEADER header{};
  vekmath::FramePainter painter() {
    return [this](const uint8_t* p, const BITMAPINFOHEADER& h) {
      header = h;
      pixels.assign(p, p + h.biSizeImage);
    };
  }
};

TEST_F(VideoFiles, ReadAviFramesPaintsTheFirstVideoStreamOfLowestPriorityPastTheSound) {
  writeFile(path("mixed.avi"), {{streamtypeAUDIO, 0, 90},
                                {streamtypeVIDEO, 2, 10},
                                {streamtypeVIDEO, 1, 20},
                                {streamtypeVIDEO, 1, 30}});
  Painted painted;
  EXPECT_EQ(vekmath::PaintAviFrame("C:\\mixed.avi", 1, painted.painter()), 0);
  EXPECT_EQ(painted.header.biWidth, kWidth);
  EXPECT_EQ(painted.pixels, pattern(21));
}

TEST_F(VideoFiles, ReadAviFramesReportsEveryFileItCannotPaint) {
  writeFile(path("sound.avi"), {{streamtypeAUDIO, 0, 1}});
  writeFile(path("empty.avi"), {});
  writeFile(path("video.avi"), {{streamtypeVIDEO, 0, 1}});
  const struct {
    const char* file;
    LONG frame;
    LONG expected;
  } cases[] = {{"C:\\missing.avi", 0, AVIERR_FILEOPEN},
               {"C:\\empty.avi", 0, 0},
               {"C:\\sound.avi", 0, 1},
               {"C:\\video.avi", 2, AVIERR_NODATA},
               {"C:\\video.avi", -1, AVIERR_NODATA}};
  for (const auto& c : cases) {
    Painted painted;
    EXPECT_EQ(vekmath::PaintAviFrame(c.file, c.frame, painted.painter()), c.expected) << c.file << " " << c.frame;
    EXPECT_TRUE(painted.pixels.empty()) << c.file;
  }
}

TEST_F(VideoFiles, GetAviFileInfoFillsTheRecordOrZeroesItForAFileItCannotRead) {
  writeFile(path("two.avi"), {{streamtypeAUDIO, 0, 1}, {streamtypeVIDEO, 0, 1}});
  AVIFILEINFOA info;
  std::memset(&info, 0xAB, sizeof info);
  GetAviFileInfo("C:\\two.avi", &info);
  EXPECT_EQ(info.dwStreams, 2u);
  EXPECT_EQ(info.dwLength, 2u);
  EXPECT_EQ(info.dwWidth, static_cast<DWORD>(kWidth));
  GetAviFileInfo("C:\\missing.avi", &info);
  EXPECT_EQ(info.dwStreams, 0u);
  EXPECT_EQ(info.szFileType[0], '\0');
}

TEST_F(VideoFiles, WriteAviFromBitmapsWithoutAnOpenVideoFileDoesNothing) {
  writeStill(0, 1);
  testing::internal::CaptureStdout();
  WriteAviFromBitmaps(1, "");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

// The stills found become frames; a missing one is reported and ends the
// file with the stills before it; the file is closed in every case.
TEST_F(VideoFiles, WriteAviFromBitmapsAppendsTheStillsAndClosesTheFile) {
  const struct {
    int stills;
    LONG count;
    const char* printed;
    DWORD frames;
  } cases[] = {{0, 0, "", 0}, {3, 3, "", 3}, {2, 4, "Error:\tfopen [bufDBG]\n\n", 2}};
  int round = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.count);
    std::filesystem::remove_all(dir_ + "/c/Cam/BMP");
    std::filesystem::create_directories(dir_ + "/c/Cam/BMP");
    for (int n = 0; n < c.stills; ++n) writeStill(n, n * 2);
    const std::string name = "C:\\stills" + std::to_string(++round) + ".avi";
    ASSERT_EQ(vekmath::OpenAviStream(name.c_str(), vekmath::VideoFormat{kWidth, kHeight, kImageSize}), 0);
    testing::internal::CaptureStdout();
    WriteAviFromBitmaps(c.count, "unused");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed);
    EXPECT_EQ(vekmath::OpenVideoStream().stream(), nullptr);
    AVIFILEINFOA info{};
    GetAviFileInfo(name.c_str(), &info);
    EXPECT_EQ(info.dwLength, c.frames);
    if (c.frames == 0) continue;
    Painted painted;
    ASSERT_EQ(vekmath::PaintAviFrame(name.c_str(), static_cast<LONG>(c.frames - 1), painted.painter()), 0);
    EXPECT_LT(difference(painted.pixels.data(), pattern(static_cast<int>(c.frames - 1) * 2)), 8.0);
  }
}

}  // namespace
