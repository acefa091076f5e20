#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::string le32(uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

std::string chunk(const std::string& id, const std::string& data) {
  std::string c = id + le32(static_cast<uint32_t>(data.size())) + data;
  if (data.size() % 2) c += '\0';
  return c;
}

class Mmio : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvane_mmio_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    std::filesystem::create_directories(dir_ + "/c/Waves");
    ::setenv("ORVANE_ROOT", dir_.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("ORVANE_ROOT");
    std::filesystem::remove_all(dir_);
  }
  void write(const std::string& content) {
    std::ofstream(dir_ + "/c/Waves/a.wav", std::ios::binary) << content;
  }
  HMMIO open() { return mmioOpenA(const_cast<char*>("C:\\Waves\\A.WAV"), nullptr, MMIO_READ); }
  std::string dir_;
};

TEST_F(Mmio, WalksChunksSkippingOddSizesWithTheirPadByte) {
  // An AVI form first: a search for the WAVE form passes over it.
  write(chunk("RIFF", "AVI " + chunk("junk", "x")) +
        chunk("RIFF", "WAVE" + chunk("LIST", "INFOabc") + chunk("fmt ", "0123456789abcdef") + chunk("data", "pcm!")));
  HMMIO h = open();
  ASSERT_NE(h, nullptr);
  MMCKINFO riff{};
  riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  ASSERT_EQ(mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  EXPECT_EQ(riff.dwDataOffset, 30u);

  MMCKINFO fmt{};
  fmt.ckid = mmioFOURCC('f', 'm', 't', ' ');
  ASSERT_EQ(mmioDescend(h, &fmt, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
  EXPECT_EQ(fmt.cksize, 16u);
  char buf[4];
  EXPECT_EQ(mmioRead(h, buf, 4), 4);
  EXPECT_EQ(std::string(buf, 4), "0123");
  ASSERT_EQ(mmioAscend(h, &fmt, 0), MMSYSERR_NOERROR);

  MMCKINFO data{};
  data.ckid = mmioFOURCC('d', 'a', 't', 'a');
  ASSERT_EQ(mmioDescend(h, &data, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
  EXPECT_EQ(data.dwDataOffset, fmt.dwDataOffset + 16 + 8);
  EXPECT_EQ(mmioRead(h, buf, 4), 4);
  EXPECT_EQ(std::string(buf, 4), "pcm!");
  EXPECT_EQ(mmioRead(h, buf, 4), 0);

  MMCKINFO missing{};
  missing.ckid = mmioFOURCC('c', 'u', 'e', ' ');
  ASSERT_EQ(mmioAscend(h, &data, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(mmioDescend(h, &missing, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
  EXPECT_EQ(mmioClose(h, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(mmioClose(h, 0), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(mmioRead(h, buf, 4), -1);
}

TEST_F(Mmio, SearchStaysInsideTheParentAndTheFile) {
  // The form claims less than follows: "data" lies outside it. Then a chunk
  // that claims 4 GB ends the search instead of seeking past the file.
  write(chunk("RIFF", "WAVE" + chunk("fmt ", "ab")) + chunk("data", "zz") + "big " + le32(0xFFFFFFF0u));
  HMMIO h = open();
  ASSERT_NE(h, nullptr);
  MMCKINFO riff{};
  riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  ASSERT_EQ(mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
  MMCKINFO data{};
  data.ckid = mmioFOURCC('d', 'a', 't', 'a');
  EXPECT_EQ(mmioDescend(h, &data, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
  MMCKINFO top{};
  top.ckid = mmioFOURCC('n', 'o', 'n', 'e');
  ASSERT_EQ(mmioAscend(h, &riff, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(mmioDescend(h, &top, nullptr, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
  mmioClose(h, 0);
}

TEST_F(Mmio, OpenRefusesMissingFilesAndWriting) {
  EXPECT_EQ(open(), nullptr);
  write("RIFF");
  EXPECT_EQ(mmioOpenA(const_cast<char*>("C:\\Waves\\a.wav"), nullptr, 1), nullptr);
  EXPECT_EQ(mmioOpenA(const_cast<char*>("C:\\Waves"), nullptr, MMIO_READ), nullptr);
}

}  // namespace
