// One registry value of a board's key, written or read by the caller.
#include <cstdio>
#include <string>
#include <string_view>

#include <tarnix.h>

#include "registry/registry_access.h"
#include "tables/board_models.h"

using namespace tarnix;

namespace {

constexpr int32_t kAddressedBoards = 4;

// The board key of (kind, driver, group, board), or empty for arguments the
// exports refuse.
std::string boardKeyOf(int32_t kind, int32_t driver, int32_t group, int32_t board) {
  const bool groups = kind == 2 || kind == 3;
  if (groups && (group < 1 || group > xanconfig::kMaxGroups)) return {};
  if (board < 1 || board > kAddressedBoards) return {};
  const xanconfig::DriverFileRow* row = FindDriverFileRow(kind, driver);
  if (row == nullptr) return {};
  std::string key = std::string(xanconfig::kServicesKey) + "\\" + row->serviceName;
  if (groups) key += "\\" + std::string(xanconfig::kGroupKeyStem) + std::to_string(group);
  return key + "\\" + xanconfig::kBoardKeyStem + std::to_string(board);
}

bool validName(const char* name) { return name != nullptr && name[0] != '\0'; }

}  // namespace

LONG WINAPI DnkConfigWriteRegValue(int32_t kind, int32_t driver, int32_t group, int32_t board, int32_t valueType,
                                   const char* valueName, const char* text, int32_t value) {
  if (!validName(valueName)) return kDnkBadArgument;
  if (!((valueType == 1 && text != nullptr) || valueType == 4)) return kDnkBadArgument;
  const std::string key = boardKeyOf(kind, driver, group, board);
  if (key.empty()) return kDnkBadArgument;
  return WriteExistingRegValue(key.c_str(), valueType, valueName, text, value) == 0 ? kDnkOk : kDnkWriteFailed;
}

LONG WINAPI DnkConfigReadRegValue(int32_t kind, int32_t driver, int32_t group, int32_t board, int32_t valueType,
                                  const char* valueName, char* text, int32_t* value) {
  if (!validName(valueName)) return kDnkBadArgument;
  if (!((valueType == 1 && text != nullptr) || (valueType == 4 && value != nullptr))) return kDnkBadArgument;
  const std::string key = boardKeyOf(kind, driver, group, board);
  if (key.empty()) return kDnkBadArgument;
  return ReadRegValue(key.c_str(), valueType, valueName, text, value) == 0 ? kDnkOk : kDnkWriteFailed;
}
