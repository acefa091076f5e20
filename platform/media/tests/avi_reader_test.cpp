#include <gtest/gtest.h>
#include <vfw.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "avi_test_files.h"

namespace {

using avitest::TempFolder;

constexpr int kWidth = 20;  // rows padded: 60 bytes of pixels in 60
constexpr int kHeight = 6;

class AviReading : public TempFolder {};

// Sound first, then two uncompressed video streams, their chunks
// interleaved: each stream must find its own samples through the index.
TEST_F(AviReading, InterleavedStreamsEachReadTheirOwnSamples) {
  const std::string file = path("mixed.avi");
  PAVIFILE avi = nullptr;
  ASSERT_EQ(AVIFileOpenA(&avi, file.c_str(), OF_WRITE | OF_CREATE, nullptr), AVIERR_OK);
  AVISTREAMINFOA sound{};
  sound.fccType = streamtypeAUDIO;
  sound.dwScale = 2;
  sound.dwRate = 16000;
  sound.dwSampleSize = 2;
  PAVISTREAM streams[3] = {};
  ASSERT_EQ(AVIFileCreateStreamA(avi, &streams[0], &sound), AVIERR_OK);
  const BITMAPINFOHEADER format = avitest::frameFormat(kWidth, kHeight);
  for (int v = 1; v <= 2; ++v) {
    AVISTREAMINFOA video = avitest::videoInfo(kWidth, kHeight);
    video.wPriority = static_cast<WORD>(3 - v);
    ASSERT_EQ(AVIFileCreateStreamA(avi, &streams[v], &video), AVIERR_OK);
    ASSERT_EQ(AVIStreamSetFormat(streams[v], 0, const_cast<BITMAPINFOHEADER*>(&format), sizeof format), AVIERR_OK);
  }
  const uint8_t waveFormat[18] = {1, 0, 1, 0, 0x80, 0x3E, 0, 0, 0, 0x7D, 0, 0, 2, 0, 16, 0, 0, 0};
  ASSERT_EQ(AVIStreamSetFormat(streams[0], 0, const_cast<uint8_t*>(waveFormat), sizeof waveFormat), AVIERR_OK);
  std::vector<uint8_t> soundBytes(99, 7);
  for (int n = 0; n < 4; ++n) {
    for (int v = 1; v <= 2; ++v) {
      std::vector<uint8_t> pixels = avitest::patternFrame(kWidth, kHeight, n + 10 * v);
      ASSERT_EQ(AVIStreamWrite(streams[v], n, 1, pixels.data(), static_cast<LONG>(pixels.size()), AVIIF_KEYFRAME,
                               nullptr, nullptr),
                AVIERR_OK);
    }
    ASSERT_EQ(AVIStreamWrite(streams[0], 0, 49, soundBytes.data(), 99, 0, nullptr, nullptr), AVIERR_OK);
  }
  for (PAVISTREAM s : streams) AVIStreamRelease(s);
  AVIFileRelease(avi);

  ASSERT_EQ(AVIFileOpenA(&avi, file.c_str(), OF_READ | OF_SHARE_DENY_NONE, nullptr), AVIERR_OK);
  AVIFILEINFOA fileInfo{};
  ASSERT_EQ(AVIFileInfoA(avi, &fileInfo, sizeof fileInfo), AVIERR_OK);
  EXPECT_EQ(fileInfo.dwStreams, 3u);
  PAVISTREAM audio = nullptr;
  ASSERT_EQ(AVIFileGetStream(avi, &audio, streamtypeAUDIO, 0), AVIERR_OK);
  AVISTREAMINFOA info{};
  ASSERT_EQ(AVIStreamInfoA(audio, &info, sizeof info), AVIERR_OK);
  EXPECT_EQ(info.dwLength, 4u * 49u);
  EXPECT_EQ(AVIStreamGetFrameOpen(audio, nullptr), nullptr);
  AVIStreamRelease(audio);
  for (int v = 1; v <= 2; ++v) {
    PAVISTREAM video = nullptr;
    ASSERT_EQ(AVIFileGetStream(avi, &video, streamtypeVIDEO, v - 1), AVIERR_OK);
    ASSERT_EQ(AVIStreamInfoA(video, &info, sizeof info), AVIERR_OK);
    EXPECT_EQ(info.wPriority, 3 - v);
    PGETFRAME frames = AVIStreamGetFrameOpen(video, nullptr);
    ASSERT_NE(frames, nullptr);
    for (int n : {3, 0, 2}) {
      const auto* dib = static_cast<const uint8_t*>(AVIStreamGetFrame(frames, n));
      ASSERT_NE(dib, nullptr);
      const std::vector<uint8_t> written = avitest::patternFrame(kWidth, kHeight, n + 10 * v);
      EXPECT_EQ(0, std::memcmp(dib + sizeof(BITMAPINFOHEADER), written.data(), written.size())) << v << " " << n;
    }
    AVIStreamGetFrameClose(frames);
    AVIStreamRelease(video);
  }
  AVIFileRelease(avi);
}

TEST_F(AviReading, FilesThatAreNotAviAreRefusedWithTheirReason) {
  std::ofstream(path("text.avi")) << "not a riff file at all";
  std::ofstream(path("wave.avi"), std::ios::binary) << std::string("RIFF\x04\0\0\0WAVE", 12);
  const struct {
    const char* name;
    HRESULT expected;
  } cases[] = {{"missing.avi", AVIERR_FILEOPEN}, {"text.avi", AVIERR_BADFORMAT}, {"wave.avi", AVIERR_BADFORMAT}};
  for (const auto& c : cases) {
    PAVIFILE avi = reinterpret_cast<PAVIFILE>(1);
    EXPECT_EQ(AVIFileOpenA(&avi, path(c.name).c_str(), OF_SHARE_DENY_NONE, nullptr), c.expected) << c.name;
    EXPECT_EQ(avi, nullptr) << c.name;
  }
}

constexpr int kSmall = 4;

// A file of one small uncompressed frame, pattern 3.
std::string smallFile(const std::string& written) {
  PAVIFILE avi = nullptr;
  PAVISTREAM video = nullptr;
  EXPECT_EQ(AVIFileOpenA(&avi, written.c_str(), OF_WRITE | OF_CREATE, nullptr), AVIERR_OK);
  AVISTREAMINFOA info = avitest::videoInfo(kSmall, kSmall);
  EXPECT_EQ(AVIFileCreateStreamA(avi, &video, &info), AVIERR_OK);
  BITMAPINFOHEADER format = avitest::frameFormat(kSmall, kSmall);
  EXPECT_EQ(AVIStreamSetFormat(video, 0, &format, sizeof format), AVIERR_OK);
  const std::vector<uint8_t> pixels = avitest::patternFrame(kSmall, kSmall, 3);
  EXPECT_EQ(AVIStreamWrite(video, 0, 1, const_cast<uint8_t*>(pixels.data()), static_cast<LONG>(pixels.size()),
                           AVIIF_KEYFRAME, nullptr, nullptr),
            AVIERR_OK);
  AVIStreamRelease(video);
  AVIFileRelease(avi);
  return avitest::fileBytes(written);
}

// Whether the file's first video frame reads back as pattern 3.
void expectSmallFrame(PAVIFILE avi) {
  PAVISTREAM video = nullptr;
  ASSERT_EQ(AVIFileGetStream(avi, &video, streamtypeVIDEO, 0), AVIERR_OK);
  PGETFRAME frames = AVIStreamGetFrameOpen(video, nullptr);
  ASSERT_NE(frames, nullptr);
  const auto* dib = static_cast<const uint8_t*>(AVIStreamGetFrame(frames, 0));
  const std::vector<uint8_t> pixels = avitest::patternFrame(kSmall, kSmall, 3);
  EXPECT_TRUE(dib != nullptr && std::memcmp(dib + sizeof(BITMAPINFOHEADER), pixels.data(), pixels.size()) == 0);
  AVIStreamGetFrameClose(frames);
  AVIStreamRelease(video);
}

std::string le32(uint32_t value) { return std::string(reinterpret_cast<const char*>(&value), 4); }

// Without an index the frames are found inside record lists nested to any
// depth the file holds, and a list claiming more than its parent holds
// refuses the file.
TEST_F(AviReading, NestedRecordListsAreWalkedToAnyDepth) {
  const std::string good = smallFile(path("small.avi"));
  const size_t movi = good.find("movi");
  const size_t idx1 = good.find("idx1");
  ASSERT_NE(idx1, std::string::npos);
  const std::string frame = good.substr(movi + 4, idx1 - movi - 4);
  const struct {
    int depth;
    uint32_t overclaim;  // added to the innermost list's size
    HRESULT open;
  } cases[] = {{0, 0, AVIERR_OK}, {3, 0, AVIERR_OK}, {100000, 0, AVIERR_OK}, {3, 2, AVIERR_BADFORMAT}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.depth);
    std::string lists(12 * static_cast<size_t>(c.depth), '\0');
    for (int d = 0; d < c.depth; ++d) {  // from the innermost out
      const uint32_t claim = static_cast<uint32_t>(4 + 12 * d + frame.size()) + (d == 0 ? c.overclaim : 0);
      lists.replace(12 * static_cast<size_t>(c.depth - 1 - d), 12, "LIST" + le32(claim) + "rec ");
    }
    lists += frame;
    // A second frame after the lists keeps an overclaim inside the file.
    lists += frame;
    std::string bytes = good.substr(0, movi - 8) + "LIST" + le32(static_cast<uint32_t>(4 + lists.size())) + "movi" + lists;
    bytes.replace(4, 4, le32(static_cast<uint32_t>(bytes.size() - 8)));
    const std::string file = path("nested.avi");
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    PAVIFILE avi = nullptr;
    ASSERT_EQ(AVIFileOpenA(&avi, file.c_str(), OF_SHARE_DENY_NONE, nullptr), c.open);
    if (avi == nullptr) continue;
    AVIFILEINFOA info{};
    EXPECT_EQ(AVIFileInfoA(avi, &info, sizeof info), AVIERR_OK);
    EXPECT_EQ(info.dwStreams, 1u);
    expectSmallFrame(avi);
    AVIFileRelease(avi);
  }
}

