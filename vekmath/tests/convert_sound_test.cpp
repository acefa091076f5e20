#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "../../platform/media/tests/media_fixture.h"
#include "vekmath.h"

namespace fs = std::filesystem;
using media_fixture::Tone;

namespace {

struct Header {
  WORD extra = 0, align = 0, channels = 0, bits = 0, tag = 0;
  DWORD avg = 0, rate = 0, size = 0;
};

// A Sun audio file: sound a player opens, but no WAVE file.
void writeAu(const std::string& path) {
  auto be32 = [](uint32_t v) {
    return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
  };
  std::string file = ".snd" + be32(24) + be32(44100 * 2) + be32(3) + be32(44100) + be32(1);
  file += std::string(44100 * 2, '\0');
  std::ofstream(path, std::ios::binary) << file;
}

class ConvertSoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/orvane_sound_XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    root_ = name;
    fs::create_directories(root_ / "c" / "snd");
    ::setenv("ORVANE_ROOT", root_.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("ORVANE_ROOT");
    fs::remove_all(root_);
  }
  std::string at(const std::string& name) const { return (root_ / "c" / "snd" / name).string(); }
  static bool header(const char* path, Header& h) {
    return ReadWaveHeader(path, &h.extra, &h.avg, &h.align, &h.channels, &h.rate, &h.bits, &h.tag, &h.size);
  }
  fs::path root_;
};

TEST_F(ConvertSoundTest, PcmRoadsGiveTenThousand16BitSamplesThroughAWindowsPath) {
  // "音.wav" in the ANSI code page, found under another case of its folder;
  // a source already at the target rate is converted too.
  const std::string name = "\x89\xb9.wav";
  const Tone sources[] = {{2, 44100, 16, 1.0}, {1, 10000, 16, 1.0}};
  for (const Tone& source : sources) {
    SCOPED_TRACE(source.rate);
    media_fixture::writeTone(at(name), source);
    const WORD align = static_cast<WORD>(source.channels * 2);
    for (auto convert : {ConvertSoundAcm, ConvertSoundAcm2}) {
      ::testing::internal::CaptureStderr();
      convert(("C:\\SND\\" + name).c_str(), "C:\\snd\\out.wav");
      EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
      Header h;
      ASSERT_TRUE(header("C:\\snd\\out.wav", h));
      EXPECT_EQ(h.tag, 1);
      EXPECT_EQ(h.channels, source.channels);
      EXPECT_EQ(h.rate, 10000u);
      EXPECT_EQ(h.bits, 16);
      EXPECT_EQ(h.align, align);
      EXPECT_EQ(h.avg, align * 10000u);
      EXPECT_NEAR(h.size, align * 10000.0, 800.0);
      fs::remove(at("out.wav"));
    }
  }
}

TEST_F(ConvertSoundTest, MpegRoadWritesMpegAudioInAWaveFile) {
  media_fixture::writeTone(at("in.wav"), {2, 44100, 16, 1.0});
  ::testing::internal::CaptureStderr();
  ConvertSound(at("in.wav").c_str(), at("out.wav").c_str());
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  Header h;
  ASSERT_TRUE(header(at("out.wav").c_str(), h));
  EXPECT_EQ(h.tag, 0x0050);
  EXPECT_EQ(h.channels, 2);
  EXPECT_EQ(h.rate, 44100u);
  EXPECT_GT(h.size, 0u);
}

TEST_F(ConvertSoundTest, RefusedSourcesGiveTheirMessageAndNoOutput) {
  media_fixture::writeTone(at("u8.wav"), {1, 44100, 8});
  media_fixture::writeTone(at("low.wav"), {2, 8000, 16});
  media_fixture::writeTone(at("float.wav"), {1, 44100, 32});
  media_fixture::writeTone(at("odd.wav"), {1, 11025, 16});
  media_fixture::writeTone(at("fast.wav"), {1, 274792447, 16, 0.0});  // a header and no sound
  writeAu(at("tone.au"));
  struct Row {
    void(WINAPI* convert)(const char*, const char*);
    const char* source;
    const char* message;  // LINE stands for the line number
  } rows[] = {
      {ConvertSoundAcm, "u8.wav", "error : bitrate too big (1 44100 8)\n"},
      {ConvertSoundAcm, "low.wav", "error : bitrate too big (2 8000 16)\n"},
      {ConvertSoundAcm, "fast.wav", "error : bitrate too big (1 274792447 16)\n"},
      {ConvertSoundAcm, "float.wav", "error : illegal mediatype\n"},
      {ConvertSoundAcm, "missing.wav", "error : The system cannot find the file specified. (sound_convert.cpp,LINE)\n"},
      {ConvertSound, "missing.wav", "error : The system cannot find the file specified. (sound_convert.cpp,LINE)\n"},
      {ConvertSound, "tone.au", "error : An object or name was not found. (sound_convert.cpp,LINE)\n"},
      {ConvertSound, "odd.wav",
       "error : No combination of intermediate filters could be found to make the connection. "
       "(sound_convert.cpp,LINE)\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.source);
    ::testing::internal::CaptureStderr();
    row.convert(at(row.source).c_str(), at("out.wav").c_str());
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::regex_replace(printed, std::regex(",[0-9]+\\)"), ",LINE)"), row.message);
    EXPECT_FALSE(fs::exists(at("out.wav")));
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "c" / "snd"), fs::directory_iterator()), 6);
}

}  // namespace
