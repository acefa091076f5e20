// Installs a simulated older board for a monitor run on an older board:
//   orvane_morvel_board MODEL INDEX
// MODEL is a board model of the simulated cards (MVA-1216PCI, ...). The card
// goes into the registry's slot list, and the driver's service "MorvelNN"
// gets one group holding it; the driver takes its device index NN from the
// service name's last two digits, and the service starts with the first
// process that opens a device. Running it again replaces what it wrote.
#include <installer.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

constexpr plat::bus::Slot kSlot = {0, 4, 0};
constexpr uint16_t kIoBase = 0x300;
constexpr uint8_t kLine = 5;
constexpr DWORD kKernelDriver = 1;
constexpr DWORD kAutoStart = 2;

class Key {
 public:
  explicit Key(const std::string& path) {
    ok_ = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                          nullptr) == ERROR_SUCCESS;
  }
  ~Key() {
    if (ok_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  Key& number(const char* name, DWORD value) {
    ok_ = ok_ && RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
                     ERROR_SUCCESS;
    return *this;
  }
  Key& text(const char* name, const std::string& value) {
    ok_ = ok_ && RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
    return *this;
  }
  bool ok() const { return ok_; }

 private:
  HKEY key_ = nullptr;
  bool ok_ = false;
};

bool installService(const std::string& service, const morvelboard::BoardSpec& spec) {
  const std::string root = "SYSTEM\\CurrentControlSet\\Services\\" + service;
  const std::string group = root + "\\GroupNumber1";
  return Key(root)
             .text("ImagePath", "Morvel00")
             .number("Type", kKernelDriver)
             .number("Start", kAutoStart)
             .number("MachineType", 0)
             .number("GroupNum", 1)
             .ok() &&
         Key(group).number("BoardNum", 1).number("IrqNo", kLine).ok() &&
         Key(group + "\\BoardNumber1")
             .text("BoardName", spec.model)
             .number("BoardType", spec.boardType)
             .number("IoAddress", spec.ioBase)
             .number("BoardConfig", 0)
             .number("BoardID", spec.boardId)
             .number("DeviceID", spec.deviceId)
             .ok();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: orvane_morvel_board MODEL INDEX\n");
    return 2;
  }
  std::optional<morvelboard::BoardSpec> spec = morvelboard::SpecForModel(argv[1]);
  char* end = nullptr;
  const long index = std::strtol(argv[2], &end, 10);
  if (!spec || *end != '\0' || index < 0 || index > 55) {
    std::fprintf(stderr, "orvane_morvel_board: no board %s with index %s (0 to 55)\n", argv[1], argv[2]);
    return 2;
  }
  spec->ioBase = kIoBase;
  spec->interruptLine = kLine;
  char service[16];
  std::snprintf(service, sizeof service, "Morvel%02ld", index);
  morvelboard::Uninstall(kSlot);
  if (!morvelboard::InstallBoard(kSlot, *spec) || !installService(service, *spec)) {
    std::fprintf(stderr, "orvane_morvel_board: the registry refused board %s\n", argv[1]);
    return 1;
  }
  return 0;
}
