// The board-model list a configuration program walks: the models of the
// kind's current table whose driver is installed.
#include <algorithm>
#include <cstring>

#include "library_state.h"
#include "system/system_info.h"
#include "tables/board_models.h"

namespace tarnix {
namespace {

LibraryState::ModelList* listOf(int32_t kind) {
  if (kind < 1 || kind > 10 || kind == 8 || kind == 9) return nullptr;
  return &Library().modelLists[kind];
}

bool offered(const int32_t* drivers, int32_t count, int32_t driver) {
  return std::find(drivers, drivers + count, driver) != drivers + count;
}

}  // namespace

int32_t BoardListNext(int32_t kind, char* model) {
  LibraryState::ModelList* list = listOf(kind);
  const BoardModelTable table = SelectBoardModelTable(kind);
  if (model == nullptr || list == nullptr || table.empty()) return 1;
  // The machine type may have changed since the walk began and left the
  // cursor past this table's "End" row: the walk is then at its end.
  const auto end = static_cast<int32_t>(table.size()) - 1;
  for (int32_t row = list->cursor; row < end; ++row) {
    if (offered(list->drivers, list->driverCount, table[static_cast<std::size_t>(row)].driverNumber)) {
      std::memcpy(model, table[static_cast<std::size_t>(row)].name, kModelNameBytes);
      list->cursor = row + 1;
      return 0;
    }
  }
  model[0] = '\0';
  list->cursor = end;
  return 3;
}

int32_t BoardListFirst(int32_t kind, char* model) {
  LibraryState::ModelList* list = listOf(kind);
  if (model == nullptr || list == nullptr || SelectBoardModelTable(kind).empty()) return 1;
  list->cursor = 0;
  list->driverCount = ListInstalledDrivers(kind, list->drivers);
  return BoardListNext(kind, model);
}

int32_t BoardListCount(int32_t kind) {
  LibraryState::ModelList* list = listOf(kind);
  const BoardModelTable table = SelectBoardModelTable(kind);
  if (list == nullptr || table.empty()) return 0;
  list->countedDrivers = ListInstalledDrivers(kind, list->drivers);
  int32_t count = 0;
  for (const BoardModelRow& row : table.first(table.size() - 1)) {
    if (offered(list->drivers, list->countedDrivers, row.driverNumber)) ++count;
  }
  return count;
}

}  // namespace tarnix
