#include "list_validation.h"

#include <algorithm>
#include <map>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include <tarnix.h>

#include "board_list_view.h"
#include "tables/board_models.h"

namespace tarnix {

namespace {

// Board slots of one driver block (kinds 2 and 3: of one group).
int32_t boardCapacity(int32_t kind) {
  switch (kind) {
    case 1:
    case 7: return xanconfig::kMaxServiceBoards;
    case 2:
    case 3:
    case 4: return xanconfig::kEditableGroupBoards;
    default: return 16;
  }
}


// 1, 2, ... n in any order.
bool numberedFromOne(std::vector<int32_t> numbers) {
  std::sort(numbers.begin(), numbers.end());
  for (std::size_t i = 0; i < numbers.size(); ++i) {
    if (numbers[i] != static_cast<int32_t>(i) + 1) return false;
  }
  return true;
}

}  // namespace

int32_t ValidateListForStore(int32_t kind, const void* list) {
  ListView view(kind, const_cast<void*>(list));
  if (view.count() > kListRecords) return kDnkBadArgument;
  const bool groups = HasGroups(kind);
  std::set<std::pair<int32_t, int32_t>> driverGroups;            // kinds 2, 3
  std::map<std::pair<int32_t, int32_t>, std::vector<int32_t>> boards;  // (driver, group) -> boards
  for (uint32_t i = 0; i < view.count(); ++i) {
    const RecordHead& h = view.head(i);
    if (FindDriverFileRow(kind, h.driverNumber) == nullptr) return kDnkNumberingLimit;
    if (groups && (h.groupNumber < 1 || h.groupNumber > xanconfig::kMaxGroups)) return kDnkNumberingLimit;
    if (h.boardNumber < 1 || h.boardNumber > boardCapacity(kind)) return kDnkNumberingLimit;
    const int32_t group = groups ? h.groupNumber : 0;
    std::vector<int32_t>& numbers = boards[{h.driverNumber, group}];
    if (std::find(numbers.begin(), numbers.end(), h.boardNumber) != numbers.end()) return kDnkNumberingLimit;
    numbers.push_back(h.boardNumber);
    if (groups) driverGroups.insert({h.driverNumber, h.groupNumber});
  }
  for (const auto& [key, numbers] : boards) {
    if (!numberedFromOne(numbers)) return kDnkNumberingLimit;
  }
  std::map<int32_t, std::vector<int32_t>> groupsOfDriver;
  for (const auto& [driver, group] : driverGroups) groupsOfDriver[driver].push_back(group);
  for (const auto& [driver, numbers] : groupsOfDriver) {
    if (!numberedFromOne(numbers)) return kDnkNumberingLimit;
  }
  return kDnkOk;
}

}  // namespace tarnix