// Sizes and offsets that a file claims beyond its own end are refused
// before anything is allocated for them; the frames the file does hold
// are found by walking its data list instead of the broken index.
TEST_F(AviReading, ClaimsBeyondTheFileAreRefused) {
  const std::string good = smallFile(path("small.avi"));
  const size_t idx1 = good.find("idx1");
  const size_t strf = good.find("strf");
  ASSERT_NE(idx1, std::string::npos);
  ASSERT_NE(strf, std::string::npos);
  const struct {
    const char* what;
    size_t at;  // the 32-bit field changed
    uint32_t value;
    HRESULT open;
    uint64_t grownTo = 0;  // the file made this long, sparse
  } cases[] = {
      {"index entry size", idx1 + 8 + 12, 0xA9000030u, AVIERR_OK},
      {"index entry offset", idx1 + 8 + 8, 0x7FFFFFF0u, AVIERR_OK},
      {"index size", idx1 + 4, 0xA9000030u, AVIERR_OK},
      {"format size", strf + 4, 0xA9000030u, AVIERR_BADFORMAT},
      {"file size (a copy cut short)", 4, 0xA9000030u, AVIERR_OK},
      {"data list size (a copy cut short)", good.find("movi") - 4, 0xA9000030u, AVIERR_OK},
      {"no file size in a file beyond 4 GB", 4, 0, AVIERR_OK, (uint64_t{1} << 32) + 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bytes = good;
    std::memcpy(bytes.data() + c.at, &c.value, 4);
    const std::string file = path("claims.avi");
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    if (c.grownTo != 0) std::filesystem::resize_file(file, c.grownTo);
    PAVIFILE avi = nullptr;
    ASSERT_EQ(AVIFileOpenA(&avi, file.c_str(), OF_SHARE_DENY_NONE, nullptr), c.open);
    if (avi == nullptr) continue;
    expectSmallFrame(avi);
    AVIFileRelease(avi);
  }
}

}  // namespace
