#include <installer.h>
#include <stdlib.h>
#include <windows.h>

#include <cstring>
#include <filesystem>

#include "board_fixture.h"

namespace morvelboard {
namespace {

class MorvelInstallerTest : public ::testing::Test {
 protected:
  // No clock worker: these checks are about slots and the registry, and a
  // worker reading the installed cards meanwhile only adds timing to them.
  static void SetUpTestSuite() { plat::bus::SetClockMode(plat::bus::ClockMode::Manual); }
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "morvelboard_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    ::setenv("ORVANE_ROOT", dir_.c_str(), 1);
    ::setenv("ORVANE_REGISTRY", (dir_ + "/registry.sqlite").c_str(), 1);
    spec_ = *SpecForModel("mva-1616mpci");
    spec_.ioBase = 0xE020;
    spec_.interruptLine = 11;
    spec_.boardId = 2;
    spec_.configByte = kConfigDoubled;
  }
  void TearDown() override {
    plat::bus::UnplugAll();
    ::unsetenv("ORVANE_REGISTRY");
    ::unsetenv("ORVANE_ROOT");
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  static std::string text(const plat::bus::Slot& slot, const char* name) {
    char value[64] = {};
    DWORD size = sizeof value - 1;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SlotKey(slot).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return value;
  }

  std::string dir_;
  BoardSpec spec_;
  const plat::bus::Slot slot_{0, 5, 0};
};

TEST_F(MorvelInstallerTest, AnInstalledBoardComesBackFromTheFactoryAsTheBusLoadsIt) {
  ASSERT_TRUE(InstallBoard(slot_, spec_));
  EXPECT_EQ(SlotKey(slot_), "HARDWARE\\Simulated\\PCI\\0.5.0");
  EXPECT_EQ(text(slot_, "Library"), kLibraryName);
  EXPECT_EQ(text(slot_, "Model"), "MVA-1616MPCI");

  HMODULE library = LoadLibraryA(text(slot_, "Library").c_str());
  ASSERT_NE(library, nullptr);
  auto factory = reinterpret_cast<plat::bus::CardFactory>(GetProcAddress(library, plat::bus::kCardFactorySymbol));
  ASSERT_NE(factory, nullptr);
  std::unique_ptr<plat::bus::Card> card(factory("MVA-1616MPCI", ("HKLM\\" + SlotKey(slot_)).c_str()));
  ASSERT_NE(card, nullptr);
  uint8_t installed[64], direct[64];
  card->ReadConfig(0, installed, sizeof installed);
  MorvelBoard(spec_).ReadConfig(0, direct, sizeof direct);
  EXPECT_EQ(std::memcmp(installed, direct, sizeof direct), 0);
  card->Out(0xE026, 1, kCmdConfig);
  EXPECT_EQ(card->In(0xE027, 1), kConfigDoubled);

  EXPECT_EQ(factory("NO-SUCH-BOARD", SlotKey(slot_).c_str()), nullptr);
  ASSERT_TRUE(InstallForeign({0, 6, 0}, 11));
  std::unique_ptr<plat::bus::Card> other(factory(kForeignModel, SlotKey({0, 6, 0}).c_str()));
  ASSERT_NE(other, nullptr);
  uint8_t line = 0;
  other->ReadConfig(0x3C, &line, 1);
  EXPECT_EQ(line, 11);
  ASSERT_TRUE(Uninstall(slot_));
  EXPECT_EQ(factory("MVA-1616MPCI", SlotKey(slot_).c_str()), nullptr);
  FreeLibrary(library);
}

TEST_F(MorvelInstallerTest, BadSpecsAndTakenSlotsAreRefused) {
  BoardSpec misaligned = spec_;
  misaligned.ioBase = 0xE024;
  EXPECT_FALSE(CheckSpec(misaligned).empty());
  EXPECT_FALSE(InstallBoard(slot_, misaligned));
  EXPECT_EQ(text(slot_, "Model"), "");
  EXPECT_EQ(PlugBoard(slot_, misaligned), nullptr);
  EXPECT_FALSE(InstallBoard({0, 32, 0}, spec_));

  auto board = PlugBoard(slot_, spec_);
  ASSERT_NE(board, nullptr);
  EXPECT_EQ(plat::bus::CardAt(slot_), board);
  EXPECT_EQ(PlugBoard(slot_, spec_), nullptr);
  EXPECT_EQ(PlugForeign(slot_, 11), nullptr);
  EXPECT_NE(PlugForeign({0, 6, 0}, 11), nullptr);
}

}  // namespace
}  // namespace morvelboard
