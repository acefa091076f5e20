#include "devices_fixture.h"

#include <platform/device.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "device_class_key.h"
#include "library_state.h"
#include "transport.h"

namespace devices_test {

namespace drv = halvikdrv;

namespace {

std::size_t statusOffset(DWORD code) {
  if (code == drv::kAiStatus || code == drv::kAiStop) return drv::ai::kStatus;
  if (code == drv::kAoStatus || code == drv::kAoStop) return drv::ao::kStatus;
  return 0;
}

std::size_t bitsOffset(DWORD code) {
  switch (code) {
    case drv::kAiStatus:
      return drv::ai::kStatusBits;
    case drv::kAoStatus:
      return drv::ao::kStatusBits;
    case drv::kCntStatus:
      return drv::cnt::kCounterStatus;
    case drv::kTmStatus:
      return drv::tm::kStatusBits;
    default:
      return 0;
  }
}

LONG dispatch(PlatRequest* request) {
  FakeDriver& d = Driver();
  d.requests.push_back(request->code);
  if (d.failing[request->code]) return PLAT_STATUS_INVALID_DEVICE_REQUEST;
  auto* block = static_cast<unsigned char*>(request->systemBuffer);
  auto put = [&](std::size_t offset, auto value) {
    if (offset + sizeof value <= request->outputSize) std::memcpy(block + offset, &value, sizeof value);
  };
  put(statusOffset(request->code), d.status[request->code]);
  if (std::size_t at = bitsOffset(request->code)) put(at, d.bits[request->code]);
  if (request->code == drv::kCntMaxChannels) put(drv::cnt::kMaxChannels, d.counterChannels);
  request->information = request->outputSize;
  return PLAT_STATUS_SUCCESS;
}

LONG create(PlatFile*) { return PLAT_STATUS_SUCCESS; }

PlatDeviceDriver g_driver{nullptr, create, nullptr, nullptr, dispatch, nullptr, nullptr};

HANDLE const kBusHandle = reinterpret_cast<HANDLE>(0x5000);

HANDLE WINAPI busOpen(DWORD, const char*, const char*) {
  ++VirtualBus().opens;
  return kBusHandle;
}

DWORD WINAPI busClose(DWORD, HANDLE) {
  ++VirtualBus().closes;
  return 0;
}

DWORD WINAPI busIo(DWORD, HANDLE, DWORD command, void* in, DWORD inLength, void*, DWORD, DWORD*, OVERLAPPED*) {
  FakeBus& b = VirtualBus();
  auto code = static_cast<WORD>(command);
  b.commands.push_back(code);
  if (DWORD rc = b.callResult[code]) return rc;
  auto* bytes = static_cast<unsigned char*>(in);
  int32_t status = b.status[code], bits = b.bits[code];
  std::memcpy(bytes, &status, 4);
  if (inLength >= 8 && (code == drv::kCmdAiStatus || code == drv::kCmdAoStatus || code == drv::kCmdCntStatus ||
                        code == drv::kCmdTmStatus))
    std::memcpy(bytes + 4, &bits, 4);
  return 0;
}

}  // namespace

int FakeDriver::count(DWORD code) const { return static_cast<int>(std::count(requests.begin(), requests.end(), code)); }
int FakeBus::count(WORD command) const {
  return static_cast<int>(std::count(commands.begin(), commands.end(), command));
}

FakeDriver& Driver() {
  static FakeDriver d;
  return d;
}

FakeBus& VirtualBus() {
  static FakeBus b;
  return b;
}

void DevicesTest::SetUp() {
  char pattern[] = "/tmp/halvik_devices_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  root_ = pattern;
  setenv("ORVANE_ROOT", root_.c_str(), 1);
  setenv("ORVANE_REGISTRY", (root_ + "/registry.sqlite").c_str(), 1);
  unsetenv("ORVANE_WINVER");
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, sizeof system);
  std::filesystem::create_directories(root_);
  CreateDirectoryA(system, nullptr);
  halvik::DeviceTable().clear();
  Driver() = FakeDriver{};
  VirtualBus() = FakeBus{};
  ASSERT_TRUE(PlatRegisterDevice("HVFAKE", &g_driver));
  halvik::Bus().HalvikVmOpenHandle = busOpen;
  halvik::Bus().HalvikVmCloseHandle = busClose;
  halvik::Bus().HalvikVmIoControl = busIo;
}

void DevicesTest::TearDown() {
  halvik::DetachLibrary();
  // The process goes on past the detach: the next test finds the library's
  // lock as a fresh load would.
  InitializeCriticalSection(&halvik::Library().lock);
  halvik::Library().lockReady = true;
  halvik::DeviceTable().clear();
  PlatUnregisterDevice("HVFAKE");
  unsetenv("ORVANE_WINVER");
  std::error_code ec;
  std::filesystem::remove_all(root_, ec);
}

void DevicesTest::writeSubkey(const std::string& subkey, const std::vector<RegValue>& values, const char* classKey) {
  std::string path = std::string(classKey != nullptr ? classKey : halvik::kClassKeyNt) + "\\" + subkey;
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  for (const RegValue& v : values) {
    if (const DWORD* word = std::get_if<DWORD>(&v.data)) {
      RegSetValueExA(key, v.name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(word), sizeof *word);
    } else {
      const std::string& text = std::get<std::string>(v.data);
      RegSetValueExA(key, v.name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>(text.size() + 1));
    }
  }
  RegCloseKey(key);
}

void DevicesTest::addDevice(const std::string& subkey, const std::string& name, int id, const std::string& model,
                            DWORD busKind) {
  writeSubkey(subkey, {{"CategoryType", DWORD{2}},
                       {"DeviceName", name},
                       {"DriverDesc", "Xan " + model},
                       {"SymbolicName", busKind == 0 ? std::string("\\DosDevices\\HVFAKE") : "VM" + name},
                       {"DeviceID", std::to_string(id)},
                       {"ModuleID", "1A"},
                       {"DeviceType", busKind},
                       {"FelnDeviceID", "0"},
                       {"BoardID", "0"}});
}

void DevicesTest::scan() {
  ASSERT_EQ(halvik::ScanRegisteredDevices(), 1);
  halvik::Library().processId = GetCurrentProcessId();
}

halvik::DeviceRecord& DevicesTest::record(const char* name) {
  uint16_t index = 0;
  EXPECT_EQ(halvik::FindDeviceByName(name, &index), 1) << name;
  return halvik::DeviceTable()[index];
}

}  // namespace devices_test
