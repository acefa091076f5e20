#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "../../platform/media/tests/media_fixture.h"
#include "vekmath.h"

namespace fs = std::filesystem;

namespace {

class ConvertMediaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/orvane_media_XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    root_ = name;
    fs::create_directories(root_ / "c" / "vid");
    ::setenv("ORVANE_ROOT", root_.c_str(), 1);
    if (!media_fixture::makeVideo(at("in.avi"))) GTEST_SKIP() << "no ffmpeg";
  }
  void TearDown() override {
    ::unsetenv("ORVANE_ROOT");
    ::unsetenv("ORVANE_VIDEO_COMPRESSORS");
    fs::remove_all(root_);
  }
  std::string at(const char* name) const { return (root_ / "c" / "vid" / name).string(); }
  // The result and what went to the standard output.
  static std::pair<LONG, std::string> convert(const char* source, const char* destination) {
    ::testing::internal::CaptureStdout();
    const LONG deleted = ConvertMediaFile(source, destination);
    return {deleted, ::testing::internal::GetCapturedStdout()};
  }
  fs::path root_;
};

TEST_F(ConvertMediaTest, CompleteConversionReplacesTheSourceWithADivxAvi) {
  EXPECT_EQ(convert("C:\\VID\\in.avi", "C:\\vid\\out.avi"), std::make_pair(LONG{1}, std::string("complete")));
  EXPECT_FALSE(fs::exists(at("in.avi")));
  if (!media_fixture::have("ffprobe")) return;
  auto found = media_fixture::probe(at("out.avi"));
  EXPECT_EQ(found["codec_name"], "mpeg4");
  EXPECT_EQ(found["codec_tag_string"], "DIVX");
  EXPECT_EQ(found["nb_frames"], "10");
}

TEST_F(ConvertMediaTest, ConversionThatDoesNotCompleteKeepsTheSource) {
  media_fixture::writeTone(at("tone.wav"), {});
  struct Row {
    const char* why;
    const char* source;
    const char* destination;
    bool compressor;
  } rows[] = {
      {"no compressor", "C:\\vid\\in.avi", "C:\\vid\\out.avi", false},
      {"no source", "C:\\vid\\gone.avi", "C:\\vid\\out.avi", true},
      {"no video", "C:\\vid\\tone.wav", "C:\\vid\\out.avi", true},
      {"itself", "C:\\vid\\in.avi", "C:\\VID\\IN.AVI", true},
  };
  const auto size = fs::file_size(at("in.avi"));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    if (!row.compressor) ::setenv("ORVANE_VIDEO_COMPRESSORS", "none", 1);
    EXPECT_EQ(convert(row.source, row.destination), std::make_pair(LONG{0}, std::string("errorabort")));
    ::unsetenv("ORVANE_VIDEO_COMPRESSORS");
    EXPECT_EQ(fs::file_size(at("in.avi")), size);
    EXPECT_TRUE(fs::exists(at("tone.wav")));
    EXPECT_FALSE(fs::exists(at("out.avi")));
  }
}

}  // namespace
