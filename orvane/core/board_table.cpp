// The per-type table of the board class, by code from -1 to 34.
#include "board.h"
#include "toolkit.h"

namespace orvane::core {
namespace {

constexpr bool T = true;
constexpr bool F = false;
constexpr const char* kCom = "\\\\.\\COM*";

// code, model name, bits, channels, pattern, then DeviceFlag,
// InputModeFlag, RangeFlag, LibrarySoftFlag, DigitalFlag.
constexpr BoardTypeInfo kBoardTypes[] = {
    {-1, "DEBUG", 16, 16, "デバッグ", F, F, F, F, F},
    {0, "RT47-83K-PCI-M", 12, 16, "", F, T, T, F, F},
    {1, "RS58-29-PCI_N", 16, 16, "", F, T, T, F, F},
    {2, "RT47-3-PM", 12, 16, "", F, T, T, F, F},
    {3, "RS58-29K-PCI-NJ", 16, 16, "", F, T, T, F, F},
    {4, "", 12, 16, "", T, F, F, F, F},
    {5, "MVE-4504K", 12, 16, "SKORRA*", T, T, T, F, F},
    {6, "MWU-459793", 16, 16, "SKORRA*", T, T, T, F, F},
    {7, "TX-4297ZB-USB", 16, 16, "XAN00*", T, F, F, F, F},
    {8, "MWU-459458-K7", 12, 16, "SKORRA*", T, T, T, F, F},
    {9, "MWU-459458-K46", 12, 16, "SKORRA*", T, T, T, F, F},
    {10, "RQE-73-58-9-CB-L", 16, 32, "XAN00*", T, T, F, F, F},
    {11, "TXQ-875497GB-USB", 16, 32, "XAN00*", T, T, F, F, F},
    {12, "NI-USB-6008-D", 12, 4, "Dev*", T, F, T, T, T},
    {13, "NI-USB-6008-S", 11, 8, "Dev*", T, T, T, T, T},
    {14, "NI-USB-6009-D", 14, 4, "Dev*", T, T, T, T, T},
    {15, "NI-USB-6009-S", 13, 8, "Dev*", T, T, T, T, T},
    {16, "WZ-9KV-TRACER", 12, 9, kCom, T, F, F, F, F},
    {17, "NI-USB-6210-D", 16, 8, "Dev*", T, T, F, T, T},
    {18, "NI-USB-6210-S", 16, 16, "Dev*", T, T, F, T, T},
    {19, "RS58-29K-PCI-NJ-WDM-LO", 16, 16, "XAN00*", T, T, F, F, F},
    {20, "RS58-29K-PCI-NJ-WDM-HI", 16, 16, "XAN00*", T, T, F, F, F},
    {21, "TXQ-728846KD8-PE-WDM-LO", 16, 16, "XAN00*", T, T, F, F, F},
    {22, "TXQ-728846KD8-PE-WDM-HI", 16, 16, "XAN00*", T, T, F, F, F},
    {23, "NI-USB-6003-D", 16, 4, "Dev*", T, T, F, T, T},
    {24, "NI-USB-6003-S", 16, 8, "Dev*", T, T, F, T, T},
    {25, "", 0, 0, "", F, F, F, F, F},
    {26, "NI-USB-6001-D", 14, 4, "Dev*", T, T, F, T, T},
    {27, "NI-USB-6001-S", 14, 8, "Dev*", T, T, F, T, T},
    {28, "", 0, 0, "", F, F, F, F, F},
    {29, "NI-USB-6218-D", 16, 0, "Dev*", T, T, F, T, T},
    {30, "NI-USB-6218-S", 16, 0, "Dev*", T, T, F, T, T},
    {31, "", 0, 0, "", F, F, F, F, F},
    {32, "", 12, 1, kCom, T, F, F, T, F},
    {33, "VADRIQUELMO-8VX", 12, 8, kCom, T, F, F, T, F},
    {34, "", 12, 8, "", T, F, F, F, F},
};

static_assert(std::size(kBoardTypes) == kLastBoardType - kFirstBoardType + 1, "one row per code");

constexpr bool RowsInCodeOrder() {
  for (size_t i = 0; i < std::size(kBoardTypes); ++i) {
    if (kBoardTypes[i].code != static_cast<int32_t>(i) + kFirstBoardType) return false;
  }
  return true;
}
static_assert(RowsInCodeOrder(), "rows in code order");

}  // namespace

const BoardTypeInfo& BoardTypeRow(int32_t code) {
  CheckSubscript(code, kFirstBoardType, kLastBoardType);
  return kBoardTypes[code - kFirstBoardType];
}

}  // namespace orvane::core
