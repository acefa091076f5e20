#include <cstring>

#include "load_steps.h"
#include "system/system_info.h"
#include "tables/board_models.h"

namespace tarnix {

namespace {

constexpr int32_t kUnknownModel = 8;
constexpr int32_t kRenamedModel = 9;
// Digital drivers from this version on know the renamed models, and up to
// the second one keep variant models under their base names.
constexpr uint32_t kRenamingDriver = 202;
constexpr uint32_t kLastVariantDriver = 241;

void copyName(char* to, const char* from) {
  const std::size_t length = strnlen(from, xanconfig::kBoardNameBytes - 1);
  std::memmove(to, from, length);
  to[length] = '\0';
}

}  // namespace

int32_t CheckLoadedModel(int32_t kind, int32_t driverNumber, char* boardName, int32_t result) {
  if (boardName[0] == '\0' || IsModelOfKind(kind, boardName) == 0) return result;
  if (kind != static_cast<int32_t>(xanconfig::DnkConfigKind::Digital)) return kUnknownModel;
  const uint32_t version = GetDriverVersion(kind);
  if (version < kRenamingDriver) return kUnknownModel;
  char newer[xanconfig::kBoardNameBytes] = {};
  if (FindNewerDigitalName(boardName, newer) == 0) {
    newer[sizeof newer - 1] = '\0';
    copyName(boardName, newer);
    return result == kUnknownModel ? kUnknownModel : kRenamedModel;
  }
  if (version <= kLastVariantDriver) {
    MapDigitalVariantName(driverNumber, boardName, 1);
    return IsModelOfKind(kind, boardName) == 0 ? result : kUnknownModel;
  }
  return kUnknownModel;
}

}  // namespace tarnix
