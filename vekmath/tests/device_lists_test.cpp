// The device lists across the board libraries, on the simulated vendor B
// boards and a stand-in NI-DAQmx binding.
#include <gtest/gtest.h>
#include <skorra.h>
#include <skorradev.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "acquisition/selection.h"
#include "backends/ni/ni_binding.h"
#include "status/status_texts.h"
#include "support/vendor_b_board.h"
#include "vekmath.h"

using namespace vekmath;
using namespace vendorbtest;

namespace {

constexpr std::size_t kRoom = VEKMATH_DEVICE_LIST_BYTES;
constexpr char kGuard = '\x5A';
constexpr const char* kClassKey = "System\\CurrentControlSet\\Services\\Class\\SKORRA";

// One list buffer of the size callers pass, with guard bytes behind it.
struct ListBuffer {
  std::vector<char> bytes = std::vector<char>(kRoom + 64, kGuard);
  ListBuffer() { bytes[0] = '\0'; }
  char* data() { return bytes.data(); }
  std::string text() const { return std::string(bytes.data(), strnlen(bytes.data(), kRoom)); }
  bool guardIntact() const {
    for (std::size_t i = kRoom; i < bytes.size(); ++i) {
      if (bytes[i] != kGuard) return false;
    }
    return true;
  }
};

std::size_t entries(const std::string& list) {
  return list.empty() ? 0 : 1 + static_cast<std::size_t>(std::count(list.begin(), list.end(), ','));
}

class DeviceLists : public VendorBBoard {
 protected:
  // The simulated boards live as long as the process: each test starts and
  // leaves it with the default two.
  void SetUp() override {
    VendorBBoard::SetUp();
    SkorradevSimReset();
  }
  void TearDown() override {
    for (DWORD n = 1; n <= 16; ++n) SkorradevSimClearFaults(n);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kClassKey);
    VendorBBoard::TearDown();
    SkorradevSimReset();
  }

  // Replaces the default boards with these (device number, model) pairs.
  void useBoards(std::initializer_list<std::pair<DWORD, DWORD>> boards) {
    HKEY classKey = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kClassKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &classKey,
                              nullptr),
              ERROR_SUCCESS);
    for (auto [n, model] : boards) {
      char name[16];
      std::snprintf(name, sizeof name, "%03lu", static_cast<unsigned long>(n));
      HKEY key = nullptr;
      ASSERT_EQ(RegCreateKeyExA(classKey, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                ERROR_SUCCESS);
      RegSetValueExA(key, "Model", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&model), sizeof model);
      RegCloseKey(key);
    }
    RegCloseKey(classKey);
    ASSERT_TRUE(SkorradevSimReset());
  }

  void list() {
    SelectBoardNAME(names_.data(), models_.data());
    ASSERT_TRUE(names_.guardIntact());
    ASSERT_TRUE(models_.guardIntact());
  }

  ListBuffer names_, models_;
};

TEST_F(DeviceLists, TwoBoardsInOrderWithTheirModelNamesAndClosedAgain) {
  list();
  EXPECT_EQ(names_.text(), "SKORRA1,SKORRA2");
  EXPECT_EQ(models_.text(), "MWU-459158,MWU-459793");
  // Nothing is left open: both can be opened at once again.
  for (const char* name : {"SKORRA1", "SKORRA2"}) {
    HANDLE h = SkOpen(name);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << name;
    EXPECT_EQ(SkClose(h), SK_SUCCESS);
  }
}

TEST_F(DeviceLists, NoBoardGivesTwoEmptyListsAndWritesNothing) {
  useBoards({});
  list();
  EXPECT_EQ(names_.text(), "");
  EXPECT_EQ(models_.text(), "");
  EXPECT_EQ(names_.bytes[1], kGuard);
  EXPECT_EQ(models_.bytes[1], kGuard);
}

TEST_F(DeviceLists, MissingNumbersAreSkippedAndTheScanGoesOn) {
  useBoards({{1, 4591}, {3, 4597}, {16, 4591}, {17, 4597}});
  list();
  EXPECT_EQ(names_.text(), "SKORRA1,SKORRA3,SKORRA16");
  EXPECT_EQ(models_.text(), "MWU-459158,MWU-459793,MWU-459158");
}

// A board whose ids name no known model gets an empty model name, never
// the one of the board listed before it.
TEST_F(DeviceLists, UnknownIdsGiveAnEmptyModelName) {
  useBoards({{1, 4591}, {2, 4555}, {3, 4597}});
  ASSERT_TRUE(SkorradevSimSetFault(3, SKDF_PCI_INFO, FALSE, SKORRADEV_STATUS_NOT_AVAILABLE));
  list();
  EXPECT_EQ(names_.text(), "SKORRA1,SKORRA2,SKORRA3");
  EXPECT_EQ(models_.text(), "MWU-459158,,");
}

TEST_F(DeviceLists, AppendsToWhatTheBuffersHold) {
  std::strcpy(names_.data(), "A");
  std::strcpy(models_.data(), "B");
  list();
  EXPECT_EQ(names_.text(), "ASKORRA1,SKORRA2");
  EXPECT_EQ(models_.text(), "BMWU-459158,MWU-459793");
}

TEST_F(DeviceLists, BadBuffersAreLeftAlone) {
  SelectBoardNAME(nullptr, models_.data());
  SelectBoardNAME(names_.data(), nullptr);
  EXPECT_EQ(names_.text(), "");
  EXPECT_EQ(models_.text(), "");
  // A buffer with no NUL within its room is full: neither list grows.
  std::memset(names_.data(), 'n', kRoom);
  list();
  EXPECT_EQ(models_.text(), "");
}

