#include <gtest/gtest.h>
#include <stdlib.h>
#include <vfw.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "avi_test_files.h"

namespace {

using avitest::TempFolder;

constexpr int kWidth = 64;
constexpr int kHeight = 48;

std::string run(const std::string& command) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  std::string out;
  char buffer[256];
  while (pipe && std::fgets(buffer, sizeof buffer, pipe.get()) != nullptr) out += buffer;
  return out;
}

class CompressedAvi : public TempFolder {};

TEST_F(CompressedAvi, AnOutsideProbeReadsEveryFrameAsMpeg4TaggedDivx) {
  if (run("command -v ffprobe").empty()) GTEST_SKIP() << "ffprobe is not installed";
  const std::string file = path("probe.avi");
  avitest::writeCompressed(file, kWidth, kHeight, 10);
  const std::string out = run("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                              "stream=codec_name,codec_tag_string,nb_read_frames -of default=noprint_wrappers=1 '" +
                              file + "'");
  EXPECT_NE(out.find("codec_name=mpeg4"), std::string::npos) << out;
  EXPECT_NE(out.find("codec_tag_string=DIVX"), std::string::npos) << out;
  EXPECT_NE(out.find("nb_read_frames=10"), std::string::npos) << out;
}

// Frames between key frames depend on those before them: each read,
// forwards, backwards or repeated, must give its own frame.
TEST_F(CompressedAvi, EveryFrameReadsBackAsTheFrameWrittenInAnyOrder) {
  const std::string file = path("frames.avi");
  constexpr int kFrames = 30;
  avitest::writeCompressed(file, kWidth, kHeight, kFrames);
  PAVIFILE avi = nullptr;
  PAVISTREAM stream = nullptr;
  ASSERT_EQ(AVIFileOpenA(&avi, file.c_str(), OF_SHARE_DENY_NONE, nullptr), AVIERR_OK);
  ASSERT_EQ(AVIFileGetStream(avi, &stream, streamtypeVIDEO, 0), AVIERR_OK);
  PGETFRAME frames = AVIStreamGetFrameOpen(stream, nullptr);
  ASSERT_NE(frames, nullptr);
  for (int position : {0, 1, 20, 13, 13, 29, 2, 28}) {
    SCOPED_TRACE(position);
    const auto* dib = static_cast<const uint8_t*>(AVIStreamGetFrame(frames, position));
    ASSERT_NE(dib, nullptr);
    BITMAPINFOHEADER header;
    std::memcpy(&header, dib, sizeof header);
    EXPECT_EQ(header.biWidth, kWidth);
    EXPECT_EQ(header.biHeight, kHeight);
    EXPECT_EQ(header.biBitCount, 24);
    const uint8_t* pixels = dib + sizeof header;
    const double own = avitest::difference(pixels, avitest::patternFrame(kWidth, kHeight, position).data(), kWidth,
                                           kHeight);
    const double next = avitest::difference(
        pixels, avitest::patternFrame(kWidth, kHeight, position + 1).data(), kWidth, kHeight);
    EXPECT_LT(own, 6.0);
    EXPECT_GT(next, 2 * own + 4);
  }
  // Right past either end there is no frame, and the last one still decodes.
  for (LONG outside : {kFrames, -1, kFrames}) EXPECT_EQ(AVIStreamGetFrame(frames, outside), nullptr) << outside;
  EXPECT_NE(AVIStreamGetFrame(frames, kFrames - 1), nullptr);
  EXPECT_EQ(AVIStreamGetFrameClose(frames), AVIERR_OK);
  AVIStreamRelease(stream);
  AVIFileRelease(avi);
}

TEST_F(CompressedAvi, InformationRecordsDescribeTheWrittenFile) {
  const std::string file = path("info.avi");
  avitest::writeCompressed(file, kWidth, kHeight, 7);
  PAVIFILE avi = nullptr;
  PAVISTREAM stream = nullptr;
  ASSERT_EQ(AVIFileOpenA(&avi, file.c_str(), OF_SHARE_DENY_NONE, nullptr), AVIERR_OK);
  AVIFILEINFOA fileInfo{};
  ASSERT_EQ(AVIFileInfoA(avi, &fileInfo, sizeof fileInfo), AVIERR_OK);
  EXPECT_EQ(fileInfo.dwStreams, 1u);
  EXPECT_EQ(fileInfo.dwWidth, static_cast<DWORD>(kWidth));
  EXPECT_EQ(fileInfo.dwHeight, static_cast<DWORD>(kHeight));
  EXPECT_EQ(fileInfo.dwLength, 7u);
  EXPECT_NEAR(double(fileInfo.dwRate) / fileInfo.dwScale, 60.0, 0.01);
  EXPECT_NE(fileInfo.dwFlags & AVIFILEINFO_HASINDEX, 0u);
  ASSERT_EQ(AVIFileGetStream(avi, &stream, 0, 0), AVIERR_OK);
  AVISTREAMINFOA info{};
  ASSERT_EQ(AVIStreamInfoA(stream, &info, sizeof info), AVIERR_OK);
  EXPECT_EQ(info.fccType, streamtypeVIDEO);
  EXPECT_EQ(info.fccHandler, mmioFOURCC('D', 'I', 'V', 'X'));
  EXPECT_EQ(info.dwScale, 1u);
  EXPECT_EQ(info.dwRate, 60u);
  EXPECT_EQ(info.dwLength, 7u);  // the frames written, not the length asked for
  EXPECT_EQ(info.dwQuality, static_cast<DWORD>(-1));
  EXPECT_EQ(info.rcFrame.right, kWidth);
  EXPECT_EQ(info.rcFrame.bottom, kHeight);
  EXPECT_STREQ(info.szName, "Video #1");
  // The name chunk holds the name and its terminator: readers of other
  // makers take its size as the text's, terminator included.
  const std::string bytes = avitest::fileBytes(file);
  const size_t strn = bytes.find("strn");
  ASSERT_NE(strn, std::string::npos);
  ASSERT_LE(strn + 8 + 9, bytes.size());
  uint32_t nameSize = 0;
  std::memcpy(&nameSize, bytes.data() + strn + 4, 4);
  EXPECT_EQ(nameSize, 9u);
  EXPECT_EQ(bytes.substr(strn + 8, 9), std::string("Video #1", 9));
  PAVISTREAM none = nullptr;
  EXPECT_EQ(AVIFileGetStream(avi, &none, 0, 1), AVIERR_NODATA);
  EXPECT_EQ(none, nullptr);
  AVIStreamRelease(stream);
  AVIFileRelease(avi);
}

