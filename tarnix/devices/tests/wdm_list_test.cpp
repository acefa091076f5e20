// Kind 9: the WDM analog devices' list loaded from their keys, checked and
// saved back where Halvik reads the names.
#include <tarnix.h>
#include <tarnix_records.h>

#include <cstring>
#include <memory>

#include "devices/config_device.h"
#include "devices_fixture.h"

namespace {

using namespace devices_test;
namespace cfg = tarnixcfg;
using WdmList = tarnix::BoardList<tarnix::WdmDeviceRecord>;

std::string readName(const std::string& keyPath) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
  char text[64] = {};
  DWORD size = sizeof text - 1, type = 0;
  const LONG rc = RegQueryValueExA(key, "DeviceName", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS ? text : "<none>";
}

class WdmListTest : public DevicesTest {
 protected:
  // A device key whose kernel device is up.
  void device(const cfg::WdmDeviceKey& d) {
    ASSERT_TRUE(cfg::WriteWdmDevice(d, cfg::Generation::Nt5));
    const std::string name = d.symbolicName.substr(d.symbolicName.rfind('\\') + 1);
    ASSERT_TRUE(cfg::AddKernelDevice(name));
  }
  std::unique_ptr<WdmList> list_ = std::make_unique<WdmList>();
};

TEST_F(WdmListTest, LoadReadsEveryOpenableDeviceAndDropsTheOthersKeys) {
  device({"0000", "\\DosDevices\\HVA1", "HVA1", "1a", "300 - 31f", "5", "Xan HVA-1632PE", ""});
  device({"0001", "\\??\\HVB2", "HVB2", "", "0 - 1f", "0", "Xan HVB-0816", ""});
  ASSERT_TRUE(cfg::WriteWdmDevice({"0002", "\\DosDevices\\GONE", "GONE", "", "", "", "Xan HVC", ""},
                                  cfg::Generation::Nt5));
  ASSERT_EQ(tarnix::LoadWdmAnalogList(list_.get()), 0);
  ASSERT_EQ(list_->count, 2u);
  const tarnix::WdmDeviceRecord& a = list_->records[0];
  EXPECT_STREQ(a.deviceKey, "0000");
  EXPECT_STREQ(a.deviceName, "HVA1");
  EXPECT_STREQ(a.driverDesc, "Xan HVA-1632PE");
  EXPECT_EQ(a.boardId, 0x1A);
  EXPECT_EQ(a.ioFirst, 0x300);
  EXPECT_EQ(a.ioLast, 0x31F);
  EXPECT_EQ(a.irq, 5);
  const tarnix::WdmDeviceRecord& b = list_->records[1];
  EXPECT_EQ(b.boardId, -1);
  EXPECT_EQ(b.ioFirst, -1);
  EXPECT_EQ(b.ioLast, -1);
  EXPECT_EQ(b.irq, -1);
  EXPECT_EQ(readName(std::string(cfg::kDevicesKey) + "\\0002"), "<no key>");
}

TEST_F(WdmListTest, MissingNamesComeFromTheClassKeyOrAreMadeUpInCapitalsUnlikeAnyOther) {
  device({"0000", "\\DosDevices\\HV0", "", "", "", "", "Xan A", ""});
  device({"0001", "\\DosDevices\\HV1", "", "", "", "", "Xan B", "FromClass"});
  device({"0002", "\\DosDevices\\HV2", "xan000", "", "", "", "Xan C", ""});
  device({"0003", "\\DosDevices\\HV3", "", "", "", "", "Xan D", ""});
  ASSERT_EQ(tarnix::LoadWdmAnalogList(list_.get()), kDnkMadeUpDeviceName);
  ASSERT_EQ(list_->count, 4u);
  EXPECT_STREQ(list_->records[0].deviceName, "XAN001");
  EXPECT_STREQ(list_->records[1].deviceName, "FromClass");
  EXPECT_STREQ(list_->records[3].deviceName, "XAN002");
  // The load itself writes nothing; a save makes the names Halvik reads.
  EXPECT_EQ(readName(std::string(cfg::kClassKeyNt) + "\\0000"), "<none>");
  ASSERT_EQ(tarnix::SaveWdmAnalogList(list_.get()), 0);
  for (const char* key : {"0000", "0003"}) {
    EXPECT_EQ(readName(std::string(cfg::kDevicesKey) + "\\" + key), readName(std::string(cfg::kClassKeyNt) + "\\" + key));
  }
  EXPECT_EQ(readName(std::string(cfg::kClassKeyNt) + "\\0003"), "XAN002");
}

TEST_F(WdmListTest, CheckAndSaveRefuseEmptyAndSharedNamesWritingNothing) {
  struct Case {
    const char* first;
    const char* second;
    int32_t answer;
  } cases[] = {
      {"DevA", "DevB", 0},
      {"DevA", "", (16 << 3) | 1},
      {"Dev", "DEV", (16 << 3) | 2},
  };
  for (const Case& c : cases) {
    std::memset(list_.get(), 0, sizeof *list_);
    list_->count = 2;
    std::strcpy(list_->records[0].deviceKey, "0000");
    std::strcpy(list_->records[1].deviceKey, "0001");
    std::strcpy(list_->records[0].deviceName, c.first);
    std::strcpy(list_->records[1].deviceName, c.second);
    EXPECT_EQ(tarnix::CheckWdmDeviceList(list_.get()), c.answer) << c.first << "/" << c.second;
    if (c.answer == 0) continue;
    EXPECT_EQ(tarnix::SaveWdmAnalogList(list_.get()), c.answer);
    EXPECT_EQ(readName(std::string(cfg::kDevicesKey) + "\\0000"), "<no key>");
  }
}

}  // namespace
