// The COM-port driver's configuration under Windows 9x, which lives in the
// Plug and Play enumeration tree instead of a service key: the USB serial
// unit's key, the multi-function children of PCI and root boards.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include <xan_board_config.h>

#include "registry_key.h"
#include "tables/board_models.h"

namespace tarnix {

// Registry -> the single block of the kind-7 image; answers 0.
int32_t LoadComPortsWin9x();
// The kind-7 image -> the enumeration tree; answers 0.
int32_t StoreComPortsWin9x();

namespace com9x {

// The USB serial unit's enumeration key, named after its driver.
inline constexpr const char* kUsbUnitKey = "Enum\\USB\\Comdelus";
inline constexpr const char* kUsbUnitModel = "RSC-4U(USB)";
inline constexpr int32_t kUsbUnits = 16;    // values "0000" to "0015"
inline constexpr int32_t kUsbDevices = 16;  // subkeys DEV1_PORT0 to DEV16_PORT0

inline constexpr const char* kMfKey = "Enum\\MF";
inline constexpr const char* kRootMfKey = "Enum\\Root\\MultiFunction";
inline constexpr int32_t kRootDevices = 100;  // "0000" to "0099"
inline constexpr int32_t kRootChildren = 4;   // a root device's CHILD0000 to CHILD0003
inline constexpr int32_t kVendorId = 0x1C5E;

inline constexpr const char* kPortName = "PORTNAME";
inline constexpr const char* kUsbPortName = "PortName";
inline constexpr const char* kTxSync = "txsync";
inline constexpr const char* kDeviceDesc = "DeviceDesc";

// "%04d".
std::string Number4(int32_t n);
// "Enum\MF\CHILD%04d".
std::string ChildKey(int32_t child);
// "ROOT&MULTIFUNCTION&%04d" and "Root\MultiFunction\%04d".
std::string RootDeviceName(int32_t n);
std::string RootHardwareKey(int32_t n);
// "PCI&VEN_%04X&DEV_%04X" of the vendor and the device identifier.
std::string PciHardwareId(uint32_t deviceId);
// The n of a root hardware key, when it is one.
std::optional<int32_t> RootNumberOf(const char* hardwareKey);
// The number of a "COM<n>" text (n at least 1), when it is one.
std::optional<int32_t> ComNumberOf(const char* text);
// The unsigned decimal number of a text, when it is one.
std::optional<int32_t> DecimalOf(const char* text);

// What the COM-port information table gives a model: its port count
// (clamped to the eight a board can have) and its FIFO defaults.
struct ComDefaults {
  int32_t ports = 0;
  int32_t rxFifo = 0;
  int32_t txFifo = 0;
};
ComDefaults ComDefaultsOf(const char* model);

// The kind-7 model row whose description is text, or null.
const BoardModelRow* ModelByDescription(const char* text);

}  // namespace com9x
}  // namespace tarnix