TEST_F(CompressedAvi, TheSwitchLeavesNoCompressorSoTheCompressedStreamFails) {
  PAVIFILE avi = nullptr;
  PAVISTREAM raw = nullptr;
  AVISTREAMINFOA info = avitest::videoInfo(kWidth, kHeight);
  AVICOMPRESSOPTIONS options = avitest::divxOptions();
  ASSERT_EQ(AVIFileOpenA(&avi, path("none.avi").c_str(), OF_WRITE | OF_CREATE, nullptr), AVIERR_OK);
  ASSERT_EQ(AVIFileCreateStreamA(avi, &raw, &info), AVIERR_OK);
  ::setenv("ORVANE_VIDEO_COMPRESSORS", "none", 1);
  PAVISTREAM compressed = reinterpret_cast<PAVISTREAM>(1);
  EXPECT_EQ(AVIMakeCompressedStream(&compressed, raw, &options, nullptr), AVIERR_NOCOMPRESSOR);
  EXPECT_EQ(compressed, nullptr);
  ::unsetenv("ORVANE_VIDEO_COMPRESSORS");
  options.fccHandler = mmioFOURCC('X', 'Y', 'Z', '1');
  EXPECT_EQ(AVIMakeCompressedStream(&compressed, raw, &options, nullptr), AVIERR_NOCOMPRESSOR);
  AVIStreamRelease(raw);
  AVIFileRelease(avi);
}

// Each size the stream calls check, right at its edge: the smallest that is
// taken and the one below it.
TEST_F(CompressedAvi, SizesAreTakenFromTheirEdgeAndRefusedBelowIt) {
  PAVIFILE avi = nullptr;
  PAVISTREAM raw = nullptr;
  PAVISTREAM compressed = nullptr;
  AVISTREAMINFOA info = avitest::videoInfo(kWidth, kHeight);
  AVICOMPRESSOPTIONS options = avitest::divxOptions();
  BITMAPINFOHEADER format = avitest::frameFormat(kWidth, kHeight);
  ASSERT_EQ(AVIFileOpenA(&avi, path("edges.avi").c_str(), OF_WRITE | OF_CREATE, nullptr), AVIERR_OK);
  ASSERT_EQ(AVIFileCreateStreamA(avi, &raw, &info), AVIERR_OK);
  ASSERT_EQ(AVIMakeCompressedStream(&compressed, raw, &options, nullptr), AVIERR_OK);
  EXPECT_EQ(AVIStreamSetFormat(compressed, 0, &format, 0), AVIERR_BADPARAM);
  EXPECT_EQ(AVIStreamSetFormat(compressed, 0, &format, sizeof format - 1), AVIERR_BADFORMAT);
  ASSERT_EQ(AVIStreamSetFormat(compressed, 0, &format, sizeof format), AVIERR_OK);
  std::vector<uint8_t> pixels = avitest::patternFrame(kWidth, kHeight, 0);
  const LONG image = static_cast<LONG>(pixels.size());
  const struct {
    LONG samples, bytes;
    HRESULT result;
  } writes[] = {{0, image, AVIERR_BADPARAM}, {1, image - 1, AVIERR_BADSIZE}, {1, image, AVIERR_OK}};
  for (const auto& w : writes) {
    LONG written = -1;
    EXPECT_EQ(AVIStreamWrite(compressed, 0, w.samples, pixels.data(), w.bytes, AVIIF_KEYFRAME, &written, nullptr),
              w.result)
        << w.samples << " " << w.bytes;
    EXPECT_EQ(written, w.result == AVIERR_OK ? 1 : 0);
  }
  AVISTREAMINFOA read{};
  EXPECT_EQ(AVIStreamInfoA(compressed, &read, -1), AVIERR_BADPARAM);
  EXPECT_EQ(AVIStreamInfoA(compressed, &read, 0), AVIERR_OK);
  AVIStreamRelease(compressed);
  AVIStreamRelease(raw);
  AVIFileRelease(avi);
}

}  // namespace
