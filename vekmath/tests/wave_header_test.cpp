#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "acquisition/sampling_config.h"
#include "vekmath.h"

namespace {

std::string le16(uint16_t v) { return {static_cast<char>(v), static_cast<char>(v >> 8)}; }
std::string le32(uint32_t v) { return le16(static_cast<uint16_t>(v)) + le16(static_cast<uint16_t>(v >> 16)); }

std::string chunk(const std::string& id, const std::string& data) {
  return id + le32(static_cast<uint32_t>(data.size())) + data + (data.size() % 2 ? std::string(1, '\0') : "");
}
std::string riff(const std::string& form, const std::string& body) { return chunk("RIFF", form + body); }

// 2 channels, 44,100 per second, 16 bits; then the extra size when asked.
std::string pcmFormat(int extra = -1) {
  std::string f = le16(1) + le16(2) + le32(44100) + le32(176400) + le16(4) + le16(16);
  return extra < 0 ? f : f + le16(static_cast<uint16_t>(extra));
}

struct Header {
  WORD extra = 7, align = 7, channels = 7, bits = 7, tag = 7;
  DWORD avg = 7, rate = 7, size = 7, offset = 7;
};

class WaveHeaderTest : public ::testing::Test {
 protected:
  void SetUp() override { path_ = "/tmp/orvane_wave_" + std::to_string(::getpid()) + ".wav"; }
  void TearDown() override { std::filesystem::remove(path_); }
  BOOL read(const std::string& content, Header& h) {
    std::ofstream(path_, std::ios::binary) << content;
    return ReadWaveHeader2(path_.c_str(), &h.extra, &h.avg, &h.align, &h.channels, &h.rate, &h.bits, &h.tag, &h.size,
                           &h.offset);
  }
  std::string path_;
};

TEST_F(WaveHeaderTest, CanonicalPcmFile) {
  Header h;
  const std::string file = riff("WAVE", chunk("fmt ", pcmFormat()) + chunk("data", std::string(400, 'x')));
  ASSERT_EQ(file.size(), 444u);
  ASSERT_TRUE(read(file, h));
  EXPECT_EQ(h.tag, 1);
  EXPECT_EQ(h.channels, 2);
  EXPECT_EQ(h.rate, 44100u);
  EXPECT_EQ(h.avg, 176400u);
  EXPECT_EQ(h.align, 4);
  EXPECT_EQ(h.bits, 16);
  EXPECT_EQ(h.extra, 0);
  EXPECT_EQ(h.offset, 44u);
  EXPECT_EQ(h.size, 400u);

  WORD extra = 7;
  DWORD size = 0;
  EXPECT_TRUE(ReadWaveHeader(path_.c_str(), &extra, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &size));
  EXPECT_EQ(size, 400u);
}

TEST_F(WaveHeaderTest, LongFormatChunkFillsOnlyTheRecord) {
  // An extensible format: 22 bytes follow the extra size; a chunk between
  // the format and the data is skipped.
  Header h;
  const std::string fmt = pcmFormat(22) + std::string(22, '\xAB');
  ASSERT_TRUE(read(riff("WAVE", chunk("fmt ", fmt) + chunk("LIST", "INFOx") + chunk("data", "abcd")), h));
  EXPECT_EQ(h.extra, 22);
  EXPECT_EQ(h.bits, 16);
  EXPECT_EQ(h.offset, 12u + 8 + 40 + 8 + 6 + 8);
  EXPECT_EQ(h.size, 4u);
}

TEST_F(WaveHeaderTest, RefusedFilesWriteNoOutput) {
  const std::string data = chunk("data", "abcd");
  const struct {
    const char* why;
    std::string content;
  } cases[] = {
      {"another form", riff("AVI ", chunk("fmt ", pcmFormat()) + data)},
      {"no data chunk", riff("WAVE", chunk("fmt ", pcmFormat()))},
      {"no format chunk", riff("WAVE", data)},
      {"format too short", riff("WAVE", chunk("fmt ", pcmFormat().substr(0, 14)) + data)},
      {"format cut by the file end", riff("WAVE", "fmt " + le32(18) + pcmFormat().substr(0, 10))},
      {"not RIFF", "plain text, no chunks at all"},
  };
  for (const auto& c : cases) {
    Header h;
    EXPECT_FALSE(read(c.content, h)) << c.why;
    EXPECT_EQ(h.tag, 7) << c.why;
    EXPECT_EQ(h.offset, 7u) << c.why;
  }
  Header h;
  EXPECT_FALSE(ReadWaveHeader2(nullptr, &h.extra, &h.avg, &h.align, &h.channels, &h.rate, &h.bits, &h.tag, &h.size,
                               &h.offset));
  EXPECT_FALSE(ReadWaveHeader2("/tmp/orvane_no_such.wav", &h.extra, &h.avg, &h.align, &h.channels, &h.rate, &h.bits,
                               &h.tag, &h.size, &h.offset));
}

// The last status is the last call's: a header read, found or not, clears it.
TEST_F(WaveHeaderTest, ClearsTheLastStatus) {
  const std::string wave = riff("WAVE", chunk("fmt ", pcmFormat()) + chunk("data", ""));
  for (const std::string& content : {wave, std::string("not RIFF")}) {
    Header h;
    vekmath::config().lastStatus = vekmath::kStatusParameter;
    EXPECT_EQ(read(content, h), content == wave);
    EXPECT_EQ(vekmath::config().lastStatus.load(), 0);
    vekmath::config().lastStatus = vekmath::kStatusParameter;
    ReadWaveHeader(path_.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(vekmath::config().lastStatus.load(), 0);
  }
  vekmath::config().lastStatus = 0;
}

}  // namespace
