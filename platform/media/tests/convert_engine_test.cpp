#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <tuple>

#include <platform/media_convert.h>

#include "media_fixture.h"

namespace fs = std::filesystem;
using namespace plat::media;
using media_fixture::Tone;

namespace {

class ConvertEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/orvane_convert_XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    dir_ = name;
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string at(const char* name) const { return (dir_ / name).string(); }
  // Only the files the test made itself, by name.
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path dir_;
};

TEST_F(ConvertEngineTest, EachTargetGivesItsCodecTagRateAndLength) {
  if (!media_fixture::have("ffprobe")) GTEST_SKIP() << "no ffprobe";
  struct Row {
    Tone tone;
    Request request;
    const char* codec;
    const char* tag;
    const char* rate;
    const char* channels;
  } rows[] = {
      {{2, 44100, 16}, {Target::Pcm16Wave, 10000}, "pcm_s16le", "[1][0][0][0]", "10000", "2"},
      {{1, 48000, 24}, {Target::Pcm16Wave, 10000}, "pcm_s16le", "[1][0][0][0]", "10000", "1"},
      {{2, 44100, 32}, {Target::Pcm16Wave, 0}, "pcm_s16le", "[1][0][0][0]", "44100", "2"},
      {{1, 22050, 16}, {Target::MpegAudioWave}, "mp2", "P[0][0][0]", "22050", "1"},
      {{2, 48000, 16}, {Target::MpegAudioWave}, "mp2", "P[0][0][0]", "48000", "2"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.codec) + " from " + std::to_string(row.tone.rate));
    media_fixture::writeTone(at("in.wav"), row.tone);
    ASSERT_EQ(Convert(at("in.wav").c_str(), at("out.wav").c_str(), row.request), S_OK);
    auto found = media_fixture::probe(at("out.wav"));
    EXPECT_EQ(found["format_name"], "wav");
    EXPECT_EQ(found["codec_name"], row.codec);
    EXPECT_EQ(found["codec_tag_string"], row.tag);
    EXPECT_EQ(found["sample_rate"], row.rate);
    EXPECT_EQ(found["channels"], row.channels);
    EXPECT_NEAR(std::atof(found["duration"].c_str()), 1.0, 0.06);
  }
}

TEST_F(ConvertEngineTest, VideoBecomesMpeg4TaggedDivxWithEveryFrame) {
  if (!media_fixture::have("ffprobe") || !media_fixture::makeVideo(at("in.avi"), 12)) GTEST_SKIP() << "no ffmpeg";
  ASSERT_EQ(Convert(at("in.avi").c_str(), at("out.avi").c_str(), {Target::Mpeg4Avi}), S_OK);
  auto found = media_fixture::probe(at("out.avi"));
  EXPECT_EQ(found["format_name"], "avi");
  EXPECT_EQ(found["codec_name"], "mpeg4");
  EXPECT_EQ(found["codec_tag_string"], "DIVX");
  EXPECT_EQ(found["nb_frames"], "12");
  EXPECT_NEAR(std::atof(found["duration"].c_str()), 1.2, 0.11);
}

TEST_F(ConvertEngineTest, ProbeReportsTheChainAndTheSoundItDelivers) {
  media_fixture::writeTone(at("in.wav"), {2, 48000, 24});
  ASSERT_EQ(Convert(at("in.wav").c_str(), at("mp2.wav").c_str(), {Target::MpegAudioWave}), S_OK);
  const bool video = media_fixture::makeVideo(at("in.avi"));
  struct Row {
    const char* file;
    SourceInfo info;
  } rows[] = {
      {"in.wav", {true, true, false, true, 2, 48000, 24}},
      {"mp2.wav", {true, true, false, true, 2, 48000, 16}},  // decoded to 16 bits
      {"in.avi", {false, false, true, false, 0, 0, 0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.file);
    if (!fs::exists(at(row.file))) continue;
    SourceInfo info;
    ASSERT_EQ(ProbeSource(at(row.file).c_str(), &info), S_OK);
    EXPECT_EQ(std::tie(info.waveFile, info.audio, info.video, info.pcm, info.channels, info.rate, info.bits),
              std::tie(row.info.waveFile, row.info.audio, row.info.video, row.info.pcm, row.info.channels,
                       row.info.rate, row.info.bits));
  }
  if (video) {
    EXPECT_EQ(Convert(at("in.avi").c_str(), at("out.wav").c_str(), {Target::Pcm16Wave}), kStatusNotFound);
  }
}

TEST_F(ConvertEngineTest, FailedConversionLeavesNothingNewAndKeepsAnExistingDestination) {
  std::ofstream(at("junk.wav")) << "not a media file at all";
  media_fixture::writeTone(at("odd.wav"), {1, 11025, 16});  // a rate the MPEG encoder lacks
  std::ofstream(at("old.wav")) << "earlier";
  struct Row {
    const char* source;
    const char* destination;
    Request request;
    HRESULT status;
  } rows[] = {
      {"missing.wav", "new.wav", {Target::Pcm16Wave}, kStatusFileNotFound},
      {"junk.wav", "new.wav", {Target::Pcm16Wave}, kStatusUnknownFileType},
      {"odd.wav", "new.wav", {Target::MpegAudioWave}, kStatusCannotConnect},
      {"odd.wav", "old.wav", {Target::MpegAudioWave}, kStatusCannotConnect},
      {"odd.wav", "odd.wav", {Target::Pcm16Wave, 10000}, E_INVALIDARG},  // the source itself
      {"odd.wav", "no/such/folder/new.wav", {Target::Pcm16Wave}, kStatusPathNotFound},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.source) + " -> " + row.destination);
    EXPECT_EQ(Convert(at(row.source).c_str(), at(row.destination).c_str(), row.request), row.status);
    EXPECT_EQ(files(), (std::vector<std::string>{"junk.wav", "odd.wav", "old.wav"}));
  }
  std::string kept;
  std::ifstream(at("old.wav")) >> kept;
  EXPECT_EQ(kept, "earlier");
  EXPECT_EQ(fs::file_size(at("odd.wav")), 44u + 2 * 11025u);
}

TEST_F(ConvertEngineTest, CompressorSwitchRemovesTheCompressor) {
  ::setenv("ORVANE_VIDEO_COMPRESSORS", "none", 1);
  EXPECT_TRUE(VideoCompressorNames().empty());
  ::unsetenv("ORVANE_VIDEO_COMPRESSORS");
  EXPECT_EQ(VideoCompressorNames(), std::vector<std::string>{"DivXR 5.2.1 Codec"});
}

}  // namespace
