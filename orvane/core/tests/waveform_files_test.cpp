#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <system_error>

#include "core/waveform/waveform.h"
#include "../../../platform/kernel32/tests/full_disk.h"
#include "support/core_fixture.h"

namespace orvane::core {
namespace {

const std::string kBanner = "----------------START WAVE DATA ----------------";

class WaveFormFiles : public testing::CoreTest {
 protected:
  static WaveForm Holding(std::vector<float> samples) {
    WaveForm w;
    w.SetCount(static_cast<int32_t>(samples.size()));
    w.SetSamples(std::move(samples));
    return w;
  }
  std::string Path(const char* name) const { return dir_ + "/" + name; }
};

TEST_F(WaveFormFiles, BinaryLayout) {
  const std::string path = Path("w.bin");
  EXPECT_EQ(Holding({1, 2, 3}).SaveBinary(path, 0), 60);
  EXPECT_EQ(ReadFile(path), kBanner + std::string("\x00\x00\x80\x3F\x00\x00\x00\x40\x00\x00\x40\x40", 12));

  EXPECT_EQ(WaveForm().SaveBinary(Path("none.bin"), 0), 0);
  EXPECT_FALSE(std::filesystem::exists(Path("none.bin")));
}

// The bytes around the wave stay as they were: the file is not truncated.
TEST_F(WaveFormFiles, BinarySaveKeepsTheRestOfTheFile) {
  const std::string path = Path("shared.bin");
  std::string before(1000, '\0');
  for (size_t i = 0; i < before.size(); ++i) before[i] = static_cast<char>(i * 7);
  WriteFile(path, before);
  EXPECT_EQ(Holding({1, 2, 3}).SaveBinary(path, 100), 160);
  const std::string after = ReadFile(path);
  ASSERT_EQ(after.size(), 1000u);
  EXPECT_EQ(after.substr(0, 100), before.substr(0, 100));
  EXPECT_EQ(after.substr(100, 48), kBanner);
  EXPECT_EQ(after.substr(160), before.substr(160));
}

TEST_F(WaveFormFiles, BinaryRoundTripAndReadLimits) {
  const std::string path = Path("round.bin");
  std::vector<float> ramp(3000);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = 0.25f * static_cast<float>(i) - 100.0f;
  EXPECT_EQ(Holding(ramp).SaveBinary(path, 20), 20 + 48 + 12000);

  struct Case {
    int32_t displayWidth, bufferBefore, readNum, count;
  } cases[] = {
      {1000, 0, 10, 1000},    // one chunk of DisplayWidth
      {5000, 0, 10, 3000},    // the file ends first: Count is what was read
      {0, 1000, 5000, 1000},  // at most the buffer, read once from the start
      {0, 0, 10, 0},          // nothing to read into
  };
  for (const Case& c : cases) {
    WaveForm w;
    w.SetSamples(std::vector<float>(static_cast<size_t>(c.bufferBefore), 9.0f));
    w.SetDisplayWidth(c.displayWidth);
    EXPECT_EQ(w.LoadBinary(path, c.readNum, 20), 20 + 48 + 4 * c.count) << c.displayWidth;
    EXPECT_EQ(w.Count(), c.count) << c.displayWidth;
    for (int32_t i = 0; i < c.count; ++i) ASSERT_EQ(w.Sample(i), ramp[static_cast<size_t>(i)]) << i;
    EXPECT_EQ(w.Sample(c.count), 0.0f) << c.displayWidth;
  }
}

TEST_F(WaveFormFiles, LoadIgnoresTheBannerAndKeepsTheBufferOnAMissingFile) {
  WriteFile(Path("other.bin"), std::string(48, 'x') + std::string("\x00\x00\xC0\x3F", 4));
  WaveForm w = Holding({7, 7});
  w.SetDisplayWidth(2);
  EXPECT_THROW(w.LoadBinary(Path("missing.bin"), 2, 0), std::system_error);
  EXPECT_EQ(w.Samples(), (std::vector<float>{7, 7}));
  EXPECT_EQ(w.LoadBinary(Path("other.bin"), 2, 0), 52);
  EXPECT_EQ(w.Samples(), (std::vector<float>{1.5f, 0}));
  EXPECT_EQ(w.Count(), 1);
}

// Files named by a drive path from another current folder, each written
// whole: a disk that fills keeps the file that was there.
TEST_F(WaveFormFiles, DrivePathsAndWholeFiles) {
  std::filesystem::create_directories(root_ + "/c/waves");
  std::filesystem::create_directories(dir_ + "/cwd");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir_ + "/cwd");
  const std::string bin = root_ + "/c/waves/w.bin", txt = root_ + "/c/waves/w.txt";
  std::vector<float> many(4096, 0.5f);
  EXPECT_EQ(Holding({1, 2, 3}).SaveBinary("C:\\WAVES\\w.bin", 0), 60);
  EXPECT_EQ(ReadFile(bin).size(), 60u);
  WaveForm back;
  back.Allocate(3);
  EXPECT_EQ(back.LoadBinary("C:\\waves\\W.BIN", 3, 0), 60);
  EXPECT_EQ(back.Samples(), (std::vector<float>{1, 2, 3}));
  Holding({1.5f}).SaveText("C:\\waves\\w.txt", 1);
  EXPECT_EQ(ReadFile(txt), "1.5\r\n");
  {
    FullDiskAfter disk(1024);
    EXPECT_THROW(Holding(many).SaveBinary("C:\\waves\\w.bin", 0), std::system_error);
    EXPECT_THROW(Holding(many).SaveText("C:\\waves\\w.txt", 4096), std::system_error);
  }
  EXPECT_EQ(ReadFile(bin).size(), 60u);
  EXPECT_EQ(ReadFile(txt), "1.5\r\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root_ + "/c/waves"), std::filesystem::directory_iterator()),
            2);
  std::filesystem::current_path(previous);
}

TEST_F(WaveFormFiles, TextFileAndTextControl) {
  const std::string path = Path("w.txt");
  WaveForm w = Holding({1.5f, 2, -0.125f});
  w.SaveText(path, 2);
  EXPECT_EQ(ReadFile(path), "1.5\r\n2\r\n");
  EXPECT_THROW(w.SaveText(path, 4), std::out_of_range);
  EXPECT_EQ(ReadFile(path), "1.5\r\n2\r\n-0.125\r\n");  // the lines before stay

  WaveForm back;
  back.Allocate(3);
  back.LoadFromText(ReadFile(path));
  EXPECT_EQ(back.Samples(), w.Samples());
  EXPECT_EQ(back.Count(), 0);
  EXPECT_THROW(WaveForm().LoadFromText("1\r\n"), std::out_of_range);

  std::string text;
  w.ShowSamples(1, 2, text);
  EXPECT_EQ(text, "2\r\n-0.125\r\n");
}

}  // namespace
}  // namespace orvane::core
