// What the library keeps for the whole process besides the kinds'
// configuration images (kind_images.h): one place for it. The library takes
// no locks; its exports serve one caller at a time.
#pragma once
#include <cstdint>

#include <xan_board_config.h>

namespace tarnix {

inline constexpr int32_t kMachineTypeUnknown = 255;

struct LibraryState {
  // The two extended error words of the last conflict check.
  int32_t extendedError[2] = {0, 0};
  // The machine-type cache; kMachineTypeUnknown until first asked.
  int32_t machineType = kMachineTypeUnknown;
  // 1 counts only drivers whose file is present; any other value every row.
  int32_t boardCheckMode = 1;
  // ---- board-model lists (tables/board_list.cpp) ----
  // Where DnkConfigGetBoardListNext goes on, for each kind: the row after
  // the last model listed, and the installed drivers the walk offers.
  struct ModelList {
    int32_t cursor = 0;
    int32_t drivers[50] = {};
    int32_t driverCount = 0;  // filled by the walk's first call
    int32_t countedDrivers = 0;  // filled by the count of the list, kept apart
  };
  ModelList modelLists[11];  // by kind, 1 to 7 and 10
  // ---- end of board-model lists ----
  // The last non-empty DefineDir a load read; every store writes it.
  char defineDir[xanconfig::kDefineDirBytes] = {};
  // How long a save waits between stopping the kind's drivers and
  // replacing its keys and services; tests shorten it.
  uint32_t serviceSettleMs = 5000;
  // Called as that wait begins; tests act there (a process killed in the
  // wait, say).
  void (*settleBegins)() = nullptr;
};

LibraryState& Library();

}  // namespace tarnix
