// Where a driver row's keys lie.
#pragma once
#include <cstring>
#include <string>

#include <xan_board_config.h>

#include "registry_key.h"

namespace tarnix {

inline bool IsEndRow(const xanconfig::DriverFileRow& row) {
  return std::strncmp(row.serviceName, xanconfig::kEndRow, sizeof row.serviceName) == 0;
}

// The row's service name, which its table pads with NULs.
inline std::string ServiceName(const xanconfig::DriverFileRow& row) {
  return std::string(row.serviceName, strnlen(row.serviceName, sizeof row.serviceName));
}

inline std::string ServiceKeyPath(const xanconfig::DriverFileRow& row) {
  return JoinKey(xanconfig::kServicesKey, ServiceName(row));
}

// The key that holds the row's board keys: the service key, or its
// "BoardInfo" for the COM-port driver.
inline std::string BoardParentPath(int32_t kind, const std::string& servicePath) {
  return kind == 7 ? JoinKey(servicePath, xanconfig::kBoardInfoKey) : servicePath;
}

inline std::string GroupKeyPath(const std::string& servicePath, int32_t group) {
  return JoinKey(servicePath, NumberedKey(xanconfig::kGroupKeyStem, group));
}
inline std::string BoardKeyPath(const std::string& parentPath, int32_t board) {
  return JoinKey(parentPath, NumberedKey(xanconfig::kBoardKeyStem, board));
}
inline std::string AxisKeyPath(const std::string& boardPath, int32_t axis) {
  return JoinKey(boardPath, NumberedKey(xanconfig::kAxisKeyStem, axis));
}

}  // namespace tarnix
