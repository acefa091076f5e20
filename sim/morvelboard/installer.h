// Putting simulated boards into the machine: plugged into a slot now (tests),
// or installed in the registry, where the bus finds them when a later process
// first touches it:
//   HKLM\HARDWARE\Simulated\PCI\<bus>.<device>.<function>
//     "Library"       REG_SZ    "MorvelBoard.dll"
//     "Model"         REG_SZ    a name of kModels, or kForeignModel
//     "InterruptLine" REG_DWORD the line (0xFF: not routed)
//     "BoardType", "DeviceID", "BoardID", "IoBase", "InterruptPin",
//     "ConfigByte"    REG_DWORD the rest of the BoardSpec
// The card factory (OrvaneMakeCard) reads the same values back.
#pragma once
#include <platform/hardware_bus.h>

#include <memory>
#include <string>

#include "morvelboard.h"

namespace morvelboard {

inline constexpr const char* kSlotsKey = "HARDWARE\\Simulated\\PCI";
inline constexpr const char* kLibraryName = "MorvelBoard.dll";

// "HARDWARE\Simulated\PCI\<bus>.<device>.<function>" (under HKLM).
MORVELBOARD_API std::string SlotKey(const plat::bus::Slot& slot);

// Nothing for a spec that CheckSpec refuses, a slot out of range or taken.
MORVELBOARD_API std::shared_ptr<MorvelBoard> PlugBoard(const plat::bus::Slot& slot, const BoardSpec& spec);
MORVELBOARD_API std::shared_ptr<ForeignDevice> PlugForeign(const plat::bus::Slot& slot, uint8_t interruptLine);

// False for a refused spec, a slot out of range, or a registry failure.
MORVELBOARD_API bool InstallBoard(const plat::bus::Slot& slot, const BoardSpec& spec);
MORVELBOARD_API bool InstallForeign(const plat::bus::Slot& slot, uint8_t interruptLine);
MORVELBOARD_API bool Uninstall(const plat::bus::Slot& slot);

// The factory behind kCardFactorySymbol, for callers inside the process.
MORVELBOARD_API plat::bus::Card* MakeCard(const std::string& model, const std::string& slotKey);

}  // namespace morvelboard
