#include "core/board.h"

#include <gtest/gtest.h>
#include <winbase.h>

#include <algorithm>
#include <cstdlib>

#include "core/ini_file.h"
#include "core/toolkit.h"
#include "core/vekmath_calls.h"
#include "support/core_fixture.h"

namespace orvane::core {
namespace {

using testing::RecordingVekmath;

class CoreBoardTest : public testing::CoreTest {
 protected:
  std::string WriteInit(const std::string& body) {
    std::string path = dir_ + "/Init.ini";
    WriteFile(path, body);
    return path;
  }
};

TEST(CoreBoardTable, CodesOutsideTheTableRaise) {
  RecordingVekmath vk;
  Board board;
  EXPECT_THROW(board.ResolutionBits(-2), ToolkitError);
  EXPECT_THROW(board.DigitalFlag(35), ToolkitError);
  EXPECT_EQ(board.ChannelCount(29), 0);
  EXPECT_EQ(board.DeviceName(16), "\\\\.\\COM*");
}

TEST(CoreBoardTable, EveryModelNameMapsBackToItsCode) {
  RecordingVekmath vk;
  Board board;
  for (int32_t code = 0; code <= kLastBoardType; ++code) {
    const char* model = BoardTypeRow(code).modelName;
    if (*model != '\0') {
      EXPECT_EQ(board.GetBoardType(model), code) << model;
    }
  }
  EXPECT_EQ(board.GetBoardType("ni-usb-6001-s"), 0);
  EXPECT_EQ(board.GetBoardType(""), 0);
  EXPECT_EQ(board.GetBoardType("NI-USB-6001-S "), 0);
  EXPECT_TRUE(vk->sines.empty());
}

// The lookup alone sets nothing up; opening the simulated board does.
TEST_F(CoreBoardTest, OpeningDebugSetsUpSixteenTestSines) {
  RecordingVekmath vk;
  Board board;
  EXPECT_EQ(board.GetBoardType("DEBUG"), -1);
  EXPECT_EQ(board.ResolutionBits(-1), 16);
  EXPECT_EQ(board.ChannelCount(-1), 16);
  EXPECT_TRUE(vk->sines.empty());
  board.OpenFromIni(WriteInit("[ADBOARD]\r\nBoard=DEBUG\r\n"));
  ASSERT_EQ(vk->sines.size(), 16u);
  for (LONG i = 0; i < 16; ++i) EXPECT_EQ(vk->sines[static_cast<size_t>(i)], (std::array<LONG, 3>{i + 1, 10000, i}));
}

TEST(CoreBoardTable, DataFormatIsSignedOnlyForThreeTypes) {
  RecordingVekmath vk;
  Board board;
  std::vector<int32_t> format{7};
  for (int32_t code = kFirstBoardType; code <= kLastBoardType; ++code) {
    board.SetBoardTypeIndex(code);
    board.GetADDataFormat_Signed_Unsigned(format);
    ASSERT_EQ(format.size(), 32u);
    int32_t want = (code == 16 || code == 33 || code == 34) ? 1 : 0;
    EXPECT_EQ(std::count(format.begin(), format.end(), want), 32) << code;
  }
}

TEST_F(CoreBoardTest, NoInitFileGivesTheDefaultModel) {
  RecordingVekmath vk;
  SetIniPath("previous.ini");
  Board board;
  board.OpenFromIni(dir_ + "/Init.ini");
  EXPECT_EQ(board.BoardTypeIndex(), 27);
  EXPECT_EQ(board.ResolutionBits(board.BoardTypeIndex()), 14);
  EXPECT_EQ(board.ChannelCount(board.BoardTypeIndex()), 8);
  EXPECT_EQ(board.CurrentDeviceName(), "Dev1");
  EXPECT_EQ(GetIniPath(), "previous.ini");
  ASSERT_EQ(vk->selects.size(), 1u);
  EXPECT_EQ(vk->selects[0].type, 27);
  EXPECT_EQ(vk->selects[0].value, 1);
  EXPECT_EQ(vk->selects[0].name, "Dev1");
  EXPECT_EQ(vk->selects[0].zeroTail, 84u);  // the whole 88-byte buffer, zero-padded
  SetIniPath("");
}

TEST_F(CoreBoardTest, LowCodesSelectWithTwentyWhateverTheName) {
  for (const char* model : {"DEBUG", "RT47-83K-PCI-M", "RS58-29K-PCI-NJ", "junk"}) {
    RecordingVekmath vk;
    Board board;
    board.OpenFromIni(WriteInit(std::string("[ADBOARD]\r\nBoard=") + model + "\r\nDeviceName=XAN001\r\n"));
    ASSERT_EQ(vk->selects.size(), 1u) << model;
    EXPECT_EQ(vk->selects[0].name, "20") << model;
    EXPECT_EQ(board.CurrentDeviceName(), "XAN001");
  }
}

TEST_F(CoreBoardTest, TheNameTheLibraryLeavesBecomesTheDeviceName) {
  RecordingVekmath vk;
  vk->rewriteName = "Dev2";
  Board board;
  board.OpenFromIni(WriteInit("[ADBOARD]\r\nBoard=NI-USB-6008-D ; the small one\r\nDeviceName=Dev1\r\n"));
  EXPECT_EQ(board.BoardTypeIndex(), 12);
  EXPECT_EQ(vk->selects.at(0).name, "Dev1");
  EXPECT_EQ(board.CurrentDeviceName(), "Dev2");

  // A name beyond the library's 88-byte buffer is cut to fit it.
  vk->rewriteName.clear();
  board.OpenFromIni(WriteInit("[ADBOARD]\r\nBoard=TX-4297ZB-USB\r\nDeviceName=" + std::string(200, 'x') + "\r\n"));
  EXPECT_EQ(vk->selects.at(1).name, std::string(87, 'x'));
}

TEST_F(CoreBoardTest, DeviceListsComeFromTheLibraryAtTheFixedPath) {
  ::setenv("ORVANE_LIBRARY_PATH", ORVANE_CORE_STUB_DIR, 1);
  RecordingVekmath vk;
  Board board;
  EXPECT_EQ(board.DeviceNameList(), (std::vector<std::string>{"XAN001", "SKORRA1"}));
  EXPECT_EQ(board.ModelList(), (std::vector<std::string>{"TX-4297ZB-USB", "MWU-459793"}));
  board.ReleaseLibrary();
  ::unsetenv("ORVANE_LIBRARY_PATH");
}

TEST_F(CoreBoardTest, NoLibraryAtTheFixedPathLeavesTheListsEmpty) {
  if (HMODULE installed = LoadLibraryA(kFixedLibraryPath)) {
    FreeLibrary(installed);
    GTEST_SKIP() << "a library is installed at the fixed path";
  }
  RecordingVekmath vk;
  Board board;
  EXPECT_TRUE(board.DeviceNameList().empty());
  EXPECT_TRUE(board.ModelList().empty());
}

}  // namespace
}  // namespace orvane::core