// The selected board, held open by its configured run, cannot be opened
// for the list; the run goes on untouched and the selection is unchanged.
TEST_F(DeviceLists, SelectionAndRunAreUntouched) {
  ASSERT_EQ(setUp(5, "SKORRA1", 2), 0) << messageText();
  const SelectionState& s = selection();
  const int32_t type = s.boardType, value = s.boardValue, zero = s.zeroOffset, bits = s.resolution;
  const std::string device = s.deviceName;
  const uint8_t flag = s.backEndFlag.load();

  list();
  EXPECT_EQ(names_.text(), "SKORRA2");
  EXPECT_EQ(models_.text(), "MWU-459793");
  EXPECT_EQ(s.boardType, type);
  EXPECT_EQ(s.boardValue, value);
  EXPECT_EQ(std::string(s.deviceName), device);
  EXPECT_EQ(s.zeroOffset, zero);
  EXPECT_EQ(s.resolution, bits);
  EXPECT_EQ(s.backEndFlag.load(), flag);

  ASSERT_EQ(start(), 0) << messageText();
  std::vector<SHORT> block(2 * 100);
  ASSERT_TRUE(SkorradevSimAdvance(1, 100));
  ASSERT_EQ(read(block, 100), 0) << messageText();
  EXPECT_EQ(block[0], expectedCount(1, 1, 0));
  EXPECT_EQ(block[199], expectedCount(1, 2, 99));
}

// ---------------------------------------------------------------- NI-DAQmx

// What the stand-in NI-DAQmx reports.
std::string gNiNames;
std::string gNiProduct;
bool gNiNamesFail = false;

int32_t WINAPI fakeSysDevNames(char* data, uint32_t size) {
  if (gNiNamesFail) return -200229;
  std::memset(data, 0, size);
  std::strncpy(data, gNiNames.c_str(), size);  // unterminated when too long
  return 0;
}

int32_t WINAPI fakeProductType(const char* device, char* data, uint32_t size) {
  std::string text = gNiProduct.empty() ? std::string("P-") + device : gNiProduct;
  // Past the fifth device the products are short enough to fit anywhere.
  if (std::strncmp(device, "Dev", 3) == 0 && std::atoi(device + 3) > 5) text = "S";
  std::memset(data, 0, size);
  std::strncpy(data, text.c_str(), size);
  return 0;
}

class DeviceListsWithNi : public DeviceLists {
 protected:
  void SetUp() override {
    DeviceLists::SetUp();
    NiDaqmxBinding& ni = niDaqmx();
    ni.entries[static_cast<std::size_t>(NiEntry::GetSysDevNames)] = reinterpret_cast<FARPROC>(&fakeSysDevNames);
    ni.entries[static_cast<std::size_t>(NiEntry::GetDevProductType)] = reinterpret_cast<FARPROC>(&fakeProductType);
    // Only tested against null; never called or freed while the test runs.
    ni.module = reinterpret_cast<HMODULE>(&gNiNames);
  }
  void TearDown() override {
    NiDaqmxBinding& ni = niDaqmx();
    ni.module = nullptr;
    for (auto& entry : ni.entries) entry = nullptr;
    gNiNames.clear();
    gNiProduct.clear();
    gNiNamesFail = false;
    DeviceLists::TearDown();
  }
};

TEST_F(DeviceListsWithNi, NiDevicesFollowVendorB) {
  gNiNames = "Dev1, Dev2";
  list();
  EXPECT_EQ(names_.text(), "SKORRA1,SKORRA2,Dev1,Dev2");
  EXPECT_EQ(models_.text(), "MWU-459158,MWU-459793,P-Dev1,P-Dev2");
}

TEST_F(DeviceListsWithNi, AtMostSixteenNamesAndNothingOnFailure) {
  useBoards({});
  for (int i = 1; i <= 17; ++i) gNiNames += (i > 1 ? ", D" : "D") + std::to_string(i);
  list();
  EXPECT_EQ(entries(names_.text()), 16u);
  EXPECT_EQ(names_.text().substr(names_.text().size() - 4), ",D16");

  ListBuffer names, models;
  gNiNamesFail = true;
  SelectBoardNAME(names.data(), models.data());
  EXPECT_EQ(names.text(), "");
  EXPECT_EQ(models.text(), "");
}

// A names answer that fills its whole buffer is cut inside it, not read on.
TEST_F(DeviceListsWithNi, UnterminatedNamesStayInTheirBuffer) {
  useBoards({});
  gNiNames = std::string(400, 'x');
  gNiProduct = "M";
  list();
  EXPECT_EQ(names_.text(), std::string(255, 'x'));
  EXPECT_EQ(models_.text(), "M");
}

// Long model names overrun the room: whole pairs go in while both fit, so
// the lists stay of equal length, and the bytes past the room are untouched.
TEST_F(DeviceListsWithNi, LongListsAreCutBetweenWholeEntries) {
  for (int i = 1; i <= 16; ++i) gNiNames += (i > 1 ? ", Dev" : "Dev") + std::to_string(i);
  gNiProduct = std::string(200, 'p');
  list();
  const std::string names = names_.text(), models = models_.text();
  // Two vendor B models (21 bytes), then 200 bytes per further entry.
  EXPECT_EQ(entries(models), 2u + 4u);
  EXPECT_EQ(entries(names), entries(models));
  EXPECT_EQ(names, "SKORRA1,SKORRA2,Dev1,Dev2,Dev3,Dev4");
  EXPECT_LT(models.size(), kRoom);
  // The short ones after the cut are not slipped in behind it.
  EXPECT_EQ(models.back(), 'p');
}

}  // namespace
