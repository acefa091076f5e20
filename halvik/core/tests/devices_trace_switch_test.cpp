// The attach switches the trace log on only for a device marked for it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "library_state.h"
#include "support/devices_fixture.h"
#include "trace_log.h"

namespace devices_test {
namespace {

class TraceSwitchTest : public DevicesTest {
 protected:
  void SetUp() override {
    DevicesTest::SetUp();
    halvik::TraceLogNames names;
    std::string tag = "_switch" + std::to_string(::getpid());
    names.record += tag;
    names.view += tag;
    halvik::SetTraceLogNames(names);
  }
  static bool logFileExists() {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, sizeof system);
    return GetFileAttributesA((std::string(system) + "\\halvik.log").c_str()) != INVALID_FILE_ATTRIBUTES;
  }
};

TEST_F(TraceSwitchTest, OnlyADeviceNameHoldingTheMarkSwitchesTracingOn) {
  struct Case {
    const char* value;
    const char* text;
    bool on;
  } const cases[] = {
      {"DeviceName", "XAN000HALVIKDEBUG", true},
      {"DeviceName", "halvikdebug", false},
      {"DeviceName0", "HALVIKDEBUG", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    halvik::DeviceTable().clear();
    writeSubkey("0000", {{"CategoryType", DWORD{2}}, {"DeviceName", "XAN000"}, {c.value, c.text}});
    halvik::AttachLibrary(nullptr);
    EXPECT_EQ(halvik::DebugLogOn(), c.on);
    EXPECT_EQ(logFileExists(), c.on);
    EXPECT_EQ(halvik::Library().processId, GetCurrentProcessId());
    halvik::DetachLibrary();
    EXPECT_FALSE(halvik::DebugLogOn());
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, sizeof system);
    DeleteFileA((std::string(system) + "\\halvik.log").c_str());
  }
}

}  // namespace
}  // namespace devices_test
