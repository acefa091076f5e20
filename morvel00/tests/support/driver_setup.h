// A machine with the driver's service key and its boards: what the
// configuration library and the board installer leave for a real start.
#pragma once
#include <morvelboard.h>
#include <platform/hardware_bus.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace morvel00test {

inline constexpr const char* kService = "Morvel20";
inline constexpr const char* kDevicePath = "\\\\.\\Xan20Dev";

// One board of a group, and where it sits on the bus.
struct BoardEntry {
  morvelboard::BoardSpec spec;  // model, type, identifiers, base, line
  plat::bus::Slot slot;
  bool plug = true;             // false: in the registry only
  uint32_t boardConfig = 0;     // "BoardConfig"
};

struct GroupEntry {
  std::vector<BoardEntry> boards;
  uint32_t irqNo = 0xFFFFFFFFu;  // "IrqNo"
  int64_t boardNum = -1;         // "BoardNum"; -1: the number of boards
};

// The board a test usually wants: an MVA-1216PCI at 0x300 on line 5, slot
// 0.4.0.
BoardEntry DefaultBoard(uint16_t ioBase = 0x300, uint8_t line = 5, plat::bus::Slot slot = {0, 4, 0});

// Writes HKLM\SYSTEM\CurrentControlSet\Services\<service> (ImagePath
// "Morvel00", Type 1, Start 3, MachineType 0, GroupNum, and the group and
// board keys) and plugs the boards; returns the plugged boards in order.
std::vector<std::shared_ptr<morvelboard::MorvelBoard>> Install(const std::vector<GroupEntry>& groups,
                                                                const char* service = kService,
                                                                int64_t groupNum = -1);

// A registry store of its own in a fresh folder, the manual clock, an
// empty bus and no resource claims; undone by the destructor.
class FreshMachine {
 public:
  FreshMachine();
  ~FreshMachine();
  FreshMachine(const FreshMachine&) = delete;
  FreshMachine& operator=(const FreshMachine&) = delete;

 private:
  std::string dir_;
};

}  // namespace morvel00test
