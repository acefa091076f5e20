// The configuration library names the WDM devices; Halvik opens them by the
// names it wrote. A device renamed and saved with the configuration library
// opens under its new name and acquires the simulated signal.
#include <halvik.h>
#include <tarnix.h>
#include <tarnix_records.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "installed_halvik.h"

namespace {

constexpr const char* kDevicesKey = "SYSTEM\\CurrentControlSet\\Services\\Xan\\Devices\\";

void setText(const std::string& path, const char* name, const char* text) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(std::strlen(text) + 1));
  RegCloseKey(key);
}

class TarnixNamedDevice : public InstalledHalvik {};

TEST_F(TarnixNamedDevice, ARenamedDeviceOpensUnderItsNewNameAndAcquires) {
  install();
  // What the kernel driver leaves for each device it serves.
  setText(std::string(kDevicesKey) + "0000", "SymbolicName", "\\DosDevices\\HVA1");
  setText(std::string(kDevicesKey) + "0000", "DeviceName", "HVA1");

  auto list = std::make_unique<tarnix::BoardList<tarnix::WdmDeviceRecord>>();
  ASSERT_EQ(DnkConfigLoadListData(9, list.get(), 0), kDnkOk);
  ASSERT_EQ(list->count, 1u);
  ASSERT_STREQ(list->records[0].deviceName, "HVA1");
  std::strcpy(list->records[0].deviceName, "AILEFT");
  ASSERT_EQ(DnkConfigSaveListData(9, list.get()), kDnkOk);
  halviksim::Rescan();

  open();
  auto init = entry<decltype(&XanInit)>("XanInit");
  auto exitDevice = entry<decltype(&XanExit)>("XanExit");
  short id = -1;
  EXPECT_NE(init("HVA1", &id), 0) << "the old name is gone";
  ASSERT_EQ(init("AILEFT", &id), 0);

  ASSERT_TRUE(halviksim::SetAiClock("AILEFT", halviksim::AiClock::Virtual));
  ASSERT_EQ(entry<decltype(&XanSetAiChannels)>("XanSetAiChannels")(id, 2), 0);
  ASSERT_EQ(entry<decltype(&XanSetAiSamplingClock)>("XanSetAiSamplingClock")(id, 100.0f), 0);
  ASSERT_EQ(entry<decltype(&XanSetAiStopTrigger)>("XanSetAiStopTrigger")(id, 4), 0);
  ASSERT_EQ(entry<decltype(&XanStartAi)>("XanStartAi")(id), 0);
  ASSERT_TRUE(halviksim::AdvanceTime("AILEFT", 100 * 100));
  LONG stored = 0;
  auto count = entry<decltype(&XanGetAiSamplingCount)>("XanGetAiSamplingCount");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (count(id, &stored) == 0 && stored < 100 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  LONG scans = 50;
  std::vector<LONG> values(2 * 50, -1);
  ASSERT_EQ(entry<decltype(&XanGetAiSamplingData)>("XanGetAiSamplingData")(id, &scans, values.data()), 0);
  ASSERT_EQ(scans, 50);
  for (LONG s = 0; s < scans; ++s) {
    EXPECT_EQ(values[static_cast<size_t>(2 * s)], s % 65536) << s;
    EXPECT_EQ(values[static_cast<size_t>(2 * s + 1)], (s + 256) % 65536) << s;
  }
  EXPECT_EQ(entry<decltype(&XanStopAi)>("XanStopAi")(id), 0);
  EXPECT_EQ(exitDevice(id), 0);
}

}  // namespace
