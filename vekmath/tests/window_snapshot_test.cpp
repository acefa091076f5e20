// Window snapshots as BMP files, read back byte by byte and by an image
// library.
#include <gtest/gtest.h>

#include <windows.h>
#include <wingdi.h>

#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../../platform/kernel32/tests/full_disk.h"
#include "support/image_reader.h"
#include "support/wave_window.h"
#include "vekmath.h"

using wavetest::TestWindow;

namespace {

template <typename T>
T field(const std::vector<char>& file, size_t offset) {
  T v{};
  if (offset + sizeof v <= file.size()) std::memcpy(&v, file.data() + offset, sizeof v);
  return v;
}

std::vector<char> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

// Each channel within what 5 bits keep of 8.
bool near(uint32_t rgb, uint32_t want) {
  for (int shift : {0, 8, 16}) {
    const int a = (rgb >> shift) & 0xFF, b = (want >> shift) & 0xFF;
    if (a - b > 7 || b - a > 7) return false;
  }
  return true;
}

// Sets the display depth the drawing layer reports for one scope.
class DisplayBits {
 public:
  explicit DisplayBits(int bits) { setenv("ORVANE_DISPLAY_BITS", std::to_string(bits).c_str(), 1); }
  ~DisplayBits() { unsetenv("ORVANE_DISPLAY_BITS"); }
};

// A 100 x 80 window, black but for a red block at x 10 .. 29, y 40 .. 59
// and a white one at x 60 .. 79 in the same rows.
class WindowSnapshotTest : public ::testing::Test {
 protected:
  TestWindow window{100, 80};
  std::string folder_;  // the pictures go here, not to the current folder
  void TearDown() override { std::filesystem::remove_all(folder_); }
  void SetUp() override {
    char pattern[] = "/tmp/vekmath_snapshot_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    folder_ = pattern;
    HDC dc = GetDC(window.hwnd());
    const RECT red{10, 40, 30, 60}, white{60, 40, 80, 60};
    HBRUSH r = CreateSolidBrush(RGB(255, 0, 0)), w = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &red, r);
    FillRect(dc, &white, w);
    DeleteObject(r);
    DeleteObject(w);
    ReleaseDC(window.hwnd(), dc);
  }
};

// The picture is the window's bottom 75 rows (the window height less 5),
// at the depth the display reports.
TEST_F(WindowSnapshotTest, FilesHoldTheWindowAtTheDisplaysDepth) {
  struct Case {
    int bits;
    uint32_t offset, imageSize;
    bool coloured;  // red survives the depth
  };
  const Case cases[] = {
      {32, 54, 100 * 4 * 75, true}, {24, 54, 300 * 75, true},       {16, 54, 200 * 75, true},
      {8, 54 + 1024, 100 * 75, true}, {4, 54 + 64, 52 * 75, true}, {1, 54 + 8, 16 * 75, false},
  };
  for (const Case& c : cases) {
    const std::string path = folder_ + "/window_snapshot_" + std::to_string(c.bits) + ".bmp";
    {
      DisplayBits depth(c.bits);
      SaveWindowBitmap(window.hwnd(), path.c_str(), 0);
    }
    const std::vector<char> file = readFile(path);
    ASSERT_EQ(file.size(), c.offset + c.imageSize) << c.bits << " bits";
    EXPECT_EQ(std::string(file.data(), 2), "BM");
    EXPECT_EQ(field<uint32_t>(file, 2), c.offset + c.imageSize);
    EXPECT_EQ(field<uint32_t>(file, 10), c.offset);
    EXPECT_EQ(field<uint32_t>(file, 14), 40u);
    EXPECT_EQ(field<int32_t>(file, 18), 100);
    EXPECT_EQ(field<int32_t>(file, 22), 75);
    EXPECT_EQ(field<uint16_t>(file, 28), c.bits);
    EXPECT_EQ(field<uint32_t>(file, 34), c.imageSize);

    const imagetest::Picture picture = imagetest::openPicture(path);
    ASSERT_TRUE(picture.opened) << c.bits << " bits";
    ASSERT_EQ(picture.width, 100);
    ASSERT_EQ(picture.height, 75);
    // Window row y is picture row y - 5.
    EXPECT_TRUE(near(picture.at(70, 45), 0xFFFFFF)) << c.bits << " bits";
    EXPECT_TRUE(near(picture.at(70, 70), 0x000000)) << c.bits << " bits";
    EXPECT_TRUE(near(picture.at(70, 34), 0x000000)) << c.bits << " bits";
    if (c.coloured) {
      EXPECT_TRUE(near(picture.at(20, 35), 0xFF0000)) << c.bits << " bits";
    }
  }
}

TEST_F(WindowSnapshotTest, NothingIsWrittenWhereNoFileCanBeMade) {
  const std::string path = folder_ + "/no_such_folder/snapshot.bmp";
  SaveWindowBitmap(window.hwnd(), path.c_str(), 0);
  EXPECT_FALSE(std::ifstream(path).good());
  SaveWindowBitmap(nullptr, (folder_ + "/no_window.bmp").c_str(), 0);
  EXPECT_FALSE(std::ifstream(folder_ + "/no_window.bmp").good());
  // A disk that fills keeps the picture saved before, and no part of it.
  const std::string kept = folder_ + "/kept.bmp";
  std::ofstream(kept, std::ios::binary) << "before";
  {
    FullDiskAfter disk(4096);
    SaveWindowBitmap(window.hwnd(), kept.c_str(), 0);
  }
  const std::vector<char> file = readFile(kept);
  EXPECT_TRUE(std::string(file.begin(), file.end()) == "before");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), std::filesystem::directory_iterator()), 1);
}

}  // namespace
